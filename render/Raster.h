// The depth buffer and the four primitives the shaded hull picture is made of: a
// segment and a triangle that write depths, and a segment and a triangle that paint
// into a picture's HullBitmap where they lie at the front.
//
// Cell layout of TPictures::DepthBuffer, for a picture of N x N pixels: the cell of
// pixel (x, y) is x * N + y (a column's cells are consecutive); its low 16 bits hold FrontDepth (unsigned, the nearest depth
// written), its high 16 bits BackDepth (signed, the farthest). Smaller depth is nearer.
// Depths are stored clamped into 0..32767, the range both halves can hold; a NaN
// coordinate or depth throws RangeError. Coordinates far outside the picture are
// clipped, never converted, so any finite point is accepted.
#pragma once

#include <cstdint>

#include "geometry/Framing.h"

struct TPictures;

namespace Raster {

inline constexpr std::uint32_t ClearedCell = 0x80017FFFu;  // FrontDepth 32767, BackDepth -32767
inline constexpr std::uint32_t Yellow = 0x00FFFFu;         // toolkit colour: red 255, green 255

// RangeError unless the HullBitmap of `pictures` is a square picture of 24-bit pixels.
void RequirePicture(const TPictures& pictures);

// Every DepthBuffer cell gets FrontDepth 32767 and BackDepth -32767 (the buffer is given
// one cell per pixel of HullBitmap if it has another size).
void ClearDepth(TPictures& pictures);

// Depth halves of the cell of pixel (x, y); RangeError unless (x, y) lies in the picture.
std::uint16_t FrontDepth(const TPictures& pictures, int x, int y);
std::int16_t BackDepth(const TPictures& pictures, int x, int y);

// Round(z) clamped to the storable depths 0..32767; RangeError for a NaN.
std::int32_t RoundDepth(long double z);

// True when the pixel (Floor(e.x), Floor(e.y)) lies in the picture and Round(e.z) is less
// than its FrontDepth + 40: the point is at the visible front, with a generous tolerance.
bool EndAtFront(const TPictures& pictures, const ScreenPoint& e);

// Writes the depths of the segment a-b into the pixels it steps through (never column 0
// or row 0). A segment whose ends are equal writes nothing.
void DepthSegment(TPictures& pictures, const ScreenPoint& a, const ScreenPoint& b);

// Paints the pixels of the segment a-b whose depth is not behind FrontDepth in `colour`
// (red + 256 green + 65536 blue), then marks each end pixel that passes EndAtFront in
// yellow, a first. A segment whose ends are equal gets only the end marks.
void PaintSegment(TPictures& pictures, const ScreenPoint& a, const ScreenPoint& b, std::uint32_t colour);

// Writes the depths (Floor of the plane through a, b, c) of the pixels of triangle abc
// inside the picture. `widen` adds one pixel to the right end of every row's span.
// A degenerate triangle (twice its area below 1e-9) writes nothing.
void DepthTriangle(TPictures& pictures, const ScreenPoint& a, const ScreenPoint& b, const ScreenPoint& c, bool widen);

// Paints the pixels of triangle abc whose depth is less than FrontDepth + 2 in the colour
// of ShadePalette entry `shade` (RangeError outside 0..255). Same pixels as DepthTriangle.
void PaintTriangle(TPictures& pictures, const ScreenPoint& a, const ScreenPoint& b, const ScreenPoint& c, int shade, bool widen);

// While a TQueue of `pictures` lives, the four primitives above only check their points
// (RangeError for a NaN) and queue themselves in order; Run then runs them over
// horizontal bands of the picture, on up to Bands() threads. A pixel's depths and colour
// depend only on the primitives of its own row, in their order, so the picture is the
// one the primitives make one by one, whatever the number of bands. Destroying the queue
// unrun drops it.
class TQueue {
 public:
  explicit TQueue(TPictures& pictures);
  ~TQueue();
  TQueue(const TQueue&) = delete;
  TQueue& operator=(const TQueue&) = delete;

  // Runs the queue in `bands` bands (1 to the picture's height) and ends the queueing.
  // Flags and errors come out as from the bands run top to bottom (Parallel::RunBands):
  // the first error of the topmost band that had one is thrown after all are done.
  void Run(int bands = Bands());
  // Parallel::Threads(): the thread setting of this thread, else two bands where the
  // machine has two cores or more and one otherwise.
  static int Bands();

 private:
  TPictures& pictures_;
};

}  // namespace Raster
