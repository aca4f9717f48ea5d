#include "geometry/Framing.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "formula/Checks.h"
#include "geometry/Sampling.h"
#include "geometry/SharedState.h"
#include "geometry/Vectors.h"

namespace Framing {

using namespace Glob;

namespace {

// Start values of a running box, which the first point replaces. They are infinite
// rather than some large number because curve values can be as large as the formulas'
// guard value 1e300 (and beyond): a figure entirely beyond a finite start value would
// keep that value as a corner and be framed off-centre.
constexpr long double Unbounded = std::numeric_limits<long double>::infinity();
constexpr TVector3 EmptyMin{Unbounded, Unbounded, Unbounded};
constexpr TVector3 EmptyMax{-Unbounded, -Unbounded, -Unbounded};

// The eye azimuth is moved off pi/4 when it lies closer to pi/4 than this. The box's
// azimuth halved towards pi/4 is always within pi/8 of pi/4, so every figure is seen from pi/4 + 0.15
// relative to its box: the view keeps its direction while p and q are scrolled, and
// the long side of an elongated box is never seen nearly end-on.
constexpr long double AzimuthThreshold = 15;
constexpr long double AzimuthOffset = 0.15L;

// Fraction of the figure's distance from the origin below which its box counts as a
// point for eye placement, and fraction of the eye distance below which a projected
// extent counts as zero for the fit.
constexpr long double PointLikeFraction = 1e-6L;
constexpr long double FlatExtentFraction = 1e-6L;

void Widen(long double v, long double& lo, long double& hi) {
  if (hi < v) hi = v;
  if (lo > v) lo = v;
}

void WidenBox(const TVector3& p, TVector3& lo, TVector3& hi) {
  Widen(p.x, lo.x, hi.x);
  Widen(p.y, lo.y, hi.y);
  Widen(p.z, lo.z, hi.z);
}

// Length the eye distance is measured in: the box diagonal, unless that is zero or so
// small against the box's distance from the origin that an eye a few diagonals off
// would round onto the figure; then that distance times PointLikeFraction, or 1 for a
// point at the origin.
long double EyeDistanceUnit(const TVector3& lo, const TVector3& hi, long double diagonal) {
  const long double reach = std::max({std::fabs(lo.x), std::fabs(lo.y), std::fabs(lo.z),
                                      std::fabs(hi.x), std::fabs(hi.y), std::fabs(hi.z)});
  const long double least = reach * PointLikeFraction;
  if (diagonal > 0 && diagonal >= least) return diagonal;
  return least > 0 ? least : 1;
}

// Widens [lo, hi] about its middle to `least` when it is narrower.
void WidenExtent(long double& lo, long double& hi, long double least) {
  if (hi - lo >= least) return;
  const long double mid = (lo + hi) / 2;
  lo = mid - least / 2;
  hi = mid + least / 2;
}

// True when the squares of v's largest component would leave the number range (below
// 1e-2000 or above 1e2000, raising a flag that ends the drawing); a zero vector is not.
bool OutsideSquareRange(const TVector3& v) {
  const long double m = std::max({std::fabs(v.x), std::fabs(v.y), std::fabs(v.z)});
  return m != 0 && !(m > 1e-2000L && m < 1e2000L);
}

// |v| computed on v divided by its largest component, so that no square underflows or
// overflows; infinite (or NaN) when a component is.
long double ScaledLength(const TVector3& v) {
  const long double m = std::max({std::fabs(v.x), std::fabs(v.y), std::fabs(v.z)});
  if (!std::isfinite(m)) return m;
  const TVector3 u = v / m;
  return m * std::sqrt(u.x * u.x + u.y * u.y + u.z * u.z);
}

}  // namespace

TView PrepareFigure(const FunPars::TCurve& curve, Sampling::TFigure& figure) {
  Sampling::SampleCurve(curve, figure);
  FrameBox(figure);
  return FrameView(figure.BoxMin, figure.BoxMax, figure.FigureCentre, figure.FigureDiagonal);
}

void PrepareFigureInView(const FunPars::TCurve& curve, Sampling::TFigure& figure, TView& view) {
  Sampling::SampleCurve(curve, figure);
  FrameBox(figure);
  view.Pivot = figure.FigureCentre;
  FollowPivot(view);
}

void FrameBox(Sampling::TFigure& figure) {
  TVector3 lo = EmptyMin, hi = EmptyMax;
  if (figure.CurvePointHigh >= 0) CheckIndex(figure.CurvePointHigh, figure.CurvePoints.size());
  for (int k = 0; k <= figure.CurvePointHigh; ++k) WidenBox(figure.CurvePoints[k].Point, lo, hi);
  figure.BoxMin = lo;
  figure.BoxMax = hi;
  figure.BoxSize = hi - lo;
  figure.FigureCentre = (hi + lo) / 2;
  figure.FigureDiagonal = OutsideSquareRange(figure.BoxSize)
                              ? ScaledLength(figure.BoxSize)
                              : std::sqrt(figure.BoxSize.x * figure.BoxSize.x + figure.BoxSize.y * figure.BoxSize.y +
                                          figure.BoxSize.z * figure.BoxSize.z);
  figure.FillSpacing = figure.FigureDiagonal / 20;
}

void PlaceEye(TView& view, const TVector3& boxMin, const TVector3& boxMax, long double diagonal) {
  const TVector3 size = boxMax - boxMin;
  const long double r = 3.5L * EyeDistanceUnit(boxMin, boxMax, diagonal);
  // The azimuth of the box's horizontal diagonal, halved towards pi/4. The two-argument
  // form equals arctan(size.y / size.x) for the box's non-negative sizes and needs no
  // division, so a box without x extent gives pi/2 and a vertical segment 0.
  long double a = std::atan2(size.y, size.x);
  a = (a + Pi / 4) * 0.5L;
  if (std::fabs(a - Pi / 4) < AzimuthThreshold) a = Pi / 4 + AzimuthOffset;
  view.Eye = {boxMin.x + r * std::cos(a), boxMin.y + r * std::sin(a), boxMin.z + size.z + 0.4L * r};
}

void SetUpView(TView& view, const TVector3& boxMin, const TVector3& boxMax, const TVector3& centre) {
  const TVector3 size = boxMax - boxMin;
  const TVector3 toEye = view.Eye - centre;
  const long double d = OutsideSquareRange(toEye) ? ScaledLength(toEye) : Length(toEye);
  view.AxisZ = toEye / d;
  const TVector3& z = view.AxisZ;
  const long double r = std::sqrt(z.x * z.x + z.y * z.y);
  if (r <= 1e-6L) {
    view.AxisX = {1, 0, 0};
    view.AxisY = {0, 1, 0};
  } else {
    view.AxisX = {-z.y / r, z.x / r, 0};
    const TVector3& x = view.AxisX;
    view.AxisY = {z.z * x.y, -z.z * x.x, z.y * x.x - z.x * x.y};
  }
  view.EyeDepth = Dot(view.Eye, view.AxisZ);
  view.Scale = Dot(centre, view.AxisZ) - view.EyeDepth;
  view.ShiftX = Dot(view.Eye, view.AxisX);
  view.ShiftY = Dot(view.Eye, view.AxisY);

  TVector3 lo = EmptyMin, hi = EmptyMax;
  for (int i = 0; i <= 1; ++i)
    for (int j = 0; j <= 1; ++j)
      for (int k = 0; k <= 1; ++k)
        WidenProjectedBox(view, boxMin + TVector3{i * size.x, j * size.y, k * size.z}, lo, hi);
  // A point, a segment seen end-on or a flat box seen edge-on leaves an extent of zero,
  // or of rounding size, which the fit would divide by or blow up to the whole picture.
  const long double least = d * FlatExtentFraction;
  WidenExtent(lo.x, hi.x, least);
  WidenExtent(lo.y, hi.y, least);
  WidenExtent(lo.z, hi.z, least);

  view.DepthScale = 16384 / (hi.z - lo.z);
  view.DepthOffset = (lo.z + hi.z) / 2 + 16384 / view.DepthScale;
  const long double s = std::min(380 / (hi.x - lo.x), 380 / (hi.y - lo.y));
  view.Scale = s * view.Scale;
  view.OffsetX = (s * (lo.x + hi.x) - 400) * 0.5L;
  view.OffsetY = (s * (lo.y + hi.y) - 400) * 0.5L;
  view.Pivot = centre;
  FollowPivot(view);
}

TView FrameView(const TVector3& boxMin, const TVector3& boxMax, const TVector3& centre, long double diagonal) {
  TView view;
  PlaceEye(view, boxMin, boxMax, diagonal);
  SetUpView(view, boxMin, boxMax, centre);
  return view;
}

void FollowPivot(TView& view) { view.ScreenCentre = ProjectPoint(view, view.Pivot); }

TVector3 ProjectRaw(const TView& view, const TVector3& p) {
  const long double a = Dot(p, view.AxisZ);
  const long double b = view.Scale / (a - view.EyeDepth);
  return {b * (Dot(p, view.AxisX) - view.ShiftX), b * (Dot(p, view.AxisY) - view.ShiftY), a};
}

ScreenPoint ProjectPoint(const TView& view, const TVector3& p) {
  const TVector3 raw = ProjectRaw(view, p);
  return {raw.x - view.OffsetX, raw.y - view.OffsetY, view.DepthScale * (view.DepthOffset - raw.z)};
}

void WidenProjectedBox(const TView& view, const TVector3& p, TVector3& lo, TVector3& hi) {
  WidenBox(ProjectRaw(view, p), lo, hi);
}

std::uint32_t TripleToColour(const std::uint8_t* bgr) { return bgr[2] + 256u * bgr[1] + 65536u * bgr[0]; }

}  // namespace Framing
