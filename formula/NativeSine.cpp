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

// The doubles of table point j (see ExtendedSine::TTablePoint), for rcx = the table
// and rax = 5 j.
enum TPart { High, Middle, Low, Half, Rest };
Mem PointPart(int j, TPart part) { return qword_ptr(rcx, rax, 3, static_cast<std::int32_t>(8 * (5 * j + part))); }

// r, rest -> ExtendedSine::AroundTablePoint for the table point that rcx and rax
// address (its sine at point 0, its cosine at point 32). At most seven registers. The
// table values are read by fld m64 and fadd m64, where one fld m80 costs several times
// as much.
void AroundTablePoint(Assembler& a, const TLiterals& literals) {
  a.fld(st0);
  a.fmul(st0, st0);                         // z, r, rest
  a.fld(PointPart(32, Half));
  a.fadd(PointPart(32, Rest));              // c, z, r, rest
  a.fld(st0);
  a.fmul(st0, st4);
  a.fsubr(PointPart(0, Low));
  a.fstp(st4);                              // c, z, r, sum
  a.fld(PointPart(32, Rest));
  a.fmul(st0, st3);
  a.faddp(st4);
  a.fld(st1);
  a.fmul(st0, st3);
  a.fmulp(st1);                             // c z r, z, r, sum
  a.fld(literals.Double(SplitFactor));
  a.fmul(st0, st3);
  a.fld(st0);
  a.fsub(st0, st4);
  a.fsubp(st1);                             // rh, c z r, z, r, sum
  a.fsub(st3, st0);
  a.fxch(st3);
  a.fmul(PointPart(32, Half));
  a.faddp(st4);                             // c z r, z, rh, sum
  a.fxch(st2);
  a.fmul(PointPart(32, Half));              // high, z, c z r, sum
  a.fld(PointPart(0, High));
  a.fadd(PointPart(0, Middle));             // s, high, z, c z r, sum
  a.fld(st2);
  a.fmul(literals.Double(0.5));
  a.fmul(st0, st1);
  a.fsubp(st5);
  a.fld(st0);
  a.fadd(st0, st2);                         // hi, s, high, z, c z r, sum
  a.fld(st1);
  a.fsub(st0, st1);
  a.faddp(st3);                             // hi, s, err, z, c z r, sum
  a.fxch(st2);
  a.faddp(st5);                             // s, hi, z, c z r, sum
  a.fld(st2);
  a.fmul(st0, st0);
  a.fmul(st1, st0);                         // z2, s z2, hi, z, c z r, sum
  a.fld(literals.Double(SineTerms[2]));
  a.fmul(st0, st4);
  a.fadd(literals.Double(SineTerms[1]));
  a.fmulp(st1);
  a.fld(literals.Double(SineTerms[0]));
  a.fmul(st0, st4);
  a.fadd(literals.Double(MinusSixth[0]));
  a.fadd(literals.Double(MinusSixth[1]));
  a.faddp(st1);                             // p, s z2, hi, z, c z r, sum
  a.fmulp(st4);                             // s z2, hi, z, c z r p, sum
  a.fld(literals.Double(CosineTerms[2]));
  a.fmul(st0, st3);
  a.fadd(literals.Double(CosineTerms[1]));
  a.fmulp(st3);
  a.fxch(st2);
  a.fadd(literals.Double(CosineTerms[0]));  // q, hi, s z2, c z r p, sum
  a.fmulp(st2);
  a.fxch(st1);
  a.faddp(st2);
  a.fxch(st1);
  a.faddp(st2);                             // hi, sum
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
  a.lea(eax, ptr(rax, rax, 2));
  a.mov(rcx, reinterpret_cast<std::uint64_t>(&Table[0]));
  AroundTablePoint(a, literals);
  a.bind(done);
}

}  // namespace NativeSine
