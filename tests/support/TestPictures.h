// The pictures that a test without a window draws into: one set at the default sizes,
// made on first use.
#pragma once

#include <stdexcept>

#include "render/Pictures.h"

inline TPictures& TestPictures() {
  static TPictures pictures;
  if (pictures.HullBitmap.isNull() && !CreatePictures(pictures)) throw std::bad_alloc();
  return pictures;
}
