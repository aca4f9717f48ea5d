// The compiler's face to the program: limit fields as constant formulas, the curve
// evaluator over the shared variables, and the unit's start-up and shut-down.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/formula/formula_helpers.h"

namespace {

constexpr long double Pi = 3.14159265358979323846264338327950288L;

void UseDefaultFormulas() {
  std::string message;
  FunPars::FormulaX.Compile("cos(2t)(p+sen(3t))", "tpq", message);
  ASSERT_EQ(message, "");
  FunPars::FormulaY.Compile("sen(2t)(p+sen(3t))", "tpq", message);
  ASSERT_EQ(message, "");
  FunPars::FormulaZ.Compile("cos(3t+q)", "tpq", message);
  ASSERT_EQ(message, "");
}

TEST(FormulaEvalConstant, LimitFields) {
  std::string message = "stale";
  EXPECT_EQ(FunPars::EvalConstant("2 pi", message), 2 * Pi);
  EXPECT_EQ(message, "");
  EXPECT_EQ(FunPars::EvalConstant("pi/2", message), Pi / 2);
  EXPECT_EQ(FunPars::EvalConstant("3/2", message), 1.5L);
  EXPECT_EQ(FunPars::EvalConstant("-1,5", message), -1.5L);
  EXPECT_EQ(FunPars::EvalConstant("", message), 0);
  EXPECT_EQ(message, "Perhaps you forgot to write something.");
  EXPECT_EQ(FunPars::EvalConstant("2+", message), 0);
  EXPECT_EQ(message, "There is a sintax defect in the formula.");
}

TEST(FormulaEvalConstant, VariablesHaveNoValueInALimit) {
  std::string message;
  for (const char* text : {"p", "2t", "z+1", "sin(q)", "2^x"}) {
    EXPECT_EQ(FunPars::EvalConstant(text, message), 0) << text;
    EXPECT_EQ(message, "Some function or variable was miswritten.") << text;
  }
  EXPECT_EQ(FunPars::EvalConstant("pi", message), Pi);  // P followed by I is pi, not a variable
  EXPECT_EQ(message, "");
  EXPECT_EQ(FunPars::EvalConstant("t^0", message), 1);  // x^0 is 1 without reading x
  EXPECT_EQ(message, "");
}

TEST(FormulaCurve, DefaultCurveAndParameters) {
  UseDefaultFormulas();
  FunPars::FormulaVars[1] = 1;
  FunPars::FormulaVars[2] = 0;
  TVector3 point;
  FunPars::EvalCurve(0, point);
  EXPECT_EQ(point, (TVector3{1, 0, 1}));
  EXPECT_EQ(FunPars::FormulaVars[0], 0);
  FunPars::EvalCurve(0.5L, point);
  EXPECT_EQ(FunPars::FormulaVars[0], 0.5L);
  EXPECT_NEAR(point.x, std::cos(1.0L) * (1 + std::sin(1.5L)), 1e-18L);
  EXPECT_NEAR(point.y, std::sin(1.0L) * (1 + std::sin(1.5L)), 1e-18L);
  EXPECT_NEAR(point.z, std::cos(1.5L), 1e-18L);
  // p and q reach the programs without recompiling.
  FunPars::FormulaVars[1] = 3;
  FunPars::FormulaVars[2] = Pi;
  FunPars::EvalCurve(0, point);
  EXPECT_EQ(point.x, 3);
  EXPECT_EQ(point.z, -1);
}

TEST(FormulaCurve, ShutDownIsIdempotent) {
  UseDefaultFormulas();
  EXPECT_TRUE(FunPars::FormulaX.Compiled());
  FunPars::Finalize();
  EXPECT_FALSE(FunPars::FormulaX.Compiled());
  EXPECT_FALSE(FunPars::FormulaZ.Compiled());
  FunPars::Finalize();
  TVector3 point{5, 5, 5};
  FunPars::EvalCurve(1, point);  // formulas without programs give 0, never a crash
  EXPECT_EQ(point, (TVector3{0, 0, 0}));
  UseDefaultFormulas();
  FunPars::FormulaVars[1] = 1;
  FunPars::FormulaVars[2] = 0;
  FunPars::EvalCurve(0, point);
  EXPECT_EQ(point, (TVector3{1, 0, 1}));
}

}  // namespace
