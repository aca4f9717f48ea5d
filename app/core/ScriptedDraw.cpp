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
  if (!CurveInput::SnapParameter('p', p, Glob::PMin, Glob::PMax, snappedP, message) ||
      !CurveInput::SnapParameter('q', q, Glob::QMin, Glob::QMax, snappedQ, message))
    return false;
  Glob::PValue = snappedP;
  Glob::QValue = snappedQ;
  return true;
}

}  // namespace ScriptedDraw
