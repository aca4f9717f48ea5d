// Turning, zooming and shifting the shaded view with the mouse.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <random>
#include <vector>

#include "formula/Checks.h"
#include "geometry/Vectors.h"
#include "tests/support/TestData.h"
#include "tests/support/TestPictures.h"
#include "tests/support/TestView.h"
#include "tests/views/view_setup.h"
#include "views/MueveFigura.h"

using MueveFigura::DragView;
using MueveFigura::TShiftState;
using ViewSetup::Distance;
using ViewSetup::Scene;

namespace {

TShiftState Keys(bool shift, bool ctrl, bool alt = false) { return {shift, alt, ctrl, true}; }
const TShiftState Rotate = Keys(false, false), Zoom = Keys(true, false), Shift = Keys(false, true);

// Pixel positions of the eight corners of the figure's box.
std::vector<ScreenPoint> ProjectedCorners() {
  std::vector<ScreenPoint> corners;
  for (int i = 0; i < 8; ++i)
    corners.push_back(Framing::ProjectPoint(
        TestView(), TestData().Figure.BoxMin + TVector3{(i & 1) * TestData().Figure.BoxSize.x,
                                                        (i >> 1 & 1) * TestData().Figure.BoxSize.y,
                                                        (i >> 2) * TestData().Figure.BoxSize.z}));
  return corners;
}

bool RaisedFlags() { return std::fetestexcept(FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW) != 0; }

}  // namespace

TEST(DragModes, CtrlShiftsShiftAloneZoomsNeitherRotatesAltIgnored) {
  const struct {
    TShiftState keys;
    char mode;
  } cases[] = {{Keys(false, true), 's'}, {Keys(true, true), 's'}, {Keys(true, true, true), 's'},
               {Keys(true, false), 'z'}, {Keys(true, false, true), 'z'}, {Keys(false, false), 'r'},
               {Keys(false, false, true), 'r'}};
  for (const auto& c : cases) {
    ViewSetup::UseFramedKnot();
    const long double scale = TestView().Scale, offsetX = TestView().OffsetX;
    const TVector3 axisX = TestView().AxisX;
    ClearFloatFlags();
    DragView(TestPictures(), TestView(), TestData().Curve, TestData().Figure, Scene, 150, 250, 250, 200, c.keys);
    EXPECT_FALSE(RaisedFlags());
    const char seen = TestView().Scale != scale       ? 'z'
                      : !(TestView().AxisX == axisX)  ? 'r'
                      : TestView().OffsetX != offsetX ? 's'
                                                      : '-';
    EXPECT_EQ(seen, c.mode) << c.keys.Shift << c.keys.Ctrl << c.keys.Alt;
  }
}

TEST(DragShift, ThePictureAndTheTrackballFollowTheMousePixelForPixel) {
  ViewSetup::UseFramedKnot();
  const TVector3 centre = TestView().ScreenCentre;
  const std::vector<ScreenPoint> before = ProjectedCorners();
  DragView(TestPictures(), TestView(), TestData().Curve, TestData().Figure, Scene, 100, 100, 130, 80, Shift);
  const std::vector<ScreenPoint> after = ProjectedCorners();
  for (std::size_t i = 0; i < after.size(); ++i)
    EXPECT_LT(Distance(after[i] - before[i], {30, -20, 0}), 1e-12L) << i;
  EXPECT_LT(Distance(TestView().ScreenCentre - centre, {30, -20, 0}), 1e-12L);
}

TEST(DragZoom, FiftyPixelStepsScaleByATenthWithinTheLimits) {
  ViewSetup::UseFramedKnot();
  const long double scale = TestView().Scale;
  ASSERT_TRUE(std::fabs(scale) > 1 && std::fabs(scale) < 10000);
  const std::vector<ScreenPoint> small = ProjectedCorners();
  DragView(TestPictures(), TestView(), TestData().Curve, TestData().Figure, Scene, 200, 300, 200, 250,
           Zoom);  // upwards enlarges, about the figure's centre
  EXPECT_NEAR(TestView().Scale / scale, 1.1L, 1e-15);
  const std::vector<ScreenPoint> large = ProjectedCorners();
  const auto width = [](const std::vector<ScreenPoint>& c) { return std::hypot(c[7].x - c[0].x, c[7].y - c[0].y); };
  EXPECT_NEAR(width(large) / width(small), 1.1L, 1e-12);
  DragView(TestPictures(), TestView(), TestData().Curve, TestData().Figure, Scene, 200, 250, 200, 300,
           Zoom);  // downwards shrinks
  EXPECT_NEAR(TestView().Scale / scale, 1.1L * 0.9L, 1e-15);

  // At a magnitude of 1 the view only grows, at 10000 it only shrinks; either sign.
  for (const long double sign : {-1.0L, 1.0L}) {
    TestView().Scale = sign;
    DragView(TestPictures(), TestView(), TestData().Curve, TestData().Figure, Scene, 200, 200, 200, 250, Zoom);
    EXPECT_EQ(TestView().Scale, sign);
    DragView(TestPictures(), TestView(), TestData().Curve, TestData().Figure, Scene, 200, 250, 200, 200, Zoom);
    EXPECT_NEAR(TestView().Scale, sign * 1.1L, 1e-15);
    TestView().Scale = sign * 10000;
    DragView(TestPictures(), TestView(), TestData().Curve, TestData().Figure, Scene, 200, 250, 200, 200, Zoom);
    EXPECT_EQ(TestView().Scale, sign * 10000);
    DragView(TestPictures(), TestView(), TestData().Curve, TestData().Figure, Scene, 200, 200, 200, 250, Zoom);
    EXPECT_NEAR(TestView().Scale, sign * 9000, 1e-11);
  }

  // A step of 500 pixels or more downwards would make the scale zero or turn the
  // picture over; it changes nothing, while 498 pixels still shrink.
  TestView().Scale = scale;
  DragView(TestPictures(), TestView(), TestData().Curve, TestData().Figure, Scene, 200, -100, 200, 400, Zoom);
  DragView(TestPictures(), TestView(), TestData().Curve, TestData().Figure, Scene, 200, -300, 200, 400, Zoom);
  EXPECT_EQ(TestView().Scale, scale);
  DragView(TestPictures(), TestView(), TestData().Curve, TestData().Figure, Scene, 200, -98, 200, 400, Zoom);
  EXPECT_NEAR(TestView().Scale / scale, 0.004L, 1e-15);
}

TEST(DragRotate, ADragThroughTheCentreTurnsAboutTheScreenAxisAcrossIt) {
  // Positions are whole pixels; the centre is put on one so the drag passes through it.
  for (const bool horizontal : {true, false}) {
    ViewSetup::UseFramedKnot();
    const TVector3 x = TestView().AxisX, y = TestView().AxisY, z = TestView().AxisZ;
    const int cx = static_cast<int>(std::lround(TestView().ScreenCentre.x));
    const int cy = static_cast<int>(std::lround(TestView().ScreenCentre.y));
    TestView().ScreenCentre.x = cx;
    TestView().ScreenCentre.y = cy;
    if (horizontal)
      DragView(TestPictures(), TestView(), TestData().Curve, TestData().Figure, Scene, cx - 60, cy, cx + 40, cy,
               Rotate);
    else
      DragView(TestPictures(), TestView(), TestData().Curve, TestData().Figure, Scene, cx, cy + 50, cx, cy - 70,
               Rotate);
    const TVector3& axis = horizontal ? y : x;
    const TVector3& turned = horizontal ? x : y;
    EXPECT_LT(Distance(horizontal ? TestView().AxisY : TestView().AxisX, axis), 1e-17L);
    const long double angle = std::acos(Dot(horizontal ? TestView().AxisX : TestView().AxisY, turned));
    EXPECT_GT(angle, 0.3L);
    EXPECT_NEAR(std::acos(Dot(TestView().AxisZ, z)), angle, 1e-9);
  }
}

TEST(DragRotate, ADragAlongACircleOutsideTheTrackballTurnsAboutTheDepthAxis) {
  ViewSetup::UseFramedKnot();
  const TVector3 x = TestView().AxisX, z = TestView().AxisZ, c = TestView().ScreenCentre;
  const int x0 = static_cast<int>(std::lround(c.x + 300)), y0 = static_cast<int>(std::lround(c.y));
  const int x1 = static_cast<int>(std::lround(c.x + 300 * std::cos(0.4L)));
  const int y1 = static_cast<int>(std::lround(c.y + 300 * std::sin(0.4L)));
  DragView(TestPictures(), TestView(), TestData().Curve, TestData().Figure, Scene, x0, y0, x1, y1, Rotate);
  EXPECT_LT(Distance(TestView().AxisZ, z), 1e-17L);
  // By the angle between the two positions as seen from the centre.
  const long double seen = std::atan2(y1 - c.y, x1 - c.x) - std::atan2(y0 - c.y, x0 - c.x);
  EXPECT_NEAR(std::acos(Dot(TestView().AxisX, x)), std::fabs(seen), 1e-9);
}

TEST(DragRotate, ThePointUnderTheMouseStaysUnderIt) {
  ViewSetup::UseCentredKnot();  // the view turns about the figure, ScreenCentre stays
  std::mt19937 random(7);
  std::uniform_int_distribution<int> pixel(0, 399);
  for (int step = 0; step < 20; ++step) {
    const int x0 = pixel(random), y0 = pixel(random), x1 = pixel(random), y1 = pixel(random);
    const TVector3 under = MueveFigura::ScreenToSphere(TestView(), x0, y0);
    DragView(TestPictures(), TestView(), TestData().Curve, TestData().Figure, Scene, x0, y0, x1, y1, Rotate);
    EXPECT_LT(Distance(MueveFigura::ScreenToSphere(TestView(), x1, y1), under), 1e-15L) << step;
  }
}

TEST(DragRotate, RowsStayOrthonormalOverAThousandRandomDrags) {
  ViewSetup::UseFramedKnot();
  const long double handedness = Triple(TestView().AxisX, TestView().AxisY, TestView().AxisZ);
  std::mt19937 random(2024);
  std::uniform_int_distribution<int> pixel(-300, 700), mode(0, 9);
  for (int step = 0; step < 1000; ++step) {
    const int m = mode(random);  // mostly turns, some zooms and shifts between them
    DragView(TestPictures(), TestView(), TestData().Curve, TestData().Figure, Scene, pixel(random), pixel(random),
             pixel(random), pixel(random),
             m < 8    ? Rotate
             : m == 8 ? Zoom
                      : Shift);
  }
  EXPECT_LT(ViewSetup::OrthonormalError(), 1e-15L);
  EXPECT_NEAR(Triple(TestView().AxisX, TestView().AxisY, TestView().AxisZ), handedness, 1e-15);
}

TEST(DragRotate, OppositeTrackballVectorsLeaveTheViewAsItWasWithoutAFlag) {
  ViewSetup::UseFramedKnot();
  const TVector3 x = TestView().AxisX, y = TestView().AxisY, z = TestView().AxisZ;
  ClearFloatFlags();
  // Both positions outside the trackball circle, on opposite sides of the centre.
  TestView().ScreenCentre = {200, 200, 0};
  DragView(TestPictures(), TestView(), TestData().Curve, TestData().Figure, Scene, -100, 200, 500, 200, Rotate);
  TestView().ScreenCentre = {200, 200, 0};
  DragView(TestPictures(), TestView(), TestData().Curve, TestData().Figure, Scene, 200, -250, 200, 650, Rotate);
  EXPECT_FALSE(RaisedFlags());
  EXPECT_TRUE(TestView().AxisX == x && TestView().AxisY == y && TestView().AxisZ == z);

  // Broken vectors are refused the same way; nearly opposite ones turn properly.
  const long double nan = std::numeric_limits<long double>::quiet_NaN();
  const long double inf = std::numeric_limits<long double>::infinity();
  EXPECT_FALSE(MueveFigura::RotateRows({nan, 0, 0}, {1, 0, 0}, TestView().AxisX, TestView().AxisY, TestView().AxisZ));
  EXPECT_FALSE(MueveFigura::RotateRows({inf, 0, 0}, {1, 0, 0}, TestView().AxisX, TestView().AxisY, TestView().AxisZ));
  EXPECT_FALSE(RaisedFlags());
  EXPECT_TRUE(TestView().AxisX == x && TestView().AxisY == y && TestView().AxisZ == z);
  EXPECT_TRUE(MueveFigura::RotateRows({-1, 0, 0}, {std::cos(1e-9L), std::sin(1e-9L), 0}, TestView().AxisX,
                                      TestView().AxisY, TestView().AxisZ));
  EXPECT_LT(ViewSetup::OrthonormalError(), 1e-15L);
}
