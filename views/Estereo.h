// Unit Estereo: the red and teal anaglyph wire-frame of the figure.
//
// The stereo view works on its own copy of the view (TStereoState, which the caller
// keeps): it is filled from the shaded view when the stereo view is shown and at the
// start of every drag step, and written back after every drag step, so the shaded view
// continues from where the stereo view left off. Two cameras, turned by +a and -a about
// the depth axis' normal, draw the box edges, the hull's bitangent segments and the curve.
#pragma once

#include <QPoint>

#include "geometry/Bitangents.h"
#include "geometry/Sampling.h"
#include "render/Pictures.h"
#include "views/MueveFigura.h"

class QPainter;

namespace Estereo {

// Half angle a of the stereo pair: sin a = 1/15, cos a = the root of 224/225 cut to ten
// decimals.
inline constexpr long double SinHalfAngle = 1.0L / 15;
inline constexpr long double CosHalfAngle = 0.9977753031L;

// A camera frame: the world directions of pixel x, pixel y and depth.
struct TFrame {
  TVector3 X, Y, Depth;
};

// The working copy of the view and what the stereo view derives from it.
struct TStereoState {
  TView View;                               // the copy; its Pivot is the trackball's centre
  long double EyeDist2 = 0, EyeDist = 0;    // |Eye - Pivot| squared, and itself
  long double ScaleAbs = 0, ScaleAbs2 = 0;  // |Scale| and its square
  long double SphereR2 = 0;                 // 0.175 |BoxMax - BoxMin|^2: the trackball sphere
  TVector3 Corners[2][2][2];                // box corner (i, j, k): BoxMin + (i, j, k) * box size
  TFrame RedFrame, TealFrame;
  TVector3 DrawX, DrawY, DrawDepth;  // the frame of the image being drawn
  int PictureSize = DefaultHullSize;  // side of the stereo picture being drawn or dragged
  long double PixelScale = 1;         // its pixels per pixel of the 400-pixel framing
  bool Prepared = false;              // PrepareStereo has filled it from a drawn figure
};

// True when the working copy `s` holds a view that can be drawn: a figure is drawn
// (`figureDrawn`), or an earlier figure was prepared. Before that the copy holds zeros
// and the projection would divide zero by zero, so the "Stereo" click is refused.
bool CanShowStereo(const TStereoState& s, bool figureDrawn);

// While `figureDrawn` (`figure` is the one on the screen): copies `view` into s.View,
// computes the corners of the figure's box, SphereR2 and the frames. Does nothing
// otherwise (the copy keeps the view the previous stereo step left).
void PrepareStereo(TStereoState& s, const TView& view, const Sampling::TFigure& figure, bool figureDrawn);

// From the copy's Eye, Pivot, Scale and three rows: EyeDist2, EyeDist, ScaleAbs, ScaleAbs2,
// RedFrame (x = sin a AxisZ + cos a AxisX, depth = cos a AxisZ - sin a AxisX) and
// TealFrame (x = cos a AxisX - sin a AxisZ, depth = cos a AxisZ + sin a AxisX). A
// figure of one point (SphereR2 = 0) gets the view's own rows as both frames.
void UpdateFrames(TStereoState& s);

// Pixel of world point p in the frame DrawX, DrawY, DrawDepth, scaled by PixelScale and
// rounded to nearest (ties to even). Throws RangeError for a coordinate outside 32 bits or not finite (a
// point at the eye's depth).
QPoint StereoProject(const TStereoState& s, const TVector3& p);

// Takes the size of the StereoBitmap of `pictures` into `s`, fills the picture
// black, draws the wire-frame in red (palette entry 30, copy mode) through RedFrame,
// then in teal (entry 31, merge mode: a bitwise or with the picture) through TealFrame,
// so crossings turn (255, 176, 176). Copying the bitmap to the screen is the caller's.
// Throws RangeError as StereoProject does.
void DrawStereo(TStereoState& s, TPictures& pictures, const Sampling::TFigure& figure,
                const Bitangents::TAnalysis& analysis);

// The wire-frame with the painter's pen, through the current Draw frame: the twelve box
// edges, the on-hull bitangent segments of `analysis` once each (ParamS <= ParamT), and
// the curve points of `figure`, joined by a line only where both ends lie inside the
// picture; a curve that leaves the picture is drawn again from where it comes back.
void DrawWireFrame(const TStereoState& s, QPainter& painter, const Sampling::TFigure& figure,
                   const Bitangents::TAnalysis& analysis);

// Unit vector from the pivot towards the point where the ray of pixel (x, y) of a
// picture of PixelScale (through the camera of the unturned frame) meets the trackball
// sphere, radius^2 = SphereR2; for a ray that misses the sphere, towards a point of the
// ray near the sphere's outline.
TVector3 StereoSphere(const TStereoState& s, int x, int y);

// Writes the working copy back into `view`, and moves its ScreenCentre to the new
// projection of the pivot.
void StoreStereo(const TStereoState& s, TView& view);

// PrepareStereo from `view` and `figure`, then DrawStereo into `pictures` (the "Stereo"
// button).
// Does nothing when CanShowStereo(s, `figureDrawn`) refuses.
void ShowStereo(TStereoState& s, TPictures& pictures, const TView& view, bool figureDrawn,
                const Sampling::TFigure& figure, const Bitangents::TAnalysis& analysis);

// One drag step from (oldX, oldY) to (newX, newY), in pixels of the stereo picture of
// `pictures` of the drawn `figure`: PrepareStereo from `view`; then, by the keys as in the
// shaded view, shift (the picture follows the mouse pixel for pixel), zoom, or rotate
// about the pivot keeping the eye's distance; DrawStereo; StoreStereo into `view`. A
// RangeError from the drawing ends the step before the copy is written back.
void StereoDrag(TStereoState& s, TPictures& pictures, TView& view, const Sampling::TFigure& figure,
                const Bitangents::TAnalysis& analysis, int oldX, int oldY, int newX, int newY,
                const MueveFigura::TShiftState& keys);

}  // namespace Estereo
