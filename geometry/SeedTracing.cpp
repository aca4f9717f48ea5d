#include "geometry/SeedTracing.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

#include "geometry/Parallel.h"

namespace Bitangents {

namespace {

// The cells of the copy traced aside: visited before the trace aside, visited by it.
// Both read as visited; 0 is free.
constexpr std::uint8_t VisitedBefore = 2, VisitedAside = 1;

struct TCell {
  std::int32_t G = 0, K = 0;
  auto operator<=>(const TCell&) const = default;
};

// A box of cells, rows G0..G1 and columns K0..K1; empty while G0 > G1.
struct TBox {
  std::int32_t G0 = 0, G1 = -1, K0 = 0, K1 = -1;
};

// The cell of a pair clamped into the grid; a NaN parameter widens the box to the grid.
void Include(const TTracing& w, TBox& box, const BitangentRecord& r) {
  const auto index = [&w](long double u) {
    const long double x = std::floor((u - w.Figure.Param.TMin) / w.CellStep);
    return std::isnan(x) ? -1 : static_cast<std::int32_t>(std::clamp<long double>(x, 0, w.CellCount - 1));
  };
  const std::int32_t g = index(r.ParamS), k = index(r.ParamT);
  if (g < 0 || k < 0) {
    box = {0, w.CellCount - 1, 0, w.CellCount - 1};
  } else if (box.G0 > box.G1) {
    box = {g, g, k, k};
  } else {
    box = {std::min(box.G0, g), std::max(box.G1, g), std::min(box.K0, k), std::max(box.K1, k)};
  }
}

// The box of the records first..BitangentCount of `analysis` and of `seeds`, one cell wider
// (the neighbours of a seed are read). A trace marks cells only on straight walks
// between the cells of records it appends, so its marks all lie in this box.
TBox BoxOf(const TTracing& w, const TAnalysis& analysis, std::int32_t first, const std::vector<BitangentRecord>& seeds) {
  TBox box;
  for (std::int32_t n = first; n <= analysis.BitangentCount; ++n) Include(w, box, analysis.BitangentList[n]);
  for (const BitangentRecord& r : seeds) Include(w, box, r);
  if (box.G0 > box.G1) return box;
  return {std::max(box.G0 - 1, 0), std::min(box.G1 + 1, w.CellCount - 1), std::max(box.K0 - 1, 0),
          std::min(box.K1 + 1, w.CellCount - 1)};
}

// Calls f(g, k) for every cell of the box.
template <class F>
void ForCells(const TBox& box, F f) {
  for (std::int32_t g = box.G0; g <= box.G1; ++g)
    for (std::int32_t k = box.K0; k <= box.K1; ++k) f(g, k);
}

// The working state a seed is traced aside in: the tracing state of `w` with records,
// seeds and border ends of its own and a copy of the visited cells, in which those
// visited before carry VisitedBefore.
struct TAsideTrace {
  TAnalysis Analysis;
  TTracing Work;

  explicit TAsideTrace(const TTracing& w) { CopyOf(w); }
  TAsideTrace(const TAsideTrace&) = delete;
  TAsideTrace& operator=(const TAsideTrace&) = delete;
  // Takes the state of `w` over afresh.
  void CopyOf(const TTracing& w) {
    Work = w;
    Work.Analysis = &Analysis;
    for (std::vector<std::uint8_t>& row : Work.VisitedCells)
      for (std::uint8_t& cell : row) cell = cell != 0 ? VisitedBefore : 0;
  }
  // No records or seeds yet, ready for the next seed.
  void Restart() {
    Analysis.BitangentList.assign(1, BitangentRecord{});
    Analysis.BitangentCount = 0;
    Work.CrossingSeeds.clear();
    Work.BorderEnds.clear();
  }
  // The cells of `box` as in `w` again.
  void Resync(const TTracing& w, const TBox& box) {
    ForCells(box, [&](std::int32_t g, std::int32_t k) {
      Work.VisitedCells[g][k] = w.VisitedCells[g][k] != 0 ? VisitedBefore : 0;
    });
  }
};

// True when the trace aside read what a trace in `w` would read now. A trace reads a
// cell's flag where it marks a cell (a free cell it then marks), and in the cell and
// eight neighbours of every seed it starts from or keeps (all free). Cells visited
// before stay visited, so only cells visited in `w` since (all within `changed`) can
// differ: the trace holds when none is among the cells it marked or next to its seeds.
bool AsideStillHolds(const TTracing& w, const TAsideTrace& aside, const TBox& changed, const TBox& read) {
  const TBox both{std::max(changed.G0, read.G0), std::min(changed.G1, read.G1), std::max(changed.K0, read.K0),
                  std::min(changed.K1, read.K1)};
  if (both.G0 > both.G1 || both.K0 > both.K1) return true;
  std::vector<TCell> since;
  bool marked = false;
  ForCells(both, [&](std::int32_t g, std::int32_t k) {
    const std::uint8_t copy = aside.Work.VisitedCells[g][k];
    if (w.VisitedCells[g][k] == 0 || copy == VisitedBefore) return;
    marked = marked || copy == VisitedAside;
    since.push_back({g, k});
  });
  if (marked) return false;
  if (since.empty()) return true;
  const auto nearSeed = [&](const BitangentRecord& r) {
    const std::int32_t g = CellOf(w, r.ParamS), k = CellOf(w, r.ParamT);
    for (std::int32_t a = g - 1; a <= g + 1; ++a)
      for (std::int32_t b = k - 1; b <= k + 1; ++b)
        if (std::binary_search(since.begin(), since.end(), TCell{a, b})) return true;
    return false;
  };
  for (std::int32_t n = 1; n <= aside.Analysis.BitangentCount; ++n)
    if (aside.Analysis.BitangentList[n].StartsBranch && nearSeed(aside.Analysis.BitangentList[n])) return false;
  return std::none_of(aside.Work.CrossingSeeds.begin(), aside.Work.CrossingSeeds.end(), nearSeed);
}

// Appends what the trace aside made to `w`, as if traced there.
void TakeAside(TTracing& w, const TAsideTrace& aside, const TBox& box) {
  for (std::int32_t n = 1; n <= aside.Analysis.BitangentCount; ++n) AppendRecord(w, aside.Analysis.BitangentList[n]);
  ForCells(box, [&](std::int32_t g, std::int32_t k) {
    if (aside.Work.VisitedCells[g][k] == VisitedAside) w.VisitedCells[g][k] = 1;
  });
  w.CrossingSeeds.insert(w.CrossingSeeds.end(), aside.Work.CrossingSeeds.begin(), aside.Work.CrossingSeeds.end());
}

}  // namespace

void TraceSeeds(TTracing& w, const std::vector<BitangentRecord>& seeds) {
  // On a curve of few waves most free seeds lie on branches that the trace before
  // reaches, and a trace aside is mostly lost; the many short strips of a curve of many
  // waves (finer cells) mostly trace apart.
  if (Parallel::Threads() < 2 || w.Fineness < 2) {
    for (const BitangentRecord& seed : seeds) TraceSeed(w, seed);
    return;
  }
  TAsideTrace aside(w);
  // The copy no longer follows `w` once seeds were traced without a trace aside.
  bool copyBehind = false;
  std::size_t i = 0;
  while (i < seeds.size()) {
    std::int32_t g, k;
    // A seed that is not free now stays so: nothing to trace ahead of it.
    if (!FreeSeedCell(w, seeds[i], g, k)) {
      ++i;
      continue;
    }
    // With every worker busy (the tritangent search runs beside the grid's seeds) a
    // trace offered aside would be traced here again after all.
    if (!Parallel::HelpAtHand()) {
      TraceSeed(w, seeds[i]);
      copyBehind = true;
      ++i;
      continue;
    }
    if (copyBehind) {
      aside.CopyOf(w);
      copyBehind = false;
    }
    std::size_t j = i + 1;
    while (j < seeds.size() && !FreeSeedCell(w, seeds[j], g, k)) ++j;
    if (j == seeds.size()) {
      TraceSeed(w, seeds[i]);
      break;
    }
    // Seed i here, seed j aside; the seeds between were not free before, so they are not
    // after seed i either.
    aside.Restart();
    const std::int32_t first = w.Analysis->BitangentCount + 1;
    const std::size_t crossings = w.CrossingSeeds.size();
    const Parallel::TAside traced =
        Parallel::RunAside([&] { TraceSeed(aside.Work, seeds[j]); }, [&] { TraceSeed(w, seeds[i]); });
    const std::vector<BitangentRecord> kept(w.CrossingSeeds.begin() + std::ptrdiff_t(crossings), w.CrossingSeeds.end());
    const TBox changed = BoxOf(w, *w.Analysis, first, kept);
    const TBox read = BoxOf(w, aside.Analysis, 1, aside.Work.CrossingSeeds);
    if (traced.Done && AsideStillHolds(w, aside, changed, read)) {
      traced.TakeOver();
      TakeAside(w, aside, read);
    } else {
      const std::int32_t again = w.Analysis->BitangentCount + 1;
      TraceSeed(w, seeds[j]);
      const TBox retraced = BoxOf(w, *w.Analysis, again, {});
      aside.Resync(w, retraced);
    }
    // The copy as `w` again where either trace may have marked cells; a trace aside that
    // failed may have marked a seed's cell before its first record.
    if (traced.Begun && !traced.Done) {
      aside.CopyOf(w);
    } else {
      aside.Resync(w, changed);
      aside.Resync(w, read);
    }
    i = j + 1;
  }
}

void FindAndTraceSeeds(TTracing& w, int count, int minSplit, const std::function<bool(int k, BitangentRecord& r)>& find) {
  // Each seed has its own slot: the bands fill theirs side by side.
  std::vector<BitangentRecord> records(static_cast<std::size_t>(std::max(count, 0)));
  std::vector<std::uint8_t> found(records.size(), 0);
  Parallel::ForEachRange(count, minSplit, [&](int first, int last) {
    for (int k = first; k < last; ++k) found[k] = find(k, records[k]);
  });
  std::vector<BitangentRecord> seeds;
  for (std::size_t k = 0; k < records.size(); ++k)
    if (found[k]) seeds.push_back(UpperOf(records[k]));
  TraceSeeds(w, seeds);
}

}  // namespace Bitangents
