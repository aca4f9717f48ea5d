// The hourglass over every window while a command works.
#pragma once

#include <QGuiApplication>

// Shown from construction to destruction, so it is restored however the command ends.
class TWaitCursor {
 public:
  TWaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
  ~TWaitCursor() { QGuiApplication::restoreOverrideCursor(); }
  TWaitCursor(const TWaitCursor&) = delete;
  TWaitCursor& operator=(const TWaitCursor&) = delete;
};
