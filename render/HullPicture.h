// The shaded picture of the hull's boundary: ruled strips from the on-hull bitangent
// segments, flat tritangent triangles, and the curve drawn over them.
//
// The picture is made in two passes over the same pieces: a depth pass that records the
// nearest and farthest depth of every pixel, then a paint pass that colours a pixel only
// where the piece being painted lies at the front. Shading is flat, one palette index
// per ruling or triangle.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "formula/Curve.h"
#include "geometry/Bitangents.h"
#include "geometry/Framing.h"
#include "geometry/Sampling.h"
#include "geometry/Tritangents.h"
#include "render/Pictures.h"

namespace HullPicture {

// Depth writes the depths; PaintFar paints the pieces that face away from the eye and
// PaintNear, after it, those that face it (with the curve pieces), so that where the two
// sides of the surface meet within the paint pass' depth tolerance, at the outline and
// along the edges of flat faces, the side the eye sees wins.
enum class RenderMode { Depth, PaintFar, PaintNear };

// The eye of `view` in world coordinates.
TVector3 EyeOfView(const TView& view);

// True unless the plane through p with normal n turns its back to the eye of `view`.
bool FacesEye(const TView& view, const TVector3& p, const TVector3& n);

// Draws the hull's boundary in `view` into the HullBitmap of `pictures`, at its
// size: clears its depth buffer, rebuilds its rulings from `analysis` (depth pass),
// fills the picture white, paints the strips and tritangent triangles (corners on
// `curve`), and draws the curve points of `figure` over them. Empty lists give a white
// picture with the curve only. The pieces are drawn by bands of rows on up to two
// threads, the same picture for any number.
void RenderHull(TPictures& pictures, const TView& view, const FunPars::TCurve& curve, const Sampling::TFigure& figure,
                const Bitangents::TAnalysis& analysis);

// Pixel and depth of world point p in `view`, in a hull picture of `pictures`' size:
// the framing's ProjectPoint with x and y scaled by HullScale.
ScreenPoint PicturePoint(const TPictures& pictures, const TView& view, const TVector3& p);

// Palette index of a face with unit outward normal n: I = Round(80 view.AxisZ . n);
// 128 + I (green scale) when I > 0, else 32 + |I| (orange scale). RangeError for a NaN.
std::int32_t ShadeIndex(const TView& view, const TVector3& n);

// The bitangent segment of b projected into the picture, shaded by its plane normal;
// StripStart is left false for the caller to set.
Ruling ProjectRuling(const TPictures& pictures, const TView& view, const BitangentRecord& b);

// Appends r at index RulingCount + 1, growing Rulings by 10 records when it is full.
void AppendRuling(TPictures& pictures, const Ruling& r);

// True when the picture shows record b: OnHull and ParamT >= ParamS (the list holds every
// pair as (s, t) and as (t, s); only one is drawn). A NaN parameter hides the record.
bool Visible(const BitangentRecord& b);

// Walks the BitangentList of `analysis`, 1..BitangentCount, in order and calls visit(b, stripStart) for every
// visible record. stripStart is true when b begins a strip: it starts a branch or follows
// a record that is not visible. Every other visited record continues the strip of the
// one visited before it, the two spanning one quad. An empty list visits nothing.
void WalkStrips(const Bitangents::TAnalysis& analysis,
                const std::function<void(const BitangentRecord& b, bool stripStart)>& visit);

// The two triangles into which the quad between consecutive rulings a (earlier) and b
// (later) is split, as corner numbers 0 = a.EndS, 1 = a.EndT, 2 = b.EndS, 3 = b.EndT in
// the order they are drawn; the first is shaded a.Shade, the second b.Shade. Along the
// nearer diagonal a.EndT-b.EndS, {0, 1, 2} and {2, 1, 3}, when it is strictly nearer and
// the rulings do not both face the viewer; otherwise {0, 1, 3} and {0, 2, 3}.
using QuadSplit = std::array<std::array<int, 3>, 2>;
QuadSplit SplitStripQuad(const Ruling& a, const Ruling& b);

// The quad between consecutive rulings a (earlier) and b (later) of a strip, split into
// two triangles shaded a.Shade and b.Shade: depth mode writes them and the two curve
// pieces a.EndS-b.EndS and a.EndT-b.EndT; the paint modes paint the triangles of their
// side, PaintNear then each curve piece in yellow where it lies at the front. A
// triangle that faces the eye while its ruling's plane turns away (a quad across the
// fold of the outline) is shaded by its own plane. Rulings without a world segment
// (all zero) count as facing the eye. Each edge along the curve runs through the
// ArcVertices of `pictures` that b.Passed names (BuildRulings finds them), as a fan
// painted like the triangle that holds the edge; with none, the edge is the plain
// chord. A run beyond ArcVertices raises RangeError.
void FillStripQuad(TPictures& pictures, const TView& view, const Sampling::TFigure& figure, const Ruling& a,
                   const Ruling& b, RenderMode mode);

// The flat triangle of tritangent triple u: its corners P(u1), P(u2), P(u3) on `curve`,
// and n = (P2 - P1) x (P3 - P2) / FigureDiagonal^2, not
// normalized. False when |n| is not above 1e-7 |P2 - P1| |P3 - P2| / FigureDiagonal^2
// (the three points nearly lie on a line, or coincide): such a triangle is not drawn.
bool TritangentCorners(const FunPars::TCurve& curve, const Sampling::TFigure& figure, const Tritangents::Triple& u,
                       std::array<TVector3, 3>& corners, TVector3& n);

// The mean of the curve points of `figure` (its FigureCentre when there are none).
TVector3 CurveCentroid(const Sampling::TFigure& figure);

// One flat triangle per tritangent triple of `analysis`, its normal turned away from the mean of the
// curve points; triples whose three points (nearly) lie on a line are skipped. The
// paint modes paint the triangles of their side only.
void TritangentTriangles(TPictures& pictures, const TView& view, const FunPars::TCurve& curve,
                         const Sampling::TFigure& figure, const Bitangents::TAnalysis& analysis, RenderMode mode);

// Unit normal of the quad between the segments of consecutive records a and b (the
// cross product of its diagonals), turned to the side of their plane normals. False
// for a sliver, whose diagonals are (nearly) parallel.
bool QuadNormal(const Sampling::TFigure& figure, const BitangentRecord& a, const BitangentRecord& b, TVector3& n);

// Depth pass: the tritangent triangles, then the ends of the visible bitangent records
// (OnHull, ParamT >= ParamS) gathered into ArcVertices, and their rulings appended in
// order, each strip's first ruling written as a segment and every following one as a
// quad with its predecessor, whose edges along the curve pass the ArcVertices strictly
// between their ends' parameters (the shorter way round the t interval). A ruling whose plane normal lies more than 25 degrees from
// a quad it bounds takes that quad's shade.
void BuildRulings(TPictures& pictures, const TView& view, const FunPars::TCurve& curve, const Sampling::TFigure& figure,
                  const Bitangents::TAnalysis& analysis);

// Paint pass over the rulings, once per side (far, then near): the tritangent triangles,
// then the quads, and in the near pass each strip's first and last ruling as lines in
// their own shade when they face the eye.
void PaintHull(TPictures& pictures, const TView& view, const FunPars::TCurve& curve, const Sampling::TFigure& figure,
               const Bitangents::TAnalysis& analysis);

// Draws the polyline of the curve points of `figure` over the picture: yellow where both ends lie on the
// front surface, silver where neither lies on a surface, nothing otherwise; a point lies
// on a surface within 20 depth units of the depths written at its pixel and the eight
// around it. Stops at the first point that projects outside the picture.
void PaintCurve(TPictures& pictures, const TView& view, const Sampling::TFigure& figure);

}  // namespace HullPicture
