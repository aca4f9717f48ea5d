// Newton's method for the three tangency conditions of a tritangent plane, on the
// interpolated stored samples, with the quality measure that accepts a solution.
#include <algorithm>
#include <cmath>
#include <utility>

#include "formula/Checks.h"
#include "geometry/Sampling.h"
#include "geometry/SharedState.h"
#include "geometry/TritangentsInternal.h"

namespace Tritangents {

namespace {

// Samples per period: sample 4,096 is sample 0 again.
constexpr int PeriodSamples = 4096;

// Samples n - 2..n + 2, side by side in the buffer (which starts at sample -2):
// a pointer to the first, both ends checked.
const TVector3* FiveSamples(const Sampling::TFigure& figure, int n) {
  CheckIndex(n, figure.SampleBuffer.size());
  CheckIndex(n + 4, figure.SampleBuffer.size());
  return &figure.SampleBuffer[n];
}

long double AbsSum(const TVector3& v) { return std::fabs(v.x) + std::fabs(v.y) + std::fabs(v.z); }

}  // namespace

CurveJet JetAt(const Sampling::TFigure& figure, long double u) {
  // Sample n nearest to u and the offset x from it in steps; within a step of either
  // end the end sample is used, so that the ends, where TMin + 4,096 h need not hit
  // TMax exactly, are measured from their own parameter.
  int n;
  long double x;
  if (std::fabs(u - figure.Param.TMin) <= figure.Param.TStep) {
    n = 0;
    x = (u - figure.Param.TMin) / figure.Param.TStep;
  } else if (std::fabs(u - figure.Param.TMax) <= figure.Param.TStep) {
    n = PeriodSamples;
    x = (u - figure.Param.TMax) / figure.Param.TStep;
  } else {
    const long double steps = (u - figure.Param.TMin) / figure.Param.TStep;
    n = RoundChecked(steps);
    x = steps - n;
  }
  if (n < 0) n += PeriodSamples;
  if (n >= PeriodSamples) n -= PeriodSamples;

  const TVector3* const five = FiveSamples(figure, n);
  const TVector3 &s2 = five[0], &s1 = five[1], &s0 = five[2], &p1 = five[3], &p2 = five[4];
  const long double xx = x * x;
  CurveJet jet;
  // Quadratic through samples n-1..n+1, derivative of the cubic through n-1..n+2,
  // second derivative of the quartic through n-2..n+2.
  jet.P = (xx - x) / 2 * s1 + (1 - xx) * s0 + (xx + x) / 2 * p1;
  jet.T = (-(3 * xx - 6 * x + 2) / 6 * s1 + (3 * xx - 4 * x - 1) / 2 * s0 - (3 * xx - 2 * x - 2) / 2 * p1 +
           (3 * xx - 1) / 6 * p2) /
          figure.Param.TStep;
  jet.A = ((6 * xx - 6 * x - 1) / 12 * s2 + (4.0L / 3 + x - 2 * xx) * s1 + (3 * xx - 2.5L) * s0 +
           (4.0L / 3 - x - 2 * xx) * p1 + (6 * xx + 6 * x - 1) / 12 * p2) /
          figure.Param.TStepSq;
  return jet;
}

void TripleFrame(const Sampling::TFigure& figure, const Triple& u, TVector3& r, Matrix3& j) {
  CurveJet c[3];
  TVector3 m[3], q[3];
  for (int k = 0; k < 3; ++k) {
    c[k] = JetAt(figure, u[k]);
    m[k] = Cross(c[k].P, c[k].T);
    q[k] = Cross(c[k].P, c[k].A);
  }
  r = {Dot(m[0], c[1].T) + Dot(m[1], c[0].T), Dot(m[1], c[2].T) + Dot(m[2], c[1].T),
       Dot(m[2], c[0].T) + Dot(m[0], c[2].T)};
  // d/du of M.T' + M'.T with M' = P x A (P' x P' vanishes) and T' = A.
  j[0] = {Dot(m[1], c[0].A) + Dot(q[0], c[1].T), Dot(m[0], c[1].A) + Dot(q[1], c[0].T), 0};
  j[1] = {0, Dot(m[2], c[1].A) + Dot(q[1], c[2].T), Dot(m[1], c[2].A) + Dot(q[2], c[1].T)};
  j[2] = {Dot(m[2], c[0].A) + Dot(q[0], c[2].T), 0, Dot(m[0], c[2].A) + Dot(q[2], c[0].T)};
}

TVector3 NewtonStep(const Matrix3& j, const TVector3& r) {
  const long double det = ::Triple(j[0], j[1], j[2]);
  if (!(std::fabs(det) > SingularDeterminant)) return {};
  // Cramer's rule on the columns of J with the right-hand side -R.
  const TVector3 c1{j[0].x, j[1].x, j[2].x}, c2{j[0].y, j[1].y, j[2].y}, c3{j[0].z, j[1].z, j[2].z};
  const TVector3 b = -r;
  return {::Triple(b, c2, c3) / det, ::Triple(c1, b, c3) / det, ::Triple(c1, c2, b) / det};
}

bool SolveCandidate(const Sampling::TFigure& figure, const TriangleCandidate& cand, Triple& u, long double& quality) {
  Triple d;
  for (int k = 0; k < 3; ++k) {
    d[k] = cand[2 * k + 1].Param - cand[2 * k].Param;
    u[k] = (cand[2 * k].Param + cand[2 * k + 1].Param) / 2;
  }
  TVector3 r;
  Matrix3 j;
  TripleFrame(figure, u, r, j);
  const TVector3 delta = NewtonStep(j, r);
  // The first step must stay near its segment: at most three quarters of it from its
  // middle, so that a contact at a segment's end is reached from either segment.
  if (std::fabs(delta.x) > 0.75L * std::fabs(d[0]) || std::fabs(delta.y) > 0.75L * std::fabs(d[1]) ||
      std::fabs(delta.z) > 0.75L * std::fabs(d[2]))
    return false;
  u[0] += delta.x;
  u[1] += delta.y;
  u[2] += delta.z;
  // The three points of contact must stay apart, also across the seam.
  if (std::fabs(u[1] - u[0]) < (d[1] + d[0]) / 2 || std::fabs(u[2] - u[1]) < (d[2] + d[1]) / 2 ||
      std::fabs(u[2] - u[0]) < (d[2] + d[0]) / 2 || std::fabs(u[0] - u[2]) > figure.Param.TSpan - (d[2] + d[0]) / 2)
    return false;
  quality = RefineTriple(figure, u);
  if (quality >= QualityLimit) return false;
  NormalizeTriple(figure, u);
  return true;
}

long double RefineTriple(const Sampling::TFigure& figure, Triple& u) {
  long double prevStep = 1, prevRes = NoQuality;
  int passes = 0, worse = 0;
  bool out;
  do {
    TVector3 r;
    Matrix3 j;
    TripleFrame(figure, u, r, j);
    const TVector3 delta = NewtonStep(j, r);
    u[0] += delta.x;
    u[1] += delta.y;
    u[2] += delta.z;
    const long double step = AbsSum(delta), res = AbsSum(r);
    ++passes;
    out = std::any_of(u.begin(), u.end(), [&figure](long double v) {
      return v < figure.Param.TMin - figure.Param.TStep12 || v > figure.Param.TMax + figure.Param.TStep12;
    });
    if (step > prevStep || res > prevRes) ++worse;
    prevStep = step;
    prevRes = res;
  } while (!out && passes <= 10 && worse <= 5);
  if (out || std::any_of(u.begin(), u.end(), [&figure](long double v) {
        return std::fabs(v - figure.Param.TMid) > figure.Param.THalfSpanPlusStep;
      }))
    return NoQuality;
  return TripleQuality(figure, u);
}

long double TripleQuality(const Sampling::TFigure& figure, const Triple& u) {
  TVector3 p[3], t[3], e[3];
  long double sigma[3];
  for (int k = 0; k < 3; ++k) {
    const CurveJet c = JetAt(figure, u[k]);
    p[k] = c.P;
    t[k] = c.T / std::sqrt(1e-9L + Dot(c.T, c.T));
  }
  for (int k = 0; k < 3; ++k) {
    const int next = (k + 1) % 3;
    e[k] = p[next] - p[k];
    const long double chord = Length(e[k]);
    if (chord < figure.ChordScale) return NoQuality;
    e[k] = e[k] / chord;
    // Distance of the two parameters around the closed curve, as the sine of half
    // the angle they make on a circle of one period.
    sigma[k] = std::fabs(std::sin((u[next] - u[k]) * Glob::Pi / figure.Param.TSpan));
    if (sigma[k] < 0x1p-12L) return NoQuality;
  }
  return std::fabs(::Triple(e[0], t[1], t[2])) / (sigma[0] * sigma[0] * sigma[0]) +
         std::fabs(::Triple(e[1], t[2], t[0])) / (sigma[1] * sigma[1] * sigma[1]) +
         std::fabs(::Triple(e[2], t[0], t[1])) / (sigma[2] * sigma[2] * sigma[2]) +
         (std::fabs(::Triple(t[0], t[1], t[2])) + std::fabs(::Triple(e[0], e[1], t[1]))) /
             (sigma[0] * sigma[1] * sigma[2]);
}

void NormalizeTriple(const Sampling::TFigure& figure, Triple& u) {
  for (long double& v : u)
    if (v < figure.Param.TMin) v += figure.Param.TSpan;
  for (long double& v : u)
    if (v > figure.Param.TMax) v -= figure.Param.TSpan;
  if (u[0] > u[1]) std::swap(u[0], u[1]);
  if (u[1] > u[2]) std::swap(u[1], u[2]);
  if (u[0] > u[1]) std::swap(u[0], u[1]);
}

}  // namespace Tritangents
