// Test helpers: put a curve into a drawing's data as an accepted input would.
#pragma once

#include <string>

#include "app/DrawingData.h"

namespace TestCurves {

// Compiles the three formulas into data's curve with the variables "tpq" (failing the
// calling test through an exception when one does not compile), sets the accepted t
// interval with its derived constants and the values of p and q. Does not sample or draw.
void UseCurve(Drawing::TDrawingData& data, const std::string& x, const std::string& y, const std::string& z,
              long double tmin, long double tmax, long double p = 0, long double q = 0);

// The program's default curve over [0, 2 pi] with p = 1 and q = 0.
void UseDefaultCurve(Drawing::TDrawingData& data);

}  // namespace TestCurves
