// The compiled curve: the three coordinate formulas with the variables "tpq", the
// values of p and q they are evaluated with, and the three compiled together.
#pragma once

#include <string>

#include "formula/CurveProgram.h"
#include "formula/FunPars.h"
#include "formula/Vector3.h"

namespace FunPars {

// Not copyable: each program points at its own formula's constants. Owners that move
// it hold it by std::unique_ptr.
struct TCurve {
  TOpCodeFunctionExtended X, Y, Z;
  long double P = 0, Q = 0;
  TCurveProgram Joint;  // X, Y and Z as JoinCurve last compiled them together
};

// Compiles X, Y and Z together into Joint, which EvalCurve then runs for as long as none
// of the three is compiled again. A curve with a formula without a program gets no
// joint program: EvalCurve runs the formulas one by one.
void JoinCurve(TCurve& curve);

// The curve point at t: X, Y and Z with the variables t, P, Q (kept in a local array,
// so that several threads may evaluate one curve at once), by the joint program when
// it was built from the formulas as they are, else by running X, Y and Z in that
// order; the same bits and flags either way. A formula without a program gives 0 for
// its coordinate.
// An overflow flag raised inside the formulas is lowered again when all three values
// come out finite.
void EvalCurve(const TCurve& curve, long double t, TVector3& point);

// True when X, Y and Z together stay within MaxCurveWork; false with the compiler's
// message "This is an expression too long." otherwise.
bool CurveWorkFits(const TCurve& curve, std::string& message);

}  // namespace FunPars
