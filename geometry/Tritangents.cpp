// The tritangent search: links between chords of the curve polygon, candidate
// triples of chords, their screens, and the faces of the solutions.
#include "geometry/Tritangents.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "formula/Checks.h"
#include "geometry/Bitangents.h"
#include "geometry/Parallel.h"
#include "geometry/Sampling.h"
#include "geometry/SharedState.h"
#include "geometry/TritangentsInternal.h"
#include "geometry/WorkCounters.h"

namespace Tritangents {

namespace {

// A tangent's length, kept away from zero for the screens' quotients.
long double PaddedLength(const TVector3& t) { return Length(t) + 1e-10L; }

CandidatePoint ValuesOf(const Mastil& m) { return {m.Param, m.Torsion, m.Point, m.Tangent, m.Moment}; }

// The candidate of segments i, l, m: curve points i-1, i, l-1, l, m-1, m.
TriangleCandidate CandidateOf(const Sampling::TFigure& figure, int i, int l, int m) {
  TriangleCandidate cand;
  const int ends[3] = {i, l, m};
  for (int k = 0; k < 3; ++k) {
    cand[2 * k] = ValuesOf(figure.CurvePoints.at(ends[k] - 1));
    cand[2 * k + 1] = ValuesOf(figure.CurvePoints.at(ends[k]));
  }
  return cand;
}

}  // namespace

void AddNeighbour(SegmentLinks& links, std::int16_t i, std::int16_t l) {
  CheckIndex(i, links.size());
  links[i].push_back(l);
}

namespace {

// The tangent line of a curve point, by its moment and tangent.
struct TangentLine {
  TVector3 Moment, Tangent;
};

}  // namespace

SegmentLinks LinkSegments(const Sampling::TFigure& figure) {
  const PuntosCurva& points = figure.CurvePoints;
  const int high = figure.CurvePointHigh;
  if (high >= 0) CheckIndex(high, points.size());
  SegmentLinks links(static_cast<std::size_t>(high + 1));
  if (high < 2) return links;
  // The lines side by side: every row runs over all of them, and the curve points are
  // large records.
  std::vector<TangentLine> lines(high + 1);
  for (int k = 0; k <= high; ++k) lines[k] = {points[k].Moment, points[k].Tangent};
  // Rows first..last - 1. above[l]: the reciprocal product of curve points i - 1 and l
  // is positive. Row i's products with point i are row i + 1's with its point i, so each
  // is computed once, but for the row before a band's first.
  const auto linkRows = [&points, &lines, &links, high](int first, int last) {
    std::vector<std::uint8_t> above(high + 1), next(high + 1);
    for (int l = first; l <= high; ++l)
      above[l] = ReciprocalProduct(lines[first - 1].Moment, lines[first - 1].Tangent, lines[l].Moment,
                                   lines[l].Tangent) > 0;
    for (int i = first; i < last; ++i) {
      WorkCounters::PollCancel();
      // The tangent line at the far end of segment i, compared below with curve point l.
      const TVector3 m1 = lines[i].Moment, t1 = lines[i].Tangent;
      // On the diagonal the torsion sign of point i stands in for the product of point
      // i with itself, which is zero.
      int prev = above[i] + (points[i].Torsion > 0);
      for (int l = i + 1; l <= high; ++l) {
        next[l] = ReciprocalProduct(m1, t1, lines[l].Moment, lines[l].Tangent) > 0;
        const int x = above[l] + next[l];
        // The four corner signs of cell (i, l) are the two of the previous column and
        // these two; unequal signs mean the bitangent curve crosses the cell.
        const int corners = prev + x;
        if (corners != 0 && corners != 4)
          AddNeighbour(links, static_cast<std::int16_t>(i), static_cast<std::int16_t>(l));
        prev = x;
      }
      std::swap(above, next);
    }
  };
  // Each row writes only its own links. Rows shorten as i grows: the bands split the
  // triangle of cells evenly, once it is large enough to pay for a thread.
  constexpr int MinSplitPoints = 200;
  const int bands = high >= MinSplitPoints ? Parallel::Threads() : 1;
  std::vector<int> starts(bands + 1, high);
  starts[0] = 1;
  const long long cells = static_cast<long long>(high) * (high - 1) / 2;
  long long before = 0;
  for (int i = 1, k = 1; i < high && k < bands; ++i) {
    before += high - i;
    while (k < bands && before * bands >= cells * k) starts[k++] = i + 1;
  }
  Parallel::RunBands(bands, [&linkRows, &starts](int k) { linkRows(starts[k], starts[k + 1]); });
  return links;
}

bool InCurvePlane(const Sampling::TFigure& figure, const TVector3& a, const TVector3& b, const TVector3& c) {
  if (figure.CurvePointHigh >= 0) CheckIndex(figure.CurvePointHigh, figure.CurvePoints.size());
  const TVector3 n = Cross(b - a, c - b);
  // Distances come out multiplied by |n|; the first point off the plane ends the scan.
  const long double tol = PlanarTolerance * Length(n) * (Length(b - a) + Length(c - b));
  for (int k = 0; k <= figure.CurvePointHigh; ++k)
    if (!(std::fabs(Dot(n, figure.CurvePoints[k].Point - a)) <= tol)) return false;
  return true;
}

long double CurveWidthBound(const Sampling::TFigure& figure) {
  if (figure.CurvePointHigh >= 0) CheckIndex(figure.CurvePointHigh, figure.CurvePoints.size());
  long double reach = 0;
  for (int k = 1; k <= figure.CurvePointHigh; ++k)
    reach = std::max(reach, Length(figure.CurvePoints[k].Point - figure.CurvePoints[0].Point));
  return 2 * reach;
}

bool SupportsCurve(const Sampling::TFigure& figure, const Triple& u) {
  return SupportsCurve(figure, u, CurveWidthBound(figure));
}

namespace {

// True when curve points k = 0, stride, 2 stride, ... lie beyond the plane through p
// with unit normal n by more than `depth` on both sides; below and above end as the
// farthest reach to either side of the points looked at; NaN heights are passed over,
// a NaN depth cuts.
bool CutsDeeper(const Sampling::TFigure& figure, const TVector3& p, const TVector3& n, long double depth, int stride,
                long double& below, long double& above) {
  const Mastil* points = figure.CurvePoints.data();
  for (int k = 0; k <= figure.CurvePointHigh; k += stride) {
    const long double e = Dot(n, points[k].Point - p);
    if (e < below) below = e;
    if (e > above) above = e;
    if (!(-below <= depth || above <= depth)) return true;
  }
  return false;
}

}  // namespace

bool SupportsCurve(const Sampling::TFigure& figure, const Triple& u, long double widthBound) {
  if (figure.CurvePointHigh >= 0) CheckIndex(figure.CurvePointHigh, figure.CurvePoints.size());
  const TVector3 p1 = JetAt(figure, u[0]).P, p2 = JetAt(figure, u[1]).P, p3 = JetAt(figure, u[2]).P;
  const TVector3 c = Cross(p2 - p1, p3 - p2);
  const long double length = Length(c);
  // Three points on one line give no plane to cut the curve.
  if (!(length > 0)) return true;
  const TVector3 n = c / length;
  // The curve's width across the plane is at most widthBound: beyond this, no width
  // would tolerate the points on both sides. Points spread over the curve first: a
  // plane through the hull shows both sides early.
  const long double depth = SupportTolerance * widthBound;
  long double below = 0, above = 0;
  if (CutsDeeper(figure, p1, n, depth, figure.CurvePointHigh / 20 + 1, below, above) ||
      CutsDeeper(figure, p1, n, depth, 1, below, above))
    return false;
  // The plane comes from interpolated samples, so curve points next to a contact may
  // stray beyond it by the interpolation error; a plane through the hull's inside has
  // points well beyond it on both sides.
  return std::min(-below, above) <= SupportTolerance * (above - below);
}

namespace {

// True when segments i, l and m each hold a contact of one same face.
bool OnOneFace(const SearchState& state, int i, int l, int m) {
  for (const int f : state.SegmentFaces[i])
    if (std::count(state.SegmentFaces[l].begin(), state.SegmentFaces[l].end(), f) &&
        std::count(state.SegmentFaces[m].begin(), state.SegmentFaces[m].end(), f))
      return true;
  return false;
}

// Gives the face touching the curve at `contacts` the next number, and notes it in the
// list of every segment that holds one of them (the segment widened by a sample step;
// a contact at the seam counts at both ends).
void NoteFace(SearchState& state, const std::vector<long double>& contacts) {
  const Sampling::TFigure& figure = state.Figure;
  const int id = state.Faces++;
  const long double h = figure.Param.TStep, span = figure.Param.TSpan;
  const auto byEnd = [h](const Mastil& p, long double v) { return p.Param + h < v; };
  for (const long double u : contacts)
    for (const long double v : {u, u + span, u - span}) {
      // Segment k ends at curve point k: the first whose widened end reaches v, on
      // while its widened start does.
      const auto first = std::lower_bound(figure.CurvePoints.begin() + 1,
                                          figure.CurvePoints.begin() + figure.CurvePointHigh + 1, v, byEnd);
      for (int k = static_cast<int>(first - figure.CurvePoints.begin()); k <= figure.CurvePointHigh; ++k) {
        if (figure.CurvePoints[k - 1].Param - h > v) break;
        std::vector<int>& planes = state.SegmentFaces[k];
        if (std::find(planes.begin(), planes.end(), id) == planes.end()) planes.push_back(id);
      }
    }
}

// True when no supporting plane can touch the curve on the three segments whose middle
// jets are `mid` and parameter lengths `d`: the plane through the middles cuts the curve
// deeper than such a plane could be away from it. A contact within a segment's length
// d of its middle has its tangent in the supporting plane, so the middle lies within
// |A| d^2 / 2 of that plane (twice that for the change of A along the segment); tilting
// the plane through three points moved by e_k changes heights within the curve's reach
// D by at most sum e_k D / h_k, h_k the triangle's height over the opposite side.
bool CutsNearPlane(const Sampling::TFigure& figure, const CurveJet (&mid)[3], const Triple& d, long double reach) {
  const TVector3 n = Cross(mid[1].P - mid[0].P, mid[2].P - mid[1].P);
  const long double area2 = Length(n);
  if (!(area2 > 0)) return false;
  long double spread = 0;
  for (int k = 0; k < 3; ++k) {
    const long double away = Length(mid[k].A) * d[k] * d[k];
    spread += away * Length(mid[(k + 2) % 3].P - mid[(k + 1) % 3].P);
  }
  const long double depth = reach * spread / area2 + SupportTolerance * reach;
  if (!std::isfinite(depth)) return false;
  // Some curve points showing the cut suffice to reject: 64 spread ones are looked at.
  long double below = 0, above = 0;
  return CutsDeeper(figure, mid[0].P, n / area2, depth, figure.CurvePointHigh / 64 + 1, below, above);
}

}  // namespace

void CheckCandidate(int i, int l, int m, SearchState& state, Bitangents::TAnalysis& analysis) {
  const Sampling::TFigure& figure = state.Figure;
  // The screens look at the middle of each segment, where the solver starts: a point
  // of contact anywhere on a segment is then at most half a segment away, and its
  // tangent differs from the one screened by at most half the segment's turn. Each
  // screen only rejects, so the cheapest go first.
  const TVector3 &ta = state.MiddleJets[i].T, &tc = state.MiddleJets[m].T;
  const long double la = PaddedLength(ta), lc = PaddedLength(tc);
  if (std::fabs(Dot(Cross(ta, state.MiddleJets[l].T), tc)) / (la * PaddedLength(state.MiddleJets[l].T) * lc) > 0.091L)
    return;
  // A face is found whole with all its contacts: its other triples need no solving.
  if (OnOneFace(state, i, l, m)) return;
  const CurveJet mid[3] = {state.MiddleJets[i], state.MiddleJets[l], state.MiddleJets[m]};

  const TVector3 d1 = mid[1].P - mid[0].P, d2 = mid[2].P - mid[1].P;
  const long double da = figure.CurvePoints[i].Param - figure.CurvePoints[i - 1].Param;
  const long double dc = figure.CurvePoints[m].Param - figure.CurvePoints[m - 1].Param;
  // The middle tangent must nearly lie in the plane of the three points. As a contact
  // near either end of the middle segment has a tangent closer to that end's, the
  // tangents at both ends are tried besides the middle one.
  const long double planeTolerance = 0.035L * Length(Cross(d1, d2));
  const auto nearPlane = [&](const TVector3& tb) {
    const long double lb = PaddedLength(tb);
    // The tolerance grows with how far the outer tangents may move along their segments.
    const long double ea = std::fabs(Dot(d2, Cross(ta, tb)) * da);
    const long double ec = std::fabs(Dot(d1, Cross(tc, tb)) * dc);
    const long double tol = planeTolerance + (ea + ec) / lb;
    return std::fabs(Dot(d1, Cross(d2, tb))) / lb <= tol;
  };
  if (!nearPlane(mid[1].T) && !nearPlane(figure.CurvePoints[l - 1].Tangent) &&
      !nearPlane(figure.CurvePoints[l].Tangent))
    return;
  if (CutsNearPlane(figure, mid, {da, figure.CurvePoints[l].Param - figure.CurvePoints[l - 1].Param, dc},
                    state.WidthBound))
    return;
  // A planar curve links nearly every triple of segments; its own plane touches it
  // everywhere, not at three points.
  if (InCurvePlane(figure, mid[0].P, mid[1].P, mid[2].P)) {
    state.CurveIsPlanar = true;
    return;
  }

  Triple u;
  long double quality;
  ++state.Solved;
  if (!SolveCandidate(figure, CandidateOf(figure, i, l, m), u, quality)) return;
  // Tangent at three points is not enough: a plane through the inside of the hull
  // bounds no flat triangle of it.
  if (SupportsCurve(figure, u, state.WidthBound) && AddFlatFace(state.Curve, figure, state.Frame, analysis, u))
    NoteFace(state, analysis.FlatFaces.back().Contacts);
}

void FindTritangents(const FunPars::TCurve& curve, const Sampling::TFigure& figure, const AnalysisFrame::TFrame& frame,
                     Bitangents::TAnalysis& analysis) {
  analysis.TritangentTriples.clear();
  analysis.FlatFaces.clear();
  analysis.TritangentCount = 0;
  analysis.SearchCut = false;
  bool& cut = analysis.SearchCut;
  const SegmentLinks links = LinkSegments(figure);
  const int high = figure.CurvePointHigh;
  if (high < 2) return;
  // A planar curve links nearly every triple of segments (its products are rounding
  // noise) and has no tritangent plane: its own plane touches it everywhere.
  const TVector3 &a = figure.CurvePoints[0].Point, &b = figure.CurvePoints[high / 3].Point,
                 &c = figure.CurvePoints[2 * high / 3].Point;
  if (Length(Cross(b - a, c - b)) > PlanarTolerance * Length(b - a) * Length(c - b) && InCurvePlane(figure, a, b, c))
    return;
  // Every triple of segments i < l < m linked pairwise is a candidate, screened as it
  // is met, until MaxLinkPairs pairs of links have been looked at or MaxSolved
  // candidates solved.
  SearchState state{curve, figure, frame};
  state.WidthBound = CurveWidthBound(figure);
  state.MiddleJets.resize(high + 1);
  state.SegmentFaces.resize(high + 1);
  for (int k = 1; k <= high; ++k)
    state.MiddleJets[k] = JetAt(figure, (figure.CurvePoints[k - 1].Param + figure.CurvePoints[k].Param) / 2);
  std::vector<std::uint8_t> linkedToI(high + 1, 0);
  long long looked = 0;
  for (int i = 1; i < high && !cut && !state.CurveIsPlanar; ++i) {
    const std::vector<std::int16_t>& ni = links.at(i);
    for (const std::int16_t l : ni) linkedToI.at(l) = 1;
    for (const std::int16_t l : ni) {
      WorkCounters::PollCancel();
      const std::vector<std::int16_t>& nl = links.at(l);
      if (nl.empty()) continue;
      // LinkSegments lists each segment's links ascending: its ends bound them all.
      CheckIndex(nl.front(), linkedToI.size());
      CheckIndex(nl.back(), linkedToI.size());
      // The pairs of links looked at before the limit, each counted.
      const std::size_t room = static_cast<std::size_t>(std::min<long long>(nl.size(), MaxLinkPairs - looked));
      std::size_t k = 0;
      while (k < room) {
        const std::int16_t m = nl[k++];
        if (!linkedToI[m]) continue;
        CheckCandidate(i, l, m, state, analysis);
        if (state.Solved >= MaxSolved || state.CurveIsPlanar) break;
      }
      looked += static_cast<long long>(k);
      cut = looked >= MaxLinkPairs || state.Solved >= MaxSolved;
      if (cut || state.CurveIsPlanar) break;
    }
    for (const std::int16_t l : ni) linkedToI[l] = 0;
  }
  if (state.CurveIsPlanar) {
    // Whatever was solved before is rounding noise: a planar curve has no tritangent plane.
    analysis.TritangentTriples.clear();
    analysis.FlatFaces.clear();
  }
  analysis.TritangentCount = static_cast<std::int32_t>(analysis.TritangentTriples.size());
}

}  // namespace Tritangents
