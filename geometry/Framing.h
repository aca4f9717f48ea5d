// Framing of a figure: bounding box, eye placement, view axes and the perspective
// projection into the 400 x 400 hull picture, into a TView the caller keeps.
#pragma once

#include <cstdint>

#include "formula/Curve.h"
#include "formula/Vector3.h"
#include "geometry/Sampling.h"
#include "geometry/View.h"

// Pixel x, pixel y of the hull picture and an integer-scaled depth (smaller is nearer).
using ScreenPoint = TVector3;

namespace Framing {

// The first stage of every drawing: SampleCurve, FrameBox, then the view framed for
// the new box (FrameView). Needs `curve` compiled and figure.Param set from an accepted
// input. Afterwards the figure's curve points, box and length scales are set; the view
// is the answer.
TView PrepareFigure(const FunPars::TCurve& curve, Sampling::TFigure& figure);

// The first stage of a drawing that keeps a view chosen before (a sweep, the window's
// play): SampleCurve and FrameBox of `figure` for `curve`, then `view` pivoted on the
// new FigureCentre (FollowPivot). Parts of a figure far from the old one may fall outside
// the picture or behind the eye; the renderer clips them.
void PrepareFigureInView(const FunPars::TCurve& curve, Sampling::TFigure& figure, TView& view);

// Bounding box of the figure's curve points 0..CurvePointHigh (BoxMin, BoxMax, BoxSize,
// FigureCentre) and the length scales FigureDiagonal and FillSpacing. A point-like
// figure gives a zero BoxSize, FigureDiagonal and FillSpacing.
void FrameBox(Sampling::TFigure& figure);

// Puts view.Eye above and beside the box [boxMin, boxMax] of diagonal `diagonal`, at
// 3.5 diagonals from its lower corner in azimuth pi/4 + 0.15 about it. A box that is a
// point, or too small against its distance from the origin to be told apart from an
// eye a few diagonals away, is given the eye distance of a box a millionth of that
// distance across (of size 1 at the origin). The rest of the view is left alone.
void PlaceEye(TView& view, const TVector3& boxMin, const TVector3& boxMax, long double diagonal);

// The rest of the view from view.Eye: the pivot `centre`, the axes (AxisZ from it
// towards the eye, AxisX horizontal), the perspective constants, and the fit that puts
// the image of the box [boxMin, boxMax] inside 380 x 380 pixels centred on (200, 200)
// with its depths mapped to 8,192 (nearest) .. 24,576. A zero projected extent (a
// point, a box seen edge-on) is widened to a millionth of the eye distance, so the
// figure shows as a point or segment at the centre.
void SetUpView(TView& view, const TVector3& boxMin, const TVector3& boxMax, const TVector3& centre);

// PlaceEye and SetUpView for the box [boxMin, boxMax] with centre `centre` and
// diagonal `diagonal`: the view a new drawing starts with.
TView FrameView(const TVector3& boxMin, const TVector3& boxMax, const TVector3& centre, long double diagonal);

// Moves view.ScreenCentre to the projection of view.Pivot, where the trackball is
// centred; after any change of the view's rows, scale or offsets.
void FollowPivot(TView& view);

// Perspective image of a world point before fitting: (x, y, depth coordinate), with
// world lengths reproduced at the pivot's depth (times the fit factor once fitted).
// The point must not lie at the eye's depth.
TVector3 ProjectRaw(const TView& view, const TVector3& p);

// Pixel position and integer-scaled depth of a world point in `view`: ProjectRaw
// shifted by the pixel offsets, depth mapped by DepthScale and DepthOffset.
ScreenPoint ProjectPoint(const TView& view, const TVector3& p);

// Widens the running box [lo, hi] by ProjectRaw(view, p), per coordinate.
void WidenProjectedBox(const TView& view, const TVector3& p, TVector3& lo, TVector3& hi);

// Toolkit colour value (red low byte, blue high byte) of three bytes stored blue, green, red.
std::uint32_t TripleToColour(const std::uint8_t* bgr);

}  // namespace Framing
