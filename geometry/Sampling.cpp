#include "geometry/Sampling.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "formula/Checks.h"
#include "formula/FunPars.h"
#include "geometry/Parallel.h"
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
const TVector3& Sample(const TFigure& figure, int i) { return figure.SampleBuffer[i + 2]; }

long double AbsSum(const TVector3& v) { return std::fabs(v.x) + std::fabs(v.y) + std::fabs(v.z); }

// Evaluates the curve at t into the slot of sample i.
void EvalSample(const FunPars::TCurve& curve, TFigure& figure, int i, long double t) {
  WorkCounters::CountEvaluation();
  FunPars::EvalCurve(curve, t, figure.SampleBuffer[i + 2]);
}

// Moves the chords one sample on and forms D(i) = P(i+1) - P(i); adds its L1 length
// to ChordScale.
void ShiftChords(TFigure& figure, TSampler& s) {
  s.Chord[0] = s.Chord[1];
  s.Chord[1] = s.Chord[2];
  s.Chord[2] = Sample(figure, s.I + 1) - Sample(figure, s.I);
  figure.ChordScale += AbsSum(s.Chord[2]);
}

// Second difference over central difference at sample i, in the L1 norm: about half
// the angle the tangent turns over one step. `still`, a billionth of the samples'
// size, keeps a stationary curve finite whatever the curve's size.
long double TurnIncrement(const TFigure& figure, int i, long double still) {
  const TVector3& prev = Sample(figure, i - 1);
  const TVector3& here = Sample(figure, i);
  const TVector3& next = Sample(figure, i + 1);
  const long double w = std::fabs(next.x - prev.x) + std::fabs(next.y - prev.y) + std::fabs(next.z - prev.z) + still;
  const long double e = std::fabs(next.x + prev.x - 2 * here.x) + std::fabs(next.y + prev.y - 2 * here.y) +
                        std::fabs(next.z + prev.z - 2 * here.z);
  return e / w;
}

// Appends the curve point of the current sample, growing CurvePoints by a fixed step
// when full, and restarts the turning count.
void AddCurvePoint(TFigure& figure, TSampler& s) {
  const int high = figure.CurvePointHigh + 1;
  if (high >= static_cast<int>(figure.CurvePoints.size())) figure.CurvePoints.resize(high + CurvePointGrowth);
  figure.CurvePointHigh = static_cast<std::int16_t>(high);
  Mastil& m = figure.CurvePoints[high];
  m.Param = s.T;
  m.Point = Sample(figure, s.I);
  m.Torsion = Triple(s.Chord[0], s.Chord[1], s.Chord[2]);
  // Five-point difference; the grouping is part of the result's rounding.
  m.Tangent =
      (8 * (Sample(figure, s.I + 1) - Sample(figure, s.I - 1)) + Sample(figure, s.I - 2) - Sample(figure, s.I + 2)) /
      figure.Param.TStep12;
  m.Moment = Cross(m.Point, m.Tangent);
  s.TurnSum = 0;
  s.StepsSinceLast = 0;
}

// L1 size of the box of all samples, or the estimated length of the curve when that is
// smaller; 1 for a single point or when a sample is not finite, as for a figure of unit
// size.
long double SampleSize(const TFigure& figure) {
  TVector3 lo = figure.SampleBuffer[0], hi = lo;
  for (const TVector3& p : figure.SampleBuffer) {
    if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) return 1;
    lo = {std::fmin(lo.x, p.x), std::fmin(lo.y, p.y), std::fmin(lo.z, p.z)};
    hi = {std::fmax(hi.x, p.x), std::fmax(hi.y, p.y), std::fmax(hi.z, p.z)};
  }
  // A pole of the formulas throws a few samples far out; the curve's length, as the
  // typical chord tells it, then sizes the rest.
  const long double size = std::fmin(AbsSum(hi - lo), LengthEstimate(figure));
  return std::isfinite(size) && size > 0 ? size : 1;
}

}  // namespace

long double LengthEstimate(const TFigure& figure) {
  std::vector<long double> chords;
  for (std::size_t k = 3; k + 2 < figure.SampleBuffer.size(); ++k)
    chords.push_back(Length(figure.SampleBuffer[k] - figure.SampleBuffer[k - 1]));
  if (chords.empty()) return 0;
  auto at = chords.begin() + static_cast<std::ptrdiff_t>(chords.size() * 9 / 10);
  std::nth_element(chords.begin(), at, chords.end());
  return static_cast<long double>(chords.size()) * *at;
}

void SampleCurve(const FunPars::TCurve& curve, TFigure& figure) {
  figure.SampleBuffer.resize(SampleCount);
  figure.CurvePoints.clear();
  figure.CurvePoints.resize(InitialCurvePoints);
  figure.CurvePointHigh = -1;
  figure.ChordScale = 0;
  TSampler s;

  constexpr int last = SampleCount - 5;  // sample 4,096, the one at TMax
  EvalSample(curve, figure, -2, figure.Param.TMin - figure.Param.TStep2);
  EvalSample(curve, figure, -1, figure.Param.TMin - figure.Param.TStep);
  EvalSample(curve, figure, 0, figure.Param.TMin);
  EvalSample(curve, figure, 1, figure.Param.TMin + figure.Param.TStep);
  EvalSample(curve, figure, 2, figure.Param.TMin + figure.Param.TStep2);
  // Each sample has its own slot: the bands fill theirs side by side.
  Parallel::ForEachRange(last - 1, 0, [&curve, &figure](int first, int end) {
    for (int i = first + 1; i <= end; ++i)
      EvalSample(curve, figure, i + 2,
                 static_cast<long double>(i) * figure.Param.TStep + figure.Param.TMin + figure.Param.TStep2);
  });
  // The last sample sits at TMax itself rather than at TMin + 4,096 h.
  EvalSample(curve, figure, last + 2, figure.Param.TMax + figure.Param.TStep2);
  const long double still = 1e-9L * SampleSize(figure);

  s.Chord[0] = Sample(figure, -1) - Sample(figure, -2);
  s.Chord[1] = Sample(figure, 0) - Sample(figure, -1);
  s.Chord[2] = Sample(figure, 1) - Sample(figure, 0);
  figure.ChordScale += AbsSum(s.Chord[2]);
  s.T = figure.Param.TMin;
  AddCurvePoint(figure, s);

  for (s.I = 1; s.I < last; ++s.I) {
    s.T = static_cast<long double>(s.I) * figure.Param.TStep + figure.Param.TMin;
    ShiftChords(figure, s);
    s.TurnSum += TurnIncrement(figure, s.I, still);
    s.StepsSinceLast += 1;
    if (s.TurnSum > TurnLimit || s.StepsSinceLast >= MaxStepsBetweenPoints) AddCurvePoint(figure, s);
  }

  // The last sample, at TMax, always becomes a curve point.
  s.I = last;
  s.T = figure.Param.TMax;
  ShiftChords(figure, s);
  AddCurvePoint(figure, s);

  figure.ChordScale = figure.ChordScale / (45 * static_cast<long double>(figure.CurvePointHigh));
}

}  // namespace Sampling
