// The tritangent search: links between segments, candidate triples, the duplicate
// rules, and whole searches on curves whose tritangent planes are known.
#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <vector>

#include "formula/Checks.h"
#include "geometry/Sampling.h"
#include "geometry/SharedState.h"
#include "geometry/TritangentsInternal.h"
#include "tests/support/TestCurves.h"

using namespace Tritangents;
using Sampling::CurvePointHigh;
using Sampling::CurvePoints;
// The type; the name Triple alone also means the triple product.
using Params = Tritangents::Triple;

namespace {

constexpr long double Pi = Glob::Pi;

// Curve points whose tangent lines all run along x with moments (m, 0, 0), so that the
// reciprocal product of points a and b is m_a + m_b. The array is longer than used.
void UseLines(std::initializer_list<long double> moments, long double torsion) {
  CurvePoints.assign(moments.size() + 3, Mastil{});
  CurvePointHigh = static_cast<std::int16_t>(moments.size() - 1);
  int k = 0;
  for (const long double m : moments) {
    CurvePoints[k] = {static_cast<long double>(k), torsion, {}, {1, 0, 0}, {m, 0, 0}, {}};
    ++k;
  }
  CurvePoints.back().Neighbours = {1, 2};  // stale entries of an unused record
}

using Links = std::vector<std::int16_t>;

void Sample(const char* x, const char* y, const char* z) {
  TestCurves::UseCurve(x, y, z, 0, 2 * Pi);
  Sampling::Initialize();
  Sampling::SampleCurve();
}

// The triples found, each matched to one of the expected ones (1e-7 per parameter).
void ExpectTriples(const std::vector<Params>& expected) {
  ASSERT_EQ(TritangentCount, static_cast<std::int32_t>(expected.size()));
  std::vector<bool> seen(expected.size());
  for (const Params& u : TritangentTriples)
    for (std::size_t e = 0; e < expected.size(); ++e)
      if (std::fabs(u[0] - expected[e][0]) + std::fabs(u[1] - expected[e][1]) + std::fabs(u[2] - expected[e][2]) <
          3e-7L)
        seen[e] = true;
  for (std::size_t e = 0; e < expected.size(); ++e) EXPECT_TRUE(seen[e]) << e;
}

}  // namespace

TEST(TritangentLinks, MixedCornerSignsLinkACellAndTheTorsionStandsOnTheDiagonal) {
  // Products: every pair among points 0..2 positive, every pair with point 3 negative.
  UseLines({1, 1, 1, -5}, 1);
  LinkSegments();
  LinkSegments();  // the lists are rebuilt, not appended to
  EXPECT_EQ(CurvePoints[1].Neighbours, (Links{3}));
  EXPECT_EQ(CurvePoints[2].Neighbours, (Links{3}));
  EXPECT_TRUE(CurvePoints.back().Neighbours.empty());
  // A torsion at point 1 that is not positive makes the corners of cell (1, 2) mixed.
  CurvePoints[1].Torsion = 0;
  LinkSegments();
  EXPECT_EQ(CurvePoints[1].Neighbours, (Links{2, 3}));
  CollectCandidates();
  ASSERT_EQ(CandidateHigh, 0);
  for (int k = 0; k < 6; ++k) EXPECT_EQ(TriangleCandidates[0][k].Param, (k + 1) / 2) << k;  // points 0 1 1 2 2 3
  // All products positive: nothing crosses.
  UseLines({1, 1, 1, 1, 1}, 1);
  LinkSegments();
  for (const Mastil& m : CurvePoints) EXPECT_TRUE(m.Neighbours.empty());
}

TEST(TritangentLinks, FewPointsGiveNothingAndTooManyCandidatesStopAtTheCount) {
  TritangentTriples = {{1, 2, 3}};
  TritangentCount = 1;
  for (const auto& moments : {std::initializer_list<long double>{}, {1, -1}}) {
    UseLines(moments, -1);
    CurvePoints[1].Neighbours = {2};
    FindTritangents();
    EXPECT_EQ(CandidateHigh, -1);
    EXPECT_EQ(TritangentCount, 0);
    EXPECT_TRUE(TritangentTriples.empty());
  }
  // 61 points linked all with all: C(60, 3) = 34,220 triples, more than the count holds.
  CurvePoints.assign(61, Mastil{});
  CurvePointHigh = 60;
  for (std::int16_t i = 1; i < 60; ++i)
    for (std::int16_t l = i + 1; l <= 60; ++l) AddNeighbour(i, l);
  CollectCandidates();
  EXPECT_EQ(CandidateHigh, INT16_MAX);
  EXPECT_EQ(TriangleCandidates.size(), 32768u);
  EXPECT_THROW(AddCandidate(1, 2, 3), RangeError);
  EXPECT_THROW(AddNeighbour(61, 1), RangeError);
}

TEST(TritangentDuplicates, SamePlaneWithinThreeStepsOrShiftedAcrossTheSeam) {
  Glob::TMin = 0.5L;
  Glob::TMax = 0.5L + 2 * Pi;
  Glob::SetDerivedConstants();
  const long double h = Glob::TStep, tmin = Glob::TMin, tmax = Glob::TMax, a = 2, b = 4;
  TritangentTriples = {{a, b, tmax - 0.2L * h}};
  EXPECT_TRUE(RepeatsStoredTriple({tmin + 0.3L * h, a + 0.5L * h, b - 0.5L * h}));
  EXPECT_FALSE(RepeatsStoredTriple({tmin + 0.3L * h, a + 1.2L * h, b - 0.5L * h}));
  EXPECT_TRUE(RepeatsStoredTriple({a + h, b + h, tmax + 0.7L * h}));
  EXPECT_FALSE(RepeatsStoredTriple({a + h, b + h, tmax + 0.9L * h}));
  // The other way round: the stored triple has the first parameter near TMin.
  TritangentTriples = {{tmin + 0.3L * h, a, b}};
  EXPECT_TRUE(RepeatsStoredTriple({a + 0.5L * h, b - 0.5L * h, tmax - 0.2L * h}));
  EXPECT_FALSE(RepeatsStoredTriple({a + 0.5L * h, b - 1.5L * h, tmax - 0.2L * h}));
}

TEST(TritangentSearch, CurvesAroundACylinderGiveTheirTwoHorizontalPlanesOnce) {
  const std::vector<Params> planes{{2 * Pi / 3, 4 * Pi / 3, 2 * Pi}, {Pi / 3, Pi, 5 * Pi / 3}};
  TestCurves::UseDefaultCurve();
  Sampling::Initialize();
  Sampling::SampleCurve();
  FindTritangents();
  ExpectTriples(planes);

  Sample("cos(t)", "sin(t)", "0.2 cos(3t)");
  FindTritangents();
  ExpectTriples(planes);
}
