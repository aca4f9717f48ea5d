#include "render/SmallPictures.h"

#include <QPainter>
#include <cmath>

#include "formula/Checks.h"
#include "geometry/Bitangents.h"
#include "geometry/Sampling.h"
#include "geometry/SharedState.h"
#include "geometry/Vectors.h"

namespace SmallPictures {
namespace {

const QColor Magenta(255, 0, 255);
const QColor Teal(0, 128, 128);
const QColor Grey(128, 128, 128);
const QColor Silver(192, 192, 192);

// A painter on a small picture with the canvas defaults: white brush, pen of width 1,
// copy mode; the picture filled with the brush.
void StartPicture(QPainter& painter, const QImage& picture) {
  painter.setBrush(Qt::white);
  painter.setPen(QPen(Qt::black, 1));
  painter.fillRect(picture.rect(), painter.brush());
}

// The circle of normals: centre (150, 150) and radius 140 in a 300-pixel picture.
struct TCircle {
  long double Centre, Radius;
  explicit TCircle(long double scale) : Centre(150 * scale), Radius(140 * scale) {}
};

// Point of a unit normal in the circle: its orthographic projection onto the screen plane.
QPoint NormalPoint(const TCircle& circle, const TView& view, const TVector3& n) {
  return {RoundChecked(circle.Centre + circle.Radius * Dot(n, view.AxisX)),
          RoundChecked(circle.Centre + circle.Radius * Dot(n, view.AxisY))};
}

}  // namespace

void PaintBitangSquare(TPictures& pictures, const Sampling::TFigure& figure, const Bitangents::TAnalysis& analysis) {
  QPainter painter(&pictures.BitangBitmap);
  StartPicture(painter, pictures.BitangBitmap);
  const long double scale = pictures.SmallScale();
  const long double scaleS = scale * analysis.SquareScaleS, scaleT = scale * analysis.SquareScaleT;
  const long double bottom = 300 * scale;
  QPoint pen;
  // A pen is set only where the colour changes: setting one costs as much as a line.
  int penOnHull = -1;
  // Most records of a long polyline fall on the pixel of the one before: a line of no
  // length in the colour of the line that ended there would set that pixel again.
  bool endDrawn = false;
  for (std::int32_t i = 1; i <= analysis.BitangentCount; ++i) {
    const BitangentRecord& r = analysis.BitangentList.at(i);
    const QPoint p(RoundChecked(scaleS * (r.ParamS - figure.Param.TMin)),
                   RoundChecked(bottom - scaleT * (r.ParamT - figure.Param.TMin)));
    if (r.StartsBranch) {
      endDrawn = false;
    } else if (!(endDrawn && p == pen && r.OnHull == penOnHull)) {
      if (r.OnHull != penOnHull) {
        penOnHull = r.OnHull;
        painter.setPen(QPen(r.OnHull ? Magenta : Teal, 1));
      }
      painter.drawLine(pen, p);
      endDrawn = true;
    }
    pen = p;
  }
}

void PaintMaxwell(TPictures& pictures, const TView& view, const Bitangents::TAnalysis& analysis) {
  QPainter painter(&pictures.MaxwellBitmap);
  StartPicture(painter, pictures.MaxwellBitmap);
  painter.setPen(QPen(Silver, 1));
  const TCircle circle(pictures.SmallScale());
  const int centre = RoundChecked(circle.Centre), radius = RoundChecked(circle.Radius);
  painter.drawEllipse(QPoint(centre, centre), radius, radius);

  // Only one of the two mirrored records of a supporting pair (t >= s) is drawn; a
  // record that is not drawn breaks the path.
  bool drawing = false;
  QPoint pen;
  for (std::int32_t i = 1; i <= analysis.BitangentCount; ++i) {
    const BitangentRecord& r = analysis.BitangentList.at(i);
    const bool visible = r.OnHull && r.ParamT >= r.ParamS;
    if (!visible) {
      drawing = false;
      continue;
    }
    const QPoint p = NormalPoint(circle, view, r.PlaneNormal);
    if (!r.StartsBranch) {
      painter.setPen(QPen(Dot(r.PlaneNormal, view.AxisZ) > 0 ? Magenta : Grey, 1));
      if (drawing) painter.drawLine(pen, p);
    }
    pen = p;
    drawing = true;
  }
}

void DrawMaxwellMarker(QPainter& painter, int size, const TView& view, const TVector3& n, const TVector3& aux) {
  const TCircle circle(size / static_cast<long double>(DefaultSmallSize));
  const int centre = RoundChecked(circle.Centre);
  TVector3 v = Cross(n, aux);
  TVector3 u = Cross(n, v);
  const long double l = 15 * Length(u);
  // aux parallel to n (or not finite) leaves no plane around n to draw the marker in.
  if (!(l > 0) || !std::isfinite(l)) return;
  u = u / l;
  v = v / l;
  QPoint around[11], opposite[11];
  for (int k = 0; k <= 10; ++k) {
    const long double a = k * Glob::Pi / 5;
    const TVector3 q = n + std::cos(a) * u + std::sin(a) * v;
    const int px = RoundChecked(circle.Radius * Dot(q, view.AxisX)),
              py = RoundChecked(circle.Radius * Dot(q, view.AxisY));
    around[k] = QPoint(centre + px, centre + py);
    opposite[k] = QPoint(centre - px, centre - py);
  }
  const bool front = Dot(n, view.AxisZ) > 0;
  // Not-xor: a second identical drawing restores every pixel.
  painter.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
  painter.setPen(QPen(front ? Magenta : Grey, 1));
  painter.drawPolyline(around, 11);
  painter.setPen(QPen(front ? Grey : Magenta, 1));
  painter.drawPolyline(opposite, 11);
}

}  // namespace SmallPictures
