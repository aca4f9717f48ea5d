// Unit Estereo: the red and teal anaglyph wire-frame of the figure.
#pragma once

#include "views/MueveFigura.h"

class QImage;

namespace Estereo {

// True when the working copy holds a view that can be drawn (a figure was drawn and
// prepared); the "Stereo" click is refused otherwise.
bool CanShowStereo();

// PrepareStereo, then DrawStereo into StereoBitmap.
void ShowStereo();

// One drag step of the stereo view, then DrawStereo and StoreStereo.
void StereoDrag(int oldX, int oldY, int newX, int newY, const MueveFigura::TShiftState& keys);

}  // namespace Estereo
