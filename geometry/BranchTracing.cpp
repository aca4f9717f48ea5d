// Predictor-corrector continuation of a bitangent branch through the parameter square,
// with the visited-cell bookkeeping and the records inserted between traced points.
#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "formula/Checks.h"
#include "geometry/BitangentsInternal.h"
#include "geometry/CurveCrossing.h"
#include "geometry/Sampling.h"
#include "geometry/SharedState.h"
#include "geometry/Vectors.h"

namespace Bitangents {
namespace {

Pair PairOf(const BitangentRecord& r) { return {r.ParamS, r.ParamT}; }

// The 16 unit directions (cos k pi/8, sin k pi/8) around a seed.
const std::array<Pair, 16>& ProbeDirections() {
  static const std::array<Pair, 16> directions = [] {
    std::array<Pair, 16> d;
    for (int k = 0; k < 16; ++k) {
      const long double a = k * Glob::Pi / 8;
      d[k] = {std::cos(a), std::sin(a)};
    }
    return d;
  }();
  return directions;
}

// Sine of the angle between two (not necessarily unit) normals; q when the product of
// their squared lengths, q, is tiny.
long double SineBetween(const TVector3& a, const TVector3& b) {
  const long double q = Dot(a, a) * Dot(b, b);
  if (!(q > 1e-15L)) return q;
  const long double c = Dot(a, b);
  return std::sqrt(std::fabs(1 - c * c / q));
}

// The angle between the planes of two normals, whichever way they point; NaN when one
// is degenerate.
long double TurnBetween(const TVector3& a, const TVector3& b) {
  if (!(Dot(a, a) * Dot(b, b) > 1e-15L)) return std::numeric_limits<long double>::quiet_NaN();
  return std::atan2(Length(Cross(a, b)), std::fabs(Dot(a, b)));
}

// Appends up to n - 1 records between prev and cur: pairs spaced evenly on the straight
// segment between them, each corrected back onto the branch across that segment (a
// point of the chord is no bitangent pair, and its plane would cut the curve where the
// branch bends), with its curve points, plane normal and support flag. A pair that
// does not correct within the segment's length is left out; the first one without a
// plane normal ends the insertion.
void InsertBetween(TTracing& w, const BitangentRecord& prev, const BitangentRecord& cur, std::int32_t n) {
  if (n <= 1) return;
  const Pair from = PairOf(prev), step = (1.0L / n) * (PairOf(cur) - from);
  const long double reach = std::hypot(step.x, step.y) * n;
  for (std::int32_t k = 1; k < n; ++k) {
    const Pair x = from + k * step;
    BitangentRecord z;
    long double acc;
    if (!CorrectPair(w, x, from, CorrectMode::Perpendicular, acc, z) ||
        !(std::hypot(z.ParamS - x.x, z.ParamT - x.y) < reach))
      continue;
    z.StartsBranch = 0;
    if (!PairPlaneNormal(w, z)) return;
    SupportTest(w.Figure, w.SupportBalls, z);
    AppendRecord(w, z);
  }
}

// Marks one cell of a walk; true when it was marked already.
bool MarkCell(TTracing& w, int g, int k) {
  CheckIndex(g, w.CellCount);
  CheckIndex(k, w.CellCount);
  if (w.VisitedCells[g][k] != 0) return true;
  w.VisitedCells[g][k] = 1;
  return false;
}

struct Cell {
  std::int32_t G = 0, K = 0;
  bool operator==(const Cell&) const = default;
};

Cell CellOfPair(const TTracing& w, const Pair& x) { return {CellOf(w, x.x), CellOf(w, x.y)}; }

// A traced point must lie strictly inside the square. The corrector guarantees that
// except when the prediction itself already solves the residual: near the border a
// branch that leaves the square is predicted across it and accepted unchanged, and
// its cell would lie outside the grid.
bool Inside(const TTracing& w, const Pair& x) { return Margin(w.Figure.Param, x.x, x.y) > 0; }

// CorrectPair from x; true when it converged, inside the square or not, with the pair
// reached in r (the corrector writes one it reached outside while failing).
bool Converged(const TTracing& w, const Pair& x, const Pair& ref, CorrectMode mode, long double& acc,
               BitangentRecord& r, long double tilt = 0) {
  r.ParamS = std::numeric_limits<long double>::quiet_NaN();
  return CorrectPair(w, x, ref, mode, acc, r, nullptr, nullptr, nullptr, tilt) || !std::isnan(r.ParamS);
}

// The corrector in perpendicular mode around the seed, accepted within `reach` of it
// and only with a plane normal; the probe's points are taken from `memo` when kept there.
bool StartPoint(const TTracing& w, const Pair& probe, const Pair& seed, long double reach,
                const ParamPointsMemo& memo, BitangentRecord& r) {
  long double acc;
  if (!CorrectPair(w, probe, seed, CorrectMode::Perpendicular, acc, r, memo.Find(probe.x), memo.Find(probe.y)))
    return false;
  return std::hypot(r.ParamS - seed.x, r.ParamT - seed.y) < reach && PairPlaneNormal(w, r);
}

// Between a and b, whose support flags differ, the on-hull record nearest to where the
// flag changes, by bisection of the straight segment of their pairs (each midpoint
// corrected back onto the branch across it), up to 2^-16 of it or the first midpoint
// that does not correct. False when no midpoint on the hull's side was found: the one
// of a and b on the hull is then the nearest itself.
bool HullBoundary(const TTracing& w, BitangentRecord a, BitangentRecord b, BitangentRecord& boundary) {
  bool found = false;
  for (int k = 0; k < 16; ++k) {
    const Pair x = 0.5L * (PairOf(a) + PairOf(b));
    BitangentRecord m;
    long double acc;
    if (!CorrectPair(w, x, PairOf(a), CorrectMode::Perpendicular, acc, m) || !PairPlaneNormal(w, m)) break;
    SupportTest(w.Figure, w.SupportBalls, m);
    found = found || m.OnHull;
    (m.OnHull == a.OnHull ? a : b) = m;
  }
  boundary = a.OnHull ? a : b;
  boundary.StartsBranch = 0;
  return found;
}

// A strip narrows to a point where its branch meets the diagonal s = t, and a step
// often jumps across it, the rest of the strip lying on the mirror side (t < s) that is
// not drawn. When prev and cur lie on the two sides, close to it, the pair where their
// segment meets the diagonal, its plane the osculating one; false otherwise.
bool DiagonalBetween(const TTracing& w, const BitangentRecord& prev, const BitangentRecord& cur,
                     BitangentRecord& r) {
  const long double g0 = prev.ParamT - prev.ParamS, g1 = cur.ParamT - cur.ParamS;
  if (!(g0 * g1 < 0) || !(std::fabs(g0) + std::fabs(g1) < 4 * w.ArcStepMax)) return false;
  r.ParamS = r.ParamT = prev.ParamS + g0 / (g0 - g1) * (cur.ParamS - prev.ParamS);
  r.PointS = r.PointT = CurvePoint(w, r.ParamS);
  r.StartsBranch = 0;
  return PairPlaneNormal(w, r);
}

// Classifies cur, inserts the records between prev and cur that its flag asks for,
// and appends cur as a continuing record; a step across the diagonal is taken in two,
// through the pair on it. Where the flag changes, the strip on the
// hull is closed at the change (within a 2^-16 part of the step), so that it meets the
// flat face or the strip that takes over there without a gap. On the hull, a step whose
// planes turn fast is filled by their turn from prev, or from cur when `fromCur` (the
// end that lies on a flat face's edge, where they turn fastest).
void AppendTraced(TTracing& w, const BitangentRecord& prev, BitangentRecord& cur, bool fromCur = false) {
  BitangentRecord diagonal;
  if (DiagonalBetween(w, prev, cur, diagonal)) {
    AppendTraced(w, prev, diagonal);
    AppendTraced(w, diagonal, cur, fromCur);
    return;
  }
  SupportTest(w.Figure, w.SupportBalls, cur);
  BitangentRecord boundary;
  if (cur.OnHull == prev.OnHull) {
    if (cur.OnHull && TurnBetween(prev.PlaneNormal, cur.PlaneNormal) > MaxFillTurn)
      FillByTurn(w, prev, cur, fromCur);
    else
      FillBySpacing(w, prev, cur);
  } else if (HullBoundary(w, prev, cur, boundary)) {
    // The planes turn fastest next to the change, at the edge of a flat face: the part
    // on the hull is filled by its turn, so that how many records it gets depends on the
    // strip and not on where the step happened to fall.
    if (prev.OnHull) FillByTurn(w, prev, boundary, true);
    AppendRecord(w, boundary);
    if (cur.OnHull) FillByTurn(w, boundary, cur);
  }
  cur.StartsBranch = 0;
  AppendRecord(w, cur);
}

// Appends the first two records of a branch, `start` marked as its start with its
// support flag, then `second` as AppendTraced does (filled from second when
// `fromSecond`).
void AppendBranchStart(TTracing& w, BitangentRecord& start, BitangentRecord& second, bool fromSecond) {
  start.StartsBranch = 1;
  SupportTest(w.Figure, w.SupportBalls, start);
  AppendRecord(w, start);
  AppendTraced(w, start, second, fromSecond);
}

// Where the branch at `from` (inside the square), heading along d, meets the border:
// from the crossing of its straight continuation with a border, when that lies within
// two arc steps (near a corner, with the other border when the corrector finds nothing
// along the first), or else from the nearest point of the nearest border, when that
// lies so close (a branch that crawls along the border heads along it), the bitangent
// pair found by the corrector moving along that border (a hair inside the square, where
// the corrector accepts pairs). True with it in r when it lies within two arc steps of
// where the corrector started and has a plane normal.
bool BorderPair(const TTracing& w, const Pair& from, const Pair& d, BitangentRecord& r) {
  const Glob::TParamConstants& param = w.Figure.Param;
  const long double inset = BorderInset(param), low = param.TMin + inset, high = param.TMax - inset;
  // From x on a border of t (moving along s) or of s (moving along t).
  const auto along = [&](const Pair& x, bool alongS) {
    const Pair ref = alongS ? Pair{x.x, x.y + 1} : Pair{x.x + 1, x.y};
    long double acc;
    return CorrectPair(w, x, ref, CorrectMode::Perpendicular, acc, r) &&
           std::hypot(r.ParamS - x.x, r.ParamT - x.y) < 2 * w.ArcStepMax && PairPlaneNormal(w, r);
  };
  // The continuation's parameter along d where coordinate u reaches the border.
  const auto reach = [&](long double u, long double du) {
    if (du == 0) return 1e30L;
    return ((du > 0 ? high : low) - u) / du;
  };
  const long double ls = reach(from.x, d.x), lt = reach(from.y, d.y), length = std::hypot(d.x, d.y);
  const auto near = [&](long double lambda) { return lambda >= 0 && lambda * length < 2 * w.ArcStepMax; };
  if (near(ls) || near(lt)) {
    const bool tFirst = lt < ls;
    for (const bool tBorder : {tFirst, !tFirst}) {
      const long double lambda = tBorder ? lt : ls;
      if (!near(lambda)) continue;
      // The other coordinate kept inside: past a corner the line has left the square.
      Pair x = from + lambda * d;
      x = {std::clamp(x.x, low, high), std::clamp(x.y, low, high)};
      if (tBorder)
        x.y = d.y > 0 ? high : low;
      else
        x.x = d.x > 0 ? high : low;
      if (along(x, tBorder)) return true;
    }
    return false;
  }
  const auto border = [&](long double u) { return u - param.TMin < param.TMax - u ? low : high; };
  const long double toS = std::fabs(border(from.x) - from.x), toT = std::fabs(border(from.y) - from.y);
  if (!(std::fmin(toS, toT) < 2 * w.ArcStepMax)) return false;
  return toT < toS ? along({from.x, border(from.y)}, true) : along({border(from.x), from.y}, false);
}

// Ends the branch, whose last record is `last` (in cell lastCell), where it meets the
// border heading along d (BorderPair): appends that pair, marks the cells up to it and
// keeps it in w.BorderEnds. Nothing when BorderPair finds none.
void CloseAtBorder(TTracing& w, const Pair& d, const BitangentRecord& last, Cell& lastCell) {
  BitangentRecord r;
  if (!BorderPair(w, PairOf(last), d, r)) return;
  AppendTraced(w, last, r, true);
  // The cells up to the border are the branch's too: a trace that reaches this border
  // from across the seam must find them taken.
  const Cell end = CellOfPair(w, PairOf(r));
  MarkPath(w, lastCell.G, lastCell.K, end.G, end.K);
  lastCell = end;
  w.BorderEnds.push_back(PairOf(r));
}

bool Below(const BitangentRecord& r) { return r.ParamT < r.ParamS; }

// Ends a direction whose step from prev (on or above the diagonal) to cur (below it)
// crosses the diagonal: appends the pair where their segment meets it, after prev as
// the branch's start when `first`, when prev lies strictly above, and marks the cells
// up to it. The rest is the mirror image of what was traced.
void EndAtDiagonal(TTracing& w, const BitangentRecord& prev, const BitangentRecord& cur, Cell& lastCell,
                   bool first) {
  BitangentRecord d;
  if (!DiagonalBetween(w, prev, cur, d)) return;
  if (first) {
    BitangentRecord start = prev;
    AppendBranchStart(w, start, d, false);
  } else {
    AppendTraced(w, prev, d);
  }
  const Cell end = CellOfPair(w, PairOf(d));
  MarkPath(w, lastCell.G, lastCell.K, end.G, end.K);
  lastCell = end;
}

// True when the curve crosses itself within a few cells of the pair x, which is then
// moved onto the crossing (P(x.x) = P(x.y)).
bool OnCurveCrossing(const TTracing& w, Pair& x) {
  using namespace Glob;
  const auto point = [&w](long double y) { return CurvePoint(w, y); };
  return CurveCrossing::FindCrossing(point, w.Figure.Param.TSpan, 8 * w.CellStep, 1e-9L * w.Figure.FigureDiagonal, x.x,
                                     x.y);
}

// Where the curve crosses itself, two branches of pairs cross in the square, and the
// one traced second runs into the cells of the first and stops there. Its continuation
// beyond may lie between two such crossings, where no seed of the grid need land.
// After a stop at `at`, coming from `before`, next to such a crossing: a seed four
// cells beyond the crossing joins w.CrossingSeeds.
void ContinueThroughCrossing(TTracing& w, const Pair& before, const Pair& at) {
  Pair crossing = at;
  if (!OnCurveCrossing(w, crossing)) return;
  const Pair way = crossing - before;
  const long double length = std::hypot(way.x, way.y);
  if (!(length > 0)) return;
  const Pair beyond = crossing + (4 * w.CellStep / length) * way;
  BitangentRecord seed;
  long double acc;
  if (!CorrectPair(w, beyond, beyond, CorrectMode::Gradient, acc, seed)) return;
  if (!(Margin(w.Figure.Param, seed.ParamS, seed.ParamT) > 0) || !PairPlaneNormal(w, seed)) return;
  std::int32_t g, k;
  seed = UpperOf(seed);
  if (FreeSeedCell(w, seed, g, k)) w.CrossingSeeds.push_back(seed);
}

// Beyond a point where the trace crawled or stuck, `at` (entered the current cell at
// `entry`; st the last steps): the pair a leap of one, then two arc steps further
// along the branch's direction, corrected across it. True with the record in r when
// the corrector lands near the line inside the square, with a plane normal.
bool LeapAcross(const TTracing& w, const Pair& entry, const Pair& at, const TraceState& st, BitangentRecord& r) {
  Pair d = at - entry;
  if (!(Dot2(d, d) > 1e-24L)) d = st.Pc - st.Pb;
  const long double length = std::sqrt(Dot2(d, d));
  if (!(length > 0)) return false;
  d = (1 / length) * d;
  for (int k = 1; k <= 2; ++k) {
    const long double leap = k * w.ArcStepMax;
    const Pair x = at + leap * d;
    long double acc;
    if (!Inside(w, x) || !CorrectPair(w, x, at, CorrectMode::Perpendicular, acc, r)) continue;
    if (std::hypot(r.ParamS - x.x, r.ParamT - x.y) < leap / 4 && PairPlaneNormal(w, r)) return true;
  }
  return false;
}

// True when `seed` lies ahead of `from` along `heading`, at most `reach` on and less
// than ProbeRadius off that line.
bool SeedAhead(const TTracing& w, const Pair& from, const Pair& heading, long double reach, const Pair& seed) {
  const long double length = std::sqrt(Dot2(heading, heading));
  if (!(length > 0)) return false;
  const Pair d = seed - from;
  const long double along = Dot2(d, heading) / length, off = std::fabs(d.x * heading.y - d.y * heading.x) / length;
  return along > 0 && along <= reach && off < w.ProbeRadius;
}

// Leaps over a crossing per direction of a trace, at most.
constexpr int MaxLeaps = 16;

}  // namespace

int StartDirections(const TTracing& w, const BitangentRecord& seed, std::array<BitangentRecord, 3>& dirs) {
  const Pair centre = PairOf(seed);
  const long double radius = w.ProbeRadius;
  const auto probe = [&](int k) { return centre + radius * ProbeDirections()[k]; };
  // Of equal residuals the first direction wins; when none is below 1e100 (all NaN or
  // huge), direction 1.
  int best = 1;
  long double bestValue = 1e100L;
  ParamPointsMemo memo;
  for (int k = 0; k < 16; ++k) {
    const long double value = std::fabs(ResidualFrom(w, probe(k), memo).F);
    if (value < bestValue) {
      bestValue = value;
      best = k;
    }
  }
  const bool first = StartPoint(w, probe(best), centre, 2 * radius, memo, dirs[1]);
  // The opposite probe; the second point may lie a little farther out.
  const bool second = StartPoint(w, probe((best + 8) % 16), centre, 3 * radius, memo, dirs[first ? 2 : 1]);
  return int(first) + int(second);
}

bool CircleStep(const TTracing& tracing, TraceState& st, const TVector3& na, const TVector3& nb, BitangentRecord& r,
                long double turn, long double tilt) {
  const Pair v0 = st.Pa - st.Pb, u = st.Pc - st.Pb;
  const long double l = Dot2(v0, v0), m = Dot2(u, u), g = Dot2(v0, u);
  const long double den = 2 * (l * m - g * g);
  Pair centre, v, w;
  long double radius;
  if (std::fabs(den) > 1e-8L) {
    // The circle through Pa, Pb, Pc; w is v turned a quarter turn in the sense of travel.
    const long double alpha = (l - g) * m / den, beta = (m - g) * l / den;
    centre = st.Pb + alpha * v0 + beta * u;
    radius = std::sqrt(l * m * (l + m - 2 * g) / (2 * den));
    v = st.Pc - centre;
    if (u.y * v0.x >= u.x * v0.y)
      w = {v.y, -v.x};
    else
      w = {-v.y, v.x};
  } else {
    // Nearly collinear: a circle of 100 last steps' radius, tangent to the line at Pc.
    if (m <= 1e-14L) return false;
    w = 100 * u;
    v = {w.y, -w.x};
    centre = st.Pc - v;
    radius = 100 * std::sqrt(m);
  }
  long double phi = std::fmin(tracing.ArcStepMax / radius, 0.1L);
  // The plane normal turned by `sine` over the last step; the next arc should turn it
  // by about `turn`.
  long double sine = SineBetween(na, nb);
  if (sine < 1e-9L) sine = 0.1L;
  const long double rate = sine * radius / std::sqrt(m);
  phi = std::fmin(turn / rate, phi);
  st.Leaves = false;
  for (int attempt = 0; attempt < 11; ++attempt) {
    const Pair x = centre + std::cos(phi) * v + std::sin(phi) * w;
    long double acc;
    BitangentRecord c;
    if (Converged(tracing, x, st.Pc, CorrectMode::Gradient, acc, c, tilt) && acc < 0.1L) {
      st.Next = PairOf(c);
      if (!Inside(tracing, st.Next)) {
        st.Leaves = true;
        return false;
      }
      r = c;
      return true;
    }
    phi = phi / 2;
  }
  return false;
}

bool MarkPath(TTracing& w, int g0, int k0, int g1, int k1) {
  MarkCell(w, g0, k0);
  if (g1 == g0 && k1 == k0) return false;
  bool collision = false;
  if (std::abs(g1 - g0) >= std::abs(k1 - k0)) {
    const int d = g1 > g0 ? 1 : -1;
    const long double slope = static_cast<long double>(k1 - k0) / (g1 - g0);
    for (int j = d; j != g1 - g0 + d; j += d)
      collision = MarkCell(w, g0 + j, RoundChecked(k0 + j * slope)) || collision;
  } else {
    const int d = k1 > k0 ? 1 : -1;
    const long double slope = static_cast<long double>(g1 - g0) / (k1 - k0);
    for (int j = d; j != k1 - k0 + d; j += d)
      collision = MarkCell(w, RoundChecked(g0 + j * slope), k0 + j) || collision;
  }
  return collision;
}

void FillByTurn(TTracing& w, const BitangentRecord& prev, const BitangentRecord& cur, bool fromCur) {
  const BitangentRecord &anchor = fromCur ? cur : prev, &end = fromCur ? prev : cur;
  const Pair from = PairOf(anchor), way = PairOf(end) - from;
  const long double length = std::hypot(way.x, way.y);
  if (!(length > 0) || !(TurnBetween(anchor.PlaneNormal, end.PlaneNormal) > MaxFillTurn)) return;
  // The pieces are ArcStepMax / 2^k long, counted from the anchor: fixed lengths, not
  // shares of the segment, so that the records near the anchor do not depend on where
  // the other end fell.
  const long double finest = std::ldexp(w.ArcStepMax, -MaxFillHalvings);
  std::vector<BitangentRecord> fill;
  TVector3 left = anchor.PlaneNormal;
  long double at = 0, piece = w.ArcStepMax;
  while (piece > finest || at + piece < length) {
    // The last piece reaches the other end when its planes turn little enough.
    if (at + piece >= length) {
      if (TurnBetween(left, end.PlaneNormal) <= MaxFillTurn) break;
      piece /= 2;
      continue;
    }
    const long double to = at + piece;
    const Pair x = from + (to / length) * way;
    BitangentRecord m;
    long double acc;
    const bool found = CorrectPair(w, x, from, CorrectMode::Perpendicular, acc, m) &&
                       std::hypot(m.ParamS - x.x, m.ParamT - x.y) < piece && PairPlaneNormal(w, m);
    const long double turn = found ? TurnBetween(left, m.PlaneNormal) : 0;
    if (piece > finest && (!found || !(turn <= MaxFillTurn))) {
      piece /= 2;
      continue;
    }
    if (!found) break;
    at = to;
    m.StartsBranch = 0;
    SupportTest(w.Figure, w.SupportBalls, m);
    fill.push_back(m);
    left = m.PlaneNormal;
    // Lengthened again, as far as the planes' turn over the last piece allows.
    for (long double t = 2 * turn; t < MaxFillTurn && piece < w.ArcStepMax; t *= 2) piece *= 2;
  }
  if (fromCur) std::reverse(fill.begin(), fill.end());
  for (const BitangentRecord& m : fill) AppendRecord(w, m);
}

void FillBySpacing(TTracing& w, const BitangentRecord& prev, const BitangentRecord& cur) {
  const long double d = std::fabs(cur.PointS.x - prev.PointS.x) + std::fabs(cur.PointS.y - prev.PointS.y) +
                        std::fabs(cur.PointT.x - prev.PointT.x) + std::fabs(cur.PointT.y - prev.PointT.y);
  const std::int32_t n = TruncChecked(d / w.Figure.FillSpacing + 1);
  // A distance that asks for thousands of records is a curve running off to infinity
  // between its samples; end the command rather than allocate without bound.
  if (n > MaxFillRecords) throw RangeError();
  InsertBetween(w, prev, cur, n);
}

namespace {

TVector3 ChordMiddle(const BitangentRecord& r) { return (r.PointS + r.PointT) / 2; }

// The planes of the records at Pb and at Pc: their normals, for the turn limit of the
// next step, and the middles of their chords, which the planes pass through.
struct LastPlanes {
  TVector3 NormalB, NormalC, MiddleB, MiddleC;
  void SetC(const BitangentRecord& c) {
    NormalC = c.PlaneNormal;
    MiddleC = ChordMiddle(c);
  }
  void Push(const BitangentRecord& c) {
    NormalB = NormalC;
    MiddleB = MiddleC;
    SetC(c);
  }
};

// The turn a step from `at`, the record at Pc, may take: StepTurn on the hull. Off it,
// the plane that turns by T (moving its chord's middle along, as over the last step)
// moves by about T (Reach + moved / turned) at the points that measure the depth of
// its cut, and a step may spend half the depth: up to MaxOffHullTurn.
struct TurnAllowance {
  long double Turn = StepTurn;
  CutDepth Cut;
};

TurnAllowance AllowedTurn(const TTracing& w, const LastPlanes& planes, const BitangentRecord& at) {
  TurnAllowance a;
  const long double turned = SineBetween(planes.NormalB, planes.NormalC);
  if (at.OnHull || !(turned > 1e-9L)) return a;
  a.Cut = CutDepthOf(w.Figure, at);
  const long double moved = Length(planes.MiddleC - planes.MiddleB);
  const long double turn = a.Cut.Depth / (2 * (a.Cut.Reach + moved / turned));
  if (turn > StepTurn) a.Turn = std::fmin(turn, MaxOffHullTurn);
  return a;
}

// CircleStep from the planes at Pb and Pc, `at` the record at Pc, and the new record's
// plane normal; true when both were found. A step that AllowedTurn lets turn farther
// than StepTurn is corrected only until its plane is within an eighth of the depth of
// the cut at `at` (up to MaxLooseTilt) of a bitangent one, and stands only when its
// plane moved by less than half the depths of the cuts at its two ends together (no
// piece of the branch between them can lie on the hull) and still cuts the curve when
// tilted so; otherwise it is taken again with StepTurn, to the full tolerance.
bool PlaneStep(const TTracing& w, TraceState& st, const LastPlanes& planes, const BitangentRecord& at,
               BitangentRecord& r) {
  const TurnAllowance allowed = AllowedTurn(w, planes, at);
  if (allowed.Turn > StepTurn) {
    const TraceState before = st;
    const long double tilt = std::fmin(allowed.Cut.Depth / (8 * allowed.Cut.Reach), MaxLooseTilt);
    if (CircleStep(w, st, planes.NormalB, planes.NormalC, r, allowed.Turn, tilt) && PairPlaneNormal(w, r)) {
      const CutDepth after = CutDepthOf(w.Figure, r);
      const long double moved = TurnBetween(at.PlaneNormal, r.PlaneNormal) * std::fmax(allowed.Cut.Reach, after.Reach) +
                                Length(ChordMiddle(r) - ChordMiddle(at));
      const long double slack = tilt * allowed.Cut.Reach;
      if (moved + slack < (allowed.Cut.Depth + after.Depth) / 2 && after.Depth > 2 * slack) return true;
    }
    st = before;
  }
  return CircleStep(w, st, planes.NormalB, planes.NormalC, r) && PairPlaneNormal(w, r);
}

}  // namespace

void TraceBranch(TTracing& w, BitangentRecord seed, int g, int k) {
  std::array<BitangentRecord, 3> dirs;
  const int count = StartDirections(w, seed, dirs);
  if (count == 0) {
    // No neighbouring solution: the seed stands as a polyline of one point.
    seed.StartsBranch = 1;
    SupportTest(w.Figure, w.SupportBalls, seed);
    AppendRecord(w, seed);
    seed.StartsBranch = 0;
    AppendRecord(w, seed);
    return;
  }
  const Pair origin = PairOf(seed);
  const long double m0 = Margin(w.Figure.Param, origin.x, origin.y);
  for (int i = 1; i <= count; ++i) {
    int sameCellSteps = 0;
    bool collision = false, go = true, stalled = false;
    BitangentRecord prev = seed, cur;
    BitangentRecord q = dirs[i];
    TraceState st;
    Cell last{g, k};
    const long double mq = Margin(w.Figure.Param, q.ParamS, q.ParamT);
    if (mq < 1e-9L) {
      // A seed on the border comes from across the seam, and the side where the branch
      // leaves the square at once is the way it came: traced already.
      if (m0 < 2 * BorderInset(w.Figure.Param)) continue;
      // The first point is on or beyond the border: the branch ends where it meets the
      // border, or else at the crossing of the straight line from the seed.
      if (!BorderPair(w, origin, PairOf(q) - origin, cur)) {
        // A hair inside, as every pair at the border, so that its cell is one of the
        // grid's.
        const long double lambda = m0 / (std::fabs(m0) + std::fabs(mq)), inset = BorderInset(w.Figure.Param);
        const auto inside = [&](long double u) {
          return std::clamp(u, w.Figure.Param.TMin + inset, w.Figure.Param.TMax - inset);
        };
        cur = q;
        cur.ParamS = inside(origin.x + (q.ParamS - origin.x) * lambda);
        cur.ParamT = inside(origin.y + (q.ParamT - origin.y) * lambda);
        cur.PointS = CurvePoint(w, cur.ParamS);
        cur.PointT = CurvePoint(w, cur.ParamT);
        // Without a plane of its own the crossing keeps the first point's.
        BitangentRecord own = cur;
        if (PairPlaneNormal(w, own)) cur = own;
      }
      AppendBranchStart(w, prev, cur, true);
      const Cell end = CellOfPair(w, PairOf(cur));
      MarkPath(w, last.G, last.K, end.G, end.K);
      w.BorderEnds.push_back(PairOf(cur));
      go = false;
    } else if (Below(q)) {
      // Crossed at once; from a seed on the diagonal, the mirror image of the other way.
      EndAtDiagonal(w, seed, q, last, true);
      go = false;
    } else {
      cur = q;
      AppendBranchStart(w, prev, cur, false);
      const Cell first = CellOfPair(w, PairOf(q));
      if (!(first == last)) {
        collision = MarkPath(w, last.G, last.K, first.G, first.K);
        go = !collision;
      }
      last = first;
      if (go) {
        // The first step is a record like every later one, with its own plane and
        // support flag: taken as the first point's, a flag that changes over this step
        // went unnoticed; left out, the strip's first quad spans two steps, and where the
        // strip leaves a flat face's corner its chord falls short of the curve.
        const BitangentRecord firstStep = cur;
        st.Pb = origin;
        st.Pc = PairOf(q);
        if (count == 2) {
          st.Pa = PairOf(dirs[3 - i]);
          go = CircleStep(w, st, seed.PlaneNormal, dirs[i].PlaneNormal, cur);
        } else {
          st.Pa = 2 * st.Pc - st.Pb;
          long double acc;
          BitangentRecord c;
          go = Converged(w, st.Pa, st.Pc, CorrectMode::Perpendicular, acc, c) && std::fabs(acc) < 0.1L;
          if (go) {
            st.Next = PairOf(c);
            st.Leaves = !Inside(w, st.Next);
            go = !st.Leaves;
            cur = c;
          }
        }
        go = go && PairPlaneNormal(w, cur);
        if (go && Below(cur)) {
          EndAtDiagonal(w, firstStep, cur, last, false);
          go = false;
        }
        if (go) AppendTraced(w, firstStep, cur);
        prev = firstStep;
      }
    }
    LastPlanes planes{seed.PlaneNormal, q.PlaneNormal, ChordMiddle(seed), ChordMiddle(q)};
    bool ranIntoBranch = false;
    // Where the trace entered its current cell, and whether the last step was a leap.
    Pair entry = st.Next;
    bool leapt = false;
    int leaps = 0;
    // The first direction has been more than a cell away from the seed's cell, and has
    // come round to the seed again (the branch is closed).
    bool away = false, closed = false;
    while (go) {
      prev = cur;
      const Cell next = CellOfPair(w, st.Next);
      if (!(next == last)) {
        sameCellSteps = 0;
        entry = st.Next;
        // A leap crosses the cells of the other branch at the crossing.
        collision = MarkPath(w, last.G, last.K, next.G, next.K) && !leapt;
        ranIntoBranch = collision;
        go = !collision;
        // Stopped in the cells it marked round the seed, a step short of it.
        closed = collision && i == 1 && away && SeedAhead(w, st.Next, st.Next - st.Pc, 2 * w.ArcStepMax, origin);
      } else {
        ++sameCellSteps;
      }
      last = next;
      away = away || std::abs(next.G - g) > 1 || std::abs(next.K - k) > 1;
      leapt = false;
      if (go) {
        st.Pa = st.Pb;
        st.Pb = st.Pc;
        st.Pc = st.Next;
        planes.Push(prev);
        go = PlaneStep(w, st, planes, prev, cur);
        stalled = !go;
        if (go && Below(cur)) {
          EndAtDiagonal(w, prev, cur, last, false);
          break;
        }
        // A step past the seed, before the cells round it could stop the trace.
        closed = go && i == 1 && away &&
                 SeedAhead(w, st.Pc, st.Next - st.Pc, std::sqrt(Dot2(st.Next - st.Pc, st.Next - st.Pc)), origin);
        go = go && !closed;
      }
      if (go) AppendTraced(w, prev, cur);
      if (collision || st.Leaves || closed) break;
      // A walk that stays in one cell for long has stalled. Leaving the edge of a flat
      // face, where the plane turns fast, the steps shrink to a few ten-thousandths of
      // the interval and take some thirty to cross a cell before they lengthen again.
      if (stalled || sameCellSteps > 60) {
        // The steps shrink to nothing where the branch crosses another one (the
        // residual's gradient vanishes there): go on beyond the crossing. Where the
        // curve crosses itself, the rulings shrink to a point and turn round, and the
        // strip must end there; its continuation is seeded beyond the crossing.
        const BitangentRecord base = stalled ? prev : cur;
        Pair at = PairOf(base);
        BitangentRecord landing;
        if (leaps == MaxLeaps || OnCurveCrossing(w, at) || !LeapAcross(w, entry, PairOf(base), st, landing)) break;
        ++leaps;
        if (Below(landing)) {
          EndAtDiagonal(w, base, landing, last, false);
          stalled = false;
          break;
        }
        AppendTraced(w, base, landing);
        st.Pc = PairOf(base);
        st.Next = PairOf(landing);
        st.Pb = 2 * st.Pc - st.Next;
        planes.SetC(base);
        cur = landing;
        stalled = false;
        leapt = go = true;
      }
    }
    // The strip must reach the border, where its continuation across the seam of the
    // closed curve begins: a step that leaves the square heads for it, and a branch that
    // stalls short of the border may have run out of the square.
    if (st.Leaves)
      CloseAtBorder(w, st.Next - st.Pc, prev, last);
    else if (stalled)
      CloseAtBorder(w, st.Pc - st.Pb, prev, last);
    // A closed branch ends at its seed, which closes the loop: the other direction
    // would trace the last steps again.
    if (closed) {
      BitangentRecord end = seed;
      AppendTraced(w, prev, end);
      break;
    }
    if (ranIntoBranch) ContinueThroughCrossing(w, st.Pc, st.Next);
    // The second direction starts from the seed again, so its cell must not stop it.
    if (i == 1 && count == 2) {
      CheckIndex(g, w.CellCount);
      CheckIndex(k, w.CellCount);
      w.VisitedCells[g][k] = 0;
    }
  }
  // The seed's cell is the branch's, whichever way the directions left it.
  CheckIndex(g, w.CellCount);
  CheckIndex(k, w.CellCount);
  w.VisitedCells[g][k] = 1;
}

}  // namespace Bitangents
