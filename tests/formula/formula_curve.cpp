// The compiler's face to the program: limit fields as constant formulas and the curve
// evaluator.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <thread>
#include <vector>

#include "formula/Curve.h"
#include "tests/formula/formula_helpers.h"

namespace {

constexpr long double Pi = 3.14159265358979323846264338327950288L;

void UseDefaultFormulas(FunPars::TCurve& curve) {
  std::string message;
  curve.X.Compile("cos(2t)(p+sen(3t))", "tpq", message);
  ASSERT_EQ(message, "");
  curve.Y.Compile("sen(2t)(p+sen(3t))", "tpq", message);
  ASSERT_EQ(message, "");
  curve.Z.Compile("cos(3t+q)", "tpq", message);
  ASSERT_EQ(message, "");
  FunPars::JoinCurve(curve);
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
  FunPars::TCurve curve;
  UseDefaultFormulas(curve);
  curve.P = 1;
  curve.Q = 0;
  TVector3 point;
  FunPars::EvalCurve(curve, 0, point);
  EXPECT_EQ(point, (TVector3{1, 0, 1}));
  FunPars::EvalCurve(curve, 0.5L, point);
  EXPECT_NEAR(point.x, std::cos(1.0L) * (1 + std::sin(1.5L)), 1e-18L);
  EXPECT_NEAR(point.y, std::sin(1.0L) * (1 + std::sin(1.5L)), 1e-18L);
  EXPECT_NEAR(point.z, std::cos(1.5L), 1e-18L);
  // p and q reach the programs without recompiling.
  curve.P = 3;
  curve.Q = Pi;
  FunPars::EvalCurve(curve, 0, point);
  EXPECT_EQ(point.x, 3);
  EXPECT_EQ(point.z, -1);
}

TEST(FormulaCurve, AFormulaCompiledAgainOrClearedIsRunAsItIsNow) {
  FunPars::TCurve curve;
  UseDefaultFormulas(curve);
  std::string message;
  curve.X.Compile("t", "tpq", message);
  curve.Y.Clear();
  TVector3 point;
  FunPars::EvalCurve(curve, 0.5L, point);
  EXPECT_EQ(point.x, 0.5L);
  EXPECT_EQ(point.y, 0);
  EXPECT_NEAR(point.z, std::cos(1.5L), 1e-18L);
}

TEST(FormulaCurve, CurvesWithoutProgramsAndTwoCurvesAtOnce) {
  FunPars::TCurve empty, a, b;
  TVector3 point{5, 5, 5};
  FunPars::EvalCurve(empty, 1, point);  // formulas without programs give 0, never a crash
  EXPECT_EQ(point, (TVector3{0, 0, 0}));
  UseDefaultFormulas(a);
  UseDefaultFormulas(b);
  a.P = 1;
  b.P = 2;
  // Each curve keeps its own t, p and q: two threads evaluating at once do not mix them.
  TVector3 fromA[2000], fromB[2000];
  std::thread other([&] {
    for (int k = 0; k < 2000; ++k) FunPars::EvalCurve(b, k / 300.0L, fromB[k]);
  });
  for (int k = 0; k < 2000; ++k) FunPars::EvalCurve(a, k / 700.0L, fromA[k]);
  other.join();
  for (int k = 0; k < 2000; k += 199) {
    const long double s = k / 700.0L, t = k / 300.0L;
    EXPECT_NEAR(fromA[k].x, std::cos(2 * s) * (1 + std::sin(3 * s)), 1e-17L) << k;
    EXPECT_NEAR(fromB[k].y, std::sin(2 * t) * (2 + std::sin(3 * t)), 1e-17L) << k;
  }
}

TEST(FormulaCurve, ADeepInterpretedFormulaOnTwoThreadsAtOnce) {
  // Forty values deep: beyond the interpreter's stack on the machine stack, so it needs
  // room of its own, and two threads running one program must not share that room.
  std::string text = "t";
  for (int k = 1; k <= 40; ++k) text = "sen(t+" + std::to_string(k) + ")*(" + text + ")";
  FunPars::UseNativeCode(false);
  FunPars::TCurve deep;
  std::string message;
  deep.X.Compile(text, "tpq", message);
  FunPars::UseNativeCode(true);
  ASSERT_EQ(message, "");
  constexpr int Points = 4000;
  std::vector<TVector3> alone(Points), first(Points), second(Points);
  for (int k = 0; k < Points; ++k) FunPars::EvalCurve(deep, k / 1000.0L, alone[k]);
  std::thread other([&] {
    for (int k = 0; k < Points; ++k) FunPars::EvalCurve(deep, k / 1000.0L, second[k]);
  });
  for (int k = 0; k < Points; ++k) FunPars::EvalCurve(deep, k / 1000.0L, first[k]);
  other.join();
  int differing = 0;
  for (int k = 0; k < Points; ++k) differing += !(first[k] == alone[k]) + !(second[k] == alone[k]);
  EXPECT_EQ(differing, 0);
}

}  // namespace
