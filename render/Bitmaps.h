// The four off-screen pictures of the shared state (unit Glob).
#pragma once

#include <QImage>

namespace Glob {

inline QImage HullBitmap;     // 400 x 400, 24 bits stored blue, green, red: the shaded hull
inline QImage StereoBitmap;   // 400 x 400, 24 bits, black background: the stereo wire-frame
inline QImage MaxwellBitmap;  // 300 x 300: the unit normals of the hull's strips
inline QImage BitangBitmap;   // 300 x 300: the square of bitangent pairs

// Creates the four bitmaps at their sizes and formats, blank (white; the stereo one black).
// Returns false when one of them cannot be obtained.
bool CreateBitmaps();

// Releases the four bitmaps.
void ReleaseBitmaps();

}  // namespace Glob
