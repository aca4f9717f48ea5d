#include "render/HullMesh.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "geometry/Bitangents.h"
#include "geometry/Sampling.h"
#include "geometry/Tritangents.h"
#include "geometry/Vectors.h"
#include "render/HullPicture.h"

namespace HullMesh {

namespace {

std::int32_t AddVertex(THullMesh& mesh, const TVector3& p) {
  mesh.Vertices.push_back(p);
  return static_cast<std::int32_t>(mesh.Vertices.size()) - 1;
}

TVector3 AreaNormal(const THullMesh& mesh, const std::array<std::int32_t, 3>& t) {
  const TVector3& a = mesh.Vertices.at(t[0]);
  return Cross(mesh.Vertices.at(t[1]) - a, mesh.Vertices.at(t[2]) - a);
}

// Appends triangle t, its last two corners swapped when its normal points against
// `outward`. A triangle without area (or with a coordinate that is not a number) has no
// side to face and is left out.
void AddFacing(THullMesh& mesh, std::array<std::int32_t, 3> t, const TVector3& outward) {
  const TVector3 n = AreaNormal(mesh, t);
  if (!(Length(n) > 0)) return;
  if (Dot(n, outward) < 0) std::swap(t[1], t[2]);
  mesh.Triangles.push_back(t);
}

// The last ruling of the strip being walked: its projection (for the split of the next
// quad), its world corners, its outward normal, and the corners' vertex indexes, -1 until
// a quad uses them.
struct TStripEnd {
  Ruling Projected;
  std::array<TVector3, 2> Corners;
  TVector3 Normal;
  std::array<std::int32_t, 2> Index{-1, -1};
};

// The quads between consecutive rulings of every strip, each split as the picture splits
// its projection; a strip of one ruling gives nothing.
void AddStrips(THullMesh& mesh) {
  TStripEnd last;
  HullPicture::WalkStrips([&mesh, &last](const BitangentRecord& b, bool stripStart) {
    TStripEnd current{HullPicture::ProjectRuling(b), {b.PointS, b.PointT}, b.PlaneNormal};
    if (!stripStart) {
      // A ruling's corners enter the mesh with the first quad that uses them, so a strip
      // of one ruling leaves no loose vertices behind.
      if (last.Index[0] < 0) {
        ++mesh.Strips;
        for (int e = 0; e < 2; ++e) last.Index[e] = AddVertex(mesh, last.Corners[e]);
      }
      for (int e = 0; e < 2; ++e) current.Index[e] = AddVertex(mesh, current.Corners[e]);
      const std::int32_t corner[4] = {last.Index[0], last.Index[1], current.Index[0], current.Index[1]};
      // Both rulings' planes support the curve near the quad; their mean normal is
      // outward for the quad even where the strip turns.
      const TVector3 outward = last.Normal + current.Normal;
      for (const auto& t : HullPicture::SplitStripQuad(last.Projected, current.Projected))
        AddFacing(mesh, {corner[t[0]], corner[t[1]], corner[t[2]]}, outward);
    }
    last = current;
  });
  mesh.StripTriangles = static_cast<std::int32_t>(mesh.Triangles.size());
}

// The side of the plane through `corner` with normal n on which the whole curve lies, as
// +1 (along n), -1 (against n), or 0 when curve points lie clearly on both sides. A
// point may stand beyond the plane by 1e-3 of the farthest point's distance on the other
// side, so that the touching points themselves count as in the plane.
int CurveSide(const TVector3& corner, const TVector3& n) {
  long double below = 0, above = 0;
  const int high = Sampling::CurvePointHigh;
  for (int k = 0; k <= high; ++k) {
    const long double d = Dot(n, Sampling::CurvePoints.at(k).Point - corner);
    below = std::min(below, d);
    above = std::max(above, d);
  }
  if (above <= -1e-3L * below && below < 0) return -1;
  if (-below <= 1e-3L * above && above > 0) return 1;
  return 0;
}

// The tritangent triangles found in one supporting plane. A curve with four or more
// points of contact in a plane (the top of a symmetric knot) has a triangle for every
// three of them, overlapping; together they make one convex face.
struct TFlatFace {
  TVector3 Normal;  // outward unit normal
  std::vector<TVector3> Corners;
  long double Size = 0;  // the largest distance of a corner from the first
};

// Corners farther than this share of a face's size from its plane are off the plane.
constexpr long double PlaneTolerance = 1e-7L;

bool InFace(const TFlatFace& face, const TVector3& normal, const std::array<TVector3, 3>& p) {
  if (Dot(face.Normal, normal) <= 0) return false;
  const long double near = PlaneTolerance * std::max(face.Size, Length(p[1] - p[0]) + Length(p[2] - p[0]));
  for (const TVector3& c : p)
    if (std::fabs(Dot(face.Normal, c - face.Corners[0])) > near) return false;
  return true;
}

// The tritangent triangles of the picture whose plane supports the curve, gathered by
// their plane.
std::vector<TFlatFace> FlatFaces() {
  std::vector<TFlatFace> faces;
  for (std::int32_t k = 0; k < Tritangents::TritangentCount; ++k) {
    std::array<TVector3, 3> p;
    TVector3 n;
    if (!HullPicture::TritangentCorners(Tritangents::TritangentTriples.at(k), p, n)) continue;
    // A plane that touches the curve three times need not support it: such a triangle
    // lies inside the hull (the picture hides it behind the surface) and is left out.
    // Judging the side by the farthest points, not by one point that may lie in the
    // plane itself, also makes the winding sure.
    const int side = CurveSide(p[0], n);
    if (side == 0) continue;
    n = static_cast<long double>(-side) * n / Length(n);
    auto face = std::find_if(faces.begin(), faces.end(), [&](const TFlatFace& f) { return InFace(f, n, p); });
    if (face == faces.end()) face = faces.insert(faces.end(), TFlatFace{n, {}, 0});
    for (const TVector3& c : p) {
      face->Corners.push_back(c);
      face->Size = std::max(face->Size, Length(c - face->Corners[0]));
    }
  }
  return faces;
}

// The corners of `face` that span its convex outline, counter-clockwise seen from
// outside: the monotone chain over the corners projected onto the plane. Corners on an
// edge, or repeated, are dropped.
std::vector<TVector3> FaceOutline(const TFlatFace& face) {
  const TVector3& n = face.Normal;
  // u and v span the plane with u x v = n, so counter-clockwise in (u, v) faces along n.
  const TVector3 axis = std::fabs(n.x) < 0.5L ? TVector3{1, 0, 0} : TVector3{0, 1, 0};
  TVector3 u = Cross(axis, n);
  u = u / Length(u);
  const TVector3 v = Cross(n, u);
  struct TProjected {
    long double x, y;
    const TVector3* corner;
  };
  std::vector<TProjected> points;
  for (const TVector3& c : face.Corners) points.push_back({Dot(c - face.Corners[0], u), Dot(c - face.Corners[0], v), &c});
  std::sort(points.begin(), points.end(), [](const TProjected& a, const TProjected& b) {
    return a.x < b.x || (a.x == b.x && a.y < b.y);
  });
  // Turns smaller than this (twice a triangle's area) count as straight.
  const long double flat = PlaneTolerance * face.Size * face.Size;
  const auto turn = [](const TProjected& o, const TProjected& a, const TProjected& b) {
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
  };
  std::vector<TProjected> chain;
  for (int pass = 0; pass < 2; ++pass) {
    const std::size_t base = chain.size();
    for (const TProjected& p : points) {
      while (chain.size() >= base + 2 && turn(chain[chain.size() - 2], chain.back(), p) <= flat) chain.pop_back();
      chain.push_back(p);
    }
    chain.pop_back();  // the end of one half is the start of the other
    std::reverse(points.begin(), points.end());
  }
  std::vector<TVector3> outline;
  for (const TProjected& p : chain) outline.push_back(*p.corner);
  return outline;
}

void AddFlatFaces(THullMesh& mesh) {
  for (const TFlatFace& face : FlatFaces()) {
    const std::vector<TVector3> outline = FaceOutline(face);
    if (outline.size() < 3) continue;
    ++mesh.FlatFaces;
    const std::int32_t first = static_cast<std::int32_t>(mesh.Vertices.size());
    for (const TVector3& c : outline) AddVertex(mesh, c);
    // A fan from the first corner covers the convex outline once.
    for (std::int32_t k = 1; k + 1 < static_cast<std::int32_t>(outline.size()); ++k)
      AddFacing(mesh, {first, first + k, first + k + 1}, face.Normal);
  }
}

}  // namespace

THullMesh BuildHullMesh() {
  THullMesh mesh;
  AddStrips(mesh);
  AddFlatFaces(mesh);
  return mesh;
}

TVector3 TriangleNormal(const THullMesh& mesh, std::size_t k) {
  const TVector3 n = AreaNormal(mesh, mesh.Triangles.at(k));
  const long double length = Length(n);
  return length > 0 ? n / length : TVector3{0, 0, 0};
}

long double MeshArea(const THullMesh& mesh) {
  long double area = 0;
  for (const auto& t : mesh.Triangles) area += Length(AreaNormal(mesh, t)) / 2;
  return area;
}

long double MeshVolume(const THullMesh& mesh) {
  if (mesh.Vertices.empty()) return 0;
  TVector3 centre{0, 0, 0};
  for (const TVector3& v : mesh.Vertices) centre = centre + v;
  centre = centre * (1.0L / mesh.Vertices.size());
  // Each triangle spans a tetrahedron with the centre; the mean keeps the terms small.
  long double volume = 0;
  for (const auto& t : mesh.Triangles)
    volume += Dot(mesh.Vertices.at(t[0]) - centre, AreaNormal(mesh, t)) / 6;
  return volume;
}

}  // namespace HullMesh
