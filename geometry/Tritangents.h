// Tritangent planes: planes that touch the curve at three points, the hull's flat
// triangles.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "formula/Curve.h"
#include "formula/Vector3.h"
#include "geometry/AnalysisFrame.h"
#include "geometry/Sampling.h"

namespace Bitangents {
struct TAnalysis;
}

namespace Tritangents {

// Ascending parameter triples (u1, u2, u3) within [TMin, TMax].
using Triple = std::array<long double, 3>;

// A flat face of the hull: a plane that supports the curve and touches it at three or
// more points. Normal is the outward unit normal, Offset = Normal . P at the contacts,
// Contacts the ascending parameters (in [TMin, TMax)) of every point of contact.
struct FlatFace {
  TVector3 Normal;
  long double Offset = 0;
  std::vector<long double> Contacts;
};

// Pairs of links (segment i linked to l, l to m) the search looks at for candidates,
// and candidates passing the screens it solves, at most. Only a curve whose polygon is
// rounding noise or aliasing (a t interval of millions of periods) links this densely;
// the search then stops there and says so in SearchCut.
inline constexpr long long MaxLinkPairs = 1LL << 28, MaxSolved = 1LL << 18;

// Rebuilds the FlatFaces, TritangentTriples, TritangentCount and SearchCut of
// `analysis` from the curve points and samples of `figure` (sampled from `curve`), both
// taken in `frame` (the identity for world points);
// the first step of the bitangent analysis. Each face appears once, with all its
// contacts, and its triples are a fan over the convex polygon of its contact points,
// which covers the face once. With
// fewer than three curve points, a planar curve, or no candidate converging, nothing is
// stored. SearchCut tells whether the search stopped at MaxLinkPairs or MaxSolved.
void FindTritangents(const FunPars::TCurve& curve, const Sampling::TFigure& figure, const AnalysisFrame::TFrame& frame,
                     Bitangents::TAnalysis& analysis);

}  // namespace Tritangents
