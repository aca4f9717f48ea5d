// The evaluation rules of programs: each guard at and around its threshold, the
// instruction-level behaviour of the elementary functions, and the exception flags.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>

#include "formula/Checks.h"
#include "tests/formula/formula_helpers.h"

namespace {

constexpr long double Pi = 3.14159265358979323846264338327950288L;

// The value of `text` at t; a guarded value must raise none of the flags that the
// drawing sequence turns into errors.
long double Guarded(const std::string& text, long double t = 0) {
  std::feclearexcept(FE_ALL_EXCEPT);
  const long double v = FormulaTest::Eval(text, t);
  EXPECT_EQ(std::fetestexcept(FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW), 0) << text << " at " << t;
  return v;
}

long double Next(long double v, long double toward) { return std::nextafter(v, toward); }

TEST(FormulaGuards, Division) {
  EXPECT_EQ(Guarded("1/0"), 1e300L);
  EXPECT_EQ(Guarded("-2/0"), -2e300L);
  EXPECT_EQ(Guarded("0/0"), 0);
  EXPECT_EQ(Guarded("1/t", -0.0L), 1e300L);  // a negative zero is zero
  EXPECT_EQ(Guarded("3/t", 4), 0.75L);
  EXPECT_EQ(Guarded("1/t", 1e-4932L), 1 / 1e-4932L);  // a denormal divisor divides
}

TEST(FormulaGuards, ExponentialClampsBeyondAThousandBinaryOrders) {
  // With base 2 the power's argument of SafeExp2 is t itself.
  EXPECT_EQ(Guarded("2^t", 1000), std::ldexp(1.0L, 1000));
  EXPECT_EQ(Guarded("2^t", Next(1000, 2000)), 1e300L);  // 2^1000 > 1e300: not monotonic
  EXPECT_EQ(Guarded("2^t", -1000), std::ldexp(1.0L, -1000));
  EXPECT_EQ(Guarded("2^t", Next(-1000, -2000)), 1e-300L);
  EXPECT_EQ(Guarded("2^t", 10.5L), std::ldexp(std::sqrt(2.0L), 10));
  EXPECT_NEAR(Guarded("2^0.5"), std::sqrt(2.0L), 2e-19L);
  EXPECT_EQ(Guarded("exp(800)"), 1e300L);
  EXPECT_EQ(Guarded("exp(-800)"), 1e-300L);
  EXPECT_EQ(Guarded("exp(693.2)"), 1e300L);  // 693.2 log2 e is just above 1000
  const long double e693 = Guarded("exp(693)");
  EXPECT_NEAR(e693 / std::exp(693.0L), 1, 1e-17L);
  EXPECT_EQ(Guarded("exp(0)"), 1);
  EXPECT_NEAR(Guarded("exp(1)"), 2.71828182845904523536028747135266250L, 4e-19L);
}

TEST(FormulaGuards, PowersOfNonPositiveBases) {
  for (const long double t : {0.5L, 2.0L, -3.0L, 0.0L}) {
    EXPECT_EQ(Guarded("(-2)^t", t), 0) << t;
    EXPECT_EQ(Guarded("0^t", t), 0) << t;
  }
  EXPECT_EQ(Guarded("t^0.5", -0.0L), 0);
  EXPECT_NEAR(Guarded("t^pi", 3), std::pow(3.0L, Pi), 1e-16L);
}

TEST(FormulaGuards, LogarithmAndSquareRoot) {
  EXPECT_EQ(Guarded("ln(0)"), -1000);
  EXPECT_EQ(Guarded("ln(-1)"), -1000);
  EXPECT_EQ(Guarded("log(t)", -0.0L), -1000);
  EXPECT_EQ(Guarded("ln(1)"), 0);
  EXPECT_NEAR(Guarded("ln(t)", 1e-4940L), std::log(1e-4940L), 1e-14L);
  EXPECT_EQ(Guarded("sqrt(-4)"), 0);
  EXPECT_EQ(Guarded("sqrt(0)"), 0);
  EXPECT_EQ(Guarded("sqrt(t)", -0.0L), 0);
  EXPECT_EQ(Guarded("sqrt(2.25)"), 1.5L);
}

TEST(FormulaGuards, ArcFunctionsOutsideTheirDomain) {
  EXPECT_EQ(Guarded("asin(2)"), Pi / 2);
  EXPECT_EQ(Guarded("asin(-2)"), -Pi / 2);
  EXPECT_EQ(Guarded("asin(1)"), Pi / 2);
  EXPECT_EQ(Guarded("asin(-1)"), -Pi / 2);
  EXPECT_EQ(Guarded("asin(t)", Next(1, 2)), Pi / 2);
  EXPECT_NEAR(Guarded("arcsen(0.5)"), Pi / 6, 2e-19L);
  EXPECT_EQ(Guarded("acos(2)"), 0);
  EXPECT_EQ(Guarded("acos(-2)"), Pi);
  EXPECT_EQ(Guarded("acos(1)"), 0);
  EXPECT_EQ(Guarded("acos(-1)"), Pi);
  EXPECT_NEAR(Guarded("acos(0.5)"), Pi / 3, 2e-19L);
  EXPECT_EQ(Guarded("atan(1)"), Pi / 4);
  EXPECT_EQ(Guarded("atan(t)", 1e4000L), Pi / 2);
  EXPECT_EQ(Guarded("acosh(0.5)"), 0);
  EXPECT_EQ(Guarded("acosh(1)"), 0);
  EXPECT_NEAR(Guarded("acosh(2)"), std::log(2 + std::sqrt(3.0L)), 2e-19L);
  EXPECT_EQ(Guarded("atanh(1)"), 1e300L);
  EXPECT_EQ(Guarded("atanh(-1)"), -1e300L);
  EXPECT_EQ(Guarded("atanh(-3)"), -1e300L);
  EXPECT_NEAR(Guarded("atanh(0.5)"), std::atanh(0.5L), 2e-19L);
  EXPECT_NEAR(Guarded("asinh(-1)"), -std::log(1 + std::sqrt(2.0L)), 2e-19L);
  EXPECT_EQ(Guarded("asinh(-t)", 2), -Guarded("asinh(t)", 2));  // odd by construction
}

TEST(FormulaGuards, HyperbolicFunctionsAtTheClamp) {
  EXPECT_EQ(Guarded("sinh(0)"), 0);
  EXPECT_EQ(Guarded("cosh(0)"), 1);
  EXPECT_EQ(Guarded("tanh(0)"), 0);
  EXPECT_EQ(Guarded("sinh(1000)"), (1e300L - 1 / 1e300L) * 0.5L);
  EXPECT_EQ(Guarded("cosh(-1000)"), (1e-300L + 1 / 1e-300L) * 0.5L);
  EXPECT_EQ(Guarded("tanh(10000)"), 1);
  EXPECT_EQ(Guarded("tanh(-10000)"), -1);
  EXPECT_NEAR(Guarded("sh(1)"), std::sinh(1.0L), 2e-19L);
  EXPECT_NEAR(Guarded("th(0.5)"), std::tanh(0.5L), 2e-19L);
}

TEST(FormulaGuards, TrigonometricReductions) {
  EXPECT_EQ(Guarded("cos(0)"), 1);
  EXPECT_EQ(Guarded("cot(0)"), 1e300L);
  EXPECT_EQ(Guarded("cot(pi)"), 1e300L);  // pi modulo pi is exactly 0
  EXPECT_EQ(Guarded("cotg(t)", -0.0L), 1e300L);
  EXPECT_NEAR(Guarded("cot(t)", Pi / 4), 1, 2e-19L);
  EXPECT_NEAR(Guarded("tan(t)", 0.3L + 3 * Pi), std::tan(0.3L), 1e-17L);
  EXPECT_NEAR(Guarded("cos(t)", 0.3L - 40 * Pi), std::cos(0.3L), 1e-17L);
  // fsin reduces nothing: from 2^63 on the argument comes back unchanged.
  EXPECT_EQ(Guarded("sin(t)", std::ldexp(1.0L, 63)), std::ldexp(1.0L, 63));
  EXPECT_NE(Guarded("sin(t)", std::ldexp(1.0L, 62)), std::ldexp(1.0L, 62));
  // One fprem step cannot bring 2^200 below 2^63, so the cosine leaves it as it is.
  const long double huge = Guarded("cos(t)", std::ldexp(1.0L, 200));
  EXPECT_GE(std::fabs(huge), std::ldexp(1.0L, 63));
  EXPECT_GE(std::fabs(Guarded("tan(t)", std::ldexp(1.0L, 200))), std::ldexp(1.0L, 63));
  EXPECT_EQ(Guarded("cot(t)", std::ldexp(1.0L, 200)), 1);
}

TEST(FormulaGuards, SineAndCosineOfNonFiniteArguments) {
  // A quiet NaN passes through both without a flag, as through fsin; an infinity is
  // an invalid operation, as fsin and fprem make it.
  const long double nan = std::numeric_limits<long double>::quiet_NaN();
  EXPECT_TRUE(std::isnan(Guarded("sin(t)", nan)));
  EXPECT_TRUE(std::isnan(Guarded("cos(t)", nan)));
  for (const char* text : {"sin(t)", "cos(t)"})
    for (const long double t : {std::numeric_limits<long double>::infinity(), -HUGE_VALL}) {
      ClearFloatFlags();
      EXPECT_TRUE(std::isnan(FormulaTest::Eval(text, t))) << text;
      EXPECT_THROW(CheckFloatFlags(), FloatError) << text << " at " << t;
    }
  EXPECT_TRUE(std::signbit(Guarded("sin(t)", -0.0L)));
}

TEST(FormulaGuards, PiAndNegation) {
  EXPECT_EQ(Guarded("pi"), Pi);
  EXPECT_EQ(Guarded("abs(-t)", 2), 2);
  EXPECT_EQ(Guarded("-t", 2), -2);
}

TEST(FormulaGuards, UnguardedOverflowRaisesItsFlag) {
  ClearFloatFlags();
  EXPECT_TRUE(std::isinf(FormulaTest::Eval("t*t", 1e3000L)));
  EXPECT_THROW(CheckFloatFlags(), FloatError);
  ClearFloatFlags();
  FormulaTest::Eval("acosh(t)", 1e3000L);  // the square inside acosh is not guarded
  EXPECT_NE(std::fetestexcept(FE_OVERFLOW), 0);
  ClearFloatFlags();
}

}  // namespace
