#include "geometry/CurveCrossing.h"

#include <algorithm>
#include <cmath>

#include "geometry/Vectors.h"

namespace CurveCrossing {

namespace {

long double CircleDistance(long double a, long double b, long double span) {
  const long double d = std::fmod(std::fabs(b - a), span);
  return std::min(d, span - d);
}

}  // namespace

bool FindCrossing(const std::function<TVector3(long double)>& point, long double span, long double reach,
                  long double tolerance, long double& a, long double& b) {
  const long double a0 = a, b0 = b, h = 1e-7L * span;
  const auto tangent = [&](long double u) { return (point(u + h) - point(u - h)) / (2 * h); };
  for (int step = 0; step < 40; ++step) {
    const TVector3 gap = point(a) - point(b), ta = tangent(a), tb = tangent(b);
    // The normal equations of the least-squares step [ta, -tb] (da, db) = -gap.
    const long double aa = Dot(ta, ta), ab = -Dot(ta, tb), bb = Dot(tb, tb);
    const long double ra = -Dot(ta, gap), rb = Dot(tb, gap);
    const long double det = aa * bb - ab * ab;
    if (!(det > 1e-12L * aa * bb)) return false;
    const long double da = (ra * bb - ab * rb) / det, db = (aa * rb - ab * ra) / det;
    a += da, b += db;
    if (!(std::max(CircleDistance(a, a0, span), CircleDistance(b, b0, span)) <= reach)) return false;
    if (std::max(std::fabs(da), std::fabs(db)) < 1e-15L * span) break;
  }
  return Length(point(a) - point(b)) <= tolerance && CircleDistance(a, b, span) > reach;
}

}  // namespace CurveCrossing
