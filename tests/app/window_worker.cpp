// Drawings behind the window: the window answers during a long one, Esc cancels it and
// leaves the figure on the screen usable, an error on the worker reaches the message
// box, and moves of p during a drawing end in one drawing of the last p.
#include <QLabel>
#include <QProgressBar>

#include "app/core/AppState.h"
#include "app/core/DrawingWorker.h"
#include "app/window/CursorBar.h"
#include "app/window/PaintBox.h"
#include "render/Pictures.h"
#include "tests/app/window_support.h"

using namespace WindowTest;

namespace {

class Worker : public WindowFixture {
 protected:
  // Draws the default curve, then lets the drawings run behind the window.
  void DrawDefaultThenDrawBehind() {
    PressDrawIt();
    ASSERT_TRUE(Form->AppState.DrawnFlag);
    Form->DrawAndWait = false;
  }
  // Processes events until no drawing runs, at most a minute.
  void WaitForDrawing() {
    for (int i = 0; i < 6000 && Form->DrawingRuns(); ++i) QTest::qWait(10);
    ASSERT_FALSE(Form->DrawingRuns());
  }
};

TEST_F(Worker, EscCancelsALongDrawingWhileTheWindowAnswersAndTheFigureStaysUsable) {
  DrawDefaultThenDrawBehind();
  const QImage hull = Form->Pictures.HullBitmap.copy(), square = Form->Pictures.BitangBitmap.copy();
  const QString line = Form->StatusLine->text();
  const long double tMax = Form->Data->Input.TMax;
  Type(Form->tMaxEdit, "100");
  PressDrawIt();
  ASSERT_TRUE(Form->DrawingRuns());
  EXPECT_NE(QGuiApplication::overrideCursor(), nullptr);
  // Timers fire while it draws, and the progress bar comes up.
  int ticks = 0;
  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, [&ticks] { ++ticks; });
  tick.start(20);
  for (int i = 0; i < 300 && (ticks < 25 || Form->Progress->isHidden()); ++i) QTest::qWait(10);
  ASSERT_TRUE(Form->DrawingRuns()) << "the drawing ended before the test could cancel it";
  EXPECT_GE(ticks, 25);
  EXPECT_TRUE(Form->Progress->isVisible());
  // The mouse over the pictures does nothing meanwhile.
  Form->AlMoverBitang(150, 150);
  EXPECT_FALSE(Form->State().CrossShown);

  QTest::keyClick(Form.get(), Qt::Key_Escape);
  WaitForDrawing();
  EXPECT_EQ(Form->StatusLine->text(), "Drawing cancelled");
  EXPECT_TRUE(Form->Progress->isHidden());
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(Form->Pictures.HullBitmap, hull);
  EXPECT_EQ(Form->Pictures.BitangBitmap, square);
  // The figure on the screen is in force again: its t interval, the hover, a redraw.
  EXPECT_TRUE(Form->AppState.DrawnFlag);
  EXPECT_EQ(Form->Data->Input.TMax, tMax);
  EXPECT_TRUE(Form->Button1->isVisible());
  EXPECT_EQ(Form->DrawIt->text(), "Draw It");
  Form->AlMoverBitang(150, 150);
  EXPECT_TRUE(Form->State().CrossShown);
  Form->AlSalirBitang();
  EXPECT_EQ(Form->StatusLine->text(), line);
  // Reset View paints the figure put back (its curve points too) as it was drawn, also
  // after a drag has turned it.
  Form->RestauraVista();
  EXPECT_EQ(Form->Pictures.HullBitmap, hull);
  SendMouse(Form->ConvexHullBox, QEvent::MouseButtonPress, 200, 200, Qt::LeftButton);
  SendMouse(Form->ConvexHullBox, QEvent::MouseMove, 240, 220, Qt::LeftButton);
  SendMouse(Form->ConvexHullBox, QEvent::MouseButtonRelease, 240, 220, Qt::NoButton);
  EXPECT_NE(Form->Pictures.HullBitmap, hull);
  Form->RestauraVista();
  EXPECT_EQ(Form->Pictures.HullBitmap, hull);
  Type(Form->tMaxEdit, "2 pi");
  Form->DrawAndWait = true;
  PressDrawIt();
  EXPECT_EQ(Form->DrawIt->text(), "");  // unchanged against the figure put back
  EXPECT_EQ(Form->Pictures.HullBitmap, hull);
}

TEST_F(Worker, AnErrorOnTheWorkerReachesTheMessageBoxAndNoHalfDrawingIsShown) {
  DrawDefaultThenDrawBehind();
  const QImage hull = Form->Pictures.HullBitmap.copy();
  Type(Form->xEdit, "t^100000");
  PressDrawIt();
  WaitForDrawing();
  const QStringList messages = Boxes.Take();
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].contains("floating point", Qt::CaseInsensitive)) << messages[0].toStdString();
  EXPECT_EQ(Form->Pictures.HullBitmap, hull);
  EXPECT_FALSE(Form->AppState.DrawnFlag);
}

TEST_F(Worker, MovesOfPDuringALongDrawingEndInOneDrawingOfTheLastP) {
  Type(Form->tMaxEdit, "40");
  PressDrawIt();
  ASSERT_TRUE(Form->AppState.DrawnFlag);
  Form->DrawAndWait = false;
  // Every new pair of pictures is a drawing that ended.
  int shown = 0;
  qint64 key = Form->Pictures.HullBitmap.cacheKey();
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (Form->Pictures.HullBitmap.cacheKey() != key) ++shown, key = Form->Pictures.HullBitmap.cacheKey();
  });
  watch.start(0);
  for (int position : {10, 20, 30, 40}) {
    Form->pCursor->setSliderPosition(position);
    QTest::qWait(50);
    ASSERT_TRUE(Form->DrawingRuns()) << position;
  }
  WaitForDrawing();
  QTest::qWait(50);
  EXPECT_FALSE(Form->DrawingRuns());
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(Form->Data->Input.PValue, CurveInput::CursorValue(40, Form->Data->Input.PMin, Form->Data->Input.PMax));
  EXPECT_EQ(Form->pInfoPanel->text().toStdString(), CurveInput::PanelText(Form->Data->Input.PValue));
  // The pictures are those of a drawing of the last p in the view on the screen.
  const QImage square = Form->Pictures.BitangBitmap.copy();
  TView view = Form->View;
  DrawForWindow(*Form->Data, Form->Pictures, view, true);
  EXPECT_EQ(Form->Pictures.BitangBitmap, square);
}

}  // namespace
