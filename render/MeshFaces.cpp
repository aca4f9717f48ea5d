#include "render/MeshFaces.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "geometry/Sampling.h"
#include "geometry/Tritangents.h"
#include "geometry/Vectors.h"
#include "render/HullPicture.h"

namespace HullMesh {

namespace {

// The side of the plane through `corner` with normal n on which the whole curve lies, as
// +1 (along n), -1 (against n), or 0 when curve points lie clearly on both sides. A
// point may stand beyond the plane by 1e-3 of the farthest point's distance on the other
// side, so that the touching points themselves count as in the plane.
int CurveSide(const Sampling::TFigure& figure, const TVector3& corner, const TVector3& n) {
  long double below = 0, above = 0;
  const int high = figure.CurvePointHigh;
  for (int k = 0; k <= high; ++k) {
    const long double d = Dot(n, figure.CurvePoints.at(k).Point - corner);
    below = std::min(below, d);
    above = std::max(above, d);
  }
  if (above <= -1e-3L * below && below < 0) return -1;
  if (-below <= 1e-3L * above && above > 0) return 1;
  return 0;
}

struct TContact {
  long double Param;
  TVector3 Point;
};

// The contacts found in one supporting plane. A curve with four or more points of
// contact in a plane (the top of a symmetric knot) has a triple for every three of
// them; together they make one convex face.
struct TPlane {
  TVector3 Normal;
  std::vector<TContact> Contacts;
  long double Size = 0;  // the largest distance of a contact from the first
};

// Contacts farther than this share of a face's size from its plane are off the plane.
constexpr long double PlaneTolerance = 1e-7L;

bool InPlane(const TPlane& plane, const TVector3& normal, const std::array<TVector3, 3>& p) {
  if (Dot(plane.Normal, normal) <= 0) return false;
  const long double near = PlaneTolerance * std::max(plane.Size, Length(p[1] - p[0]) + Length(p[2] - p[0]));
  for (const TVector3& c : p)
    if (std::fabs(Dot(plane.Normal, c - plane.Contacts[0].Point)) > near) return false;
  return true;
}

std::vector<TPlane> SupportingPlanes(const FunPars::TCurve& curve, const Sampling::TFigure& figure,
                                     const Bitangents::TAnalysis& analysis, const TParameterCircle& circle,
                                     long double merge) {
  std::vector<TPlane> planes;
  for (std::int32_t k = 0; k < analysis.TritangentCount; ++k) {
    const Tritangents::Triple& u = analysis.TritangentTriples.at(k);
    std::array<TVector3, 3> p;
    TVector3 n;
    if (!HullPicture::TritangentCorners(curve, figure, u, p, n)) continue;
    // A plane that touches the curve three times need not support it: such a triangle
    // lies inside the hull and is left out.
    const int side = CurveSide(figure, p[0], n);
    if (side == 0) continue;
    n = static_cast<long double>(-side) * n / Length(n);
    auto plane = std::find_if(planes.begin(), planes.end(), [&](const TPlane& f) { return InPlane(f, n, p); });
    if (plane == planes.end()) plane = planes.insert(planes.end(), TPlane{n, {}, 0});
    for (int c = 0; c < 3; ++c) {
      const bool known = std::any_of(plane->Contacts.begin(), plane->Contacts.end(),
                                     [&](const TContact& e) { return circle.Distance(e.Param, u[c]) < merge; });
      if (known) continue;
      plane->Contacts.push_back({circle.Wrap(u[c]), p[c]});
      plane->Size = std::max(plane->Size, Length(p[c] - plane->Contacts[0].Point));
    }
  }
  return planes;
}

// The contacts of `plane` that span its convex outline, counter-clockwise seen from
// outside: the monotone chain over the contacts projected onto the plane. Contacts on an
// edge are dropped.
std::vector<long double> Outline(const TPlane& plane) {
  const TVector3& n = plane.Normal;
  // u and v span the plane with u x v = n, so counter-clockwise in (u, v) faces along n.
  const TVector3 axis = std::fabs(n.x) < 0.5L ? TVector3{1, 0, 0} : TVector3{0, 1, 0};
  TVector3 u = Cross(axis, n);
  u = u / Length(u);
  const TVector3 v = Cross(n, u);
  struct TProjected {
    long double x, y, param;
  };
  const TVector3& origin = plane.Contacts[0].Point;
  std::vector<TProjected> points;
  for (const TContact& c : plane.Contacts) points.push_back({Dot(c.Point - origin, u), Dot(c.Point - origin, v), c.Param});
  std::sort(points.begin(), points.end(), [](const TProjected& a, const TProjected& b) {
    return a.x < b.x || (a.x == b.x && a.y < b.y);
  });
  // Turns smaller than this (twice a triangle's area) count as straight.
  const long double flat = PlaneTolerance * plane.Size * plane.Size;
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
  std::vector<long double> outline;
  for (const TProjected& p : chain) outline.push_back(p.param);
  return outline;
}

}  // namespace

std::vector<TFlatFace> SupportingFaces(const FunPars::TCurve& curve, const Sampling::TFigure& figure,
                                       const Bitangents::TAnalysis& analysis, const TParameterCircle& circle) {
  // Two contacts of one plane that would share a vertex are one contact found twice.
  const long double merge = circle.Merge();
  std::vector<TFlatFace> faces;
  for (const TPlane& plane : SupportingPlanes(curve, figure, analysis, circle, merge)) {
    if (plane.Contacts.size() < 3) continue;
    std::vector<long double> outline = Outline(plane);
    if (outline.size() >= 3) faces.push_back({plane.Normal, std::move(outline)});
  }
  return faces;
}

}  // namespace HullMesh
