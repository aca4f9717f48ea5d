// Figures whose box or projected box is degenerate: framing must neither raise a
// floating-point flag nor leave the figure outside the picture.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "formula/Checks.h"
#include "geometry/Sampling.h"
#include "geometry/SharedState.h"
#include "tests/geometry/framing_helpers.h"
#include "tests/support/TestCurves.h"
#include "tests/support/TestData.h"
#include "tests/support/TestView.h"

namespace {

using namespace Glob;

void ExpectFramedWithoutFlags(const char* x, const char* y, const char* z) {
  TestCurves::UseCurve(TestData(), x, y, z, 0, 1);
  FramingTests::FrameCurveInPicture();
}

TEST(FramingDegenerate, ConstantCurveIsAPointAtTheCentre) {
  for (const char* where : {"0", "5", "1/0"}) {  // 1/0 gives the guard value 1e300
    SCOPED_TRACE(where);
    ExpectFramedWithoutFlags(where, "2", "-3");
    EXPECT_EQ(TestData().Figure.FigureDiagonal, 0);
    EXPECT_EQ(TestData().Figure.BoxMin.x, TestData().Figure.BoxMax.x);
    EXPECT_NEAR(TestView().ScreenCentre.x, 200, 1e-9);
    EXPECT_NEAR(TestView().ScreenCentre.y, 200, 1e-9);
    EXPECT_NEAR(TestView().ScreenCentre.z, 16384, 1e-6);
  }
}

TEST(FramingDegenerate, VerticalSegmentIsAVerticalSegmentAtTheCentre) {
  ExpectFramedWithoutFlags("1", "2", "t");
  const ScreenPoint bottom = Framing::ProjectPoint(TestView(), {1, 2, 0}),
                    top = Framing::ProjectPoint(TestView(), {1, 2, 1});
  EXPECT_NEAR(bottom.x, 200, 1e-6);
  EXPECT_NEAR(top.x, 200, 1e-6);
  EXPECT_NEAR(bottom.y - top.y, 380, 1e-6);
}

TEST(FramingDegenerate, SegmentsAndPlaneCurvesAlongTheAxes) {
  ExpectFramedWithoutFlags("t", "0", "0");
  ExpectFramedWithoutFlags("0", "t", "0");
  ExpectFramedWithoutFlags("0", "cos(7t)", "sin(7t)");
  ExpectFramedWithoutFlags("t/0", "2t/0", "0");  // a line of length about 2e300
}

TEST(FramingDegenerate, TinyFigureFarFromTheOriginStaysInView) {
  ExpectFramedWithoutFlags("10000000000/0", "1", "t exp(-800)");  // 1e310 plus a 1e-300 segment
  EXPECT_GT(TestView().Eye.z, TestData().Figure.BoxMax.z);
}

TEST(FramingDegenerate, ABoxTooSmallForTheSquaresOfItsSidesKeepsItsDiagonal) {
  // The squares of the sides of a box 10^-4000 across underflow; its diagonal, in
  // proportion to its sides, is that of the same box at unit size.
  ExpectFramedWithoutFlags("cos(2 pi t)", "sin(2 pi t)", "0.5 t");
  const long double unitRatio = TestData().Figure.FigureDiagonal / TestData().Figure.BoxSize.z;
  const std::string s = "10^(-4000)*";
  ExpectFramedWithoutFlags((s + "cos(2 pi t)").c_str(), (s + "sin(2 pi t)").c_str(), (s + "0.5 t").c_str());
  EXPECT_NEAR(TestData().Figure.FigureDiagonal / TestData().Figure.BoxSize.z, unitRatio, 1e-12L);
}

TEST(FramingDegenerate, BoxFacingTheEyeGetsTheMiddleDepth) {
  // A square in the plane x = 0 seen straight along x: no depth extent at all.
  TestData().Figure.BoxMin = {0, -1, -1};
  TestData().Figure.BoxMax = {0, 1, 1};
  TestData().Figure.BoxSize = TestData().Figure.BoxMax - TestData().Figure.BoxMin;
  TestData().Figure.FigureCentre = {0, 0, 0};
  TestView().Eye = {10, 0, 0};
  ClearFloatFlags();
  Framing::SetUpView(TestView(), TestData().Figure.BoxMin, TestData().Figure.BoxMax, TestData().Figure.FigureCentre);
  EXPECT_NO_THROW(CheckFloatFlags());
  EXPECT_TRUE(std::isfinite(TestView().DepthScale));
  for (const TVector3& corner : {TestData().Figure.BoxMin, TestData().Figure.BoxMax})
    EXPECT_NEAR(Framing::ProjectPoint(TestView(), corner).z, 16384, 1e-6);
  EXPECT_NEAR(TestView().ScreenCentre.x, 200, 1e-12);  // a projected box symmetric about the centre
  EXPECT_NEAR(TestView().ScreenCentre.y, 200, 1e-12);
  const ScreenPoint c = Framing::ProjectPoint(TestView(), TestData().Figure.BoxMax);
  EXPECT_NEAR(std::fabs(c.x - 200), 190, 1e-9);
  EXPECT_NEAR(std::fabs(c.y - 200), 190, 1e-9);
}

}  // namespace
