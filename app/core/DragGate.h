// The mouse over the main view: which moves become drag steps, and the switch between
// the shaded hull and the stereo wire-frame. Shared by the window and wendrix-cli.
#pragma once

#include "app/DrawingData.h"
#include "app/core/AppState.h"
#include "geometry/View.h"
#include "render/Pictures.h"
#include "views/Estereo.h"
#include "views/MueveFigura.h"

namespace DragGate {

// Sum of the horizontal and vertical distances a move must exceed to act.
inline constexpr int DragThreshold = 10;

// What the mouse over one main view needs between events; the window and wendrix-cli
// each keep one beside the view it drags.
struct TGate {
  int AnchorX = 0, AnchorY = 0;  // the last mouse position used
  bool Dragging = false;         // since the last mouse down, a move went beyond the threshold
  Estereo::TStereoState Stereo;  // the stereo view's working copy of the view
};

// Mouse down in the main view, any button: the anchor moves to (x, y); no drag yet.
void AlPisar(TGate& gate, int x, int y);

// Mouse move in the main view of `pictures` and `view` to (x, y) with the buttons and
// keys `keys`, `shown` telling whether a figure is drawn and in which mode, `data`
// holding that figure (drawn by the drag steps below).
// Does nothing and answers false unless DrawnFlag is set, the left button is held and
// |AnchorX - x| + |AnchorY - y| > 10 (the anchor then stays, so a slow drag acts once
// the distance adds up; `screenScale` picture pixels per screen pixel keep the 10 in
// screen pixels); with `continuous`, once a drag has begun any move acts.
// Otherwise one drag step from the anchor to (x, y), changing `view`: StereoDrag while
// StereoMode is set, else DragView (which renders HullBitmap again); the anchor moves to (x, y);
// MaxwellBitmap is painted again. Answers true: the caller copies the main picture and
// MaxwellBitmap to the screen and forgets the normal's marker. A raised floating-point
// flag ends the step with FloatError, as in the drawing.
bool AlMoverHull(TGate& gate, const TAppState& shown, const Drawing::TDrawingData& data, TPictures& pictures,
                 TView& view, int x, int y, const MueveFigura::TShiftState& keys, bool continuous = false,
                 long double screenScale = 1);

// `view` framed again for data's figure as a new drawing frames it (eye, axes, fit),
// the current picture (shaded or stereo) and MaxwellBitmap painted again. Does nothing
// and answers false unless `shown` has DrawnFlag set.
bool ResetView(TGate& gate, const TAppState& shown, const Drawing::TDrawingData& data, TPictures& pictures,
               TView& view);

// The wheel over the main view at pixel (x, y) of `pictures`: `steps` notches (positive away from
// the user, enlarging) zoom the view by the zoom rule of a drag of 50 pixels a notch,
// keeping the point under the pointer in place; the picture in force and
// MaxwellBitmap are painted again. Answers false, changing nothing, unless `shown` has
// DrawnFlag set and the scale changed (at the zoom rule's limits it does not).
bool WheelZoom(TGate& gate, const TAppState& shown, const Drawing::TDrawingData& data, TPictures& pictures, TView& view,
               int x, int y, int steps);

// The stereo button: in stereo mode renders the shaded hull of `pictures` again,
// otherwise draws its stereo wire-frame; then `shown`'s StereoMode is inverted. When
// Estereo::CanShowStereo refuses, nothing changes. Answers the StereoMode afterwards:
// the button's caption is "Mono" when true, "Stereo" when false.
bool MuestraAlambre(TGate& gate, TAppState& shown, const Drawing::TDrawingData& data, TPictures& pictures,
                    const TView& view);

}  // namespace DragGate
