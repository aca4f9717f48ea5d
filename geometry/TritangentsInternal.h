// The working parts of the tritangent search: the links between chords of the curve
// polygon, the candidate triples of chords, and the Newton solver on the stored
// samples. The drawing sequence needs only geometry/Tritangents.h; this header exists
// for the search's own files and its tests.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "formula/Curve.h"
#include "formula/Vector3.h"
#include "geometry/AnalysisFrame.h"
#include "geometry/Sampling.h"
#include "geometry/Tritangents.h"
#include "geometry/Vectors.h"

namespace Tritangents {

// The values of one curve point.
struct CandidatePoint {
  long double Param = 0, Torsion = 0;
  TVector3 Point, Tangent, Moment;
};

// Curve points i-1, i, l-1, l, m-1, m: the chords (segments) i < l < m.
using TriangleCandidate = std::array<CandidatePoint, 6>;

// Residuals of the three tangency conditions and their Jacobian, one TVector3 per row
// (rows = conditions, columns = u1, u2, u3).
using Matrix3 = std::array<TVector3, 3>;

// Below this |det J| a Newton step is taken as zero instead of dividing.
inline constexpr long double SingularDeterminant = 1e-60L;

// A quality at or above this means the triple did not converge.
inline constexpr long double QualityLimit = 1e-5L;

// The value by which the solver signals failure.
inline constexpr long double NoQuality = 1e20L;

// How far curve points may stray beyond a supporting plane, as a share of the curve's
// width across it: well above the error of the interpolated samples (below 1e-7 on
// curves with twenty waves), far below how deep a plane through the hull cuts.
inline constexpr long double SupportTolerance = 1e-4L;

// Curve points within this share of a triangle's size from its plane lie in it.
inline constexpr long double PlanarTolerance = 1e-9L;

// In the figure's units (AnalysisFrame): a point of contact lies within ContactTolerance
// of its face's plane, once refined on the curve; samples whose height across the plane
// peaks within ContactBand of it are refined (far more than a sample step's sagitta on
// curves of fifty waves). Planes whose normals differ by less than FaceAngleTolerance
// (1 - cosine) and whose offsets by less than ContactTolerance are one face.
inline constexpr long double ContactTolerance = 1e-6L;
inline constexpr long double ContactBand = 1e-2L;
inline constexpr long double FaceAngleTolerance = 1e-9L;

// M_a . T_b + M_b . T_a of two tangent lines given by moment and tangent: zero when
// they lie in one plane; its sign tells on which side one passes the other.
inline long double ReciprocalProduct(const TVector3& ma, const TVector3& ta, const TVector3& mb,
                                     const TVector3& tb) {
  return Dot(ma, tb) + Dot(mb, ta);
}

// The links of each segment, indexed by the curve point that ends it: the later
// segments it is linked to, ascending.
using SegmentLinks = std::vector<std::vector<std::int16_t>>;

// Links segment i (curve points i-1, i of `figure`) to every later segment l whose cell
// in the square of segments has corners of mixed reciprocal-product signs, i.e. the
// cells the bitangent curve crosses; the diagonal cell uses the torsion sign of point i.
// Answers one list per curve point 0..CurvePointHigh; fewer than three curve points
// link nothing. RangeError when CurvePointHigh is beyond the CurvePoints array.
SegmentLinks LinkSegments(const Sampling::TFigure& figure);

// Appends l to the links of curve point i (RangeError when i is no curve point).
void AddNeighbour(SegmentLinks& links, std::int16_t i, std::int16_t l);

// The face of the solved triple u: plane and contacts refined on `curve` itself (taken
// in `frame`, like `figure`), then
// every other contact found from the samples whose height across the plane peaks near
// it. Appends the face to the FlatFaces of `analysis` and its fan of triples to its
// TritangentTriples, and
// answers true; false, storing nothing, when the plane is a known face's, the points
// lie on a line, or fewer than three contacts survive the refinement.
bool AddFlatFace(const FunPars::TCurve& curve, const Sampling::TFigure& figure, const AnalysisFrame::TFrame& frame,
                 Bitangents::TAnalysis& analysis, const Triple& u);

// True when every curve point lies in the plane through a, b, c, within PlanarTolerance
// of |b - a| + |c - b|: a planar curve (or a, b, c on one line). False as soon as one
// point is off the plane, or NaN.
bool InCurvePlane(const Sampling::TFigure& figure, const TVector3& a, const TVector3& b, const TVector3& c);

// True when the curve points lie on one side of the plane through the curve at u1, u2,
// u3 (interpolated from the samples), within SupportTolerance of the curve's width
// across that plane. Three points on one line give no plane and count as supporting.
// widthBound, at least the curve's width across any plane (CurveWidthBound), lets a
// cutting plane be told early; the one-argument form computes it.
bool SupportsCurve(const Sampling::TFigure& figure, const Triple& u);
bool SupportsCurve(const Sampling::TFigure& figure, const Triple& u, long double widthBound);

// Twice the largest distance of a curve point from the first: no width of the curve
// across a plane exceeds it. 0 without curve points.
long double CurveWidthBound(const Sampling::TFigure& figure);

// Newton's method from the midpoints of the candidate's three chords: a first step of
// at most 3/4 of each chord, separation checks (also across the seam), then
// RefineTriple. True with the normalized triple in u and its quality; false when any
// check fails or the quality is not below QualityLimit (u and quality are then
// unspecified). A singular Jacobian gives a zero first step, as in RefineTriple.
bool SolveCandidate(const Sampling::TFigure& figure, const TriangleCandidate& cand, Triple& u, long double& quality);

// Up to 11 Newton passes on u in place, stopping early when u leaves
// [TMin - 12h, TMax + 12h] of `figure` or after more than five non-improving passes.
// Answers TripleQuality(figure, u), or NoQuality when u left the interval (by 12h
// during the passes, by more than one step at the end).
long double RefineTriple(const Sampling::TFigure& figure, Triple& u);

// The residuals R (reciprocal products of the tangent lines at u1, u2, u3 pairwise)
// and their Jacobian J, from the stored samples only. RangeError for a parameter that
// is NaN or maps outside the sample buffer (more than a period away from [TMin, TMax]).
void TripleFrame(const Sampling::TFigure& figure, const Triple& u, TVector3& r, Matrix3& j);

// The Newton step -J^-1 R by Cramer's rule; zero when |det J| <= SingularDeterminant,
// so that no division by a vanishing determinant happens.
TVector3 NewtonStep(const Matrix3& j, const TVector3& r);

// How far the three points and tangents at u are from one plane: 0 for a tritangent
// plane, weighted up as parameters approach each other. NoQuality when two points are
// closer than ChordScale in space or than 2^-12 of a period in parameter.
long double TripleQuality(const Sampling::TFigure& figure, const Triple& u);

// Moves each parameter into [TMin, TMax] by one period (below first, then above) and
// sorts the three ascending.
void NormalizeTriple(const Sampling::TFigure& figure, Triple& u);

// Point, first and second derivative of the curve at u, interpolated from the stored
// samples (quadratic, cubic and quartic through the nearest samples; the curve is taken
// as closed, sample 4,096 being sample 0).
struct CurveJet {
  TVector3 P, T, A;
};
CurveJet JetAt(const Sampling::TFigure& figure, long double u);

// What the search keeps while it runs over the candidates: the curve and its figure, the
// frame both are taken in, the bound of the curve's
// width (CurveWidthBound), the jet at the middle of every segment, the number of faces
// found so far, and per segment the numbers of the faces one of whose contacts it
// holds. Index: segment 1..high.
struct SearchState {
  SearchState(const FunPars::TCurve& curve, const Sampling::TFigure& figure, const AnalysisFrame::TFrame& frame)
      : Curve(curve), Figure(figure), Frame(frame) {}
  const FunPars::TCurve& Curve;
  const Sampling::TFigure& Figure;
  AnalysisFrame::TFrame Frame;
  long double WidthBound = 0;
  std::vector<CurveJet> MiddleJets;
  // Side by side, as the first screen reads them for every candidate: the middle
  // tangent of each segment with its padded length (the screens' divisor).
  struct MiddleTangent {
    TVector3 T;
    long double Length = 0;
  };
  std::vector<MiddleTangent> MiddleTangents;
  // The padded lengths of the curve points' tangents, and side by side the curve
  // points the near-plane cut looks at (every CurvePointHigh / 64 + 1-th).
  std::vector<long double> TangentLengths;
  std::vector<TVector3> SpreadPoints;
  // The same in doubles, one array per coordinate, with each point's largest coordinate
  // magnitude; empty unless every coordinate lies in the range doubles multiply safely.
  std::vector<double> SpreadX, SpreadY, SpreadZ, SpreadMax;
  // Per segment, how far its middle may lie from a supporting plane touching it, over
  // its parameter length squared: |A| of the middle jet times that length squared. Only
  // when ScreensRaiseNothing; empty otherwise.
  std::vector<long double> SegmentBends;
  // Per segment, how far the tangents at its ends, over their padded lengths, lie from
  // its middle tangent over its own: the greater of the two distances. Only when
  // ScreensRaiseNothing; empty otherwise.
  std::vector<long double> TangentSpreads;
  int Faces = 0;
  std::vector<std::vector<int>> SegmentFaces;
  long long Solved = 0;  // candidates that passed the screens
  // Set once a candidate's plane holds every curve point: the curve is planar after
  // all, which the three points tried at the start may not show (a curve stretched far
  // more along one axis than across it), and the search ends there.
  bool CurveIsPlanar = false;
  // Set when every value the screens read is Moderate: they then raise no flag of
  // overflow, division by zero or invalid operation, so that they may run ahead of the
  // candidates' turn, side by side.
  bool ScreensRaiseNothing = false;
};

// What the candidates of linked segments I < L share: the cross product of their middle
// tangents and the product of the tangents' padded lengths (SearchState::MiddleTangents);
// and, kept by the first candidate that needs them, the step from the middle of I to
// that of L and its length, and the middle tangent of I crossed with the tangents at
// the ends of L.
struct LinkedPair {
  int I = 0, L = 0;
  TVector3 Cross;
  long double Lengths = 0;
  mutable std::optional<TVector3> FirstToSecond, ByBefore, ByAfter;
  mutable std::optional<long double> FirstSide;
};

// The candidate of the linked segments pair.I < pair.L < m: screened at the middles of
// its segments (coplanar tangents), skipped when all three hold contacts of one known
// face; otherwise screened further (the middle tangent, at the middle or either end of
// its segment, near the plane of the three points; the plane through the middles not
// cutting the curve deeper than a supporting plane touching those segments could; a
// plane that is not the curve's own), solved, and its plane added as a new face (AddFlatFace) when it
// supports the curve (into `analysis`). A rejected candidate leaves no trace, except
// that a plane holding the whole curve sets state.CurveIsPlanar.
void CheckCandidate(const LinkedPair& pair, int m, SearchState& state, Bitangents::TAnalysis& analysis);

}  // namespace Tritangents
