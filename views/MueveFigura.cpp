#include "views/MueveFigura.h"

#include <cmath>

#include "geometry/Framing.h"
#include "geometry/Vectors.h"
#include "render/HullPicture.h"
#include "render/Pictures.h"

namespace MueveFigura {

TDragMode ModeOf(const TShiftState& keys) {
  if (keys.Ctrl) return TDragMode::Shift;
  if (keys.Shift) return TDragMode::Zoom;
  return TDragMode::Rotate;
}

long double ZoomedScale(long double scale, int oldY, int newY, long double pixelScale) {
  const long double f = (static_cast<long double>(oldY) - newY) / (500 * pixelScale) + 1;
  // f <= 0 would make the scale zero (a picture shrunk to a point that no later zoom
  // can grow again) or turn the picture upside down.
  if (!(f > 0)) return scale;
  const long double a = std::fabs(scale);
  if ((a > 1 || f > 1) && (a < 10000 || f < 1)) return scale * f;
  return scale;
}

bool RotateRows(const TVector3& uOld, const TVector3& uNew, TVector3& x, TVector3& y, TVector3& z) {
  const TVector3 sum = uOld + uNew;
  const long double length2 = Dot(sum, sum);
  // Tested before any division, and finiteness first, so that opposite (or broken)
  // vectors leave no division-by-zero or invalid flag behind.
  if (!std::isfinite(length2) || length2 == 0) return false;
  const TVector3 m = sum / std::sqrt(length2);
  const long double c = Dot(uNew, m);
  for (TVector3* row : {&x, &y, &z}) {
    TVector3& a = *row;
    // Reflect in the plane perpendicular to uNew, then in the one perpendicular to m.
    const long double alpha = 2 * Dot(a, uNew);
    const long double beta = 2 * (alpha * c - Dot(a, m));
    a = a - alpha * uNew + beta * m;
  }
  return true;
}

TVector3 ScreenToSphere(const TView& view, long double x, long double y) {
  const long double dx = x - view.ScreenCentre.x;
  const long double dy = y - view.ScreenCentre.y;
  long double hh = TrackballRadius * TrackballRadius - dx * dx - dy * dy;
  if (hh < 0) hh = 0;
  const TVector3 v = dx * view.AxisX + dy * view.AxisY + std::sqrt(hh) * view.AxisZ;
  return v / Length(v);
}

void DragView(TPictures& pictures, TView& view, const FunPars::TCurve& curve, const Sampling::TFigure& figure,
              const Bitangents::TAnalysis& analysis, int oldX, int oldY, int newX, int newY, const TShiftState& keys) {
  // The view is in the 400-pixel framing's pixels.
  const long double scale = pictures.HullScale();
  switch (ModeOf(keys)) {
    case TDragMode::Shift:
      // The pixel offsets, not ShiftX/Y: those are world lengths at the eye, so a
      // pixel step there would move the picture by the fit factor (often 50 or more
      // pixels) per pixel of mouse movement.
      view.OffsetX += (static_cast<long double>(oldX) - newX) / scale;
      view.OffsetY += (static_cast<long double>(oldY) - newY) / scale;
      break;
    case TDragMode::Zoom:
      view.Scale = ZoomedScale(view.Scale, oldY, newY, scale);
      break;
    case TDragMode::Rotate: {
      const TVector3 uOld = ScreenToSphere(view, oldX / scale, oldY / scale);
      const TVector3 uNew = ScreenToSphere(view, newX / scale, newY / scale);
      RotateRows(uOld, uNew, view.AxisX, view.AxisY, view.AxisZ);
      break;
    }
  }
  // The trackball stays centred on the figure whatever the step moved.
  Framing::FollowPivot(view);
  HullPicture::RenderHull(pictures, view, curve, figure, analysis);
}

}  // namespace MueveFigura
