#include "render/SmallPictures.h"

#include <QPainter>
#include <cmath>

#include "formula/Checks.h"
#include "geometry/Bitangents.h"
#include "geometry/SharedState.h"
#include "geometry/Vectors.h"
#include "render/Bitmaps.h"

namespace SmallPictures {
namespace {

const QColor Magenta(255, 0, 255);
const QColor Teal(0, 128, 128);
const QColor Grey(128, 128, 128);
const QColor Silver(192, 192, 192);

const QRect BoxRectangle(Glob::BoxRect.Left, Glob::BoxRect.Top, Glob::BoxRect.Right - Glob::BoxRect.Left,
                         Glob::BoxRect.Bottom - Glob::BoxRect.Top);

// A painter on a 300 x 300 bitmap with the canvas defaults: white brush, pen of width 1,
// copy mode; the bitmap filled with the brush.
void StartPicture(QPainter& painter) {
  painter.setBrush(Qt::white);
  painter.setPen(QPen(Qt::black, 1));
  painter.fillRect(BoxRectangle, painter.brush());
}

// Point of a unit normal in the circle of radius 140 around (150, 150): its
// orthographic projection onto the screen plane.
QPoint NormalPoint(const TVector3& n) {
  return {RoundChecked(150 + 140 * Dot(n, Glob::ViewAxisX)), RoundChecked(150 + 140 * Dot(n, Glob::ViewAxisY))};
}

}  // namespace

void PaintBitangSquare() {
  using namespace Bitangents;
  QPainter painter(&Glob::BitangBitmap);
  StartPicture(painter);
  QPoint pen;
  for (std::int32_t i = 1; i <= BitangentCount; ++i) {
    const BitangentRecord& r = BitangentList.at(i);
    const QPoint p(RoundChecked(SquareScaleS * (r.ParamS - Glob::TMin)),
                   RoundChecked(300 - SquareScaleT * (r.ParamT - Glob::TMin)));
    if (!r.StartsBranch) {
      painter.setPen(QPen(r.OnHull ? Magenta : Teal, 1));
      painter.drawLine(pen, p);
    }
    pen = p;
  }
}

void PaintMaxwell() {
  using namespace Bitangents;
  QPainter painter(&Glob::MaxwellBitmap);
  StartPicture(painter);
  painter.setPen(QPen(Silver, 1));
  painter.drawEllipse(QPoint(150, 150), 140, 140);

  // Only one of the two mirrored records of a supporting pair (t >= s) is drawn; a
  // record that is not drawn breaks the path.
  bool drawing = false;
  QPoint pen;
  for (std::int32_t i = 1; i <= BitangentCount; ++i) {
    const BitangentRecord& r = BitangentList.at(i);
    const bool visible = r.OnHull && r.ParamT >= r.ParamS;
    if (!visible) {
      drawing = false;
      continue;
    }
    const QPoint p = NormalPoint(r.PlaneNormal);
    if (!r.StartsBranch) {
      painter.setPen(QPen(Dot(r.PlaneNormal, Glob::ViewAxisZ) > 0 ? Magenta : Grey, 1));
      if (drawing) painter.drawLine(pen, p);
    }
    pen = p;
    drawing = true;
  }
}

void DrawMaxwellMarker(QPainter& painter, const TVector3& n, const TVector3& aux) {
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
    const int px = RoundChecked(140 * Dot(q, Glob::ViewAxisX)), py = RoundChecked(140 * Dot(q, Glob::ViewAxisY));
    around[k] = QPoint(150 + px, 150 + py);
    opposite[k] = QPoint(150 - px, 150 - py);
  }
  const bool front = Dot(n, Glob::ViewAxisZ) > 0;
  // Not-xor: a second identical drawing restores every pixel.
  painter.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
  painter.setPen(QPen(front ? Magenta : Grey, 1));
  painter.drawPolyline(around, 11);
  painter.setPen(QPen(front ? Grey : Magenta, 1));
  painter.drawPolyline(opposite, 11);
}

}  // namespace SmallPictures
