#include "render/HullPicture.h"

#include <QColor>
#include <QPainter>
#include <QPen>
#include <algorithm>
#include <cmath>

#include "formula/Checks.h"
#include "formula/FunPars.h"
#include "geometry/Sampling.h"
#include "geometry/SharedState.h"
#include "geometry/Tritangents.h"
#include "geometry/Vectors.h"
#include "geometry/WorkCounters.h"
#include "render/MeshCircle.h"
#include "render/Palette.h"
#include "render/Raster.h"

namespace HullPicture {

namespace {

constexpr int InitialRulings = 100;
constexpr int RulingGrowth = 10;

bool Painted(RenderMode mode, bool facesEye) {
  return mode == (facesEye ? RenderMode::PaintNear : RenderMode::PaintFar);
}

// The line of a ruling that closes a strip, painted only when its plane faces the eye:
// a line steps its pixels to the rows of its ends, up to a pixel beyond what the
// triangles cover, and on the far side at the outline that pixel showed the back.
void PaintRuling(TPictures& pictures, const TView& view, const Ruling& r, RenderMode mode) {
  if (mode == RenderMode::PaintNear && FacesEye(view, r.PointS, r.Normal))
    Raster::PaintSegment(pictures, r.EndS, r.EndT, Palette::PaletteColour(r.Shade));
}

// The shade and side of strip triangle (p0, p1, p2) bounded by the ruling of normal n;
// `outward` is the side its rulings' planes point to.
struct TriangleLook {
  std::int32_t Shade;
  bool FacesEye;
};

// Unit normal of the plane spanned by world edges d1 and d2, turned to the side of
// `outward`. False, n untouched, when the sine of the edges' angle is `minSine` or less.
bool OrientedNormal(const Sampling::TFigure& figure, const TVector3& d1, const TVector3& d2, const TVector3& outward,
                    long double minSine, TVector3& n) {
  // In units of the figure, so that the product stays in range at any size.
  const long double unit = figure.FigureDiagonal > 0 ? figure.FigureDiagonal : 1;
  const TVector3 a = d1 / unit, b = d2 / unit, c = Cross(a, b);
  const long double length = Length(c);
  if (!(length > minSine * Length(a) * Length(b))) return false;
  n = Dot(c, outward) < 0 ? c / -length : c / length;
  return true;
}

TriangleLook LookOf(const Sampling::TFigure& figure, const TView& view, const TVector3& p0, const TVector3& p1,
                    const TVector3& p2, const TVector3& outward, const TVector3& n, std::int32_t shade) {
  TVector3 own;
  if (!OrientedNormal(figure, p1 - p0, p2 - p0, outward, 1e-9L, own)) return {shade, FacesEye(view, p0, n)};
  const bool facesEye = FacesEye(view, p0, own);
  return {facesEye && !FacesEye(view, p0, n) ? ShadeIndex(view, own) : shade, facesEye};
}

// Round(v) as a pixel index 0..size - 1 of the hull picture; false when it falls outside.
// Values far outside are told apart before converting, so they never overflow.
bool RoundPixel(long double v, int size, int& pixel) {
  if (std::isnan(v)) throw RangeError();
  if (v < -1 || v > size) return false;
  pixel = RoundChecked(v);
  return pixel >= 0 && pixel < size;
}

// A curve point as the overlay sees it: its pixel, and how its depth relates to the
// front and back surfaces stored at that pixel.
struct OverlayPoint {
  bool Inside = false;
  int X = 0, Y = 0;
  bool NearFront = false, OnSurface = false;
};

// The depths written around a pixel, its own and its eight neighbours': a curve point
// lies up to half a pixel from its pixel's centre, and where the surface is steep, near
// the outline, its depth there differs from the one stored at the centre by tens of
// units.
struct DepthRange {
  std::int32_t Low = 32767, High = -32767;
  bool Empty() const { return Low > High; }
  void Add(std::int32_t z) {
    Low = std::min(Low, z);
    High = std::max(High, z);
  }
  bool Near(std::int32_t z) const { return !Empty() && z > Low - 20 && z < High + 20; }
};

OverlayPoint EvaluateCurvePoint(const TPictures& pictures, const TView& view, const Sampling::TFigure& figure, int k) {
  const ScreenPoint s = PicturePoint(pictures, view, figure.CurvePoints[k].Point);
  OverlayPoint p;
  int x, y;
  const int size = pictures.HullSize();
  if (!RoundPixel(s.x, size, x) || !RoundPixel(s.y, size, y)) return p;
  const std::int32_t z = Raster::RoundDepth(s.z);
  DepthRange front, back;
  for (int u = std::max(x - 1, 0); u <= std::min(x + 1, size - 1); ++u)
    for (int v = std::max(y - 1, 0); v <= std::min(y + 1, size - 1); ++v) {
      const std::int32_t f = Raster::FrontDepth(pictures, u, v), b = Raster::BackDepth(pictures, u, v);
      if (f <= b) {  // a cell that no piece wrote has front 32767 and back -32767
        front.Add(f);
        back.Add(b);
      }
    }
  p.Inside = true;
  p.X = x;
  p.Y = y;
  p.NearFront = front.Empty() || z < front.High + 20;
  p.OnSurface = front.Near(z) || back.Near(z);
  return p;
}

// The run of `vertices` (sorted by parameter) strictly between parameters `from` and
// `to`, along the shorter way round `circle`, in their order from `from`. Empty when
// the two are one point or the circle has no span.
ArcRun ArcBetween(const std::vector<ArcVertex>& vertices, const HullMesh::TParameterCircle& circle, long double from,
                  long double to) {
  ArcRun run;
  if (vertices.empty()) return run;
  const long double way = circle.Step(from, to);
  if (!(std::fabs(way) > 0)) return run;
  run.Forward = way > 0;
  const long double start = circle.Wrap(from);
  const std::size_t n = vertices.size();
  const std::size_t above = static_cast<std::size_t>(
      std::lower_bound(vertices.begin(), vertices.end(), start,
                       [](const ArcVertex& v, long double u) { return v.Param < u; }) -
      vertices.begin());
  // Forwards from the first vertex at or after `start`, backwards from the one before.
  // Those at `start` itself come first going forwards and last going backwards, so
  // the ones passed follow each other.
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t k = run.Forward ? (above + i) % n : (above + n - 1 - i) % n;
    const long double along = run.Forward ? circle.Step(start, vertices[k].Param) : -circle.Step(start, vertices[k].Param);
    if (along == 0) continue;
    if (!(along > 0 && along < std::fabs(way))) break;
    if (run.Count++ == 0) run.First = static_cast<std::uint32_t>(k);
  }
  return run;
}

// The k-th ruling end of `run`, k < run.Count.
const ScreenPoint& PassedEnd(const std::vector<ArcVertex>& vertices, const ArcRun& run, std::uint32_t k) {
  const std::size_t n = vertices.size();
  if (k >= run.Count || n == 0) throw RangeError();
  return vertices.at(run.Forward ? (run.First + k) % n : (run.First + n - k) % n).End;
}

// The ends of the rulings of the visible records in `view`, by increasing parameter.
void GatherArcVertices(TPictures& pictures, const TView& view, const Sampling::TFigure& figure,
                       const Bitangents::TAnalysis& analysis) {
  std::vector<ArcVertex>& vertices = pictures.ArcVertices;
  vertices.clear();
  const HullMesh::TParameterCircle circle(figure.Param.TMin, figure.Param.TSpan, 0);
  WalkStrips(analysis, [&](const BitangentRecord& b, bool) {
    vertices.push_back({circle.Wrap(b.ParamS), PicturePoint(pictures, view, b.PointS)});
    vertices.push_back({circle.Wrap(b.ParamT), PicturePoint(pictures, view, b.PointT)});
  });
  std::stable_sort(vertices.begin(), vertices.end(),
                   [](const ArcVertex& x, const ArcVertex& y) { return x.Param < y.Param; });
}

}  // namespace

ScreenPoint PicturePoint(const TPictures& pictures, const TView& view, const TVector3& p) {
  const ScreenPoint s = Framing::ProjectPoint(view, p);
  const long double scale = pictures.HullScale();
  return {s.x * scale, s.y * scale, s.z};
}

TVector3 EyeOfView(const TView& view) {
  return view.EyeDepth * view.AxisZ + view.ShiftX * view.AxisX + view.ShiftY * view.AxisY;
}

bool FacesEye(const TView& view, const TVector3& p, const TVector3& n) { return !(Dot(n, EyeOfView(view) - p) < 0); }

std::int32_t ShadeIndex(const TView& view, const TVector3& n) {
  const std::int32_t i = RoundChecked(80 * Dot(view.AxisZ, n));
  return i > 0 ? 128 + i : 32 - i;
}

Ruling ProjectRuling(const TPictures& pictures, const TView& view, const BitangentRecord& b) {
  Ruling r;
  r.EndS = PicturePoint(pictures, view, b.PointS);
  r.EndT = PicturePoint(pictures, view, b.PointT);
  r.Shade = ShadeIndex(view, b.PlaneNormal);
  r.PointS = b.PointS;
  r.PointT = b.PointT;
  r.Normal = b.PlaneNormal;
  r.ParamS = b.ParamS;
  r.ParamT = b.ParamT;
  return r;
}

void AppendRuling(TPictures& pictures, const Ruling& r) {
  ArrayReglas& rulings = pictures.Rulings;
  std::int32_t& count = pictures.RulingCount;
  if (static_cast<long long>(rulings.size()) - 1 <= count) rulings.resize(count + RulingGrowth);
  ++count;
  rulings[count] = r;
}

bool Visible(const BitangentRecord& b) { return b.OnHull && b.ParamT >= b.ParamS; }

void WalkStrips(const Bitangents::TAnalysis& analysis,
                const std::function<void(const BitangentRecord& b, bool stripStart)>& visit) {
  const std::int32_t count = analysis.BitangentCount;
  if (count > 0) CheckIndex(count, analysis.BitangentList.size());
  bool previousVisible = false;
  for (std::int32_t i = 1; i <= count; ++i) {
    const BitangentRecord& b = analysis.BitangentList[i];
    const bool visible = Visible(b);
    if (visible) visit(b, b.StartsBranch || !previousVisible);
    previousVisible = visible;
  }
}

QuadSplit SplitStripQuad(const Ruling& a, const Ruling& b) {
  // Split along the nearer diagonal a.EndT-b.EndS only while the two rulings do not both
  // face the viewer (their shades then add up to at least 258); else along a.EndS-b.EndT.
  if (a.EndT.z + b.EndS.z < a.EndS.z + b.EndT.z && a.Shade + b.Shade < 255) return {{{0, 1, 2}, {2, 1, 3}}};
  return {{{0, 1, 3}, {0, 2, 3}}};
}

void FillStripQuad(TPictures& pictures, const TView& view, const Sampling::TFigure& figure, const Ruling& a,
                   const Ruling& b, RenderMode mode) {
  const ScreenPoint* corner[4] = {&a.EndS, &a.EndT, &b.EndS, &b.EndT};
  const QuadSplit split = SplitStripQuad(a, b);
  const auto& [first, second] = split;
  // The quad's two edges along the curve, corners 0-2 and 1-3, each a chain through the
  // ends other strips have between its corners (b.Passed): where two strips meet along
  // a piece of curve both then end on the same chain, while their own chords would
  // leave a sliver between them, or push the far side out past the near side at the
  // outline. The triangles of both chains' fans, each from its chain's first corner,
  // then the pieces of both chains, in the order the quad's edges had.
  const std::vector<ArcVertex>& ends = pictures.ArcVertices;
  const auto fans = [&corner, &b, &ends](const auto& triangle) {
    for (const int edge : {0, 1}) {
      const ArcRun& run = b.Passed[edge];
      for (std::uint32_t k = 0; k < run.Count; ++k)
        triangle(edge, *corner[edge], PassedEnd(ends, run, k),
                 k + 1 < run.Count ? PassedEnd(ends, run, k + 1) : *corner[edge + 2]);
    }
  };
  const auto pieces = [&corner, &b, &ends](const auto& piece) {
    for (const int edge : {0, 1}) {
      const ScreenPoint* previous = corner[edge];
      for (std::uint32_t k = 0; k < b.Passed[edge].Count; ++k) {
        const ScreenPoint& p = PassedEnd(ends, b.Passed[edge], k);
        piece(*previous, p), previous = &p;
      }
      piece(*previous, *corner[edge + 2]);
    }
  };
  if (mode == RenderMode::Depth) {
    Raster::DepthTriangle(pictures, *corner[first[0]], *corner[first[1]], *corner[first[2]], false);
    Raster::DepthTriangle(pictures, *corner[second[0]], *corner[second[1]], *corner[second[2]], false);
    fans([&pictures](int, const ScreenPoint& p, const ScreenPoint& q, const ScreenPoint& r) {
      Raster::DepthTriangle(pictures, p, q, r, false);
    });
    pieces([&pictures](const ScreenPoint& p, const ScreenPoint& q) { Raster::DepthSegment(pictures, p, q); });
    return;
  }
  const TVector3* world[4] = {&a.PointS, &a.PointT, &b.PointS, &b.PointT};
  const TVector3 outward = a.Normal + b.Normal;
  const auto lookOf = [&](const std::array<int, 3>& t, const Ruling& r) {
    return LookOf(figure, view, *world[t[0]], *world[t[1]], *world[t[2]], outward, r.Normal, r.Shade);
  };
  const TriangleLook looks[2] = {lookOf(first, a), lookOf(second, b)};
  if (Painted(mode, looks[0].FacesEye))
    Raster::PaintTriangle(pictures, *corner[first[0]], *corner[first[1]], *corner[first[2]], looks[0].Shade, false);
  if (Painted(mode, looks[1].FacesEye))
    Raster::PaintTriangle(pictures, *corner[second[0]], *corner[second[1]], *corner[second[2]], looks[1].Shade,
                          false);
  // A chain's fan is a piece of the triangle that holds its chord, and looks as it does.
  const auto holds = [&split](int c) { return std::find(split[0].begin(), split[0].end(), c) != split[0].end(); };
  fans([&](int edge, const ScreenPoint& p, const ScreenPoint& q, const ScreenPoint& r) {
    const TriangleLook& look = looks[holds(edge) && holds(edge + 2) ? 0 : 1];
    if (Painted(mode, look.FacesEye)) Raster::PaintTriangle(pictures, p, q, r, look.Shade, false);
  });
  if (mode != RenderMode::PaintNear) return;
  // The curve pieces wrote their depths too: where one lies nearest, no triangle passes
  // the front test, and only the piece itself can fill the pixel.
  pieces([&pictures](const ScreenPoint& p, const ScreenPoint& q) {
    Raster::PaintSegment(pictures, p, q, Raster::Yellow);
  });
}

bool TritangentCorners(const FunPars::TCurve& curve, const Sampling::TFigure& figure, const Tritangents::Triple& u,
                       std::array<TVector3, 3>& corners, TVector3& n) {
  for (int k = 0; k < 3; ++k) FunPars::EvalCurve(curve, u[k], corners[k]);
  // In the figure's units, so that no product leaves the number range and the test
  // means the same at every size of figure.
  const long double unit = figure.FigureDiagonal > 0 ? figure.FigureDiagonal : 1;
  const TVector3 a = (corners[1] - corners[0]) / unit, b = (corners[2] - corners[1]) / unit;
  n = Cross(a, b);
  return Length(n) > 1e-7L * Length(a) * Length(b);
}

TVector3 CurveCentroid(const Sampling::TFigure& figure) {
  TVector3 sum{0, 0, 0};
  const int high = figure.CurvePointHigh;
  if (high >= 0) CheckIndex(high, figure.CurvePoints.size());
  for (int k = 0; k <= high; ++k) sum = sum + (figure.CurvePoints[k].Point - figure.FigureCentre);
  return high >= 0 ? figure.FigureCentre + sum / (high + 1) : figure.FigureCentre;
}

void TritangentTriangles(TPictures& pictures, const TView& view, const FunPars::TCurve& curve,
                         const Sampling::TFigure& figure, const Bitangents::TAnalysis& analysis, RenderMode mode) {
  // The mean of the curve points lies inside the hull, well away from every face
  // plane unless the curve is planar, which has no tritangent planes.
  const TVector3 inside = CurveCentroid(figure);
  for (std::int32_t k = 0; k < analysis.TritangentCount; ++k) {
    std::array<TVector3, 3> p;
    TVector3 n;
    if (!TritangentCorners(curve, figure, analysis.TritangentTriples.at(k), p, n)) continue;
    long double length = Length(n);
    if (Dot(inside - p[0], n) > 0) length = -length;
    n = n / length;
    const ScreenPoint s1 = PicturePoint(pictures, view, p[0]), s2 = PicturePoint(pictures, view, p[1]),
                      s3 = PicturePoint(pictures, view, p[2]);
    if (mode == RenderMode::Depth)
      Raster::DepthTriangle(pictures, s1, s2, s3, true);
    else if (Painted(mode, FacesEye(view, p[0], n)))
      // Widened by a pixel to close the cracks along the strips beside the face; on the
      // far side that pixel would only stick out past the outline.
      Raster::PaintTriangle(pictures, s1, s2, s3, ShadeIndex(view, n), mode == RenderMode::PaintNear);
  }
}

bool QuadNormal(const Sampling::TFigure& figure, const BitangentRecord& a, const BitangentRecord& b, TVector3& n) {
  return OrientedNormal(figure, b.PointT - a.PointS, b.PointS - a.PointT, a.PlaneNormal + b.PlaneNormal, 1e-3L, n);
}

void BuildRulings(TPictures& pictures, const TView& view, const FunPars::TCurve& curve, const Sampling::TFigure& figure,
                  const Bitangents::TAnalysis& analysis) {
  if (analysis.TritangentCount > 0) TritangentTriangles(pictures, view, curve, figure, analysis, RenderMode::Depth);
  GatherArcVertices(pictures, view, figure, analysis);
  const HullMesh::TParameterCircle circle(figure.Param.TMin, figure.Param.TSpan, 0);
  const BitangentRecord* previous = nullptr;
  WalkStrips(analysis, [&pictures, &view, &figure, &circle, &previous](const BitangentRecord& b, bool stripStart) {
    Ruling r = ProjectRuling(pictures, view, b);
    r.StripStart = stripStart;
    if (!stripStart) {
      const Ruling& before = pictures.Rulings[pictures.RulingCount];
      r.Passed = {ArcBetween(pictures.ArcVertices, circle, before.ParamS, r.ParamS),
                  ArcBetween(pictures.ArcVertices, circle, before.ParamT, r.ParamT)};
    }
    TVector3 n;
    // Where a strip runs into the edge of a flat face, its planes sweep the angle
    // between the two in the last fraction of a step; a ruling turned that far from
    // the quad it bounds would shade the whole quad as seen from behind.
    if (!stripStart && previous && QuadNormal(figure, *previous, b, n)) {
      const auto turn = [&n, &view](Ruling& ruling) {
        ruling.Shade = ShadeIndex(view, n);
        ruling.Normal = n;
      };
      if (Dot(n, b.PlaneNormal) < 0.9L) turn(r);
      if (Dot(n, previous->PlaneNormal) < 0.9L) turn(pictures.Rulings[pictures.RulingCount]);
    }
    previous = &b;
    AppendRuling(pictures, r);
    const std::int32_t count = pictures.RulingCount;
    if (r.StripStart)
      Raster::DepthSegment(pictures, r.EndS, r.EndT);
    else
      FillStripQuad(pictures, view, figure, pictures.Rulings[count - 1], pictures.Rulings[count], RenderMode::Depth);
  });
}

void PaintHull(TPictures& pictures, const TView& view, const FunPars::TCurve& curve, const Sampling::TFigure& figure,
               const Bitangents::TAnalysis& analysis) {
  const ArrayReglas& rulings = pictures.Rulings;
  const std::int32_t count = pictures.RulingCount;
  pictures.Rulings.at(0).StripStart = true;
  for (const RenderMode mode : {RenderMode::PaintFar, RenderMode::PaintNear}) {
    if (analysis.TritangentCount > 0) TritangentTriangles(pictures, view, curve, figure, analysis, mode);
    for (std::int32_t i = 1; i <= count; ++i) {
      WorkCounters::PollCancel();
      const Ruling& previous = rulings[i - 1];
      const Ruling& current = rulings[i];
      if (!current.StripStart) {
        FillStripQuad(pictures, view, figure, previous, current, mode);
        continue;
      }
      PaintRuling(pictures, view, current, mode);
      // The ruling before a strip start closes the previous strip, unless that strip had
      // only the one ruling already painted as its start.
      if (!previous.StripStart) PaintRuling(pictures, view, previous, mode);
    }
    if (count >= 1 && !rulings[count].StripStart) PaintRuling(pictures, view, rulings[count], mode);
  }
}

void PaintCurve(TPictures& pictures, const TView& view, const Sampling::TFigure& figure) {
  const int high = figure.CurvePointHigh;
  if (high < 0) return;
  CheckIndex(high, figure.CurvePoints.size());
  OverlayPoint previous = EvaluateCurvePoint(pictures, view, figure, 0);
  if (!previous.Inside) return;
  QPainter painter(&pictures.HullBitmap);
  // Flat caps leave out a line's last pixel, where the next line starts, as a pen moving
  // from point to point does; a line to the pen's own pixel therefore draws nothing.
  const QPen yellow(QColor(255, 255, 0), 1, Qt::SolidLine, Qt::FlatCap);
  const QPen silver(QColor(192, 192, 192), 1, Qt::SolidLine, Qt::FlatCap);
  for (int k = 0; k <= high; ++k) {
    const OverlayPoint current = EvaluateCurvePoint(pictures, view, figure, k);
    if (!current.Inside) break;
    const bool frontSurface = previous.OnSurface && current.OnSurface && previous.NearFront && current.NearFront;
    const bool offSurface = !previous.OnSurface && !current.OnSurface;
    if ((frontSurface || offSurface) && (current.X != previous.X || current.Y != previous.Y)) {
      painter.setPen(frontSurface ? yellow : silver);
      painter.drawLine(previous.X, previous.Y, current.X, current.Y);
    }
    previous = current;
  }
}

void RenderHull(TPictures& pictures, const TView& view, const FunPars::TCurve& curve, const Sampling::TFigure& figure,
                const Bitangents::TAnalysis& analysis) {
  Raster::RequirePicture(pictures);
  Raster::ClearDepth(pictures);
  pictures.RulingCount = 0;
  pictures.Rulings.clear();
  pictures.Rulings.resize(InitialRulings);
  {
    // The pieces are gathered in order, then drawn by bands of rows on both cores. The
    // fill comes first: the depth pass' pieces leave the picture alone.
    Raster::TQueue pieces(pictures);
    BuildRulings(pictures, view, curve, figure, analysis);
    pictures.HullBitmap.fill(Qt::white);
    PaintHull(pictures, view, curve, figure, analysis);
    pieces.Run();
  }
  PaintCurve(pictures, view, figure);
}

}  // namespace HullPicture
