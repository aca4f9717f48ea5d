#include "app/core/ScriptedDraw.h"

#include "geometry/SharedState.h"

namespace ScriptedDraw {

bool AcceptInput(CurveInput::TInputFields& fields, std::string& message) {
  bool ready = false;
  const CurveInput::TReadResult read = CurveInput::LeeDatos(fields, ready);
  if (read.Outcome == CurveInput::TReadOutcome::Refused) {
    message = read.Message;
    return false;
  }
  return true;
}

bool PlaceParameters(long double p, long double q, std::string& message) {
  long double snappedP = 0, snappedQ = 0;
  if (!CurveInput::SnapParameter('p', p, Glob::Input.PMin, Glob::Input.PMax, snappedP, message) ||
      !CurveInput::SnapParameter('q', q, Glob::Input.QMin, Glob::Input.QMax, snappedQ, message))
    return false;
  Glob::Input.PValue = snappedP;
  Glob::Input.QValue = snappedQ;
  return true;
}

}  // namespace ScriptedDraw
