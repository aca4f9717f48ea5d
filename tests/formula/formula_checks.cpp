// The checked real-to-integer conversions: their rounding rules at halves, at negative
// values and signed zeros, at the ends of the 32-bit range, and the refusals.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "formula/Checks.h"

namespace {

constexpr long double Inf = std::numeric_limits<long double>::infinity();

TEST(FormulaChecks, RoundTakesTheNearestWithHalvesToEven) {
  const struct {
    long double v;
    std::int32_t rounded;
  } cases[] = {{0.5L, 0},  {1.5L, 2},     {2.5L, 2},  {-0.5L, 0},   {-1.5L, -2}, {-2.5L, -2},
               {0.49999999999999999995L, 0}, {2.7L, 3}, {-2.7L, -3}, {-0.0L, 0},  {7, 7}};
  for (const auto& c : cases) EXPECT_EQ(RoundChecked(c.v), c.rounded) << c.v;
}

TEST(FormulaChecks, FloorTruncAndCeil) {
  const struct {
    long double v;
    std::int32_t floor, trunc, ceil;
  } cases[] = {{2.5L, 2, 2, 3},       {-2.5L, -3, -2, -2}, {-0.5L, -1, 0, 0},   {0.5L, 0, 0, 1},
               {-0.0L, 0, 0, 0},      {3, 3, 3, 3},        {-3, -3, -3, -3},   {1e-30L, 0, 0, 1},
               {-1e-30L, -1, 0, 0},   {std::nextafter(3.0L, 0.0L), 2, 2, 3},       {-7.5L, -8, -7, -7},
               {std::nextafter(1.0L, 0.0L), 0, 0, 1}, {std::nextafter(-1.0L, 0.0L), -1, 0, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(FloorChecked(c.v), c.floor) << c.v;
    EXPECT_EQ(TruncChecked(c.v), c.trunc) << c.v;
    EXPECT_EQ(CeilChecked(c.v), c.ceil) << c.v;
  }
}

TEST(FormulaChecks, TheEndsOfTheRangeAndTheRefusals) {
  EXPECT_EQ(RoundChecked(2147483647.4L), 2147483647);
  EXPECT_THROW(RoundChecked(2147483647.5L), RangeError);  // the nearest integer is 2^31
  EXPECT_EQ(RoundChecked(-2147483648.5L), -2147483648);   // halves to even
  EXPECT_EQ(FloorChecked(2147483647.9L), 2147483647);
  EXPECT_THROW(FloorChecked(-2147483648.1L), RangeError);
  EXPECT_EQ(TruncChecked(-2147483648.9L), -2147483648);
  EXPECT_EQ(TruncChecked(2147483647.9L), 2147483647);
  EXPECT_THROW(CeilChecked(2147483647.1L), RangeError);
  for (const long double bad : {Inf, -Inf, std::numeric_limits<long double>::quiet_NaN(), 1e30L, -1e30L,
                                std::ldexp(1.0L, 64)}) {
    EXPECT_THROW(RoundChecked(bad), RangeError) << bad;
    EXPECT_THROW(FloorChecked(bad), RangeError) << bad;
    EXPECT_THROW(TruncChecked(bad), RangeError) << bad;
    EXPECT_THROW(CeilChecked(bad), RangeError) << bad;
  }
}

TEST(FormulaChecks, IndexChecks) {
  EXPECT_NO_THROW(CheckIndex(0, 1));
  EXPECT_THROW(CheckIndex(1, 1), RangeError);
  EXPECT_THROW(CheckIndex(-1, 5), RangeError);
  EXPECT_THROW(CheckIndex(0, 0), RangeError);
}

}  // namespace
