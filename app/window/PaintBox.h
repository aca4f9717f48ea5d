// A paint box: a plain white rectangle whose paint, mouse-down and mouse-move events
// are handed to the form's handlers.
#pragma once

#include <QImage>
#include <QWidget>
#include <functional>

#include "views/MueveFigura.h"

class QPainter;

class TPaintBox : public QWidget {
 public:
  // A box of `width` x `height` pixels at (left, top) of `parent`.
  TPaintBox(QWidget* parent, int left, int top, int width, int height);

  // The paint handler draws over the box filled white; mouse handlers get the position
  // in the box's pixels and the keys and buttons held. Errors they throw are shown by
  // the error handler.
  std::function<void(QPainter&)> OnPaint;
  std::function<void(int x, int y)> OnMouseDown;
  std::function<void(int x, int y, const MueveFigura::TShiftState& keys)> OnMouseMove;
  std::function<void()> OnDoubleClick, OnMouseLeave;
  // Wheel notches at (x, y): positive away from the user.
  std::function<void(int x, int y, int steps)> OnWheel;
  // The box got a new size.
  std::function<void()> OnResize;

  // Pixels a side of the picture the box shows (0: one per pixel of the box). Mouse
  // handlers get positions in the picture's pixels, so that a box on a high-density
  // screen or larger than its picture's framing still hands over picture pixels.
  int PictureWidth = 0;

  // Picture pixels per pixel of the box (1 when PictureWidth is 0).
  double PictureScale() const;

  // `picture` marked to be drawn one of its pixels to one device pixel of the box.
  QImage OnScreen(QImage picture) const;

  // The keys and buttons of a mouse event as the drag handlers read them.
  static MueveFigura::TShiftState ShiftState(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QPoint PicturePixel(QPointF position) const;
  int WheelAngle = 0;  // eighths of a degree not yet taken as a notch
};
