// Points and directions in extended precision, shared by every numerical unit.
#pragma once

#include <limits>

// The whole program computes in the x87 80-bit format; its 64-bit significand is
// what the formula programs, the corrector tolerances and the file format assume.
static_assert(std::numeric_limits<long double>::digits == 64,
              "long double must be the x87 extended format");

// A point or a direction in space.
struct TVector3 {
  long double x = 0, y = 0, z = 0;
};

// A point of the (s, t) parameter square, or any pair of extended reals.
struct TVector2 {
  long double x = 0, y = 0;
};

inline TVector3 operator+(const TVector3& a, const TVector3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline TVector3 operator-(const TVector3& a, const TVector3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline TVector3 operator-(const TVector3& a) { return {-a.x, -a.y, -a.z}; }
inline TVector3 operator*(long double k, const TVector3& a) { return {k * a.x, k * a.y, k * a.z}; }
inline TVector3 operator*(const TVector3& a, long double k) { return {a.x * k, a.y * k, a.z * k}; }
inline TVector3 operator/(const TVector3& a, long double k) { return {a.x / k, a.y / k, a.z / k}; }
inline bool operator==(const TVector3& a, const TVector3& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

inline TVector2 operator+(const TVector2& a, const TVector2& b) { return {a.x + b.x, a.y + b.y}; }
inline TVector2 operator-(const TVector2& a, const TVector2& b) { return {a.x - b.x, a.y - b.y}; }
inline TVector2 operator*(long double k, const TVector2& a) { return {k * a.x, k * a.y}; }
inline bool operator==(const TVector2& a, const TVector2& b) { return a.x == b.x && a.y == b.y; }
