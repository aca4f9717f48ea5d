// The tritangent search: links between chords of the curve polygon, candidate
// triples of chords, their screens and the list of distinct solutions.
#include "geometry/Tritangents.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

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
  if (high < 2) return;
  // above[l]: the reciprocal product of curve points i - 1 and l is positive. Row i's
  // products with point i are row i + 1's with its point i, so each is computed once.
  std::vector<std::uint8_t> above(high + 1), next(high + 1);
  for (int l = 1; l <= high; ++l)
    above[l] = ReciprocalProduct(points[0].Moment, points[0].Tangent, points[l].Moment, points[l].Tangent) > 0;
  for (int i = 1; i < high; ++i) {
    // The tangent line at the far end of segment i, compared below with curve point l.
    const TVector3 m1 = points[i].Moment, t1 = points[i].Tangent;
    // On the diagonal the torsion sign of point i stands in for the product of point i
    // with itself, which is zero.
    int prev = above[i] + (points[i].Torsion > 0);
    for (int l = i + 1; l <= high; ++l) {
      next[l] = ReciprocalProduct(m1, t1, points[l].Moment, points[l].Tangent) > 0;
      const int x = above[l] + next[l];
      // The four corner signs of cell (i, l) are the two of the previous column and
      // these two; unequal signs mean the bitangent curve crosses the cell.
      const int corners = prev + x;
      if (corners != 0 && corners != 4) AddNeighbour(static_cast<std::int16_t>(i), static_cast<std::int16_t>(l));
      prev = x;
    }
    std::swap(above, next);
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

bool InCurvePlane(const TVector3& a, const TVector3& b, const TVector3& c) {
  if (CurvePointHigh >= 0) CheckIndex(CurvePointHigh, CurvePoints.size());
  const TVector3 n = Cross(b - a, c - b);
  // Distances come out multiplied by |n|; the first point off the plane ends the scan.
  const long double tol = PlanarTolerance * Length(n) * (Length(b - a) + Length(c - b));
  for (int k = 0; k <= CurvePointHigh; ++k)
    if (!(std::fabs(Dot(n, CurvePoints[k].Point - a)) <= tol)) return false;
  return true;
}

bool SupportsCurve(const Triple& u) {
  if (CurvePointHigh >= 0) CheckIndex(CurvePointHigh, CurvePoints.size());
  const TVector3 p1 = JetAt(u[0]).P, p2 = JetAt(u[1]).P, p3 = JetAt(u[2]).P;
  const TVector3 n = Cross(p2 - p1, p3 - p2);
  long double below = 0, above = 0;
  for (int k = 0; k <= CurvePointHigh; ++k) {
    const long double e = Dot(n, CurvePoints[k].Point - p1);
    below = std::min(below, e);
    above = std::max(above, e);
  }
  // The plane comes from interpolated samples, so curve points next to a contact may
  // stray beyond it by the interpolation error; a plane through the hull's inside has
  // points well beyond it on both sides.
  return std::min(-below, above) <= SupportTolerance * (above - below);
}

void CheckCandidate(const TriangleCandidate& cand) {
  // The screens look at the middle of each segment, where the solver starts: a point
  // of contact anywhere on a segment is then at most half a segment away, and its
  // tangent differs from the one screened by at most half the segment's turn.
  CurveJet mid[3];
  for (int k = 0; k < 3; ++k) mid[k] = JetAt((cand[2 * k].Param + cand[2 * k + 1].Param) / 2);
  const TVector3 &ta = mid[0].T, &tc = mid[2].T;
  const long double la = PaddedLength(ta), lc = PaddedLength(tc);
  if (std::fabs(Dot(Cross(ta, mid[1].T), tc)) / (la * PaddedLength(mid[1].T) * lc) > 0.091L) return;

  const TVector3 d1 = mid[1].P - mid[0].P, d2 = mid[2].P - mid[1].P;
  const long double da = cand[1].Param - cand[0].Param, dc = cand[5].Param - cand[4].Param;
  // The middle tangent must nearly lie in the plane of the three points. As a contact
  // near either end of the middle segment has a tangent closer to that end's, the
  // tangents at both ends are tried besides the middle one.
  const auto nearPlane = [&](const TVector3& tb) {
    const long double lb = PaddedLength(tb);
    // The tolerance grows with how far the outer tangents may move along their segments.
    const long double ea = std::fabs(Dot(d2, Cross(ta, tb)) * da);
    const long double ec = std::fabs(Dot(d1, Cross(tc, tb)) * dc);
    const long double tol = 0.035L * Length(Cross(d1, d2)) + (ea + ec) / lb;
    return std::fabs(Dot(d1, Cross(d2, tb))) / lb <= tol;
  };
  if (!nearPlane(mid[1].T) && !nearPlane(cand[2].Tangent) && !nearPlane(cand[3].Tangent)) return;
  // A planar curve links nearly every triple of segments; its own plane touches it
  // everywhere, not at three points.
  if (InCurvePlane(mid[0].P, mid[1].P, mid[2].P)) return;

  Triple u;
  long double quality;
  if (!SolveCandidate(cand, u, quality)) return;
  // Tangent at three points is not enough: a plane through the inside of the hull
  // bounds no flat triangle of it.
  if (!SupportsCurve(u)) return;
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
