// Bitangent analysis: the pairs (s, t) whose tangent lines lie in one plane, traced as
// branches in the parameter square, each with its plane normal and whether that plane
// supports the whole curve (then the segment P(s)P(t) lies on the hull's boundary).
#pragma once

#include <cstdint>
#include <vector>

#include "formula/Curve.h"
#include "formula/Vector3.h"
#include "geometry/AnalysisFrame.h"
#include "geometry/Sampling.h"
#include "geometry/SharedState.h"
#include "geometry/Tritangents.h"

struct BitangentRecord {
  std::uint8_t OnHull = 0;        // the plane of the pair supports the whole curve
  std::uint8_t StartsBranch = 0;  // first record of a polyline
  long double ParamS = 0, ParamT = 0;
  TVector3 PointS, PointT;
  TVector3 PlaneNormal;  // unit normal; points away from the curve when OnHull
};
using BitangData = std::vector<BitangentRecord>;

namespace Bitangents {

// What one analysis of the sampled figure found, in world coordinates.
struct TAnalysis {
  // Traced polylines in records 1..BitangentCount; record 0 is never used.
  BitangData BitangentList;
  std::int32_t BitangentCount = 0;
  // Pixels of the parameter square per unit of s and of t.
  long double SquareScaleS = 0, SquareScaleT = 0;
  // The curve has more waves than the tracing resolves: strips narrower than its
  // finest step may be missing.
  bool ResolutionCut = false;
  // The fans of triangles covering the flat faces, TritangentCount ascending triples.
  std::vector<Tritangents::Triple> TritangentTriples;
  std::int32_t TritangentCount = 0;
  std::vector<Tritangents::FlatFace> FlatFaces;
  // The tritangent search stopped at its limit of work (Tritangents::MaxLinkPairs,
  // MaxSolved): flat faces may be missing.
  bool SearchCut = false;
};

// Runs the tritangent search, then seeds, corrects, traces and classifies the
// bitangent branches, from `figure` (curve points, samples, box; sampled from `curve`,
// which the corrector evaluates) into `analysis`, which is emptied first. Works on a
// copy of the figure in its own units (AnalysisFrame), so the result does not depend
// on the curve's size or place. A single point gives empty lists; a figure whose size
// overflows the number range throws WendrixError (`analysis` then holds what was
// found so far).
void AnalyzeBitangents(const FunPars::TCurve& curve, const Sampling::TFigure& figure, TAnalysis& analysis);

// min(THalfSpan - |s - TMid|, THalfSpan - |t - TMid|) of the t constants `param`:
// positive inside the open square.
long double Margin(const Glob::TParamConstants& param, long double s, long double t);

// Unit normal of the plane through the chord P(s)P(t) containing the tangent at s
// (osculating plane when s and t nearly coincide), `curve` with the t constants `param`
// taken in `frame` (the identity for world points). False when degenerate.
bool PairPlaneNormal(const FunPars::TCurve& curve, const Glob::TParamConstants& param,
                     const AnalysisFrame::TFrame& frame, BitangentRecord& r);

// Sets r.OnHull when no curve point of `figure` lies farther than SupportTolerance
// beyond the plane of r on the one side, and turns r.PlaneNormal away from the curve
// then. A plane with points beyond it on both sides, or a NaN distance, gives
// OnHull = 0 (the normal as computed); without curve points OnHull is 0.
void SupportTest(const Sampling::TFigure& figure, BitangentRecord& r);

}  // namespace Bitangents
