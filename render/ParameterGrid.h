// A bucket grid over the square of parameter pairs, a torus of side `span` (both
// parameters live on the closed curve's parameter circle), so that the pieces of the
// mesh near a pair are found without looking at every piece.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

namespace HullMesh {

class TParameterGrid {
 public:
  // A straight segment of the square from (A, B) to (A + DA, B + DB), unwrapped; a point
  // when DA = DB = 0.
  struct TSegment {
    long double A, B, DA, DB;
  };

  // Files `segments` (by their index) in cells at least `reach` wide on the torus of
  // side `span`. A segment with an end that cannot be placed (not finite, or so far out
  // that rounding would reach a cell) is filed everywhere. Without a sound reach
  // (reach not > 0, or too small against the span) no point can be placed.
  TParameterGrid(long double span, long double reach, const std::vector<TSegment>& segments);

  // Appends to `ids` every segment that passes within `reach` of the pair (a, b) along
  // each side of the torus (so also in the plain distance), and some more, possibly
  // twice. Answers false, appending nothing, when (a, b) cannot be placed: the caller
  // then has to look at every segment.
  bool Near(long double a, long double b, std::vector<std::uint32_t>& ids) const;

  long double Reach() const { return reach_; }

 private:
  bool Placed(long double u) const;
  // The cell column (or row) of parameter u, placed, in [0, cells_).
  std::uint64_t Cell(long double u) const;

  long double span_, reach_, side_ = 0;
  std::uint64_t cells_ = 0;  // per side; 0 when no point can be placed
  std::vector<std::pair<std::uint64_t, std::uint32_t>> filed_;  // (cell, segment), sorted
  std::vector<std::uint32_t> everywhere_;
};

}  // namespace HullMesh
