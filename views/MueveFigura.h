// Unit MueveFigura: turning, zooming and shifting the shaded view with the mouse.
//
// Rotation is a virtual trackball: the point of the figure under the mouse stays under
// the mouse. The rows of the view rotation (TView::AxisX/Y/Z) are turned all alike
// by two reflections, so they stay orthonormal without being normalised again.
#pragma once

#include "formula/Curve.h"
#include "formula/Vector3.h"
#include "geometry/Bitangents.h"
#include "geometry/Sampling.h"
#include "geometry/View.h"

struct TPictures;

namespace MueveFigura {

// Modifier keys held during a drag step.
struct TShiftState {
  bool Shift = false, Alt = false, Ctrl = false, Left = false;
};

// What a drag step does: Ctrl (with or without Shift) shifts, Shift alone zooms,
// neither rotates. Alt and the buttons play no part.
enum class TDragMode { Shift, Zoom, Rotate };
TDragMode ModeOf(const TShiftState& keys);

// Radius in pixels of the 400-pixel framing of the trackball sphere around ScreenCentre
// (a larger picture scales it with the figure).
inline constexpr long double TrackballRadius = 240;

// The zoom rule shared by both views. In: the current scale, the vertical mouse
// positions of the step in a picture of `pixelScale` pixels per framing pixel. Out:
// the scale times f = (oldY - newY) / (500 pixelScale) + 1 (upwards
// enlarges), or the scale unchanged when its magnitude is 1 or less and f would shrink
// it, when it is 10000 or more and f would enlarge it, or when f is not positive (a
// step of 500 pixels or more downwards, which would collapse or mirror the picture).
long double ZoomedScale(long double scale, int oldY, int newY, long double pixelScale);

// Turns the three rows by the rotation that carries uNew to uOld, about uNew x m with m
// the unit vector half-way between them: A := A - alpha uNew + beta m, with
// alpha = 2 (A . uNew) and beta = 2 (alpha (uNew . m) - A . m). In: two unit vectors.
// Answers false and changes nothing when uOld + uNew has zero or non-finite length
// (opposite vectors), without raising a floating-point flag.
bool RotateRows(const TVector3& uOld, const TVector3& uNew, TVector3& x, TVector3& y, TVector3& z);

// Unit vector in world coordinates under point (x, y) of the 400-pixel framing on the
// trackball of `view`: the offset from its ScreenCentre along AxisX and AxisY, lifted
// along AxisZ onto the sphere of radius TrackballRadius (height 0 outside its circle).
// Needs an orthonormal view.
TVector3 ScreenToSphere(const TView& view, long double x, long double y);

// One drag step from (oldX, oldY) to (newX, newY), in pixels of the hull picture of
// `pictures` (any size), changes `view` in the mode of `keys`: shift moves the picture
// with the mouse, pixel for pixel (through OffsetX/Y); zoom changes Scale by
// ZoomedScale; rotate turns the view rows on the trackball. ScreenCentre then follows
// the pivot, and the hull of `analysis` (on `curve` and `figure`) is rendered into its
// HullBitmap. Copying the bitmap to the screen is the caller's.
void DragView(TPictures& pictures, TView& view, const FunPars::TCurve& curve, const Sampling::TFigure& figure,
              const Bitangents::TAnalysis& analysis, int oldX, int oldY, int newX, int newY, const TShiftState& keys);

}  // namespace MueveFigura
