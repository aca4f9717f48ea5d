// Test helper: Qhull's convex hull of a point set, the independent reference against
// which the analysed hull is checked.
#pragma once

#include <vector>

#include "formula/Vector3.h"

namespace QhullHull {

struct Plane {
  double nx, ny, nz, offset;  // outward unit normal; inside points have n . x + offset <= 0
};

// A triangle of the triangulated hull, with the indexes of its corners in the points.
struct Facet {
  TVector3 a, b, c;
  int ia, ib, ic;
};

struct Hull {
  std::vector<Plane> planes;
  std::vector<Facet> facets;
  double area = 0;
  double volume = 0;
};

// The triangulated hull of `points` (qhull Qt). A failure of Qhull fails the calling
// test and gives an empty hull.
Hull QhullOf(const std::vector<TVector3>& points);

// Largest n . x + offset over the facets: minus the distance to the surface for a
// point inside, a lower bound of the distance for one outside.
double SignedDepth(const Hull& hull, const TVector3& p);

}  // namespace QhullHull
