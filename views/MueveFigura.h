// Unit MueveFigura: turning, zooming and shifting the shaded view with the mouse.
#pragma once

#include "formula/Vector3.h"

namespace MueveFigura {

// Modifier keys held during a drag step.
struct TShiftState {
  bool Shift = false, Alt = false, Ctrl = false, Left = false;
};

// One drag step from (oldX, oldY) to (newX, newY): rotates (no keys), zooms (Shift)
// or shifts (Ctrl) the view, then renders the hull into HullBitmap.
void DragView(int oldX, int oldY, int newX, int newY, const TShiftState& keys);

// Unit vector in world coordinates under pixel (x, y) on the 240-pixel trackball.
TVector3 ScreenToSphere(int x, int y);

}  // namespace MueveFigura
