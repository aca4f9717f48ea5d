// The bitangent residual of a pair, its gradient, and the Newton corrector that moves a
// pair onto the residual's zero set. Every derivative is a finite difference of the
// curve evaluator with the step h = TStep; the curve is closed with period TSpan.
#include <cmath>

#include "geometry/BitangentsInternal.h"
#include "geometry/SharedState.h"
#include "geometry/Vectors.h"

namespace Bitangents {
namespace {

TVector3 E(long double y) { return CurvePoint(y); }

// Periodic distance |sin((s - t) pi / L)| L / pi of the pair.
long double Sigma(const Pair& x) {
  return std::fabs(std::sin((x.x - x.y) * Glob::PiOverTSpan)) * Glob::TSpanOverPi;
}

long double Fourth(long double v) {
  const long double sq = v * v;
  return sq * sq;
}

// Five curve points at y - 1.5h, y - h/2, y, y + h/2, y + 1.5h.
struct Stencil {
  TVector3 a, b, c, d, e;
};

Stencil Sample(long double y) {
  using namespace Glob;
  return {E(y - TThreeHalfStep), E(y - THalfStep), E(y), E(y + THalfStep), E(y + TThreeHalfStep)};
}

// Symmetric first derivative, exact for quartics.
TVector3 FirstDerivative(const Stencil& p) { return (27 * (p.d - p.b) + p.a - p.e) / Glob::TStep24; }

TVector3 SecondDerivative(const Stencil& p) {
  return (81 * (p.b + p.d) - p.a - 160 * p.c - p.e) / Glob::TStepSq18;
}

// The midpoint of a pair close on the parameter circle. A pair that straddles the seam
// (s near TMin, t near TMax) is close across it, so its midpoint is moved by half the
// period, next to TMin.
long double CloseMidpoint(const Pair& x) {
  long double m = (x.x + x.y) / 2;
  if (std::fabs(x.x - x.y) > Glob::THalfSpan) m = m - Glob::THalfSpan;
  return m;
}

}  // namespace

Residual BitangentResidual(const Pair& x) {
  using namespace Glob;
  const long double s = x.x, t = x.y, h = TStep;
  const long double sigma = Sigma(x);
  Residual r;
  if (sigma > h) {
    // One-sided tangent stencil, exact for cubics; it shares E(y) with the point itself.
    const auto tangent = [&](long double y, TVector3& point) {
      point = E(y);
      return (-E(y - TThreeHalfStep) - 24 * point + 27 * E(y + THalfStep) - 2 * E(y + TThreeHalfStep)) / TStep12;
    };
    const TVector3 ts = tangent(s, r.PointS);
    const TVector3 tt = tangent(t, r.PointT);
    r.W = Cross(r.PointT - r.PointS, tt);
    r.F = Dot(ts, r.W) / Fourth(sigma);
  } else {
    // As t approaches s the quotient tends to (P' x P'') . P''' / 12, taken at the midpoint.
    const Stencil p = Sample(CloseMidpoint(x));
    const TVector3 d3 = (3 * (p.b - p.d) - p.a + p.e) / TStepCube;
    r.W = Cross(FirstDerivative(p), SecondDerivative(p));
    r.F = Dot(r.W, d3) / 12;
    r.PointS = E(s);
    r.PointT = E(t);
  }
  return r;
}

Pair ResidualGradient(const Pair& x) {
  using namespace Glob;
  const long double s = x.x, t = x.y;
  const long double sigma = Sigma(x);
  if (sigma > TStep) {
    const long double u = (s - t) * PiOverTSpan;
    const long double k = 4 * PiOverTSpan * (std::cos(u) / std::sin(u));
    const Stencil ps = Sample(s), pt = Sample(t);
    const TVector3 ts = FirstDerivative(ps), tt = FirstDerivative(pt);
    const auto accel = [](const Stencil& p) { return 4 * (p.b + p.d - 2 * p.c) / TStepSq; };
    const TVector3 v = pt.c - ps.c;
    const TVector3 vxtt = Cross(v, tt);
    const long double d = Dot(ts, vxtt);
    const long double sigma4 = Fourth(sigma);
    return {(Dot(accel(ps), vxtt) - k * d) / sigma4, (k * d - Dot(accel(pt), Cross(v, ts))) / sigma4};
  }
  const long double m = CloseMidpoint(x);
  const Stencil p = Sample(m);
  const TVector3 d4 =
      (136 * (p.a + p.e) - 840 * (p.b + p.d) + 1456 * p.c - 24 * (E(m - TStep2) + E(m + TStep2))) /
      (21 * TStepSq * TStepSq);
  const long double g = Dot(Cross(FirstDerivative(p), SecondDerivative(p)), d4) / 24;
  return {g, g};
}

bool CorrectPair(const Pair& start, const Pair& ref, CorrectMode mode, long double& acc,
                 BitangentRecord& r) {
  acc = 0;
  Pair across;
  if (mode == CorrectMode::Perpendicular) {
    // Start - ref turned by a quarter turn: the pair keeps its distance from ref.
    across = {start.y - ref.y, ref.x - start.x};
    if (std::hypot(across.x, across.y) < 1e-12L) return false;
  }
  Pair x = start;
  Residual res = BitangentResidual(x);
  const auto write = [&] {
    r.ParamS = x.x;
    r.ParamT = x.y;
    r.PointS = res.PointS;
    r.PointT = res.PointT;
    r.PlaneNormal = res.W;
  };
  if (std::fabs(res.F) < PairTolerance) {
    write();
    return true;
  }
  long double prevStep = NewtonStepCap;
  // With a NaN residual neither end test below ever holds; the pass cap ends that too.
  for (int pass = 0; pass < MaxCorrectorPasses; ++pass) {
    WorkCounters::CountCorrectorPass();
    const Pair g = ResidualGradient(x);
    const Pair e = mode == CorrectMode::Gradient ? g : across;
    const long double denom = Dot2(g, e);
    if (std::fabs(denom) < 1e-12L) return false;
    const long double delta = -res.F / denom;
    x = x + delta * e;
    const long double step = std::fabs(delta * e.x) + std::fabs(delta * e.y);
    res = BitangentResidual(x);
    // Every step must be shorter than 0.9 of the one before (the first than 0.9 of
    // NewtonStepCap), which stops a diverging iteration.
    const bool tooLong = step > 0.9L * prevStep;
    acc += delta;
    prevStep = step;
    if (std::fabs(res.F) < PairTolerance) {
      write();
      return Margin(x.x, x.y) > 0;
    }
    if (tooLong) return false;
  }
  return false;
}

}  // namespace Bitangents
