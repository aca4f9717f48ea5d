// What a front end knows about the figure on its screen and about the curve file,
// and nothing the stages read: the window owns one (TWendrix::AppState), wendrix-cli
// makes one for the stereo switch and drags it replays.
#pragma once

#include <string>

struct TAppState {
  bool DrawnFlag = false;    // a figure is on the screen
  bool StereoMode = false;   // the main view shows the stereo wire-frame
  bool DataChanged = false;  // the input or p/q changed since the curve was last loaded or saved by name
  // The curve file that "Save" writes; empty until a save under a chosen name or a load.
  std::string CurveFileName;

  // A new input or p/q was accepted: no figure drawn from it yet, not saved, shaded.
  void InputChanged() {
    DrawnFlag = StereoMode = false;
    DataChanged = true;
  }
};
