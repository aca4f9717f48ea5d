// One view of a figure as a value: where the eye is, how the world is turned and
// projected into the 400 x 400 hull picture, and the point the trackball turns about.
// Framing computes it; everything that projects or draws takes it; the drags change
// it. The caller (the window, wendrix-cli, the sweep, the Python module, a test) owns
// its instance.
#pragma once

#include "formula/Vector3.h"

struct TView {
  // The view rows: world directions of pixel x, pixel y and depth (towards the eye).
  TVector3 AxisX, AxisY, AxisZ;
  // The eye, and its coordinates along the three rows (EyeDepth along AxisZ).
  TVector3 Eye;
  long double EyeDepth = 0, ShiftX = 0, ShiftY = 0;
  // The perspective factor (world length to pixels at the pivot's depth, negative: the
  // eye looks down AxisZ) and the pixel offsets that place the fitted picture.
  long double Scale = 0, OffsetX = 0, OffsetY = 0;
  // Depth map: pixel depth = DepthScale (DepthOffset - depth along AxisZ).
  long double DepthScale = 0, DepthOffset = 0;
  // The trackball's centre in the world (the framed box's centre) and its projection.
  TVector3 Pivot, ScreenCentre;
};
