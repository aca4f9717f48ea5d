#include "render/HullMesh.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>
#include <tuple>
#include <utility>

#include "formula/FunPars.h"
#include "geometry/Bitangents.h"
#include "geometry/CurveCrossing.h"
#include "geometry/Sampling.h"
#include "geometry/SharedState.h"
#include "geometry/Vectors.h"
#include "geometry/WorkCounters.h"
#include "render/HullPicture.h"
#include "render/MeshCircle.h"
#include "render/MeshFaces.h"
#include "render/ParameterGrid.h"

namespace HullMesh {

namespace {

// One bitangent segment of a strip: the parameters of its two ends on the parameter
// circle and the outward normal of its plane.
struct TRuling {
  long double A, B;
  TVector3 Normal;
};
using TStrip = std::vector<TRuling>;

// How far ruling x lies from the segment between parameters a and b, taken either way
// round: the larger of the two ends' distances along the circle. `swapped` tells that
// x.A lies next to b.
long double RulingDistance(const TParameterCircle& circle, const TRuling& x, long double a, long double b,
                           bool& swapped) {
  const long double straight = std::max(circle.Distance(x.A, a), circle.Distance(x.B, b));
  const long double crossed = std::max(circle.Distance(x.A, b), circle.Distance(x.B, a));
  swapped = crossed < straight;
  return std::min(straight, crossed);
}

// Near the point where a strip closes the records' parameters jitter; an arc that steps
// back by a little would fold the strip over itself. Steps against the arc's way of
// less than `jitter` keep the arc where it was; a longer way back (the strip really
// turning along the curve) is followed.
void SmoothArc(const TParameterCircle& circle, TStrip& strip, long double TRuling::*end, long double jitter) {
  long double front = strip.front().*end, way = 0;
  for (TRuling& r : strip) {
    const long double step = circle.Step(front, r.*end);
    if (step * way < 0 && std::fabs(step) < jitter) {
      r.*end = front;
      continue;
    }
    if (std::fabs(step) >= jitter) way = step;
    front = r.*end;
  }
}

// The segment of a ruling, from the end at A to the end at B.
TVector3 RulingVector(const FunPars::TCurve& curve, const TRuling& r) {
  TVector3 a, b;
  FunPars::EvalCurve(curve, r.A, a), FunPars::EvalCurve(curve, r.B, b);
  return b - a;
}

// The strips of the drawn records, as the picture walks them; strips of one ruling
// have no area and are left out. Where the curve crosses itself a strip may shrink to
// that point and widen again, its rulings turned round: the two sides face opposite
// ways along the records, so they become two strips, each closed at the crossing later.
std::vector<TStrip> RecordStrips(const FunPars::TCurve& curve, const Bitangents::TAnalysis& analysis,
                                 const TParameterCircle& circle) {
  std::vector<TStrip> strips;
  TVector3 previous{0, 0, 0};
  HullPicture::WalkStrips(analysis, [&](const BitangentRecord& b, bool stripStart) {
    const TRuling r{circle.Wrap(b.ParamS), circle.Wrap(b.ParamT), b.PlaneNormal};
    WorkCounters::PollCancel();
    const TVector3 segment = RulingVector(curve, r);
    if (stripStart || Dot(segment, previous) < 0) strips.emplace_back();
    previous = segment;
    strips.back().push_back(r);
  });
  // A strip whose rulings all lie on one segment (the same ruling at both ends of the
  // parameter interval) has no area either.
  std::erase_if(strips, [&circle](const TStrip& s) {
    return std::all_of(s.begin(), s.end(), [&](const TRuling& r) {
      bool swapped = false;
      return RulingDistance(circle, r, s.front().A, s.front().B, swapped) < circle.Merge();
    });
  });
  for (TStrip& strip : strips)
    for (const auto end : {&TRuling::A, &TRuling::B}) SmoothArc(circle, strip, end, circle.Span() / 1000);
  return strips;
}

// The distance in the square of parameter pairs, wrapped both ways round, from the pair
// of ruling p (either way round) to the segment between rulings q and r.
long double PairDistance(const TParameterCircle& circle, const TRuling& p, const TRuling& q, const TRuling& r) {
  const long double da = circle.Step(q.A, r.A), db = circle.Step(q.B, r.B);
  long double nearest = circle.Span();
  for (const bool swapped : {false, true}) {
    const long double pa = circle.Step(q.A, swapped ? p.B : p.A), pb = circle.Step(q.B, swapped ? p.A : p.B);
    const long double length = da * da + db * db;
    const long double f = length > 0 ? std::clamp((pa * da + pb * db) / length, 0.0L, 1.0L) : 0;
    nearest = std::min(nearest, std::hypot(pa - f * da, pb - f * db));
  }
  return nearest;
}

// Every index below `count`, ascending: the candidates when no grid narrows them down.
std::vector<std::uint32_t> AllPairs(std::size_t count) {
  std::vector<std::uint32_t> ids(count);
  std::iota(ids.begin(), ids.end(), 0);
  return ids;
}

// The pairs of `grid` (`count` in all) that may lie within its reach of the pair a, b
// either way round, each once in increasing order: all of them when it cannot place
// the pair.
std::vector<std::uint32_t> NearPairs(const TParameterGrid& grid, std::size_t count, long double a, long double b) {
  std::vector<std::uint32_t> ids;
  if (!grid.Near(a, b, ids) || !grid.Near(b, a, ids)) return AllPairs(count);
  std::sort(ids.begin(), ids.end());
  ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
  return ids;
}

// Where the tracing ran a branch into a piece already traced, two strips cover the
// same rulings. Longest first, each strip gives up the rulings at its ends that lie
// within `near` of a strip kept before it; a strip left with fewer than two is dropped.
void TrimOverlaps(const TParameterCircle& circle, std::vector<TStrip>& strips, long double near) {
  std::stable_sort(strips.begin(), strips.end(), [](const TStrip& x, const TStrip& y) { return x.size() > y.size(); });
  // Strips only lose rulings at their ends: each keeps rulings [first, last) of its own,
  // and the segments between all of them are filed once, before trimming.
  std::vector<std::size_t> first(strips.size(), 0), last;
  std::vector<TParameterGrid::TSegment> segments;
  std::vector<std::pair<std::size_t, std::size_t>> segmentAt;  // (strip, ruling)
  for (std::size_t o = 0; o < strips.size(); ++o) {
    last.push_back(strips[o].size());
    for (std::size_t k = 0; k + 1 < strips[o].size(); ++k) {
      const TRuling &q = strips[o][k], &r = strips[o][k + 1];
      segments.push_back({q.A, q.B, circle.Step(q.A, r.A), circle.Step(q.B, r.B)});
      segmentAt.emplace_back(o, k);
    }
  }
  const TParameterGrid grid(circle.Span(), near, segments);
  const auto covered = [&](std::size_t self, const TRuling& p) {
    const std::vector<std::uint32_t> nearby = NearPairs(grid, segments.size(), p.A, p.B);
    return std::any_of(nearby.begin(), nearby.end(), [&](std::uint32_t id) {
      const auto& [o, k] = segmentAt[id];
      return o < self && k >= first[o] && k + 1 < last[o] &&
             PairDistance(circle, p, strips[o][k], strips[o][k + 1]) < near;
    });
  };
  for (std::size_t s = 1; s < strips.size(); ++s) {
    WorkCounters::PollCancel();
    while (last[s] > first[s] && covered(s, strips[s][last[s] - 1])) --last[s];
    while (first[s] < last[s] && covered(s, strips[s][first[s]])) ++first[s];
  }
  for (std::size_t s = 0; s < strips.size(); ++s)
    strips[s] = TStrip(strips[s].begin() + static_cast<std::ptrdiff_t>(first[s]),
                       strips[s].begin() + static_cast<std::ptrdiff_t>(last[s]));
  std::erase_if(strips, [](const TStrip& s) { return s.size() < 2; });
}

// Ends strip `strip` at the segment (a, b), at its back or, reversed, at its front:
// rulings that lie beyond the segment, seen in the strip's direction of travel, are
// dropped first, then the segment becomes the last ruling (or replaces a last ruling
// that would share its vertices).
void EndAt(const TParameterCircle& circle, TStrip& strip, bool back, long double a, long double b) {
  if (!back) std::reverse(strip.begin(), strip.end());
  while (strip.size() >= 2) {
    const TRuling& last = strip.back();
    const TRuling& before = strip[strip.size() - 2];
    const long double onward = circle.Step(before.A, last.A) * circle.Step(last.A, a) +
                               circle.Step(before.B, last.B) * circle.Step(last.B, b);
    if (onward >= 0) break;
    strip.pop_back();
  }
  const TRuling last = strip.back();
  if (circle.Distance(last.A, a) < circle.Merge() && circle.Distance(last.B, b) < circle.Merge())
    strip.back() = {a, b, last.Normal};
  else
    strip.push_back({a, b, last.Normal});
  if (!back) std::reverse(strip.begin(), strip.end());
}

struct TEnd {
  std::size_t Strip;
  bool Back;
};

const TRuling& EndRuling(const std::vector<TStrip>& strips, const TEnd& end) {
  const TStrip& s = strips.at(end.Strip);
  return end.Back ? s.back() : s.front();
}

// What a strip end may meet: the point where its two ends come together (the strip
// closes to a point of the curve), a point where the curve crosses itself, an edge of a
// flat face, or the end of another strip (the same strip traced in two pieces, split at
// the seam of the parameter square or where the tracing stopped).
struct TMeeting {
  long double Distance;
  std::size_t End;
  enum { Point, Crossing, FaceEdge, OtherEnd } Kind;
  std::size_t Other = 0;  // the face edge's number or the other end's
  bool Swapped = false;
};

using TPair = std::pair<long double, long double>;

// Parameter pairs as points of the square of pairs.
std::vector<TParameterGrid::TSegment> Points(const std::vector<TPair>& pairs) {
  std::vector<TParameterGrid::TSegment> points;
  for (const auto& [a, b] : pairs) points.push_back({a, b, 0, 0});
  return points;
}

// The point of the curve where a strip whose end ruling is r closes: the junction
// (a flat face's contact or another strip's end) strictly between r's two ends that lies
// nearest to their middle, so that the pieces meeting there share that vertex, or the
// middle itself when there is none. `near` files each junction u as the pair (u, u).
long double ClosingPoint(const TParameterCircle& circle, const TRuling& r, const std::vector<long double>& junctions,
                         const TParameterGrid& near) {
  const long double way = circle.Step(r.A, r.B);
  const long double middle = circle.Wrap(r.A + way / 2);
  long double point = middle, nearest = std::fabs(way);
  // Only junctions nearer to the middle than the ruling is long count; beyond the grid's
  // reach all are looked at.
  const std::vector<std::uint32_t> candidates =
      nearest <= near.Reach() ? NearPairs(near, junctions.size(), middle, middle) : AllPairs(junctions.size());
  for (const std::uint32_t k : candidates) {
    const long double u = junctions[k];
    const long double along = circle.Step(r.A, u) / way;
    if (along > 0 && along < 1 && circle.Distance(u, middle) < nearest) point = u, nearest = circle.Distance(u, middle);
  }
  return point;
}

// Where the curve crosses itself next to ruling r, within `reach` of r's ends: a and b.
bool SelfCrossing(const FunPars::TCurve& curve, const Sampling::TFigure& figure, const TParameterCircle& circle,
                  const TRuling& r, long double reach, long double& a, long double& b) {
  a = r.A, b = r.B;
  const auto point = [&curve](long double u) {
    TVector3 p;
    FunPars::EvalCurve(curve, u, p);
    return p;
  };
  const long double size = figure.FigureDiagonal > 0 ? figure.FigureDiagonal : 1;
  if (!CurveCrossing::FindCrossing(point, circle.Span(), reach, 1e-9L * size, a, b)) return false;
  a = circle.Wrap(a), b = circle.Wrap(b);
  return true;
}

// Every strip end is closed against the nearest thing it may meet within `reach` along
// the parameter circle, nearest first, each face edge and each end used once; a strip
// closed at a crossing of the curve shares the crossing's one vertex with every piece
// that meets it there. Answers the number of ends left open.
std::int32_t CloseStripEnds(const FunPars::TCurve& curve, const Sampling::TFigure& figure, TParameterCircle& circle,
                            std::vector<TStrip>& strips, const std::vector<TFlatFace>& faces, long double reach) {
  std::vector<TEnd> ends;
  for (std::size_t s = 0; s < strips.size(); ++s) ends.push_back({s, false}), ends.push_back({s, true});
  std::vector<TPair> edges;
  for (const TFlatFace& face : faces)
    for (std::size_t k = 0; k < face.Outline.size(); ++k)
      edges.emplace_back(face.Outline[k], face.Outline[(k + 1) % face.Outline.size()]);

  // Where pieces meet: the flat faces' contacts and the strips' end parameters.
  std::vector<long double> junctions;
  for (const auto& edge : edges) junctions.push_back(edge.first);
  for (const TEnd& end : ends) junctions.push_back(EndRuling(strips, end).A), junctions.push_back(EndRuling(strips, end).B);
  // A strip closes to a point when its end ruling spans at most twice the reach; face
  // edges and other ends count within the reach.
  std::vector<TPair> junctionPairs, endPairs;
  for (const long double u : junctions) junctionPairs.emplace_back(u, u);
  for (const TEnd& end : ends) endPairs.emplace_back(EndRuling(strips, end).A, EndRuling(strips, end).B);
  const TParameterGrid junctionGrid(circle.Span(), 2 * reach, Points(junctionPairs));
  const TParameterGrid edgeGrid(circle.Span(), reach, Points(edges)), endGrid(circle.Span(), reach, Points(endPairs));

  std::vector<TMeeting> meetings;
  std::vector<TPair> crossings;
  for (std::size_t e = 0; e < ends.size(); ++e) {
    WorkCounters::PollCancel();
    const TRuling& r = EndRuling(strips, ends[e]);
    meetings.push_back({circle.Distance(r.A, r.B) / 2, e, TMeeting::Point});
    long double a = 0, b = 0;
    if (SelfCrossing(curve, figure, circle, r, reach, a, b)) {
      meetings.push_back(
          {std::max(circle.Distance(a, r.A), circle.Distance(b, r.B)), e, TMeeting::Crossing, crossings.size()});
      crossings.emplace_back(a, b);
    }
    bool swapped = false;
    for (const std::size_t k : NearPairs(edgeGrid, edges.size(), r.A, r.B))
      meetings.push_back({RulingDistance(circle, r, edges[k].first, edges[k].second, swapped), e,
                          TMeeting::FaceEdge, k, swapped});
    for (const std::size_t o : NearPairs(endGrid, ends.size(), r.A, r.B)) {
      if (o <= e) continue;
      // A strip may close on itself when it runs all the way round.
      if (ends[o].Strip == ends[e].Strip && strips[ends[e].Strip].size() < 3) continue;
      const TRuling& other = EndRuling(strips, ends[o]);
      meetings.push_back({RulingDistance(circle, r, other.A, other.B, swapped), e, TMeeting::OtherEnd, o, swapped});
    }
  }
  std::erase_if(meetings, [reach](const TMeeting& m) { return !(m.Distance <= reach); });
  std::stable_sort(meetings.begin(), meetings.end(),
                   [](const TMeeting& x, const TMeeting& y) { return x.Distance < y.Distance; });

  std::vector<bool> endDone(ends.size(), false), edgeDone(edges.size(), false);
  for (const TMeeting& m : meetings) {
    if (endDone[m.End]) continue;
    const TEnd& end = ends[m.End];
    const TRuling r = EndRuling(strips, end);
    if (m.Kind == TMeeting::Point) {
      const long double point = ClosingPoint(circle, r, junctions, junctionGrid);
      EndAt(circle, strips[end.Strip], end.Back, point, point);
    } else if (m.Kind == TMeeting::Crossing) {
      const auto& [a, b] = crossings.at(m.Other);
      EndAt(circle, strips[end.Strip], end.Back, a, b);
      circle.Join(a, b);
    } else if (m.Kind == TMeeting::FaceEdge) {
      if (edgeDone[m.Other]) continue;
      edgeDone[m.Other] = true;
      const auto& [a, b] = edges[m.Other];
      EndAt(circle, strips[end.Strip], end.Back, m.Swapped ? b : a, m.Swapped ? a : b);
    } else {
      if (endDone[m.Other]) continue;
      endDone[m.Other] = true;
      // The other piece first gives up what it has beyond this end; then this piece
      // runs on to the other's end, so that the two share that ruling.
      const TEnd& other = ends[m.Other];
      EndAt(circle, strips[other.Strip], other.Back, m.Swapped ? r.B : r.A, m.Swapped ? r.A : r.B);
      const TRuling o = EndRuling(strips, other);
      EndAt(circle, strips[end.Strip], end.Back, m.Swapped ? o.B : o.A, m.Swapped ? o.A : o.B);
    }
    endDone[m.End] = true;
  }
  return static_cast<std::int32_t>(std::count(endDone.begin(), endDone.end(), false));
}

// A vertex of a strip's boundary arc: how far along the strip it lies, in rulings
// (record r at r, a vertex passed between records r and r + 1 in between), and the
// ruling before it, whose normal tells the strip's outside there.
struct TArcVertex {
  std::int32_t Vertex;
  long double Progress;
  std::size_t Ruling;
};

// The vertices along one boundary arc of `strip` (the ends A, or the ends B): its
// rulings' ends and every vertex of the circle they pass on the way.
std::vector<TArcVertex> StripArc(const TParameterCircle& circle, const TStrip& strip, long double TRuling::*end) {
  std::vector<TArcVertex> arc{{circle.VertexAt(strip.front().*end), 0, 0}};
  std::vector<TParameterCircle::TPassed> passed;
  for (std::size_t r = 0; r + 1 < strip.size(); ++r) {
    const long double from = strip[r].*end;
    circle.Between(from, circle.Step(from, strip[r + 1].*end), passed);
    for (const auto& p : passed) arc.push_back({p.Vertex, static_cast<long double>(r) + p.Share, r});
    const std::int32_t v = circle.VertexAt(strip[r + 1].*end);
    if (v != arc.back().Vertex) arc.push_back({v, static_cast<long double>(r + 1), r});
  }
  return arc;
}

TVector3 AreaNormal(const THullMesh& mesh, const std::array<std::int32_t, 3>& t) {
  const TVector3& a = mesh.Vertices.at(t[0]);
  return Cross(mesh.Vertices.at(t[1]) - a, mesh.Vertices.at(t[2]) - a);
}

// The strip as a zipper between its two arcs: walking both by progress, each step
// joins the next vertex of one arc to the current vertex of the other. Every ruling of
// the strip becomes an edge; the triangles share one winding, turned outwards as the
// rulings' normals say on the whole.
void AddStrip(THullMesh& mesh, const TParameterCircle& circle, const TStrip& strip) {
  const std::vector<TArcVertex> s = StripArc(circle, strip, &TRuling::A), t = StripArc(circle, strip, &TRuling::B);
  const std::size_t first = mesh.Triangles.size();
  long double outwards = 0;
  std::size_t i = 0, j = 0;
  while (i + 1 < s.size() || j + 1 < t.size()) {
    const bool alongS = j + 1 >= t.size() || (i + 1 < s.size() && s[i + 1].Progress < t[j + 1].Progress);
    const std::array<std::int32_t, 3> triangle =
        alongS ? std::array{s[i].Vertex, s[i + 1].Vertex, t[j].Vertex} : std::array{s[i].Vertex, t[j + 1].Vertex, t[j].Vertex};
    const std::size_t ruling = alongS ? s[++i].Ruling : t[++j].Ruling;
    // Where the arcs meet (the strip closes to a point) a step may join a vertex to itself.
    if (triangle[0] == triangle[1] || triangle[1] == triangle[2] || triangle[0] == triangle[2]) continue;
    mesh.Triangles.push_back(triangle);
    outwards += Dot(AreaNormal(mesh, triangle), strip[ruling].Normal);
  }
  if (outwards < 0)
    for (std::size_t k = first; k < mesh.Triangles.size(); ++k) std::swap(mesh.Triangles[k][1], mesh.Triangles[k][2]);
  if (mesh.Triangles.size() > first) ++mesh.Strips;
}

// Where a strip runs round over a fan of rulings it covered already, the two passes
// may give the same triangle wound both ways: a fold of no thickness whose edges are
// walked twice. Such pairs are dropped; the sheets on either side still meet along the
// fold's edges.
void DropFolds(THullMesh& mesh) {
  using TTriangle = std::array<std::int32_t, 3>;
  // A triangle's corners in increasing order, which winding it has, and its place.
  struct TCorners {
    TTriangle Sorted;
    bool Turned;
    std::size_t At;
  };
  std::vector<TCorners> corners;
  for (std::size_t k = 0; k < mesh.Triangles.size(); ++k) {
    TTriangle t = mesh.Triangles[k];
    std::rotate(t.begin(), std::min_element(t.begin(), t.end()), t.end());
    const bool turned = t[1] > t[2];
    if (turned) std::swap(t[1], t[2]);
    corners.push_back({t, turned, k});
  }
  std::sort(corners.begin(), corners.end(),
            [](const TCorners& x, const TCorners& y) { return std::tie(x.Sorted, x.At) < std::tie(y.Sorted, y.At); });
  // Among the triangles on the same corners, in their order in the mesh, one waits for
  // the next wound the other way, and the two are dropped; repeats of the waiting one's
  // winding leave it waiting.
  std::vector<bool> dropped(mesh.Triangles.size(), false);
  for (std::size_t k = 0; k < corners.size();) {
    const TCorners* waiting = nullptr;
    std::size_t next = k;
    for (; next < corners.size() && corners[next].Sorted == corners[k].Sorted; ++next) {
      if (waiting == nullptr) {
        waiting = &corners[next];
      } else if (waiting->Turned != corners[next].Turned) {
        dropped[waiting->At] = dropped[corners[next].At] = true;
        waiting = nullptr;
      }
    }
    k = next;
  }
  std::size_t kept = 0;
  for (std::size_t k = 0; k < mesh.Triangles.size(); ++k)
    if (!dropped[k]) mesh.Triangles[kept++] = mesh.Triangles[k];
  mesh.Triangles.resize(kept);
}

void AddFace(THullMesh& mesh, const TParameterCircle& circle, const TFlatFace& face) {
  std::vector<std::int32_t> corners;
  for (const long double u : face.Outline) corners.push_back(circle.VertexAt(u));
  // A fan from the first corner covers the convex outline once; the outline runs
  // counter-clockwise seen from outside.
  bool added = false;
  for (std::size_t k = 1; k + 1 < corners.size(); ++k) {
    const std::array<std::int32_t, 3> t{corners[0], corners[k], corners[k + 1]};
    if (t[0] == t[1] || t[1] == t[2] || t[0] == t[2]) continue;
    mesh.Triangles.push_back(t);
    added = true;
  }
  if (added) ++mesh.FlatFaces;
}

}  // namespace

THullMesh BuildHullMesh(const FunPars::TCurve& curve, const Sampling::TFigure& figure,
                        const Bitangents::TAnalysis& analysis) {
  THullMesh mesh;
  if (!(figure.Param.TSpan > 0) || !std::isfinite(figure.Param.TSpan)) return mesh;
  // Parameters closer than this share a vertex: far apart for the records of a strip,
  // near enough that single-precision coordinates still tell the vertices apart.
  TParameterCircle circle(figure.Param.TMin, figure.Param.TSpan, 1e-6L * figure.Param.TSpan);
  std::vector<TStrip> strips = RecordStrips(curve, analysis, circle);
  const std::vector<TFlatFace> faces = SupportingFaces(curve, figure, analysis, circle);
  // A strip's last record on the hull lies at most about one tracing step before the
  // end it runs into; the steps are at most a 80th of the circle.
  TrimOverlaps(circle, strips, figure.Param.TSpan / 2000);
  mesh.OpenEnds = CloseStripEnds(curve, figure, circle, strips, faces, figure.Param.TSpan / 40);

  for (const TStrip& strip : strips)
    for (const TRuling& r : strip) circle.Add(r.A), circle.Add(r.B);
  for (const TFlatFace& face : faces)
    for (const long double u : face.Outline) circle.Add(u);
  circle.Finish(curve, mesh.Vertices);
  if (mesh.Vertices.empty()) return mesh;

  for (const TStrip& strip : strips) {
    WorkCounters::PollCancel();
    AddStrip(mesh, circle, strip);
  }
  DropFolds(mesh);
  mesh.StripTriangles = static_cast<std::int32_t>(mesh.Triangles.size());
  for (const TFlatFace& face : faces) AddFace(mesh, circle, face);
  return mesh;
}

TVector3 TriangleNormal(const THullMesh& mesh, std::size_t k) {
  const TVector3 n = AreaNormal(mesh, mesh.Triangles.at(k));
  const long double length = Length(n);
  return length > 0 ? n / length : TVector3{0, 0, 0};
}

long double MeshArea(const THullMesh& mesh) {
  long double area = 0;
  for (const auto& t : mesh.Triangles) area += Length(AreaNormal(mesh, t)) / 2;
  return area;
}

long double MeshVolume(const THullMesh& mesh) {
  if (mesh.Vertices.empty()) return 0;
  TVector3 centre{0, 0, 0};
  for (const TVector3& v : mesh.Vertices) centre = centre + v;
  centre = centre * (1.0L / mesh.Vertices.size());
  // Each triangle spans a tetrahedron with the centre; the mean keeps the terms small.
  long double volume = 0;
  for (const auto& t : mesh.Triangles)
    volume += Dot(mesh.Vertices.at(t[0]) - centre, AreaNormal(mesh, t)) / 6;
  return volume;
}

std::int32_t OpenEdges(const THullMesh& mesh) {
  // For every edge, how often it is walked from its lower to its higher vertex and back.
  std::map<std::pair<std::int32_t, std::int32_t>, std::pair<int, int>> walks;
  for (const auto& t : mesh.Triangles)
    for (int k = 0; k < 3; ++k) {
      const std::int32_t a = t[k], b = t[(k + 1) % 3];
      auto& w = walks[{std::min(a, b), std::max(a, b)}];
      ++(a < b ? w.first : w.second);
    }
  return static_cast<std::int32_t>(
      std::count_if(walks.begin(), walks.end(), [](const auto& w) { return w.second != std::pair{1, 1}; }));
}

}  // namespace HullMesh
