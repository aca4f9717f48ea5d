// The tritangent search: links between chords of the curve polygon, candidate
// triples of chords, their screens, and the faces of the solutions.
#include "geometry/Tritangents.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
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

// Nonzero coordinates from 2^-400 to 2^400 in magnitude keep every product of two in
// doubles, and the sums of such products, clear of overflow and of inexact underflow.
constexpr double SafeMagnitude = 0x1p400;

bool SafeInDouble(long double v) {
  return std::isfinite(v) && (v == 0 || (std::fabs(v) >= 1 / SafeMagnitude && std::fabs(v) <= SafeMagnitude));
}

// The tangent lines rounded to doubles, one array per coordinate so that a row's
// products go two at a time, with the lengths of moment and tangent, and per block of
// BlockLines consecutive lines the largest of each. A line with a coordinate that is
// not SafeInDouble is all zeros: its products are then 0, which never decides a sign
// (RowSigns). One more line of zeros pads the end, the partner of a last odd line.
struct DoubleLines {
  static constexpr int BlockLines = 32;
  std::vector<double> Mx, My, Mz, Tx, Ty, Tz, MomentLength, TangentLength;
  std::vector<double> BlockMoment, BlockTangent;

  explicit DoubleLines(const std::vector<TangentLine>& lines) {
    for (std::vector<double>* v : {&Mx, &My, &Mz, &Tx, &Ty, &Tz, &MomentLength, &TangentLength})
      v->resize(lines.size() + 1);
    BlockMoment.resize(lines.size() / BlockLines + 1);
    BlockTangent.resize(BlockMoment.size());
    for (std::size_t k = 0; k < lines.size(); ++k) {
      const TVector3 &m = lines[k].Moment, &t = lines[k].Tangent;
      if (!SafeInDouble(m.x) || !SafeInDouble(m.y) || !SafeInDouble(m.z) || !SafeInDouble(t.x) ||
          !SafeInDouble(t.y) || !SafeInDouble(t.z))
        continue;
      Mx[k] = static_cast<double>(m.x), My[k] = static_cast<double>(m.y), Mz[k] = static_cast<double>(m.z);
      Tx[k] = static_cast<double>(t.x), Ty[k] = static_cast<double>(t.y), Tz[k] = static_cast<double>(t.z);
      MomentLength[k] = std::sqrt(Mx[k] * Mx[k] + My[k] * My[k] + Mz[k] * Mz[k]);
      TangentLength[k] = std::sqrt(Tx[k] * Tx[k] + Ty[k] * Ty[k] + Tz[k] * Tz[k]);
      double &moment = BlockMoment[k / BlockLines], &tangent = BlockTangent[k / BlockLines];
      moment = std::max(moment, MomentLength[k]);
      tangent = std::max(tangent, TangentLength[k]);
    }
  }
};

// Two doubles side by side, as SSE2 holds them (the compilers' vector extensions):
// each lane rounds as a double does on its own.
using Lanes = double __attribute__((vector_size(16)));
using LaneMasks = long long __attribute__((vector_size(16)));

Lanes LanesAt(const double* p) {
  Lanes v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

// Sets above[l] to [ReciprocalProduct(a, l) > 0] for l = from..high, the sign the long
// double product gives; above[high + 1] is scratch. The product in doubles decides
// where it is farther from 0 than its error can reach, else the long double one is
// computed. The six terms' sum S of magnitudes is at most |Ma| |Tl| + |Ml| |Ta|
// (Cauchy-Schwarz); rounding the operands, the products and three levels of sums errs
// by at most 6u S in doubles (u = 2^-53), by 4 2^-64 S in long doubles, so 2^-48
// (|Ma| |Tl| + |Ml| |Ta|) bounds both together with room for the rounding of the
// lengths and of the bound itself. The bound is taken with the largest |Tl| and |Ml| of
// l's block: a larger bound leaves a few more signs to the long double products and
// changes none, and one bound per block keeps the loop free of branches.
void RowSigns(const std::vector<TangentLine>& lines, const DoubleLines& d, int a, int from, int high,
              std::vector<std::uint8_t>& above) {
  const Lanes mx = {d.Mx[a], d.Mx[a]}, my = {d.My[a], d.My[a]}, mz = {d.Mz[a], d.Mz[a]};
  const Lanes tx = {d.Tx[a], d.Tx[a]}, ty = {d.Ty[a], d.Ty[a]}, tz = {d.Tz[a], d.Tz[a]};
  const double byTangent = 0x1p-48 * d.MomentLength[a], byMoment = 0x1p-48 * d.TangentLength[a];
  CheckIndex(high + 1, std::min(above.size(), d.Tx.size()));
  // 1 positive, 0 not, 2 undecided. Pairs of lines l, l + 1: one that runs past a
  // block's end is done again with the next block's bound. The arrays by their own
  // pointers: the bytes written could alias the vectors' own.
  std::uint8_t* const sign = above.data();
  const double *const lx = d.Tx.data(), *const ly = d.Ty.data(), *const lz = d.Tz.data();
  const double *const kx = d.Mx.data(), *const ky = d.My.data(), *const kz = d.Mz.data();
  const TangentLine& line = lines[a];
  for (int begin = from; begin <= high;) {
    const int block = begin / DoubleLines::BlockLines;
    const int end = std::min(high + 1, (block + 1) * DoubleLines::BlockLines);
    const double bound = byTangent * d.BlockTangent[block] + byMoment * d.BlockMoment[block];
    const Lanes error = {bound, bound};
    // The signs or'ed: 2 where one was undecided (or the lane past the end, if any).
    LaneMasks seen = {0, 0};
    for (int l = begin; l < end; l += 2) {
      const Lanes r = (mx * LanesAt(lx + l) + my * LanesAt(ly + l) + mz * LanesAt(lz + l)) +
                      (LanesAt(kx + l) * tx + LanesAt(ky + l) * ty + LanesAt(kz + l) * tz);
      // A true comparison is -1.
      const LaneMasks s = 2 + (r > error) + 2 * (r < -error);
      seen |= s;
      sign[l] = static_cast<std::uint8_t>(s[0]);
      sign[l + 1] = static_cast<std::uint8_t>(s[1]);
    }
    if (((seen[0] | seen[1]) & 2) != 0)
      for (int l = begin; l < end; ++l)
        if (sign[l] == 2)
          sign[l] = ReciprocalProduct(line.Moment, line.Tangent, lines[l].Moment, lines[l].Tangent) > 0;
    begin = end;
  }
}

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
  const DoubleLines inDoubles(lines);
  // Rows first..last - 1. above[l]: the reciprocal product of curve points i - 1 and l
  // is positive. Row i's products with point i are row i + 1's with its point i, so each
  // is computed once, but for the row before a band's first.
  const auto linkRows = [&points, &lines, &inDoubles, &links, high](int first, int last) {
    // Room past high for RowSigns' scratch and the last word of eight signs below.
    std::vector<std::uint8_t> above(high + 9), next(high + 9);
    const auto bytes = [](const std::uint8_t* p) {
      std::uint64_t word;
      std::memcpy(&word, p, sizeof word);
      return word;
    };
    RowSigns(lines, inDoubles, first - 1, first, high, above);
    for (int i = first; i < last; ++i) {
      WorkCounters::PollCancel();
      // The tangent line at the far end of segment i, compared with curve point l.
      RowSigns(lines, inDoubles, i, i + 1, high, next);
      const auto link = [&links, i](int l) {
        AddNeighbour(links, static_cast<std::int16_t>(i), static_cast<std::int16_t>(l));
      };
      // The four corner signs of cell (i, l) are those of points l - 1 and l; unequal
      // signs mean the bitangent curve crosses the cell. On the diagonal the torsion
      // sign of point i stands in for the product of point i with itself, which is zero.
      if ((above[i] + (points[i].Torsion > 0) + above[i + 1] + next[i + 1]) % 4 != 0) link(i + 1);
      // Eight cells at a time: their corner sums (0..4) side by side in the bytes of a
      // word, which is all zeros or all fours where none is crossed (bytes past high
      // may be either).
      for (int l = i + 2; l <= high; l += 8) {
        const std::uint64_t sums =
            bytes(&above[l - 1]) + bytes(&above[l]) + bytes(&next[l - 1]) + bytes(&next[l]);
        if (sums == 0 || sums == 0x0404040404040404) continue;
        for (int k = l; k <= std::min(l + 7, high); ++k)
          if ((above[k - 1] + above[k] + next[k - 1] + next[k]) % 4 != 0) link(k);
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

const TVector3& PointOf(const Mastil& m) { return m.Point; }
const TVector3& PointOf(const TVector3& p) { return p; }

// True when points k = 0, stride, 2 stride, ... up to `high` (curve points or bare
// points) lie beyond the plane through p with unit normal n by more than `depth` on
// both sides; below and above end as the farthest reach to either side of the points
// looked at; NaN heights are passed over, a NaN depth cuts.
template <class Point>
bool CutsDeeper(const Point* points, int high, const TVector3& p, const TVector3& n, long double depth, int stride,
                long double& below, long double& above) {
  for (int k = 0; k <= high; k += stride) {
    const long double e = Dot(n, PointOf(points[k]) - p);
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
  const Mastil* points = figure.CurvePoints.data();
  const int high = figure.CurvePointHigh;
  if (CutsDeeper(points, high, p1, n, depth, high / 20 + 1, below, above) ||
      CutsDeeper(points, high, p1, n, depth, 1, below, above))
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

// CutsDeeper over the spread points (stride 1) for a depth of at least 0, all values
// SafeInDouble: true when some point lies beyond the plane by more than `depth` on
// either side. A height in doubles decides where it is clear of the depth by more than
// its error, else the long double height as CutsDeeper forms it: the error is at most
// 6u |n|_1 (|P|_max + |p|_max) in doubles (u = 2^-53: the operands, the difference and
// the three levels of the sum), far less in long doubles, and 2^-48 covers both and
// the rounding of the depth and of the bounds.
bool CutsDeeperInDoubles(const SearchState& state, const TVector3& p, const TVector3& n, long double depth) {
  const double nx = static_cast<double>(n.x), ny = static_cast<double>(n.y), nz = static_cast<double>(n.z);
  const double px = static_cast<double>(p.x), py = static_cast<double>(p.y), pz = static_cast<double>(p.z);
  const double d = static_cast<double>(depth), slack = 0x1p-48 * d;
  const double scale = 0x1p-48 * (std::fabs(nx) + std::fabs(ny) + std::fabs(nz));
  const double pMax = std::max({std::fabs(px), std::fabs(py), std::fabs(pz)});
  bool below = false, above = false;
  const auto exact = [&](std::size_t k) { return Dot(n, state.SpreadPoints[k] - p); };
  for (std::size_t k = 0; k < state.SpreadX.size(); ++k) {
    const double e = nx * (state.SpreadX[k] - px) + ny * (state.SpreadY[k] - py) + nz * (state.SpreadZ[k] - pz);
    const double error = scale * (state.SpreadMax[k] + pMax) + slack;
    if (!below && e < -d + error) below = e < -d - error || exact(k) < -depth;
    if (!above && e > d - error) above = e > d + error || exact(k) > depth;
    if (below && above) return true;
  }
  return false;
}

// The parameter length of segment k.
long double SpanOf(const SearchState& state, int k) {
  return state.Figure.CurvePoints[k].Param - state.Figure.CurvePoints[k - 1].Param;
}

// |A| d^2 of segment k, A its middle jet's second derivative and d its parameter
// length: kept for every segment when the screens raise nothing (PrepareState), else
// worked out where asked, as a flag it raises must be raised only then.
long double BendOf(const SearchState& state, int k) {
  if (!state.SegmentBends.empty()) return state.SegmentBends[k];
  const long double d = SpanOf(state, k);
  return Length(state.MiddleJets[k].A) * d * d;
}

// What every candidate of `pair` reaching the plane screens reads, each part worked
// out by the first that needs it.
const TVector3& Lazily(std::optional<TVector3>& kept, const auto& make) {
  if (!kept) kept = make();
  return *kept;
}

// True when no supporting plane can touch the curve on the three segments pair.I,
// pair.L, m, with n = d1 x d2 the normal of the plane through their middles (d1 from
// the first middle to the second, d2 from the second to the third) and area2 = |n|:
// that plane cuts the curve deeper than such a plane could be away from it. A contact
// within a segment's parameter length d of its middle has its tangent in the
// supporting plane, so the middle lies within |A| d^2 / 2 of that plane (twice that for
// the change of A along the segment); tilting the plane through three points moved by
// e_k changes heights within the curve's reach D by at most sum e_k D / h_k, h_k the
// triangle's height over the opposite side.
bool CutsNearPlane(const SearchState& state, const LinkedPair& pair, int m, const TVector3& d2, const TVector3& n,
                   long double area2) {
  if (!(area2 > 0)) return false;
  // Each segment's bend times the side of the triangle opposite its middle.
  const TVector3 &first = state.MiddleJets[pair.I].P, &third = state.MiddleJets[m].P;
  if (!pair.FirstSide) pair.FirstSide = Length(*pair.FirstToSecond);
  long double spread = 0;
  spread += BendOf(state, pair.I) * Length(d2);
  spread += BendOf(state, pair.L) * Length(first - third);
  spread += BendOf(state, m) * *pair.FirstSide;
  const long double reach = state.WidthBound;
  const long double depth = reach * spread / area2 + SupportTolerance * reach;
  if (!std::isfinite(depth)) return false;
  // Some curve points showing the cut suffice to reject: 64 spread ones are looked at
  // (SearchState::SpreadPoints).
  const TVector3 unit = n / area2, &p = first;
  if (!state.SpreadX.empty() && SafeInDouble(unit.x) && SafeInDouble(unit.y) && SafeInDouble(unit.z) &&
      SafeInDouble(p.x) && SafeInDouble(p.y) && SafeInDouble(p.z) && SafeInDouble(depth))
    return CutsDeeperInDoubles(state, p, unit, depth);
  long double below = 0, above = 0;
  return CutsDeeper(state.SpreadPoints.data(), static_cast<int>(state.SpreadPoints.size()) - 1, p, unit, depth, 1,
                    below, above);
}

// The pair of linked segments i < l.
LinkedPair PairOf(const SearchState& state, int i, int l) {
  const SearchState::MiddleTangent &a = state.MiddleTangents[i], &b = state.MiddleTangents[l];
  LinkedPair pair;
  pair.I = i;
  pair.L = l;
  pair.Cross = Cross(a.T, b.T);
  pair.Lengths = a.Length * b.Length;
  return pair;
}

// The screens of a candidate past its first that depend on the curve alone: the middle
// tangent near the plane of the three middles, and that plane not cutting the curve too
// deep. True when the candidate passes both.
bool PassesPlaneScreens(const LinkedPair& pair, int m, const SearchState& state) {
  const Sampling::TFigure& figure = state.Figure;
  const int i = pair.I, l = pair.L;
  const TVector3 &ta = state.MiddleTangents[i].T, &tc = state.MiddleTangents[m].T;
  const TVector3 &d1 = Lazily(pair.FirstToSecond, [&] { return state.MiddleJets[l].P - state.MiddleJets[i].P; });
  const TVector3 d2 = state.MiddleJets[m].P - state.MiddleJets[l].P;
  const long double da = SpanOf(state, i), dc = SpanOf(state, m);
  // The middle tangent must nearly lie in the plane of the three points. As a contact
  // near either end of the middle segment has a tangent closer to that end's, the
  // tangents at both ends are tried besides the middle one.
  const TVector3 n = Cross(d1, d2);
  const long double area2 = Length(n);
  const long double planeTolerance = 0.035L * area2;
  // tb with lb its padded length and ab = ta x tb: how far tb / lb lies off the plane,
  // and how far it may.
  struct Offset {
    long double Off, Allowed;
  };
  const auto offPlane = [&](const TVector3& tb, long double lb, const TVector3& ab) {
    // The tolerance grows with how far the outer tangents may move along their segments.
    const long double ea = std::fabs(Dot(d2, ab) * da);
    const long double ec = std::fabs(Dot(d1, Cross(tc, tb)) * dc);
    return Offset{std::fabs(Dot(d1, Cross(d2, tb))) / lb, planeTolerance + (ea + ec) / lb};
  };
  const auto near = [](const Offset& o) { return o.Off <= o.Allowed; };
  const Offset middle = offPlane(state.MiddleJets[l].T, state.MiddleTangents[l].Length, pair.Cross);
  if (!near(middle)) {
    // Off and Allowed are n . u and linear in the unit tangent u within absolute values,
    // so Off - Allowed changes by at most |n| + da |d2| |ta| + dc |d1| |tc| times |du|:
    // when the middle tangent lies off by more than that over the tangent spread of its
    // segment, neither end's tangent can lie near.
    if (!state.TangentSpreads.empty()) {
      if (!pair.FirstSide) pair.FirstSide = Length(d1);
      const long double slope = area2 + da * Length(d2) * state.MiddleTangents[i].Length +
                                dc * *pair.FirstSide * state.MiddleTangents[m].Length;
      if (middle.Off - middle.Allowed > slope * (state.TangentSpreads[l] * (1 + 1e-9L) + 1e-15L)) return false;
    }
    const TVector3 &before = figure.CurvePoints[l - 1].Tangent, &after = figure.CurvePoints[l].Tangent;
    const TVector3 &byBefore = Lazily(pair.ByBefore, [&] { return Cross(ta, before); });
    if (!near(offPlane(before, state.TangentLengths[l - 1], byBefore)) &&
        !near(offPlane(after, state.TangentLengths[l], Lazily(pair.ByAfter, [&] { return Cross(ta, after); }))))
      return false;
  }
  return !CutsNearPlane(state, pair, m, d2, n, area2);
}

// The first screen: the middle tangents of the three segments nearly coplanar.
bool PassesFirstScreen(const LinkedPair& pair, int m, const SearchState& state) {
  const SearchState::MiddleTangent& c = state.MiddleTangents[m];
  return !(std::fabs(Dot(pair.Cross, c.T)) / (pair.Lengths * c.Length) > 0.091L);
}

// A candidate past every screen and not on a known face: the curve's own plane ends
// the search, else it is solved and its plane added as a face when it supports the curve.
void SolveScreened(int i, int l, int m, SearchState& state, Bitangents::TAnalysis& analysis) {
  const Sampling::TFigure& figure = state.Figure;
  const TVector3 &a = state.MiddleJets[i].P, &b = state.MiddleJets[l].P, &c = state.MiddleJets[m].P;
  // A planar curve links nearly every triple of segments; its own plane touches it
  // everywhere, not at three points.
  if (InCurvePlane(figure, a, b, c)) {
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

// Every screen of candidate (pair, m), against the faces found so far. The screens look
// at the middle of each segment, where the solver starts: a point of contact anywhere
// on a segment is then at most half a segment away, and its tangent differs from the
// one screened by at most half the segment's turn. Each screen only rejects, so the
// cheapest go first; a face is found whole with all its contacts, so that its other
// triples need no solving.
bool PassesScreens(const LinkedPair& pair, int m, const SearchState& state) {
  return PassesFirstScreen(pair, m, state) && !OnOneFace(state, pair.I, pair.L, m) &&
         PassesPlaneScreens(pair, m, state);
}

}  // namespace

void CheckCandidate(const LinkedPair& pair, int m, SearchState& state, Bitangents::TAnalysis& analysis) {
  if (PassesScreens(pair, m, state)) SolveScreened(pair.I, pair.L, m, state, analysis);
}

namespace {

// 0 or from 2^-1000 to 2^1000 in magnitude: the screens' products of a few such values,
// their differences and their quotients by the padded lengths and by nonzero areas stay
// far from overflow, and no such value is infinite or NaN.
bool Moderate(long double v) {
  return std::isfinite(v) && (v == 0 || (std::fabs(v) >= 0x1p-1000L && std::fabs(v) <= 0x1p1000L));
}

// The per-segment and per-point values the screens share.
void PrepareState(SearchState& state) {
  const Sampling::TFigure& figure = state.Figure;
  const int high = figure.CurvePointHigh;
  state.WidthBound = CurveWidthBound(figure);
  state.MiddleJets.resize(high + 1);
  state.MiddleTangents.resize(high + 1);
  state.TangentLengths.resize(high + 1);
  state.SegmentFaces.resize(high + 1);
  state.TangentLengths[0] = PaddedLength(figure.CurvePoints.at(0).Tangent);
  for (int k = 1; k <= high; ++k) {
    state.MiddleJets[k] = JetAt(figure, (figure.CurvePoints.at(k - 1).Param + figure.CurvePoints.at(k).Param) / 2);
    state.MiddleTangents[k] = {state.MiddleJets[k].T, PaddedLength(state.MiddleJets[k].T)};
    state.TangentLengths[k] = PaddedLength(figure.CurvePoints.at(k).Tangent);
  }
  // The near-plane cut's points, every stride-th: in the order of their bit-reversed
  // numbers (0, 1/2, 1/4, 3/4, ... of the way round), as a plane that cuts the curve
  // shows both sides sooner over points far apart. The verdict does not depend on it.
  const int stride = high / 64 + 1, count = high / stride + 1;
  const int bits = std::bit_width(static_cast<unsigned>(count - 1));
  for (int r = 0; r < 1 << bits; ++r) {
    int k = 0;
    for (int b = 0; b < bits; ++b) k |= (r >> b & 1) << (bits - 1 - b);
    if (k < count) state.SpreadPoints.push_back(figure.CurvePoints.at(k * stride).Point);
  }
  if (std::all_of(state.SpreadPoints.begin(), state.SpreadPoints.end(), [](const TVector3& q) {
        return SafeInDouble(q.x) && SafeInDouble(q.y) && SafeInDouble(q.z);
      }))
    for (const TVector3& q : state.SpreadPoints) {
      state.SpreadX.push_back(static_cast<double>(q.x));
      state.SpreadY.push_back(static_cast<double>(q.y));
      state.SpreadZ.push_back(static_cast<double>(q.z));
      state.SpreadMax.push_back(std::max({std::fabs(state.SpreadX.back()), std::fabs(state.SpreadY.back()),
                                          std::fabs(state.SpreadZ.back())}));
    }
  const auto moderate = [](const TVector3& v) { return Moderate(v.x) && Moderate(v.y) && Moderate(v.z); };
  bool safe = Moderate(state.WidthBound);
  for (int k = 0; k <= high; ++k)
    safe = safe && Moderate(figure.CurvePoints[k].Param) && moderate(figure.CurvePoints[k].Tangent) &&
           Moderate(state.TangentLengths[k]) &&
           (k == 0 || (moderate(state.MiddleJets[k].P) && moderate(state.MiddleJets[k].T) &&
                       moderate(state.MiddleJets[k].A) && Moderate(state.MiddleTangents[k].Length)));
  for (const TVector3& p : state.SpreadPoints) safe = safe && moderate(p);
  state.ScreensRaiseNothing = safe;
  if (safe) {
    // Worked out while none is kept, then kept.
    std::vector<long double> bends(high + 1);
    for (int k = 1; k <= high; ++k) bends[k] = BendOf(state, k);
    state.SegmentBends = std::move(bends);
    state.TangentSpreads.assign(high + 1, 0);
    for (int k = 1; k <= high; ++k) {
      const TVector3 middle = state.MiddleTangents[k].T / state.MiddleTangents[k].Length;
      state.TangentSpreads[k] =
          std::max(Length(figure.CurvePoints[k - 1].Tangent / state.TangentLengths[k - 1] - middle),
                   Length(figure.CurvePoints[k].Tangent / state.TangentLengths[k] - middle));
    }
  }
}

// The links of every segment as a row of bits, so that the segments linked to two
// given ones are the common bits of their rows.
class LinkRows {
 public:
  explicit LinkRows(const SegmentLinks& links) : words_((links.size() + 63) / 64), bits_(links.size() * words_) {
    for (std::size_t k = 0; k < links.size(); ++k)
      for (const std::int16_t l : links[k]) {
        CheckIndex(l, links.size());
        bits_[k * words_ + l / 64] |= std::uint64_t{1} << (l % 64);
      }
  }

  // Calls visit(m) for every m in l + 1..last linked to both i and l, ascending, while
  // visit answers true.
  template <class Visit>
  void ForCommon(int i, int l, int last, Visit&& visit) const {
    const int first = l + 1;
    if (first > last) return;
    CheckIndex(last, words_ * 64);
    const std::uint64_t* a = &bits_.at(static_cast<std::size_t>(i) * words_);
    const std::uint64_t* b = &bits_.at(static_cast<std::size_t>(l) * words_);
    const int firstWord = first / 64, lastWord = last / 64;
    for (int w = firstWord; w <= lastWord; ++w) {
      std::uint64_t common = a[w] & b[w];
      if (common == 0) continue;
      if (w == firstWord) common &= ~std::uint64_t{0} << (first % 64);
      if (w == lastWord) common &= ~std::uint64_t{0} >> (63 - last % 64);
      for (; common != 0; common &= common - 1)
        if (!visit(w * 64 + std::countr_zero(common))) return;
    }
  }

 private:
  std::size_t words_;
  std::vector<std::uint64_t> bits_;
};

// Goes through the pairs of linked segments i < l of rows first..last - 1 in order,
// those of segments l with links of their own, while MaxLinkPairs pairs of links
// counted in `looked` allow: for each, candidates(i, l, lastM) looks at the segments m
// linked to both up to lastM and answers the m where the search stops, or -1. Counts
// the links of l up to lastM (up to the stop) in `looked`, and ends at the stop or the
// limit.
template <class Candidates>
void WalkPairs(const SegmentLinks& links, int first, int last, long long& looked, Candidates&& candidates) {
  if (looked >= MaxLinkPairs) return;
  for (int i = first; i < last; ++i) {
    const std::vector<std::int16_t>& ni = links.at(i);
    for (const std::int16_t l : ni) {
      WorkCounters::PollCancel();
      const std::vector<std::int16_t>& nl = links.at(l);
      if (nl.empty()) continue;
      // The links of l up to nl[room - 1] (LinkSegments lists them ascending).
      const std::size_t room = static_cast<std::size_t>(std::min<long long>(nl.size(), MaxLinkPairs - looked));
      const int stop = candidates(i, static_cast<int>(l), std::min<int>(nl[room - 1], ni.back()));
      looked += stop < 0 ? static_cast<long long>(room)
                         : std::lower_bound(nl.begin(), nl.begin() + room, stop) - nl.begin() + 1;
      if (stop >= 0 || looked >= MaxLinkPairs) return;
    }
  }
}

// A candidate past the screens that depend on the curve alone.
struct Survivor {
  int I = 0, L = 0, M = 0;
};

// Rows first..last (excluded) in `parts` consecutive ranges of about equal weight,
// before[i] being the weight of the rows ahead of row i (ascending): the parts + 1
// bounds, first and last at the ends; ranges may be empty.
std::vector<int> SplitRows(const std::vector<long long>& before, int first, int last, int parts) {
  std::vector<int> bounds(parts + 1, last);
  bounds[0] = first;
  const long long total = before[last] - before[first];
  for (int k = 1, i = first; k < parts; ++k) {
    while (i < last && (before[i] - before[first]) * parts < total * k) ++i;
    bounds[k] = i;
  }
  return bounds;
}

}  // namespace

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
  PrepareState(state);
  const LinkRows rows(links);
  const auto stopped = [&state] { return state.Solved >= MaxSolved || state.CurveIsPlanar; };
  long long looked = 0;
  if (!state.ScreensRaiseNothing || Parallel::Threads() < 2) {
    // Every candidate in turn, in the screens' own order, which passes over the plane
    // screens of the candidates on known faces.
    WalkPairs(links, 1, high, looked, [&](int i, int l, int last) {
      const LinkedPair pair = PairOf(state, i, l);
      int stop = -1;
      rows.ForCommon(i, l, last, [&](int m) {
        CheckCandidate(pair, m, state, analysis);
        if (stopped()) stop = m;
        return stop < 0;
      });
      return stop;
    });
  } else {
    // The screens that depend on the curve alone run side by side over bands of rows,
    // each band listing its survivors in order; then the survivors go in that order
    // through what depends on the faces found so far. Chunk by chunk of rows, so that
    // a search that stops early screens little beyond.
    std::vector<long long> before(high + 1, 0);
    for (int i = 1; i < high; ++i) {
      long long row = 0;
      for (const std::int16_t l : links[i]) row += static_cast<long long>(links.at(l).size());
      before[i + 1] = std::min(MaxLinkPairs, before[i] + row);
    }
    constexpr int Chunks = 8;
    constexpr long long MinSplitLooks = 20000;
    const std::vector<int> chunks = SplitRows(before, 1, high, Chunks);
    for (int c = 0; c < Chunks && !stopped() && looked < MaxLinkPairs; ++c) {
      const int first = chunks[c], last = chunks[c + 1];
      const int bands = before[last] - before[first] >= MinSplitLooks ? 4 * Parallel::Threads() : 1;
      const std::vector<int> starts = SplitRows(before, first, last, bands);
      std::vector<std::vector<Survivor>> survivors(bands);
      Parallel::RunBands(bands, [&](int k) {
        long long bandLooked = before[starts[k]];
        WalkPairs(links, starts[k], starts[k + 1], bandLooked, [&](int i, int l, int lastM) {
          const LinkedPair pair = PairOf(state, i, l);
          rows.ForCommon(i, l, lastM, [&](int m) {
            // The faces found before this chunk stay: a candidate on one is dropped.
            if (PassesScreens(pair, m, state)) survivors[k].push_back({i, l, m});
            return true;
          });
          return -1;
        });
      });
      std::vector<Survivor> all;
      for (const std::vector<Survivor>& band : survivors) all.insert(all.end(), band.begin(), band.end());
      std::size_t next = 0;
      WalkPairs(links, first, last, looked, [&](int i, int l, int) {
        for (; next < all.size() && all[next].I == i && all[next].L == l; ++next) {
          const int m = all[next].M;
          if (!OnOneFace(state, i, l, m)) SolveScreened(i, l, m, state, analysis);
          if (stopped()) return m;
        }
        return -1;
      });
    }
  }
  cut = looked >= MaxLinkPairs || state.Solved >= MaxSolved;
  if (state.CurveIsPlanar) {
    // Whatever was solved before is rounding noise: a planar curve has no tritangent plane.
    analysis.TritangentTriples.clear();
    analysis.FlatFaces.clear();
  }
  analysis.TritangentCount = static_cast<std::int32_t>(analysis.TritangentTriples.size());
}

}  // namespace Tritangents
