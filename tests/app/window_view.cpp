// What the window adds around the pictures: the view kept over p and q, the wheel and drag,
// the pair under the pointer, shortcuts, the unsaved-change question, recent files, examples.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSettings>
#include <QWheelEvent>

#include "app/core/AppState.h"
#include "app/window/CursorBar.h"
#include "app/window/PaintBox.h"
#include "geometry/Bitangents.h"
#include "geometry/Framing.h"
#include "geometry/Sampling.h"
#include "geometry/SharedState.h"
#include "tests/app/window_support.h"

using namespace WindowTest;

class View : public WindowFixture {
 protected:
  void SetUp() override {
    WindowFixture::SetUp();
    PressDrawIt();
    ASSERT_TRUE(Form->AppState.DrawnFlag);
  }
  void Turn(int x0, int y0, int x1, int y1) {
    SendMouse(Form->ConvexHullBox, QEvent::MouseButtonPress, x0, y0, Qt::LeftButton);
    SendMouse(Form->ConvexHullBox, QEvent::MouseMove, x1, y1, Qt::LeftButton);
  }
  int ChordPixels() {
    const QImage shown = Form->ConvexHullBox->grab().toImage().convertToFormat(QImage::Format_RGB32);
    return static_cast<int>(std::count(reinterpret_cast<const QRgb*>(shown.constBits()),
                                       reinterpret_cast<const QRgb*>(shown.constBits()) + shown.width() * shown.height(), qRgb(0, 70, 255)));
  }
};

TEST_F(View, AMoveOfPKeepsTheTurnedViewAndResetViewFramesAnew) {
  const TView framed = Form->View;
  Turn(200, 200, 260, 170);
  const TVector3 turned = Form->View.AxisX;
  const QImage before = Form->Pictures.HullBitmap.copy();
  Form->pCursor->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(Form->View.AxisX, turned);
  EXPECT_NE(Form->Pictures.HullBitmap, before);  // the new p is drawn
  Form->pCursor->triggerAction(QAbstractSlider::SliderPageStepSub);
  EXPECT_EQ(Form->Pictures.HullBitmap, before);
  // A double click (as View > Reset View) gives the view of a new drawing of this curve.
  SendMouse(Form->ConvexHullBox, QEvent::MouseButtonDblClick, 100, 100, Qt::LeftButton);
  EXPECT_EQ(Form->View.AxisX, framed.AxisX);
  Turn(200, 200, 260, 170);
  const TVector3 again = Form->View.AxisX;
  Type(Form->zEdit, "cos(3t+q)+0.1");
  PressDrawIt();
  EXPECT_FALSE(Form->View.AxisX == again);  // a changed curve is framed anew
}

TEST_F(View, NarrowingTheRangeOfPRedrawsAtTheNewP) {
  Form->pCursor->triggerAction(QAbstractSlider::SliderToMaximum);
  const QImage atFive = Form->Pictures.HullBitmap.copy();
  // On the way to 0.5 the range 0 to 0 snaps p to 0 and is refused; 0.5 then draws.
  Type(Form->pMaxEdit, "0.5");
  EXPECT_EQ(Form->Data->Input.PValue, 0);
  EXPECT_TRUE(Form->AppState.DrawnFlag);
  EXPECT_NE(Form->Pictures.HullBitmap, atFive);
}

TEST_F(View, TheWheelZoomsAboutThePointerAndADragFollowsEveryMoveOnceBegun) {
  const ScreenPoint centre = Framing::ProjectPoint(Form->View, Form->Data->Figure.FigureCentre);
  const long double scale = Form->View.Scale;
  QWheelEvent wheel(QPointF(120, 90), Form->ConvexHullBox->mapToGlobal(QPointF(120, 90)), {}, {0, 240},
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(Form->ConvexHullBox, &wheel);
  const long double f = Form->View.Scale / scale;
  EXPECT_NEAR(static_cast<double>(f), 1.2, 1e-12);
  // A point moves away from the pointer by the zoom factor; the pointer's stays.
  const ScreenPoint zoomed = Framing::ProjectPoint(Form->View, Form->Data->Figure.FigureCentre);
  EXPECT_NEAR(static_cast<double>(zoomed.x), static_cast<double>(120 + f * (centre.x - 120)), 1e-6);
  EXPECT_NEAR(static_cast<double>(zoomed.y), static_cast<double>(90 + f * (centre.y - 90)), 1e-6);
  Turn(200, 200, 211, 200);
  const TVector3 first = Form->View.AxisX;
  SendMouse(Form->ConvexHullBox, QEvent::MouseMove, 213, 201, Qt::LeftButton);
  EXPECT_FALSE(Form->View.AxisX == first);
}

TEST_F(View, ThePairUnderThePointerIsNamedAndItsChordDrawnUntilThePointerLeaves) {
  const QString drawing = Form->StatusLine->text();
  EXPECT_TRUE(drawing.contains("flat faces, area"));
  // The square tells: a magenta pixel without teal about it is on the hull; all white, no pair.
  const QImage square = Form->Pictures.BitangBitmap.convertToFormat(QImage::Format_RGB32);
  const auto around = [&](int x, int y, QRgb colour, int n = 0) {
    for (int d = 0; d < 49; ++d) n += square.pixel(x + d % 7 - 3, y + d / 7 - 3) == colour;
    return n;
  };
  QPoint hull(-1, -1), empty(-1, -1);
  for (int y = 3; y < 297; ++y)
    for (int x = 3; x < 297; ++x) {
      if (square.pixel(x, y) == qRgb(255, 0, 255) && around(x, y, qRgb(0, 128, 128)) == 0) hull = {x, y};
      if (around(x, y, qRgb(255, 255, 255)) == 49) empty = {x, y};
    }
  ASSERT_TRUE(hull.x() >= 0 && empty.x() >= 0);
  SendMouse(Form->BitangBox, QEvent::MouseMove, hull.x(), hull.y(), Qt::NoButton);
  EXPECT_TRUE(Form->StatusLine->text().endsWith(": a bitangent pair on the hull")) << Form->StatusLine->text().toStdString();
  EXPECT_GT(ChordPixels(), 10);
  SendMouse(Form->BitangBox, QEvent::MouseMove, empty.x(), empty.y(), Qt::NoButton);
  EXPECT_TRUE(Form->StatusLine->text().endsWith(": no bitangent pair"));
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(Form->BitangBox, &leave);
  EXPECT_EQ(ChordPixels(), 0);
  EXPECT_EQ(Form->StatusLine->text(), drawing);
}

TEST_F(View, ShortcutsRecentFilesAndExamples) {
  const QString saved = Folder.filePath("mine.wdx");
  Form->ChooseSaveFile = [&] { return saved; };
  Form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
  QTest::keyClick(Form.get(), Qt::Key_S, Qt::ControlModifier);
  ASSERT_TRUE(QFile::exists(saved));
  EXPECT_EQ(TWendrix::RecentFiles(), QStringList{saved});
  // Unsaved changes are kept when the user declines, and Open does not ask for a file.
  Type(Form->xEdit, "cos(2t)");
  PressDrawIt();
  bool asked = false;
  Form->ConfirmDiscard = [&] { return !(asked = true); };
  Form->ChooseOpenFile = [&] { ADD_FAILURE(); return saved; };
  QTest::keyClick(Form.get(), Qt::Key_O, Qt::ControlModifier);
  EXPECT_TRUE(asked);
  EXPECT_FALSE(Form->close());
  // The examples of the source tree; choosing one loads and draws it.
  Form->ConfirmDiscard = [] { return true; };
  Form->ExampleFolders = {Folder.filePath("none"), WENDRIX_EXAMPLES_DIR};
  emit Form->Ejemplos1->aboutToShow();
  QAction* trefoil = nullptr;
  for (QAction* a : Form->Ejemplos1->actions())
    if (a->text().endsWith(" trefoil-knot")) trefoil = a;
  ASSERT_NE(trefoil, nullptr);
  trefoil->trigger();
  EXPECT_EQ(Form->windowTitle(), "trefoil-knot.wdx");
  // A list naming a missing file shows the others; a damaged settings file, nothing.
  QSettings().setValue("RecentFiles", QStringList{Folder.filePath("gone.wdx"), saved});
  EXPECT_EQ(TWendrix::RecentFiles(), QStringList{saved});
  QFile damaged(QSettings().fileName());
  ASSERT_TRUE(damaged.open(QIODevice::WriteOnly) && damaged.write("[General\n\x01\xff RecentFiles=@Variant(\\0\x7f") > 0);
  damaged.close();
  EXPECT_EQ(TWendrix::RecentFiles(), QStringList());
}
