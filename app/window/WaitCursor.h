// The hourglass over every window while a command works (or, with Qt::BusyCursor, the
// arrow with an hourglass while a drawing runs behind a window that still answers).
#pragma once

#include <QGuiApplication>

// Shown from construction to destruction, so it is restored however the command ends.
class TWaitCursor {
 public:
  explicit TWaitCursor(Qt::CursorShape shape = Qt::WaitCursor) { QGuiApplication::setOverrideCursor(shape); }
  ~TWaitCursor() { QGuiApplication::restoreOverrideCursor(); }
  TWaitCursor(const TWaitCursor&) = delete;
  TWaitCursor& operator=(const TWaitCursor&) = delete;
};
