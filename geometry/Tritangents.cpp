// The tritangent search: links between chords of the curve polygon, candidate
// triples of chords, their screens and the list of distinct solutions.
#include "geometry/Tritangents.h"

#include <algorithm>
#include <cmath>

#include "formula/Checks.h"
#include "geometry/Sampling.h"
#include "geometry/SharedState.h"
#include "geometry/TritangentsInternal.h"

namespace Tritangents {

namespace {

using Sampling::CurvePointHigh;
using Sampling::CurvePoints;

// A tangent's length, kept away from zero for the screens' quotients.
long double PaddedLength(const TVector3& t) { return Length(t) + 1e-10L; }

CandidatePoint ValuesOf(const Mastil& m) { return {m.Param, m.Torsion, m.Point, m.Tangent, m.Moment}; }

}  // namespace

void AddNeighbour(std::int16_t i, std::int16_t l) {
  CheckIndex(i, CurvePoints.size());
  CurvePoints[i].Neighbours.push_back(l);
}

void LinkSegments() {
  if (CurvePointHigh >= 0) CheckIndex(CurvePointHigh, CurvePoints.size());
  for (Mastil& m : CurvePoints) m.Neighbours.clear();
  const Mastil* points = CurvePoints.data();
  const int high = CurvePointHigh;
  for (int i = 1; i < high; ++i) {
    // The tangent lines at the two ends of segment i, compared below with curve point l.
    const TVector3 m0 = points[i - 1].Moment, t0 = points[i - 1].Tangent;
    const TVector3 m1 = points[i].Moment, t1 = points[i].Tangent;
    // On the diagonal the torsion sign of point i stands in for the product of point i
    // with itself, which is zero.
    int prev = (ReciprocalProduct(m0, t0, m1, t1) > 0) + (points[i].Torsion > 0);
    for (int l = i + 1; l <= high; ++l) {
      const TVector3& ml = points[l].Moment;
      const TVector3& tl = points[l].Tangent;
      const int x = (ReciprocalProduct(m0, t0, ml, tl) > 0) + (ReciprocalProduct(m1, t1, ml, tl) > 0);
      // The four corner signs of cell (i, l) are the two of the previous column and
      // these two; unequal signs mean the bitangent curve crosses the cell.
      const int corners = prev + x;
      if (corners != 0 && corners != 4) AddNeighbour(static_cast<std::int16_t>(i), static_cast<std::int16_t>(l));
      prev = x;
    }
  }
}

void AddCandidate(std::int16_t i, std::int16_t l, std::int16_t m) {
  if (CandidateHigh == INT16_MAX) throw RangeError();
  TriangleCandidate cand;
  const std::int16_t ends[3] = {i, l, m};
  for (int k = 0; k < 3; ++k) {
    CheckIndex(ends[k] - 1, CurvePoints.size());
    CheckIndex(ends[k], CurvePoints.size());
    cand[2 * k] = ValuesOf(CurvePoints[ends[k] - 1]);
    cand[2 * k + 1] = ValuesOf(CurvePoints[ends[k]]);
  }
  TriangleCandidates.push_back(cand);
  ++CandidateHigh;
}

void CollectCandidates() {
  TriangleCandidates.clear();
  CandidateHigh = -1;
  if (CurvePointHigh < 2) return;
  for (int i = 1; i < CurvePointHigh; ++i) {
    const std::vector<std::int16_t>& ni = CurvePoints.at(i).Neighbours;
    for (const std::int16_t l : ni)
      for (const std::int16_t m : CurvePoints.at(l).Neighbours)
        if (std::find(ni.begin(), ni.end(), m) != ni.end()) {
          // A curve with very many crossing branches (a tight winding, or a planar curve
          // whose products are rounding noise) links far more triples than the 16-bit
          // count holds; the search then keeps the first ones instead of failing.
          if (CandidateHigh == INT16_MAX) return;
          AddCandidate(static_cast<std::int16_t>(i), l, m);
        }
  }
}

bool RepeatsStoredTriple(const Triple& u) {
  using Glob::TStep;
  const long double span = Glob::TSpan;
  for (const Triple& e : TritangentTriples) {
    if (std::fabs(u[0] - e[0]) + std::fabs(u[1] - e[1]) + std::fabs(u[2] - e[2]) < Glob::TStep3) return true;
    // The same plane with the stored last parameter moved back by one period to come
    // first (u1 near e3 - L), or with the new last parameter moved back (e1 near u3 - L).
    if (e[2] - u[0] + TStep > span && std::fabs(u[1] - e[0]) < TStep && std::fabs(u[2] - e[1]) < TStep) return true;
    if (u[2] - e[0] + TStep > span && std::fabs(u[0] - e[1]) < TStep && std::fabs(u[1] - e[2]) < TStep) return true;
  }
  return false;
}

void CheckCandidate(const TriangleCandidate& cand) {
  // The first point of each segment stands for the segment.
  const CandidatePoint &a = cand[0], &b = cand[2], &c = cand[4];
  const long double la = PaddedLength(a.Tangent), lb = PaddedLength(b.Tangent), lc = PaddedLength(c.Tangent);
  if (std::fabs(Dot(Cross(a.Tangent, b.Tangent), c.Tangent)) / (la * lb * lc) > 0.091L) return;

  const TVector3 d1 = b.Point - a.Point, d2 = c.Point - b.Point;
  const long double da = cand[1].Param - a.Param, dc = cand[5].Param - c.Param;
  // The tolerance of the middle tangent's offset from the plane of the three points
  // grows with how far the outer tangents may move along their segments.
  const long double ea = std::fabs(Dot(d2, Cross(a.Tangent, b.Tangent)) * da);
  const long double ec = std::fabs(Dot(d1, Cross(c.Tangent, b.Tangent)) * dc);
  const long double tol = 0.035L * Length(Cross(d1, d2)) + (ea + ec) / lb;
  if (std::fabs(Dot(d1, Cross(d2, b.Tangent))) / lb > tol) return;

  Triple u;
  long double quality;
  if (!SolveCandidate(cand, u, quality)) return;
  if (RepeatsStoredTriple(u)) return;
  TritangentTriples.push_back(u);
}

void FindTritangents() {
  TritangentTriples.clear();
  LinkSegments();
  CollectCandidates();
  for (int k = 0; k <= CandidateHigh; ++k) CheckCandidate(TriangleCandidates.at(k));
  TritangentCount = static_cast<std::int32_t>(TritangentTriples.size());
}

}  // namespace Tritangents
