// The tritangent search: links between segments, and whole searches on curves whose
// tritangent planes are known.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <initializer_list>
#include <vector>

#include "formula/Checks.h"
#include "formula/FunPars.h"
#include "geometry/Bitangents.h"
#include "geometry/Sampling.h"
#include "geometry/SharedState.h"
#include "geometry/TritangentsInternal.h"
#include "tests/support/TestCurves.h"
#include "tests/support/TestData.h"

using namespace Tritangents;
// The type; the name Triple alone also means the triple product.
using Params = Tritangents::Triple;

// The search's results, as an analysis holds them.
Bitangents::TAnalysis Analysis;

namespace {

constexpr long double Pi = Glob::Pi;

// Curve points whose tangent lines all run along x with moments (m, 0, 0), so that the
// reciprocal product of points a and b is m_a + m_b. The array is longer than used.
void UseLines(const std::vector<long double>& moments, long double torsion) {
  TestData().Figure.CurvePoints.assign(moments.size() + 3, Mastil{});
  TestData().Figure.CurvePointHigh = static_cast<std::int16_t>(moments.size() - 1);
  int k = 0;
  for (const long double m : moments) {
    TestData().Figure.CurvePoints[k] = {static_cast<long double>(k), torsion, {}, {1, 0, 0}, {m, 0, 0}};
    ++k;
  }
}

using Links = std::vector<std::int16_t>;

void Sample(const char* x, const char* y, const char* z, long double p = 0, long double q = 0) {
  TestCurves::UseCurve(TestData(), x, y, z, 0, 2 * Pi, p, q);
  Sampling::SampleCurve(TestData().Curve, TestData().Figure);
}

// u and e are the same points of contact within 3e-7 in sum, a contact at the seam
// counting the same at either end of the interval.
bool SameContacts(const Params& u, const Params& e) {
  for (int shift = 0; shift < 3; ++shift) {
    long double sum = 0;
    for (int k = 0; k < 3; ++k) {
      const long double d = std::fabs(u[k] - e[(k + shift) % 3]);
      sum += std::min(d, std::fabs(2 * Pi - d));
    }
    if (sum < 3e-7L) return true;
  }
  return false;
}

// The triples found are the expected ones, each once.
void ExpectTriples(const std::vector<Params>& expected) {
  ASSERT_EQ(Analysis.TritangentCount, static_cast<std::int32_t>(expected.size()));
  std::vector<bool> seen(expected.size());
  for (const Params& u : Analysis.TritangentTriples)
    for (std::size_t e = 0; e < expected.size(); ++e)
      if (SameContacts(u, expected[e])) seen[e] = true;
  for (std::size_t e = 0; e < expected.size(); ++e) EXPECT_TRUE(seen[e]) << e;
}

// The planes z = +-a of (cos t, sin t, a cos(3t + q)): 3t + q a multiple of 2 pi, or pi
// plus one.
std::vector<Params> HorizontalPlanes(long double q) {
  std::vector<Params> planes;
  for (const long double level : {0.0L, Pi}) {
    Params u;
    for (int k = 0; k < 3; ++k) u[k] = std::fmod((level + 2 * Pi * k - q) / 3 + 2 * Pi, 2 * Pi);
    planes.push_back(u);
  }
  return planes;
}

TVector3 CurveAt(long double t) {
  TVector3 p;
  FunPars::EvalCurve(TestData().Curve, t, p);
  return p;
}

}  // namespace

TEST(TritangentLinks, MixedCornerSignsLinkACellAndTheTorsionStandsOnTheDiagonal) {
  // Products: every pair among points 0..2 positive, every pair with point 3 negative.
  UseLines({1, 1, 1, -5}, 1);
  SegmentLinks links = LinkSegments(TestData().Figure);
  ASSERT_EQ(links.size(), 4u);  // none for the unused records
  EXPECT_EQ(links[1], (Links{3}));
  EXPECT_EQ(links[2], (Links{3}));
  // A torsion at point 1 that is not positive makes the corners of cell (1, 2) mixed.
  TestData().Figure.CurvePoints[1].Torsion = 0;
  links = LinkSegments(TestData().Figure);
  EXPECT_EQ(links[1], (Links{2, 3}));
  // All products positive: nothing crosses.
  UseLines({1, 1, 1, 1, 1}, 1);
  for (const Links& l : LinkSegments(TestData().Figure)) EXPECT_TRUE(l.empty());
}

// The links of the lines of UseLines(m), from the signs of the extended sums of moments
// (no flag raised): a cell is linked when the signs at its corners, products of points
// i - 1 or i with l - 1 or l (the torsion where a point meets itself), are mixed.
void ExpectLinksOfMoments(const std::vector<long double>& m) {
  const int high = static_cast<int>(m.size()) - 1;
  std::feclearexcept(FE_ALL_EXCEPT);
  const SegmentLinks links = LinkSegments(TestData().Figure);
  EXPECT_EQ(std::fetestexcept(FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW), 0);
  const auto positive = [&m](int a, int b) { return a == b || m[a] + m[b] > 0; };
  for (int i = 1; i < high; ++i) {
    Links expected;
    for (int l = i + 1; l <= high; ++l) {
      const int corners = positive(i - 1, l - 1) + positive(i - 1, l) + positive(i, l - 1) + positive(i, l);
      if (corners % 4 != 0) expected.push_back(static_cast<std::int16_t>(l));
    }
    EXPECT_EQ(links[i], expected) << i;
  }
}

TEST(TritangentLinks, ProductsBelowTheRoundingOfDoublesKeepTheirExtendedSign) {
  // Sums of moments that doubles round to 0 or do not hold at all (2^2000).
  const std::initializer_list<long double> moments = {
      1, -1 + 0x1p-60L, -1 - 0x1p-60L, 1 + 0x1p-61L, 0x1p2000L, -0x1p2000L * (1 - 0x1p-60L), 0x1p-1030L, -0x1p-1031L};
  UseLines(moments, 1);
  ExpectLinksOfMoments(moments);
  // Many lines, runs of each sign between near cancellations, one huge moment among
  // them: every row's signs are read over many lines at a time.
  std::vector<long double> m;
  for (int k = 0; k < 211; ++k)
    m.push_back(k == 97 ? 0x1p40L : (k / 13 % 2 ? -1 : 1) * (1 + k % 5 * 0x1p-62L) + (k % 7 == 3 ? 0x1p-61L : 0));
  UseLines(m, 1);
  ExpectLinksOfMoments(m);
}

TEST(TritangentLinks, FewPointsGiveNothing) {
  Analysis.TritangentTriples = {{1, 2, 3}};
  Analysis.TritangentCount = 1;
  for (const auto& moments : {std::initializer_list<long double>{}, {1, -1}}) {
    UseLines(moments, -1);
    FindTritangents(TestData().Curve, TestData().Figure, {}, Analysis);
    EXPECT_EQ(Analysis.TritangentCount, 0);
    EXPECT_TRUE(Analysis.TritangentTriples.empty());
    EXPECT_TRUE(Analysis.FlatFaces.empty());
  }
  SegmentLinks links(4);
  EXPECT_THROW(AddNeighbour(links, 61, 1), RangeError);
}

TEST(TritangentSearch, CurvesAroundACylinderGiveTheirTwoHorizontalPlanesOnce) {
  TestCurves::UseDefaultCurve(TestData());
  Sampling::SampleCurve(TestData().Curve, TestData().Figure);
  FindTritangents(TestData().Curve, TestData().Figure, {}, Analysis);
  ExpectTriples(HorizontalPlanes(0));

  // Low and tall waves, with a contact at the seam or all contacts inside; on the tall
  // ones the tangent turns fast next to the contacts, and contacts fall near the ends of
  // their segments.
  for (const long double a : {0.2L, 1.0L, 3.0L})
    for (const long double q : {0.0L, 0.4L, 0.9L}) {
      SCOPED_TRACE(testing::Message() << "a = " << a << ", q = " << q);
      Sample("cos(t)", "sin(t)", "p cos(3t+q)", a, q);
      FindTritangents(TestData().Curve, TestData().Figure, {}, Analysis);
      ExpectTriples(HorizontalPlanes(q));
    }
}

TEST(TritangentSearch, TrefoilGivesBothOfItsPlanes) {
  // z = sin(3t) is 1 at pi/6 + 2 pi k/3 and -1 at pi/2 + 2 pi k/3.
  Sample("(2+cos(3t))cos(2t)", "(2+cos(3t))sin(2t)", "sin(3t)");
  FindTritangents(TestData().Curve, TestData().Figure, {}, Analysis);
  ExpectTriples({{Pi / 6, 5 * Pi / 6, 3 * Pi / 2}, {Pi / 2, 7 * Pi / 6, 11 * Pi / 6}});
}

TEST(TritangentSearch, OnlyPlanesThatSupportTheCurveAreKept) {
  // The (2,5) torus knot touches z = 1 and z = -1 at five points each: any three of one
  // five span a flat part of the hull. Planes tangent at three points that pass
  // through the inside of the hull are not kept.
  Sample("(2+cos(5t))cos(2t)", "(2+cos(5t))sin(2t)", "sin(5t)");
  FindTritangents(TestData().Curve, TestData().Figure, {}, Analysis);
  // Each pentagon is one face with its five contacts, covered by a fan of three triangles.
  ASSERT_EQ(Analysis.FlatFaces.size(), 2u);
  for (const FlatFace& face : Analysis.FlatFaces) EXPECT_EQ(face.Contacts.size(), 5u);
  ASSERT_EQ(Analysis.TritangentCount, 6);
  for (const Params& u : Analysis.TritangentTriples) {
    const long double z = CurveAt(u[0]).z;
    EXPECT_NEAR(std::fabs(z), 1, 1e-9) << u[0];
    EXPECT_NEAR(CurveAt(u[1]).z, z, 1e-9) << u[1];
    EXPECT_NEAR(CurveAt(u[2]).z, z, 1e-9) << u[2];
  }
  for (int a = 0; a < Analysis.TritangentCount; ++a)
    for (int b = 0; b < a; ++b)
      EXPECT_FALSE(SameContacts(Analysis.TritangentTriples[a], Analysis.TritangentTriples[b])) << a << b;

  // The support test itself, on (cos t, sin t, cos 3t), whose width across z is 2.
  Sample("cos(t)", "sin(t)", "cos(3t)");
  EXPECT_TRUE(SupportsCurve(TestData().Figure, {0, 2 * Pi / 3, 4 * Pi / 3}));
  // Moved off a contact, the plane tilts: 2e-6 of the width beyond it is interpolation
  // noise, 6e-3 is a cut.
  EXPECT_TRUE(SupportsCurve(TestData().Figure, {0.001L, 2 * Pi / 3, 4 * Pi / 3}));
  EXPECT_FALSE(SupportsCurve(TestData().Figure, {0.05L, 2 * Pi / 3, 4 * Pi / 3}));
  EXPECT_FALSE(SupportsCurve(TestData().Figure, {0, 2 * Pi / 3, Pi}));
}

TEST(TritangentSearch, APlanarCurveHasNoTritangentPlanes) {
  // A circle in a tilted plane: rounding noise links nearly every triple of segments,
  // and every plane solved would be the circle's own.
  Sample("cos(t)", "sin(t)", "0.3 cos(t)+0.2 sin(t)");
  FindTritangents(TestData().Curve, TestData().Figure, {}, Analysis);
  EXPECT_EQ(Analysis.TritangentCount, 0);
  const TVector3 a = CurveAt(1), b = CurveAt(2.5L), c = CurveAt(4);
  EXPECT_TRUE(InCurvePlane(TestData().Figure, a, b, c));
  // Three points on one line give no plane to test against. They must lie on it
  // exactly: the rounded middle of two curve points is off their line by a few ulps,
  // which tilts the plane through them at random.
  const TVector3 p{0.25L, -0.5L, 0.125L}, step{0.25L, 0.5L, 0.125L};
  EXPECT_TRUE(InCurvePlane(TestData().Figure, p, p + step, p + step + step));
  Sample("cos(t)", "sin(t)", "0.000001 cos(3t)");
  EXPECT_FALSE(InCurvePlane(TestData().Figure, CurveAt(1), CurveAt(2.5L), CurveAt(4)));
}

TEST(TritangentSearch, FacesOfManyContactsAreFoundWhole) {
  // (cos t, sin t, 0.5 cos 50t) touches z = 0.5 at t = 2 pi k / 50 and z = -0.5 half a
  // wave later: two faces of fifty contacts, each a fan of 48 triangles.
  Sample("cos(t)", "sin(t)", "0.5cos(50t)");
  FindTritangents(TestData().Curve, TestData().Figure, {}, Analysis);
  ASSERT_EQ(Analysis.FlatFaces.size(), 2u);
  for (const FlatFace& face : Analysis.FlatFaces) {
    ASSERT_EQ(face.Contacts.size(), 50u);
    const long double level = face.Normal.z > 0 ? 0 : Pi / 50;
    for (int k = 0; k < 50; ++k) EXPECT_NEAR(face.Contacts[k], level + 2 * Pi * k / 50, 1e-7L) << k;
  }
  EXPECT_EQ(Analysis.TritangentCount, 96);
  EXPECT_FALSE(Analysis.SearchCut);
}
