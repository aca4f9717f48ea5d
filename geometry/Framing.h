// Framing of a figure: bounding box, eye placement, view axes and the perspective
// projection into the 400 x 400 hull picture. The view state itself is in Glob.
#pragma once

#include <cstdint>

#include "formula/Vector3.h"

// Pixel x, pixel y of the hull picture and an integer-scaled depth (smaller is nearer).
using ScreenPoint = TVector3;

namespace Framing {

// The first stage of every drawing: SampleCurve, FrameBox, PlaceEye, SetUpView.
// Needs compiled formulas and the t constants of an accepted input. Afterwards the
// curve points, the box, the length scales and the whole view state are set.
void PrepareFigure();

// The part of the view state that says where the eye looks from and how the picture is
// fitted: axes, eye, perspective scale, shifts, pixel offsets and the depth map.
struct TViewState {
  TVector3 AxisX, AxisY, AxisZ, Eye;
  long double Scale = 0, EyeDepth = 0, ShiftX = 0, ShiftY = 0, OffsetX = 0, OffsetY = 0;
  long double DepthScale = 0, DepthOffset = 0;
};

// The view state in force.
TViewState CaptureView();

// The first stage of a drawing that keeps a view chosen before (a sweep, the window's
// play): SampleCurve and FrameBox for the new curve, then `view` put back in force and
// ScreenCentre recomputed. Parts of a figure far from the old one may fall outside
// the picture or behind the eye; the renderer clips them.
void PrepareFigureInView(const TViewState& view);

// Bounding box of the curve points 0..CurvePointHigh (BoxMin, BoxMax, BoxSize,
// FigureCentre) and the length scales FigureDiagonal and FillSpacing. A point-like figure gives a zero BoxSize, FigureDiagonal and FillSpacing.
void FrameBox();

// Puts EyePoint above and beside the box, at 3.5 box diagonals from its lower corner
// in azimuth pi/4 + 0.15 about it. A box that is a point, or too small against its
// distance from the origin to be told apart from an eye a few diagonals away, is given
// the eye distance of a box a millionth of that distance across (of size 1 at the origin).
void PlaceEye();

// View axes (ViewAxisZ from FigureCentre towards the eye, ViewAxisX horizontal), the
// perspective constants, and the fit that puts the image of the box inside 380 x 380
// pixels centred on (200, 200) with its depths mapped to 8,192 (nearest) .. 24,576.
// A zero projected extent (a point, a box seen edge-on) is widened to a millionth of
// the eye distance, so the figure shows as a point or segment at the centre.
void SetUpView();

// Perspective image of a world point before fitting: (x, y, depth coordinate), with
// world lengths reproduced at the depth of FigureCentre (times the fit factor once fitted).
// The point must not lie at the eye's depth.
TVector3 ProjectRaw(const TVector3& p);

// Pixel position and integer-scaled depth of a world point in the current view:
// ProjectRaw shifted by the pixel offsets, depth mapped by DepthScale and DepthOffset.
ScreenPoint ProjectPoint(const TVector3& p);

// Widens the running box [lo, hi] by ProjectRaw(p), per coordinate.
void WidenProjectedBox(const TVector3& p, TVector3& lo, TVector3& hi);

// Toolkit colour value (red low byte, blue high byte) of three bytes stored blue, green, red.
std::uint32_t TripleToColour(const std::uint8_t* bgr);

}  // namespace Framing
