// The x87 sequence of ExtendedSine; the comments show the register stack, st0 first.
#include "formula/NativeSine.h"

#include "formula/ExtendedSine.h"

using namespace asmjit;
using namespace asmjit::x86;

namespace NativeSine {

namespace {

using namespace ExtendedSine;

// The red-zone slot that receives the quotient as an integer.
Mem QuotientSlot() { return dword_ptr(rsp, -8); }

// x -> r, rest as ExtendedSine::Reduce computes them; the integer quotient k goes to
// eax.
void Reduce(Assembler& a, const TLiterals& literals) {
  a.fld(literals.Double(SixtyFourOverPi));
  a.fmul(st0, st1);
  a.fadd(literals.Double(RoundingShift));
  a.fsub(literals.Double(RoundingShift));   // k, x
  a.fist(QuotientSlot());
  a.fld(literals.Double(PiOver64[0]));
  a.fmul(st0, st1);
  a.fsubp(st2);                             // k, t1
  a.fld(literals.Double(PiOver64[1]));
  a.fmul(st0, st1);                         // t2, k, t1
  a.fld(st2);
  a.fsub(st0, st1);                         // h, t2, k, t1
  a.fsub(st3, st0);
  a.fxch(st1);
  a.fsubp(st3);                             // h, k, e1
  a.fld(literals.Double(PiOver64[2]));
  a.fmul(st0, st2);                         // t3, h, k, e1
  a.fld(st1);
  a.fsub(st0, st1);                         // r, t3, h, k, e1
  a.fsub(st2, st0);
  a.fxch(st1);
  a.fsubp(st2);                             // r, e2, k, e1
  a.fxch(st2);
  a.fmul(literals.Double(PiOver64[3]));
  a.fsubrp(st3);
  a.fsubp(st2);                             // r, rest
  a.mov(eax, QuotientSlot());
}

// The three doubles of table point j, for rcx = the table and rax = 3 j.
Mem PointPart(int j, int part) { return qword_ptr(rcx, rax, 3, static_cast<std::int32_t>(8 * (3 * j + part))); }

// Pushes the sine (j = 0) or cosine (j = 32) of the table point, held in full: fld m64
// of its first 53 bits, fadd m64 of the rest, an exact sum. Two cheap loads, where one
// fld m80 costs several times as much.
void LoadPoint(Assembler& a, int j) {
  a.fld(PointPart(j, 0));
  a.fadd(PointPart(j, 1));
}

// r, rest -> ExtendedSine::AroundTablePoint for the table point that rcx and rax
// address. At most seven registers.
void AroundTablePoint(Assembler& a, const TLiterals& literals) {
  a.fld(st0);
  a.fmul(st0, st0);                         // z, r, rest
  LoadPoint(a, 32);
  a.fld(st0);
  a.fmul(st0, st3);                         // c r, c, z, r, rest
  a.fld(st1);
  a.fmul(st0, st5);
  a.fsubr(PointPart(0, 2));
  a.fstp(st5);                              // c r, c, z, r, sum
  a.fld(PointPart(32, 2));
  a.fmul(st0, st4);
  a.faddp(st5);
  a.fld(st2);
  a.fmulp(st4);                             // c r, c, z, z r, sum
  a.fld(st1);
  a.fmulp(st4);                             // c r, c, z, c z r, sum
  LoadPoint(a, 0);
  a.fstp(st2);                              // c r, s, z, c z r, sum
  a.fld(st2);
  a.fmul(literals.Double(0.5));
  a.fmul(st0, st2);
  a.fsubp(st5);
  a.fld(st2);
  a.fmul(st0, st0);
  a.fld(st0);
  a.fmulp(st3);                             // z2, c r, s z2, z, c z r, sum
  a.fld(literals.Double(SineTerms[2]));
  a.fmul(st0, st4);
  a.fadd(literals.Double(SineTerms[1]));
  a.fmulp(st1);
  a.fld(literals.Double(SineTerms[0]));
  a.fmul(st0, st4);
  a.fadd(literals.Double(MinusSixth[0]));
  a.fadd(literals.Double(MinusSixth[1]));
  a.faddp(st1);                             // p, c r, s z2, z, c z r, sum
  a.fmulp(st4);                             // c r, s z2, z, c z r p, sum
  a.fld(literals.Double(CosineTerms[2]));
  a.fmul(st0, st3);
  a.fadd(literals.Double(CosineTerms[1]));
  a.fmulp(st3);
  a.fxch(st2);
  a.fadd(literals.Double(CosineTerms[0]));  // q, s z2, c r, c z r p, sum
  a.fmulp(st1);
  a.faddp(st2);
  a.fxch(st1);
  a.faddp(st2);
  a.faddp(st1);                             // c r + sum
  LoadPoint(a, 0);
  a.faddp(st1);
}

}  // namespace

void Emit(Assembler& a, std::int32_t quarterTurns, const TLiterals& literals, const std::function<void()>& outside) {
  const Label inside = a.newLabel(), done = a.newLabel();
  const Label outsidePop = a.newLabel(), outsideLabel = a.newLabel();
  // Limit > |x| != 0 by the quiet fucomip: a NaN goes outside without the invalid flag.
  a.fld(st0);
  a.fabs();
  a.fld(literals.Double(Limit));
  a.fucomip(st1);
  a.jbe(outsidePop);
  a.fldz();
  a.fucomip(st1);
  a.fstp(st0);
  a.jne(inside);
  a.jmp(outsideLabel);
  a.bind(outsidePop);
  a.fstp(st0);
  a.bind(outsideLabel);
  outside();
  a.jmp(done);

  a.bind(inside);
  Reduce(a, literals);
  a.add(eax, 32 * quarterTurns);
  a.and_(eax, 127);
  a.lea(eax, ptr(rax, rax, 1));
  a.mov(rcx, reinterpret_cast<std::uint64_t>(&Table[0]));
  AroundTablePoint(a, literals);
  a.bind(done);
}

}  // namespace NativeSine
