#include "tests/support/TestCurves.h"

#include <stdexcept>

#include "formula/Curve.h"
#include "geometry/Sampling.h"
#include "geometry/SharedState.h"

namespace TestCurves {

void UseCurve(Drawing::TDrawingData& data, const std::string& x, const std::string& y, const std::string& z,
              long double tmin, long double tmax, long double p, long double q) {
  std::string message;
  TOpCodeFunctionExtended* formulas[3] = {&data.Curve.X, &data.Curve.Y, &data.Curve.Z};
  const std::string* texts[3] = {&x, &y, &z};
  for (int k = 0; k < 3; ++k) {
    formulas[k]->Compile(*texts[k], "tpq", message);
    if (!message.empty()) throw std::runtime_error(*texts[k] + ": " + message);
  }
  FunPars::JoinCurve(data.Curve);
  data.Input.XFormula = x;
  data.Input.YFormula = y;
  data.Input.ZFormula = z;
  data.Input.TMin = tmin;
  data.Input.TMax = tmax;
  data.Figure.Param = Glob::DerivedConstants(tmin, tmax);
  data.Input.PValue = p;
  data.Input.QValue = q;
  data.Curve.P = p;
  data.Curve.Q = q;
}

void UseDefaultCurve(Drawing::TDrawingData& data) {
  UseCurve(data, "cos(2t)(p+sen(3t))", "sen(2t)(p+sen(3t))", "cos(3t+q)", 0, 2 * Glob::Pi, 1, 0);
}

}  // namespace TestCurves
