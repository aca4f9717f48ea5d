#include "geometry/Bitangents.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <utility>
#include <vector>

#include "formula/Checks.h"
#include "geometry/BitangentsInternal.h"
#include "geometry/Parallel.h"
#include "geometry/SeedTracing.h"
#include "geometry/Sampling.h"
#include "geometry/SharedState.h"
#include "geometry/Tritangents.h"

namespace Bitangents {

long double Margin(const Glob::TParamConstants& param, long double s, long double t) {
  const long double a = param.THalfSpan - std::fabs(s - param.TMid), b = param.THalfSpan - std::fabs(t - param.TMid);
  // A NaN parameter gives a NaN margin, which no "inside" test accepts.
  return a < b || std::isnan(a) ? a : b;
}

void AppendRecord(TTracing& w, const BitangentRecord& r) {
  BitangData& list = w.Analysis->BitangentList;
  std::int32_t& count = w.Analysis->BitangentCount;
  // The array grows by a fixed step of 100; the vector's own capacity doubling keeps
  // the cost of these steps linear overall.
  if (static_cast<long long>(list.size()) - 1 <= count) list.resize(static_cast<std::size_t>(count) + 100);
  ++count;
  list[count] = r;
}

std::int32_t CellOf(const TTracing& w, long double u) { return FloorChecked((u - w.Figure.Param.TMin) / w.CellStep); }

namespace {

long double ProbeParam(const TTracing& w, const std::array<long double, 21>& grid, int i, int a) {
  return grid[i] + SeedFractions[a] * w.Figure.Param.TStep20;
}

const ParamPoints& ProbePoints(TTracing& w, int i, int a) {
  ProbePointsTable& table = w.ProbePoints;
  if (!table.Ready[i][a]) {
    const long double y = ProbeParam(w, w.SeedGrid, i, a);
    ParamPoints& q = table.Points[i][a];
    q = ResidualPoints(w, y);
    table.Ready[i][a] = true;
  }
  return table.Points[i][a];
}

}  // namespace

// True when cell (g, k) or one of its eight neighbours has been crossed by a branch.
// A seed there is that branch again: the walk between two traced points marks the
// cells of a straight line, so a branch passing near a cell's corner may have marked
// the neighbour of the cell its seed falls in, and a trace from such a seed would run
// alongside it, cell by cell, covering the same strip of the hull twice.
bool NearVisited(const TTracing& w, std::int32_t g, std::int32_t k) {
  for (std::int32_t a = std::max(g - 1, 0); a <= std::min(g + 1, w.CellCount - 1); ++a)
    for (std::int32_t b = std::max(k - 1, 0); b <= std::min(k + 1, w.CellCount - 1); ++b)
      if (w.VisitedCells[a][b] != 0) return true;
  return false;
}

bool FreeSeedCell(const TTracing& w, const BitangentRecord& r, std::int32_t& g, std::int32_t& k) {
  g = CellOf(w, r.ParamS);
  k = CellOf(w, r.ParamT);
  return g >= 0 && g < w.CellCount - 1 && k >= 0 && k < w.CellCount - 1 && !NearVisited(w, g, k);
}

namespace {

// The pair across the seam from border end e: each parameter within 1e-6 TSpan of a
// border moved to the opposite border, BorderInset inside it.
Pair AcrossSeam(const Glob::TParamConstants& param, const Pair& e) {
  const auto wrap = [&param](long double u) {
    const long double near = 1e-6L * param.TSpan, inset = BorderInset(param);
    if (u - param.TMin < near) return param.TMax - inset;
    if (param.TMax - u < near) return param.TMin + inset;
    return u;
  };
  return {wrap(e.x), wrap(e.y)};
}

// Traces the branch through the bitangent pair nearest to x on the border that x lies
// at, when its cell and their neighbours are unvisited.
void TraceFromBorder(TTracing& w, const Pair& x, bool alongT) {
  // The corrector moves along the border (across the line to ref).
  const Pair ref = alongT ? Pair{x.x + 1, x.y} : Pair{x.x, x.y + 1};
  BitangentRecord r;
  long double acc;
  if (!CorrectPair(w, x, ref, CorrectMode::Perpendicular, acc, r) ||
      !(std::hypot(r.ParamS - x.x, r.ParamT - x.y) < 2 * w.ArcStepMax) || !PairPlaneNormal(w, r))
    return;
  std::int32_t g, k;
  r = UpperOf(r);
  if (FreeSeedCell(w, r, g, k)) TraceBranch(w, r, g, k);
}

// Corrects the seeds of the grid's cells on and above the diagonal (those below mirror
// them) and traces them in the grid's order. The corrections read only the curve and
// the probe points: with every probe point evaluated first, they are made side by side.
void TraceGrid(TTracing& w) {
  for (int i = 0; i < 20; ++i)
    for (int a = 0; a < 3; ++a) ProbePoints(w, i, a);
  std::vector<int> above;
  for (int c = 0; c < 400; ++c)
    if (c / 20 <= c % 20) above.push_back(c);
  FindAndTraceSeeds(w, static_cast<int>(above.size()), 0, [&](int n, BitangentRecord& r) {
    ParamPointsMemo memo;
    return FindSeed(w, above[n] / 20, above[n] % 20, r, &memo);
  });
}

// Appends the mirror image of every record traced, in the same order: the polylines of
// the half below the diagonal. Of a pair on the diagonal, where a strip closes onto the
// curve, the copy is taken a unit in the last place below it, so that only the traced
// one is drawn (the pictures draw the records with t >= s).
void AppendMirrors(TTracing& w) {
  const std::int32_t traced = w.Analysis->BitangentCount;
  // One allocation for the copies: growing by 100 at a time, the list would be moved
  // again on the way.
  w.Analysis->BitangentList.reserve(2 * static_cast<std::size_t>(traced) + 101);
  for (std::int32_t n = 1; n <= traced; ++n) {
    BitangentRecord r = Mirrored(w.Analysis->BitangentList[n]);
    if (r.ParamT == r.ParamS) r.ParamT = std::nextafter(r.ParamT, -HUGE_VALL);
    AppendRecord(w, r);
  }
}

}  // namespace

void TraceAcrossSeams(TTracing& w) {
  while (!w.BorderEnds.empty()) {
    const Pair e = w.BorderEnds.back();
    w.BorderEnds.pop_back();
    const Pair x = AcrossSeam(w.Figure.Param, e);
    const bool atS = x.x != e.x;
    // The residual is symmetric: (t, s) continues across the seam as (s, t) does; the
    // copy with t >= s is the one drawn.
    if (x.y >= x.x)
      TraceFromBorder(w, x, atS);
    else
      TraceFromBorder(w, {x.y, x.x}, !atS);
  }
}

void TraceSeed(TTracing& w, const BitangentRecord& r) {
  std::int32_t g, k;
  if (!FreeSeedCell(w, r, g, k)) return;
  TraceBranch(w, r, g, k);
  TraceAcrossSeams(w);
}

bool FindSeed(TTracing& w, int i, int j, BitangentRecord& r, ParamPointsMemo* memo) {
  CheckIndex(i, 20);
  CheckIndex(j, 20);
  Pair best{ProbeParam(w, w.SeedGrid, i, 0), ProbeParam(w, w.SeedGrid, j, 0)};
  int bestA = 0, bestB = 0;
  long double bestValue = 1e100L;
  for (int a = 0; a < 3; ++a)
    for (int b = 0; b < 3; ++b) {
      const Pair probe{ProbeParam(w, w.SeedGrid, i, a), ProbeParam(w, w.SeedGrid, j, b)};
      // The curve points at the probe's parameters are those of every cell in its
      // row or column, and of the cells across the diagonal: evaluated once per analysis.
      const ParamPoints& atS = ProbePoints(w, i, a);
      const ParamPoints& atT = ProbePoints(w, j, b);
      const long double value = std::fabs(ResidualWith(w, probe, atS, atT).F);
      // Only a strictly smaller value wins: of equal residuals the earlier probe stays.
      if (value < bestValue) {
        bestValue = value;
        best = probe;
        bestA = a;
        bestB = b;
      }
    }
  long double acc;
  BitangentRecord c;
  if (!CorrectPair(w, best, best, CorrectMode::Gradient, acc, c, &w.ProbePoints.Points[i][bestA],
                   &w.ProbePoints.Points[j][bestB], memo))
    return false;
  // The corrector's early success does not look at the position, hence the margin test.
  const bool found = Margin(w.Figure.Param, c.ParamS, c.ParamT) > 0 && PairPlaneNormal(w, c);
  r = c;
  return found;
}

TTracing StartAnalysis(TAnalysis& analysis, const FunPars::TCurve& curve, Sampling::TFigure figure,
                       const AnalysisFrame::TFrame& frame) {
  analysis = TAnalysis{};
  analysis.BitangentList.resize(1000);
  analysis.SquareScaleS = analysis.SquareScaleT = 300 / (figure.Param.TMax - figure.Param.TMin);
  TTracing w;
  w.Analysis = &analysis;
  w.Curve = &curve;
  w.Figure = std::move(figure);
  w.Frame = frame;
  w.PointNoise = PointNoise(frame);
  w.PairTolerance = w.Figure.FigureDiagonal * 1e-7L;
  w.SeedGrid[0] = w.Figure.Param.TMin;
  for (int k = 1; k <= 20; ++k) w.SeedGrid[k] = w.SeedGrid[k - 1] + w.Figure.Param.TStep20;
  w.NewtonStepCap = 0.4L * w.Figure.Param.TStep20;
  const long double fineness = std::floor(CurveWaves(w.Figure) / ResolutionWaves) + 1;
  analysis.ResolutionCut = fineness > MaxFineness;
  w.Fineness = analysis.ResolutionCut ? MaxFineness : static_cast<int>(fineness);
  w.CellCount = 160 * w.Fineness + 1;
  w.CellStep = w.Figure.Param.TStep160 / w.Fineness;
  w.ProbeRadius = w.Figure.Param.TSpan / (400 * w.Fineness);
  w.ArcStepMax = 5 * w.ProbeRadius;
  w.VisitedCells.assign(std::size_t(w.CellCount), std::vector<std::uint8_t>(std::size_t(w.CellCount), 0));
  w.SupportBalls = BallsOfCurvePoints(w.Figure);
  return w;
}

void AnalyzeBitangents(const FunPars::TCurve& curve, const Sampling::TFigure& figure, TAnalysis& analysis) {
  // Runs in the figure's own units and maps the records back on leaving; a single
  // point has no bitangents.
  AnalysisFrame::TFramedFigure framed = AnalysisFrame::FrameFigure(figure);
  TTracing w = StartAnalysis(analysis, curve, std::move(framed.Figure), framed.Frame);
  if (!framed.Analysable) return;
  const AnalysisFrame::Scope scope(w.Frame, analysis);
  // The flat faces are needed first where their edges seed the strips that begin there.
  // The search reads only the curve and the figure, and the grid's seeds read nothing of
  // it: it runs aside while they are traced, into members of `analysis` that the
  // tracing leaves alone, and its error comes first, as if it had run before.
  const auto searchFlatFaces = [&] { Tritangents::FindTritangents(curve, w.Figure, w.Frame, analysis); };
  std::exception_ptr gridError;
  const Parallel::TAside search = Parallel::RunAside(searchFlatFaces, [&w, &gridError] {
    try {
      TraceGrid(w);
    } catch (...) {
      gridError = std::current_exception();
    }
  });
  if (search.Done)
    search.TakeOver();
  else
    searchFlatFaces();
  if (gridError) std::rethrow_exception(gridError);
  SeedStripEnds(w);
  // Each seed traced marks a cell not visited before, so this ends.
  while (!w.CrossingSeeds.empty()) {
    const BitangentRecord seed = w.CrossingSeeds.back();
    w.CrossingSeeds.pop_back();
    TraceSeed(w, seed);
  }
  AppendMirrors(w);
}

}  // namespace Bitangents
