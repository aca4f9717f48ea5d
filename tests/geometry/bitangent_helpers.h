// Shared set-up of the bitangent tests: a curve in TestData, sampled and
// framed, with the analysis' working state prepared.
#pragma once

#include <string>

#include "formula/FunPars.h"
#include "geometry/BitangentsInternal.h"
#include "geometry/Framing.h"
#include "geometry/Sampling.h"
#include "geometry/SharedState.h"
#include "tests/support/TestCurves.h"
#include "tests/support/TestData.h"
#include "tests/support/TestView.h"

namespace BitangentTests {

// The analysis of the curve prepared last, and the working state that builds it.
inline Bitangents::TAnalysis Analysis;
inline Bitangents::TTracing Tracing;

inline constexpr long double Pi = Glob::Pi;

inline void PrepareCurve(const std::string& x, const std::string& y, const std::string& z, long double tmin,
                         long double tmax, long double p = 0, long double q = 0) {
  TestCurves::UseCurve(TestData(), x, y, z, tmin, tmax, p, q);
  TestView() = Framing::PrepareFigure(TestData().Curve, TestData().Figure);
  Tracing = Bitangents::StartAnalysis(Analysis, TestData().Curve, TestData().Figure);
}

inline void PrepareDefaultCurve() {
  PrepareCurve("cos(2t)(p+sen(3t))", "sen(2t)(p+sen(3t))", "cos(3t+q)", 0, 2 * Pi, 1, 0);
}

inline TVector3 CurveAt(long double t) {
  TVector3 p;
  FunPars::EvalCurve(TestData().Curve, t, p);
  return p;
}

inline long double ResidualAt(long double s, long double t) {
  return Bitangents::BitangentResidual(Tracing, {s, t}).F;
}

}  // namespace BitangentTests
