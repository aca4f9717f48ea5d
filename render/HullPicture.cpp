#include "render/HullPicture.h"

namespace HullPicture {

void RenderHull() {}

}  // namespace HullPicture
