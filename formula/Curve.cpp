#include "formula/Curve.h"

#include "formula/FunParsInternal.h"
#include "formula/X87.h"

namespace FunPars {

void JoinCurve(TCurve& curve) { curve.Joint.Build(curve.X, curve.Y, curve.Z); }

void EvalCurve(const TCurve& curve, long double t, TVector3& point) {
  const bool overflowBefore = (X87::Fnstsw() & X87::OverflowFlag) != 0;
  if (curve.Joint.BuiltFrom(curve.X, curve.Y, curve.Z)) {
    // Only t, p and q are set: the joint program fills the shared values before it
    // reads them.
    long double vars[TCurveProgram::VariableCount];
    vars[0] = t;
    vars[1] = curve.P;
    vars[2] = curve.Q;
    curve.Joint.Run(vars, point);
  } else {
    const long double vars[3] = {t, curve.P, curve.Q};
    point.x = curve.X.Run(vars);
    point.y = curve.Y.Run(vars);
    point.z = curve.Z.Run(vars);
  }
  // An overflow inside a formula whose value still comes out finite, such as 10^5000
  // within 10^(-5000) = 1/10^5000, ended in the rounded value (here 0) or the limit the
  // formula tends to: it is no fault of the curve. Only this evaluation's flag goes.
  if (!overflowBefore && (X87::Fnstsw() & X87::OverflowFlag) != 0 && __builtin_isfinite(point.x) &&
      __builtin_isfinite(point.y) && __builtin_isfinite(point.z))
    X87::ClearOverflowFlag();
}

bool CurveWorkFits(const TCurve& curve, std::string& message) {
  if (curve.X.Cost() + curve.Y.Cost() + curve.Z.Cost() <= MaxCurveWork) return true;
  message = FunParsWork::CompileMessages[FunParsWork::TooLong];
  return false;
}

}  // namespace FunPars
