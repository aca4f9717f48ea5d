// Shared set-up of the window tests: one application object for the whole program,
// a fresh main form (with its own drawing data) for each test, and helpers that act as
// the user.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>
#include <utility>

#include "app/Glob.h"
#include "app/window/ErrorHandler.h"
#include "app/window/WDXIntf.h"
#include "geometry/SharedState.h"

namespace WindowTest {

// The application object, created once before the first test (as in main).
class TApplicationEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "window_test";
    static char* argv[] = {name, nullptr};
    Application = std::make_unique<TWendrixApplication>(argc, argv);
    TWendrixApplication::setApplicationDisplayName("Wendrix");
    // The recent files and the window's place go to a folder of the test run's own.
    TWendrixApplication::setOrganizationName("WendrixTest");
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, Settings.path());
  }
  void TearDown() override { Application.reset(); }
  std::unique_ptr<TWendrixApplication> Application;
  QTemporaryDir Settings;
};
inline ::testing::Environment* const Environment = ::testing::AddGlobalTestEnvironment(new TApplicationEnvironment);

// Records and closes every message box that opens while it lives.
class TMessageBoxCatcher {
 public:
  TMessageBoxCatcher() {
    Timer.setInterval(10);
    QObject::connect(&Timer, &QTimer::timeout, [this] {
      for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
          Texts << box->text();
          Titles << box->windowTitle();
          box->done(QMessageBox::Ok);
        }
    });
    Timer.start();
  }
  QStringList Texts, Titles;

  // The texts recorded so far, forgotten here.
  QStringList Take() {
    Titles.clear();
    return std::exchange(Texts, {});
  }

 private:
  QTimer Timer;
};

// A fresh, shown main form for each test.
class WindowFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(GlobInitialize());
    QSettings().clear();
    Form = std::make_unique<TWendrix>(CommandLine());
    // Pictures that use random numbers come out the same on every run.
    Form->MarkerSeed = 20261208;
    // No test waits for a question about unsaved changes; those that ask, say so.
    Form->ConfirmDiscard = [] { return true; };
    // Each step's drawing ends before the test looks (window_worker.cpp draws behind).
    Form->DrawAndWait = true;
    Form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
  }
  void TearDown() override {
    // A message box the test did not expect is a failure.
    EXPECT_EQ(Boxes.Take(), QStringList());
    Form.reset();
  }

  // The arguments the form is created with.
  virtual QStringList CommandLine() const { return {}; }

  // Presses "Draw It" with the mouse.
  void PressDrawIt() { QTest::mouseClick(Form->DrawIt, Qt::LeftButton); }

  // Replaces the text of `field` as the user does: select all, type, one key release
  // per character.
  static void Type(QLineEdit* field, const QString& text) {
    field->setFocus();
    field->selectAll();
    if (text.isEmpty())
      QTest::keyClick(field, Qt::Key_Delete);
    else
      QTest::keyClicks(field, text);
  }

  // A mouse event of `type` at (x, y) of `widget` with `buttons` held.
  static void SendMouse(QWidget* widget, QEvent::Type type, int x, int y, Qt::MouseButtons buttons,
                        Qt::KeyboardModifiers keys = Qt::NoModifier) {
    const QPointF local(x, y);
    const Qt::MouseButton button = type == QEvent::MouseMove     ? Qt::NoButton
                                   : buttons & Qt::RightButton ? Qt::RightButton
                                                               : Qt::LeftButton;
    QMouseEvent event(type, local, widget->mapToGlobal(local), button, buttons, keys);
    QApplication::sendEvent(widget, &event);
  }

  TMessageBoxCatcher Boxes;
  std::unique_ptr<TWendrix> Form;
  QTemporaryDir Folder;
};

}  // namespace WindowTest
