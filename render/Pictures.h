// The pictures of one drawing and what the renderer keeps beside them: the shaded hull,
// the stereo wire-frame, the circle of normals, the square of bitangent pairs, the
// hull's depth buffer and its rulings. Whoever draws (the window, wendrix-cli, the
// Python module, a sweep, a test) owns a TPictures and hands it to the render stages,
// which fill it; nothing here is process-wide.
//
// Sizes: the main pictures (hull and stereo) are square, HullSize pixels a side, the
// small ones (normals and square) SmallSize. The view is framed for the 400-pixel
// picture and the small pictures are laid out for 300 pixels; a picture of another
// size shows the same figure scaled by HullScale() or SmallScale(), only sharper.
#pragma once

#include <QImage>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "geometry/Framing.h"

// A run of the ruling ends that TPictures::ArcVertices holds: Count of them from index
// First, forwards or backwards round the list.
struct ArcRun {
  std::uint32_t First = 0, Count = 0;
  bool Forward = true;
};

// A bitangent segment of the hull as the shaded picture draws it.
struct Ruling {
  ScreenPoint EndS, EndT;  // projections of PointS and PointT
  std::int32_t Shade = 0;  // palette index
  bool StripStart = false;
  TVector3 PointS, PointT;  // the segment in the world
  TVector3 Normal;          // the unit normal its shade was taken from
  long double ParamS = 0, ParamT = 0;  // the curve parameters of its ends
  // The ends of other rulings that the quad from the ruling before passes along the
  // curve, on its edge of s and its edge of t; none for a strip's first ruling.
  std::array<ArcRun, 2> Passed{};
};
using ArrayReglas = std::vector<Ruling>;

// The end of a ruling on the curve: its parameter (on [TMin, TMin + TSpan)) and pixel.
struct ArcVertex {
  long double Param;
  ScreenPoint End;
};

// A primitive of the shaded picture waiting in the queue of Raster::TQueue.
struct RasterCommand {
  enum class TKind : std::uint8_t { DepthSegment, PaintSegment, DepthTriangle, PaintTriangle };
  TKind Kind;
  bool Widen;            // triangles: one more pixel at the right end of every span
  std::int32_t Shade;    // PaintTriangle: palette index
  std::uint32_t Colour;  // PaintSegment: toolkit colour
  ScreenPoint A, B, C;   // segments use A and B
};

inline constexpr int DefaultHullSize = 400, DefaultSmallSize = 300;
// Largest side of a picture: a 4096-pixel hull picture with its depth buffer takes
// about 120 MB; beyond that a size is refused, not attempted.
inline constexpr int MaxPictureSize = 4096;
// Smallest side: below it the figure has no room for its frame.
inline constexpr int MinPictureSize = 8;

struct TPictures {
  QImage HullBitmap;     // HullSize squared, 24 bits stored blue, green, red: the shaded hull
  QImage StereoBitmap;   // HullSize squared, RGB32 (blue, green, red, 255), black background: the stereo wire-frame
  QImage MaxwellBitmap;  // SmallSize squared: the unit normals of the hull's strips
  QImage BitangBitmap;   // SmallSize squared: the square of bitangent pairs

  // One cell per pixel of HullBitmap (layout in render/Raster.h).
  std::vector<std::uint32_t> DepthBuffer;

  // Rulings of the last hull picture in records 1..RulingCount, in the order they were
  // built; record 0 is a sentinel whose StripStart the paint pass sets.
  ArrayReglas Rulings;
  std::int32_t RulingCount = 0;
  // The ends of all those rulings by increasing parameter: where strips meet along a
  // piece of curve, each strip's edge there passes through the other's ends too.
  std::vector<ArcVertex> ArcVertices;

  // The primitives queued while a Raster::TQueue is open, and whether one is.
  std::vector<RasterCommand> RasterQueue;
  bool QueueRaster = false;

  int HullSize() const { return HullBitmap.width(); }
  int SmallSize() const { return MaxwellBitmap.width(); }
  // Pixels of this picture per pixel of the framing's 400-pixel picture (or of the
  // 300-pixel small pictures).
  long double HullScale() const { return HullSize() / static_cast<long double>(DefaultHullSize); }
  long double SmallScale() const { return SmallSize() / static_cast<long double>(DefaultSmallSize); }
};

// Makes `pictures` blank at the given sides (white; the stereo picture black) with a
// cleared depth buffer and no rulings. False, with `message` saying why and `pictures`
// unchanged, when a side lies outside MinPictureSize..MaxPictureSize or memory lacks.
bool CreatePictures(TPictures& pictures, int hullSize, int smallSize, std::string& message);

// CreatePictures at the default sides 400 and 300; false only when memory lacks.
bool CreatePictures(TPictures& pictures);
