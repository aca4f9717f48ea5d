#include "bench/truth/HullFigures.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <set>
#include <vector>

#include "app/Drawing.h"
#include "formula/FunPars.h"
#include "geometry/Bitangents.h"
#include "geometry/Tritangents.h"
#include "geometry/Vectors.h"
#include "render/HullPicture.h"
#include "render/Palette.h"
#include "render/Pictures.h"
#include "tests/support/QhullHull.h"
#include "tests/support/Triangles.h"
#include "views/MueveFigura.h"

namespace HullFigures {
namespace {

// World points are compared in the figure's own units: centred, per diagonal.
TVector3 Unit(const Sampling::TFigure& figure, const TVector3& p) {
  return (p - figure.FigureCentre) / figure.FigureDiagonal;
}

TVector3 Normalize(const TVector3& v) { return v / Length(v); }

TVector3 CurveAt(const Drawing::TDrawingData& data, long double t) {
  TVector3 p;
  FunPars::EvalCurve(data.Curve, t, p);
  return Unit(data.Figure, p);
}

// Area of the convex hull of points lying in the plane with unit normal n.
double PlanarHullArea(const std::vector<TVector3>& points, const TVector3& n) {
  const TVector3 a = std::fabs(n.x) < 0.9L ? TVector3{1, 0, 0} : TVector3{0, 1, 0};
  const TVector3 e1 = Normalize(Cross(n, a)), e2 = Cross(n, e1);
  std::vector<std::array<long double, 2>> q;
  for (const TVector3& p : points) q.push_back({Dot(p, e1), Dot(p, e2)});
  std::sort(q.begin(), q.end());
  q.erase(std::unique(q.begin(), q.end()), q.end());
  if (q.size() < 3) return 0;
  const auto turn = [](const auto& o, const auto& a, const auto& b) {
    return (a[0] - o[0]) * (b[1] - o[1]) - (a[1] - o[1]) * (b[0] - o[0]);
  };
  std::vector<std::array<long double, 2>> h(2 * q.size());
  std::size_t k = 0;
  for (std::size_t i = 0; i < q.size(); ++i) {
    while (k >= 2 && turn(h[k - 2], h[k - 1], q[i]) <= 0) --k;
    h[k++] = q[i];
  }
  for (std::size_t i = q.size() - 1, low = k + 1; i > 0; --i) {
    while (k >= low && turn(h[k - 2], h[k - 1], q[i - 1]) <= 0) --k;
    h[k++] = q[i - 1];
  }
  long double area = 0;
  for (std::size_t i = 0; i + 1 < k; ++i) area += h[i][0] * h[i + 1][1] - h[i + 1][0] * h[i][1];
  return double(std::fabs(area) / 2);
}

// The flat faces: triples grouped by plane, each plane's area that of its contact points.
void MeasureFlatFaces(const Drawing::TDrawingData& data, Figures& f) {
  struct Face {
    TVector3 n;
    long double offset;
    std::vector<TVector3> points;
  };
  std::vector<Face> faces;
  for (const auto& u : data.Analysis.TritangentTriples) {
    const TVector3 p[3] = {CurveAt(data, u[0]), CurveAt(data, u[1]), CurveAt(data, u[2])};
    const TVector3 c = Cross(p[1] - p[0], p[2] - p[0]);
    if (!(Length(c) > 1e-12L)) continue;
    TVector3 n = Normalize(c);
    if (n.z < 0 || (n.z == 0 && n.y < 0) || (n.z == 0 && n.y == 0 && n.x < 0)) n = -n;
    const long double offset = Dot(n, p[0]);
    auto face = std::find_if(faces.begin(), faces.end(), [&](const Face& g) {
      return Dot(g.n, n) > 1 - 1e-6L && std::fabs(g.offset - offset) < 1e-4L;
    });
    if (face == faces.end()) face = faces.insert(faces.end(), Face{n, offset, {}});
    face->points.insert(face->points.end(), p, p + 3);
  }
  f.FlatPlanes = int(faces.size());
  for (const Face& g : faces) f.FlatArea += PlanarHullArea(g.points, g.n);
}

void MeasureStrips(const Drawing::TDrawingData& data, Figures& f, const std::vector<TVector3>& probes) {
  const BitangentRecord* previous = nullptr;
  HullPicture::WalkStrips(data.Analysis, [&](const BitangentRecord& b, bool stripStart) {
    ++f.OnHull;
    const TVector3 s = Unit(data.Figure, b.PointS), t = Unit(data.Figure, b.PointT), mid = (s + t) / 2;
    for (const TVector3& p : probes) f.PlaneExcess = std::max(f.PlaneExcess, double(Dot(b.PlaneNormal, p - mid)));
    if (!stripStart && previous) {
      const TVector3 ps = Unit(data.Figure, previous->PointS), pt = Unit(data.Figure, previous->PointT);
      f.StripArea += double(Triangles::TriangleArea(ps, pt, t) + Triangles::TriangleArea(ps, s, t));
    }
    previous = &b;
  });
}

// Pixels shaded from the orange scale beyond the shades that perspective lets a face
// seen edge-on take; and white pixels that no white path joins to the border.
void CountPicture(const TPictures& pictures, int& orange, int& holes) {
  const QImage& image = pictures.HullBitmap;
  std::set<QRgb> backShades;
  for (int i = 44; i <= 112; ++i) {
    const std::uint32_t c = Palette::PaletteColour(i);
    backShades.insert(qRgb(c & 0xFF, (c >> 8) & 0xFF, c >> 16));
  }
  const int w = image.width(), h = image.height();
  std::vector<std::uint8_t> seen(std::size_t(w) * h, 0);
  std::vector<std::pair<int, int>> stack;
  const auto white = [&](int x, int y) { return image.pixel(x, y) == qRgb(255, 255, 255); };
  const auto push = [&](int x, int y) {
    if (x < 0 || y < 0 || x >= w || y >= h || seen[std::size_t(y) * w + x] || !white(x, y)) return;
    seen[std::size_t(y) * w + x] = 1;
    stack.emplace_back(x, y);
  };
  for (int x = 0; x < w; ++x) push(x, 0), push(x, h - 1);
  for (int y = 0; y < h; ++y) push(0, y), push(w - 1, y);
  while (!stack.empty()) {
    const auto [x, y] = stack.back();
    stack.pop_back();
    push(x + 1, y), push(x - 1, y), push(x, y + 1), push(x, y - 1);
  }
  orange = holes = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      orange += backShades.count(image.pixel(x, y)) > 0;
      holes += white(x, y) && !seen[std::size_t(y) * w + x];
    }
}

}  // namespace

Figures MeasureDrawing(Drawing::TDrawingData& data, int samples) {
  Figures f;
  TPictures pictures;
  TView view;
  if (!CreatePictures(pictures)) {
    f.Error = "not enough memory for the pictures";
    return f;
  }
  try {
    f.DrawingMs = Drawing::RunStages(data, pictures, view).Total;
  } catch (const std::exception& e) {
    f.Error = e.what();
    return f;
  }
  f.Drawn = true;
  f.Triples = data.Analysis.TritangentCount;
  std::vector<TVector3> points, probes;
  for (int k = 0; k < samples; ++k)
    points.push_back(CurveAt(data, data.Input.TMin + data.Figure.Param.TSpan * k / samples));
  for (int k = 0; k < samples; k += 10) probes.push_back(points[k]);
  f.HullArea = QhullHull::QhullOf(points).area;
  MeasureStrips(data, f, probes);
  MeasureFlatFaces(data, f);
  CountPicture(pictures, f.Orange, f.Holes);
  MueveFigura::TShiftState keys;
  keys.Left = true;
  MueveFigura::DragView(pictures, view, data.Curve, data.Figure, data.Analysis, 200, 200, 250, 240, keys);
  CountPicture(pictures, f.OrangeTurned, f.HolesTurned);
  return f;
}

}  // namespace HullFigures
