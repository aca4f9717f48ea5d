#include "geometry/Tritangents.h"

namespace Tritangents {

void FindTritangents() {}

}  // namespace Tritangents
