// The plane of a pair and whether it supports the whole curve.
#include <cmath>

#include "formula/Checks.h"
#include "geometry/BitangentsInternal.h"
#include "geometry/Sampling.h"
#include "geometry/SharedState.h"
#include "geometry/Vectors.h"

namespace Bitangents {
namespace {

// Central difference over 2h divided by h: twice the tangent, as the thresholds expect.
TVector3 DoubleTangent(const AnalysisFrame::TFrame& frame, long double y) {
  return (CurvePoint(frame, y + Sampling::Figure.Param.TStep) - CurvePoint(frame, y - Sampling::Figure.Param.TStep)) /
         Sampling::Figure.Param.TStep;
}

}  // namespace

bool PairPlaneNormal(const AnalysisFrame::TFrame& frame, BitangentRecord& r) {
  using namespace Glob;
  const auto E = [&frame](long double y) { return CurvePoint(frame, y); };
  const long double s = r.ParamS, t = r.ParamT, h = Sampling::Figure.Param.TStep;
  const long double delta = std::fabs(s - t);
  const long double dist =
      std::fmin(std::fabs(std::fabs(Sampling::Figure.Param.TMax - Sampling::Figure.Param.TMin) - delta), delta);
  TVector3 n;
  if (dist <= 0.001L) {
    // s and t (nearly) coincide on the parameter circle: the osculating plane there.
    long double m = (s + t) / 2;
    if (delta > Sampling::Figure.Param.THalfSpan) m = Sampling::Figure.Param.TMin;
    const TVector3 before = E(m - h), at = E(m), after = E(m + h);
    const TVector3 tangent = (after - before) / h;
    const TVector3 accel = (after + before - 2 * at) / Sampling::Figure.Param.TStepSq;
    n = Cross(tangent, accel);
  } else {
    const TVector3 v = r.PointS - r.PointT;
    const TVector3 ts = DoubleTangent(frame, s);
    n = Cross(v, ts);
    if (Length(n) < 1e-4L) {
      // The chord runs along the tangent at s: use the tangent at t, then both tangents.
      const TVector3 tt = DoubleTangent(frame, t);
      n = Cross(v, tt);
      if (Length(n) < 1e-4L) n = Cross(ts, tt);
    }
  }
  r.PlaneNormal = n;
  const long double length = Length(n);
  if (!(length > 1e-7L)) return false;
  r.PlaneNormal = n / length;
  return true;
}

void SupportTest(BitangentRecord& r) {
  r.OnHull = 0;
  // Without curve points there is nothing for the plane to support.
  if (Sampling::Figure.CurvePointHigh < 0) return;
  CheckIndex(Sampling::Figure.CurvePointHigh, Sampling::Figure.CurvePoints.size());
  const Mastil* points = Sampling::Figure.CurvePoints.data();
  const TVector3 n = r.PlaneNormal;
  const long double offset = (Dot(n, r.PointS) + Dot(n, r.PointT)) / 2;

  // The farthest the curve reaches to either side of the plane. The plane cuts the
  // curve once both exceed the tolerance, which is fixed in the figure's units: the
  // verdict depends on the plane alone, not on which point is looked at first.
  long double above = 0, below = 0;
  const auto cuts = [&](int k) {
    const long double e = Dot(n, points[k].Point) - offset;
    if (std::isnan(e)) return true;
    // Plain comparisons: e is a number here, and fmax of long doubles is a library call.
    if (e > above) above = e;
    if (e < below) below = e;
    return above > SupportTolerance && below < -SupportTolerance;
  };
  // Points spread over the whole curve first: they reject most cutting planes at once.
  const int stride = Sampling::Figure.CurvePointHigh / 20 + 1;
  for (int k = 0; k <= Sampling::Figure.CurvePointHigh; k += stride)
    if (cuts(k)) return;
  for (int k = 0; k <= Sampling::Figure.CurvePointHigh; ++k)
    if (cuts(k)) return;

  if (above > SupportTolerance) r.PlaneNormal = -n;
  r.OnHull = 1;
}

}  // namespace Bitangents
