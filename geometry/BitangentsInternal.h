// The working parts of the bitangent analysis: its constants and per-run state, the
// residual and its Newton corrector, the seed search and the branch tracer. The
// drawing sequence needs only geometry/Bitangents.h; this header exists for the
// analysis' own files and its tests.
#pragma once

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "formula/FunPars.h"
#include "geometry/AnalysisFrame.h"
#include "geometry/Bitangents.h"
#include "geometry/Sampling.h"
#include "geometry/SharedState.h"
#include "geometry/WorkCounters.h"

namespace Bitangents {

// A pair (s, t) of the parameter square: x is s, y is t.
using Pair = TVector2;

// How much finer than for a curve of a few waves the tracing resolves the square: 1,
// or one more for every ResolutionWaves waves of the curve (its total turning over
// 2 pi), at most MaxFineness (ResolutionCut, in Bitangents.h, tells that the curve
// asked for more).
// The visited cells, the probe radius and the arc step all shrink by this factor: a
// curve of K waves has about 2K strips along the diagonal of the square, each about
// TSpan / K long, and a step or cell of their length skips them.
inline constexpr long double ResolutionWaves = 16;
inline constexpr int MaxFineness = 12;

// Probe offsets inside a seed cell in units of TStep20.
inline constexpr std::array<long double, 3> SeedFractions{1.0L / 6, 1.0L / 2, 5.0L / 6};

// The four curve points that the residual and its gradient take at one parameter y of
// a pair away from the diagonal: E(y - 1.5h), E(y), E(y + h/2), E(y + 1.5h); b, E(y - h/2),
// only completes the five-point stencil at the midpoint of a pair near it.
struct ParamPoints {
  TVector3 a, c, d, e;
  TVector3 b;
};

// The probes of the seed cells lie at SeedGrid[i] + SeedFractions[a] TStep20 (i 0..19,
// a 0..2) on both axes, so every row and every column of cells shares its parameters.
// ResidualPoints of each, evaluated when first needed.
struct ProbePointsTable {
  std::array<std::array<ParamPoints, 3>, 20> Points;
  std::array<std::array<bool, 3>, 20> Ready{};
};

// A ball and a box around a run of consecutive curve points (First..Last), both about
// Centre: a plane that clears either needs none of its points looked at to know that
// they lie on its side. The ball of a group of runs is followed by the Runs balls of
// its runs (Runs is 0 for a run's own).
struct PointBall {
  TVector3 Centre, HalfWidth;
  // Radius: of the ball; Reach: |Centre| + Radius, what the rounding of a distance scales with.
  long double Radius = 0, Reach = 0;
  int First = 0, Last = 0, Runs = 0;
};
using PointBalls = std::vector<PointBall>;

// The working state of one analysis, made by StartAnalysis and passed to every step.
struct TTracing {
  // The analysis being built.
  TAnalysis* Analysis = nullptr;
  // The compiled curve, and its sampled figure in the figure's own units
  // (AnalysisFrame) that the curve is evaluated in.
  const FunPars::TCurve* Curve = nullptr;
  Sampling::TFigure Figure;
  AnalysisFrame::TFrame Frame;
  int Fineness = 1;
  // 1 where a traced branch has passed. Cell G covers s in
  // [TMin + G CellStep, TMin + (G + 1) CellStep), likewise K for t, with CellStep =
  // TStep160 / Fineness; index CellCount - 1 (= 160 Fineness) is never seeded.
  int CellCount = 161;
  long double CellStep = 0;
  std::vector<std::vector<std::uint8_t>> VisitedCells;
  // Left and lower edges of the 20 x 20 seed cells (entries 0..20), the same on both axes.
  std::array<long double, 21> SeedGrid{};
  // Seeds beyond the crossings of the curve where a branch ran into another, added
  // while tracing and traced after the grid's seeds.
  std::vector<BitangentRecord> CrossingSeeds;
  // The bound of the corrector's first step, and the residual below which a pair
  // counts as a bitangent pair (relative to the figure's size).
  long double NewtonStepCap = 0, PairTolerance = 0;
  // PointNoise of the frame, which every residual reads.
  long double PointNoise = 0;
  // The distance of the first points of a branch from its seed, and the longest arc
  // of a continuation step, both in parameter units.
  long double ProbeRadius = 0, ArcStepMax = 0;
  ProbePointsTable ProbePoints;
  // Pairs where traced branches ran into the square's border, a hair inside it. The
  // curve is closed, so each branch goes on from the opposite border (across the
  // seam); a continuation too short to hold a seed of the grid is found only from here.
  std::vector<Pair> BorderEnds;
  // Balls and boxes around runs of the curve points in force, for the support tests.
  PointBalls SupportBalls;
};

// Balls and boxes around runs of 16 consecutive curve points 0..CurvePointHigh of
// `figure`, each group of 4 runs led by the ball and box of all its points, each rounded
// up; none without curve points. A run or group holding a NaN point has a NaN ball.
PointBalls BallsOfCurvePoints(const Sampling::TFigure& figure);
// SupportTest(figure, r), the same verdict and normal, with `balls` the
// BallsOfCurvePoints of `figure`: the runs whose ball or box the plane clears on the
// sides still in question are passed over.
void SupportTest(const Sampling::TFigure& figure, const PointBalls& balls, BitangentRecord& r);

// How deep the plane of r (a unit normal) cuts the curve: the lesser of the distances
// by which curve points reach beyond SupportTolerance on either side, over the points
// the support test looks at first, and a bound on their distance from the middle of
// r's chord (Reach). A plane moved by less than Depth at each of those points still
// cuts the curve. Both 0 when the plane does not cut it so, and for a NaN point or plane.
struct CutDepth {
  long double Depth = 0, Reach = 0;
};
CutDepth CutDepthOf(const Sampling::TFigure& figure, const BitangentRecord& r);

// How far (in the figure's units, AnalysisFrame) curve points may lie beyond the plane
// of a pair that supports the curve: far above the rounding and the corrector's
// tolerance, far below a pixel of the picture.
inline constexpr long double SupportTolerance = 1e-6L;

// The corrector gives up after this many Newton passes. A healthy iteration converges
// in a handful; only one that keeps contracting without reaching the tolerance, or one
// whose residual became NaN (then neither end test ever holds), gets this far.
inline constexpr int MaxCorrectorPasses = 100;

// More records than this between two traced points means a distance of absurd size
// (normal curves need fewer than a hundred); FillBySpacing refuses it with RangeError.
inline constexpr std::int32_t MaxFillRecords = 10000;

// The first part of an analysis: empties `analysis` (a BitangentList of length 1000),
// sets its square's scales from the figure's t interval and its ResolutionCut, and
// answers the working state that builds it from `curve` and `figure`, both taken in
// `frame` (the figure already mapped into it, AnalysisFrame::FrameFigure):
// PairTolerance, the seed grids and NewtonStepCap from the t interval and figure,
// PointNoise from the frame,
// Fineness, CellStep, ProbeRadius and ArcStepMax from the curve's samples, no cell
// visited, no seeds or border ends, no probe points evaluated, the support balls of
// the curve points in force.
TTracing StartAnalysis(TAnalysis& analysis, const FunPars::TCurve& curve, Sampling::TFigure figure,
                       const AnalysisFrame::TFrame& frame = {});

// The rounding error of one curve point in `frame`: two halves of a unit in the last
// place of the largest world coordinate (the figure lies within a diagonal of its
// centre), over the frame's unit. A curve placed far from the origin carries the
// rounding of its position in every point. NaN for a NaN centre or unit.
long double PointNoise(const AnalysisFrame::TFrame& frame);

// The point of `curve` at y in `frame`; counted in WorkCounters.
inline TVector3 CurvePoint(const FunPars::TCurve& curve, const AnalysisFrame::TFrame& frame, long double y) {
  WorkCounters::CountEvaluation();
  TVector3 p;
  FunPars::EvalCurve(curve, y, p);
  return frame.ToFrame(p);
}

// The curve point at y of the analysis `w` works on, in its frame.
inline TVector3 CurvePoint(const TTracing& w, long double y) { return CurvePoint(*w.Curve, w.Frame, y); }

// PairPlaneNormal of r on the curve of the analysis `w` works on.
inline bool PairPlaneNormal(const TTracing& w, BitangentRecord& r) {
  return PairPlaneNormal(*w.Curve, w.Figure.Param, w.Frame, r);
}

// The residual is symmetric in s and t, so the half of the square below the diagonal
// (t < s) mirrors the half above it: only the upper half is traced, and its polylines
// are copied across at the end. Mirrored answers r with s and t, and their curve
// points, exchanged (the same plane); UpperOf answers r, or Mirrored(r) when r lies
// below the diagonal.
inline BitangentRecord Mirrored(BitangentRecord r) {
  std::swap(r.ParamS, r.ParamT);
  std::swap(r.PointS, r.PointT);
  return r;
}
inline BitangentRecord UpperOf(const BitangentRecord& r) { return r.ParamT < r.ParamS ? Mirrored(r) : r; }

// Appends r to the analysis as record BitangentCount + 1, lengthening the array by 100
// when it is full.
void AppendRecord(TTracing& w, const BitangentRecord& r);

// Cell index of a parameter, Floor((u - TMin) / CellStep); RangeError for NaN or huge.
std::int32_t CellOf(const TTracing& w, long double u);

// The residual of a pair: F = T(s) . ((P(t) - P(s)) x T(t)) / sigma^4, continued by
// the torsion-like determinant of the first three derivatives where sigma <= TStep;
// W is the (unnormalised) plane normal, PointS and PointT the curve points.
// Noise bounds the error of F caused by the rounding of the curve points alone.
struct Residual {
  long double F = 0, Noise = 0;
  // Away from the diagonal F = Spread sin a, a the angle between the tangent at s and
  // the plane through the chord along the tangent at t; 0 near it.
  long double Spread = 0;
  TVector3 PointS, PointT, W;
};

// Eight curve evaluations away from the diagonal (periodic distance sigma > TStep),
// seven near it; near it the derivatives are taken at the midpoint, moved by THalfSpan
// when the pair straddles the seam. Symmetric in s and t. No checks: NaN passes through.
Residual BitangentResidual(const TTracing& w, const Pair& x);

ParamPoints ResidualPoints(const TTracing& w, long double y);

// The ResidualPoints of the parameters met so far among a few pairs that share some
// (the probes around one seed: opposite probes often have the same s or t to the last
// bit), each evaluated once. Parameters are the same when their bits are; a NaN is
// never found.
class ParamPointsMemo {
 public:
  // ResidualPoints(w, y), evaluated and kept when y was not met before (and the memo
  // is not full).
  ParamPoints At(const TTracing& w, long double y);
  // The points kept for y, or nullptr.
  const ParamPoints* Find(long double y) const;

 private:
  // A search of more than this many is no longer paid back.
  static constexpr std::size_t Capacity = 32;
  std::vector<std::pair<long double, ParamPoints>> kept_;
};

// BitangentResidual(x) with the points at s and at t taken from `memo`, evaluated
// there when new; near the diagonal, where they are not used, as BitangentResidual.
Residual ResidualFrom(const TTracing& w, const Pair& x, ParamPointsMemo& memo);

// BitangentResidual(x) from the points at s and at t, which must be ResidualPoints(x.x)
// and ResidualPoints(x.y) of the curve in force: the same value without evaluating
// them again. Near the diagonal, where they are not used, it evaluates as
// BitangentResidual does.
Residual ResidualWith(const TTracing& w, const Pair& x, const ParamPoints& atS, const ParamPoints& atT);

// The two partial derivatives (x: d/ds, y: d/dt) of the residual: ten curve
// evaluations away from the diagonal, seven near it (where both are equal).
Pair ResidualGradient(const TTracing& w, const Pair& x);

enum class CorrectMode { Gradient, Perpendicular };

// Newton corrector from `start` onto the zero set of the residual, stepping along the
// gradient or (Perpendicular) across the direction start - ref. Answers true with
// ParamS/T, PointS/T and PlaneNormal (= W, not unit) written into r when converged
// strictly inside the square; a start that already solves the residual succeeds at
// once wherever it lies, with acc = 0. Fails (r untouched) for a vanishing direction
// or denominator, a step not shorter than 0.9 of the previous one, or after
// MaxCorrectorPasses passes; a converged pair outside the square fails with r written.
// acc is the sum of the Newton multipliers. A caller that holds ResidualPoints of
// start's two parameters passes them in startS and startT, sparing their evaluation.
// With a memo, the points of the parameters it met before are taken from it, and those
// of new ones kept there. A pair away from the diagonal whose tangent at s leaves the
// plane of the chord and the tangent at t by less than `tilt` also counts as converged
// (a plane known to cut the curve deep needs no more).
bool CorrectPair(const TTracing& w, const Pair& start, const Pair& ref, CorrectMode mode, long double& acc,
                 BitangentRecord& r, const ParamPoints* startS = nullptr, const ParamPoints* startT = nullptr,
                 ParamPointsMemo* memo = nullptr, long double tilt = 0);

// Seed cell (i, j), 0..19 each: corrects the best of nine probes in the cell. True when
// a pair strictly inside the square with a plane normal was found (in r); r is also
// written when the corrected pair is refused, and untouched when correction failed.
// The correction reads and fills `memo` when one is given (CorrectPair).
bool FindSeed(TTracing& w, int i, int j, BitangentRecord& r, ParamPointsMemo* memo = nullptr);

// True when cell (g, k) or one of its eight neighbours has been crossed by a branch: a
// seed there would trace that branch again.
bool NearVisited(const TTracing& w, std::int32_t g, std::int32_t k);

// True, with r's cell in (g, k), when that cell lies among the seeded cells (not the
// last row or column) and neither it nor a neighbour has been crossed by a branch.
bool FreeSeedCell(const TTracing& w, const BitangentRecord& r, std::int32_t& g, std::int32_t& k);

// Traces from r (a pair strictly inside the square with a plane normal, on or above the
// diagonal) unless its cell lies outside the seeded cells or it or one of its
// neighbours is visited, then the continuations across the seams of what it traced.
void TraceSeed(TTracing& w, const BitangentRecord& r);

// The number of waves of the sampled curve: its total turning (the angles between
// consecutive chords of `figure`'s samples) over 2 pi. 0 for fewer than three distinct
// samples.
long double CurveWaves(const Sampling::TFigure& figure);

// Extra seeds where strips of the hull end, beyond the reach of the seed grid on a
// curve of many waves: the pairs of neighbouring contacts of every flat face (an edge
// of the face, where a strip begins) and the points of the diagonal where the torsion
// changes sign (where a strip closes onto the curve). Each is corrected and traced when
// its cell and its neighbours are unvisited.
void SeedStripEnds(TTracing& w);

// Traces the bitangent curve through `seed` (on or above the diagonal, in cell (g, k))
// in both directions and appends one polyline per direction found, leaving the seed's
// cell marked; a lone seed is appended twice. A direction that crosses the diagonal
// ends at the pair on it, and one that leaves the seed below it is not traced. A
// direction that reaches the border ends at the bitangent pair there, which goes to
// BorderEnds; from a seed on the border, the direction that leaves the square at once is
// not traced (it goes back across the seam).
void TraceBranch(TTracing& w, BitangentRecord seed, int g, int k);

// How far inside the square pairs at its border are taken: 1e-9 TSpan.
inline long double BorderInset(const Glob::TParamConstants& param) { return 1e-9L * param.TSpan; }

// Traces from the opposite border the continuation of every pair in BorderEnds (and of
// the border ends those traces add) whose cell no branch has visited; empties the list.
void TraceAcrossSeams(TTracing& w);

// The first points on the two sides of the seed, at about ProbeRadius: answers how
// many were found (0..2), stored in dirs[1], then dirs[2]; dirs[0] is not used.
int StartDirections(const TTracing& w, const BitangentRecord& seed, std::array<BitangentRecord, 3>& dirs);

// The last three points of a branch (Pc the newest), the pair of the last step, and
// whether that step left the square.
struct TraceState {
  Pair Pa, Pb, Pc, Next;
  bool Leaves = false;
};

// How far the plane of a branch may turn in one step: StepTurn, up to MaxOffHullTurn
// where the plane cuts the curve so deep that no turn that large can make it support
// the curve (the step cannot pass over a piece of the branch on the hull).
inline constexpr long double StepTurn = 0.1L, MaxOffHullTurn = 0.4L;
// Off the hull, where records are drawn in the parameter square only, a pair whose
// plane cuts the curve deep is corrected to within this tilt of a bitangent plane: a
// thousandth of the figure at its far side, far less than a pixel of the square.
inline constexpr long double MaxLooseTilt = 1e-3L;

// One continuation step: predicts on the circle through Pa, Pb, Pc (a long circle
// tangent at Pc when they are nearly collinear), the arc limited by ArcStepMax and by
// a turn of the plane by `turn`, going by its turn from na to nb over the last step,
// then corrects; halves the arc up to 11 times. An attempt succeeds when the corrector
// converges with a small multiplier sum to a pair strictly inside the square: true with
// the new pair in r and st.Next. False for a last step of (nearly) zero length or when
// all attempts fail; false with st.Leaves and the pair reached in st.Next when an
// attempt converges so to a pair on or beyond the border (the branch leaves the square
// within the step, and shorter steps would only creep up to the border).
bool CircleStep(const TTracing& tracing, TraceState& st, const TVector3& na, const TVector3& nb, BitangentRecord& r,
                long double turn = StepTurn, long double tilt = 0);

// Marks the cells of the straight walk from (g0, k0) to (g1, k1), both included, and
// answers whether a cell after the first was already marked (the walk still goes on to
// the end). RangeError for a cell outside 0..160.
bool MarkPath(TTracing& w, int g0, int k0, int g1, int k1);

// Append classified records strictly between prev and cur, at pairs of the straight
// segment of their pairs corrected back onto the branch across it.
// FillByTurn: when the planes of prev and cur turn by more than MaxFillTurn, pairs
// marched from prev (from cur when fromCur) in pieces of ArcStepMax / 2^k, k at most
// MaxFillHalvings, each the longest that keeps the turn between neighbouring planes
// within MaxFillTurn (at the finest, taken as it is); a piece whose pair does not
// correct near the segment or has no plane normal is halved, and at the finest ends the
// march. Appended in the order from prev to cur. Degenerate normals: nothing.
// FillBySpacing: evenly spaced, one per FillSpacing of screen-plane distance moved by
// the two curve points; a pair that does not correct is left out, and the first pair
// without a plane normal ends the insertion. It throws RangeError for a NaN or absurd
// distance (more than MaxFillRecords records).
inline constexpr long double MaxFillTurn = 0.1L;
inline constexpr int MaxFillHalvings = 12;
void FillByTurn(TTracing& w, const BitangentRecord& prev, const BitangentRecord& cur, bool fromCur = false);
void FillBySpacing(TTracing& w, const BitangentRecord& prev, const BitangentRecord& cur);

}  // namespace Bitangents
