// The tritangent solver on hand-made samples of (cos t, sin t, a cos 3t), whose planes
// z = +-a touch it at t = 0, 2 pi/3, 4 pi/3 and at pi/3, pi, 5 pi/3.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <limits>

#include "formula/Checks.h"
#include "geometry/Sampling.h"
#include "geometry/SharedState.h"
#include "geometry/TritangentsInternal.h"
#include "tests/support/TestData.h"

using namespace Tritangents;
// The type; the name Params alone also means the triple product.
using Params = Tritangents::Triple;

namespace {

constexpr long double Pi = Glob::Pi;
long double Amplitude = 1;

CurveJet Exact(long double t) {
  const long double a = Amplitude;
  return {{std::cos(t), std::sin(t), a * std::cos(3 * t)},
          {-std::sin(t), std::cos(t), -3 * a * std::sin(3 * t)},
          {-std::cos(t), -std::sin(t), -9 * a * std::cos(3 * t)}};
}

// The samples of the curve over [tmin, tmin + 2 pi], as the sampler would store them.
void UseSamples(long double amplitude, long double tmin = 0) {
  Amplitude = amplitude;
  TestData().Input.TMin = tmin;
  TestData().Input.TMax = tmin + 2 * Pi;
  TestData().Figure.Param = Glob::DerivedConstants(TestData().Input.TMin, TestData().Input.TMax);
  TestData().Figure.SampleBuffer.assign(Sampling::SampleCount, {});
  for (int k = 0; k < Sampling::SampleCount; ++k)
    TestData().Figure.SampleBuffer[k] = Exact(tmin + (k - 2) * TestData().Figure.Param.TStep).P;
  TestData().Figure.ChordScale = 1e-3L;
}

void ExpectNear(const TVector3& a, const TVector3& b, long double tol) {
  EXPECT_NEAR(a.x, b.x, tol);
  EXPECT_NEAR(a.y, b.y, tol);
  EXPECT_NEAR(a.z, b.z, tol);
}

// A candidate of three segments [c - f d, c + (1 - f) d] around the contacts c, with
// the fraction f of each segment before its contact.
TriangleCandidate CandidateAround(const Params& c, long double d, const Params& f = {0.3L, 0.3L, 0.3L}) {
  TriangleCandidate cand;
  for (int k = 0; k < 6; ++k) {
    const long double t = c[k / 2] + (k % 2 ? 1 - f[k / 2] : -f[k / 2]) * d;
    const CurveJet e = Exact(t);
    cand[k] = {t, 0, e.P, e.T, Cross(e.P, e.T)};
  }
  return cand;
}

const Params Top{0, 2 * Pi / 3, 4 * Pi / 3};

}  // namespace

TEST(TritangentSamples, InterpolationMatchesTheCurveAndIndexesStayInTheBuffer) {
  UseSamples(1);
  const long double h = TestData().Figure.Param.TStep;
  // Interior, both end branches (also just outside the interval) and the wrap.
  for (const long double u : {1.2345L, 0.4L * h, -0.7L * h, TestData().Input.TMax - 0.6L * h,
                              TestData().Input.TMax + 0.5L * h, -5.5L * h, TestData().Input.TMax + 11.7L * h}) {
    const CurveJet jet = JetAt(TestData().Figure, u), exact = Exact(u);
    ExpectNear(jet.P, exact.P, 1e-8);
    ExpectNear(jet.T, exact.T, 1e-7);
    ExpectNear(jet.A, exact.A, 1e-5);
  }
  // A period away is read as the same point; NaN, or further away, is refused rather
  // than read outside the buffer.
  ExpectNear(JetAt(TestData().Figure, 1.5L - 2 * Pi).P, Exact(1.5L).P, 1e-8);
  for (const long double u : {std::numeric_limits<long double>::quiet_NaN(), -7.0L, 14.0L, 1e300L})
    EXPECT_THROW(JetAt(TestData().Figure, u), RangeError) << u;
}

TEST(TritangentSamples, JacobianMatchesDifferencesOfTheResiduals) {
  UseSamples(1);
  const Params u{0.3L, 2.5L, 4.4L};
  TVector3 r;
  Matrix3 j;
  TripleFrame(TestData().Figure, u, r, j);
  const long double eps = 1e-6L;
  for (int c = 0; c < 3; ++c) {
    Params up = u, down = u;
    up[c] += eps;
    down[c] -= eps;
    TVector3 rp, rm;
    Matrix3 unused;
    TripleFrame(TestData().Figure, up, rp, unused);
    TripleFrame(TestData().Figure, down, rm, unused);
    const TVector3 column = c == 0 ? TVector3{j[0].x, j[1].x, j[2].x}
                                   : c == 1 ? TVector3{j[0].y, j[1].y, j[2].y} : TVector3{j[0].z, j[1].z, j[2].z};
    ExpectNear((rp - rm) / (2 * eps), column, 1e-4);
  }
}

TEST(TritangentSolver, ConvergesOntoBothPlanesAndRefusesWhatLeavesTheInterval) {
  UseSamples(1);
  Params u{0.004L, 2 * Pi / 3 - 0.005L, 4 * Pi / 3 + 0.003L};
  EXPECT_LT(RefineTriple(TestData().Figure, u), 1e-12L);
  // The interpolation's own error, about h^3, is what separates it from the exact planes.
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(u[k], Top[k], 1e-8) << k;

  Params low, q;
  long double quality;
  ASSERT_TRUE(SolveCandidate(TestData().Figure, CandidateAround({Pi / 3, Pi, 5 * Pi / 3}, 0.01L), low, quality));
  EXPECT_LT(quality, 1e-12L);
  EXPECT_NEAR(low[0], Pi / 3, 1e-8);
  EXPECT_NEAR(low[2], 5 * Pi / 3, 1e-8);
  // The first step may move each parameter 3/4 of its segment from the midpoint, the
  // middle one too: a middle contact at either end of its segment, or a fifth of a
  // segment beyond it, is reached, one 0.3 of a segment beyond is not.
  const Params bottom{Pi / 3, Pi, 5 * Pi / 3};
  for (const long double f : {0.0L, 1.0L, -0.2L, 1.2L}) {
    EXPECT_TRUE(SolveCandidate(TestData().Figure, CandidateAround(bottom, 0.01L, {0.3L, f, 0.3L}), q, quality)) << f;
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(q[k], bottom[k], 1e-8) << f;
  }
  for (const long double f : {-0.3L, 1.3L})
    EXPECT_FALSE(SolveCandidate(TestData().Figure, CandidateAround(bottom, 0.01L, {0.3L, f, 0.3L}), q, quality)) << f;

  // Already 20 steps beyond TMax: out at the first pass.
  q = {1, 2, TestData().Input.TMax + 20 * TestData().Figure.Param.TStep};
  EXPECT_EQ(RefineTriple(TestData().Figure, q), NoQuality);
  // With the interval moved 5 steps back, the contact at 2 pi converges 5 steps past
  // TMax: inside the 12 steps the passes allow, outside the one step of the end.
  UseSamples(1, -5 * TestData().Figure.Param.TStep);
  q = {2 * Pi / 3 + 0.002L, 4 * Pi / 3 - 0.002L, 2 * Pi + 0.001L};
  EXPECT_EQ(RefineTriple(TestData().Figure, q), NoQuality);
  EXPECT_NEAR(q[2], 2 * Pi, 1e-8);
}

TEST(TritangentSolver, SingularJacobianGivesAZeroStepWithoutRaisingFlags) {
  ClearFloatFlags();
  EXPECT_TRUE(NewtonStep({TVector3{1, 2, 3}, TVector3{2, 4, 6}, TVector3{0, 1, 0}}, {1, 1, 1}) == (TVector3{}));
  // A circle in z = 0: every Jacobian vanishes, so the midpoints are kept, and as the
  // curve's own plane touches it everywhere, the triple is accepted as it stands.
  UseSamples(0);
  Params u;
  long double quality;
  const TriangleCandidate cand = CandidateAround({1, 3, 5}, 0.01L);
  const bool solved = SolveCandidate(TestData().Figure, cand, u, quality);
  EXPECT_EQ(std::fetestexcept(FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW), 0);
  ASSERT_TRUE(solved);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(u[k], (cand[2 * k].Param + cand[2 * k + 1].Param) / 2);
}

TEST(TritangentQuality, ZeroOnAPlaneAndTheSentinelForPointsTooClose) {
  UseSamples(1);
  const long double h = TestData().Figure.Param.TStep;
  EXPECT_LT(TripleQuality(TestData().Figure, Top), 1e-6L);
  EXPECT_GT(TripleQuality(TestData().Figure, {0.2L, 2 * Pi / 3, 4 * Pi / 3}), 0.1L);
  // In parameter: sigma = sin(pi d / L) is below 2^-12 for d < h / pi.
  TestData().Figure.ChordScale = 0;
  EXPECT_EQ(TripleQuality(TestData().Figure, {1, 1 + 0.3L * h, 3}), NoQuality);
  EXPECT_LT(TripleQuality(TestData().Figure, {1, 1 + 0.4L * h, 3}), NoQuality);
  // In space: a chord shorter than ChordScale.
  const long double shortest = std::min({Length(Exact(2).P - Exact(1).P), Length(Exact(4).P - Exact(2).P),
                                         Length(Exact(1).P - Exact(4).P)});
  TestData().Figure.ChordScale = shortest * 1.001L;
  EXPECT_EQ(TripleQuality(TestData().Figure, {1, 2, 4}), NoQuality);
  TestData().Figure.ChordScale = shortest * 0.999L;
  EXPECT_LT(TripleQuality(TestData().Figure, {1, 2, 4}), NoQuality);
}

TEST(TritangentQuality, NormalizeMovesIntoTheIntervalThenSorts) {
  UseSamples(1, 0.25L);
  const long double TMax = TestData().Figure.Param.TMax, TMin = TestData().Figure.Param.TMin;
  Params u{TMax + 0.5L, TMin + 0.2L, TMin + 0.1L};
  NormalizeTriple(TestData().Figure, u);
  EXPECT_EQ(u[0], TMin + 0.1L);
  EXPECT_EQ(u[1], TMin + 0.2L);
  EXPECT_NEAR(u[2], TMin + 0.5L, 1e-18);
  u = {TMin + 3, TMin - 0.1L, TMax + 0.1L};
  NormalizeTriple(TestData().Figure, u);
  EXPECT_NEAR(u[0], TMin + 0.1L, 1e-18);
  EXPECT_EQ(u[1], TMin + 3);
  EXPECT_NEAR(u[2], TMax - 0.1L, 1e-18);
}
