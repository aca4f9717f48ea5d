// The floating-point steps of the formula programs, one x87 instruction (or one fixed
// short sequence) each, and the guarded routines built from them.
//
// A value computed here is bit for bit the value that the same instruction sequence
// gives in native x87 code, because each step is that instruction: the elementary
// functions run through inline assembly, and +, -, *, /, negation, abs and the
// comparisons of `long double` are single x87 instructions already. Every routine's
// comment lists its instruction order; a native code generator must keep it.
//
// Traps are never enabled, so an unguarded overflow or invalid operation only raises
// its flag; the guarded routines below give their defined values without raising
// invalid, division by zero or overflow.
#pragma once

#include <cstdint>

namespace X87 {

// ---- Single instructions ----------------------------------------------------------

// fsin: the sine of x. No argument reduction: for |x| >= 2^63 the instruction leaves
// x unchanged (and sets C2), which is the value used.
inline long double Fsin(long double x) {
  asm("fsin" : "+t"(x));
  return x;
}

// fcos: the cosine of x; like fsin, x is returned unchanged when |x| >= 2^63.
inline long double Fcos(long double x) {
  asm("fcos" : "+t"(x));
  return x;
}

// fist to a 32-bit integer: the value of an integral x, which must fit (then no flag is
// raised and the rounding mode does not matter).
inline std::int32_t Fist(long double x) {
  std::int32_t n;
  asm("fistl %0" : "=m"(n) : "t"(x));
  return n;
}

// fsqrt: the correctly rounded square root.
inline long double Fsqrt(long double x) {
  asm("fsqrt" : "+t"(x));
  return x;
}

// fprem with st0 = x, st1 = m: one partial-remainder step, x minus the multiple of m
// with the quotient truncated toward zero. When the exponents of x and m differ by 64
// or more the step reduces x only partly; that partial result is returned as it is.
inline long double Fprem(long double x, long double m) {
  asm("fprem" : "+t"(x) : "u"(m));
  return x;
}

// fptan: the tangent of x. The instruction pushes 1 after a successful step, which is
// popped at once; when |x| >= 2^63 it changes nothing (C2 set, nothing pushed) and x
// is returned. Sequence: fptan; fnstsw ax; test ah, 4; jnz done; fstp st(0); done:
inline long double Fptan(long double x) {
  asm("fptan\n\t"
      "fnstsw %%ax\n\t"
      "testb $4, %%ah\n\t"
      "jnz 1f\n\t"
      "fstp %%st(0)\n"
      "1:"
      : "+t"(x)
      :
      : "ax", "cc", "st(1)", "st(2)", "st(3)", "st(4)", "st(5)", "st(6)", "st(7)");
  return x;
}

// fpatan with st1 = y, st0 = x: the angle of the point (x, y), in [-pi, pi].
inline long double Fpatan(long double y, long double x) {
  long double angle;
  asm("fpatan" : "=t"(angle) : "0"(x), "u"(y) : "st(1)");
  return angle;
}

// fyl2x with st1 = y, st0 = x: y times log2(x), rounded once.
inline long double Fyl2x(long double x, long double y) {
  long double r;
  asm("fyl2x" : "=t"(r) : "0"(x), "u"(y) : "st(1)");
  return r;
}

// frndint: x rounded to an integer in the current rounding mode (nearest, halves even).
inline long double Frndint(long double x) {
  asm("frndint" : "+t"(x));
  return x;
}

// f2xm1: 2^f - 1 for -1 <= f <= 1.
inline long double F2xm1(long double f) {
  asm("f2xm1" : "+t"(f));
  return f;
}

// fscale with st0 = x, st1 = n: x times 2^trunc(n).
inline long double Fscale(long double x, long double n) {
  asm("fscale" : "+t"(x) : "u"(n));
  return x;
}

// The instruction constants fldpi, fldl2e and fldln2, rounded to nearest.
inline long double Fldpi() {
  long double v;
  asm("fldpi" : "=t"(v));
  return v;
}
inline long double Fldl2e() {
  long double v;
  asm("fldl2e" : "=t"(v));
  return v;
}
inline long double Fldln2() {
  long double v;
  asm("fldln2" : "=t"(v));
  return v;
}

// ---- Status flags -------------------------------------------------------------------

// The overflow flag (OE) of the x87 status word.
inline constexpr unsigned short OverflowFlag = 0x08;

// fnstsw: the status word with the raised exception flags.
inline unsigned short Fnstsw() {
  unsigned short word;
  asm volatile("fnstsw %0" : "=am"(word) : : "memory");
  return word;
}

// Lowers the overflow flag alone, leaving every other flag as it is: fnstenv, clear the
// flag in the stored status word, fldenv.
inline void ClearOverflowFlag() {
  unsigned short environment[14];  // the 28-byte protected-mode environment
  asm volatile("fnstenv %0" : "=m"(environment) : : "memory");
  environment[2] = static_cast<unsigned short>(environment[2] & ~OverflowFlag);
  asm volatile("fldenv %0" : : "m"(environment) : "memory");
}

// ---- Shared constants ---------------------------------------------------------------

// Loaded from the instruction constants when the program starts and never changed; the
// guarded routines and the programs read them from here.
struct TConstants {
  long double Pi = 0;      // fldpi
  long double HalfPi = 0;  // fldpi, times 0.5
  long double TwoPi = 0;   // fldpi, plus itself
  long double Log2E = 0;   // fldl2e
  long double Ln2 = 0;     // fldln2
  long double Huge = 1e300L;
  long double NegHuge = -1e300L;
  long double Tiny = 1e-300L;
  long double Thousand = 1000;
  long double Half = 0.5L;
};
extern const TConstants Shared;

// ---- Guarded routines ---------------------------------------------------------------

// SafeDivide: a / b (fdiv) when b is not 0; a times 1e300 (fmul) when b = 0, so 1/0 is
// 1e300, -1/0 is -1e300 and 0/0 is 0, without the division-by-zero flag.
inline long double SafeDivide(long double a, long double b) {
  if (b == 0) return a * Shared.Huge;
  return a / b;
}

// SafeExp2: 2^y for |y| <= 1000, else 1e300 (y > 1000) or 1e-300 (y < -1000; also a
// NaN y). In range: fld st0; frndint; fsub st1, st0 (f = y - n); fxch; f2xm1; fld1;
// faddp; fscale; fstp st1.
inline long double SafeExp2(long double y) {
  if (__builtin_fabsl(y) <= Shared.Thousand) {
    const long double n = Frndint(y);
    const long double f = y - n;
    return Fscale(F2xm1(f) + 1.0L, n);
  }
  return y > Shared.Thousand ? Shared.Huge : Shared.Tiny;
}

// SafeLog: ln x as log2(x) / log2(e) for x > 0 (fld1; fxch; fyl2x; fdiv by log2 e);
// -1000 for x <= 0 (and for a NaN x).
inline long double SafeLog(long double x) {
  if (x > 0) return Fyl2x(x, 1.0L) / Shared.Log2E;
  return -Shared.Thousand;
}

// The logarithm taken without a guard inside acosh, atanh and asinh, whose arguments
// are positive on the paths that use it: fldln2; fxch; fyl2x.
inline long double LnDirect(long double x) { return Fyl2x(x, Shared.Ln2); }

// ReduceTwoPi: x minus a multiple of 2 pi by one fprem step (see Fprem).
inline long double ReduceTwoPi(long double x) { return Fprem(x, Shared.TwoPi); }

// One fprem step modulo pi, used by tangent and cotangent.
inline long double ReducePi(long double x) { return Fprem(x, Shared.Pi); }

}  // namespace X87
