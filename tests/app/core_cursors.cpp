// The p and q scroll bars: value of a position, position of a value, the panel text,
// and the range fields with their plain decimal conversion.
#include <gtest/gtest.h>

#include <cmath>

#include "app/core/AppState.h"
#include "app/core/CurveInput.h"
#include "formula/Checks.h"
#include "formula/FunPars.h"
#include "geometry/SharedState.h"
#include "tests/support/TestData.h"

using namespace CurveInput;

namespace {

// The accepted ranges and values as at start-up.
class CursorState : public ::testing::Test {
 protected:
  void SetUp() override {
    TestData().Input.PMin = 0;
    TestData().Input.PMax = 5;
    TestData().Input.QMin = 0;
    TestData().Input.QMax = Glob::Pi;
    TestData().Input.PValue = TestData().Input.QValue = 0;
    UpdateParamScales(TestData().Input);
  }
};

}  // namespace

TEST(CursorArithmetic, PositionsAndValuesOfTheDefaultRange) {
  EXPECT_EQ(CursorValue(190, 0, 5), 2.5L);
  EXPECT_EQ(CursorValue(0, 0, 5), 0.0L);
  EXPECT_EQ(CursorValue(380, 0, 5), 5.0L);
  EXPECT_LE(std::fabs(CursorValue(380, -1, Glob::Pi) - Glob::Pi), 1e-18L);
  EXPECT_EQ(CursorPosition(2.5L, 0, 0.2L), 190);
  EXPECT_EQ(CursorPosition(5, 0, 0.2L), 380);
  // Every position maps back onto itself.
  for (int position = 0; position <= CursorMax; ++position)
    ASSERT_EQ(CursorPosition(CursorValue(position, 0, Glob::Pi), 0, 1 / Glob::Pi), position) << position;
}

TEST(CursorArithmetic, HalfPositionsRoundToEven) {
  // 1 * 380 / 8 = 47.5 and 3 * 380 / 8 = 142.5, both exact.
  EXPECT_EQ(CursorPosition(1, 0, 0.125L), 48);
  EXPECT_EQ(CursorPosition(3, 0, 0.125L), 142);
}

TEST(CursorArithmetic, PositionsOutsideTheBarAreRefused) {
  try {
    CursorPosition(6, 0, 0.2L);
    FAIL() << "a value above the range got a position";
  } catch (const WendrixError& e) {
    EXPECT_STREQ(e.what(), "Scrollbar property out of range");
  }
  EXPECT_THROW(CursorPosition(-0.01L, 0, 0.2L), WendrixError);
  // Just beyond the end still rounds onto the last position.
  EXPECT_EQ(CursorPosition(5.001L, 0, 0.2L), 380);
}

TEST(CursorArithmetic, SnappingKeepsPositionValuesAndNamesTheRange) {
  long double snapped = -1;
  std::string message;
  ASSERT_TRUE(SnapParameter('p', 2.5L, 0, 5, snapped, message));
  EXPECT_EQ(snapped, 2.5L);
  ASSERT_TRUE(SnapParameter('p', 1.23L, 0, 5, snapped, message));
  EXPECT_EQ(snapped, CursorValue(93, 0, 5));
  EXPECT_FALSE(SnapParameter('q', 7, 0, 5, snapped, message));
  EXPECT_EQ(message, "q = 7 lies outside its range 0 to 5");
  ASSERT_TRUE(SnapParameter('p', 7, 2, 2, snapped, message));
  EXPECT_EQ(snapped, 2.0L);
}

TEST(PanelText, ThreeDecimalsOfFiveSignificantDigits) {
  EXPECT_EQ(PanelText(0), "0.000");
  EXPECT_EQ(PanelText(-0.0L), "0.000");
  EXPECT_EQ(PanelText(2.5L), "2.500");
  EXPECT_EQ(PanelText(Glob::Pi), "3.142");
  EXPECT_EQ(PanelText(-1.5L), "-1.500");
  EXPECT_EQ(PanelText(0.0004L), "0.000");
  EXPECT_EQ(PanelText(12.34567L), "12.346");
  EXPECT_EQ(PanelText(123.4567L), "123.460");
  EXPECT_EQ(PanelText(99999.4L), "99999.000");
  EXPECT_EQ(PanelText(123456), "1.2346E5");
}

TEST_F(CursorState, AnEmptyRangeHasScaleZeroAndPositionZero) {
  TestData().Input.PMin = TestData().Input.PMax = 2;
  TestData().Input.PValue = 7;
  UpdateParamScales(TestData().Input);
  EXPECT_EQ(TestData().Input.PScale, 0.0L);
  EXPECT_EQ(TestData().Input.QScale, 1 / Glob::Pi);
  EXPECT_EQ(SituaCursores(TestData().Input).P, 0);
}

TEST_F(CursorState, MovingABarTakesItsValueOnce) {
  std::string panel = "unchanged";
  ASSERT_TRUE(AjustaParametros(TestData(), TParam::P, 190, panel));
  EXPECT_EQ(TestData().Input.PValue, 2.5L);
  EXPECT_EQ(panel, "2.500");
  EXPECT_EQ(TestData().Curve.P, 2.5L);

  // The same position again changes nothing.
  panel = "unchanged";
  EXPECT_FALSE(AjustaParametros(TestData(), TParam::P, 190, panel));
  EXPECT_EQ(panel, "unchanged");

  ASSERT_TRUE(AjustaParametros(TestData(), TParam::Q, 380, panel));
  EXPECT_LE(std::fabs(TestData().Input.QValue - Glob::Pi), 1e-18L);
  EXPECT_EQ(panel, "3.142");
  EXPECT_EQ(TestData().Curve.Q, TestData().Input.QValue);
  EXPECT_EQ(TestData().Input.PValue, 2.5L);
  const TCursorPositions positions = SituaCursores(TestData().Input);
  EXPECT_EQ(positions.P, 190);
  EXPECT_EQ(positions.Q, 380);
}

TEST_F(CursorState, RangeFieldsTakePlainNumbersAtOnce) {
  EXPECT_TRUE(CambiaLimParam(TestData().Input, TRangeField::QMax, "3.5"));
  EXPECT_EQ(TestData().Input.QMax, 3.5L);
  EXPECT_EQ(TestData().Input.QScale, 1 / 3.5L);

  for (const char* text : {"p", "pi", "", "2 pi", "1,5"}) {
    EXPECT_FALSE(CambiaLimParam(TestData().Input, TRangeField::QMax, text)) << text;
    EXPECT_EQ(TestData().Input.QMax, 3.5L) << text;
  }

  EXPECT_TRUE(CambiaLimParam(TestData().Input, TRangeField::PMin, "-5"));
  EXPECT_EQ(TestData().Input.PMin, -5.0L);
  EXPECT_EQ(TestData().Input.PScale, 0.1L);
}

TEST_F(CursorState, NarrowingARangeBelowTheValueCannotPlaceTheBar) {
  TestData().Input.PValue = 4;
  ASSERT_TRUE(CambiaLimParam(TestData().Input, TRangeField::PMax, "2"));
  EXPECT_THROW(SituaCursores(TestData().Input), WendrixError);
  // An inverted range gives a negative scale and is refused the same way.
  TestData().Input.PValue = 1;
  ASSERT_TRUE(CambiaLimParam(TestData().Input, TRangeField::PMin, "3"));
  EXPECT_THROW(SituaCursores(TestData().Input), WendrixError);
}

TEST(PlainDecimal, NumbersAsTheRangeFieldsTakeThem) {
  const std::pair<const char*, long double> good[] = {
      {"5", 5}, {"3.5", 3.5L}, {" 3.5 ", 3.5L}, {"-2e-3", -2e-3L}, {"+1", 1}, {".5", 0.5L}, {"5.", 5}, {"1E3", 1000},
  };
  for (const auto& [text, expected] : good) {
    long double value = -99;
    EXPECT_TRUE(ParsePlainDecimal(text, value)) << text;
    EXPECT_EQ(value, expected) << text;
  }
  for (const char* text : {"pi", "p", "", " ", "1,5", "inf", "nan", "1e", "e5", "--1", "1e99999", "0x10", "1 2", "."}) {
    long double value = -99;
    EXPECT_FALSE(ParsePlainDecimal(text, value)) << text;
    EXPECT_EQ(value, -99) << text;
  }
}
