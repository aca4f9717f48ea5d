// Reading and checking the input fields: the three outcomes, the messages with and
// without the beep, trimming, and what a refusal leaves alone.
#include <gtest/gtest.h>

#include <cmath>

#include "app/CadenasRecursos.h"
#include "app/Glob.h"
#include "app/core/AppState.h"
#include "app/core/CurveFile.h"
#include "app/core/CurveInput.h"
#include "formula/FunPars.h"
#include "geometry/Sampling.h"
#include "geometry/SharedState.h"
#include "tests/support/TestData.h"

using namespace CurveInput;

namespace {

class InputCheck : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(GlobInitialize());
    fields = DefaultFields();
  }
  void TearDown() override { FreshTestData(); }

  // Accepts the default fields, as the first "Draw It" does.
  void AcceptDefaults() {
    fields = DefaultFields();
    ready = false;
    ASSERT_EQ(LeeDatos(TestData(), fields, ready).Outcome, TReadOutcome::Changed);
  }

  // The accepted input as the lines of its curve file.
  static std::vector<std::string> Accepted() { return CurveFile::BuildSaveList(TestData().Input); }

  static TVector3 CurveAt(long double t) {
    TVector3 point;
    FunPars::EvalCurve(TestData().Curve, t, point);
    return point;
  }

  void ExpectRefused(const TReadResult& r, const std::string& message, bool beep) {
    EXPECT_EQ(r.Outcome, TReadOutcome::Refused);
    EXPECT_EQ(r.Message, message);
    EXPECT_EQ(r.Beep, beep);
  }

  TInputFields fields;
  bool ready = false;
};

}  // namespace

TEST_F(InputCheck, AcceptingStoresTheInputAndItsDerivedConstants) {
  fields.TMin = "-1";
  fields.TMax = "3";
  fields.PMax = "4";
  const TReadResult r = LeeDatos(TestData(), fields, ready);
  EXPECT_EQ(r.Outcome, TReadOutcome::Changed);
  EXPECT_EQ(r.Message, "");
  EXPECT_FALSE(r.Beep);
  EXPECT_TRUE(ready);
  EXPECT_EQ(TestData().Input.XFormula, "cos(2t)(p+sen(3t))");
  EXPECT_EQ(TestData().Input.ZFormula, "cos(3t+q)");
  EXPECT_EQ(TestData().Input.TMin, -1.0L);
  EXPECT_EQ(TestData().Input.TMax, 3.0L);
  EXPECT_EQ(TestData().Input.PMax, 4.0L);
  std::string message;
  EXPECT_EQ(TestData().Input.QMax, FunPars::EvalConstant("pi", message));
  EXPECT_EQ(TestData().Figure.Param.TSpan, 4.0L);
  EXPECT_EQ(TestData().Figure.Param.TStep, 4.0L / 4096);
  EXPECT_EQ(TestData().Figure.Param.TMid, 1.0L);
  EXPECT_EQ(TestData().Figure.Param.TStepSq18, TestData().Figure.Param.TStep * TestData().Figure.Param.TStep * 18);
  EXPECT_EQ(TestData().Input.PScale, 0.25L);
  EXPECT_EQ(TestData().Input.QScale, 1 / TestData().Input.QMax);
  // The formulas are compiled with t, p, q in this order.
  TestData().Input.PValue = 1;
  TestData().Input.QValue = 0.5L;
  PassParameters(TestData());
  const TVector3 p = CurveAt(0.25L);
  EXPECT_NEAR(static_cast<double>(p.x), std::cos(0.5) * (1 + std::sin(0.75)), 1e-15);
  EXPECT_NEAR(static_cast<double>(p.z), std::cos(0.75 + 0.5), 1e-15);
}

TEST_F(InputCheck, TheDefaultIntervalIsTwoPi) {
  AcceptDefaults();
  EXPECT_EQ(TestData().Input.TMin, 0.0L);
  EXPECT_EQ(CurveFile::FormatGeneral(TestData().Input.TMax), "6.28318530717959");
  EXPECT_EQ(TestData().Input.PMax, 5.0L);
}

TEST_F(InputCheck, UnchangedInputIsNotReadAsNew) {
  AcceptDefaults();
  const TReadResult r = LeeDatos(TestData(), fields, ready);
  EXPECT_EQ(r.Outcome, TReadOutcome::Unchanged);
  EXPECT_EQ(r.Message, "");
  EXPECT_FALSE(r.Beep);

  // Only blanks around a formula, or another spelling of the same limit, is no change.
  fields.X = "  " + fields.X + "\t";
  fields.TMax = "2*pi";
  EXPECT_EQ(LeeDatos(TestData(), fields, ready).Outcome, TReadOutcome::Unchanged);

  // Without Ready every field counts as changed.
  ready = false;
  EXPECT_EQ(LeeDatos(TestData(), fields, ready).Outcome, TReadOutcome::Changed);

  // One changed value is enough.
  fields.QMin = "0.5";
  EXPECT_EQ(LeeDatos(TestData(), fields, ready).Outcome, TReadOutcome::Changed);
  EXPECT_EQ(TestData().Input.QMin, 0.5L);
}

TEST_F(InputCheck, FormulaFieldsAreTrimmedInPlace) {
  fields.X = " \t cos(t) \r\n";
  fields.Y = "\x01sin(t)\x02";
  ASSERT_EQ(LeeDatos(TestData(), fields, ready).Outcome, TReadOutcome::Changed);
  EXPECT_EQ(fields.X, "cos(t)");
  EXPECT_EQ(TestData().Input.XFormula, "cos(t)");
  EXPECT_EQ(fields.Y, "sin(t)");
}

TEST_F(InputCheck, AnEmptyFormulaIsMissingData) {
  AcceptDefaults();
  const std::vector<std::string> before = Accepted();
  fields.Y = "   \t ";
  ExpectRefused(LeeDatos(TestData(), fields, ready), CadenasRecursos::DataMissing, true);
  EXPECT_EQ(fields.Y, "");
  EXPECT_FALSE(ready);
  EXPECT_EQ(Accepted(), before);
  // The check stops at the first empty field: z is not even trimmed.
  fields.Y = "";
  fields.Z = " cos(t) ";
  ExpectRefused(LeeDatos(TestData(), fields, ready), CadenasRecursos::DataMissing, true);
  EXPECT_EQ(fields.Z, " cos(t) ");
}

TEST_F(InputCheck, MiswrittenNumbersNeverShowTheCompilersMessage) {
  AcceptDefaults();
  const std::vector<std::string> before = Accepted();
  std::string TInputFields::*const numberFields[] = {&TInputFields::TMin, &TInputFields::TMax, &TInputFields::PMin,
                                                      &TInputFields::PMax, &TInputFields::QMin, &TInputFields::QMax};
  for (std::string TInputFields::*field : numberFields) {
    for (const char* text : {"", "2..5", "3 +", "t", "sin("}) {
      TInputFields typed = DefaultFields();
      typed.*field = text;
      ready = true;
      ExpectRefused(LeeDatos(TestData(), typed, ready), CadenasRecursos::NumberMissing, true);
      EXPECT_FALSE(ready);
      EXPECT_EQ(Accepted(), before) << text;
    }
  }
}

TEST_F(InputCheck, ConstantFormulasAreLimits) {
  fields.TMin = "-pi/2";
  fields.TMax = "2 pi";
  fields.QMax = "pi";
  ASSERT_EQ(LeeDatos(TestData(), fields, ready).Outcome, TReadOutcome::Changed);
  EXPECT_NEAR(static_cast<double>(TestData().Input.TMin), -1.5707963267948966, 1e-15);
  EXPECT_NEAR(static_cast<double>(TestData().Input.TMax), 6.283185307179586, 1e-15);
}

TEST_F(InputCheck, EmptyRangesAreRefusedWithoutABeep) {
  AcceptDefaults();
  const std::vector<std::string> before = Accepted();
  const struct {
    const char *Min, *Max;
    std::string TInputFields::*MinField;
    std::string TInputFields::*MaxField;
    const char* Message;
  } cases[] = {
      {"2 pi", "0", &TInputFields::TMin, &TInputFields::TMax, CadenasRecursos::TRangeWrong},
      {"1", "1", &TInputFields::TMin, &TInputFields::TMax, CadenasRecursos::TRangeWrong},
      {"5", "5", &TInputFields::PMin, &TInputFields::PMax, CadenasRecursos::PRangeWrong},
      {"pi", "0", &TInputFields::QMin, &TInputFields::QMax, CadenasRecursos::QRangeWrong},
  };
  for (const auto& c : cases) {
    for (const bool readyBefore : {true, false}) {
      TInputFields typed = DefaultFields();
      typed.*c.MinField = c.Min;
      typed.*c.MaxField = c.Max;
      ready = readyBefore;
      ExpectRefused(LeeDatos(TestData(), typed, ready), c.Message, false);
      EXPECT_EQ(ready, readyBefore);
      EXPECT_EQ(Accepted(), before);
    }
  }
  // The t range is checked before a miswritten p limit is reached.
  TInputFields typed = DefaultFields();
  typed.TMin = "7";
  typed.PMax = "x";
  ExpectRefused(LeeDatos(TestData(), typed, ready), CadenasRecursos::TRangeWrong, false);
}

TEST_F(InputCheck, ARefusedFormulaKeepsTheAcceptedCurveEvaluable) {
  AcceptDefaults();
  TestData().Input.PValue = 1;
  PassParameters(TestData());
  const std::vector<std::string> before = Accepted();
  const TVector3 point = CurveAt(0.7L);

  // x compiles but y does not: the compiler's own message, with the beep.
  fields.X = "t";
  fields.Y = "sen(t";
  const TReadResult r = LeeDatos(TestData(), fields, ready);
  EXPECT_EQ(r.Outcome, TReadOutcome::Refused);
  EXPECT_TRUE(r.Beep);
  EXPECT_FALSE(r.Message.empty());
  EXPECT_NE(r.Message, CadenasRecursos::NumberMissing);
  EXPECT_FALSE(ready);
  EXPECT_EQ(Accepted(), before);
  // The figure on the screen stays usable: the formulas still give the accepted curve.
  EXPECT_EQ(CurveAt(0.7L), point);

  // The same after a refusal further on, once x and y were compiled anew.
  fields = DefaultFields();
  fields.X = "t";
  fields.Y = "t*t";
  fields.TMax = "oops";
  ExpectRefused(LeeDatos(TestData(), fields, ready), CadenasRecursos::NumberMissing, true);
  EXPECT_EQ(CurveAt(0.7L), point);
  fields.TMax = "-1";
  ExpectRefused(LeeDatos(TestData(), fields, ready), CadenasRecursos::TRangeWrong, false);
  EXPECT_EQ(CurveAt(0.7L), point);
}
