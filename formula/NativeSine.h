// Native x87 code of ExtendedSine: the same operations in the same order, for the
// formula code generator.
#pragma once

#include <asmjit/x86.h>
#include <cstdint>
#include <functional>

namespace NativeSine {

// Free x87 registers the sequence needs beyond the one of its argument.
constexpr int RoomNeeded = 5;

// Memory operands holding constants, placed by the code generator.
struct TLiterals {
  std::function<asmjit::x86::Mem(double)> Double;  // 8 bytes, for fld, fmul, fadd and fsub m64
};

// Appends code that replaces st0 = x by ExtendedSine::OfQuadrant(x, offset) (offset 0:
// sine, 1: cosine) when |x| < 2^20, and otherwise (also for a NaN or an infinity)
// runs the code `outside` appends, which must leave one value in place of x. Uses eax
// and 4 bytes of the red zone below rsp.
void Emit(asmjit::x86::Assembler& a, std::int32_t offset, const TLiterals& literals,
          const std::function<void()>& outside);

// Free x87 registers EmitBoth needs beyond the one of its argument: all the others.
constexpr int RoomNeededForBoth = 7;

// Appends code that replaces st0 = x by st0 = sin x, st1 = cos x, the values of Emit
// with offsets 0 and 1, from one reduction when |x| < 2^20; otherwise (also for a
// NaN or an infinity) runs the code `outside` appends, which must leave those two
// values in place of x. Uses eax and 4 bytes of the red zone below rsp.
void EmitBoth(asmjit::x86::Assembler& a, const TLiterals& literals, const std::function<void()>& outside);

}  // namespace NativeSine
