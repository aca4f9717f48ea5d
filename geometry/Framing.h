// Framing of a figure: bounding box, eye placement, view axes and the perspective
// projection into the 400 x 400 hull picture. The view state itself is in Glob.
#pragma once

#include <cstdint>

#include "formula/Vector3.h"

// Pixel x, pixel y of the hull picture and an integer-scaled depth (smaller is nearer).
using ScreenPoint = TVector3;

namespace Framing {

// SampleCurve, FrameBox, PlaceEye, SetUpView: the first stage of every drawing.
void PrepareFigure();

void FrameBox();
void PlaceEye();
void SetUpView();

// Perspective image of a world point before fitting: (x, y, depth coordinate).
TVector3 ProjectRaw(const TVector3& p);

// Pixel position and integer-scaled depth of a world point in the current view.
ScreenPoint ProjectPoint(const TVector3& p);

// Widens the running box [lo, hi] by ProjectRaw(p), per coordinate.
void WidenProjectedBox(const TVector3& p, TVector3& lo, TVector3& hi);

// Toolkit colour value (red low byte, blue high byte) of three bytes stored blue, green, red.
std::uint32_t TripleToColour(const std::uint8_t* bgr);

}  // namespace Framing
