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
    ASSERT_EQ(CurveInput::LeeDatos(fields, ready).Outcome, CurveInput::TReadOutcome::Changed);
    Glob::PValue = 1;
    Drawing::DrawFigure(TestPictures());
  }
  static void TearDownTestSuite() { GlobFinalize(); }
  void SetUp() override {
    Glob::DrawnFlag = true;
    Glob::StereoMode = false;
    AlPisar(100, 100);
  }
  static void ExpectAnchor(int x, int y) {
    EXPECT_EQ(DragGate::AnchorX, x);
    EXPECT_EQ(DragGate::AnchorY, y);
  }
};

}  // namespace

TEST_F(DragGating, NothingMovesWithoutAFigure) {
  Glob::DrawnFlag = false;
  const TVector3 axis = Glob::ViewAxisX;
  EXPECT_FALSE(AlMoverHull(TestPictures(), 200, 200, Left()));
  ExpectAnchor(100, 100);
  EXPECT_EQ(Glob::ViewAxisX, axis);
}

TEST_F(DragGating, OnlyTheLeftButtonBeyondTenPixelsDrags) {
  const TVector3 axis = Glob::ViewAxisX;
  TShiftState right;
  EXPECT_FALSE(AlMoverHull(TestPictures(), 200, 200, right));
  EXPECT_FALSE(AlMoverHull(TestPictures(), 105, 105, Left()));  // exactly 10
  EXPECT_FALSE(AlMoverHull(TestPictures(), 90, 100, Left()));
  ExpectAnchor(100, 100);
  EXPECT_EQ(Glob::ViewAxisX, axis);

  EXPECT_TRUE(AlMoverHull(TestPictures(), 106, 105, Left()));
  ExpectAnchor(106, 105);
  EXPECT_FALSE(Glob::ViewAxisX == axis);
}

TEST_F(DragGating, ASlowDragActsOnceTheDistanceAddsUp) {
  for (const int x : {103, 106, 109, 110}) EXPECT_FALSE(AlMoverHull(TestPictures(), x, 100, Left())) << x;
  ExpectAnchor(100, 100);
  EXPECT_TRUE(AlMoverHull(TestPictures(), 111, 100, Left()));
  ExpectAnchor(111, 100);
  EXPECT_FALSE(AlMoverHull(TestPictures(), 115, 103, Left()));
}

TEST_F(DragGating, KeysChooseTurnZoomOrShift) {
  const TVector3 axis = Glob::ViewAxisX;
  const long double offsetX = Glob::ViewOffsetX, offsetY = Glob::ViewOffsetY;
  // Ctrl shifts the picture by the mouse's way (from the anchor), axes untouched.
  ASSERT_TRUE(AlMoverHull(TestPictures(), 130, 110, Left(false, true)));
  EXPECT_EQ(Glob::ViewOffsetX, offsetX - 30);
  EXPECT_EQ(Glob::ViewOffsetY, offsetY - 10);
  EXPECT_EQ(Glob::ViewAxisX, axis);
  // Shift zooms, axes untouched.
  const long double scale = Glob::ViewScale;
  ASSERT_TRUE(AlMoverHull(TestPictures(), 130, 60, Left(true)));
  EXPECT_NE(Glob::ViewScale, scale);
  EXPECT_EQ(Glob::ViewAxisX, axis);
}

TEST_F(DragGating, TheStereoSwitchAndItsDrags) {
  const QImage hull = TestPictures().HullBitmap.copy();
  ASSERT_TRUE(DragGate::MuestraAlambre(TestPictures()));
  EXPECT_TRUE(Glob::StereoMode);
  const QImage stereo = TestPictures().StereoBitmap.copy();
  // Drags now move the stereo view and leave the shaded picture alone.
  ASSERT_TRUE(AlMoverHull(TestPictures(), 160, 100, Left()));
  EXPECT_NE(TestPictures().StereoBitmap, stereo);
  EXPECT_EQ(TestPictures().HullBitmap, hull);
  EXPECT_FALSE(DragGate::MuestraAlambre(TestPictures()));
  EXPECT_FALSE(Glob::StereoMode);
}
