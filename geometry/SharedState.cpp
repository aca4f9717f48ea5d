#include "geometry/SharedState.h"

namespace Glob {

TParamConstants DerivedConstants(long double tMin, long double tMax) {
  TParamConstants c;
  c.TMin = tMin;
  c.TMax = tMax;
  c.TSpan = tMax - tMin;
  c.THalfSpan = c.TSpan / 2;
  c.TStep = c.TSpan / 4096;
  c.THalfSpanPlusStep = c.TStep + c.TSpan / 2;
  c.TMid = (tMax + tMin) / 2;
  c.TStep20 = c.TSpan / 20;
  c.TStep160 = c.TSpan / 160;
  c.TStep255 = c.TSpan / 255;
  c.TSpanOverPi = c.TSpan / Pi;
  c.PiOverTSpan = Pi / c.TSpan;
  c.THalfStep = c.TStep / 2;
  c.TThreeHalfStep = (c.TStep / 2) * 3;
  c.TStepSq = c.TStep * c.TStep;
  c.TStepCube = c.TStep * c.TStep * c.TStep;
  c.TStep2 = c.TStep * 2;
  c.TStep3 = c.TStep * 3;
  c.TStep6 = c.TStep * 6;
  c.TStep12 = c.TStep * 12;
  c.TStep24 = c.TStep * 24;
  c.TStepSq18 = c.TStep * c.TStep * 18;
  return c;
}

}  // namespace Glob
