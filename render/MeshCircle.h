// The curve parameters of the hull mesh's vertices. The curve is closed, so its
// parameters live on a circle of circumference TSpan: TMin and TMax are one point, and
// every strip or flat face that meets a piece of curve takes that piece's vertices from
// this one sorted set, which is what makes neighbouring pieces share their boundary.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "formula/Curve.h"
#include "formula/Vector3.h"

namespace HullMesh {

class TParameterCircle {
 public:
  // The circle from `start` of circumference `span` (> 0). Parameters closer than
  // `merge` along the circle become one vertex.
  TParameterCircle(long double start, long double span, long double merge);

  // u moved onto [start, start + span).
  long double Wrap(long double u) const;
  // The signed shortest way from a to b along the circle, in (-span/2, span/2].
  long double Step(long double a, long double b) const;
  long double Distance(long double a, long double b) const;

  // Collects a parameter; Finish makes the vertices of all collected ones.
  void Add(long double u);
  // Collects a and b as one point of the curve (where it crosses itself): Finish gives
  // both one vertex, shared by every piece that meets either.
  void Join(long double a, long double b);
  // Sorts and merges the collected parameters and appends their points of `curve` to
  // `points`; a vertex's index is its place in `points`.
  void Finish(const FunPars::TCurve& curve, std::vector<TVector3>& points);

  // The vertex nearest to u (Finish has run; at least one parameter was added).
  std::int32_t VertexAt(long double u) const;

  // The vertices strictly between the vertex of a and the vertex of a + way, going
  // round in the direction of way's sign, in their order from a, with their share of the
  // way between those two vertices in (0, 1). None when both ends have one vertex.
  struct TPassed {
    std::int32_t Vertex;
    long double Share;
  };
  void Between(long double a, long double way, std::vector<TPassed>& passed) const;

  long double Span() const { return span_; }
  long double Merge() const { return merge_; }

 private:
  // The position of the first vertex at or after wrapped u, in [0, size].
  std::size_t LowerBound(long double u) const;
  // The position of the vertex nearest to u.
  std::size_t Position(long double u) const;

  long double start_, span_, merge_;
  std::vector<long double> params_;    // sorted vertex parameters after Finish
  std::vector<std::pair<long double, long double>> joined_;
  std::vector<std::int32_t> vertex_;   // their vertex indexes
};

}  // namespace HullMesh
