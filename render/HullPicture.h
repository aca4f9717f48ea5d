// The shaded picture of the hull's boundary: ruled strips from the on-hull bitangent
// segments, flat tritangent triangles, and the curve drawn over them.
#pragma once

#include <cstdint>
#include <vector>

#include "geometry/Framing.h"

struct Ruling {
  ScreenPoint EndS, EndT;  // projections of PointS and PointT
  std::int32_t Shade = 0;  // palette index
  bool StripStart = false;
};
using ArrayReglas = std::vector<Ruling>;

namespace HullPicture {

inline ArrayReglas Rulings;
inline std::int32_t RulingCount = 0;

// Draws the hull's boundary in the current view into HullBitmap.
void RenderHull();

}  // namespace HullPicture
