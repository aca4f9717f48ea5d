// The bitangent residual of a pair, its gradient, and the Newton corrector that moves a
// pair onto the residual's zero set. Every derivative is a finite difference of the
// curve evaluator with the step h = TStep; the curve is closed with period TSpan.
#include <cmath>
#include <cstdint>

#include "formula/ExtendedSine.h"
#include "geometry/BitangentsInternal.h"
#include "geometry/Sampling.h"
#include "geometry/SharedState.h"
#include "geometry/Vectors.h"

namespace Bitangents {
namespace {

TVector3 E(const TTracing& w, long double y) { return CurvePoint(w, y); }

long double Fourth(long double v) {
  const long double sq = v * v;
  return sq * sq;
}

// Five curve points at y - 1.5h, y - h/2, y, y + h/2, y + 1.5h (b, at y - h/2, only
// in the stencil at the midpoint of a pair near the diagonal).
using Stencil = ParamPoints;

// The residual's four points of y into q, without b.
void FillResidualPoints(const TTracing& w, long double y, Stencil& q) {
  q.a = E(w, y - w.Figure.Param.TThreeHalfStep);
  q.c = E(w, y);
  q.d = E(w, y + w.Figure.Param.THalfStep);
  q.e = E(w, y + w.Figure.Param.TThreeHalfStep);
}

// All five points of y into q.
void FillStencil(const TTracing& w, long double y, Stencil& q) {
  FillResidualPoints(w, y, q);
  q.b = E(w, y - w.Figure.Param.THalfStep);
}

// From the four points without b: the tangent, one-sided and exact for cubics, which
// shares E(y) with the point itself; and the second derivative, the central difference
// over y -/+ 1.5h, exact for cubics.
TVector3 OneSidedTangent(const TTracing& w, const Stencil& q) {
  return (-q.a - 24 * q.c + 27 * q.d - 2 * q.e) / w.Figure.Param.TStep12;
}

TVector3 WideSecondDerivative(const TTracing& w, const Stencil& q) {
  return (q.a + q.e - 2 * q.c) / (2.25L * w.Figure.Param.TStepSq);
}

// Symmetric first derivative, exact for quartics.
TVector3 FirstDerivative(const TTracing& w, const Stencil& p) {
  return (27 * (p.d - p.b) + p.a - p.e) / w.Figure.Param.TStep24;
}

TVector3 SecondDerivative(const TTracing& w, const Stencil& p) {
  return (81 * (p.b + p.d) - p.a - 160 * p.c - p.e) / w.Figure.Param.TStepSq18;
}

// The midpoint of a pair close on the parameter circle. A pair that straddles the seam
// (s near TMin, t near TMax) is close across it, so its midpoint is moved by half the
// period, next to TMin.
long double CloseMidpoint(const TTracing& w, const Pair& x) {
  long double m = (x.x + x.y) / 2;
  if (std::fabs(x.x - x.y) > w.Figure.Param.THalfSpan) m = m - w.Figure.Param.THalfSpan;
  return m;
}

// What the residual and the gradient of one pair have in common, each computed once:
// the angle u = (s - t) pi / L and its sine, the periodic distance sigma = |sin u| L / pi,
// and the curve points at the same parameters. Away from the diagonal these are the
// stencils at s and at t, of which the residual reads all but b (at y - h/2, evaluated
// for the gradient only); near it the stencil at the midpoint. A corrector fills one in
// place pass after pass: the records are large and built of long doubles.
struct PairSamples {
  Pair X;
  long double U = 0, SinU = 0, Sigma = 0;
  bool Near = false;
  Stencil At[2];  // at s and t; near the diagonal At[0] is the midpoint's
};

// sin u (offset 0) or cos u (offset 1) of a pair's angle: the formulas' own, within one
// unit in the last place, for |u| < 2^20, which takes a small part of the C library's
// time for an angle beyond pi/4 (its reduction there is the general one); the C
// library's for NaN and huge angles.
long double SineOrCosine(long double u, std::int32_t offset) {
  if (ExtendedSine::InRange(u)) return ExtendedSine::OfQuadrant(u, offset);
  return offset == 0 ? std::sin(u) : std::cos(u);
}

// The residual's share of the curve points of x into p: eight away from the diagonal
// (none when they are given, those met before when a memo is given), five near it.
void SamplePair(const TTracing& w, const Pair& x, PairSamples& p, const ParamPoints* atS = nullptr,
                const ParamPoints* atT = nullptr, ParamPointsMemo* memo = nullptr) {
  p.X = x;
  p.U = (x.x - x.y) * w.Figure.Param.PiOverTSpan;
  p.SinU = SineOrCosine(p.U, 0);
  p.Sigma = std::fabs(p.SinU) * w.Figure.Param.TSpanOverPi;
  p.Near = !(p.Sigma > w.Figure.Param.TStep);
  if (p.Near) {
    FillStencil(w, CloseMidpoint(w, x), p.At[0]);
    return;
  }
  for (int k = 0; k < 2; ++k) {
    const ParamPoints* given = k == 0 ? atS : atT;
    const long double y = k == 0 ? x.x : x.y;
    if (given)
      p.At[k] = *given;
    else if (memo)
      p.At[k] = memo->At(w, y);
    else
      FillResidualPoints(w, y, p.At[k]);
  }
}

Residual ResidualOf(const TTracing& w, const PairSamples& p) {
  Residual r;
  const long double noise = w.PointNoise;
  if (!p.Near) {
    r.PointS = p.At[0].c;
    r.PointT = p.At[1].c;
    const TVector3 ts = OneSidedTangent(w, p.At[0]);
    const TVector3 tt = OneSidedTangent(w, p.At[1]);
    const TVector3 chord = r.PointT - r.PointS;
    r.W = Cross(chord, tt);
    const long double sigma4 = Fourth(p.Sigma);
    r.F = Dot(ts, r.W) / sigma4;
    // Errors of noise in a point, 4.5 noise / h in a tangent (the stencil's weights).
    const long double tangentNoise = 4.5L * noise / w.Figure.Param.TStep;
    const long double lengthW = Length(r.W), lengthS = Length(ts);
    r.Noise = (tangentNoise * lengthW + lengthS * (2 * noise * Length(tt) + tangentNoise * Length(chord))) / sigma4;
    r.Spread = lengthS * lengthW / sigma4;
  } else {
    // As t approaches s the quotient tends to (P' x P'') . P''' / 12, taken at the midpoint.
    const Stencil& q = p.At[0];
    const TVector3 d3 = (3 * (q.b - q.d) - q.a + q.e) / w.Figure.Param.TStepCube;
    const TVector3 d1 = FirstDerivative(w, q), d2 = SecondDerivative(w, q);
    r.W = Cross(d1, d2);
    r.F = Dot(r.W, d3) / 12;
    // The stencils' weights bound their errors by 8, 56 / 24 and 18 noise over h^k.
    r.Noise =
        noise *
        (8 * Length(r.W) / w.Figure.Param.TStepCube +
         Length(d3) * (56.0L / 24 * Length(d2) / w.Figure.Param.TStep + 18 * Length(d1) / w.Figure.Param.TStepSq)) /
        12;
    r.PointS = E(w, p.X.x);
    r.PointT = E(w, p.X.y);
  }
  return r;
}

// A residual within the tolerance or within the error that rounding of the curve
// points alone may cause: closer to zero no corrector can bring it.
bool Solved(const TTracing& w, const Residual& r, long double tilt) {
  // fmax of the two, the one that is not NaN, without its library call: this runs once
  // per residual.
  const long double tolerance = std::isgreater(tilt * r.Spread, w.PairTolerance) ? tilt * r.Spread : w.PairTolerance;
  const long double bound = std::isgreater(r.Noise, tolerance) || std::isnan(tolerance) ? r.Noise : tolerance;
  return std::fabs(r.F) < bound;
}

// The gradient from the samples of its pair: away from the diagonal from the
// residual's own points; near it two more at m -/+ 2h are needed.
Pair GradientOf(const TTracing& w, const PairSamples& p) {
  if (!p.Near) {
    const long double k = 4 * w.Figure.Param.PiOverTSpan * (SineOrCosine(p.U, 1) / p.SinU);
    const Stencil &ps = p.At[0], &pt = p.At[1];
    const TVector3 ts = OneSidedTangent(w, ps), tt = OneSidedTangent(w, pt);
    const TVector3 v = pt.c - ps.c;
    const TVector3 vxtt = Cross(v, tt);
    const long double d = Dot(ts, vxtt);
    const long double sigma4 = Fourth(p.Sigma);
    return {(Dot(WideSecondDerivative(w, ps), vxtt) - k * d) / sigma4,
            (k * d - Dot(WideSecondDerivative(w, pt), Cross(v, ts))) / sigma4};
  }
  const long double m = CloseMidpoint(w, p.X);
  const Stencil& q = p.At[0];
  const TVector3 d4 = (136 * (q.a + q.e) - 840 * (q.b + q.d) + 1456 * q.c -
                       24 * (E(w, m - w.Figure.Param.TStep2) + E(w, m + w.Figure.Param.TStep2))) /
                      (21 * w.Figure.Param.TStepSq * w.Figure.Param.TStepSq);
  const long double g = Dot(Cross(FirstDerivative(w, q), SecondDerivative(w, q)), d4) / 24;
  return {g, g};
}

}  // namespace

long double PointNoise(const AnalysisFrame::TFrame& frame) {
  const TVector3& c = frame.Centre;
  const long double largest = std::fmax(std::fmax(std::fabs(c.x), std::fabs(c.y)), std::fabs(c.z)) + frame.Unit;
  return 0x1p-63L * largest / frame.Unit;
}

ParamPoints ResidualPoints(const TTracing& w, long double y) {
  ParamPoints q;
  FillResidualPoints(w, y, q);
  return q;
}

ParamPoints ParamPointsMemo::At(const TTracing& w, long double y) {
  if (const ParamPoints* kept = Find(y)) return *kept;
  const ParamPoints q = ResidualPoints(w, y);
  if (kept_.size() < Capacity) kept_.emplace_back(y, q);
  return q;
}

const ParamPoints* ParamPointsMemo::Find(long double y) const {
  // The sign too: the curve may tell -0 from 0.
  for (const auto& [param, points] : kept_)
    if (param == y && std::signbit(param) == std::signbit(y)) return &points;
  return nullptr;
}

Residual BitangentResidual(const TTracing& w, const Pair& x) {
  PairSamples p;
  SamplePair(w, x, p);
  return ResidualOf(w, p);
}

Residual ResidualFrom(const TTracing& w, const Pair& x, ParamPointsMemo& memo) {
  PairSamples p;
  SamplePair(w, x, p, nullptr, nullptr, &memo);
  return ResidualOf(w, p);
}

Residual ResidualWith(const TTracing& w, const Pair& x, const ParamPoints& atS, const ParamPoints& atT) {
  PairSamples p;
  SamplePair(w, x, p, &atS, &atT);
  return ResidualOf(w, p);
}

Pair ResidualGradient(const TTracing& w, const Pair& x) {
  PairSamples p;
  SamplePair(w, x, p);
  return GradientOf(w, p);
}

bool CorrectPair(const TTracing& w, const Pair& start, const Pair& ref, CorrectMode mode, long double& acc,
                 BitangentRecord& r, const ParamPoints* startS, const ParamPoints* startT, ParamPointsMemo* memo,
                 long double tilt) {
  acc = 0;
  Pair across;
  if (mode == CorrectMode::Perpendicular) {
    // Start - ref turned by a quarter turn: the pair keeps its distance from ref.
    across = {start.y - ref.y, ref.x - start.x};
    if (std::hypot(across.x, across.y) < 1e-12L) return false;
  }
  Pair x = start;
  // The residual and the gradient of the same pair share their curve points.
  PairSamples samples;
  SamplePair(w, x, samples, startS, startT, memo);
  Residual res = ResidualOf(w, samples);
  const auto write = [&] {
    r.ParamS = x.x;
    r.ParamT = x.y;
    r.PointS = res.PointS;
    r.PointT = res.PointT;
    r.PlaneNormal = res.W;
  };
  if (Solved(w, res, tilt)) {
    write();
    return true;
  }
  long double prevStep = w.NewtonStepCap;
  // With a NaN residual neither end test below ever holds; the pass cap ends that too.
  for (int pass = 0; pass < MaxCorrectorPasses; ++pass) {
    WorkCounters::CountCorrectorPass();
    const Pair g = GradientOf(w, samples);
    const Pair e = mode == CorrectMode::Gradient ? g : across;
    const long double denom = Dot2(g, e);
    if (std::fabs(denom) < 1e-12L) return false;
    const long double delta = -res.F / denom;
    x = x + delta * e;
    const long double step = std::fabs(delta * e.x) + std::fabs(delta * e.y);
    SamplePair(w, x, samples, nullptr, nullptr, memo);
    res = ResidualOf(w, samples);
    // Every step must be shorter than 0.9 of the one before (the first than 0.9 of
    // NewtonStepCap), which stops a diverging iteration.
    const bool tooLong = step > 0.9L * prevStep;
    acc += delta;
    prevStep = step;
    if (Solved(w, res, tilt)) {
      write();
      return Margin(w.Figure.Param, x.x, x.y) > 0;
    }
    if (tooLong) return false;
  }
  return false;
}

}  // namespace Bitangents
