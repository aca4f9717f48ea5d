// The mouse gate (anchor, drag flag, stereo working copy) that a test without a window
// drags the main view of TestPictures and TestView through.
#pragma once

#include "app/core/DragGate.h"
#include "tests/support/TestView.h"

inline DragGate::TGate& TestGate() {
  static DragGate::TGate gate;
  return gate;
}
