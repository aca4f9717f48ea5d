// Which mouse moves over the main view become drag steps, and the stereo switch.
#include <gtest/gtest.h>

#include <QImage>

#include "app/Drawing.h"
#include "app/Glob.h"
#include "app/core/AppState.h"
#include "app/core/CurveInput.h"
#include "app/core/DragGate.h"
#include "geometry/SharedState.h"
#include "render/Pictures.h"
#include "tests/support/TestData.h"
#include "tests/support/TestGate.h"
#include "tests/support/TestPictures.h"

using DragGate::AlMoverHull;
using DragGate::AlPisar;
using MueveFigura::TShiftState;

namespace {

TShiftState Left(bool shift = false, bool ctrl = false) {
  TShiftState keys;
  keys.Left = true;
  keys.Shift = shift;
  keys.Ctrl = ctrl;
  return keys;
}

// The default curve drawn once for the whole group.
class DragGating : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(GlobInitialize());
    CurveInput::TInputFields fields = CurveInput::DefaultFields();
    bool ready = false;
    ASSERT_EQ(CurveInput::LeeDatos(TestData(), fields, ready).Outcome, CurveInput::TReadOutcome::Changed);
    TestData().Input.PValue = 1;
    Drawing::DrawFigure(TestData(), TestPictures(), TestView());
  }
  static void TearDownTestSuite() { FreshTestData(); }
  void SetUp() override {
    shown.DrawnFlag = true;
    AlPisar(TestGate(), 100, 100);
  }
  static void ExpectAnchor(int x, int y) {
    EXPECT_EQ(TestGate().AnchorX, x);
    EXPECT_EQ(TestGate().AnchorY, y);
  }
  TAppState shown;
};

}  // namespace

TEST_F(DragGating, NothingMovesWithoutAFigure) {
  shown.DrawnFlag = false;
  const TVector3 axis = TestView().AxisX;
  EXPECT_FALSE(AlMoverHull(TestGate(), shown, TestData(), TestPictures(), TestView(), 200, 200, Left()));
  ExpectAnchor(100, 100);
  EXPECT_EQ(TestView().AxisX, axis);
}

TEST_F(DragGating, OnlyTheLeftButtonBeyondTenPixelsDrags) {
  const TVector3 axis = TestView().AxisX;
  TShiftState right;
  EXPECT_FALSE(AlMoverHull(TestGate(), shown, TestData(), TestPictures(), TestView(), 200, 200, right));
  EXPECT_FALSE(AlMoverHull(TestGate(), shown, TestData(), TestPictures(), TestView(), 105, 105, Left()));  // exactly 10
  EXPECT_FALSE(AlMoverHull(TestGate(), shown, TestData(), TestPictures(), TestView(), 90, 100, Left()));
  ExpectAnchor(100, 100);
  EXPECT_EQ(TestView().AxisX, axis);

  EXPECT_TRUE(AlMoverHull(TestGate(), shown, TestData(), TestPictures(), TestView(), 106, 105, Left()));
  ExpectAnchor(106, 105);
  EXPECT_FALSE(TestView().AxisX == axis);
}

TEST_F(DragGating, ASlowDragActsOnceTheDistanceAddsUp) {
  for (const int x : {103, 106, 109, 110})
    EXPECT_FALSE(AlMoverHull(TestGate(), shown, TestData(), TestPictures(), TestView(), x, 100, Left())) << x;
  ExpectAnchor(100, 100);
  EXPECT_TRUE(AlMoverHull(TestGate(), shown, TestData(), TestPictures(), TestView(), 111, 100, Left()));
  ExpectAnchor(111, 100);
  EXPECT_FALSE(AlMoverHull(TestGate(), shown, TestData(), TestPictures(), TestView(), 115, 103, Left()));
}

TEST_F(DragGating, KeysChooseTurnZoomOrShift) {
  const TVector3 axis = TestView().AxisX;
  const long double offsetX = TestView().OffsetX, offsetY = TestView().OffsetY;
  // Ctrl shifts the picture by the mouse's way (from the anchor), axes untouched.
  ASSERT_TRUE(AlMoverHull(TestGate(), shown, TestData(), TestPictures(), TestView(), 130, 110, Left(false, true)));
  EXPECT_EQ(TestView().OffsetX, offsetX - 30);
  EXPECT_EQ(TestView().OffsetY, offsetY - 10);
  EXPECT_EQ(TestView().AxisX, axis);
  // Shift zooms, axes untouched.
  const long double scale = TestView().Scale;
  ASSERT_TRUE(AlMoverHull(TestGate(), shown, TestData(), TestPictures(), TestView(), 130, 60, Left(true)));
  EXPECT_NE(TestView().Scale, scale);
  EXPECT_EQ(TestView().AxisX, axis);
}

TEST_F(DragGating, TheStereoSwitchAndItsDrags) {
  const QImage hull = TestPictures().HullBitmap.copy();
  ASSERT_TRUE(DragGate::MuestraAlambre(TestGate(), shown, TestData(), TestPictures(), TestView()));
  EXPECT_TRUE(shown.StereoMode);
  const QImage stereo = TestPictures().StereoBitmap.copy();
  // Drags now move the stereo view and leave the shaded picture alone.
  ASSERT_TRUE(AlMoverHull(TestGate(), shown, TestData(), TestPictures(), TestView(), 160, 100, Left()));
  EXPECT_NE(TestPictures().StereoBitmap, stereo);
  EXPECT_EQ(TestPictures().HullBitmap, hull);
  EXPECT_FALSE(DragGate::MuestraAlambre(TestGate(), shown, TestData(), TestPictures(), TestView()));
  EXPECT_FALSE(shown.StereoMode);
}
