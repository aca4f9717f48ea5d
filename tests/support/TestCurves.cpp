#include "tests/support/TestCurves.h"

#include <stdexcept>

#include "formula/FunPars.h"
#include "geometry/SharedState.h"

namespace TestCurves {

void UseCurve(const std::string& x, const std::string& y, const std::string& z,
              long double tmin, long double tmax, long double p, long double q) {
  std::string message;
  TOpCodeFunctionExtended* formulas[3] = {&FunPars::FormulaX, &FunPars::FormulaY, &FunPars::FormulaZ};
  const std::string* texts[3] = {&x, &y, &z};
  for (int k = 0; k < 3; ++k) {
    formulas[k]->Compile(*texts[k], "tpq", message);
    if (!message.empty()) throw std::runtime_error(*texts[k] + ": " + message);
  }
  Glob::XFormula = x;
  Glob::YFormula = y;
  Glob::ZFormula = z;
  Glob::TMin = tmin;
  Glob::TMax = tmax;
  Glob::SetDerivedConstants();
  Glob::PValue = p;
  Glob::QValue = q;
  FunPars::FormulaVars[1] = p;
  FunPars::FormulaVars[2] = q;
}

void UseDefaultCurve() {
  UseCurve("cos(2t)(p+sen(3t))", "sen(2t)(p+sen(3t))", "cos(3t+q)", 0, 2 * Glob::Pi, 1, 0);
}

}  // namespace TestCurves
