#include "geometry/Framing.h"

namespace Framing {

void PrepareFigure() {}

}  // namespace Framing
