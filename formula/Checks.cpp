#include "formula/Checks.h"

#include <cfenv>
#include <cmath>

#include "formula/X87.h"

void ClearFloatFlags() { std::feclearexcept(FE_ALL_EXCEPT); }

void CheckFloatFlags() {
  const int raised = std::fetestexcept(FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW);
  if (raised == 0) return;
  std::feclearexcept(FE_ALL_EXCEPT);
  // A trapping unit would have stopped at the first fault. An invalid operation is nearly
  // always the consequence of an infinity made earlier (inf - inf, 0 x inf), so an
  // overflow or a division by zero raised in the same stage is the one to name.
  if (raised & FE_OVERFLOW) throw FloatError("Floating point overflow");
  if (raised & FE_DIVBYZERO) throw FloatError("Floating point division by zero");
  throw FloatError("Invalid floating point operation");
}

namespace {

// Converts an integral-valued real, refusing what a 32-bit integer cannot hold.
std::int32_t ToInt32(long double integral) {
  if (!(integral >= -2147483648.0L && integral <= 2147483647.0L)) throw RangeError();
  return static_cast<std::int32_t>(integral);
}

// The nearest integer by frndint, which rounds in the unit's mode: always to nearest,
// halves to even. One instruction, where the C library's nearbyintl and floorl save
// and restore the whole floating-point environment around it.
long double Nearest(long double v) {
  if (!std::isfinite(v)) throw RangeError();
  return X87::Frndint(v);
}

// The floor of a finite v from its nearest integer r: r - 1 when r lies above v. A v
// that is not integral is below 2^63 in magnitude, so r - 1 is exact.
long double FloorOf(long double v, long double r) { return r > v ? r - 1 : r; }

}  // namespace

std::int32_t RoundChecked(long double v) { return ToInt32(Nearest(v)); }

std::int32_t FloorChecked(long double v) { return ToInt32(FloorOf(v, Nearest(v))); }

std::int32_t TruncChecked(long double v) {
  const long double r = Nearest(v);
  return ToInt32(v >= 0 ? FloorOf(v, r) : -FloorOf(-v, -r));
}

std::int32_t CeilChecked(long double v) {
  const std::int32_t f = FloorChecked(v);
  return v > static_cast<long double>(f) ? ToInt32(static_cast<long double>(f) + 1) : f;
}
