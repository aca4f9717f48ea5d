// The drawing data that a test without a window reads into, draws and checks, one at a
// time for the whole test program, as the view of TestView is.
#pragma once

#include <memory>

#include "app/DrawingData.h"

inline std::unique_ptr<Drawing::TDrawingData>& TestDataHolder() {
  static auto data = std::make_unique<Drawing::TDrawingData>();
  return data;
}

inline Drawing::TDrawingData& TestData() { return *TestDataHolder(); }

// A new, empty TestData in place of the one in use, for a test that starts afresh.
inline void FreshTestData() { TestDataHolder() = std::make_unique<Drawing::TDrawingData>(); }
