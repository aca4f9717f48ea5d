// The accepted curve input and the constants derived from its t interval, as values,
// free of toolkit types, so that the formula and geometry code can read them; the
// sampled figure is geometry/Sampling.h's. The
// view (geometry/View.h), the pictures and their depth buffer (render/Pictures.h) are
// each drawing's own, the palette is render/Palette.h, the window's flags and file
// state app/core/AppState.h.
#pragma once

#include <string>

#include "formula/Vector3.h"

namespace Glob {

// pi as the program's constants use it: significand C90FDAA22168C234, one unit in
// the last place below the extended value nearest to pi.
inline constexpr long double Pi = 0xC90FDAA22168C234p-62L;

// The input as LeeDatos accepted it: the formula texts, the three ranges, p and q,
// and the scroll bars' scales 1/(PMax - PMin) and 1/(QMax - QMin) (0 for an empty range).
struct TCurveInput {
  std::string XFormula, YFormula, ZFormula;
  long double TMin = 0, TMax = 0;
  long double PMin = 0, PMax = 5;
  long double QMin = 0, QMax = Pi;
  long double PValue = 0, QValue = 0;
  long double PScale = 0, QScale = 0;
};

// The t interval and the constants the stages derive from it; TStep is one of the
// 4,096 sample steps.
struct TParamConstants {
  long double TMin = 0, TMax = 0;
  long double TSpan = 0, THalfSpan = 0, THalfSpanPlusStep = 0, TMid = 0;
  long double TStep20 = 0, TStep160 = 0, TStep255 = 0, TSpanOverPi = 0, PiOverTSpan = 0;
  long double TStep = 0, THalfStep = 0, TThreeHalfStep = 0, TStepSq = 0, TStepCube = 0;
  long double TStep2 = 0, TStep3 = 0, TStep6 = 0, TStep12 = 0, TStep24 = 0, TStepSq18 = 0;
};

// The constants of the interval tMin .. tMax. An empty interval gives infinite or NaN
// quotients; callers accept only tMin < tMax.
TParamConstants DerivedConstants(long double tMin, long double tMax);

}  // namespace Glob
