#include "app/core/ScriptedDraw.h"

namespace ScriptedDraw {

bool AcceptInput(Drawing::TDrawingData& data, CurveInput::TInputFields& fields, std::string& message) {
  bool ready = false;
  const CurveInput::TReadResult read = CurveInput::LeeDatos(data, fields, ready);
  if (read.Outcome == CurveInput::TReadOutcome::Refused) {
    message = read.Message;
    return false;
  }
  return true;
}

bool PlaceParameters(Glob::TCurveInput& input, long double p, long double q, std::string& message) {
  long double snappedP = 0, snappedQ = 0;
  if (!CurveInput::SnapParameter('p', p, input.PMin, input.PMax, snappedP, message) ||
      !CurveInput::SnapParameter('q', q, input.QMin, input.QMax, snappedQ, message))
    return false;
  input.PValue = snappedP;
  input.QValue = snappedQ;
  return true;
}

}  // namespace ScriptedDraw
