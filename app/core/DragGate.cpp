#include "app/core/DragGate.h"

#include <cstdlib>

#include "formula/Checks.h"
#include "geometry/SharedState.h"
#include "render/HullPicture.h"
#include "render/SmallPictures.h"
#include "views/Estereo.h"

namespace DragGate {

void AlPisar(int x, int y) {
  AnchorX = x;
  AnchorY = y;
}

bool AlMoverHull(TPictures& pictures, int x, int y, const MueveFigura::TShiftState& keys) {
  if (!Glob::DrawnFlag) return false;
  const int distance = std::abs(AnchorX - x) + std::abs(AnchorY - y);
  if (!keys.Left || distance <= DragThreshold) return false;
  // A drag step is a command of its own: a raised flag ends it as a trap would.
  ClearFloatFlags();
  if (Glob::StereoMode)
    Estereo::StereoDrag(pictures, AnchorX, AnchorY, x, y, keys);
  else
    MueveFigura::DragView(pictures, AnchorX, AnchorY, x, y, keys);
  AnchorX = x;
  AnchorY = y;
  CheckFloatFlags();
  SmallPictures::PaintMaxwell(pictures);
  CheckFloatFlags();
  return true;
}

bool MuestraAlambre(TPictures& pictures) {
  ClearFloatFlags();
  if (Glob::StereoMode) {
    HullPicture::RenderHull(pictures);
  } else {
    if (!Estereo::CanShowStereo()) return false;
    Estereo::ShowStereo(pictures);
  }
  CheckFloatFlags();
  Glob::StereoMode = !Glob::StereoMode;
  return Glob::StereoMode;
}

}  // namespace DragGate
