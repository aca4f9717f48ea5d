#include "render/SmallPictures.h"

namespace SmallPictures {

void PaintBitangSquare() {}

void PaintMaxwell() {}

}  // namespace SmallPictures
