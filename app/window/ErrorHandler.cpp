#include "app/window/ErrorHandler.h"

#include <QMessageBox>
#include <QTimer>

namespace ErrorHandler {

void ShowError(const QString& message) {
  QMessageBox box(QMessageBox::Critical, QGuiApplication::applicationDisplayName(), message, QMessageBox::Ok,
                  QApplication::activeWindow());
  box.exec();
}

QString MessageOf(const std::exception_ptr& error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    return QString::fromStdString(e.what());
  } catch (...) {
    return QStringLiteral("Unknown error");
  }
}

namespace {

// Runs `body` and answers the exception it threw, if any.
std::exception_ptr Run(const std::function<void()>& body) noexcept {
  try {
    body();
  } catch (...) {
    return std::current_exception();
  }
  return nullptr;
}

}  // namespace

void Report(const std::exception_ptr& error) noexcept {
  // The message box runs a nested event loop, whose own events pass the application's
  // notify; only a failure to build the box itself could still come out here.
  try {
    ShowError(MessageOf(error));
  } catch (...) {
  }
}

bool Guarded(const std::function<void()>& body) noexcept {
  const std::exception_ptr error = Run(body);
  if (!error) return true;
  Report(error);
  return false;
}

bool GuardedLater(const std::function<void()>& body) noexcept {
  const std::exception_ptr error = Run(body);
  if (!error) return true;
  try {
    QTimer::singleShot(0, qApp, [message = MessageOf(error)] { ShowError(message); });
  } catch (...) {
  }
  return false;
}

}  // namespace ErrorHandler

TWendrixApplication::TWendrixApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TWendrixApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    ErrorHandler::Report(std::current_exception());
  }
  return false;
}
