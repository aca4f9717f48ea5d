// The steps a scripted front end (wendrix-cli, the Python module) takes around the
// drawing sequence, where the window has a user at its fields and scroll bars instead.
#pragma once

#include <string>

#include "app/core/CurveInput.h"

namespace ScriptedDraw {

// Reads `fields` into `data` as "Draw It" does on a fresh window (LeeDatos, trimming
// the formula texts). False with the window's message when the input is refused; the
// accepted input then stays as it was.
bool AcceptInput(Drawing::TDrawingData& data, CurveInput::TInputFields& fields, std::string& message);

// p and q at their scroll positions in the accepted ranges of `input`, as a loaded file
// places them, into its PValue and QValue. False with a message such as "p = 7 lies outside its
// range 0 to 5" when one has no position there; nothing changes then.
bool PlaceParameters(Glob::TCurveInput& input, long double p, long double q, std::string& message);

}  // namespace ScriptedDraw
