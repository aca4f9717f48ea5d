// The main form as it opens: its components, captions, fonts, tab order, menus and
// start-up state, the keyboard's default button and edit commands, and the About box.
#include <QAction>
#include <QClipboard>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QToolButton>

#include "app/core/AppState.h"
#include "app/window/CursorBar.h"
#include "app/window/FormAbout.h"
#include "app/window/PaintBox.h"
#include "tests/app/window_support.h"

using namespace WindowTest;

namespace {

class Layout : public WindowFixture {};

TEST_F(Layout, ComponentsSitAtTheirPlacesInTheClientArea) {
  const std::pair<QWidget*, QRect> places[] = {
      {Form->ConvexHullBox, {7, 8, 400, 400}},   {Form->MaxwellBox, {414, 7, 300, 300}},
      {Form->BitangBox, {417, 319, 300, 300}},   {Form->xEdit, {30, 411, 375, 23}},
      {Form->yEdit, {30, 432, 375, 23}},         {Form->zEdit, {30, 453, 375, 23}},
      {Form->tMinEdit, {31, 479, 40, 23}},       {Form->tMaxEdit, {101, 480, 40, 23}},
      {Form->pMinEdit, {52, 513, 30, 23}},       {Form->pMaxEdit, {377, 510, 30, 23}},
      {Form->qMinEdit, {52, 536, 30, 23}},       {Form->qMaxEdit, {376, 535, 30, 23}},
      {Form->pCursor, {84, 514, 290, 13}},       {Form->qCursor, {84, 539, 290, 13}},
      {Form->pInfoPanel, {18, 511, 30, 20}},     {Form->qInfoPanel, {19, 536, 30, 20}},
      {Form->DrawIt, {332, 479, 75, 30}},        {Form->Button1, {192, 482, 75, 25}},
      {Form->Informacion, {5, 580, 400, 36}},    {Form->pPlay, {407, 514, 10, 13}},
      {Form->qPlay, {407, 539, 10, 13}}};
  for (const auto& [widget, place] : places) {
    EXPECT_EQ(widget->geometry(), place) << widget->objectName().toStdString();
    EXPECT_EQ(widget->parentWidget(), Form->centralWidget()) << widget->objectName().toStdString();
  }
  EXPECT_EQ(Form->centralWidget()->size(), QSize(724, 634));
  EXPECT_EQ(Form->centralWidget()->y(), Form->menuBar()->height());
  EXPECT_EQ(Form->findChild<QLabel*>("qInfo"), Form->qInfoPanel);
}

TEST_F(Layout, CaptionsTextsAndLabels) {
  EXPECT_EQ(Form->windowTitle(), "");
  EXPECT_EQ(Form->xEdit->text(), "cos(2t)(p+sen(3t))");
  EXPECT_EQ(Form->yEdit->text(), "sen(2t)(p+sen(3t))");
  EXPECT_EQ(Form->zEdit->text(), "cos(3t+q)");
  EXPECT_EQ(Form->tMinEdit->text(), "0");
  EXPECT_EQ(Form->tMaxEdit->text(), "2 pi");
  EXPECT_EQ(Form->pMinEdit->text(), "0");
  EXPECT_EQ(Form->pMaxEdit->text(), "5");
  EXPECT_EQ(Form->qMinEdit->text(), "0");
  EXPECT_EQ(Form->qMaxEdit->text(), "pi");
  EXPECT_EQ(Form->pInfoPanel->text(), "0");
  EXPECT_EQ(Form->qInfoPanel->text(), "0");
  EXPECT_EQ(Form->DrawIt->text(), "Draw It");
  EXPECT_EQ(Form->Button1->text(), "Stereo");
  EXPECT_TRUE(Form->Informacion->toPlainText().isEmpty());
  EXPECT_TRUE(Form->Informacion->isReadOnly());
  QStringList labels;
  for (QLabel* label : Form->centralWidget()->findChildren<QLabel*>())
    if (label != Form->pInfoPanel && label != Form->qInfoPanel) labels << label->text();
  labels.sort();
  EXPECT_EQ(labels, QStringList({"< t <", "Information", "p=", "q=", "x(t)=", "y(t)=", "z(t)="}));
}

TEST_F(Layout, FontsHaveTheirSizesAndExistingFaces) {
  const auto expectFont = [](QWidget* w, int pixels, bool bold) {
    EXPECT_EQ(w->font().pixelSize(), pixels) << w->objectName().toStdString();
    EXPECT_EQ(w->font().bold(), bold) << w->objectName().toStdString();
    EXPECT_FALSE(QFontInfo(w->font()).family().isEmpty());
  };
  expectFont(Form.get(), 13, true);
  expectFont(Form->DrawIt, 16, true);
  expectFont(Form->Button1, 13, true);
  for (QLineEdit* edit : {Form->xEdit, Form->tMaxEdit, Form->qMaxEdit}) {
    expectFont(edit, 12, false);
    EXPECT_EQ(edit->font().styleHint(), QFont::Serif);
  }
  expectFont(Form->Informacion, 11, false);
  expectFont(Form->pInfoPanel, 12, false);
  // The panels are 30 pixels wide; their longest usual text must fit inside the frame.
  EXPECT_LE(QFontMetrics(Form->pInfoPanel->font()).horizontalAdvance("2.500"), 30 - 2);
  // The labels beside the fields show their whole text.
  for (QLabel* label : Form->centralWidget()->findChildren<QLabel*>())
    EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(label->text()), label->width())
        << label->text().toStdString();
}

TEST_F(Layout, TabOrderRunsThroughTheFieldsAsDesigned) {
  const QList<QWidget*> expected = {Form->xEdit,    Form->yEdit,    Form->zEdit,    Form->qCursor,
                                    Form->pCursor,  Form->DrawIt,   Form->tMinEdit, Form->tMaxEdit,
                                    Form->pMinEdit, Form->qMinEdit, Form->pMaxEdit, Form->qMaxEdit};
  Form->Button1->show();  // hidden buttons take no focus
  QList<QWidget*> order;
  Form->xEdit->setFocus();
  QApplication::processEvents();
  for (int i = 0; i < expected.size(); ++i) {
    order << QApplication::focusWidget();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  }
  EXPECT_EQ(order, expected);
}

TEST_F(Layout, StartUpStateAndComponentSettings) {
  EXPECT_FALSE(Form->State().Ready);
  EXPECT_FALSE(Form->State().Scrolling);
  EXPECT_FALSE(Form->State().MaxwellShown);
  EXPECT_FALSE(Form->State().CrossShown);
  EXPECT_FALSE(Form->AppState.DrawnFlag);
  EXPECT_FALSE(Form->AppState.StereoMode);
  EXPECT_FALSE(Form->Button1->isVisible());
  EXPECT_TRUE(Form->DrawIt->isVisible());
  for (QScrollBar* bar : {static_cast<QScrollBar*>(Form->pCursor), static_cast<QScrollBar*>(Form->qCursor)}) {
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 380);
    EXPECT_EQ(bar->pageStep(), 5);
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(bar->orientation(), Qt::Horizontal);
  }
  EXPECT_EQ(Form->ConvexHullBox->cursor().shape(), Qt::PointingHandCursor);
  EXPECT_FALSE(Form->MaxwellBox->isEnabled());
  EXPECT_TRUE(Form->MaxwellBox->testAttribute(Qt::WA_TransparentForMouseEvents));
  EXPECT_TRUE(Form->DrawIt->isDefault());
}

TEST_F(Layout, MenusHoldTheirCommandsInOrder) {
  const QList<QAction*> menus = Form->menuBar()->actions();
  ASSERT_EQ(menus.size(), 4);
  EXPECT_EQ(menus[0]->text(), "&File");
  EXPECT_EQ(menus[1]->text(), "&Edit");
  EXPECT_EQ(menus[2]->text(), "&View");
  EXPECT_EQ(menus[3]->text(), "&Help");
  QStringList file;
  for (QAction* a : menus[0]->menu()->actions()) file << (a->isSeparator() ? "-" : a->text());
  EXPECT_EQ(file, QStringList({"About Wendrix...", "-", "Open...", "Open Recent", "Examples", "Save", "Save As...",
                               "-", "Export Pictures...", "Export Hull Mesh...", "Export Animation...", "-", "Exit"}));
  QStringList edit, hints, keys;
  for (QAction* a : menus[1]->menu()->actions()) {
    edit << a->text();
    hints << a->statusTip();
    keys << a->shortcut().toString();
  }
  EXPECT_EQ(edit, QStringList({"Cu&t", "&Copy", "&Paste"}));
  EXPECT_EQ(hints, QStringList({"Cut", "Copy", "Paste"}));
  EXPECT_EQ(keys, QStringList({"Ctrl+X", "Ctrl+C", "Ctrl+V"}));
}

TEST_F(Layout, EditCommandsActOnTheFocusedField) {
  Form->tMaxEdit->setFocus();
  Form->tMaxEdit->selectAll();
  QApplication::processEvents();
  Form->EditCopy1->trigger();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "2 pi");
  Form->EditCut1->trigger();
  EXPECT_EQ(Form->tMaxEdit->text(), "");
  Form->EditPaste1->trigger();
  Form->EditPaste1->trigger();
  EXPECT_EQ(Form->tMaxEdit->text(), "2 pi2 pi");
  // The memo is read-only: pasting there changes nothing.
  Form->Informacion->setFocus();
  QApplication::processEvents();
  Form->EditPaste1->trigger();
  EXPECT_EQ(Form->Informacion->toPlainText(), "");
}

TEST_F(Layout, EnterInAFieldPressesTheDefaultButtonAndAFocusedButtonPressesItself) {
  int drawPresses = 0, stereoPresses = 0;
  QObject::connect(Form->DrawIt, &QPushButton::clicked, [&] { ++drawPresses; });
  QObject::connect(Form->Button1, &QPushButton::clicked, [&] { ++stereoPresses; });
  Form->xEdit->setFocus();
  QTest::keyClick(Form->xEdit, Qt::Key_Return);
  EXPECT_EQ(drawPresses, 1);
  QTest::keyClick(Form->pCursor, Qt::Key_Enter);
  EXPECT_EQ(drawPresses, 2);
  Form->Button1->show();
  Form->Button1->setFocus();
  QTest::keyClick(Form->Button1, Qt::Key_Return);
  EXPECT_EQ(drawPresses, 2);
  EXPECT_EQ(stereoPresses, 1);
}

TEST_F(Layout, EditsInTheCurveFieldsBringTheDrawCaptionBack) {
  Form->DrawIt->setText("");
  QTest::keyClick(Form->tMinEdit, Qt::Key_Space);
  EXPECT_EQ(Form->DrawIt->text(), "Draw It");
  // Range fields do not touch the caption.
  Form->DrawIt->setText("");
  QTest::keyClick(Form->pMaxEdit, Qt::Key_Space);
  EXPECT_EQ(Form->DrawIt->text(), "");
}

TEST_F(Layout, AboutBoxOpensOnceComesToTheFrontAndClosesOnAnyClick) {
  TFormAbout1* about = Form->FormAbout1;
  EXPECT_FALSE(about->isVisible());
  EXPECT_EQ(about->windowTitle(), "About Wendrix");
  Form->AboutWendrix1->trigger();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(about));
  EXPECT_FALSE(about->isModal());
  // The main window stays usable: a key still reaches its fields.
  Form->DrawIt->setText("");
  QTest::keyClick(Form->xEdit, Qt::Key_Space);
  EXPECT_EQ(Form->DrawIt->text(), "Draw It");

  Form->activateWindow();
  QTRY_COMPARE(QApplication::activeWindow(), Form.get());
  Form->AboutWendrix1->trigger();
  QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(about));
  int aboutWindows = 0;
  for (QWidget* w : QApplication::topLevelWidgets()) aboutWindows += dynamic_cast<TFormAbout1*>(w) != nullptr;
  EXPECT_EQ(aboutWindows, 1);

  QTest::mouseClick(about->Memo->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
  EXPECT_FALSE(about->isVisible());
  for (QLabel* label : {about->TitleLabel, about->VersionLabel, about->AuthorLabel})
    EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(label->text()), label->width())
        << label->text().toStdString();
  for (QWidget* part : {static_cast<QWidget*>(about->TitleLabel), about->Picture, static_cast<QWidget*>(about)}) {
    Form->AboutWendrix1->trigger();
    ASSERT_TRUE(about->isVisible());
    QTest::mouseClick(part, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_FALSE(about->isVisible());
  }
}

}  // namespace
