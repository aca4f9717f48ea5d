// Test helpers: the area of a triangle in space and the distance of a point from it.
#pragma once

#include "formula/Vector3.h"
#include "geometry/Vectors.h"

namespace Triangles {

inline long double TriangleArea(const TVector3& a, const TVector3& b, const TVector3& c) {
  return Length(Cross(b - a, c - a)) / 2;
}

// Distance from p to the triangle abc (the closest point by its Voronoi regions).
inline long double TriangleDistance(const TVector3& p, const TVector3& a, const TVector3& b, const TVector3& c) {
  const TVector3 ab = b - a, ac = c - a, ap = p - a;
  const long double d1 = Dot(ab, ap), d2 = Dot(ac, ap);
  if (d1 <= 0 && d2 <= 0) return Length(ap);
  const TVector3 bp = p - b;
  const long double d3 = Dot(ab, bp), d4 = Dot(ac, bp);
  if (d3 >= 0 && d4 <= d3) return Length(bp);
  const long double vc = d1 * d4 - d3 * d2;
  if (vc <= 0 && d1 >= 0 && d3 <= 0) return Length(ap - d1 / (d1 - d3) * ab);
  const TVector3 cp = p - c;
  const long double d5 = Dot(ab, cp), d6 = Dot(ac, cp);
  if (d6 >= 0 && d5 <= d6) return Length(cp);
  const long double vb = d5 * d2 - d1 * d6;
  if (vb <= 0 && d2 >= 0 && d6 <= 0) return Length(ap - d2 / (d2 - d6) * ac);
  const long double va = d3 * d6 - d5 * d4;
  if (va <= 0 && d4 - d3 >= 0 && d5 - d6 >= 0) return Length(bp - (d4 - d3) / ((d4 - d3) + (d5 - d6)) * (c - b));
  const long double denom = 1 / (va + vb + vc);
  return Length(ap - (vb * denom) * ab - (vc * denom) * ac);
}

}  // namespace Triangles
