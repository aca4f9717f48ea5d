#include "formula/Checks.h"

#include <cfenv>

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

void ChecksDetail::ThrowRange() { throw RangeError(); }

std::int32_t CeilChecked(long double v) {
  const std::int32_t f = FloorChecked(v);
  return v > static_cast<long double>(f) ? ChecksDetail::ToInt32(static_cast<long double>(f) + 1) : f;
}
