// The analysed strips against an independent convex hull (Qhull) of dense curve
// samples: supporting planes, segments on the surface, and the area they cover.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#include "geometry/Tritangents.h"
#include "geometry/Vectors.h"
#include "tests/geometry/bitangent_helpers.h"
#include "tests/support/QhullHull.h"
#include "tests/support/TestData.h"
#include "tests/support/Triangles.h"

using namespace Bitangents;
using BitangentTests::Analysis;
using BitangentTests::Tracing;
using BitangentTests::CurveAt;
using BitangentTests::Pi;

namespace {

constexpr int SampleCount = 20000;

using QhullHull::Facet;
using QhullHull::QhullOf;
using QhullHull::SignedDepth;
using Triangles::TriangleArea;
using Triangles::TriangleDistance;

// A hull facet with corners on three separate arcs of the curve lies in a flat
// triangle; the facets of a ruled strip have corners on two arcs only.
bool OnThreeArcs(const Facet& f) {
  int id[3] = {f.ia, f.ib, f.ic};
  std::sort(id, id + 3);
  const int gap = SampleCount / 100;
  return id[1] - id[0] > gap && id[2] - id[1] > gap && SampleCount - id[2] + id[0] > gap;
}

bool Visible(const BitangentRecord& r) { return r.OnHull && r.ParamT >= r.ParamS; }

struct Figures {
  int records = 0, onHull = 0;
  double seconds = 0;
  long double planeExcess = 0;      // largest sample distance beyond a supporting plane
  long double surfaceDistance = 0;  // largest distance of a segment midpoint from the hull
  long double triangleDistance = 0;  // the same for the centres of the tritangent triangles
  long double stripArea = 0, triangleArea = 0, hullArea = 0, flatArea = 0;
  double stripCover = 0;  // share of the surface off the flat triangles near a strip
  double cover = 0;       // share of the whole surface near a strip or a triangle
};

Figures Compare(const std::string& x, const std::string& y, const std::string& z, long double p = 0,
                long double q = 0) {
  BitangentTests::PrepareCurve(x, y, z, 0, 2 * Pi, p, q);
  const auto start = std::chrono::steady_clock::now();
  AnalyzeBitangents(TestData().Curve, TestData().Figure, Analysis);
  Figures f;
  f.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  f.records = Analysis.BitangentCount;

  std::vector<TVector3> samples;
  for (int k = 0; k < SampleCount; ++k)
    samples.push_back(CurveAt(TestData().Input.TMin + TestData().Figure.Param.TSpan * k / SampleCount));
  const QhullHull::Hull hull = QhullOf(samples);
  f.hullArea = hull.area;

  for (int i = 1; i <= Analysis.BitangentCount; ++i) {
    const BitangentRecord& r = Analysis.BitangentList[i];
    if (!r.OnHull) continue;
    ++f.onHull;
    const TVector3 mid = (r.PointS + r.PointT) / 2;
    for (const TVector3& s : samples) f.planeExcess = std::max(f.planeExcess, Dot(r.PlaneNormal, s - mid));
    f.surfaceDistance = std::max(f.surfaceDistance, std::fabs(static_cast<long double>(SignedDepth(hull, mid))));
  }

  // The pieces as the hull picture draws them: runs of visible records, each pair of
  // consecutive rulings a quad of two triangles; then the tritangent triangles.
  std::vector<std::array<TVector3, 3>> strips, pieces;
  for (int i = 2; i <= Analysis.BitangentCount; ++i) {
    const BitangentRecord &a = Analysis.BitangentList[i - 1], &b = Analysis.BitangentList[i];
    if (!Visible(a) || !Visible(b) || b.StartsBranch) continue;
    strips.push_back({a.PointS, a.PointT, b.PointT});
    strips.push_back({a.PointS, b.PointS, b.PointT});
  }
  for (const auto& t : strips) f.stripArea += TriangleArea(t[0], t[1], t[2]);
  pieces = strips;
  for (int k = 0; k < Analysis.TritangentCount; ++k) {
    const auto& u = Analysis.TritangentTriples.at(k);
    const std::array<TVector3, 3> t{CurveAt(u[0]), CurveAt(u[1]), CurveAt(u[2])};
    pieces.push_back(t);
    f.triangleArea += TriangleArea(t[0], t[1], t[2]);
    const TVector3 centre = (t[0] + t[1] + t[2]) / 3;
    f.triangleDistance = std::max(f.triangleDistance, std::fabs(static_cast<long double>(SignedDepth(hull, centre))));
  }

  // Coverage: points spread over the hull's facets by area, each covered when it lies
  // near one of the pieces.
  const long double near = 2e-3L * TestData().Figure.FigureDiagonal;
  const auto covered = [&](const TVector3& point, const std::vector<std::array<TVector3, 3>>& by) {
    for (const auto& t : by)
      if (TriangleDistance(point, t[0], t[1], t[2]) < near) return true;
    return false;
  };
  std::mt19937 generator(5);
  std::uniform_real_distribution<double> unit(0, 1);
  double points = 0, stripWeight = 0, stripCovered = 0, allCovered = 0;
  const double perArea = 3000 / f.hullArea;
  for (const Facet& facet : hull.facets) {
    const double area = TriangleArea(facet.a, facet.b, facet.c);
    const bool flat = OnThreeArcs(facet);
    if (flat) f.flatArea += area;
    double count = area * perArea;
    for (; count > 0; count -= 1) {
      if (count < 1 && unit(generator) > count) break;
      double u = unit(generator), v = unit(generator);
      if (u + v > 1) u = 1 - u, v = 1 - v;
      const TVector3 point = facet.a + u * (facet.b - facet.a) + v * (facet.c - facet.a);
      const bool nearStrip = covered(point, strips);
      points += 1;
      if (!flat) stripWeight += 1, stripCovered += nearStrip;
      allCovered += nearStrip || covered(point, pieces);
    }
  }
  f.stripCover = stripCovered / stripWeight;
  f.cover = allCovered / points;
  std::printf(
      "records %d (on hull %d), %.3f s; plane excess %.2Le, midpoint distance %.2Le (diagonal %.3Lf)\n"
      "  area: strips %.4Lf + triangles %.4Lf (%d, centre distance %.2Le) vs hull %.4Lf, of it flat %.4Lf;"
      " covered: off the flat parts %.4f, all %.4f\n",
      f.records, f.onHull, f.seconds, f.planeExcess, f.surfaceDistance, TestData().Figure.FigureDiagonal, f.stripArea,
      f.triangleArea, int(Analysis.TritangentCount), f.triangleDistance, f.hullArea, f.flatArea, f.stripCover, f.cover);
  return f;
}

void ExpectMatchesHull(const Figures& f) {
  const long double diagonal = TestData().Figure.FigureDiagonal;
  EXPECT_GT(f.onHull, 10);
  EXPECT_LT(f.planeExcess, 2e-3L * diagonal);
  EXPECT_LT(f.surfaceDistance, 2e-3L * diagonal);
  // The strips cover the ruled part of the surface. Short strips traced again from
  // later seeds overlap, so their total area may exceed it a little; and a record
  // inserted between two traced points is not corrected onto the branch, so where the
  // branch bends it can fail the support test and leave a gap of two quads.
  EXPECT_GT(f.stripCover, 0.95);
  EXPECT_GT(f.stripArea, 0.93L * (f.hullArea - f.flatArea));
  EXPECT_LT(f.stripArea, 1.1L * (f.hullArea - f.flatArea));
  // The flat triangles found lie on the surface; with strips they cover no more than it.
  EXPECT_LT(f.triangleDistance, 2e-3L * diagonal);
  EXPECT_LT(f.stripArea + f.triangleArea, 1.1L * f.hullArea);
}

}  // namespace

TEST(BitangentHull, DefaultCurve) {
  const Figures f = Compare("cos(2t)(p+sen(3t))", "sen(2t)(p+sen(3t))", "cos(3t+q)", 1, 0);
  ExpectMatchesHull(f);
}

TEST(BitangentHull, CurveOnACylinder) { ExpectMatchesHull(Compare("cos(t)", "sin(t)", "cos(3t)")); }

TEST(BitangentHull, SaddleCurve) { ExpectMatchesHull(Compare("cos(t)", "sin(t)", "cos(2t)")); }

TEST(BitangentHull, Trefoil) {
  ExpectMatchesHull(Compare("(2+cos(3t))cos(2t)", "(2+cos(3t))sin(2t)", "sin(3t)"));
}
