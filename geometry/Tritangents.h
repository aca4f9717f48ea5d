// Tritangent planes: planes that touch the curve at three points, the hull's flat
// triangles.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace Tritangents {

// Ascending parameter triples (u1, u2, u3) within [TMin, TMax].
using Triple = std::array<long double, 3>;
inline std::vector<Triple> TritangentTriples;
inline std::int32_t TritangentCount = 0;

// Finds the tritangent planes of the current curve points into TritangentTriples;
// the last step of the bitangent analysis.
void FindTritangents();

}  // namespace Tritangents
