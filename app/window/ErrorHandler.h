// The application's one error handler. Every command that fails with an exception
// ends where it was; the handler shows the exception's text in a message box and the
// event loop goes on. Exceptions never travel through the toolkit's own frames: each
// event and slot of the window hands its body to Guarded, and the application object
// catches whatever is left when an event handler throws anyway.
#pragma once

#include <QApplication>
#include <QString>
#include <exception>
#include <functional>

namespace ErrorHandler {

// Shows `message` in a modal message box with a stop icon, titled with the
// application's display name, and returns when the user closes it.
void ShowError(const QString& message);

// The text the handler shows for the exception `error` ("Unknown error" when it is not
// a std::exception).
QString MessageOf(const std::exception_ptr& error);

// Shows the exception `error` with ShowError; never throws.
void Report(const std::exception_ptr& error) noexcept;

// Runs `body`. An exception it throws is caught and shown with ShowError (after the
// stack has unwound, so guards such as the wait cursor are already restored). Returns
// false when `body` threw.
bool Guarded(const std::function<void()>& body) noexcept;

// As Guarded, but the message box is shown later from the event loop: for paint
// handlers, which must not open a window while painting.
bool GuardedLater(const std::function<void()>& body) noexcept;

}  // namespace ErrorHandler

// The application object: its notify catches any exception that an event handler lets
// through and shows it with ErrorHandler::ShowError; the event counts as not handled.
class TWendrixApplication : public QApplication {
 public:
  TWendrixApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};
