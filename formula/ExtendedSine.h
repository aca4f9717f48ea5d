// Sine and cosine in extended precision without the fsin and fcos instructions: the
// argument is reduced by pi/64 split in four parts to |r| <= pi/128 around a point
// j pi/64 of a table of sin and cos, and two short polynomials give sin r and
// cos r - 1, from which sin(j pi/64 + r) = S + (C sin r + S (cos r - 1)). Over
// |x| < 2^20 the error stays within one unit in the last place of the 64-bit
// significand, where fsin, with its 66-bit pi, loses digits near every multiple of pi.
// From 2^20 on (and for zeros, NaNs and infinities) the formula programs fall back to
// the instructions: fsin unreduced, fcos after one fprem by 2 pi, which give
// sin(+-0) = +-0 and cos(+-0) = 1 exactly.
//
// Each step below is one x87 operation rounded to 64 bits; the native code generator
// (NativeSine.cpp) emits the same operations on the same operands, so both compute the
// same bits. Operands of + and * may swap, nothing else. The constants held as double
// are exact there, and read as such (fmul m64, fadd m64).
#pragma once

#include <cstdint>

#include "formula/SineTable.h"
#include "formula/X87.h"

namespace ExtendedSine {

// Arguments from 2^20 on, zeros, NaNs and infinities are left to the instructions.
constexpr double Limit = 0x1p20;

// Adding 1.5 2^63 to |y| < 2^62 leaves no fraction bits, so adding and subtracting it
// rounds y to the nearest integer (halves to even), faster than frndint.
constexpr double RoundingShift = 0x1.8p63;

// sin r = r + r^3 (-1/6 + S1 z + S2 z^2 + S3 z^3) and cos r - 1 = -z/2 + z^2 (Q1 + Q2 z
// + Q3 z^2), z = r^2: the Taylor terms, whose first left-out term is below 2^-75 of
// the result for |r| <= pi/128. -1/6 is held as two doubles, added one after the
// other.
constexpr double SineTerms[3] = {0x1.1111111111111p-7, -0x1.a01a01a01a01ap-13, 0x1.71de3a556c734p-19};
constexpr double CosineTerms[3] = {0x1.5555555555555p-5, -0x1.6c16c16c16c17p-10, 0x1.a01a01a01a01ap-16};

// True when x is reduced here: 0 < |x| < 2^20, tested without raising invalid for a NaN
// (fucomip), as fsin raises nothing for one. Leaving out the zeros spares the reduction
// and the polynomials every care for the sign of a zero.
inline bool InRange(long double x) {
  const long double magnitude = __builtin_fabsl(x);
  return __builtin_isless(magnitude, Limit) && magnitude != 0;
}

// x = k pi/64 + R - Rest with |R| <= pi/128 (a little more at worst) and |Rest| below
// 2^-63 |R| + 2^-95 or so; K is k as an integer.
struct TReduced {
  long double R, Rest;
  std::int32_t K;
};

// For 0 < |x| < 2^20, so |k| < 2^25. t1 = x - k A, t2 = k B and t3 = k C are exact
// (A has 39 bits, B and C 38, and x - k A cancels). h = t1 - t2 and R = h - t3 keep
// their rounding errors e1 = (t1 - h) - t2 and e2 = (h - R) - t3 (Dekker's fast
// two-sum; when the second operand is the larger both are multiples of its last bit
// below 2^26 times it, so the difference is exact and the error 0). Rest = (k D - e1)
// - e2. Near multiples of pi/2, where R is smallest, all but k D are exact.
inline TReduced Reduce(long double x) {
  const long double k = (x * SixtyFourOverPi + RoundingShift) - RoundingShift;
  const std::int32_t integer = X87::Fist(k);
  const long double t1 = x - k * PiOver64[0];
  const long double t2 = k * PiOver64[1];
  const long double h = t1 - t2;
  const long double e1 = (t1 - h) - t2;
  const long double t3 = k * PiOver64[2];
  const long double r = h - t3;
  const long double e2 = (h - r) - t3;
  return {r, (k * PiOver64[3] - e1) - e2, integer};
}

// The table point to 64 bits: the sum of two doubles, exact there.
inline long double Full(const TTablePoint& point) { return static_cast<long double>(point.High) + point.Middle; }

// Adding and subtracting r times 2^32 + 1 leaves the first 32 bits of r (Veltkamp's
// split); the product of such a part and a 32-bit table value is exact.
constexpr double SplitFactor = 0x1.00000001p32;

// sin(a + r - rest) for a = j pi/64, S = sin a and C = cos a from the table. C r is
// formed exactly, as C32 rh + C32 rl + (C - C32) r with C32 the first 32 bits of C
// and r = rh + rl split in halves of 32 bits, and S + C32 rh is kept as hi + err
// (fast two-sum, |S| >= |C32 rh| unless S = 0). Then
//   hi + ((((((S.Low - C rest) + (C - C32) r) + C32 rl) - S z/2) + err) + (S z^2 q + C z r p))
// with p = -1/6 + S1 z + (S2 + S3 z) z^2 (sin r = r + z r p) and q = Q1 + (Q2 + Q3 z) z
// (cos r - 1 = -z/2 + z^2 q): one rounding of hi's size, at the end. The rest enters
// as -C rest (the change of sin r; that of cos r is below 2^-70 of the result). The
// products by z^2 and by z r are formed before the polynomials are ready, so that each
// polynomial waits only for one more product and two sums.
inline long double AroundTablePoint(const TReduced& reduced, std::int32_t j) {
  const TTablePoint& sine = Table[j];
  const TTablePoint& cosine = Table[j + 32];
  const long double r = reduced.R;
  const long double z = r * r;
  const long double c = static_cast<long double>(cosine.Half) + cosine.Rest;
  long double sum = sine.Low - c * reduced.Rest;
  sum = sum + cosine.Rest * r;
  const long double czr = c * (z * r);
  const long double split = r * SplitFactor;
  const long double rh = split - (split - r);
  sum = sum + (r - rh) * cosine.Half;
  const long double high = rh * cosine.Half;
  const long double s = Full(sine);
  sum = sum - s * (z * 0.5);
  const long double hi = s + high;
  sum = sum + ((s - hi) + high);
  const long double z2 = z * z;
  const long double sz2 = s * z2;
  const long double p = ((SineTerms[0] * z + MinusSixth[0]) + MinusSixth[1]) + (SineTerms[2] * z + SineTerms[1]) * z2;
  const long double q = (CosineTerms[2] * z + CosineTerms[1]) * z + CosineTerms[0];
  return hi + (sum + (sz2 * q + czr * p));
}

// sin x for quarterTurns 0, cos x for 1 (cos x = sin(x + pi/2)), for 0 < |x| < 2^20.
inline long double OfQuadrant(long double x, std::int32_t quarterTurns) {
  const TReduced reduced = Reduce(x);
  return AroundTablePoint(reduced, (reduced.K + 32 * quarterTurns) & 127);
}

}  // namespace ExtendedSine
