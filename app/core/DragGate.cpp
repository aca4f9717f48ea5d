#include "app/core/DragGate.h"

#include <algorithm>
#include <cstdlib>

#include "app/Drawing.h"
#include "formula/Checks.h"
#include "geometry/Framing.h"
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
void RepaintView(TGate& gate, const TAppState& shown, const Drawing::TDrawingData& data, TPictures& pictures,
                 const TView& view) {
  if (shown.StereoMode)
    Estereo::ShowStereo(gate.Stereo, pictures, view, shown.DrawnFlag, data.Figure, data.Analysis);
  else
    HullPicture::RenderHull(pictures, view, data.Curve, data.Figure, data.Analysis);
  CheckFloatFlags();
  SmallPictures::PaintMaxwell(pictures, view, data.Analysis);
  CheckFloatFlags();
}

}  // namespace

bool AlMoverHull(TGate& gate, const TAppState& shown, const Drawing::TDrawingData& data, TPictures& pictures,
                 TView& view, int x, int y, const MueveFigura::TShiftState& keys, bool continuous,
                 long double screenScale) {
  if (!shown.DrawnFlag) return false;
  const int distance = std::abs(gate.AnchorX - x) + std::abs(gate.AnchorY - y);
  const long double threshold = continuous && gate.Dragging ? 0 : DragThreshold * screenScale;
  if (!keys.Left || distance <= threshold) return false;
  gate.Dragging = true;
  // A drag step is a command of its own: a raised flag ends it as a trap would.
  ClearFloatFlags();
  if (shown.StereoMode)
    Estereo::StereoDrag(gate.Stereo, pictures, view, data.Figure, data.Analysis, gate.AnchorX, gate.AnchorY, x, y,
                        keys);
  else
    MueveFigura::DragView(pictures, view, data.Curve, data.Figure, data.Analysis, gate.AnchorX, gate.AnchorY, x, y,
                          keys);
  gate.AnchorX = x;
  gate.AnchorY = y;
  CheckFloatFlags();
  SmallPictures::PaintMaxwell(pictures, view, data.Analysis);
  CheckFloatFlags();
  return true;
}

bool ResetView(TGate& gate, const TAppState& shown, const Drawing::TDrawingData& data, TPictures& pictures,
               TView& view) {
  if (!shown.DrawnFlag) return false;
  ClearFloatFlags();
  view =
      Framing::FrameView(data.Figure.BoxMin, data.Figure.BoxMax, data.Figure.FigureCentre, data.Figure.FigureDiagonal);
  CheckFloatFlags();
  RepaintView(gate, shown, data, pictures, view);
  return true;
}

bool WheelZoom(TGate& gate, const TAppState& shown, const Drawing::TDrawingData& data, TPictures& pictures, TView& view,
               int x, int y, int steps) {
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
  RepaintView(gate, shown, data, pictures, view);
  return true;
}

bool MuestraAlambre(TGate& gate, TAppState& shown, const Drawing::TDrawingData& data, TPictures& pictures,
                    const TView& view) {
  ClearFloatFlags();
  if (shown.StereoMode) {
    HullPicture::RenderHull(pictures, view, data.Curve, data.Figure, data.Analysis);
  } else {
    if (!Estereo::CanShowStereo(gate.Stereo, shown.DrawnFlag)) return false;
    Estereo::ShowStereo(gate.Stereo, pictures, view, shown.DrawnFlag, data.Figure, data.Analysis);
  }
  CheckFloatFlags();
  shown.StereoMode = !shown.StereoMode;
  return shown.StereoMode;
}

}  // namespace DragGate
