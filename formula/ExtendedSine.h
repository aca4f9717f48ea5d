// Sine and cosine in extended precision without the fsin and fcos instructions: the
// argument is reduced by pi/2 split in three parts, then one of two polynomials gives
// the result for its quadrant. Over |x| < 2^20 the error stays within one unit in the
// last place of the 64-bit significand, where fsin, with its 66-bit pi, loses digits
// near every multiple of pi. From 2^20 on (and for NaNs and infinities) the formula
// programs fall back to the instructions: fsin unreduced, fcos after one fprem by 2 pi.
// A zero goes through the polynomials, which give sin(+-0) = +-0 and cos(+-0) = 1
// exactly, as the instructions do.
//
// Each step below is one x87 operation rounded to 64 bits, in the order written; the
// native code generator (NativeSine.cpp) emits the same operations in the same order,
// so both compute the same bits. Operands of + and * may swap, nothing else. The
// constants held as double are exact there, and read as such (fmul m64, fadd m64).
#pragma once

#include <cstdint>

#include "formula/X87.h"

namespace ExtendedSine {

// Arguments from 2^20 on, NaNs and infinities are left to the instructions.
constexpr double Limit = 0x1p20;

// 2/pi to 53 bits is enough: the quotient only has to round to a neighbour of x 2/pi.
constexpr double TwoOverPi = 0x1.45f306dc9c883p-1;

// Added to a quotient below 2^62 in magnitude, 1.5 2^63 leaves a sum whose last place
// is 1, so the sum rounds the quotient to the nearest integer, halves to even, and
// subtracting it again gives that integer exactly: what frndint gives in the unit's
// rounding mode (always nearest here), in two additions instead of a microcoded one.
constexpr double RoundingShift = 0x1.8p63;

// pi/2 = PiOver2A + PiOver2B + PiOver2C to 152 bits. A and B are pi/2 and the rest
// truncated to 44 significant bits, so that k times either is exact for every
// |k| < 2^20.
constexpr double PiOver2A = 0x1.921fb54442cp+0;
constexpr double PiOver2B = 0x1.18469898cc4p-44;
constexpr long double PiOver2C = 0x8b80dc1cd129024ep-151L;

// sin r = r + r^3 (S0 + S1 z + ... + S7 z^7) and cos r = 1 - z/2 + z^2 (C0 + C1 z + ...
// + C6 z^6), z = r^2, |r| <= pi/4: near-minimax fits whose own error is below 2^-70 of
// the result. S0, S1, C0 and C1 are held in full (SineLow, CosineLow); S2 as the sum
// of two doubles, added one after the other; the rest in double, which moves the
// result by less than 2^-70 of it.
constexpr long double SineLow[2] = {-0xaaaaaaaaaaaaaaabp-66L, 0x8888888888888887p-70L};
constexpr double SineS2[2] = {-0x1.a01a01a01a019p-13, 0x1.6dp-67};
constexpr double SineHigh[5] = {0x1.71de3a556c2c8p-19, -0x1.ae64567e73212p-26, 0x1.61245fb506d74p-33,
                                -0x1.ae7c53cc422c9p-41, 0x1.9242bc285ffe3p-49};
constexpr long double CosineLow[2] = {0xaaaaaaaaaaaaaaaap-68L, -0xb60b60b60b60b245p-73L};
constexpr double CosineHigh[5] = {0x1.a01a01a019d0ap-16, -0x1.27e4fb7712d61p-22, 0x1.1eed8deb97423p-29,
                                  -0x1.9394ba0c332d9p-37, 0x1.ab785aa02d659p-45};

// True when x is reduced here: |x| < 2^20, tested without raising invalid for a NaN
// (fucomip), as fsin raises nothing for one.
inline bool InRange(long double x) { return __builtin_isless(__builtin_fabsl(x), Limit); }

// x = k pi/2 + R - Rest with |R| <= pi/4 (a little more at worst) and |Rest| below
// 2^-63 |R| or so; K is k as an integer.
struct TReduced {
  long double R, Rest;
  std::int32_t K;
};

// For |x| < 2^20. k is x 2/pi rounded to nearest by RoundingShift (a quotient that
// rounds to zero gives +0 where frndint gives -0, which changes no bit of R or of the
// polynomials' results). t1 = x - k A and t2 = k B are exact; so is the rounding error
// of hi = t1 - t2 taken as (t1 - hi) - t2 (Dekker's fast two-sum): when |t1| < |t2|
// both lie below 2^-22 as multiples of 2^-86, so hi is exact and the error 0. Rest is
// k C less that error. R = hi is ready before Rest, which the polynomials need at the
// end.
inline TReduced Reduce(long double x) {
  const long double k = (x * TwoOverPi + RoundingShift) - RoundingShift;
  const std::int32_t integer = X87::Fist(k);
  const long double t1 = x - k * PiOver2A;
  const long double t2 = k * PiOver2B;
  const long double hi = t1 - t2;
  const long double error = (t1 - hi) - t2;
  return {hi, k * PiOver2C - error, integer};
}

// sin(r - rest) = r - ((rest (1 - z/2) - t0) - t1 - t2), z = r^2, with the terms of
// r^3 P(z), P = S0 + S1 z + ... + S7 z^7, grouped by powers of z^2 so that each waits
// for as few dependent steps as possible: t0 = z r (S0 + S1 z), t1 = z^3 r (S2 + S3 z),
// t2 = z^5 r ((S4 + S5 z) + (S6 + S7 z) z^2). Each term is subtracted as soon as it is
// ready, smallest last, and r comes last.
inline long double SinePolynomial(long double r, long double rest) {
  const long double z = r * r;
  const long double restCorrected = rest - rest * (z * 0.5);
  const long double zr = z * r;
  const long double l0 = SineLow[1] * z + SineLow[0];
  long double sum = restCorrected - l0 * zr;
  const long double z2 = z * z;
  const long double zr2 = zr * z2;
  const long double l1 = (SineHigh[0] * z + SineS2[0]) + SineS2[1];
  sum = sum - l1 * zr2;
  const long double zr4 = zr2 * z2;
  const long double l3z2 = (SineHigh[4] * z + SineHigh[3]) * z2;
  const long double h = (SineHigh[2] * z + SineHigh[1]) + l3z2;
  sum = sum - h * zr4;
  return r - sum;
}

// cos(r - rest) = w + ((((1 - w) - z/2) + r rest) + c0 + c1 + c2), w = 1 - z/2, with
// the terms of z^2 Q(z), Q = C0 + C1 z + ... + C6 z^6, grouped as for the sine:
// c0 = z^2 (C0 + C1 z), c1 = z^4 (C2 + C3 z), c2 = z^6 ((C4 + C5 z) + C6 z^2).
inline long double CosinePolynomial(long double r, long double rest) {
  const long double rr = r * rest;
  const long double z = r * r;
  const long double half = z * 0.5;
  const long double w = 1 - half;
  const long double correction = ((1 - w) - half) + rr;
  const long double l0 = CosineLow[1] * z + CosineLow[0];
  const long double z2 = z * z;
  long double sum = correction + l0 * z2;
  const long double l1 = CosineHigh[1] * z + CosineHigh[0];
  const long double z4 = z2 * z2;
  sum = sum + l1 * z4;
  const long double z6 = z4 * z2;
  const long double h = (CosineHigh[3] * z + CosineHigh[2]) + CosineHigh[4] * z2;
  sum = sum + h * z6;
  return w + sum;
}

// sin x for offset 0, cos x for offset 1 (cos x = sin(x + pi/2)), for |x| < 2^20.
inline long double OfQuadrant(long double x, std::int32_t offset) {
  const TReduced reduced = Reduce(x);
  const std::int32_t quadrant = reduced.K + offset;
  const long double v =
      quadrant & 1 ? CosinePolynomial(reduced.R, reduced.Rest) : SinePolynomial(reduced.R, reduced.Rest);
  return quadrant & 2 ? -v : v;
}

// Both values of one x, |x| < 2^20, from one reduction: the two polynomials that
// OfQuadrant(x, 0) and OfQuadrant(x, 1) choose between, each evaluated once. In
// quadrant k the sine is (s, c, -s, -c)[k mod 4] and the cosine the entry after it, so
// both are the bits of the separate calls.
struct TSineCosine {
  long double Sine, Cosine;
};
inline TSineCosine OfBoth(long double x) {
  const TReduced reduced = Reduce(x);
  const long double c = CosinePolynomial(reduced.R, reduced.Rest);
  const long double s = SinePolynomial(reduced.R, reduced.Rest);
  const bool odd = (reduced.K & 1) != 0;
  const long double sine = odd ? c : s, cosine = odd ? s : c;
  return {reduced.K & 2 ? -sine : sine, (reduced.K + 1) & 2 ? -cosine : cosine};
}

}  // namespace ExtendedSine
