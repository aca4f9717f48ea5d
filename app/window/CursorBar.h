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
};
