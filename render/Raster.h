// The depth buffer and the four primitives the shaded hull picture is made of: a
// segment and a triangle that write depths, and a segment and a triangle that paint
// into HullBitmap where they lie at the front.
#pragma once

#include <cstdint>

#include "geometry/Framing.h"

namespace Raster {

// Every DepthBuffer cell gets FrontDepth 32767 and BackDepth -32767.
void ClearDepth();

// Depth halves of the cell of pixel (x, y), which must lie inside HullRect.
std::uint16_t FrontDepth(int x, int y);
std::int16_t BackDepth(int x, int y);

void DepthSegment(const ScreenPoint& a, const ScreenPoint& b);
void PaintSegment(const ScreenPoint& a, const ScreenPoint& b, std::uint32_t colour);
void DepthTriangle(const ScreenPoint& a, const ScreenPoint& b, const ScreenPoint& c, bool widen);
void PaintTriangle(const ScreenPoint& a, const ScreenPoint& b, const ScreenPoint& c, int shade, bool widen);

}  // namespace Raster
