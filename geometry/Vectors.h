// Vector operations on extended reals, in the exact order of operations the
// geometry relies on.
#pragma once

#include <cmath>

#include "formula/Vector3.h"

inline long double Dot(const TVector3& a, const TVector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline long double Dot2(const TVector2& a, const TVector2& b) { return a.x * b.x + a.y * b.y; }

inline TVector3 Cross(const TVector3& a, const TVector3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// a . (b x c), evaluated as (b.y c.z - b.z c.y) a.x + (b.z c.x - b.x c.z) a.y + (b.x c.y - b.y c.x) a.z.
inline long double Triple(const TVector3& a, const TVector3& b, const TVector3& c) {
  return (b.y * c.z - b.z * c.y) * a.x + (b.z * c.x - b.x * c.z) * a.y + (b.x * c.y - b.y * c.x) * a.z;
}

inline long double Length(const TVector3& a) { return std::sqrt(Dot(a, a)); }
