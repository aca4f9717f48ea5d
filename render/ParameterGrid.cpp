#include "render/ParameterGrid.h"

#include <algorithm>
#include <cmath>

namespace HullMesh {

namespace {

// Rounding of parameters below this many reaches stays far inside a cell's slack.
constexpr long double PlacedReaches = 0x1p40L;
constexpr std::uint64_t MaxCells = 1 << 20;

}  // namespace

TParameterGrid::TParameterGrid(long double span, long double reach, const std::vector<TSegment>& segments)
    : span_(span), reach_(reach) {
  if (!(reach > 0 && span > 0 && span / reach <= PlacedReaches)) return;
  cells_ = 1;  // for Placed while the size is chosen
  std::vector<bool> placed(segments.size());
  long double extents = 0;
  std::size_t counted = 0;
  for (std::size_t k = 0; k < segments.size(); ++k) {
    const TSegment& s = segments[k];
    const long double extent = std::max(std::fabs(s.DA), std::fabs(s.DB));
    placed[k] = Placed(s.A) && Placed(s.B) && Placed(s.A + s.DA) && Placed(s.B + s.DB) && extent <= span;
    if (placed[k]) extents += extent, ++counted;
  }
  // Cells a little wider than the reach, so that rounding cannot carry a point within
  // reach past the next cell, and no narrower than the mean segment, so that a segment
  // is filed in a few cells only.
  const long double side = std::max(reach * 17 / 16, counted > 0 ? extents / counted : 0);
  cells_ = static_cast<std::uint64_t>(std::clamp(std::floor(span / side), 1.0L, static_cast<long double>(MaxCells)));
  side_ = span / cells_;

  for (std::size_t k = 0; k < segments.size(); ++k) {
    const auto id = static_cast<std::uint32_t>(k);
    if (!placed[k]) {
      everywhere_.push_back(id);
      continue;
    }
    // Pieces of at most half a cell each way touch at most the cells of their two ends.
    const TSegment& s = segments[k];
    const long double extent = std::max(std::fabs(s.DA), std::fabs(s.DB));
    const auto pieces = static_cast<std::uint64_t>(std::max(1.0L, std::ceil(2 * extent / side_)));
    for (std::uint64_t p = 0; p < pieces; ++p) {
      const long double from = static_cast<long double>(p) / pieces, to = static_cast<long double>(p + 1) / pieces;
      for (const long double fa : {from, to})
        for (const long double fb : {from, to})
          filed_.emplace_back(Cell(s.A + fa * s.DA) * cells_ + Cell(s.B + fb * s.DB), id);
    }
  }
  std::sort(filed_.begin(), filed_.end());
  filed_.erase(std::unique(filed_.begin(), filed_.end()), filed_.end());
}

bool TParameterGrid::Placed(long double u) const {
  return cells_ > 0 && std::isfinite(u) && std::fabs(u) <= reach_ * PlacedReaches;
}

std::uint64_t TParameterGrid::Cell(long double u) const {
  long double r = std::fmod(u, span_);
  if (r < 0) r += span_;
  return std::min(static_cast<std::uint64_t>(r / side_), cells_ - 1);
}

bool TParameterGrid::Near(long double a, long double b, std::vector<std::uint32_t>& ids) const {
  if (!Placed(a) || !Placed(b)) return false;
  // The cells next to (a, b), each once even where the grid is narrower than three cells.
  const auto around = [this](std::uint64_t c) {
    std::vector<std::uint64_t> next{c};
    if (cells_ > 1) next.push_back((c + 1) % cells_);
    if (cells_ > 2) next.push_back((c + cells_ - 1) % cells_);
    return next;
  };
  for (const std::uint64_t i : around(Cell(a)))
    for (const std::uint64_t j : around(Cell(b))) {
      const std::uint64_t key = i * cells_ + j;
      auto at = std::lower_bound(filed_.begin(), filed_.end(), std::pair<std::uint64_t, std::uint32_t>{key, 0});
      for (; at != filed_.end() && at->first == key; ++at) ids.push_back(at->second);
    }
  ids.insert(ids.end(), everywhere_.begin(), everywhere_.end());
  return true;
}

}  // namespace HullMesh
