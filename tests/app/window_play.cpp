// Play and Export Animation in the window: the sweep keeps the view on the screen, the
// ways of stopping it, and the GIF's frames against drawings in the same view.
#include <QImageReader>
#include <QLabel>
#include <QPlainTextEdit>
#include <QToolButton>

#include "app/Drawing.h"
#include "app/core/AppState.h"
#include "app/core/CurveInput.h"
#include "app/window/CursorBar.h"
#include "render/Pictures.h"
#include "tests/app/window_support.h"

using namespace WindowTest;

namespace {

class Play : public WindowFixture {
 protected:
  // Draws the default curve and turns the view with a drag, so that a framing afresh
  // would show it otherwise.
  void DrawAndTurn() {
    PressDrawIt();
    ASSERT_TRUE(Form->AppState.DrawnFlag);
    Form->AlPisar(200, 200);
    MueveFigura::TShiftState keys;
    keys.Left = true;
    Form->AlMoverHull(260, 230, keys);
  }
  // Waits until the bar has moved `steps` positions from `from`, or two seconds.
  static void WaitForSteps(TCursorBar* bar, int from, int steps) {
    for (int i = 0; i < 200 && std::abs(bar->value() - from) < steps; ++i) QTest::qWait(10);
  }
};

TEST_F(Play, PlaySweepsTheBarInTheViewOnTheScreenAndEachWayStopsIt) {
  DrawAndTurn();
  const TView turned = Form->View;
  QTest::mouseClick(Form->pPlay, Qt::LeftButton);
  ASSERT_EQ(Form->Playing(), Form->pCursor);
  WaitForSteps(Form->pCursor, 0, 3);
  EXPECT_GE(Form->pCursor->value(), 3);
  EXPECT_EQ(Form->Data->Input.PValue,
            CurveInput::CursorValue(Form->pCursor->value(), Form->Data->Input.PMin, Form->Data->Input.PMax));
  EXPECT_EQ(Form->pInfoPanel->text().toStdString(), CurveInput::PanelText(Form->Data->Input.PValue));
  EXPECT_TRUE(Form->AppState.DrawnFlag);
  EXPECT_EQ(Form->View.AxisX, turned.AxisX);
  EXPECT_EQ(Form->View.AxisZ, turned.AxisZ);
  EXPECT_EQ(Form->View.Scale, turned.Scale);

  // The picture is the drawing at that p in the turned view.
  const QImage shown = Form->Pictures.HullBitmap.copy();
  Form->View = turned;
  Drawing::DrawFigureInView(*Form->Data, Form->Pictures, Form->View);
  EXPECT_EQ(Form->Pictures.HullBitmap, shown);

  // Esc, a second click, a key in a field and the other bar's own play all stop or
  // take over.
  QTest::keyClick(Form.get(), Qt::Key_Escape);
  EXPECT_EQ(Form->Playing(), nullptr);
  const int stopped = Form->pCursor->value();
  QTest::qWait(100);
  EXPECT_EQ(Form->pCursor->value(), stopped);

  QTest::mouseClick(Form->qPlay, Qt::LeftButton);
  EXPECT_EQ(Form->Playing(), Form->qCursor);
  QTest::mouseClick(Form->pPlay, Qt::LeftButton);
  EXPECT_EQ(Form->Playing(), Form->pCursor);
  QTest::mouseClick(Form->pPlay, Qt::LeftButton);
  EXPECT_EQ(Form->Playing(), nullptr);

  QTest::mouseClick(Form->qPlay, Qt::LeftButton);
  QTest::keyClick(Form->xEdit, Qt::Key_End);
  EXPECT_EQ(Form->Playing(), nullptr);
}

TEST_F(Play, PlayTurnsAtTheEndOfTheBar) {
  DrawAndTurn();
  Form->pCursor->setValue(CurveInput::CursorMax - 1);
  Form->AlReproducir(Form->pCursor);
  WaitForSteps(Form->pCursor, CurveInput::CursorMax - 1, 1);
  EXPECT_EQ(Form->pCursor->value(), CurveInput::CursorMax);
  WaitForSteps(Form->pCursor, CurveInput::CursorMax, 2);
  EXPECT_EQ(Form->pCursor->value(), CurveInput::CursorMax - 2);
  Form->Detener();
}

TEST_F(Play, ExportAnimationWritesTheSweepInTheViewAndRestoresTheFigure) {
  DrawAndTurn();
  const TView turned = Form->View;
  const QImage before = Form->Pictures.HullBitmap.copy();
  const QString path = Folder.filePath("sweep.gif");
  Form->ChooseAnimation = [] { return TAnimationChoice{CurveInput::TParam::Q, 3, false}; };
  Form->ChooseSaveFile = [path] { return path; };
  Form->ExportaAnimacion();
  EXPECT_EQ(Form->Informacion->toPlainText(), "");
  EXPECT_EQ(Form->Pictures.HullBitmap, before);
  EXPECT_EQ(Form->Data->Input.QValue, 0);

  QImageReader gif(path, "gif");
  for (const long double q :
       {Form->Data->Input.QMin, (Form->Data->Input.QMin + Form->Data->Input.QMax) / 2, Form->Data->Input.QMax}) {
    Form->Data->Input.QValue = q;
    Form->View = turned;
    Drawing::DrawFigureInView(*Form->Data, Form->Pictures, Form->View);
    const QImage frame = gif.read();
    ASSERT_FALSE(frame.isNull()) << static_cast<double>(q);
    EXPECT_EQ(frame.convertToFormat(QImage::Format_RGB32), Form->Pictures.HullBitmap.convertToFormat(QImage::Format_RGB32))
        << static_cast<double>(q);
  }
  EXPECT_TRUE(gif.read().isNull());
}

}  // namespace
