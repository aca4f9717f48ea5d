// The view that a test without a window frames, draws and drags in, one for the whole
// test program as the pictures of TestPictures are.
#pragma once

#include "geometry/View.h"

inline TView& TestView() {
  static TView view;
  return view;
}
