#include "app/core/DragGate.h"

#include <algorithm>
#include <cstdlib>

#include "app/Drawing.h"
#include "formula/Checks.h"
#include "geometry/Framing.h"
#include "geometry/Sampling.h"
#include "geometry/SharedState.h"
#include "render/HullPicture.h"
#include "render/SmallPictures.h"
#include "views/Estereo.h"

namespace DragGate {

void AlPisar(TGate& gate, int x, int y) {
  gate.AnchorX = x;
  gate.AnchorY = y;
  gate.Dragging = false;
}

namespace {

// The picture in force drawn again in the current view, then the normals.
void RepaintView(TGate& gate, const TAppState& shown, TPictures& pictures, const TView& view) {
  if (shown.StereoMode)
    Estereo::ShowStereo(gate.Stereo, pictures, view, shown.DrawnFlag, Sampling::Figure, Drawing::LastAnalysis);
  else
    HullPicture::RenderHull(pictures, view, Glob::Curve, Sampling::Figure, Drawing::LastAnalysis);
  CheckFloatFlags();
  SmallPictures::PaintMaxwell(pictures, view, Drawing::LastAnalysis);
  CheckFloatFlags();
}

}  // namespace

bool AlMoverHull(TGate& gate, const TAppState& shown, TPictures& pictures, TView& view, int x, int y,
                 const MueveFigura::TShiftState& keys, bool continuous, long double screenScale) {
  if (!shown.DrawnFlag) return false;
  const int distance = std::abs(gate.AnchorX - x) + std::abs(gate.AnchorY - y);
  const long double threshold = continuous && gate.Dragging ? 0 : DragThreshold * screenScale;
  if (!keys.Left || distance <= threshold) return false;
  gate.Dragging = true;
  // A drag step is a command of its own: a raised flag ends it as a trap would.
  ClearFloatFlags();
  if (shown.StereoMode)
    Estereo::StereoDrag(gate.Stereo, pictures, view, Sampling::Figure, Drawing::LastAnalysis, gate.AnchorX,
                        gate.AnchorY, x, y, keys);
  else
    MueveFigura::DragView(pictures, view, Glob::Curve, Sampling::Figure, Drawing::LastAnalysis, gate.AnchorX,
                          gate.AnchorY, x, y, keys);
  gate.AnchorX = x;
  gate.AnchorY = y;
  CheckFloatFlags();
  SmallPictures::PaintMaxwell(pictures, view, Drawing::LastAnalysis);
  CheckFloatFlags();
  return true;
}

bool ResetView(TGate& gate, const TAppState& shown, TPictures& pictures, TView& view) {
  if (!shown.DrawnFlag) return false;
  ClearFloatFlags();
  view = Framing::FrameView(Sampling::Figure.BoxMin, Sampling::Figure.BoxMax, Sampling::Figure.FigureCentre,
                            Sampling::Figure.FigureDiagonal);
  CheckFloatFlags();
  RepaintView(gate, shown, pictures, view);
  return true;
}

bool WheelZoom(TGate& gate, const TAppState& shown, TPictures& pictures, TView& view, int x, int y, int steps) {
  if (!shown.DrawnFlag || steps == 0) return false;
  ClearFloatFlags();
  const long double old = view.Scale;
  // Five notches at once double the scale; more would shrink it to nothing.
  const long double scale = MueveFigura::ZoomedScale(old, 0, -50 * std::clamp(steps, -5, 5), 1);
  if (scale == old) return false;
  // A framing pixel is scale * u - offset; the one under the pointer keeps its u.
  const long double f = scale / old, fx = x / pictures.HullScale(), fy = y / pictures.HullScale();
  view.Scale = scale;
  view.OffsetX = f * (fx + view.OffsetX) - fx;
  view.OffsetY = f * (fy + view.OffsetY) - fy;
  Framing::FollowPivot(view);
  CheckFloatFlags();
  RepaintView(gate, shown, pictures, view);
  return true;
}

bool MuestraAlambre(TGate& gate, TAppState& shown, TPictures& pictures, const TView& view) {
  ClearFloatFlags();
  if (shown.StereoMode) {
    HullPicture::RenderHull(pictures, view, Glob::Curve, Sampling::Figure, Drawing::LastAnalysis);
  } else {
    if (!Estereo::CanShowStereo(gate.Stereo, shown.DrawnFlag)) return false;
    Estereo::ShowStereo(gate.Stereo, pictures, view, shown.DrawnFlag, Sampling::Figure, Drawing::LastAnalysis);
  }
  CheckFloatFlags();
  shown.StereoMode = !shown.StereoMode;
  return shown.StereoMode;
}

}  // namespace DragGate
