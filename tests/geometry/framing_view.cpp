// Figure framing: eye placement, view axes, the fit into the picture and the depth map.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "geometry/Sampling.h"
#include "geometry/SharedState.h"
#include "geometry/Vectors.h"
#include "tests/geometry/framing_helpers.h"
#include "tests/support/TestCurves.h"
#include "tests/support/TestData.h"
#include "tests/support/TestView.h"

namespace {

using namespace Glob;
using FramingTests::FrameCurveInPicture;

TEST(FramingFit, BoxFillsAtMost380PixelsAroundTheCentreWithDepths8192To24576) {
  TestCurves::UseDefaultCurve(TestData());
  FrameCurveInPicture();
  // The perspective image of the box is not symmetric about the centre's image.
  EXPECT_NEAR(TestView().ScreenCentre.x, 200, 20);
  EXPECT_NEAR(TestView().ScreenCentre.y, 200, 20);
  TVector3 lo{1e9L, 1e9L, 1e9L}, hi{-1e9L, -1e9L, -1e9L};
  for (int corner = 0; corner < 8; ++corner) {
    const int i = (corner >> 2) & 1, j = (corner >> 1) & 1, k = corner & 1;
    const ScreenPoint c =
        Framing::ProjectPoint(TestView(), TestData().Figure.BoxMin + TVector3{i * TestData().Figure.BoxSize.x,
                                                                              j * TestData().Figure.BoxSize.y,
                                                                              k * TestData().Figure.BoxSize.z});
    lo = {std::min(lo.x, c.x), std::min(lo.y, c.y), std::min(lo.z, c.z)};
    hi = {std::max(hi.x, c.x), std::max(hi.y, c.y), std::max(hi.z, c.z)};
  }
  EXPECT_NEAR(lo.x + hi.x, 400, 1e-9);
  EXPECT_NEAR(lo.y + hi.y, 400, 1e-9);
  EXPECT_LE(std::min(hi.x - lo.x, hi.y - lo.y), 380 + 1e-9);
  EXPECT_NEAR(std::max(hi.x - lo.x, hi.y - lo.y), 380, 1e-9);
  EXPECT_NEAR(lo.z, 8192, 1e-6);
  EXPECT_NEAR(hi.z, 24576, 1e-6);
}

TEST(FramingFit, ViewAxesAreARightHandedFrameWithUpShownUp) {
  TestCurves::UseDefaultCurve(TestData());
  FrameCurveInPicture();
  EXPECT_NEAR(Length(TestView().AxisX), 1, 1e-15);
  EXPECT_NEAR(Length(TestView().AxisY), 1, 1e-15);
  EXPECT_NEAR(Length(TestView().AxisZ), 1, 1e-15);
  EXPECT_NEAR(Dot(TestView().AxisX, TestView().AxisY), 0, 1e-15);
  EXPECT_NEAR(Dot(TestView().AxisX, TestView().AxisZ), 0, 1e-15);
  EXPECT_EQ(TestView().AxisX.z, 0);
  // x right, y down, depth away from the viewer: a picture that is not mirrored.
  EXPECT_NEAR(Dot(Cross(TestView().AxisX, TestView().AxisY), TestView().AxisZ), -1, 1e-15);
  EXPECT_LT(Framing::ProjectPoint(TestView(), TestData().Figure.FigureCentre + TVector3{0, 0, 0.5L}).y,
            TestView().ScreenCentre.y);
  EXPECT_LT(Framing::ProjectPoint(TestView(), TestData().Figure.FigureCentre + 0.1L * TestView().AxisZ).z,
            TestView().ScreenCentre.z);  // nearer, smaller
}

TEST(FramingEye, EyeAzimuthIsFixedRelativeToTheBox) {
  const long double azimuth = 0.9353981633974483L;
  for (long double sizeX : {2.0L, 8.0L, 0.5L}) {  // a square box, and boxes long in x or in y
    TestData().Figure.BoxMin = {1, -2, 3};
    TestData().Figure.BoxSize = {sizeX, 2, 1};
    TestData().Figure.BoxMax = TestData().Figure.BoxMin + TestData().Figure.BoxSize;
    TestData().Figure.FigureDiagonal = Length(TestData().Figure.BoxSize);
    Framing::PlaceEye(TestView(), TestData().Figure.BoxMin, TestData().Figure.BoxMax, TestData().Figure.FigureDiagonal);
    const long double r = 3.5L * TestData().Figure.FigureDiagonal;
    EXPECT_NEAR(TestView().Eye.x, 1 + r * std::cos(azimuth), 1e-15L * r) << sizeX;
    EXPECT_NEAR(TestView().Eye.y, -2 + r * std::sin(azimuth), 1e-15L * r) << sizeX;
    EXPECT_NEAR(TestView().Eye.z, 4 + 0.4L * r, 1e-15L * r) << sizeX;
  }
}

TEST(FramingEye, FlatFigureGetsItsEyeAboveTheTop) {
  TestCurves::UseCurve(TestData(), "3cos(t)", "sin(t)", "2", 0, 2 * Pi);
  FrameCurveInPicture();
  EXPECT_EQ(TestData().Figure.BoxSize.z, 0);
  EXPECT_NEAR(TestData().Figure.FigureDiagonal, std::sqrt(40.0L), 1e-3);  // the box of the curve points
  EXPECT_NEAR(TestView().Eye.z, 2 + 0.4L * 3.5L * TestData().Figure.FigureDiagonal, 1e-15);
}

TEST(FramingVectors, ProductOrdersAndColourBytes) {
  const TVector3 ex{1, 0, 0}, ey{0, 1, 0}, ez{0, 0, 1};
  EXPECT_EQ(Cross(ex, ey), ez);
  EXPECT_EQ(Cross(ey, ex), -ez);
  EXPECT_EQ(Triple(ex, ey, ez), 1);
  EXPECT_EQ(Triple(ey, ex, ez), -1);
  const std::uint8_t bgr[3] = {0x12, 0x34, 0x56};
  EXPECT_EQ(Framing::TripleToColour(bgr), 0x123456u);
}

}  // namespace
