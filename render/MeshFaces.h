// The flat faces of the hull mesh: the tritangent planes that support the curve, each
// with all of its points of contact.
#pragma once

#include <vector>

#include "formula/Curve.h"
#include "formula/Vector3.h"
#include "geometry/Bitangents.h"
#include "geometry/Sampling.h"
#include "render/MeshCircle.h"

namespace HullMesh {

struct TFlatFace {
  TVector3 Normal;                  // outward unit normal
  std::vector<long double> Outline;  // contact parameters, counter-clockwise seen from outside
};

// The tritangent triples of `analysis` (corners on `curve`) whose plane supports the
// curve (every curve point of `figure` on one side, but for 1e-3 of the farthest one's
// distance), those of one plane merged, each plane's contact points reduced to their
// convex outline in order.
// Contacts that `circle` would merge count once; triples whose points (nearly) lie on a
// line and planes with fewer than three distinct contacts give no face.
std::vector<TFlatFace> SupportingFaces(const FunPars::TCurve& curve, const Sampling::TFigure& figure,
                                       const Bitangents::TAnalysis& analysis, const TParameterCircle& circle);

}  // namespace HullMesh
