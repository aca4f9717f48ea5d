#include "geometry/Bitangents.h"

namespace Bitangents {

void Initialize() {}

void AnalyzeBitangents() {}

}  // namespace Bitangents
