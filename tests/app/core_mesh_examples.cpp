// The hull mesh of every example curve: the same pieces as the picture, wound outwards
// (the whole curve on the inner side of every triangle's plane), and covering about the
// area of Qhull's hull of dense curve samples.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <vector>

#include "formula/FunPars.h"
#include "geometry/Bitangents.h"
#include "geometry/Framing.h"
#include "geometry/SharedState.h"
#include "geometry/Tritangents.h"
#include "geometry/Vectors.h"
#include "render/HullMesh.h"
#include "render/HullPicture.h"
#include "tests/app/example_curves.h"
#include "tests/support/QhullHull.h"
#include "tests/support/Triangles.h"

namespace {

using HullMesh::THullMesh;

using Triangles::TriangleArea;

std::vector<TVector3> CurveSamples(int count) {
  std::vector<TVector3> samples(count);
  for (int k = 0; k < count; ++k) FunPars::EvalCurve(Glob::TMin + Glob::TSpan * k / count, samples[k]);
  return samples;
}

// The area of the pieces the last hull picture drew, in world coordinates: the visible
// records, matched one to one with the picture's rulings, give the quads' corners; each
// quad counts with the split the picture used. Fails the calling test when the records
// do not project onto the rulings.
long double PictureStripArea() {
  std::vector<const BitangentRecord*> visible;
  for (int i = 1; i <= Bitangents::BitangentCount; ++i) {
    const BitangentRecord& r = Bitangents::BitangentList[i];
    if (r.OnHull && r.ParamT >= r.ParamS) visible.push_back(&r);
  }
  const auto& rulings = HullPicture::Rulings;
  EXPECT_EQ(static_cast<int>(visible.size()), HullPicture::RulingCount);
  long double area = 0;
  for (std::size_t i = 0; i < visible.size() && i + 1 < rulings.size(); ++i) {
    const Ruling& r = rulings[i + 1];
    EXPECT_EQ(Framing::ProjectPoint(visible[i]->PointS), r.EndS) << i;
    EXPECT_EQ(Framing::ProjectPoint(visible[i]->PointT), r.EndT) << i;
    if (r.StripStart) continue;
    const TVector3 corner[4] = {visible[i - 1]->PointS, visible[i - 1]->PointT, visible[i]->PointS,
                                visible[i]->PointT};
    for (const auto& t : HullPicture::SplitStripQuad(rulings[i], r))
      area += TriangleArea(corner[t[0]], corner[t[1]], corner[t[2]]);
  }
  return area;
}

// The tritangent triangles of the picture that lie on the hull: all samples on one side
// of the plane, but for 1e-3 of the farthest one's distance.
std::vector<std::array<TVector3, 3>> PictureFlatTriangles(const std::vector<TVector3>& samples) {
  std::vector<std::array<TVector3, 3>> triangles;
  for (const Tritangents::Triple& u : Tritangents::TritangentTriples) {
    std::array<TVector3, 3> p;
    for (int k = 0; k < 3; ++k) FunPars::EvalCurve(u[k], p[k]);
    const TVector3 n = Cross(p[1] - p[0], p[2] - p[1]);
    if (Length(n) < 1e-7L) continue;
    long double below = 0, above = 0;
    for (const TVector3& s : samples) {
      below = std::min(below, Dot(n, s - p[0]));
      above = std::max(above, Dot(n, s - p[0]));
    }
    if (std::min(above, -below) <= 1e-3L * std::max(above, -below)) triangles.push_back(p);
  }
  return triangles;
}

// True when the flat triangles of the mesh cover `t`: its centre and a point near each
// corner lie on one of them.
bool FlatPartCovers(const THullMesh& mesh, const std::array<TVector3, 3>& t) {
  const TVector3 centre = (t[0] + t[1] + t[2]) / 3;
  const long double near = 1e-9L * Glob::FigureDiagonal;
  for (const TVector3& point : {centre, 0.9L * t[0] + 0.1L * centre, 0.9L * t[1] + 0.1L * centre,
                                0.9L * t[2] + 0.1L * centre}) {
    bool covered = false;
    for (std::size_t k = mesh.StripTriangles; k < mesh.Triangles.size() && !covered; ++k) {
      const auto& f = mesh.Triangles[k];
      covered = Triangles::TriangleDistance(point, mesh.Vertices[f[0]], mesh.Vertices[f[1]], mesh.Vertices[f[2]]) < near;
    }
    if (!covered) return false;
  }
  return true;
}

long double Area(const THullMesh& mesh, std::size_t from, std::size_t to) {
  long double area = 0;
  for (std::size_t k = from; k < to; ++k) {
    const auto& t = mesh.Triangles[k];
    area += TriangleArea(mesh.Vertices[t[0]], mesh.Vertices[t[1]], mesh.Vertices[t[2]]);
  }
  return area;
}

struct Outside {
  long double worst = 0;        // largest distance of a sample beyond a triangle's plane
  long double worstArea = 0;    // that triangle's area
  long double areaBeyond = 0;   // area of the triangles with a sample beyond `limit`
};

Outside SamplesOutside(const THullMesh& mesh, const std::vector<TVector3>& samples, long double limit) {
  Outside o;
  for (std::size_t k = 0; k < mesh.Triangles.size(); ++k) {
    const TVector3 n = HullMesh::TriangleNormal(mesh, k);
    const TVector3& a = mesh.Vertices[mesh.Triangles[k][0]];
    long double excess = -1;
    for (const TVector3& s : samples) excess = std::max(excess, Dot(n, s - a));
    const auto& t = mesh.Triangles[k];
    const long double area = TriangleArea(a, mesh.Vertices[t[1]], mesh.Vertices[t[2]]);
    if (excess > o.worst) o.worst = excess, o.worstArea = area;
    if (excess > limit) o.areaBeyond += area;
  }
  return o;
}

using ExampleMeshes = ExampleCurves::StateTest;

TEST_F(ExampleMeshes, MeshMatchesThePictureFacesOutwardsAndCoversTheHull) {
  const std::vector<std::string> files = ExampleCurves::Files();
  ASSERT_FALSE(files.empty());
  std::printf("%-24s %9s %6s %11s %8s %10s %10s %7s %10s %10s\n", "example", "triangles", "strips", "flat", "vertices",
              "mesh area", "Qhull area", "ratio", "worst out", "area out");
  for (const std::string& path : files) {
    SCOPED_TRACE(path);
    ExampleCurves::LoadAndDraw(path);
    const THullMesh mesh = HullMesh::BuildHullMesh();
    const long double meshArea = HullMesh::MeshArea(mesh);

    // The same strips as the picture; flat faces that cover every tritangent triangle
    // of the picture on the hull, and no more than they do together.
    const std::vector<TVector3> samples = CurveSamples(4096);
    const long double stripArea = Area(mesh, 0, mesh.StripTriangles);
    const long double flatArea = Area(mesh, mesh.StripTriangles, mesh.Triangles.size());
    EXPECT_NEAR(static_cast<double>(stripArea), static_cast<double>(PictureStripArea()), 1e-9 * double(meshArea));
    const auto pictureFlat = PictureFlatTriangles(samples);
    long double pictureFlatArea = 0;
    for (const auto& t : pictureFlat) {
      EXPECT_TRUE(FlatPartCovers(mesh, t));
      pictureFlatArea += TriangleArea(t[0], t[1], t[2]);
    }
    EXPECT_LE(flatArea, pictureFlatArea * (1 + 1e-9L));

    // Outwards: the curve lies on the inner side of every triangle's plane. Between
    // two rulings the hull bends, and the short triangles at a strip's pointed ends
    // have planes that tilt, so some samples stand a little beyond; the triangles with
    // a sample beyond by 1e-3 of the figure's size are a tiny share of the area.
    const long double diagonal = Glob::FigureDiagonal;
    const Outside outside = SamplesOutside(mesh, samples, 1e-3L * diagonal);
    EXPECT_LT(outside.areaBeyond, 1e-3L * meshArea);

    // About the area of the true hull: strips traced twice overlap a little, and gaps
    // where a branch bends leave a little out.
    const QhullHull::Hull hull = QhullHull::QhullOf(CurveSamples(20000));
    const double ratio = double(meshArea) / hull.area;
    EXPECT_GT(ratio, 0.95);
    EXPECT_LT(ratio, 1.1);
    const std::string flat = std::to_string(mesh.FlatFaces) + " of " + std::to_string(pictureFlat.size()) + "/" +
                             std::to_string(Tritangents::TritangentCount);
    std::printf("%-24s %9zu %6d %11s %8zu %10.4Lf %10.4f %7.4f %10.2Le %10.2Le\n", ExampleCurves::Name(path).c_str(),
                mesh.Triangles.size(), mesh.Strips, flat.c_str(), mesh.Vertices.size(), meshArea, hull.area, ratio,
                outside.worst / diagonal, outside.areaBeyond / meshArea);
  }
}

}  // namespace
