// Tritangent planes: planes that touch the curve at three points, the hull's flat
// triangles.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "formula/Vector3.h"

namespace Tritangents {

// Ascending parameter triples (u1, u2, u3) within [TMin, TMax].
using Triple = std::array<long double, 3>;
inline std::vector<Triple> TritangentTriples;
inline std::int32_t TritangentCount = 0;

// A flat face of the hull: a plane that supports the curve and touches it at three or
// more points. Normal is the outward unit normal, Offset = Normal . P at the contacts,
// Contacts the ascending parameters (in [TMin, TMax)) of every point of contact.
struct FlatFace {
  TVector3 Normal;
  long double Offset = 0;
  std::vector<long double> Contacts;
};
inline std::vector<FlatFace> FlatFaces;

// Rebuilds FlatFaces, TritangentTriples and TritangentCount from the current curve
// points and samples (SampleCurve must have run for the current t interval); the last
// step of the bitangent analysis. Each face appears once, with all its contacts, and
// its triples are a fan over the convex polygon of its contact points, which covers
// the face once. Fills the curve points' Neighbours lists on the way. With fewer than
// three curve points, a planar curve, or no candidate converging, nothing is stored.
void FindTritangents();

}  // namespace Tritangents
