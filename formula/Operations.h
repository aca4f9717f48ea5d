// The effect of every function code and operator of a formula program on its values,
// built from the x87 steps and guarded routines of X87.h. The program interpreter
// runs these; the instruction order written beside each one is the order a native
// code generator must follow to compute the same bits.
#pragma once

#include "formula/ExtendedSine.h"
#include "formula/X87.h"

namespace FormulaOps {

using namespace X87;

// "^": the base x is the top of the stack, the exponent y below it. x > 0: fyl2x
// (y times log2 x, one rounding), then SafeExp2; x <= 0 (or NaN): 0.
inline long double Power(long double x, long double y) {
  if (x > 0) return SafeExp2(Fyl2x(x, y));
  return 0;
}

// A cosine: ExtendedSine for |x| < 2^20; otherwise (also for a NaN or an infinity)
// fprem by 2 pi (ReduceTwoPi), fcos.
inline long double Cosine(long double x) {
  return ExtendedSine::InRange(x) ? ExtendedSine::OfQuadrant(x, 1) : Fcos(ReduceTwoPi(x));
}

// B sine: ExtendedSine for |x| < 2^20; otherwise (also for a NaN or an infinity) fsin
// without reduction.
inline long double Sine(long double x) { return ExtendedSine::InRange(x) ? ExtendedSine::OfQuadrant(x, 0) : Fsin(x); }

// A sine and a cosine of one x, as Sine(x) and Cosine(x) give them, with one argument
// reduction between them when x is in ExtendedSine's range.
inline ExtendedSine::TSineCosine SineAndCosine(long double x) {
  if (ExtendedSine::InRange(x)) return ExtendedSine::OfBoth(x);
  return {Fsin(x), Fcos(ReduceTwoPi(x))};
}

// C exponential: fldl2e; fmulp; SafeExp2.
inline long double Exponential(long double x) { return SafeExp2(x * Shared.Log2E); }

// D square: fmul st0, st0.
inline long double Square(long double x) { return x * x; }

// E square root: fsqrt when x > 0, else 0.
inline long double SquareRoot(long double x) { return x > 0 ? Fsqrt(x) : 0; }

// F logarithm: SafeLog.
inline long double Logarithm(long double x) { return SafeLog(x); }

// G tangent: fprem by pi, fptan (its 1 popped).
inline long double Tangent(long double x) { return Fptan(ReducePi(x)); }

// H hyperbolic sine: e = SafeExp2(x log2 e); (e - 1/e) times 0.5, where 1/e is
// fld1; fdiv st0, st1.
inline long double HypSine(long double x) {
  const long double e = Exponential(x);
  return (e - 1.0L / e) * Shared.Half;
}

// I hyperbolic cosine: (e + 1/e) times 0.5 with e as for H.
inline long double HypCosine(long double x) {
  const long double e = Exponential(x);
  return (e + 1.0L / e) * Shared.Half;
}

// J hyperbolic tangent: s = e times e; (s - 1) / (s + 1) with e as for H. e lies in
// [1e-300, 1e300], so s neither overflows nor makes the divisor 0.
inline long double HypTangent(long double x) {
  const long double e = Exponential(x);
  const long double s = e * e;
  return (s - 1.0L) / (s + 1.0L);
}

// K arc sine: |x| <= 1: s = fsqrt(1 - x times x), fpatan(x, s); x > 1: pi/2; x < -1
// (or NaN): -pi/2.
inline long double ArcSine(long double x) {
  if (__builtin_fabsl(x) <= 1) return Fpatan(x, Fsqrt(1.0L - x * x));
  return x > 1 ? Shared.HalfPi : -Shared.HalfPi;
}

// L arc cosine: |x| <= 1: fpatan(s, x) with s as for K, in [0, pi]; x > 1: 0;
// x < -1 (or NaN): pi.
inline long double ArcCosine(long double x) {
  if (__builtin_fabsl(x) <= 1) return Fpatan(Fsqrt(1.0L - x * x), x);
  return x > 1 ? 0 : Shared.Pi;
}

// M arc tangent: fld1; fpatan.
inline long double ArcTangent(long double x) { return Fpatan(x, 1.0L); }

// N absolute value: fabs.
inline long double Absolute(long double x) { return __builtin_fabsl(x); }

// O cotangent: r = fprem by pi; fld st0; fcos; fxch; fsin; SafeDivide(cos r, sin r).
// For |r| >= 2^63 both instructions leave r, and the quotient is 1.
inline long double Cotangent(long double x) {
  const long double r = ReducePi(x);
  return SafeDivide(Fcos(r), Fsin(r));
}

// P inverse hyperbolic cosine: x >= 1: LnDirect(x + fsqrt(x times x - 1)); else 0.
inline long double ArgCosh(long double x) {
  if (x >= 1) return LnDirect(x + Fsqrt(x * x - 1.0L));
  return 0;
}

// Q inverse hyperbolic tangent: |x| < 1: LnDirect((1 + x) / (1 - x)) times 0.5;
// x >= 1: 1e300; x <= -1 (or NaN): -1e300.
inline long double ArgTanh(long double x) {
  if (__builtin_fabsl(x) < 1) return LnDirect((1.0L + x) / (1.0L - x)) * Shared.Half;
  return x >= 1 ? Shared.Huge : Shared.NegHuge;
}

// R inverse hyperbolic sine: v = LnDirect(|x| + fsqrt(x times x + 1)); -v when x < 0.
inline long double ArgSinh(long double x) {
  const long double v = LnDirect(__builtin_fabsl(x) + Fsqrt(x * x + 1.0L));
  return x < 0 ? -v : v;
}

// The effects of the function codes 'A' to 'R', in code order.
using TUnary = long double (*)(long double);
constexpr TUnary FunctionEffects[18] = {Cosine,     Sine,     Exponential, Square,     SquareRoot, Logarithm,
                                        Tangent,    HypSine,  HypCosine,   HypTangent, ArcSine,    ArcCosine,
                                        ArcTangent, Absolute, Cotangent,   ArgCosh,    ArgTanh,    ArgSinh};

}  // namespace FormulaOps
