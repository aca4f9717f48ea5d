// The mouse over the three boxes: drags over the main view, the cross-hair and the
// normal's marker that follow the mouse over the parameter square, and what repaints
// keep or remove of them.
#include "app/core/AppState.h"
#include "app/core/DragGate.h"
#include "app/window/CursorBar.h"
#include "app/window/PaintBox.h"
#include "formula/FunPars.h"
#include "geometry/Bitangents.h"
#include "render/Pictures.h"
#include "tests/app/window_support.h"

using namespace WindowTest;

namespace {

class Mouse : public WindowFixture {
 protected:
  void Drag(int x0, int y0, int x1, int y1, Qt::MouseButtons buttons = Qt::LeftButton,
            Qt::KeyboardModifiers keys = Qt::NoModifier) {
    SendMouse(Form->ConvexHullBox, QEvent::MouseButtonPress, x0, y0, buttons, keys);
    SendMouse(Form->ConvexHullBox, QEvent::MouseMove, x1, y1, buttons, keys);
    SendMouse(Form->ConvexHullBox, QEvent::MouseButtonRelease, x1, y1, Qt::NoButton, keys);
  }
  void MoveOverSquare(int x, int y) { SendMouse(Form->BitangBox, QEvent::MouseMove, x, y, Qt::NoButton); }

  // The pixels where `picture` differs from `bitmap`.
  static QList<QPoint> Differences(const QImage& picture, const QImage& bitmap) {
    const QImage a = picture.convertToFormat(QImage::Format_RGB32), b = bitmap.convertToFormat(QImage::Format_RGB32);
    QList<QPoint> points;
    for (int y = 0; y < a.height(); ++y)
      for (int x = 0; x < a.width(); ++x)
        if (a.pixel(x, y) != b.pixel(x, y)) points << QPoint(x, y);
    return points;
  }

  // True when the differences are exactly the cross-hair through (x, y) of a 300-pixel
  // square, less the pixel where its two lines meet.
  static bool IsCrossHair(const QList<QPoint>& points, int x, int y) {
    if (points.size() != 2 * 299) return false;
    for (const QPoint& p : points)
      if ((p.x() == x) == (p.y() == y)) return false;
    return true;
  }
};

TEST_F(Mouse, NothingFollowsTheMouseBeforeTheFirstDraw) {
  const QImage hull = Form->Pictures.HullBitmap, normals = Form->Pictures.MaxwellBitmap;
  Drag(10, 10, 200, 200);
  EXPECT_EQ(Form->Pictures.HullBitmap, hull);
  EXPECT_EQ(Form->Pictures.MaxwellBitmap, normals);
  MoveOverSquare(100, 100);
  EXPECT_FALSE(Form->State().CrossShown);
  EXPECT_FALSE(Form->State().MaxwellShown);
  EXPECT_EQ(Differences(Form->BitangPicture(), Form->Pictures.BitangBitmap), QList<QPoint>());
}

TEST_F(Mouse, ALeftDragOverMoreThanTenPixelsTurnsTheViewAndForgetsTheMarker) {
  PressDrawIt();
  ASSERT_TRUE(Form->AppState.DrawnFlag);
  MoveOverSquare(150, 100);
  const QImage hull = Form->Pictures.HullBitmap;
  const TVector3 axis = Form->View.AxisZ;

  // The right button, or a move of exactly ten pixels, changes nothing.
  Drag(100, 100, 180, 180, Qt::RightButton);
  Drag(100, 100, 106, 104);
  EXPECT_EQ(Form->Pictures.HullBitmap, hull);
  EXPECT_TRUE(Form->View.AxisZ == axis);

  Drag(100, 100, 140, 120);
  EXPECT_FALSE(Form->View.AxisZ == axis);
  EXPECT_NE(Form->Pictures.HullBitmap, hull);
  EXPECT_FALSE(Form->State().MaxwellShown);
  EXPECT_EQ(Form->Gate.AnchorX, 140);
  EXPECT_EQ(Form->Gate.AnchorY, 120);
}

TEST_F(Mouse, TheCrossHairFollowsTheMouseAndARepaintRemovesIt) {
  PressDrawIt();
  ASSERT_TRUE(Form->AppState.DrawnFlag);
  EXPECT_FALSE(Form->State().CrossShown);
  MoveOverSquare(100, 50);
  EXPECT_TRUE(Form->State().CrossShown);
  EXPECT_TRUE(IsCrossHair(Differences(Form->BitangPicture(), Form->Pictures.BitangBitmap), 100, 50));
  // The repaint that the move asked for shows it.
  QApplication::processEvents();
  EXPECT_TRUE(Form->State().CrossShown);

  // Any other repaint (the box was covered) shows the square alone.
  Form->BitangBox->repaint();
  EXPECT_FALSE(Form->State().CrossShown);
  EXPECT_EQ(Differences(Form->BitangPicture(), Form->Pictures.BitangBitmap), QList<QPoint>());

  // The next move draws one new cross-hair and no trace of the old.
  MoveOverSquare(120, 60);
  EXPECT_TRUE(IsCrossHair(Differences(Form->BitangPicture(), Form->Pictures.BitangBitmap), 120, 60));
  MoveOverSquare(0, 299);
  EXPECT_TRUE(IsCrossHair(Differences(Form->BitangPicture(), Form->Pictures.BitangBitmap), 0, 299));
}

TEST_F(Mouse, TheMarkerShowsThePlaneNormalOfThePairUnderTheMouse) {
  PressDrawIt();
  ASSERT_TRUE(Form->AppState.DrawnFlag);
  // At the left edge s = TMin; halfway down t is the middle of the interval.
  MoveOverSquare(0, 150);
  ASSERT_TRUE(Form->State().MaxwellShown);
  BitangentRecord pair;
  pair.ParamS = Form->Data->Input.TMin;
  pair.ParamT = Form->Data->Input.TMax + (Form->Data->Input.TMin - Form->Data->Input.TMax) * 150 / 300;
  FunPars::EvalCurve(Form->Data->Curve, pair.ParamS, pair.PointS);
  FunPars::EvalCurve(Form->Data->Curve, pair.ParamT, pair.PointT);
  ASSERT_TRUE(Bitangents::PairPlaneNormal(Form->Data->Curve, Form->Data->Figure.Param, {}, pair));
  EXPECT_TRUE(Form->State().MaxwellNormal == pair.PlaneNormal);
  for (const long double c : {Form->State().MaxwellAux.x, Form->State().MaxwellAux.y, Form->State().MaxwellAux.z}) {
    const long double r = std::nearbyint(c - 2.1L);
    EXPECT_EQ(c, r + 2.1L);
    EXPECT_GE(r, 0);
    EXPECT_LE(r, 19);
  }
  const QList<QPoint> marker = Differences(Form->MaxwellPicture(), Form->Pictures.MaxwellBitmap);
  EXPECT_FALSE(marker.isEmpty());

  // Repainting the box keeps the marker; the next move replaces it.
  Form->MaxwellBox->repaint();
  EXPECT_TRUE(Form->State().MaxwellShown);
  EXPECT_EQ(Differences(Form->MaxwellPicture(), Form->Pictures.MaxwellBitmap), marker);
  MoveOverSquare(200, 40);
  EXPECT_FALSE(Form->State().MaxwellNormal == pair.PlaneNormal);

  // A new drawing starts without marker and cross-hair.
  Form->pCursor->setSliderPosition(100);
  ASSERT_TRUE(Form->AppState.DrawnFlag);
  EXPECT_FALSE(Form->State().MaxwellShown);
  EXPECT_FALSE(Form->State().CrossShown);
}

TEST_F(Mouse, TheKeysOfAMouseEventBecomeTheDragShiftState) {
  const MueveFigura::TShiftState keys =
      TPaintBox::ShiftState(Qt::ShiftModifier | Qt::ControlModifier, Qt::LeftButton | Qt::RightButton);
  EXPECT_TRUE(keys.Shift);
  EXPECT_TRUE(keys.Ctrl);
  EXPECT_FALSE(keys.Alt);
  EXPECT_TRUE(keys.Left);
  EXPECT_FALSE(TPaintBox::ShiftState(Qt::AltModifier, Qt::RightButton).Left);
  EXPECT_TRUE(TPaintBox::ShiftState(Qt::AltModifier, Qt::RightButton).Alt);
}

}  // namespace
