// The window under abuse: scrolling while the input is refused or the drawing fails,
// the mouse before any drawing and far outside the boxes, saving before a drawing,
// dropping a folder or a large binary file, and the stereo button pressed in quick
// succession. Nothing may crash, and nothing accepted may be lost.
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QUrl>
#include <QWheelEvent>

#include "app/core/AppState.h"
#include "app/window/CursorBar.h"
#include "app/window/PaintBox.h"
#include "render/Pictures.h"
#include "tests/app/window_support.h"

using namespace WindowTest;

namespace {

// The accepted input and what the three boxes show.
struct TShown {
  std::string X, Y, Z;
  long double TMin = 0, TMax = 0, PMin = 0, PMax = 0, QMin = 0, QMax = 0;
  QImage Hull, Square, Normals;
  bool operator==(const TShown&) const = default;
};

class Abuse : public WindowFixture {
 protected:
  TShown Shown() const {
    return {Form->Data->Input.XFormula,       Form->Data->Input.YFormula, Form->Data->Input.ZFormula,
            Form->Data->Input.TMin,           Form->Data->Input.TMax,     Form->Data->Input.PMin,
            Form->Data->Input.PMax,           Form->Data->Input.QMin,     Form->Data->Input.QMax,
            Form->Pictures.HullBitmap.copy(), Form->BitangPicture(),      Form->MaxwellPicture()};
  }

  // A turn of the mouse wheel over `widget`, as the user scrolls a bar with it.
  static void Wheel(QWidget* widget, int steps) {
    const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
    QWheelEvent event(at, widget->mapToGlobal(at), QPoint(), QPoint(0, 120 * steps), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &event);
  }

  void Drop(const QString& path) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Form.get(), &enter);
    QDropEvent drop(QPointF(300, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Form.get(), &drop);
    QApplication::processEvents();  // the load follows the drop
  }

  // Presses, moves and releases with every button and key over all three boxes,
  // inside them, on their edges and far outside.
  void MouseEverywhere() {
    const QPoint points[] = {{0, 0}, {150, 150}, {299, 299}, {399, 0}, {-5000, 7}, {12, 100000}, {-1, -1}};
    const Qt::KeyboardModifiers keys[] = {Qt::NoModifier, Qt::ShiftModifier, Qt::ControlModifier,
                                          Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier};
    for (QWidget* box : {static_cast<QWidget*>(Form->ConvexHullBox), static_cast<QWidget*>(Form->BitangBox),
                         static_cast<QWidget*>(Form->MaxwellBox)})
      for (const Qt::KeyboardModifiers key : keys)
        for (const Qt::MouseButtons buttons : {Qt::MouseButtons(Qt::LeftButton), Qt::MouseButtons(Qt::RightButton)})
          for (const QPoint& from : points) {
            SendMouse(box, QEvent::MouseButtonPress, from.x(), from.y(), buttons, key);
            for (const QPoint& to : points) SendMouse(box, QEvent::MouseMove, to.x(), to.y(), buttons, key);
            SendMouse(box, QEvent::MouseButtonRelease, from.x(), from.y(), Qt::NoButton, key);
          }
  }
};

TEST_F(Abuse, ScrollingWhileTheInputIsRefusedKeepsTheAcceptedCurve) {
  PressDrawIt();
  ASSERT_TRUE(Form->AppState.DrawnFlag);
  const TShown drawn = Shown();
  Type(Form->xEdit, "sin t");
  // The first scroll by the user reads the fields, which are refused; the picture and
  // the accepted curve stay, and so does p's new value.
  Form->pCursor->setSliderPosition(190);
  EXPECT_EQ(Form->Informacion->toPlainText(), "Some function or variable was miswritten.");
  EXPECT_EQ(Form->Data->Input.PValue, 2.5L);
  EXPECT_FALSE(Form->AppState.DrawnFlag);
  EXPECT_TRUE(Shown() == drawn);
  // More scrolling, by the wheel and by the keyboard, only moves the values.
  for (int k = 0; k < 5; ++k) Wheel(Form->qCursor, k % 2 ? -3 : 2);
  Form->pCursor->setFocus();
  for (int k = 0; k < 20; ++k) QTest::keyClick(Form->pCursor, k % 3 ? Qt::Key_Right : Qt::Key_PageDown);
  EXPECT_EQ(Form->Data->Input.PValue,
            CurveInput::CursorValue(Form->pCursor->value(), Form->Data->Input.PMin, Form->Data->Input.PMax));
  EXPECT_TRUE(Shown() == drawn);
  EXPECT_EQ(Form->Data->Input.XFormula, "cos(2t)(p+sen(3t))");
  // Mended, the curve draws with the p and q the bars hold now.
  Type(Form->xEdit, "cos(2t)(p+sen(3t))");
  PressDrawIt();
  EXPECT_TRUE(Form->AppState.DrawnFlag);
  EXPECT_EQ(Form->pInfoPanel->text().toStdString(), CurveInput::PanelText(Form->Data->Input.PValue));
}

TEST_F(Abuse, ScrollingWhileEveryDrawingFailsShowsEachErrorAndKeepsWorking) {
  Type(Form->xEdit, "t^100000");
  PressDrawIt();
  ASSERT_EQ(Boxes.Take().size(), 1);
  ASSERT_TRUE(Form->State().Ready);  // the input itself was accepted
  // Each user scroll draws again and fails again; the bar does not keep repeating.
  for (int position : {10, 20, 30}) {
    Form->pCursor->setSliderPosition(position);
    const QStringList messages = Boxes.Take();
    ASSERT_EQ(messages.size(), 1) << position;
    EXPECT_TRUE(messages[0].contains("floating point", Qt::CaseInsensitive)) << messages[0].toStdString();
    EXPECT_FALSE(Form->AppState.DrawnFlag);
    EXPECT_FALSE(Form->Button1->isVisible());
    EXPECT_FALSE(Form->pCursor->isSliderDown());
  }
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  // The mouse over the boxes does nothing after a failed drawing.
  MouseEverywhere();
  EXPECT_FALSE(Form->State().CrossShown);
  EXPECT_FALSE(Form->State().MaxwellShown);
}

TEST_F(Abuse, TheMouseBeforeAnyDrawingChangesNothing) {
  const QImage hull = Form->Pictures.HullBitmap.copy(), square = Form->Pictures.BitangBitmap.copy(), normals = Form->Pictures.MaxwellBitmap.copy();
  MouseEverywhere();
  EXPECT_EQ(Form->Pictures.HullBitmap, hull);
  EXPECT_EQ(Form->Pictures.BitangBitmap, square);
  EXPECT_EQ(Form->Pictures.MaxwellBitmap, normals);
  EXPECT_FALSE(Form->State().CrossShown);
  EXPECT_FALSE(Form->State().MaxwellShown);
  EXPECT_FALSE(Form->AppState.StereoMode);
  // The first drawing after it is the ordinary one.
  PressDrawIt();
  EXPECT_TRUE(Form->AppState.DrawnFlag);
}

TEST_F(Abuse, TheMouseFarOutsideTheBoxesAfterADrawingIsHarmless) {
  PressDrawIt();
  ASSERT_TRUE(Form->AppState.DrawnFlag);
  MouseEverywhere();
  // The square follows the last move wherever it was, the view was dragged at will.
  EXPECT_TRUE(Form->AppState.DrawnFlag);
  EXPECT_EQ(Form->State().CrossX, -1);
  EXPECT_EQ(Form->State().CrossY, -1);
  // A repaint of the square takes the cross-hair away without a trace.
  QApplication::processEvents();
  Form->BitangBox->repaint();
  EXPECT_FALSE(Form->State().CrossShown);
  EXPECT_EQ(Form->BitangPicture(), Form->Pictures.BitangBitmap.convertToFormat(QImage::Format_RGB32));
}

TEST_F(Abuse, SavingBeforeADrawingWritesNothing) {
  const QString path = Folder.filePath("never.wdx");
  int asked = 0;
  Form->ChooseSaveFile = [&] {
    ++asked;
    return path;
  };
  Form->Guardar1->trigger();
  Form->GuardarComo1->trigger();
  // After a refused first input and after a failed first drawing as well.
  Type(Form->yEdit, "((t)");
  PressDrawIt();
  Form->Guardar1->trigger();
  Type(Form->yEdit, "sen(2t)(p+sen(3t))");
  Type(Form->xEdit, "t^100000");
  PressDrawIt();
  EXPECT_EQ(Boxes.Take().size(), 1);
  Form->Guardar1->trigger();
  Form->GuardarComo1->trigger();
  EXPECT_EQ(asked, 0);
  EXPECT_FALSE(QFileInfo::exists(path));
  EXPECT_FALSE(QFileInfo::exists(path + ".wdx"));
}

TEST_F(Abuse, SavingAfterARefusedInputWritesTheAcceptedCurve) {
  PressDrawIt();
  Type(Form->zEdit, "cos(3t+q");
  PressDrawIt();
  ASSERT_EQ(Form->Informacion->toPlainText(), "Check, please, the parentheses.");
  const QString path = Folder.filePath("kept.wdx");
  Form->ChooseSaveFile = [&] { return path; };
  Form->GuardarComo1->trigger();
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QList<QByteArray> lines = file.readAll().split('\n');
  ASSERT_GE(lines.size(), 3);
  EXPECT_EQ(lines[2], "cos(3t+q)\r");
}

TEST_F(Abuse, DroppingAFolderOrALargeBinaryFileChangesNothing) {
  PressDrawIt();
  Form->pCursor->setValue(100);  // p moves without a redraw
  const TShown before = Shown();
  const QString title = Form->windowTitle();
  const std::string fileName = Form->AppState.CurveFileName;
  const long double p = Form->Data->Input.PValue;

  const QString folder = Folder.filePath("curves.wdx");
  ASSERT_TRUE(QDir().mkpath(folder));
  const QString large = Folder.filePath("large.wdx");
  {
    QFile file(large);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    QByteArray block(1 << 20, '\0');
    for (int i = 0; i < block.size(); ++i) block[i] = static_cast<char>((i * 131 + i / 7) & 0xff);
    for (int k = 0; k < 50; ++k) ASSERT_EQ(file.write(block), block.size());
  }
  for (const QString& path : {folder, large}) {
    Drop(path);
    const QStringList messages = Boxes.Take();
    ASSERT_EQ(messages.size(), 1) << path.toStdString();
    EXPECT_TRUE(messages[0].contains(path)) << messages[0].toStdString();
    EXPECT_TRUE(Shown() == before) << path.toStdString();
    EXPECT_EQ(Form->windowTitle(), title);
    EXPECT_EQ(Form->AppState.CurveFileName, fileName);
    EXPECT_EQ(Form->Data->Input.PValue, p);
    EXPECT_EQ(Form->xEdit->text(), "cos(2t)(p+sen(3t))");
  }
}

TEST_F(Abuse, TheStereoButtonPressedInQuickSuccessionAlwaysShowsTheModeItLeaves) {
  PressDrawIt();
  ASSERT_TRUE(Form->Button1->isVisible());
  const QImage hull = Form->Pictures.HullBitmap.copy();
  QImage stereo;
  for (int k = 1; k <= 41; ++k) {
    QTest::mouseClick(Form->Button1, Qt::LeftButton);
    const bool stereoMode = k % 2 == 1;
    ASSERT_EQ(Form->AppState.StereoMode, stereoMode) << k;
    EXPECT_EQ(Form->Button1->text(), stereoMode ? "Mono" : "Stereo");
    if (k == 1) stereo = Form->Pictures.StereoBitmap.copy();
    // Drags between presses move whichever view is shown.
    if (k % 10 == 0) {
      SendMouse(Form->ConvexHullBox, QEvent::MouseButtonPress, 200, 200, Qt::LeftButton);
      SendMouse(Form->ConvexHullBox, QEvent::MouseMove, 230, 215, Qt::LeftButton);
      SendMouse(Form->ConvexHullBox, QEvent::MouseButtonRelease, 230, 215, Qt::NoButton);
    }
  }
  QApplication::processEvents();
  EXPECT_TRUE(Form->AppState.StereoMode);
  // The drags turned the view; scrolling p away and back draws the curve anew in the
  // shaded view and the turned view; reset, that view is exactly the first.
  Form->pCursor->setSliderPosition(1);
  Form->pCursor->setSliderPosition(0);
  EXPECT_TRUE(Form->AppState.DrawnFlag);
  EXPECT_FALSE(Form->AppState.StereoMode);
  EXPECT_EQ(Form->Button1->text(), "Stereo");
  EXPECT_NE(Form->Pictures.HullBitmap, hull);
  Form->RestauraVista();
  EXPECT_EQ(Form->Pictures.HullBitmap, hull);
  EXPECT_FALSE(stereo.isNull());
}

}  // namespace
