#include "app/core/DragGate.h"

#include <algorithm>
#include <cstdlib>

#include "app/Drawing.h"
#include "app/core/AppState.h"
#include "formula/Checks.h"
#include "geometry/Framing.h"
#include "geometry/SharedState.h"
#include "render/HullPicture.h"
#include "render/SmallPictures.h"
#include "views/Estereo.h"

namespace DragGate {

void AlPisar(int x, int y) {
  AnchorX = x;
  AnchorY = y;
  Dragging = false;
}

namespace {

// The picture in force drawn again in the current view, then the normals.
void RepaintView(TPictures& pictures) {
  if (Glob::StereoMode)
    Estereo::ShowStereo(pictures, Glob::DrawnFlag, Drawing::LastAnalysis);
  else
    HullPicture::RenderHull(pictures, Drawing::LastAnalysis);
  CheckFloatFlags();
  SmallPictures::PaintMaxwell(pictures, Drawing::LastAnalysis);
  CheckFloatFlags();
}

}  // namespace

bool AlMoverHull(TPictures& pictures, int x, int y, const MueveFigura::TShiftState& keys, bool continuous,
                 long double screenScale) {
  if (!Glob::DrawnFlag) return false;
  const int distance = std::abs(AnchorX - x) + std::abs(AnchorY - y);
  const long double threshold = continuous && Dragging ? 0 : DragThreshold * screenScale;
  if (!keys.Left || distance <= threshold) return false;
  Dragging = true;
  // A drag step is a command of its own: a raised flag ends it as a trap would.
  ClearFloatFlags();
  if (Glob::StereoMode)
    Estereo::StereoDrag(pictures, Drawing::LastAnalysis, AnchorX, AnchorY, x, y, keys);
  else
    MueveFigura::DragView(pictures, Drawing::LastAnalysis, AnchorX, AnchorY, x, y, keys);
  AnchorX = x;
  AnchorY = y;
  CheckFloatFlags();
  SmallPictures::PaintMaxwell(pictures, Drawing::LastAnalysis);
  CheckFloatFlags();
  return true;
}

bool ResetView(TPictures& pictures) {
  if (!Glob::DrawnFlag) return false;
  ClearFloatFlags();
  Framing::PlaceEye();
  Framing::SetUpView();
  CheckFloatFlags();
  RepaintView(pictures);
  return true;
}

bool WheelZoom(TPictures& pictures, int x, int y, int steps) {
  if (!Glob::DrawnFlag || steps == 0) return false;
  ClearFloatFlags();
  const long double old = Glob::ViewScale;
  // Five notches at once double the scale; more would shrink it to nothing.
  const long double scale = MueveFigura::ZoomedScale(old, 0, -50 * std::clamp(steps, -5, 5), 1);
  if (scale == old) return false;
  // A framing pixel is scale * u - offset; the one under the pointer keeps its u.
  const long double f = scale / old, fx = x / pictures.HullScale(), fy = y / pictures.HullScale();
  Glob::ViewScale = scale;
  Glob::ViewOffsetX = f * (fx + Glob::ViewOffsetX) - fx;
  Glob::ViewOffsetY = f * (fy + Glob::ViewOffsetY) - fy;
  Glob::ScreenCentre = Framing::ProjectPoint(Glob::FigureCentre);
  CheckFloatFlags();
  RepaintView(pictures);
  return true;
}

bool MuestraAlambre(TPictures& pictures) {
  ClearFloatFlags();
  if (Glob::StereoMode) {
    HullPicture::RenderHull(pictures, Drawing::LastAnalysis);
  } else {
    if (!Estereo::CanShowStereo(Glob::DrawnFlag)) return false;
    Estereo::ShowStereo(pictures, Glob::DrawnFlag, Drawing::LastAnalysis);
  }
  CheckFloatFlags();
  Glob::StereoMode = !Glob::StereoMode;
  return Glob::StereoMode;
}

}  // namespace DragGate
