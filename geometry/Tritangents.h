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

// Rebuilds TritangentTriples and TritangentCount from the current curve points and
// samples (SampleCurve must have run for the current t interval); the last step of the
// bitangent analysis. Fills the curve points' Neighbours lists on the way. With fewer
// than three curve points, or none of the candidates converging, no triple is stored.
void FindTritangents();

}  // namespace Tritangents
