// The horizontal scroll bar of p or q.
#pragma once

#include <QScrollBar>

class TCursorBar : public QScrollBar {
 public:
  using QScrollBar::QScrollBar;

  // Ends a press on an arrow or the track: the bar stops repeating its step, so that a
  // failed redraw does not run again and again while its message is shown.
  void StopRepeating() {
    setRepeatAction(SliderNoAction);
    setSliderDown(false);
  }

 protected:
  // The keys move the bar as a user expects of a horizontal bar (Qt's own bar steps
  // backwards on the arrow keys): Left and Up one step down, Right and Down one step
  // up, Page Up and Page Down a page, Home and End to the ends.
  void keyPressEvent(QKeyEvent* event) override;
};
