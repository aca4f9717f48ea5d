// The hull mesh built from hand-made bitangent lists and tritangent triples in the flat
// view of the hull picture tests (world x, y = pixel; world z = 16000 - depth): which
// records make strips, shared vertices, the split of every quad as the picture splits
// it, and the outward winding of strip and flat triangles.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>
#include <vector>

#include "geometry/Bitangents.h"
#include "geometry/Tritangents.h"
#include "geometry/Vectors.h"
#include "render/HullMesh.h"
#include "render/HullPicture.h"
#include "tests/render/hull_helpers.h"
#include "tests/support/TestCurves.h"

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

  static void AddRecord(const TVector3& s, const TVector3& t, const TVector3& normal, bool starts,
                        bool onHull = true, long double paramS = 1, long double paramT = 2) {
    BitangentRecord r;
    r.OnHull = onHull;
    r.StartsBranch = starts;
    r.ParamS = paramS;
    r.ParamT = paramT;
    r.PointS = s;
    r.PointT = t;
    r.PlaneNormal = normal;
    AppendRecord(r);
  }

  // A vertical ruling at column x, rows 100..200, in the plane at depth 10000.
  static void AddFlatRuling(long double x, bool starts, const TVector3& normal = {0, 0, 1}, bool onHull = true,
                            long double paramS = 1, long double paramT = 2) {
    AddRecord(At(x, 100, 10000), At(x, 200, 10000), normal, starts, onHull, paramS, paramT);
  }

  // The tritangent triple (100, 200, 300) on the parabola (t, 250 + (t - 200)^2 / 100) at
  // depth 10000: the triangle (100, 350), (200, 250), (300, 350).
  static void UseParabolaTriangle(const std::vector<Tritangents::Triple>& triples) {
    TestCurves::UseCurve("t", "250+(t-200)*(t-200)/100", "6000", 0, 400);
    UseFlatView();
    Tritangents::TritangentTriples = triples;
    Tritangents::TritangentCount = static_cast<std::int32_t>(triples.size());
  }
};

TEST_F(HullMeshTest, StripsFollowTheVisibleRecordsAndShareTheirCorners) {
  const long double nan = std::numeric_limits<long double>::quiet_NaN();
  AddFlatRuling(10, true);  // strip of three rulings: 4 triangles, 6 vertices
  AddFlatRuling(20, false);
  AddFlatRuling(30, false);
  AddFlatRuling(40, false, {0, 0, 1}, false);        // off the hull
  AddFlatRuling(50, false);                          // a strip of one ruling: nothing
  AddFlatRuling(60, false, {0, 0, 1}, true, 2, 1);   // ParamT < ParamS
  AddFlatRuling(70, false);                          // strip of two rulings
  AddFlatRuling(80, false);
  AddFlatRuling(90, true);                           // starts a branch: no quad 80-90
  AddFlatRuling(100, false, {0, 0, 1}, true, nan, 2);  // a NaN parameter hides it
  AddFlatRuling(110, false);
  const THullMesh mesh = HullMesh::BuildHullMesh();

  EXPECT_EQ(mesh.Strips, 2);
  ASSERT_EQ(mesh.Triangles.size(), 6u);
  EXPECT_EQ(mesh.StripTriangles, 6);
  ASSERT_EQ(mesh.Vertices.size(), 10u);  // the corners of rulings 10, 20, 30, 70, 80 once each
  const long double columns[] = {10, 20, 30, 70, 80};
  for (int k = 0; k < 5; ++k) {
    EXPECT_EQ(mesh.Vertices[2 * k], At(columns[k], 100, 10000)) << k;
    EXPECT_EQ(mesh.Vertices[2 * k + 1], At(columns[k], 200, 10000)) << k;
  }
  // Every triangle joins two neighbouring rulings of one strip and uses both.
  for (std::size_t k = 0; k < mesh.Triangles.size(); ++k) {
    std::set<long double> xs;
    for (const std::int32_t v : mesh.Triangles[k]) xs.insert(mesh.Vertices.at(v).x);
    ASSERT_EQ(xs.size(), 2u) << k;
    EXPECT_EQ(*xs.rbegin() - *xs.begin(), 10) << k;
  }
  EXPECT_NEAR(static_cast<double>(HullMesh::MeshArea(mesh)), 3 * 10 * 100, 1e-9);

  // Nothing drawn, nothing meshed.
  Bitangents::BitangentCount = 0;
  const THullMesh empty = HullMesh::BuildHullMesh();
  EXPECT_TRUE(empty.Vertices.empty());
  EXPECT_TRUE(empty.Triangles.empty());
}

TEST_F(HullMeshTest, StripTrianglesFaceAlongTheRecordsNormals) {
  // The same flat strip walked rightwards and leftwards (the corners' order flips the
  // natural winding), with the outward normal towards the viewer and away from it.
  for (const long double step : {10.0L, -10.0L})
    for (const long double side : {1.0L, -1.0L}) {
      ASSERT_TRUE(UseEmptyScene());
      for (int k = 0; k < 4; ++k) AddFlatRuling(200 + k * step, k == 0, {0, 0, side});
      const THullMesh mesh = HullMesh::BuildHullMesh();
      ASSERT_EQ(mesh.Triangles.size(), 6u);
      for (std::size_t k = 0; k < mesh.Triangles.size(); ++k)
        EXPECT_EQ(HullMesh::TriangleNormal(mesh, k), (TVector3{0, 0, side})) << step << " " << side << " " << k;
    }

  // A bent strip: the two rulings' planes differ, the quad faces along their mean.
  ASSERT_TRUE(UseEmptyScene());
  const long double c = std::sqrt(0.5L);
  AddRecord(At(100, 100, 10000), At(100, 200, 10000), {-c, 0, c}, true);
  AddRecord(At(110, 100, 10000), At(110, 200, 10000), {c, 0, c}, false);
  const THullMesh mesh = HullMesh::BuildHullMesh();
  ASSERT_EQ(mesh.Triangles.size(), 2u);
  for (std::size_t k = 0; k < 2; ++k) EXPECT_GT(HullMesh::TriangleNormal(mesh, k).z, 0.99L);
}

TEST_F(HullMeshTest, QuadsAreSplitAsThePictureSplitsThem) {
  // The quad a = (50, 100)-(50, 200), b = (70, 100)-(70, 200) with the corners a.EndT and
  // b.EndS nearer than the others; shades from normals with ViewAxisZ components da, db.
  // Pixel (55, 120) lies left of diagonal a.EndT-b.EndS, in the picture's first triangle
  // (shade of a) exactly when the quad is split along that diagonal.
  const TVector3 aS = At(50, 100, 10000), aT = At(50, 200, 9900), bS = At(70, 100, 9900), bT = At(70, 200, 10000);
  const auto normal = [](long double d) { return TVector3{std::sqrt(1 - d * d), 0, d}; };
  const struct {
    long double da, db;
    bool nearDiagonal;
  } cases[] = {{-0.5L, -0.25L, true},  // turned away: along the nearer diagonal
               {0.5L, 0.25L, false},   // both face the viewer: never along it
               {0.5L, -0.5L, true}};
  for (const auto& c : cases) {
    ASSERT_TRUE(UseEmptyScene());
    AddRecord(aS, aT, normal(c.da), true);
    AddRecord(bS, bT, normal(c.db), false);
    const THullMesh mesh = HullMesh::BuildHullMesh();
    ASSERT_EQ(mesh.Triangles.size(), 2u);
    const Corners first = CornersOf(mesh, 0), second = CornersOf(mesh, 1);
    if (c.nearDiagonal) {
      EXPECT_EQ(first, CornersOf({aS, aT, bS})) << c.da;
      EXPECT_EQ(second, CornersOf({bS, aT, bT})) << c.da;
    } else {
      EXPECT_EQ(first, CornersOf({aS, aT, bT})) << c.da;
      EXPECT_EQ(second, CornersOf({aS, bS, bT})) << c.da;
    }
    // The picture of the same records agrees.
    HullPicture::RenderHull();
    const int shadeA = HullPicture::ShadeIndex(normal(c.da));
    EXPECT_EQ(PixelAt(55, 120) == PaletteRgb(shadeA), c.nearDiagonal) << c.da;
    // Whichever the split, the triangles face along the normals' mean, which is not
    // the viewer's side for the first case.
    const TVector3 mean = normal(c.da) + normal(c.db);
    for (std::size_t k = 0; k < 2; ++k) EXPECT_GT(Dot(HullMesh::TriangleNormal(mesh, k), mean), 0) << c.da;
  }
}

TEST_F(HullMeshTest, TrianglesWithoutAreaAreLeftOut) {
  AddFlatRuling(10, true);
  AddFlatRuling(10, false);  // the same ruling again: an empty quad
  AddFlatRuling(20, false);
  AddRecord(At(30, 150, 10000), At(30, 150, 10000), {0, 0, 1}, false);  // a ruling of one point
  const THullMesh mesh = HullMesh::BuildHullMesh();
  // Quad 10-10 has no area, quad 10-20 two triangles, quad 20-30 one (the other has two
  // equal corners).
  ASSERT_EQ(mesh.Triangles.size(), 3u);
  for (std::size_t k = 0; k < mesh.Triangles.size(); ++k) EXPECT_GT(Length(HullMesh::TriangleNormal(mesh, k)), 0.99L);
  EXPECT_NEAR(static_cast<double>(HullMesh::MeshArea(mesh)), 10 * 100 + 10 * 100 / 2.0, 1e-9);
}

TEST_F(HullMeshTest, FlatTrianglesFaceAwayFromTheCurve) {
  UseParabolaTriangle({{100, 200, 300}});
  // Nine curve points behind the triangle's plane and one in it: whichever point one
  // picks, the mean of all lies behind, so the triangle faces the viewer.
  std::vector<TVector3> points{At(200, 300, 10000)};
  for (int k = 0; k < 9; ++k) points.push_back(At(20 + k, 20, 10100));
  UseCurvePoints(points);
  THullMesh mesh = HullMesh::BuildHullMesh();
  ASSERT_EQ(mesh.Triangles.size(), 1u);
  EXPECT_EQ(mesh.StripTriangles, 0);
  EXPECT_EQ(HullMesh::TriangleNormal(mesh, 0), (TVector3{0, 0, 1}));
  EXPECT_EQ(CornersOf(mesh, 0), CornersOf({At(100, 350, 10000), At(200, 250, 10000), At(300, 350, 10000)}));
  EXPECT_NEAR(static_cast<double>(HullMesh::MeshArea(mesh)), 200 * 100 / 2.0, 1e-9);

  for (TVector3& p : points) p.z = 2 * 6000 - p.z;  // the curve in front of the plane
  UseCurvePoints(points);
  mesh = HullMesh::BuildHullMesh();
  ASSERT_EQ(mesh.Triangles.size(), 1u);
  EXPECT_EQ(HullMesh::TriangleNormal(mesh, 0), (TVector3{0, 0, -1}));
}

TEST_F(HullMeshTest, FlatTrianglesInsideTheHullAreLeftOut) {
  UseParabolaTriangle({{100, 200, 300}});
  // Curve points well on both sides of the triangle's plane: it touches the curve
  // three times but cuts through the hull.
  UseCurvePoints({At(20, 20, 10100), At(30, 20, 9900), At(40, 20, 10050)});
  EXPECT_TRUE(HullMesh::BuildHullMesh().Triangles.empty());
  // A point beyond the plane by less than 1e-3 of the farthest one's distance is taken
  // as touching it.
  UseCurvePoints({At(20, 20, 10100), At(30, 20, 9999.95L)});
  const THullMesh mesh = HullMesh::BuildHullMesh();
  ASSERT_EQ(mesh.Triangles.size(), 1u);
  EXPECT_EQ(HullMesh::TriangleNormal(mesh, 0), (TVector3{0, 0, 1}));
}

TEST_F(HullMeshTest, TrianglesInOnePlaneMakeOneConvexFace) {
  // Five points of contact on a circle in the plane at depth 10000: the picture has a
  // triangle for each three of them, overlapping; the mesh has the pentagon once.
  TestCurves::UseCurve("200+100cos(t)", "200+100sin(t)", "6000", 0, 2 * Glob::Pi);
  UseFlatView();
  std::vector<long double> u;
  for (int k = 0; k < 5; ++k) u.push_back(0.1L + 2 * Glob::Pi * k / 5);
  std::vector<Tritangents::Triple> triples;
  for (int a = 0; a < 5; ++a)
    for (int b = a + 1; b < 5; ++b)
      for (int c = b + 1; c < 5; ++c) triples.push_back({u[a], u[b], u[c]});
  Tritangents::TritangentTriples = triples;
  Tritangents::TritangentCount = 10;
  UseCurvePoints({At(200, 200, 10100), At(250, 200, 10000)});
  const THullMesh mesh = HullMesh::BuildHullMesh();
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
  TestCurves::UseCurve("200+100cos(t)", "200+100sin(t)", "6000+10cos(2t)", 0, 2 * Glob::Pi);
  UseFlatView();
  UseCurvePoints({At(200, 200, 10100)});
  Tritangents::TritangentTriples = {{u[0], u[1], u[2]}, {u[0], u[1], u[3]}, {u[0], u[1], u[4]}};
  Tritangents::TritangentCount = 3;
  const THullMesh apart = HullMesh::BuildHullMesh();
  EXPECT_EQ(apart.FlatFaces, 3);
  EXPECT_EQ(apart.Triangles.size(), 3u);
  EXPECT_EQ(apart.Vertices.size(), 9u);
}

TEST_F(HullMeshTest, FlatTrianglesFollowStripsAndSkipTriplesOnALine) {
  UseParabolaTriangle({{100, 100, 200}, {100, 200, 300}, {150, 150, 150}});
  UseCurvePoints({At(20, 20, 10100)});
  AddFlatRuling(10, true);
  AddFlatRuling(20, false);
  const THullMesh mesh = HullMesh::BuildHullMesh();
  ASSERT_EQ(mesh.Triangles.size(), 3u);
  EXPECT_EQ(mesh.StripTriangles, 2);
  EXPECT_EQ(mesh.Vertices.size(), 4u + 3u);
  EXPECT_EQ(CornersOf(mesh, 2), CornersOf({At(100, 350, 10000), At(200, 250, 10000), At(300, 350, 10000)}));
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
}
