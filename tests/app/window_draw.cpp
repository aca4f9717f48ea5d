// The draw command through the window: what a draw, an unchanged press and a refused
// input show; the scroll bars and their panels; the stereo button; and the error
// handler turning a failure inside a handler into a message box.
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "app/core/AppState.h"
#include "app/window/CursorBar.h"
#include "app/window/PaintBox.h"
#include "formula/Checks.h"
#include "render/Pictures.h"
#include "tests/app/window_support.h"

using namespace WindowTest;

namespace {

class Draw : public WindowFixture {};

TEST_F(Draw, DrawItDrawsTheDefaultCurveAndShowsTheStereoButton) {
  const QImage blank = Form->Pictures.HullBitmap;
  PressDrawIt();
  EXPECT_TRUE(Form->AppState.DrawnFlag);
  EXPECT_TRUE(Form->State().Ready);
  EXPECT_TRUE(Form->Button1->isVisible());
  EXPECT_EQ(Form->Button1->text(), "Stereo");
  EXPECT_EQ(Form->DrawIt->text(), "");
  EXPECT_EQ(Form->Informacion->toPlainText(), "");
  EXPECT_EQ(Form->Data->Input.XFormula, "cos(2t)(p+sen(3t))");
  EXPECT_NE(Form->Pictures.HullBitmap, blank);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  // The boxes show the pictures that were drawn.
  EXPECT_EQ(Form->ConvexHullBox->grab().toImage().convertToFormat(QImage::Format_RGB32),
            Form->Pictures.HullBitmap.convertToFormat(QImage::Format_RGB32));
}

TEST_F(Draw, ASecondPressWithUnchangedFieldsOnlyEmptiesTheCaption) {
  PressDrawIt();
  ASSERT_TRUE(Form->AppState.DrawnFlag);
  // Anything a redraw would repaint is marked, so a redraw would show.
  Form->Pictures.HullBitmap.fill(Qt::red);
  Form->AppState.DataChanged = false;
  Type(Form->xEdit, "cos(2t)(p+sen(3t)) ");  // an edit, trimmed back to the accepted text
  ASSERT_EQ(Form->DrawIt->text(), "Draw It");
  PressDrawIt();
  EXPECT_EQ(Form->DrawIt->text(), "");
  EXPECT_EQ(Form->Pictures.HullBitmap.pixelColor(200, 200), QColor(Qt::red));
  EXPECT_FALSE(Form->AppState.DataChanged);
  EXPECT_TRUE(Form->AppState.DrawnFlag);
}

TEST_F(Draw, BlanksAroundAFormulaAreTrimmedInTheField) {
  Type(Form->zEdit, "  cos(3t+q)\t");
  PressDrawIt();
  EXPECT_EQ(Form->zEdit->text(), "cos(3t+q)");
  EXPECT_EQ(Form->Data->Input.ZFormula, "cos(3t+q)");
}

TEST_F(Draw, RefusedInputIsShownInTheMemoAndDrawsNothing) {
  PressDrawIt();
  ASSERT_TRUE(Form->AppState.DrawnFlag);
  const QImage drawn = Form->Pictures.HullBitmap;

  Type(Form->yEdit, "   ");
  PressDrawIt();
  EXPECT_EQ(Form->Informacion->toPlainText(), "Some data missing");
  EXPECT_EQ(Form->yEdit->text(), "");
  EXPECT_FALSE(Form->State().Ready);
  EXPECT_EQ(Form->Data->Input.YFormula, "sen(2t)(p+sen(3t))");

  Type(Form->yEdit, "sen(2t)(p+sen(3t))");
  Type(Form->tMinEdit, "2 pi");
  Type(Form->tMaxEdit, "0");
  PressDrawIt();
  EXPECT_EQ(Form->Informacion->toPlainText(), "The minimum of 't' must be less than its maximum");

  Type(Form->tMinEdit, "0");
  Type(Form->tMaxEdit, "2 pj");
  PressDrawIt();
  EXPECT_EQ(Form->Informacion->toPlainText(), "A number is missing or miswritten");

  // The picture and the accepted interval are the ones drawn before.
  EXPECT_EQ(Form->Pictures.HullBitmap, drawn);
  EXPECT_EQ(Form->Data->Input.TMin, 0);
  EXPECT_GT(Form->Data->Input.TMax, 6.28);

  // The next accepted read empties the memo and draws.
  Type(Form->tMaxEdit, "2 pi");
  PressDrawIt();
  EXPECT_EQ(Form->Informacion->toPlainText(), "");
  EXPECT_TRUE(Form->AppState.DrawnFlag);
}

TEST_F(Draw, AScrollBarPlacedByTheProgramOnlyTakesTheValueOver) {
  PressDrawIt();
  Form->pCursor->setValue(190);
  EXPECT_EQ(Form->pInfoPanel->text(), "2.500");
  EXPECT_EQ(Form->Data->Input.PValue, 2.5L);
  EXPECT_TRUE(Form->AppState.DataChanged);
  EXPECT_FALSE(Form->AppState.DrawnFlag);  // p changed without a redraw
  EXPECT_FALSE(Form->State().Scrolling);
}

TEST_F(Draw, AScrollByTheUserRedrawsWithTheNewValue) {
  PressDrawIt();
  ASSERT_TRUE(Form->AppState.DrawnFlag);
  const QImage before = Form->Pictures.HullBitmap;
  // Dragging the slider: the bar reports the user's action, then the new position.
  Form->pCursor->setSliderPosition(190);
  EXPECT_EQ(Form->pInfoPanel->text(), "2.500");
  EXPECT_EQ(Form->Data->Input.PValue, 2.5L);
  EXPECT_TRUE(Form->AppState.DrawnFlag);
  EXPECT_TRUE(Form->State().Ready);
  EXPECT_FALSE(Form->State().Scrolling);
  EXPECT_NE(Form->Pictures.HullBitmap, before);

  // A step by the keyboard is a scroll too; the q panel shows q in three decimals.
  Form->qCursor->setFocus();
  QTest::keyClick(Form->qCursor, Qt::Key_Right);
  EXPECT_EQ(Form->qCursor->value(), 1);
  EXPECT_EQ(Form->qInfoPanel->text(), "0.008");
  EXPECT_TRUE(Form->AppState.DrawnFlag);
}

TEST_F(Draw, AScrollBeforeAnyDrawOnlyMovesTheValue) {
  Form->pCursor->setSliderPosition(380);
  EXPECT_EQ(Form->pInfoPanel->text(), "5.000");
  EXPECT_FALSE(Form->AppState.DrawnFlag);
  EXPECT_FALSE(Form->Button1->isVisible());
}

TEST_F(Draw, RangeFieldsStoreTheirValueOnEachKeyAndPlaceTheCursors) {
  Form->pCursor->setValue(190);
  Type(Form->pMaxEdit, "8");
  EXPECT_EQ(Form->Data->Input.PMax, 8);
  // p = 2.5 lies at 118.75 of 0 .. 8 and snaps to the value of position 119.
  EXPECT_EQ(Form->pCursor->value(), 119);
  EXPECT_EQ(Form->Data->Input.PValue, 8 * 119 / 380.0L);
  EXPECT_EQ(Form->pInfoPanel->text(), "2.505");
  EXPECT_FALSE(Form->AppState.DrawnFlag);
  // "pi" is no plain number: the key release of 'p' changes nothing (a beep), and the
  // full text is taken only by the next draw.
  Type(Form->qMaxEdit, "pi");
  EXPECT_EQ(Form->Data->Input.QMax, Glob::Pi);
  Type(Form->qMaxEdit, "2");
  EXPECT_EQ(Form->Data->Input.QMax, 2);
  PressDrawIt();
  EXPECT_EQ(Form->Data->Input.PMax, 8);
  EXPECT_EQ(Form->Data->Input.QMax, 2);
  EXPECT_TRUE(Form->AppState.DrawnFlag);
}

TEST_F(Draw, TheStereoButtonSwitchesTheMainViewAndANewInputSwitchesBack) {
  PressDrawIt();
  ASSERT_TRUE(Form->Button1->isVisible());
  QTest::mouseClick(Form->Button1, Qt::LeftButton);
  EXPECT_TRUE(Form->AppState.StereoMode);
  EXPECT_EQ(Form->Button1->text(), "Mono");
  EXPECT_EQ(Form->ConvexHullBox->grab().toImage().convertToFormat(QImage::Format_RGB32),
            Form->Pictures.StereoBitmap.convertToFormat(QImage::Format_RGB32));
  QTest::mouseClick(Form->Button1, Qt::LeftButton);
  EXPECT_FALSE(Form->AppState.StereoMode);
  EXPECT_EQ(Form->Button1->text(), "Stereo");

  QTest::mouseClick(Form->Button1, Qt::LeftButton);
  ASSERT_EQ(Form->Button1->text(), "Mono");
  Type(Form->qMaxEdit, "3");
  Type(Form->xEdit, "cos(2t)(p+1+sen(3t))");
  PressDrawIt();
  EXPECT_FALSE(Form->AppState.StereoMode);
  EXPECT_EQ(Form->Button1->text(), "Stereo");
}

TEST_F(Draw, OnlyAKeyThatChangesAFieldBringsTheCaptionBack) {
  Form->xEdit->setFocus();
  for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Home}) QTest::keyClick(Form->xEdit, key);  // Enter draws
  EXPECT_EQ(Form->DrawIt->text(), "");
  QTest::keyClick(Form->xEdit, Qt::Key_Space);
  EXPECT_EQ(Form->DrawIt->text(), "Draw It");
}

// The error handler: a failure inside any handler shows its message in a message box,
// the command ends where it was and the window goes on working.
class ErrorHandling : public WindowFixture {};

TEST_F(ErrorHandling, AScrollPositionOutsideTheRangeIsShownInAMessageBox) {
  Form->pCursor->setValue(190);  // p = 2.5
  Type(Form->pMaxEdit, "1");
  EXPECT_EQ(Boxes.Titles, QStringList({"Wendrix"}));
  EXPECT_EQ(Boxes.Take(), QStringList({"Scrollbar property out of range"}));
  // The new maximum was stored before the cursors were placed.
  EXPECT_EQ(Form->Data->Input.PMax, 1);
  EXPECT_EQ(Form->pCursor->value(), 190);
  // The form keeps working.
  Type(Form->pMaxEdit, "5");
  EXPECT_EQ(Form->pCursor->value(), 190);
}

TEST_F(ErrorHandling, ARangeErrorIsShownOncePerChangeOfTheField) {
  Form->pCursor->setValue(190);  // p = 2.5
  Type(Form->pMaxEdit, "-1");
  EXPECT_EQ(Boxes.Take(), QStringList({"Scrollbar property out of range"}));
  // The release of the Enter that closed the box, a click, Ctrl+A: no change, no box.
  QTest::keyRelease(Form->pMaxEdit, Qt::Key_Return);
  QTest::mouseClick(Form->pMaxEdit, Qt::LeftButton);
  QTest::keyClick(Form->pMaxEdit, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(Boxes.Take(), QStringList());
  EXPECT_EQ(Form->Data->Input.PValue, 2.5L);
}

TEST_F(ErrorHandling, AFailedDrawingLeavesTheStereoButtonHiddenAndTheCursorRestored) {
  // A curve beyond the extended range fails inside the drawing.
  Type(Form->xEdit, "t^100000");
  PressDrawIt();
  const QStringList messages = Boxes.Take();
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].contains("floating point", Qt::CaseInsensitive)) << messages[0].toStdString();
  EXPECT_FALSE(Form->AppState.DrawnFlag);
  EXPECT_FALSE(Form->Button1->isVisible());
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  // The input itself was accepted: the caption stays empty, the memo shows nothing.
  EXPECT_EQ(Form->Informacion->toPlainText(), "");
  // A good curve draws again.
  Type(Form->xEdit, "cos(2t)(p+sen(3t))");
  PressDrawIt();
  EXPECT_TRUE(Form->AppState.DrawnFlag);
  EXPECT_TRUE(Form->Button1->isVisible());
}

// An object whose event handler throws, as a handler of the toolkit's own would.
class TThrowingObject : public QObject {
 public:
  bool event(QEvent* e) override {
    if (e->type() == QEvent::User) throw RangeError();
    return QObject::event(e);
  }
};

TEST_F(ErrorHandling, TheApplicationCatchesWhatAnEventHandlerLetsThrough) {
  TThrowingObject object;
  QEvent event(QEvent::User);
  EXPECT_FALSE(QApplication::sendEvent(&object, &event));
  EXPECT_EQ(Boxes.Take(), QStringList({"Range check error"}));
  // Something that is not a std::exception is caught as well.
  class TOddObject : public QObject {
   public:
    bool event(QEvent*) override { throw 42; }
  } odd;
  QApplication::sendEvent(&odd, &event);
  EXPECT_EQ(Boxes.Take(), QStringList({"Unknown error"}));
}

}  // namespace
