#include "tests/support/TestCurves.h"

#include <stdexcept>

#include "formula/FunPars.h"
#include "geometry/Sampling.h"
#include "geometry/SharedState.h"

namespace TestCurves {

void UseCurve(const std::string& x, const std::string& y, const std::string& z,
              long double tmin, long double tmax, long double p, long double q) {
  std::string message;
  TOpCodeFunctionExtended* formulas[3] = {&Glob::Curve.X, &Glob::Curve.Y, &Glob::Curve.Z};
  const std::string* texts[3] = {&x, &y, &z};
  for (int k = 0; k < 3; ++k) {
    formulas[k]->Compile(*texts[k], "tpq", message);
    if (!message.empty()) throw std::runtime_error(*texts[k] + ": " + message);
  }
  Glob::Input.XFormula = x;
  Glob::Input.YFormula = y;
  Glob::Input.ZFormula = z;
  Glob::Input.TMin = tmin;
  Glob::Input.TMax = tmax;
  Sampling::Figure.Param = Glob::DerivedConstants(Glob::Input.TMin, Glob::Input.TMax);
  Glob::Input.PValue = p;
  Glob::Input.QValue = q;
  Glob::Curve.P = p;
  Glob::Curve.Q = q;
}

void UseDefaultCurve() {
  UseCurve("cos(2t)(p+sen(3t))", "sen(2t)(p+sen(3t))", "cos(3t+q)", 0, 2 * Glob::Pi, 1, 0);
}

}  // namespace TestCurves
