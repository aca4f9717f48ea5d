// Shared step of the framing tests.
#pragma once

#include <gtest/gtest.h>

#include "formula/Checks.h"
#include "geometry/Framing.h"
#include "geometry/Sampling.h"
#include "tests/support/TestData.h"
#include "tests/support/TestView.h"

namespace FramingTests {

// Samples and frames the curve of TestData. Framing must raise no
// floating-point flag, and every curve point must land inside the fitted square
// (10..390 pixels) at a depth within the box's range (8,192..24,576).
inline void FrameCurveInPicture() {
  ClearFloatFlags();
  TestView() = Framing::PrepareFigure(TestData().Curve, TestData().Figure);
  for (int k = 0; k <= TestData().Figure.CurvePointHigh; ++k) {
    const ScreenPoint s = Framing::ProjectPoint(TestView(), TestData().Figure.CurvePoints[k].Point);
    EXPECT_TRUE(s.x >= 9.999L && s.x <= 390.001L && s.y >= 9.999L && s.y <= 390.001L) << k;
    EXPECT_TRUE(s.z >= 8191.999L && s.z <= 24576.001L) << k;
  }
  EXPECT_NO_THROW(CheckFloatFlags());
}

}  // namespace FramingTests
