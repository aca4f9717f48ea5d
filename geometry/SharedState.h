// The numerical half of the shared state (unit Glob): the accepted curve input, the
// constants derived from the t interval and the box of the curve points. Everything
// here is plain data, free of toolkit types, so that the formula and geometry code can
// read it. The view (geometry/View.h), the pictures and their depth buffer
// (render/Pictures.h) are each drawing's own, the palette is render/Palette.h, the
// window's flags and file state app/core/AppState.h.
#pragma once

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

// The box of the curve points and the length scales derived from it (FrameBox).
inline TVector3 BoxMin, BoxMax, BoxSize, FigureCentre;
inline long double FigureDiagonal = 0, FillSpacing = 0;

}  // namespace Glob
