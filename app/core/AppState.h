// The front ends' half of the shared state (unit Glob): what the window and wendrix-cli
// know about the figure on the screen and the curve file, and nothing the stages read.
// The numerical half is geometry/SharedState.h.
#pragma once

#include <string>
#include <vector>

namespace Glob {

// Flags: a figure is on the screen; the main view shows the stereo wire-frame; the
// input or p/q changed since the curve was last loaded or saved under a chosen name.
inline bool DrawnFlag = false, StereoMode = false, DataChanged = false;

// The curve file that "Save" writes; empty until a save under a chosen name or a load.
inline std::string CurveFileName;

// The eleven lines of a curve file between building and writing.
inline std::vector<std::string> SaveList;

}  // namespace Glob
