#include "app/window/PaintBox.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <cmath>

#include "app/window/ErrorHandler.h"

TPaintBox::TPaintBox(QWidget* parent, int left, int top, int width, int height) : QWidget(parent) {
  setGeometry(left, top, width, height);
  setAttribute(Qt::WA_OpaquePaintEvent);
  // Moves without a button held matter too (the parameter square follows the mouse).
  setMouseTracking(true);
}

MueveFigura::TShiftState TPaintBox::ShiftState(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
  MueveFigura::TShiftState keys;
  keys.Shift = modifiers.testFlag(Qt::ShiftModifier);
  keys.Alt = modifiers.testFlag(Qt::AltModifier);
  keys.Ctrl = modifiers.testFlag(Qt::ControlModifier);
  keys.Left = buttons.testFlag(Qt::LeftButton);
  return keys;
}

double TPaintBox::PictureScale() const {
  return PictureWidth <= 0 || width() <= 0 ? 1 : PictureWidth / static_cast<double>(width());
}

QPoint TPaintBox::PicturePixel(QPointF position) const {
  if (PictureWidth <= 0 || width() <= 0) return position.toPoint();
  const double ratio = PictureScale();
  return {static_cast<int>(std::floor(position.x() * ratio)), static_cast<int>(std::floor(position.y() * ratio))};
}

QImage TPaintBox::OnScreen(QImage picture) const {
  picture.setDevicePixelRatio(devicePixelRatioF());
  return picture;
}

void TPaintBox::resizeEvent(QResizeEvent*) {
  if (OnResize) ErrorHandler::Guarded([&] { OnResize(); });
}

void TPaintBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  if (OnPaint) ErrorHandler::GuardedLater([&] { OnPaint(painter); });
}

void TPaintBox::mousePressEvent(QMouseEvent* event) {
  const QPoint p = PicturePixel(event->position());
  if (OnMouseDown) ErrorHandler::Guarded([&] { OnMouseDown(p.x(), p.y()); });
}

void TPaintBox::mouseMoveEvent(QMouseEvent* event) {
  const QPoint p = PicturePixel(event->position());
  const MueveFigura::TShiftState keys = ShiftState(event->modifiers(), event->buttons());
  if (OnMouseMove) ErrorHandler::Guarded([&] { OnMouseMove(p.x(), p.y(), keys); });
}

void TPaintBox::mouseDoubleClickEvent(QMouseEvent* event) {
  if (OnDoubleClick && event->button() == Qt::LeftButton) ErrorHandler::Guarded([&] { OnDoubleClick(); });
}

void TPaintBox::leaveEvent(QEvent*) {
  if (OnMouseLeave) ErrorHandler::Guarded([&] { OnMouseLeave(); });
}

void TPaintBox::wheelEvent(QWheelEvent* event) {
  if (!OnWheel) return event->ignore();
  // A touchpad sends fractions of a notch; they add up to whole ones.
  WheelAngle += event->angleDelta().y();
  const int steps = WheelAngle / QWheelEvent::DefaultDeltasPerStep;
  WheelAngle -= steps * QWheelEvent::DefaultDeltasPerStep;
  const QPoint p = PicturePixel(event->position());
  if (steps != 0) ErrorHandler::Guarded([&] { OnWheel(p.x(), p.y(), steps); });
  event->accept();
}
