// The plane of a pair and whether it supports the whole curve.
#include <algorithm>
#include <cmath>

#include "formula/Checks.h"
#include "geometry/BitangentsInternal.h"
#include "geometry/Sampling.h"
#include "geometry/SharedState.h"
#include "geometry/Vectors.h"

namespace Bitangents {
namespace {

// Central difference over 2h divided by h: twice the tangent, as the thresholds expect.
TVector3 DoubleTangent(const FunPars::TCurve& curve, const Glob::TParamConstants& param,
                       const AnalysisFrame::TFrame& frame, long double y) {
  return (CurvePoint(curve, frame, y + param.TStep) - CurvePoint(curve, frame, y - param.TStep)) / param.TStep;
}

}  // namespace

bool PairPlaneNormal(const FunPars::TCurve& curve, const Glob::TParamConstants& param,
                     const AnalysisFrame::TFrame& frame, BitangentRecord& r) {
  const auto E = [&curve, &frame](long double y) { return CurvePoint(curve, frame, y); };
  const long double s = r.ParamS, t = r.ParamT, h = param.TStep;
  const long double delta = std::fabs(s - t);
  const long double dist = std::fmin(std::fabs(std::fabs(param.TMax - param.TMin) - delta), delta);
  TVector3 n;
  if (dist <= 0.001L) {
    // s and t (nearly) coincide on the parameter circle: the osculating plane there.
    long double m = (s + t) / 2;
    if (delta > param.THalfSpan) m = param.TMin;
    const TVector3 before = E(m - h), at = E(m), after = E(m + h);
    const TVector3 tangent = (after - before) / h;
    const TVector3 accel = (after + before - 2 * at) / param.TStepSq;
    n = Cross(tangent, accel);
  } else {
    const TVector3 v = r.PointS - r.PointT;
    const TVector3 ts = DoubleTangent(curve, param, frame, s);
    n = Cross(v, ts);
    if (Length(n) < 1e-4L) {
      // The chord runs along the tangent at s: use the tangent at t, then both tangents.
      const TVector3 tt = DoubleTangent(curve, param, frame, t);
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

namespace {

// One in every CurvePointHigh / CoarsePoints + 1 curve points is looked at first.
constexpr int CoarsePoints = 20;

// Curve points per ball of BallsOfCurvePoints, and runs per group of them.
constexpr int BallRun = 16, GroupRuns = 4;

// The relative slack that keeps a ball's bound above every rounded distance of its
// points: far above the rounding of a few products, far below SupportTolerance.
constexpr long double BoundSlack = 1e-12L;

// The support test of the plane n . x = offset over the curve points, collecting on
// which sides points lie farther than SupportTolerance. Whether the plane cuts the curve
// (both sides reached, or a NaN distance) depends on the plane alone, not on which
// points are looked at first or passed over as unable to reach a side.
class SideReach {
 public:
  SideReach(const Mastil* points, const TVector3& n, long double offset)
      : points_(points), n_(n), offset_(offset), nLength_(Length(n)) {}
  // Looks at points first, first + stride, .. up to last; true once the plane cuts.
  bool Cuts(int first, int last, int stride = 1) {
    for (int k = first; k <= last; k += stride) {
      const long double e = Dot(n_, points_[k].Point) - offset_;
      if (std::isnan(e)) return true;
      above_ = above_ || e > SupportTolerance;
      below_ = below_ || e < -SupportTolerance;
      if (above_ && below_) return true;
    }
    return false;
  }
  // True when no point of the ball can reach a side not reached yet.
  bool Clears(const PointBall& b) const {
    const long double centre = Dot(n_, b.Centre) - offset_;
    // The ball bounds the distances in every direction, the box those along the axes.
    const long double box = std::fabs(n_.x) * b.HalfWidth.x + std::fabs(n_.y) * b.HalfWidth.y +
                            std::fabs(n_.z) * b.HalfWidth.z;
    const long double ball = nLength_ * b.Radius;
    // A quiet comparison rather than fmin, a library call for long doubles; a NaN ball
    // has a NaN centre.
    const long double spread =
        (std::isless(ball, box) ? ball : box) + BoundSlack * (nLength_ * b.Reach + std::fabs(offset_));
    // Quiet comparisons: NaN in the ball or the plane clears nothing and raises no flag.
    return (above_ || std::islessequal(centre + spread, SupportTolerance)) &&
           (below_ || std::isgreaterequal(centre - spread, -SupportTolerance));
  }
  bool Above() const { return above_; }

 private:
  const Mastil* points_;
  TVector3 n_;
  long double offset_, nLength_;
  bool above_ = false, below_ = false;
};

// SupportTest over the given balls, or over every curve point without them.
void TestSupport(const Sampling::TFigure& figure, const PointBalls* balls, BitangentRecord& r) {
  const int high = figure.CurvePointHigh;
  r.OnHull = 0;
  // Without curve points there is nothing for the plane to support.
  if (high < 0) return;
  CheckIndex(high, figure.CurvePoints.size());
  const TVector3 n = r.PlaneNormal;
  // The tolerance is fixed in the figure's units: the verdict depends on the plane alone.
  SideReach reach(figure.CurvePoints.data(), n, (Dot(n, r.PointS) + Dot(n, r.PointT)) / 2);
  // Points spread over the whole curve first: they reject most cutting planes at once.
  if (reach.Cuts(0, high, high / CoarsePoints + 1)) return;
  // Balls that do not cover the points in force are not used. A group's ball cleared
  // passes over its runs' balls.
  if (balls && !balls->empty() && balls->back().Last == high) {
    for (std::size_t k = 0; k < balls->size(); ++k) {
      const PointBall& b = (*balls)[k];
      CheckIndex(b.Last, high + 1);
      if (reach.Clears(b))
        k += b.Runs;
      else if (b.Runs == 0 && reach.Cuts(b.First, b.Last))
        return;
    }
  } else if (reach.Cuts(0, high)) {
    return;
  }
  if (reach.Above()) r.PlaneNormal = -n;
  r.OnHull = 1;
}

// The ball and box of points first..last, rounded up.
PointBall BallOf(const Mastil* points, int first, int last) {
  PointBall b;
  b.First = first;
  b.Last = last;
  TVector3 low = points[first].Point, high = low;
  for (int k = first + 1; k <= b.Last; ++k) {
    const TVector3& p = points[k].Point;
    low = {std::fmin(low.x, p.x), std::fmin(low.y, p.y), std::fmin(low.z, p.z)};
    high = {std::fmax(high.x, p.x), std::fmax(high.y, p.y), std::fmax(high.z, p.z)};
  }
  b.Centre = (low + high) / 2;
  b.HalfWidth = (1 + BoundSlack) * ((high - low) / 2);
  // fmin and fmax pass NaN over: a NaN point must make the ball and box NaN.
  for (int k = first; k <= b.Last; ++k) {
    const long double d = Length(points[k].Point - b.Centre);
    if (std::isnan(d)) {
      b.Centre = {d, d, d};
      b.Radius = d;
      break;
    }
    b.Radius = std::fmax(b.Radius, d);
  }
  b.Radius *= 1 + BoundSlack;
  b.Reach = Length(b.Centre) + b.Radius;
  return b;
}

}  // namespace

PointBalls BallsOfCurvePoints(const Sampling::TFigure& figure) {
  const int last = figure.CurvePointHigh;
  PointBalls balls;
  if (last < 0) return balls;
  CheckIndex(last, figure.CurvePoints.size());
  const Mastil* points = figure.CurvePoints.data();
  for (int group = 0; group <= last; group += BallRun * GroupRuns) {
    const int groupLast = std::min(group + BallRun * GroupRuns - 1, last);
    balls.push_back(BallOf(points, group, groupLast));
    balls.back().Runs = (groupLast - group) / BallRun + 1;
    for (int first = group; first <= groupLast; first += BallRun)
      balls.push_back(BallOf(points, first, std::min(first + BallRun - 1, last)));
  }
  return balls;
}

CutDepth CutDepthOf(const Sampling::TFigure& figure, const BitangentRecord& r) {
  CutDepth cut;
  const int high = figure.CurvePointHigh;
  if (high < 0) return cut;
  CheckIndex(high, figure.CurvePoints.size());
  const TVector3 middle = (r.PointS + r.PointT) / 2;
  const TVector3& n = r.PlaneNormal;  // a unit normal
  long double above = 0, below = 0;
  for (int k = 0; k <= high; k += high / CoarsePoints + 1) {
    const long double e = Dot(n, figure.CurvePoints[std::size_t(k)].Point - middle);
    // Quiet comparisons: a NaN point or plane leaves the depth at 0.
    if (std::isgreater(e, above)) above = e;
    if (std::isgreater(-e, below)) below = -e;
  }
  const long double depth = std::fmin(above, below) - SupportTolerance;
  const long double reach = Length(middle - figure.FigureCentre) + figure.FigureDiagonal / 2;
  if (!(depth > 0) || !std::isfinite(reach)) return cut;
  cut.Depth = depth;
  cut.Reach = reach;
  return cut;
}

void SupportTest(const Sampling::TFigure& figure, BitangentRecord& r) { TestSupport(figure, nullptr, r); }

void SupportTest(const Sampling::TFigure& figure, const PointBalls& balls, BitangentRecord& r) {
  TestSupport(figure, &balls, r);
}

}  // namespace Bitangents
