// The numerical half of the shared state (unit Glob): the accepted curve input, the
// constants derived from the t interval, the view state and the shade palette.
// Everything here is plain data, free of toolkit types, so that the formula and
// geometry code can read it; the pictures and their depth buffer are each drawing's
// own (render/Pictures.h), the window's flags and file state are in app/core/AppState.h.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "formula/Vector3.h"

namespace Glob {

// pi as the program's constants use it: significand C90FDAA22168C234, one unit in
// the last place below the extended value nearest to pi.
inline constexpr long double Pi = 0xC90FDAA22168C234p-62L;

// Accepted input, written only when the input fields are accepted.
inline std::string XFormula, YFormula, ZFormula;
inline long double TMin = 0, TMax = 0;
inline long double PMin = 0, PMax = 5;
inline long double QMin = 0, QMax = Pi;
inline long double PValue = 0, QValue = 0;
inline long double PScale = 0, QScale = 0;

// Constants derived from the t interval by SetDerivedConstants.
inline long double TSpan = 0, THalfSpan = 0, THalfSpanPlusStep = 0, TMid = 0;
inline long double TStep20 = 0, TStep160 = 0, TStep255 = 0, TSpanOverPi = 0, PiOverTSpan = 0;
inline long double TStep = 0, THalfStep = 0, TThreeHalfStep = 0, TStepSq = 0, TStepCube = 0;
inline long double TStep2 = 0, TStep3 = 0, TStep6 = 0, TStep12 = 0, TStep24 = 0, TStepSq18 = 0;

// Recomputes the twenty derived constants from TMin and TMax. An empty interval gives
// infinite or NaN quotients; callers accept only TMin < TMax.
void SetDerivedConstants();

// View state: set for each figure by the framing stage, changed by mouse drags.
inline TVector3 ViewAxisX, ViewAxisY, ViewAxisZ, EyePoint;
inline long double ViewScale = 0, EyeDepth = 0, ViewShiftX = 0, ViewShiftY = 0;
inline long double ViewOffsetX = 0, ViewOffsetY = 0;
inline TVector3 BoxMin, BoxMax, BoxSize, FigureCentre, ScreenCentre;
inline long double FigureDiagonal = 0, ProbeRadius = 0, ArcStepMax = 0, FillSpacing = 0;
inline long double DepthScale = 0, DepthOffset = 0;

// 256 colours of three bytes each, stored blue, green, red.
inline std::array<std::uint8_t, 768> ShadePalette{};

// Writes `count` palette entries from `first` on: a ramp of the 16-bit channel values
// red, green, blue whose brightness rises with the power `exponent`. Throws RangeError
// when an entry index leaves 0..255 or a channel value leaves 0..65535.
void BuildRamp(int first, int count, int red, int green, int blue, int exponent);

// Fills the whole ShadePalette: white, the four shading ramps, the grey ramp, the two
// stereo eye colours (entries 30 and 31) and black.
void BuildShadePalette();

// Toolkit colour value (red + 256 green + 65536 blue) of palette entry `index`.
std::uint32_t PaletteColour(int index);

}  // namespace Glob
