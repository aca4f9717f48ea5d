// Errors that end the current command, and the checked steps that raise them.
//
// The floating-point unit runs without hardware traps (the toolkit and the C library
// would not survive them). Instead a command clears the exception flags when it starts
// and tests them at the end of each stage: a raised division-by-zero, invalid-operation
// or overflow flag ends the command with the matching error, as a trap would have.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "formula/X87.h"

// Base of every error that ends a command; the top-level handler shows what().
class WendrixError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// An index outside an array, or a real that does not fit the integer it is converted to.
class RangeError : public WendrixError {
 public:
  RangeError() : WendrixError("Range check error") {}
};

// A floating-point exception that the hardware would have trapped.
class FloatError : public WendrixError {
 public:
  using WendrixError::WendrixError;
};

// Clears the x87 and SSE exception flags.
void ClearFloatFlags();

// Throws FloatError ("Floating point division by zero", "Invalid floating point
// operation" or "Floating point overflow") when one of those flags is raised, after
// clearing the flags so that the next command starts clean. Other flags are ignored.
void CheckFloatFlags();

// Real-to-integer conversions into a signed 32-bit integer. Round takes the nearest
// integer with halves to even; Floor is the mathematical floor; Trunc drops the
// fraction. A NaN, an infinity or a value outside the 32-bit range throws RangeError.
// Inline: rasterizers call them per pixel.
std::int32_t RoundChecked(long double v);
std::int32_t FloorChecked(long double v);
std::int32_t TruncChecked(long double v);

// Ceil as the rasterizer defines it: Floor(v), plus 1 when v is above Floor(v).
std::int32_t CeilChecked(long double v);

// Throws RangeError unless 0 <= i < size.
inline void CheckIndex(long long i, std::size_t size) {
  if (i < 0 || static_cast<unsigned long long>(i) >= size) throw RangeError();
}

namespace ChecksDetail {

[[noreturn]] void ThrowRange();

// Converts an integral-valued real, refusing what a 32-bit integer cannot hold.
inline std::int32_t ToInt32(long double integral) {
  if (!(integral >= -2147483648.0L && integral <= 2147483647.0L)) ThrowRange();
  return static_cast<std::int32_t>(integral);
}

// The nearest integer by frndint, which rounds in the unit's mode: always to nearest,
// halves to even. One instruction, where the C library's nearbyintl and floorl save
// and restore the whole floating-point environment around it.
inline long double Nearest(long double v) {
  if (!__builtin_isfinite(v)) ThrowRange();
  return X87::Frndint(v);
}

// The floor of a finite v from its nearest integer r: r - 1 when r lies above v. A v
// that is not integral is below 2^63 in magnitude, so r - 1 is exact.
inline long double FloorOf(long double v, long double r) { return r > v ? r - 1 : r; }

}  // namespace ChecksDetail

inline std::int32_t RoundChecked(long double v) { return ChecksDetail::ToInt32(ChecksDetail::Nearest(v)); }

inline std::int32_t FloorChecked(long double v) {
  return ChecksDetail::ToInt32(ChecksDetail::FloorOf(v, ChecksDetail::Nearest(v)));
}

inline std::int32_t TruncChecked(long double v) {
  using namespace ChecksDetail;
  const long double r = Nearest(v);
  return ToInt32(v >= 0 ? FloorOf(v, r) : -FloorOf(-v, -r));
}
