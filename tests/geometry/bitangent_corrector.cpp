// The bitangent residual, its gradient and the Newton corrector.
#include <gtest/gtest.h>

#include <cmath>

#include "formula/Checks.h"
#include "geometry/Vectors.h"
#include "tests/geometry/bitangent_helpers.h"
#include "tests/support/TestData.h"

using namespace Bitangents;
using BitangentTests::Analysis;
using BitangentTests::Tracing;
using BitangentTests::CurveAt;
using BitangentTests::Pi;
using BitangentTests::ResidualAt;

namespace {

// The circular helix (cos t, sin t, t), whose residual is known in closed form.
void UseHelix() { BitangentTests::PrepareCurve("cos(t)", "sin(t)", "t", 0, 2 * Pi); }

TVector3 HelixTangent(long double t) { return {-std::sin(t), std::cos(t), 1}; }

long double HelixResidual(long double s, long double t) {
  const long double sigma =
      std::fabs(std::sin((s - t) * TestData().Figure.Param.PiOverTSpan)) * TestData().Figure.Param.TSpanOverPi;
  const TVector3 v = TVector3{std::cos(t), std::sin(t), t} - TVector3{std::cos(s), std::sin(s), s};
  return Dot(HelixTangent(s), Cross(v, HelixTangent(t))) / (sigma * sigma * sigma * sigma);
}

// A corrected bitangent pair of the default curve, strictly inside the square.
Pair SomeBitangentPair() {
  for (int i = 0; i < 20; ++i)
    for (int j = 0; j < 20; ++j) {
      BitangentRecord r;
      if (FindSeed(Tracing, i, j, r)) return {r.ParamS, r.ParamT};
    }
  ADD_FAILURE() << "no seed found";
  return {};
}

BitangentRecord Sentinel() {
  BitangentRecord r;
  r.OnHull = 7;
  r.ParamS = r.ParamT = 123;
  r.PlaneNormal = {4, 5, 6};
  return r;
}

void ExpectUntouched(const BitangentRecord& r) {
  EXPECT_EQ(r.OnHull, 7);
  EXPECT_EQ(r.ParamS, 123);
  EXPECT_EQ(r.ParamT, 123);
  EXPECT_EQ(r.PlaneNormal, (TVector3{4, 5, 6}));
}

}  // namespace

TEST(BitangentResidual, MatchesTheClosedFormAwayFromTheDiagonal) {
  UseHelix();
  for (const Pair x : {Pair{1, 3}, Pair{0.5, 5.5}, Pair{4, 2.2}, Pair{2, 2.1}}) {
    const long double expected = HelixResidual(x.x, x.y);
    EXPECT_NEAR(ResidualAt(x.x, x.y), expected, 1e-7 * std::fabs(expected)) << x.x << ", " << x.y;
  }
  const Residual r = BitangentResidual(Tracing, {1, 3});
  EXPECT_EQ(r.PointS, CurveAt(1));
  EXPECT_EQ(r.PointT, CurveAt(3));
}

TEST(BitangentResidual, BothFormulasTendToTheSameLimitAcrossSigmaEqualH) {
  UseHelix();
  // (P' x P'') . P''' / 12 = 1/12 all along the helix.
  const long double h = TestData().Figure.Param.TStep;
  for (const long double s : {0.7L, 2.0L, 4.5L})
    for (const long double d : {0.0L, 0.5L, 0.999L, 1.001L, 1.5L, 3.0L, -0.999L, -1.001L})
      EXPECT_NEAR(ResidualAt(s, s + d * h), 1.0L / 12, 1e-3L / 12) << s << " + " << d << " h";
  const long double below = ResidualAt(2, 2 + 0.9999L * h), above = ResidualAt(2, 2 + 1.0001L * h);
  EXPECT_NEAR(below, above, 1e-4L * std::fabs(below));
}

TEST(BitangentResidual, IsSymmetricInItsTwoParameters) {
  BitangentTests::PrepareDefaultCurve();
  const long double h = TestData().Figure.Param.TStep, l = TestData().Figure.Param.TSpan;
  const Pair pairs[] = {{0.3L, 1.9L}, {5.1L, 2.4L}, {1, 1 + 0.4L * h}, {2, 2 + 3 * h}, {0.2L * h, l - 0.1L * h},
                        {0, l}, {3, 3}, {0.01L, 6.2L}};
  for (const Pair x : pairs) {
    const long double f = ResidualAt(x.x, x.y);
    EXPECT_NEAR(f, ResidualAt(x.y, x.x), 1e-12L * (1 + std::fabs(f))) << x.x << ", " << x.y;
  }
}

TEST(BitangentResidual, PairsAcrossTheSeamUseTheMidpointNextToTMin) {
  // On this curve the limit of the residual on the diagonal changes sign from t to
  // t + pi, so the two candidate midpoints are told apart.
  BitangentTests::PrepareCurve("cos(t)", "sin(t)", "cos(3t)", 0.3L, 0.3L + 2 * Pi);
  const long double h = TestData().Figure.Param.TStep, tmin = TestData().Input.TMin, tmax = TestData().Input.TMax;
  const long double seam = ResidualAt(tmin + 0.3L * h, tmax - 0.2L * h);
  const long double atStart = ResidualAt(tmin, tmin),
                    atMiddle = ResidualAt(TestData().Figure.Param.TMid, TestData().Figure.Param.TMid);
  ASSERT_GT(std::fabs(atStart - atMiddle), 0.1L);
  // Across the seam the two parameters are 0.1 h apart around TMin + 0.05 h, and
  // 0.2 h apart around TMin - 0.1 h.
  const long double nearStart = ResidualAt(tmin + 0.05L * h, tmin + 0.05L * h);
  EXPECT_NEAR(seam, nearStart, 1e-9L * std::fabs(atStart));
  EXPECT_NEAR(ResidualAt(tmax - 0.3L * h, tmin + 0.1L * h), ResidualAt(tmin - 0.1L * h, tmin - 0.1L * h),
              1e-9L * std::fabs(atStart));
  const Residual r = BitangentResidual(Tracing, {tmin + 0.3L * h, tmax - 0.2L * h});
  EXPECT_EQ(r.PointS, CurveAt(tmin + 0.3L * h));
  EXPECT_EQ(r.PointT, CurveAt(tmax - 0.2L * h));
}

TEST(ResidualGradient, MatchesDifferenceQuotientsOfTheResidual) {
  BitangentTests::PrepareDefaultCurve();
  const long double d = 1e-4L;
  for (const Pair x : {Pair{0.4L, 2.5L}, Pair{4.4L, 1.3L}, Pair{3.0L, 3.3L}}) {
    const Pair g = ResidualGradient(Tracing, x);
    const long double gs = (ResidualAt(x.x + d, x.y) - ResidualAt(x.x - d, x.y)) / (2 * d);
    const long double gt = (ResidualAt(x.x, x.y + d) - ResidualAt(x.x, x.y - d)) / (2 * d);
    // The gradient's second derivatives, from the residual's own four points, are exact
    // for cubics only: a part in 10^4 is what they leave near the diagonal.
    EXPECT_NEAR(g.x, gs, 1e-4L * (std::fabs(gs) + std::fabs(gt))) << x.x << ", " << x.y;
    EXPECT_NEAR(g.y, gt, 1e-4L * (std::fabs(gs) + std::fabs(gt))) << x.x << ", " << x.y;
  }
}

TEST(ResidualGradient, NearTheDiagonalBothPartialsAddUpToTheSlopeAlongIt) {
  BitangentTests::PrepareDefaultCurve();
  const long double d = 1e-3L;
  for (const long double m : {0.8L, 2.9L, 5.0L}) {
    const Pair g = ResidualGradient(Tracing, {m, m});
    EXPECT_EQ(g.x, g.y);
    const long double slope = (ResidualAt(m + d, m + d) - ResidualAt(m - d, m - d)) / (2 * d);
    EXPECT_NEAR(g.x + g.y, slope, 2e-3L * std::fabs(slope)) << m;
  }
}

TEST(CorrectPair, GradientModeLandsOnAZeroInsideTheSquare) {
  BitangentTests::PrepareDefaultCurve();
  int successes = 0;
  for (int i = 0; i < 20; ++i)
    for (int j = 0; j < 20; ++j) {
      const Pair start{Tracing.SeedGrid[i] + TestData().Figure.Param.TStep20 / 2,
                       Tracing.SeedGrid[j] + TestData().Figure.Param.TStep20 / 3};
      BitangentRecord r;
      long double acc;
      if (!CorrectPair(Tracing, start, start, CorrectMode::Gradient, acc, r)) continue;
      ++successes;
      const Residual res = BitangentResidual(Tracing, {r.ParamS, r.ParamT});
      EXPECT_LT(std::fabs(res.F), Tracing.PairTolerance);
      EXPECT_GT(Margin(TestData().Figure.Param, r.ParamS, r.ParamT), 0);
      EXPECT_EQ(r.PointS, res.PointS);
      EXPECT_EQ(r.PointT, res.PointT);
      EXPECT_EQ(r.PlaneNormal, res.W);
      // Every step is shorter than 0.9 of the one before, the first than 0.36 TStep20.
      EXPECT_LT(std::fabs(r.ParamS - start.x) + std::fabs(r.ParamT - start.y), 10 * Tracing.NewtonStepCap);
    }
  EXPECT_GT(successes, 40);
}

TEST(CorrectPair, ATiltStopsOnceTheTangentLiesThatCloseToThePlane) {
  BitangentTests::PrepareDefaultCurve();
  const long double tilt = 1e-3L;
  // Tangents by central differences over 1e-5, far finer than the corrector's stencils.
  const auto tangent = [](long double y) { return CurveAt(y + 1e-5L) - CurveAt(y - 1e-5L); };
  int fewer = 0, converged = 0;
  for (int i = 0; i < 20; ++i)
    for (int j = 0; j < 20; j += 3) {
      const Pair start{Tracing.SeedGrid[i] + TestData().Figure.Param.TStep20 / 2,
                       Tracing.SeedGrid[j] + TestData().Figure.Param.TStep20 / 3};
      BitangentRecord tight, loose;
      long double acc;
      WorkCounters::Reset();
      const bool tightOk = CorrectPair(Tracing, start, start, CorrectMode::Gradient, acc, tight);
      const std::uint64_t tightEvaluations = WorkCounters::ThisThread.CurveEvaluations;
      WorkCounters::Reset();
      if (!CorrectPair(Tracing, start, start, CorrectMode::Gradient, acc, loose, nullptr, nullptr, nullptr, tilt))
        continue;
      ++converged;
      // The tangent at s leaves the plane of the chord and the tangent at t by less than
      // the tilt.
      const TVector3 ts = tangent(loose.ParamS), plane = Cross(loose.PointT - loose.PointS, tangent(loose.ParamT));
      EXPECT_LT(std::fabs(Dot(ts, plane)) / (Length(ts) * Length(plane)), tilt) << start.x << ", " << start.y;
      if (tightOk) {
        EXPECT_LE(WorkCounters::ThisThread.CurveEvaluations, tightEvaluations);
        fewer += WorkCounters::ThisThread.CurveEvaluations < tightEvaluations;
      }
    }
  EXPECT_GT(converged, 10);
  EXPECT_GT(fewer, 5);
}

TEST(CorrectPair, PerpendicularModeKeepsTheDistanceAlongStartMinusRef) {
  BitangentTests::PrepareDefaultCurve();
  const Pair on = SomeBitangentPair();
  const Pair ref{on.x - 0.01L, on.y - 0.005L};
  const Pair start{on.x + 0.002L, on.y - 0.001L};
  BitangentRecord r;
  long double acc;
  ASSERT_TRUE(CorrectPair(Tracing, start, ref, CorrectMode::Perpendicular, acc, r));
  const Pair moved{r.ParamS - start.x, r.ParamT - start.y};
  const Pair along{start.x - ref.x, start.y - ref.y};
  EXPECT_NEAR(Dot2(moved, along), 0, 1e-15L);
  EXPECT_GT(Dot2(moved, moved), 0);
  EXPECT_NE(acc, 0);
}

TEST(CorrectPair, AStartOnASolutionSucceedsAtOnceEvenOutsideTheSquare) {
  BitangentTests::PrepareDefaultCurve();
  const Pair on = SomeBitangentPair();
  // The same pair one period further on: a solution, but outside the square.
  const Pair outside{on.x + TestData().Figure.Param.TSpan, on.y};
  ASSERT_LT(Margin(TestData().Figure.Param, outside.x, outside.y), 0);
  BitangentRecord r = Sentinel();
  long double acc = 5;
  ASSERT_TRUE(CorrectPair(Tracing, outside, outside, CorrectMode::Gradient, acc, r));
  EXPECT_EQ(acc, 0);
  EXPECT_EQ(r.ParamS, outside.x);
  EXPECT_EQ(r.ParamT, outside.y);
  EXPECT_EQ(r.OnHull, 7);  // only the pair's own fields are written
  EXPECT_EQ(r.PointS, CurveAt(outside.x));
}

TEST(CorrectPair, EveryStepMustContractByAFactorOfNineTenths) {
  BitangentTests::PrepareDefaultCurve();
  const Pair on = SomeBitangentPair();
  const Pair start{on.x + 0.02L, on.y - 0.01L};
  // The first Newton step's length (L1 norm of delta times the gradient).
  const long double f = BitangentResidual(Tracing, start).F;
  const Pair g = ResidualGradient(Tracing, start);
  const long double first = std::fabs(f) * (std::fabs(g.x) + std::fabs(g.y)) / Dot2(g, g);
  ASSERT_GT(first, 1e-4L);
  BitangentRecord r;
  long double acc;
  Tracing.NewtonStepCap = 1.01L * first / 0.9L;
  EXPECT_TRUE(CorrectPair(Tracing, start, start, CorrectMode::Gradient, acc, r));
  Tracing.NewtonStepCap = 0.99L * first / 0.9L;
  EXPECT_FALSE(CorrectPair(Tracing, start, start, CorrectMode::Gradient, acc, r));
}

TEST(CorrectPair, APairConvergedOutsideTheSquareIsAFailureButWritten) {
  BitangentTests::PrepareDefaultCurve();
  const Pair on = SomeBitangentPair();
  // Near the same pair one period further on, outside the square.
  const Pair start{on.x + TestData().Figure.Param.TSpan + 1e-3L, on.y + 1e-3L};
  BitangentRecord r = Sentinel();
  long double acc;
  EXPECT_FALSE(CorrectPair(Tracing, start, start, CorrectMode::Gradient, acc, r));
  EXPECT_NEAR(r.ParamS, on.x + TestData().Figure.Param.TSpan, 1e-2L);
  EXPECT_NEAR(r.ParamT, on.y, 1e-2L);
  EXPECT_LT(std::fabs(BitangentResidual(Tracing, {r.ParamS, r.ParamT}).F), Tracing.PairTolerance);
  EXPECT_EQ(r.OnHull, 7);
}

TEST(CorrectPair, FailuresLeaveTheRecordUntouched) {
  BitangentTests::PrepareDefaultCurve();
  BitangentRecord r = Sentinel();
  long double acc;
  // Perpendicular mode has no direction when start and ref coincide.
  EXPECT_FALSE(CorrectPair(Tracing, {1, 2}, {1, 2}, CorrectMode::Perpendicular, acc, r));
  EXPECT_FALSE(CorrectPair(Tracing, {1, 2}, {1 + 1e-14L, 2}, CorrectMode::Perpendicular, acc, r));
  ExpectUntouched(r);
}

TEST(CorrectPair, ANaNResidualEndsAtThePassCap) {
  BitangentTests::PrepareDefaultCurve();
  // A NaN parameter makes every residual and gradient NaN: no end test ever holds.
  const long double nan = std::nanl("");
  ASSERT_TRUE(std::isnan(ResidualAt(nan, 2)));
  BitangentRecord r = Sentinel();
  long double acc;
  EXPECT_FALSE(CorrectPair(Tracing, {nan, 2}, {1, 2}, CorrectMode::Gradient, acc, r));
  EXPECT_FALSE(CorrectPair(Tracing, {nan, 2}, {1.1L, 2.3L}, CorrectMode::Perpendicular, acc, r));
  EXPECT_FALSE(CorrectPair(Tracing, {3, nan}, {3, 3}, CorrectMode::Gradient, acc, r));
  ExpectUntouched(r);
  ClearFloatFlags();
}

TEST(ParamPointsMemo, SharesTheCurvePointsOfParametersOfTheSameBitsOnly) {
  BitangentTests::PrepareDefaultCurve();
  ParamPointsMemo memo;
  const auto evaluations = [&](long double y) {
    WorkCounters::Reset();
    const ParamPoints q = memo.At(Tracing, y);
    if (!std::isnan(y)) {
      EXPECT_EQ(q.c, CurveAt(y));
    }
    return WorkCounters::ThisThread.CurveEvaluations;
  };
  EXPECT_EQ(evaluations(1.5L), 4u);
  EXPECT_EQ(evaluations(1.5L), 0u);
  // -0 and 0 are equal numbers, but a curve point at one may carry the other's sign.
  EXPECT_EQ(evaluations(-0.0L), 4u);
  EXPECT_EQ(evaluations(0.0L), 4u);
  EXPECT_EQ(evaluations(NAN), 4u);
  EXPECT_EQ(memo.Find(NAN), nullptr);
}

TEST(CorrectPair, PointsHandedInOrKeptGiveTheSameBitsWithFewerEvaluations) {
  BitangentTests::PrepareDefaultCurve();
  const long double halfStep = TestData().Figure.Param.THalfStep;
  ParamPointsMemo memo;
  // Pairs far from the diagonal and one next to it, where the memo is not used.
  for (const Pair start : {Pair{0.7L, 2.9L}, Pair{2.9L, 4.4L}, Pair{1.2L, 5.8L}, Pair{3, 3 + halfStep}}) {
    const Residual plain = BitangentResidual(Tracing, start), kept = ResidualFrom(Tracing, start, memo);
    EXPECT_EQ(plain.F, kept.F);
    EXPECT_EQ(plain.W, kept.W);
    const ParamPoints atS = ResidualPoints(Tracing, start.x), atT = ResidualPoints(Tracing, start.y);
    BitangentRecord evaluated, given;
    long double accEvaluated = 0, accGiven = 0;
    WorkCounters::Reset();
    const bool ok = CorrectPair(Tracing, start, start, CorrectMode::Gradient, accEvaluated, evaluated);
    const std::uint64_t all = WorkCounters::ThisThread.CurveEvaluations;
    WorkCounters::Reset();
    EXPECT_EQ(CorrectPair(Tracing, start, start, CorrectMode::Gradient, accGiven, given, &atS, &atT), ok);
    EXPECT_EQ(WorkCounters::ThisThread.CurveEvaluations, start.y - start.x > halfStep ? all - 8 : all);
    EXPECT_EQ(accGiven, accEvaluated);
    EXPECT_EQ(given.ParamS, evaluated.ParamS);
    EXPECT_EQ(given.ParamT, evaluated.ParamT);
    EXPECT_EQ(given.PlaneNormal, evaluated.PlaneNormal);
  }
}
