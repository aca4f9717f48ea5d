// The hull mesh built from hand-made bitangent lists and tritangent triples: strips of
// exact records of a known hull closing into one surface, and flat faces (in the flat
// view of the hull picture tests, world z = 16000 - depth) wound away from the curve.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <random>
#include <set>
#include <vector>

#include "formula/FunPars.h"
#include "geometry/Bitangents.h"
#include "geometry/Tritangents.h"
#include "geometry/Vectors.h"
#include "geometry/WorkCounters.h"
#include "render/HullMesh.h"
#include "render/HullPicture.h"
#include "render/ParameterGrid.h"
#include "tests/render/hull_helpers.h"
#include "tests/support/QhullHull.h"
#include "tests/support/TestCurves.h"
#include "tests/support/TestData.h"

namespace {

using namespace HullTest;
using HullMesh::THullMesh;

using Corners = std::set<std::vector<long double>>;

// The world corners of triangle k, as a set, so that winding and order do not matter.
Corners CornersOf(const THullMesh& mesh, std::size_t k) {
  Corners c;
  for (const std::int32_t v : mesh.Triangles.at(k)) {
    const TVector3& p = mesh.Vertices.at(v);
    c.insert({p.x, p.y, p.z});
  }
  return c;
}

Corners CornersOf(std::initializer_list<TVector3> points) {
  Corners c;
  for (const TVector3& p : points) c.insert({p.x, p.y, p.z});
  return c;
}

class HullMeshTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(UseEmptyScene()); }

  // The tritangent triple (100, 200, 300) on the parabola (t, 250 + (t - 200)^2 / 100) at
  // depth 10000: the triangle (100, 350), (200, 250), (300, 350).
  static void UseParabolaTriangle(const std::vector<Tritangents::Triple>& triples) {
    TestCurves::UseCurve(TestData(), "t", "250+(t-200)*(t-200)/100", "6000", 0, 400);
    UseFlatView();
    Scene.TritangentTriples = triples;
    Scene.TritangentCount = static_cast<std::int32_t>(triples.size());
  }
};

// The hull of the saddle curve (cos t, sin t, cos 2t) as exact records: three strips,
// each closing to a point of the curve at one end, two of them meeting along the top
// edge P(0)P(pi), the third folding over the bottom edge; no flat face.
std::vector<std::vector<BitangentRecord>> SaddleStrips(int rulings) {
  TestCurves::UseCurve(TestData(), "cos(t)", "sin(t)", "cos(2t)", 0, 2 * Glob::Pi);
  const long double pi = Glob::Pi;
  // Partner of s on each strip and the range of s, short of the closing point by half a step.
  const struct {
    long double from, to, sum;
  } pieces[] = {{0, pi / 2, pi}, {pi, 3 * pi / 2, 3 * pi}, {0, pi, 2 * pi}};
  std::vector<std::vector<BitangentRecord>> strips;
  for (const auto& piece : pieces) {
    std::vector<BitangentRecord> strip;
    const long double step = (piece.to - piece.from) / (rulings - 0.5L);
    for (int k = 0; k < rulings; ++k) {
      BitangentRecord r;
      r.OnHull = 1;
      r.StartsBranch = k == 0;
      r.ParamS = piece.from + k * step;
      r.ParamT = piece.sum - r.ParamS;
      FunPars::EvalCurve(TestData().Curve, r.ParamS, r.PointS);
      FunPars::EvalCurve(TestData().Curve, r.ParamT, r.PointT);
      // The plane through the chord and the tangent at s, turned away from the origin.
      const TVector3 tangent{-std::sin(r.ParamS), std::cos(r.ParamS), -2 * std::sin(2 * r.ParamS)};
      TVector3 n = Cross(r.PointT - r.PointS, tangent);
      if (Length(n) == 0) n = Cross(tangent, {-std::cos(r.ParamS), -std::sin(r.ParamS), -4 * std::cos(2 * r.ParamS)});
      n = n / Length(n);
      r.PlaneNormal = Dot(n, r.PointS) < 0 ? -1 * n : n;
      strip.push_back(r);
    }
    strips.push_back(strip);
  }
  return strips;
}

void UseRecords(const std::vector<std::vector<BitangentRecord>>& strips) {
  Scene.BitangentList.resize(1);
  for (const auto& strip : strips)
    for (const BitangentRecord& r : strip) AppendRecord(r);
}

// Every triangle faces away from the origin, which lies inside the saddle's hull.
bool FacesOutwards(const THullMesh& mesh) {
  for (std::size_t k = 0; k < mesh.Triangles.size(); ++k)
    if (!(Dot(HullMesh::TriangleNormal(mesh, k), mesh.Vertices[mesh.Triangles[k][0]]) > 0)) return false;
  return true;
}

TEST_F(HullMeshTest, StripsOfTheSaddleCloseIntoOneSurface) {
  auto strips = SaddleStrips(12);
  std::vector<TVector3> samples(20000);
  for (std::size_t k = 0; k < samples.size(); ++k)
    FunPars::EvalCurve(TestData().Curve, 2 * Glob::Pi * k / samples.size(), samples[k]);
  const double saddleVolume = QhullHull::QhullOf(samples).volume;
  UseRecords(strips);
  THullMesh mesh = HullMesh::BuildHullMesh(TestData().Curve, TestData().Figure, Scene);
  EXPECT_EQ(mesh.Strips, 3);
  EXPECT_EQ(mesh.OpenEnds, 0);
  EXPECT_EQ(HullMesh::OpenEdges(mesh), 0);
  EXPECT_TRUE(FacesOutwards(mesh));
  EXPECT_NEAR(double(HullMesh::MeshVolume(mesh)), saddleVolume, 0.05 * saddleVolume);

  // The same surface when the third strip is traced in two pieces that run over each
  // other, the second backwards.
  strips = SaddleStrips(24);
  std::vector<BitangentRecord> second(strips[2].begin() + 10, strips[2].end());
  strips[2].resize(14);
  std::reverse(second.begin(), second.end());
  for (std::size_t k = 0; k < second.size(); ++k) second[k].StartsBranch = k == 0;
  strips.push_back(second);
  UseRecords(strips);
  mesh = HullMesh::BuildHullMesh(TestData().Curve, TestData().Figure, Scene);
  EXPECT_EQ(mesh.OpenEnds, 0);
  EXPECT_EQ(HullMesh::OpenEdges(mesh), 0);
  EXPECT_TRUE(FacesOutwards(mesh));
  EXPECT_NEAR(double(HullMesh::MeshVolume(mesh)), saddleVolume, 0.02 * saddleVolume);

  // A missing piece leaves the surface open, and the ends that met nothing are counted.
  strips = SaddleStrips(12);
  strips[2].resize(3);
  UseRecords(strips);
  mesh = HullMesh::BuildHullMesh(TestData().Curve, TestData().Figure, Scene);
  EXPECT_GT(mesh.OpenEnds, 0);
  EXPECT_GT(HullMesh::OpenEdges(mesh), 0);
}

// The window's worker measures the hull after each drawing: Esc must reach that too.
TEST_F(HullMeshTest, AStopRequestEndsTheMeshBuilding) {
  UseRecords(SaddleStrips(12));
  std::atomic<bool> stop{true};
  WorkCounters::ThisThread.CancelRequest = &stop;
  EXPECT_THROW(HullMesh::BuildHullMesh(TestData().Curve, TestData().Figure, Scene), CancelledError);
  WorkCounters::ThisThread.CancelRequest = nullptr;
  EXPECT_EQ(HullMesh::BuildHullMesh(TestData().Curve, TestData().Figure, Scene).Strips, 3);
}

TEST_F(HullMeshTest, FlatTrianglesFaceAwayFromTheCurve) {
  UseParabolaTriangle({{100, 200, 300}});
  // Nine curve points behind the triangle's plane and one in it: whichever point one
  // picks, the mean of all lies behind, so the triangle faces the viewer.
  std::vector<TVector3> points{At(200, 300, 10000)};
  for (int k = 0; k < 9; ++k) points.push_back(At(20 + k, 20, 10100));
  UseCurvePoints(points);
  THullMesh mesh = HullMesh::BuildHullMesh(TestData().Curve, TestData().Figure, Scene);
  ASSERT_EQ(mesh.Triangles.size(), 1u);
  EXPECT_EQ(mesh.StripTriangles, 0);
  EXPECT_EQ(HullMesh::TriangleNormal(mesh, 0), (TVector3{0, 0, 1}));
  EXPECT_EQ(CornersOf(mesh, 0), CornersOf({At(100, 350, 10000), At(200, 250, 10000), At(300, 350, 10000)}));
  EXPECT_NEAR(static_cast<double>(HullMesh::MeshArea(mesh)), 200 * 100 / 2.0, 1e-9);

  for (TVector3& p : points) p.z = 2 * 6000 - p.z;  // the curve in front of the plane
  UseCurvePoints(points);
  mesh = HullMesh::BuildHullMesh(TestData().Curve, TestData().Figure, Scene);
  ASSERT_EQ(mesh.Triangles.size(), 1u);
  EXPECT_EQ(HullMesh::TriangleNormal(mesh, 0), (TVector3{0, 0, -1}));
}

TEST_F(HullMeshTest, FlatTrianglesInsideTheHullAreLeftOut) {
  UseParabolaTriangle({{100, 200, 300}});
  // Curve points well on both sides of the triangle's plane: it touches the curve
  // three times but cuts through the hull.
  UseCurvePoints({At(20, 20, 10100), At(30, 20, 9900), At(40, 20, 10050)});
  EXPECT_TRUE(HullMesh::BuildHullMesh(TestData().Curve, TestData().Figure, Scene).Triangles.empty());
  // A point beyond the plane by less than 1e-3 of the farthest one's distance is taken
  // as touching it.
  UseCurvePoints({At(20, 20, 10100), At(30, 20, 9999.95L)});
  const THullMesh mesh = HullMesh::BuildHullMesh(TestData().Curve, TestData().Figure, Scene);
  ASSERT_EQ(mesh.Triangles.size(), 1u);
  EXPECT_EQ(HullMesh::TriangleNormal(mesh, 0), (TVector3{0, 0, 1}));
}

TEST_F(HullMeshTest, TrianglesInOnePlaneMakeOneConvexFace) {
  // Five points of contact on a circle in the plane at depth 10000: the picture has a
  // triangle for each three of them, overlapping; the mesh has the pentagon once.
  TestCurves::UseCurve(TestData(), "200+100cos(t)", "200+100sin(t)", "6000", 0, 2 * Glob::Pi);
  UseFlatView();
  std::vector<long double> u;
  for (int k = 0; k < 5; ++k) u.push_back(0.1L + 2 * Glob::Pi * k / 5);
  std::vector<Tritangents::Triple> triples;
  for (int a = 0; a < 5; ++a)
    for (int b = a + 1; b < 5; ++b)
      for (int c = b + 1; c < 5; ++c) triples.push_back({u[a], u[b], u[c]});
  Scene.TritangentTriples = triples;
  Scene.TritangentCount = 10;
  UseCurvePoints({At(200, 200, 10100), At(250, 200, 10000)});
  const THullMesh mesh = HullMesh::BuildHullMesh(TestData().Curve, TestData().Figure, Scene);
  EXPECT_EQ(mesh.FlatFaces, 1);
  ASSERT_EQ(mesh.Triangles.size(), 3u);
  EXPECT_EQ(mesh.Vertices.size(), 5u);
  for (std::size_t k = 0; k < 3; ++k) {
    const TVector3 n = HullMesh::TriangleNormal(mesh, k);
    EXPECT_NEAR(static_cast<double>(n.z), 1, 1e-15) << k;
  }
  EXPECT_NEAR(static_cast<double>(HullMesh::MeshArea(mesh)), 2.5 * 100 * 100 * std::sin(2 * Glob::Pi / 5), 1e-9);

  // Off one plane (the points' heights vary with cos 2t), triangles sharing an edge
  // stay faces of their own.
  TestCurves::UseCurve(TestData(), "200+100cos(t)", "200+100sin(t)", "6000+10cos(2t)", 0, 2 * Glob::Pi);
  UseFlatView();
  UseCurvePoints({At(200, 200, 10100)});
  Scene.TritangentTriples = {{u[0], u[1], u[2]}, {u[0], u[1], u[3]}, {u[0], u[1], u[4]}};
  Scene.TritangentCount = 3;
  const THullMesh apart = HullMesh::BuildHullMesh(TestData().Curve, TestData().Figure, Scene);
  EXPECT_EQ(apart.FlatFaces, 3);
  EXPECT_EQ(apart.Triangles.size(), 3u);
  EXPECT_EQ(apart.Vertices.size(), 5u);  // the contacts, shared
}

}  // namespace

// A box far from the origin, wound outwards: its volume, and the sign for a box wound inwards.
TEST(MeshMeasures, VolumeOfAClosedBox) {
  THullMesh box;
  const TVector3 o{1e6L, -2e6L, 3e6L};
  for (int k = 0; k < 8; ++k) box.Vertices.push_back(o + TVector3{(k & 1) * 2.0L, (k >> 1 & 1) * 3.0L, (k >> 2) * 5.0L});
  // Two triangles per side, counter-clockwise seen from outside.
  box.Triangles = {{0, 2, 1}, {1, 2, 3}, {4, 5, 6}, {5, 7, 6}, {0, 1, 4}, {1, 5, 4},
                   {2, 6, 3}, {3, 6, 7}, {0, 4, 2}, {2, 4, 6}, {1, 3, 5}, {3, 7, 5}};
  EXPECT_NEAR(static_cast<double>(HullMesh::MeshVolume(box)), 30, 1e-9);
  EXPECT_NEAR(static_cast<double>(HullMesh::MeshArea(box)), 2 * (6 + 10 + 15), 1e-9);
  for (auto& t : box.Triangles) std::swap(t[1], t[2]);
  EXPECT_NEAR(static_cast<double>(HullMesh::MeshVolume(box)), -30, 1e-9);
  EXPECT_EQ(HullMesh::MeshVolume(THullMesh{}), 0);
  EXPECT_EQ(HullMesh::OpenEdges(box), 0);
  // One side turned round: its two triangles' six edges are walked the same way twice.
  std::swap(box.Triangles[0][1], box.Triangles[0][2]);
  std::swap(box.Triangles[1][1], box.Triangles[1][2]);
  EXPECT_EQ(HullMesh::OpenEdges(box), 4);
}

// The distance on the torus of side `span` from (a, b) to segment s, the larger of the
// distances along the two sides, for a segment shorter than half a side: the nearest of
// the point's copies next to it (or `span` when more than a 100th of a side).
long double TorusDistance(long double span, long double a, long double b, const HullMesh::TParameterGrid::TSegment& s) {
  if (std::fabs(std::remainder(a - s.A - s.DA / 2, span)) > std::fabs(s.DA) / 2 + span / 100 ||
      std::fabs(std::remainder(b - s.B - s.DB / 2, span)) > std::fabs(s.DB) / 2 + span / 100)
    return span;
  long double nearest = span;
  for (int i = -1; i <= 1; ++i)
    for (int j = -1; j <= 1; ++j) {
      const long double pa = std::remainder(a - s.A, span) + i * span, pb = std::remainder(b - s.B, span) + j * span;
      // The larger distance is least at an end, where one vanishes or where the two agree.
      for (const long double f :
           {0.0L, 1.0L, pa / s.DA, pb / s.DB, (pa - pb) / (s.DA - s.DB), (pa + pb) / (s.DA + s.DB)}) {
        const long double g = std::isfinite(f) ? std::clamp(f, 0.0L, 1.0L) : 0;
        nearest = std::min(nearest, std::max(std::fabs(pa - g * s.DA), std::fabs(pb - g * s.DB)));
      }
    }
  return nearest;
}

// Random segments, some across the seam, some long, some points, one not finite; every
// segment within reach of a query along both sides of the torus is among those the
// grid gives, and the grid gives far fewer than all.
TEST(ParameterGrid, GivesEverySegmentWithinReach) {
  const long double span = 7, reach = span / 300, nan = std::numeric_limits<long double>::quiet_NaN();
  const std::uint32_t count = 2000;
  std::mt19937 generator(3);
  std::uniform_real_distribution<long double> anywhere(0, span), shortStep(-span / 40, span / 40), unit(0, 1);
  std::vector<HullMesh::TParameterGrid::TSegment> segments;
  for (std::uint32_t k = 0; k < count; ++k) {
    const long double longer = k % 50 == 0 ? 10 : k % 50 == 1 ? 0 : 1;
    segments.push_back({anywhere(generator), k % 7 == 0 ? span - reach / 2 : anywhere(generator),
                        longer * shortStep(generator), longer * shortStep(generator)});
  }
  segments.push_back({nan, 1, 0, 0});
  const HullMesh::TParameterGrid grid(span, reach, segments);
  std::size_t found = 0, given = 0;
  std::vector<std::uint32_t> ids;
  for (int k = 0; k < 1500; ++k) {
    // Half the queries next to a segment, so that many have segments within reach.
    const auto& s = segments[generator() % count];
    const long double f = unit(generator), a = k % 2 ? anywhere(generator) : s.A + f * s.DA + shortStep(generator) / 5,
                      b = k % 2 ? anywhere(generator) : s.B + f * s.DB + shortStep(generator) / 5;
    ids.clear();
    ASSERT_TRUE(grid.Near(a, b, ids));
    given += ids.size();
    const std::set<std::uint32_t> near(ids.begin(), ids.end());
    EXPECT_TRUE(near.count(count));
    for (std::uint32_t id = 0; id < count; ++id)
      if (TorusDistance(span, a, b, segments[id]) <= reach) {
        ++found;
        EXPECT_TRUE(near.count(id)) << k << " " << id;
      }
  }
  EXPECT_GT(found, 500u);
  EXPECT_LT(given, 1500u * count / 20);
  EXPECT_FALSE(grid.Near(nan, 1, ids));
  EXPECT_FALSE(HullMesh::TParameterGrid(span, 0, segments).Near(1, 1, ids));
}
