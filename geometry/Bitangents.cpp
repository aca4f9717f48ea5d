#include "geometry/Bitangents.h"

#include <algorithm>
#include <cmath>

#include "formula/Checks.h"
#include "geometry/BitangentsInternal.h"
#include "geometry/Random.h"
#include "geometry/SharedState.h"
#include "geometry/Tritangents.h"

namespace Bitangents {

void Initialize() {
  SeedFractions = {1.0L / 6, 1.0L / 2, 5.0L / 6};
  for (int k = 0; k < 16; ++k) {
    const long double a = k * Glob::Pi / 8;
    ProbeDirections[k] = {std::cos(a), std::sin(a)};
  }
}

long double Margin(long double s, long double t) {
  using namespace Glob;
  const long double a = THalfSpan - std::fabs(s - TMid), b = THalfSpan - std::fabs(t - TMid);
  // A NaN parameter gives a NaN margin, which no "inside" test accepts.
  return a < b || std::isnan(a) ? a : b;
}

void AppendRecord(const BitangentRecord& r) {
  // The array grows by a fixed step of 100; the vector's own capacity doubling keeps
  // the cost of these steps linear overall.
  if (static_cast<long long>(BitangentList.size()) - 1 <= BitangentCount)
    BitangentList.resize(static_cast<std::size_t>(BitangentCount) + 100);
  ++BitangentCount;
  BitangentList[BitangentCount] = r;
}

std::int32_t CellOf(long double u) { return FloorChecked((u - Glob::TMin) / CellStep); }

namespace {

long double ProbeParam(const std::array<long double, 21>& grid, int i, int a) {
  return grid[i] + SeedFractions[a] * Glob::TStep20;
}

const ParamPoints& ProbePoints(ProbePointsTable& table, const std::array<long double, 21>& grid, int i, int a) {
  if (!table.Ready[i][a]) {
    table.Points[i][a] = ResidualPoints(ProbeParam(grid, i, a));
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
bool NearVisited(std::int32_t g, std::int32_t k) {
  for (std::int32_t a = std::max(g - 1, 0); a <= std::min(g + 1, CellCount - 1); ++a)
    for (std::int32_t b = std::max(k - 1, 0); b <= std::min(k + 1, CellCount - 1); ++b)
      if (VisitedCells[a][b] != 0) return true;
  return false;
}

bool FreeSeedCell(const BitangentRecord& r, std::int32_t& g, std::int32_t& k) {
  g = CellOf(r.ParamS);
  k = CellOf(r.ParamT);
  return g >= 0 && g < CellCount - 1 && k >= 0 && k < CellCount - 1 && !NearVisited(g, k);
}

namespace {

// The pair across the seam from border end e: each parameter within 1e-6 TSpan of a
// border moved to the opposite border, BorderInset inside it.
Pair AcrossSeam(const Pair& e) {
  using namespace Glob;
  const auto wrap = [](long double u) {
    const long double near = 1e-6L * TSpan, inset = BorderInset();
    if (u - TMin < near) return TMax - inset;
    if (TMax - u < near) return TMin + inset;
    return u;
  };
  return {wrap(e.x), wrap(e.y)};
}

// Traces the branch through the bitangent pair nearest to x on the border that x lies
// at, when its cell and their neighbours are unvisited.
void TraceFromBorder(const Pair& x, bool alongT) {
  // The corrector moves along the border (across the line to ref).
  const Pair ref = alongT ? Pair{x.x + 1, x.y} : Pair{x.x, x.y + 1};
  BitangentRecord r;
  long double acc;
  if (!CorrectPair(x, ref, CorrectMode::Perpendicular, acc, r) ||
      !(std::hypot(r.ParamS - x.x, r.ParamT - x.y) < 2 * Glob::ArcStepMax) || !PairPlaneNormal(r))
    return;
  std::int32_t g, k;
  if (!FreeSeedCell(r, g, k)) return;
  // Taken before tracing and kept after it (the trace frees its seed's cell for the
  // second direction), so that no later border end starts here again: at a corner of
  // the square the two ends of one branch are each other's continuation.
  VisitedCells[g][k] = 1;
  TraceBranch(r, g, k);
  VisitedCells[g][k] = 1;
}

}  // namespace

void TraceAcrossSeams() {
  while (!BorderEnds.empty()) {
    const Pair e = BorderEnds.back();
    BorderEnds.pop_back();
    const Pair x = AcrossSeam(e);
    const bool atS = x.x != e.x;
    // The residual is symmetric: (t, s) continues across the seam as (s, t) does; the
    // copy with t >= s is the one drawn.
    if (x.y >= x.x)
      TraceFromBorder(x, atS);
    else
      TraceFromBorder({x.y, x.x}, !atS);
  }
}

void TraceSeed(const BitangentRecord& r) {
  std::int32_t g, k;
  if (!FreeSeedCell(r, g, k)) return;
  TraceBranch(r, g, k);
  TraceAcrossSeams();
}

bool FindSeed(int i, int j, BitangentRecord& r) {
  CheckIndex(i, 20);
  CheckIndex(j, 20);
  Pair best{ProbeParam(SeedGridS, i, 0), ProbeParam(SeedGridT, j, 0)};
  int bestA = 0, bestB = 0;
  long double bestValue = 1e100L;
  for (int a = 0; a < 3; ++a)
    for (int b = 0; b < 3; ++b) {
      const Pair probe{ProbeParam(SeedGridS, i, a), ProbeParam(SeedGridT, j, b)};
      // The curve points at the probe's parameters are those of every cell in its
      // row or column: evaluated once per analysis.
      const ParamPoints& atS = ProbePoints(ProbePointsS, SeedGridS, i, a);
      const ParamPoints& atT = ProbePoints(ProbePointsT, SeedGridT, j, b);
      const long double value = std::fabs(ResidualWith(probe, atS, atT).F);
      // Only a strictly smaller value wins: of equal residuals the earlier probe stays.
      if (value < bestValue) {
        bestValue = value;
        best = probe;
        bestA = a;
        bestB = b;
      }
    }
  BitangentRecord w;
  long double acc;
  if (!CorrectPair(best, best, CorrectMode::Gradient, acc, w, &ProbePointsS.Points[i][bestA],
                   &ProbePointsT.Points[j][bestB]))
    return false;
  // The corrector's early success does not look at the position, hence the margin test.
  const bool found = Margin(w.ParamS, w.ParamT) > 0 && PairPlaneNormal(w);
  r = w;
  return found;
}

void StartAnalysis() {
  using namespace Glob;
  BitangentCount = 0;
  Tritangents::TritangentCount = 0;
  BitangentList.clear();
  BitangentList.resize(1000);
  Random::Reseed();
  SquareScaleS = SquareScaleT = 300 / (TMax - TMin);
  PairTolerance = FigureDiagonal * 1e-7L;
  SeedGridS[0] = SeedGridT[0] = TMin;
  for (int k = 1; k <= 20; ++k) {
    SeedGridS[k] = SeedGridS[k - 1] + TStep20;
    SeedGridT[k] = SeedGridT[k - 1] + TStep20;
  }
  NewtonStepCap = 0.4L * TStep20;
  const long double fineness = std::floor(CurveWaves() / ResolutionWaves) + 1;
  ResolutionCut = fineness > MaxFineness;
  Fineness = ResolutionCut ? MaxFineness : static_cast<int>(fineness);
  CellCount = 160 * Fineness + 1;
  CellStep = TStep160 / Fineness;
  ProbeRadius = TSpan / (400 * Fineness);
  ArcStepMax = 5 * ProbeRadius;
  VisitedCells.assign(std::size_t(CellCount), std::vector<std::uint8_t>(std::size_t(CellCount), 0));
  CrossingSeeds.clear();
  BorderEnds.clear();
  for (ProbePointsTable* table : {&ProbePointsS, &ProbePointsT})
    for (auto& row : table->Ready) row.fill(false);
}

void AnalyzeBitangents() {
  // Runs in the figure's own units and maps the records back on leaving; a single
  // point has no bitangents.
  const AnalysisFrame::Scope frame;
  StartAnalysis();
  if (!frame.Analysable()) return;
  // The flat faces first: their edges seed the strips that begin there.
  Tritangents::FindTritangents();
  BitangentRecord r;
  for (int i = 0; i < 20; ++i)
    for (int j = 0; j < 20; ++j)
      if (FindSeed(i, j, r)) TraceSeed(r);
  SeedStripEnds();
  // Each seed traced marks a cell not visited before, so this ends.
  while (!CrossingSeeds.empty()) {
    const BitangentRecord seed = CrossingSeeds.back();
    CrossingSeeds.pop_back();
    TraceSeed(seed);
  }
}

}  // namespace Bitangents
