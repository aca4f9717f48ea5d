#include "render/Palette.h"

#include <algorithm>
#include <cmath>

#include "formula/Checks.h"

namespace Palette {

namespace {

void SetEntry(TShadePalette& palette, int index, int red, int green, int blue) {
  CheckIndex(index, 256);
  for (int c : {red, green, blue})
    if (c < 0 || c > 65535) throw RangeError();
  palette[3 * index] = static_cast<std::uint8_t>(blue >> 8);
  palette[3 * index + 1] = static_cast<std::uint8_t>(green >> 8);
  palette[3 * index + 2] = static_cast<std::uint8_t>(red >> 8);
}

}  // namespace

void BuildRamp(TShadePalette& palette, int first, int count, int red, int green, int blue, int exponent) {
  const double channels[3] = {double(red), double(green), double(blue)};
  double m = channels[0];
  for (double c : channels) m = std::max(m, c);
  const double n = count;
  double k = 1;
  if (n * m < 65535) k = 72088.5 / (n * m);
  const double s = (m * k * n - 65535) / (65535 - k * m);
  double slope[3], rise[3];
  const double e = std::exp(exponent * std::log(n - 1));
  for (int c = 0; c < 3; ++c) {
    slope[c] = channels[c] * k / (1 + s);
    rise[c] = (65535 - (n + s) * slope[c]) / e;
  }
  for (int i = 1; i <= count; ++i) {
    // The ramp's own exponent is 0.97 e, so the top entry stays just below full intensity.
    const double w = i == 1 ? 0 : std::exp(0.97 * exponent * std::log(double(i - 1)));
    int value[3];
    for (int c = 0; c < 3; ++c) value[c] = RoundChecked((i + s) * slope[c] + rise[c] * w);
    SetEntry(palette, first + i - 1, value[0], value[1], value[2]);
  }
}

TShadePalette BuildShadePalette() {
  TShadePalette palette{};
  SetEntry(palette, 0, 65535, 65535, 65535);
  BuildRamp(palette, 1, 15, 13000, 1333, 0, 4);
  BuildRamp(palette, 16, 14, 11000, 11000, 11000, 5);
  SetEntry(palette, 30, 65535, 0, 0);
  SetEntry(palette, 31, 0, 45056, 45056);
  BuildRamp(palette, 32, 96, 22800, 12320, 1200, 5);
  BuildRamp(palette, 128, 96, 2300, 16000, 8800, 5);
  BuildRamp(palette, 224, 16, 0, 8000, 22000, 5);
  BuildRamp(palette, 240, 15, 22000, 0, 22000, 5);
  SetEntry(palette, 255, 0, 0, 0);
  return palette;
}

const TShadePalette& ShadePalette() {
  static const TShadePalette palette = BuildShadePalette();
  return palette;
}

std::uint32_t PaletteColour(int index) {
  CheckIndex(index, 256);
  const std::uint8_t* entry = &ShadePalette()[3 * index];
  return entry[2] + 256u * entry[1] + 65536u * entry[0];
}

}  // namespace Palette
