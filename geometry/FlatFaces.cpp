// The flat faces of the hull: each supporting plane found through a tritangent triple
// with every point where it touches the curve, and a fan of triangles covering it once.
#include <algorithm>
#include <cmath>
#include <vector>

#include "formula/Checks.h"
#include "formula/FunPars.h"
#include "geometry/AnalysisFrame.h"
#include "geometry/Bitangents.h"
#include "geometry/Sampling.h"
#include "geometry/SharedState.h"
#include "geometry/TritangentsInternal.h"

namespace Tritangents {
namespace {

// The curve, its sampled figure and the frame both are taken in.
struct TOnCurve {
  const FunPars::TCurve& Curve;
  const Sampling::TFigure& Figure;
  const AnalysisFrame::TFrame& Frame;
};

TVector3 E(const TOnCurve& on, long double u) {
  TVector3 p;
  FunPars::EvalCurve(on.Curve, u, p);
  return on.Frame.ToFrame(p);
}

// Newton's method on n . P'(u) = 0 from u, with five-point derivatives of the curve
// itself: the parameter where the curve's height across n peaks. Steps are bounded by
// one sample step; NaN ends the refinement where it stands.
long double RefineContact(const TOnCurve& on, long double u, const TVector3& n) {
  const long double h = on.Figure.Param.TStep;
  for (int pass = 0; pass < 6; ++pass) {
    const TVector3 a = E(on, u - 2 * h), b = E(on, u - h), c = E(on, u), d = E(on, u + h), e = E(on, u + 2 * h);
    const long double slope = Dot(n, 8 * (d - b) - (e - a)) / (12 * h);
    const long double bend = Dot(n, d + b - 2 * c) / (h * h);
    if (!(bend < 0)) break;
    const long double step = std::clamp(-slope / bend, -h, h);
    u += step;
    if (std::fabs(step) < 1e-6L * h) break;
  }
  return u;
}

// u moved by whole periods into [TMin, TMax).
long double IntoPeriod(const Glob::TParamConstants& param, long double u) {
  if (!std::isfinite(u)) throw RangeError();
  while (u < param.TMin) u += param.TSpan;
  while (u >= param.TMax) u -= param.TSpan;
  return u;
}

// The distance of two parameters on the closed parameter circle.
long double Apart(const Glob::TParamConstants& param, long double a, long double b) {
  const long double d = std::fabs(a - b);
  return std::fmin(d, param.TSpan - d);
}

// The mean of the curve points: inside the hull, off every face plane of a curve that
// is not planar.
TVector3 Inside(const Sampling::TFigure& figure) {
  TVector3 sum{0, 0, 0};
  for (int k = 0; k <= figure.CurvePointHigh; ++k) sum = sum + figure.CurvePoints.at(k).Point;
  return sum / (figure.CurvePointHigh + 1);
}

// The outward unit normal and offset of the plane through the curve at u1, u2, u3.
bool PlaneThrough(const TOnCurve& on, const Triple& u, const TVector3& inside, TVector3& n, long double& offset) {
  const TVector3 p1 = E(on, u[0]), p2 = E(on, u[1]), p3 = E(on, u[2]);
  const TVector3 c = Cross(p2 - p1, p3 - p1);
  const long double length = Length(c);
  if (!(length > 0)) return false;
  n = c / length;
  if (Dot(n, inside - p1) > 0) n = -n;
  offset = (Dot(n, p1) + Dot(n, p2) + Dot(n, p3)) / 3;
  return true;
}

// Area-ordered fan of the convex hull of the contact points in the plane: triples of
// the hull's first vertex with each following pair.
void AppendFan(const TOnCurve& on, const FlatFace& face, std::vector<Triple>& triples) {
  const TVector3 axis = std::fabs(face.Normal.x) < 0.9L ? TVector3{1, 0, 0} : TVector3{0, 1, 0};
  const TVector3 e1 = Cross(face.Normal, axis), e2 = Cross(face.Normal, e1);
  struct Corner {
    long double x, y, u;
  };
  std::vector<Corner> q;
  for (const long double u : face.Contacts) {
    const TVector3 p = E(on, u);
    q.push_back({Dot(p, e1), Dot(p, e2), u});
  }
  std::sort(q.begin(), q.end(), [](const Corner& a, const Corner& b) { return a.x < b.x || (a.x == b.x && a.y < b.y); });
  const auto turn = [](const Corner& o, const Corner& a, const Corner& b) {
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
  };
  // Monotone chain: lower then upper hull, without collinear corners.
  std::vector<Corner> hull;
  for (int pass = 0; pass < 2; ++pass) {
    const std::size_t base = hull.size();
    for (std::size_t k = 0; k < q.size(); ++k) {
      const Corner& c = pass == 0 ? q[k] : q[q.size() - 1 - k];
      while (hull.size() >= base + 2 && turn(hull[hull.size() - 2], hull.back(), c) <= 0) hull.pop_back();
      hull.push_back(c);
    }
    hull.pop_back();
  }
  for (std::size_t k = 1; k + 1 < hull.size(); ++k) {
    Triple t{hull[0].u, hull[k].u, hull[k + 1].u};
    NormalizeTriple(on.Figure, t);
    triples.push_back(t);
  }
}

}  // namespace

bool AddFlatFace(const FunPars::TCurve& curve, const Sampling::TFigure& figure, const AnalysisFrame::TFrame& frame,
                 Bitangents::TAnalysis& analysis, const Triple& found) {
  const TOnCurve on{curve, figure, frame};
  const TVector3 inside = Inside(figure);
  Triple u = found;
  TVector3 n;
  long double offset = 0;
  // The solver's triple comes from interpolated samples: refine plane and contacts on
  // the curve itself, a few rounds each.
  for (int round = 0; round < 3; ++round) {
    if (!PlaneThrough(on, u, inside, n, offset)) return false;
    for (long double& c : u) c = RefineContact(on, c, n);
  }
  if (!PlaneThrough(on, u, inside, n, offset)) return false;
  for (const FlatFace& face : analysis.FlatFaces)
    if (Dot(face.Normal, n) > 1 - FaceAngleTolerance && std::fabs(face.Offset - offset) < ContactTolerance)
      return false;

  // Every sample at a peak of the height across n near the plane leads to a contact.
  FlatFace face{n, offset, {}};
  const auto height = [&](int j) { return Dot(n, figure.SampleBuffer.at(std::size_t(j) + 2)) - offset; };
  const int period = Sampling::SampleCount - 5;
  for (int j = 0; j < period; ++j) {
    const long double here = height(j);
    if (here < -ContactBand || here < height((j + period - 1) % period) || here <= height((j + 1) % period)) continue;
    const long double c = IntoPeriod(figure.Param, RefineContact(on, figure.Param.TMin + j * figure.Param.TStep, n));
    if (!(std::fabs(Dot(n, E(on, c)) - offset) <= ContactTolerance)) continue;
    if (std::none_of(face.Contacts.begin(), face.Contacts.end(),
                     [&](long double d) { return Apart(figure.Param, c, d) < 2 * figure.Param.TStep; }))
      face.Contacts.push_back(c);
  }
  if (face.Contacts.size() < 3) return false;
  std::sort(face.Contacts.begin(), face.Contacts.end());
  analysis.FlatFaces.push_back(face);
  AppendFan(on, face, analysis.TritangentTriples);
  return true;
}

}  // namespace Tritangents
