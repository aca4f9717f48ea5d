#include "geometry/SharedState.h"

namespace Glob {

void SetDerivedConstants() {
  TSpan = TMax - TMin;
  THalfSpan = TSpan / 2;
  TStep = TSpan / 4096;
  THalfSpanPlusStep = TStep + TSpan / 2;
  TMid = (TMax + TMin) / 2;
  TStep20 = TSpan / 20;
  TStep160 = TSpan / 160;
  TStep255 = TSpan / 255;
  TSpanOverPi = TSpan / Pi;
  PiOverTSpan = Pi / TSpan;
  THalfStep = TStep / 2;
  TThreeHalfStep = (TStep / 2) * 3;
  TStepSq = TStep * TStep;
  TStepCube = TStep * TStep * TStep;
  TStep2 = TStep * 2;
  TStep3 = TStep * 3;
  TStep6 = TStep * 6;
  TStep12 = TStep * 12;
  TStep24 = TStep * 24;
  TStepSq18 = TStep * TStep * 18;
}

}  // namespace Glob
