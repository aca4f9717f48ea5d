// The formula programs' sine and cosine against MPFR on a million arguments below 10^6
// in magnitude: spread evenly, spread over binary orders, next to multiples of pi/2,
// where a reduction with a short pi loses digits, and next to multiples of pi/4, where
// the polynomials meet their largest arguments. Within one unit in the last place
// (64-bit significand) of the exact value.
#include <gtest/gtest.h>
#include <mpfr.h>

#include <cmath>
#include <cstdio>
#include <random>

#include "formula/Operations.h"

namespace {

class TMpfrReference {
 public:
  TMpfrReference() {
    mpfr_inits2(80, x_, sine_, cosine_, error_, static_cast<mpfr_ptr>(nullptr));
    mpfr_inits2(256, halfPi_, reduced_, static_cast<mpfr_ptr>(nullptr));
    mpfr_const_pi(halfPi_, MPFR_RNDN);
    mpfr_div_2ui(halfPi_, halfPi_, 1, MPFR_RNDN);
  }
  ~TMpfrReference() { mpfr_clears(x_, sine_, cosine_, error_, halfPi_, reduced_, static_cast<mpfr_ptr>(nullptr)); }

  // sin x and cos x to 80 bits, from x - k pi/2 taken with a 256-bit pi (|x| < 2^20).
  void Set(long double x) {
    const long k = std::lround(x / 1.57079632679489661923132169163975144L);
    mpfr_mul_si(reduced_, halfPi_, k, MPFR_RNDN);
    mpfr_set_ld(x_, x, MPFR_RNDN);
    mpfr_sub(reduced_, x_, reduced_, MPFR_RNDN);
    mpfr_set(x_, reduced_, MPFR_RNDN);
    mpfr_sin_cos(sine_, cosine_, x_, MPFR_RNDN);
    if (k & 1) {
      mpfr_swap(sine_, cosine_);
      mpfr_neg(cosine_, cosine_, MPFR_RNDN);
    }
    if (k & 2) {
      mpfr_neg(sine_, sine_, MPFR_RNDN);
      mpfr_neg(cosine_, cosine_, MPFR_RNDN);
    }
  }

  double SineUlps(long double v) { return Ulps(v, sine_); }
  double CosineUlps(long double v) { return Ulps(v, cosine_); }

 private:
  // |v - exact| in units of 2^(e - 64), where 2^(e-1) <= |exact| < 2^e.
  double Ulps(long double v, mpfr_t exact) {
    mpfr_set_ld(error_, v, MPFR_RNDN);
    mpfr_sub(error_, error_, exact, MPFR_RNDN);
    mpfr_mul_2si(error_, error_, 64 - mpfr_get_exp(exact), MPFR_RNDN);
    return std::fabs(mpfr_get_d(error_, MPFR_RNDN));
  }

  mpfr_t x_, sine_, cosine_, error_, halfPi_, reduced_;
};

struct TWorst {
  double Ulps = 0;
  long double At = 0;
  void Note(double ulps, long double x) {
    if (ulps > Ulps) *this = {ulps, x};
  }
};

TEST(FormulaSineMpfr, SineAndCosineWithinOneUlpBelowAMillion) {
  std::mt19937_64 random(19);
  TMpfrReference exact;
  TWorst sine, cosine;
  for (int i = 0; i < 1000000; ++i) {
    long double x;
    const std::uint64_t bits = random();
    if (i % 4 == 0) {
      x = std::ldexp(static_cast<long double>(bits), -64) * 1e6L;
    } else if (i % 4 == 1) {
      x = std::ldexp(static_cast<long double>(bits | 1ULL << 63), static_cast<int>(random() % 60) - 103);
    } else {
      // Next to a multiple of pi/2, where the reduced argument is smallest, or of pi/4,
      // where it is largest and the quadrant changes.
      const long double step =
          i % 4 == 2 ? 1.57079632679489661923132169163975144L : 0.785398163397448309615660845819875721L;
      const long double multiple = static_cast<long double>(bits % static_cast<std::uint64_t>(1e6L / step)) * step;
      const long double ulp = std::nextafter(multiple, 2e6L) - multiple;
      x = multiple + ulp * static_cast<long double>(static_cast<int>(random() % 2001) - 1000);
    }
    if (random() & 1) x = -x;
    exact.Set(x);
    sine.Note(exact.SineUlps(FormulaOps::Sine(x)), x);
    cosine.Note(exact.CosineUlps(FormulaOps::Cosine(x)), x);
  }
  std::printf("sine: at most %.3f ulp (at %.21Lg); cosine: at most %.3f ulp (at %.21Lg)\n", sine.Ulps, sine.At,
              cosine.Ulps, cosine.At);
  EXPECT_LE(sine.Ulps, 1.0) << static_cast<double>(sine.At);
  EXPECT_LE(cosine.Ulps, 1.0) << static_cast<double>(cosine.At);
}

}  // namespace
