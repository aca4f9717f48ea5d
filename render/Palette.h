// The shade palette the pictures are painted with: white, the shading ramps of the
// hull's faces and ruled strips, the grey ramp, the two stereo eye colours and black.
#pragma once

#include <array>
#include <cstdint>

namespace Palette {

// 256 colours of three bytes each, stored blue, green, red.
using TShadePalette = std::array<std::uint8_t, 768>;

// Writes `count` entries of `palette` from `first` on: a ramp of the 16-bit channel
// values red, green, blue whose brightness rises with the power `exponent`. Throws
// RangeError when an entry index leaves 0..255 or a channel value leaves 0..65535.
void BuildRamp(TShadePalette& palette, int first, int count, int red, int green, int blue, int exponent);

// The whole palette: white, the four shading ramps, the grey ramp, the two stereo eye
// colours (entries 30 and 31) and black.
TShadePalette BuildShadePalette();

// The palette of every picture, built on first use and never changed.
const TShadePalette& ShadePalette();

// Toolkit colour value (red + 256 green + 65536 blue) of entry `index` of ShadePalette;
// RangeError outside 0..255.
std::uint32_t PaletteColour(int index);

}  // namespace Palette
