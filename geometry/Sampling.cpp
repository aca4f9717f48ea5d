#include "geometry/Sampling.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "formula/Checks.h"
#include "formula/FunPars.h"
#include "geometry/SharedState.h"
#include "geometry/Vectors.h"
#include "geometry/WorkCounters.h"

namespace Sampling {

namespace {

// A curve point is taken when the accumulated turning exceeds this, or after this
// many samples without one, whichever comes first.
constexpr long double TurnLimit = 0.035L;
constexpr int MaxStepsBetweenPoints = 22;

// Records given to CurvePoints before sampling, and the step it grows by.
constexpr int InitialCurvePoints = 100;
constexpr int CurvePointGrowth = 20;

// The running state of one sampling pass.
struct TSampler {
  int I = 0;               // sample index, -2..4098
  long double T = 0;       // its parameter
  TVector3 Chord[3];       // D(i-2), D(i-1), D(i) with D(k) = P(k+1) - P(k)
  long double TurnSum = 0;
  int StepsSinceLast = 0;
};

// Sample with index i (slot i + 2 of SampleBuffer).
const TVector3& Sample(int i) { return Figure.SampleBuffer[i + 2]; }

long double AbsSum(const TVector3& v) { return std::fabs(v.x) + std::fabs(v.y) + std::fabs(v.z); }

// Evaluates the curve at t into the slot of sample i.
void EvalSample(int i, long double t) {
  WorkCounters::CountEvaluation();
  FunPars::EvalCurve(Glob::Curve, t, Figure.SampleBuffer[i + 2]);
}

// Moves the chords one sample on and forms D(i) = P(i+1) - P(i); adds its L1 length
// to ChordScale.
void ShiftChords(TSampler& s) {
  s.Chord[0] = s.Chord[1];
  s.Chord[1] = s.Chord[2];
  s.Chord[2] = Sample(s.I + 1) - Sample(s.I);
  Figure.ChordScale += AbsSum(s.Chord[2]);
}

// Second difference over central difference at sample i, in the L1 norm: about half
// the angle the tangent turns over one step. `still`, a billionth of the samples'
// size, keeps a stationary curve finite whatever the curve's size.
long double TurnIncrement(int i, long double still) {
  const TVector3& prev = Sample(i - 1);
  const TVector3& here = Sample(i);
  const TVector3& next = Sample(i + 1);
  const long double w = std::fabs(next.x - prev.x) + std::fabs(next.y - prev.y) + std::fabs(next.z - prev.z) + still;
  const long double e = std::fabs(next.x + prev.x - 2 * here.x) + std::fabs(next.y + prev.y - 2 * here.y) +
                        std::fabs(next.z + prev.z - 2 * here.z);
  return e / w;
}

// Appends the curve point of the current sample, growing CurvePoints by a fixed step
// when full, and restarts the turning count.
void AddCurvePoint(TSampler& s) {
  const int high = Figure.CurvePointHigh + 1;
  if (high >= static_cast<int>(Figure.CurvePoints.size())) Figure.CurvePoints.resize(high + CurvePointGrowth);
  Figure.CurvePointHigh = static_cast<std::int16_t>(high);
  Mastil& m = Figure.CurvePoints[high];
  m.Param = s.T;
  m.Point = Sample(s.I);
  m.Torsion = Triple(s.Chord[0], s.Chord[1], s.Chord[2]);
  // Five-point difference; the grouping is part of the result's rounding.
  m.Tangent = (8 * (Sample(s.I + 1) - Sample(s.I - 1)) + Sample(s.I - 2) - Sample(s.I + 2)) / Figure.Param.TStep12;
  m.Moment = Cross(m.Point, m.Tangent);
  s.TurnSum = 0;
  s.StepsSinceLast = 0;
}

// L1 size of the box of all samples, or the estimated length of the curve when that is
// smaller; 1 for a single point or when a sample is not finite, as for a figure of unit
// size.
long double SampleSize() {
  TVector3 lo = Figure.SampleBuffer[0], hi = lo;
  for (const TVector3& p : Figure.SampleBuffer) {
    if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) return 1;
    lo = {std::fmin(lo.x, p.x), std::fmin(lo.y, p.y), std::fmin(lo.z, p.z)};
    hi = {std::fmax(hi.x, p.x), std::fmax(hi.y, p.y), std::fmax(hi.z, p.z)};
  }
  // A pole of the formulas throws a few samples far out; the curve's length, as the
  // typical chord tells it, then sizes the rest.
  const long double size = std::fmin(AbsSum(hi - lo), LengthEstimate());
  return std::isfinite(size) && size > 0 ? size : 1;
}

}  // namespace

long double LengthEstimate() {
  std::vector<long double> chords;
  for (std::size_t k = 3; k + 2 < Figure.SampleBuffer.size(); ++k)
    chords.push_back(Length(Figure.SampleBuffer[k] - Figure.SampleBuffer[k - 1]));
  if (chords.empty()) return 0;
  auto at = chords.begin() + static_cast<std::ptrdiff_t>(chords.size() * 9 / 10);
  std::nth_element(chords.begin(), at, chords.end());
  return static_cast<long double>(chords.size()) * *at;
}

void Initialize() { Figure.SampleBuffer.assign(SampleCount, TVector3{}); }

void SampleCurve() {
  // Every sample index below is within -2..4098; a buffer that was never allocated
  // ends the command instead of being written past.
  CheckIndex(SampleCount - 1, Figure.SampleBuffer.size());
  Figure.CurvePoints.clear();
  Figure.CurvePoints.resize(InitialCurvePoints);
  Figure.CurvePointHigh = -1;
  Figure.ChordScale = 0;
  TSampler s;

  constexpr int last = SampleCount - 5;  // sample 4,096, the one at TMax
  EvalSample(-2, Figure.Param.TMin - Figure.Param.TStep2);
  EvalSample(-1, Figure.Param.TMin - Figure.Param.TStep);
  EvalSample(0, Figure.Param.TMin);
  EvalSample(1, Figure.Param.TMin + Figure.Param.TStep);
  EvalSample(2, Figure.Param.TMin + Figure.Param.TStep2);
  for (int i = 1; i < last; ++i)
    EvalSample(i + 2, static_cast<long double>(i) * Figure.Param.TStep + Figure.Param.TMin + Figure.Param.TStep2);
  // The last sample sits at TMax itself rather than at TMin + 4,096 h.
  EvalSample(last + 2, Figure.Param.TMax + Figure.Param.TStep2);
  const long double still = 1e-9L * SampleSize();

  s.Chord[0] = Sample(-1) - Sample(-2);
  s.Chord[1] = Sample(0) - Sample(-1);
  s.Chord[2] = Sample(1) - Sample(0);
  Figure.ChordScale += AbsSum(s.Chord[2]);
  s.T = Figure.Param.TMin;
  AddCurvePoint(s);

  for (s.I = 1; s.I < last; ++s.I) {
    s.T = static_cast<long double>(s.I) * Figure.Param.TStep + Figure.Param.TMin;
    ShiftChords(s);
    s.TurnSum += TurnIncrement(s.I, still);
    s.StepsSinceLast += 1;
    if (s.TurnSum > TurnLimit || s.StepsSinceLast >= MaxStepsBetweenPoints) AddCurvePoint(s);
  }

  // The last sample, at TMax, always becomes a curve point.
  s.I = last;
  s.T = Figure.Param.TMax;
  ShiftChords(s);
  AddCurvePoint(s);

  Figure.ChordScale = Figure.ChordScale / (45 * static_cast<long double>(Figure.CurvePointHigh));
}

}  // namespace Sampling
