// The x87 sequence of ExtendedSine; the comments show the register stack, st0 first.
#include "formula/NativeSine.h"

#include "formula/ExtendedSine.h"

using namespace asmjit;
using namespace asmjit::x86;

namespace NativeSine {

namespace {

using namespace ExtendedSine;

// Pushes a constant held in full: fld m64 of its first 53 bits, fadd m64 of the rest,
// an exact sum. Two cheap loads, where one fld m80 costs several times as much.
void LoadFull(Assembler& a, const TLiterals& literals, long double value) {
  const double high = static_cast<double>(value);
  a.fld(literals.Double(high));
  a.fadd(literals.Double(static_cast<double>(value - high)));
}

// The red-zone slot that receives the quotient as an integer.
Mem QuotientSlot() { return dword_ptr(rsp, -8); }

// x -> r, rest as ExtendedSine::Reduce computes them; the integer quotient k goes to
// eax.
// A value is copied (fld st(i)) only once it is ready, never while the chain of
// dependent steps waits on it: a constant is loaded and multiplied by the register.
void Reduce(Assembler& a, const TLiterals& literals) {
  a.fld(literals.Double(TwoOverPi));
  a.fmul(st0, st1);
  a.fadd(literals.Double(RoundingShift));
  a.fsub(literals.Double(RoundingShift));   // k, x
  a.fist(QuotientSlot());
  a.fld(literals.Double(PiOver2B));
  a.fmul(st0, st1);                         // t2, k, x
  a.fld(literals.Double(PiOver2A));
  a.fmul(st0, st2);
  a.fsubp(st3);                             // t2, k, t1
  LoadFull(a, literals, PiOver2C);
  a.fmulp(st2);                             // t2, k C, t1
  a.fld(st0);
  a.fsubr(st0, st3);                        // hi, t2, k C, t1
  a.fxch(st3);
  a.fsub(st0, st3);
  a.fsubrp(st1);                            // error, k C, hi
  a.fsubp(st1);
  a.fxch(st1);                              // r = hi, rest
  a.mov(eax, QuotientSlot());
}

// Pushes st(zIndex) times the first coefficient plus the second, both doubles.
void LinearTerm(Assembler& a, const TLiterals& literals, int zIndex, double factor, double addend) {
  a.fld(literals.Double(factor));
  a.fmul(st0, st(zIndex));
  a.fadd(literals.Double(addend));
}

// Pushes st(zIndex) times `factor` plus `addend`, both held in full.
void FullLinearTerm(Assembler& a, const TLiterals& literals, int zIndex, long double factor, long double addend) {
  LoadFull(a, literals, factor);
  a.fmul(st0, st(zIndex));
  LoadFull(a, literals, addend);
  a.faddp(st1);
}

// r, rest -> ExtendedSine::SinePolynomial(r, rest). At most six registers.
void SinePolynomial(Assembler& a, const TLiterals& literals) {
  a.fld(st0);
  a.fmul(st0, st0);                         // z, r, rest
  a.fld(literals.Double(0.5));
  a.fmul(st0, st1);
  a.fmul(st0, st3);
  a.fsubp(st3);                             // z, r, rest (1 - z/2)
  a.fld(st1);
  a.fmul(st0, st1);                         // zr, z, r, sum
  FullLinearTerm(a, literals, 2, SineLow[1], SineLow[0]);
  a.fmul(st0, st1);
  a.fsubp(st4);                             // zr, z, r, sum
  a.fld(st1);
  a.fmul(st0, st0);
  a.fmul(st1, st0);                         // z2, zr2, z, r, sum
  LinearTerm(a, literals, 3, SineHigh[0], SineS2[0]);
  a.fadd(literals.Double(SineS2[1]));
  a.fmul(st0, st2);
  a.fsubp(st5);                             // z2, zr2, z, r, sum
  a.fmul(st1, st0);                         // z2, zr4, z, r, sum
  LinearTerm(a, literals, 3, SineHigh[4], SineHigh[3]);
  a.fmulp(st1);                             // l3 z2, zr4, z, r, sum
  LinearTerm(a, literals, 3, SineHigh[2], SineHigh[1]);
  a.faddp(st1);
  a.fmulp(st1);                             // t2, z, r, sum
  a.fsubp(st3);
  a.fstp(st0);                              // r, sum
  a.fsubrp(st1);                            // sine
}

// term, power, ... -> power^2, ... with term times power^2 added to the sum at
// st(sumIndex): one step of the cosine's sum.
void AddTermTimesSquare(Assembler& a, int sumIndex) {
  a.fld(st1);
  a.fmul(st0, st0);
  a.fmul(st1, st0);
  a.fxch(st1);
  a.faddp(st(sumIndex));
}

// r, rest -> ExtendedSine::CosinePolynomial(r, rest). At most six registers.
void CosinePolynomial(Assembler& a, const TLiterals& literals) {
  a.fmul(st1, st0);                         // r, r rest
  a.fmul(st0, st0);                         // z, r rest
  a.fld(st0);
  a.fmul(literals.Double(0.5));             // half, z, r rest
  a.fld1();
  a.fsub(st0, st1);                         // w, half, z, r rest
  a.fld1();
  a.fsub(st0, st1);
  a.fsubrp(st2);                            // w, (1 - w) - half, z, r rest
  a.fxch(st1);
  a.faddp(st3);
  a.fxch(st1);                              // z, w, sum
  FullLinearTerm(a, literals, 1, CosineLow[1], CosineLow[0]);
  AddTermTimesSquare(a, 4);                 // z2, z, w, sum
  LinearTerm(a, literals, 2, CosineHigh[1], CosineHigh[0]);
  AddTermTimesSquare(a, 5);                 // z4, z2, z, w, sum
  a.fmul(st0, st1);                         // z6, z2, z, w, sum
  a.fld(literals.Double(CosineHigh[4]));
  a.fmulp(st2);                             // z6, C6 z2, z, w, sum
  LinearTerm(a, literals, 3, CosineHigh[3], CosineHigh[2]);
  a.faddp(st2);
  a.fmulp(st1);                             // c2, z, w, sum
  a.faddp(st3);
  a.fstp(st0);                              // w, sum
  a.faddp(st1);                             // cosine
}

// Jumps to `inside` when |st0| < 2^20 by the quiet fucomip, so that a NaN goes on
// without the invalid flag; falls through otherwise. st0 stays.
void BranchIfInRange(Assembler& a, const TLiterals& literals, const Label& inside) {
  a.fld(st0);
  a.fabs();
  a.fld(literals.Double(Limit));
  a.fucomip(st1);
  a.fstp(st0);
  a.ja(inside);
}

}  // namespace

void Emit(Assembler& a, std::int32_t offset, const TLiterals& literals, const std::function<void()>& outside) {
  const Label inside = a.newLabel(), cosine = a.newLabel(), sign = a.newLabel(), done = a.newLabel();
  BranchIfInRange(a, literals, inside);
  outside();
  a.jmp(done);

  a.bind(inside);
  Reduce(a, literals);
  if (offset != 0) a.add(eax, offset);
  a.test(al, 1);
  a.jnz(cosine);
  SinePolynomial(a, literals);
  a.jmp(sign);
  a.bind(cosine);
  CosinePolynomial(a, literals);
  a.bind(sign);
  a.test(al, 2);
  a.jz(done);
  a.fchs();
  a.bind(done);
}

void EmitBoth(Assembler& a, const TLiterals& literals, const std::function<void()>& outside) {
  const Label inside = a.newLabel(), even = a.newLabel(), sinePositive = a.newLabel(), done = a.newLabel();
  BranchIfInRange(a, literals, inside);
  outside();
  a.jmp(done);

  a.bind(inside);
  Reduce(a, literals);
  a.fld(st1);
  a.fld(st1);                               // r, rest, r, rest
  CosinePolynomial(a, literals);            // c, r, rest
  a.fxch(st2);
  a.fxch(st1);                              // r, rest, c
  SinePolynomial(a, literals);              // s, c
  a.test(al, 1);
  a.jz(even);
  a.fxch(st1);
  a.bind(even);                             // the sine's value, the cosine's
  a.test(al, 2);
  a.jz(sinePositive);
  a.fchs();
  a.bind(sinePositive);
  a.add(eax, 1);
  a.test(al, 2);
  a.jz(done);
  a.fxch(st1);
  a.fchs();
  a.fxch(st1);
  a.bind(done);
}

}  // namespace NativeSine
