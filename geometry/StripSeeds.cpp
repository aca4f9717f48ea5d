// How finely a curve must be traced, and the seeds at the ends of the hull's strips.
#include <algorithm>
#include <cmath>
#include <vector>

#include "formula/Checks.h"
#include "geometry/BitangentsInternal.h"
#include "geometry/SeedTracing.h"
#include "geometry/Sampling.h"
#include "geometry/SharedState.h"
#include "geometry/Tritangents.h"
#include "geometry/Vectors.h"

namespace Bitangents {

long double CurveWaves(const Sampling::TFigure& figure) {
  const std::vector<TVector3>& samples = figure.SampleBuffer;
  // Sample j (j = -2..4098) is entry j + 2; samples 0..4096 close the curve once.
  const int first = 2, last = 2 + Sampling::SampleCount - 5;
  if (samples.size() < std::size_t(last) + 2) return 0;
  long double turning = 0;
  TVector3 before = samples[first] - samples[first - 1];
  for (int j = first; j < last; ++j) {
    const TVector3 after = samples[j + 1] - samples[j];
    const long double angle = std::atan2(Length(Cross(before, after)), Dot(before, after));
    // Repeated samples (a chord of zero length) and NaN turn nothing.
    if (std::isfinite(angle)) turning += angle;
    if (Length(after) > 0) before = after;
  }
  return turning / (2 * Glob::Pi);
}

namespace {

// The pair near x corrected onto its branch, into r, when it lies inside the square with
// a plane that supports the curve: only the ends of strips are looked for here.
bool StripEnd(const TTracing& w, const Pair& x, BitangentRecord& r) {
  long double acc;
  if (!CorrectPair(w, x, x, CorrectMode::Gradient, acc, r)) return false;
  if (!(Margin(w.Figure.Param, r.ParamS, r.ParamT) > 0) || !PairPlaneNormal(w, r)) return false;
  BitangentRecord tested = r;
  SupportTest(w.Figure, w.SupportBalls, tested);
  return tested.OnHull != 0;
}

// Strip ends to correct before two threads pay for themselves.
constexpr int MinSplitEnds = 8;

// The contacts of a face in the order of its polygon: by angle around their centre in
// the face's plane (the contacts of a supporting plane lie on the convex polygon).
std::vector<long double> PolygonOrder(const TTracing& w, const Tritangents::FlatFace& face) {
  const TVector3 axis = std::fabs(face.Normal.x) < 0.9L ? TVector3{1, 0, 0} : TVector3{0, 1, 0};
  const TVector3 e1 = Cross(face.Normal, axis), e2 = Cross(face.Normal, e1);
  std::vector<TVector3> points;
  TVector3 centre{0, 0, 0};
  for (const long double u : face.Contacts) {
    points.push_back(CurvePoint(w, u));
    centre = centre + points.back();
  }
  centre = centre / static_cast<long double>(points.size());
  std::vector<std::pair<long double, long double>> byAngle;
  for (std::size_t k = 0; k < points.size(); ++k) {
    const TVector3 d = points[k] - centre;
    byAngle.push_back({std::atan2(Dot(d, e2), Dot(d, e1)), face.Contacts[k]});
  }
  std::sort(byAngle.begin(), byAngle.end());
  std::vector<long double> order;
  for (const auto& [angle, u] : byAngle) order.push_back(u);
  return order;
}

}  // namespace

void SeedStripEnds(TTracing& w) {
  std::vector<Pair> starts;
  for (const Tritangents::FlatFace& face : w.Analysis->FlatFaces) {
    if (face.Contacts.size() < 3) continue;
    const std::vector<long double> order = PolygonOrder(w, face);
    // Each edge is the pair (a, b) with a <= b: its mirror (b, a) is copied across.
    for (std::size_t k = 0; k < order.size(); ++k) {
      const long double a = order[k], b = order[(k + 1) % order.size()];
      starts.push_back({std::min(a, b), std::max(a, b)});
    }
  }
  if (w.Figure.CurvePointHigh >= 0) CheckIndex(w.Figure.CurvePointHigh, w.Figure.CurvePoints.size());
  for (int k = 1; k <= w.Figure.CurvePointHigh; ++k) {
    const Mastil &p = w.Figure.CurvePoints[k - 1], &q = w.Figure.CurvePoints[k];
    if ((p.Torsion > 0) == (q.Torsion > 0)) continue;
    // The zero of the torsion between the two points, interpolated linearly.
    const long double u = p.Param + (q.Param - p.Param) * p.Torsion / (p.Torsion - q.Torsion);
    if (std::isfinite(u)) starts.push_back({u, u});
  }
  // The corrections read only the curve: made side by side, then traced in order, as the
  // visited cells they depend on grow.
  FindAndTraceSeeds(w, static_cast<int>(starts.size()), MinSplitEnds,
                    [&w, &starts](int k, BitangentRecord& r) { return StripEnd(w, starts[k], r); });
}

}  // namespace Bitangents
