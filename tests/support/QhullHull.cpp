#include "tests/support/QhullHull.h"

#include <gtest/gtest.h>

#include <libqhull_r/qhull_ra.h>

#include <algorithm>
#include <cstdio>

namespace QhullHull {

Hull QhullOf(const std::vector<TVector3>& points) {
  std::vector<double> coords;
  for (const TVector3& p : points) coords.insert(coords.end(), {double(p.x), double(p.y), double(p.z)});
  qhT context;
  qhT* qh = &context;
  qh_zero(qh, stderr);
  char command[] = "qhull Qt";
  Hull hull;
  const int failed = qh_new_qhull(qh, 3, static_cast<int>(points.size()), coords.data(), False, command,
                                  nullptr, stderr);
  if (!failed) {
    facetT* facet;
    FORALLfacets {
      hull.planes.push_back({facet->normal[0], facet->normal[1], facet->normal[2], facet->offset});
      int id[3], n = 0;
      vertexT *vertex, **vertexp;
      FOREACHvertex_(facet->vertices) {
        if (n < 3) id[n] = qh_pointid(qh, vertex->point);
        ++n;
      }
      EXPECT_EQ(n, 3);
      hull.facets.push_back({points.at(id[0]), points.at(id[1]), points.at(id[2]), id[0], id[1], id[2]});
    }
    qh_getarea(qh, qh->facet_list);
    hull.area = qh->totarea;
    hull.volume = qh->totvol;
  }
  qh_freeqhull(qh, !qh_ALL);
  int curlong, totlong;
  qh_memfreeshort(qh, &curlong, &totlong);
  EXPECT_EQ(failed, 0);
  return hull;
}

double SignedDepth(const Hull& hull, const TVector3& p) {
  double worst = -1e300;
  for (const Plane& f : hull.planes)
    worst = std::max(worst, f.nx * double(p.x) + f.ny * double(p.y) + f.nz * double(p.z) + f.offset);
  return worst;
}

}  // namespace QhullHull
