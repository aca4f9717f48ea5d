// Curve sampling: 4,101 equally spaced samples of the curve and the adaptive polygon
// of curve points (denser where the curve turns) that the analysis and pictures use.
#pragma once

#include <cstdint>
#include <vector>

#include "formula/Curve.h"
#include "formula/Vector3.h"
#include "geometry/SharedState.h"

// One curve point.
struct Mastil {
  long double Param = 0;    // parameter t
  long double Torsion = 0;  // D(i-2) . (D(i-1) x D(i)) of three consecutive chords
  TVector3 Point;           // P(t)
  TVector3 Tangent;         // P'(t), five-point difference
  TVector3 Moment;          // Point x Tangent
};
using PuntosCurva = std::vector<Mastil>;

namespace Sampling {

inline constexpr int SampleCount = 4101;

// The sampled figure: the t constants it was sampled with, the samples, the curve
// points, and the box and length scales FrameBox derives from them.
struct TFigure {
  Glob::TParamConstants Param;
  // Slot k holds sample k - 2, the curve point at TMin + (k - 2) TStep.
  std::vector<TVector3> SampleBuffer;
  // Curve points 0..CurvePointHigh; the array may be longer.
  PuntosCurva CurvePoints;
  std::int16_t CurvePointHigh = -1;
  // Mean L1 chord length scale used by the analysis.
  long double ChordScale = 0;
  // The box of the curve points 0..CurvePointHigh, its centre and diagonal, and the
  // screen-plane spacing of the records that fill a traced branch.
  TVector3 BoxMin, BoxMax, BoxSize, FigureCentre;
  long double FigureDiagonal = 0, FillSpacing = 0;
};

// The curve's length as its typical sample chord tells it: the number of chords times
// the 90th percentile of their lengths. Unlike the box, a pole of the formulas, which
// throws a few samples far out, leaves it alone. 0 before sampling.
long double LengthEstimate(const TFigure& figure);

// Rebuilds figure's SampleBuffer, CurvePoints, CurvePointHigh and ChordScale from
// `curve` and figure.Param (TMin, TMax and the derived steps). Makes exactly
// 4,101 curve evaluations; curve points fall at least every 22 samples and at every
// sample where the curve turns sharply, the first at TMin and the last at TMax exactly
// (188 to 4,097 points). Values are taken as the formulas give them (guard values
// such as 1e300 included); nothing is checked here.
void SampleCurve(const FunPars::TCurve& curve, TFigure& figure);

}  // namespace Sampling
