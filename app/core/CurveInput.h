// Reading and checking the curve input, the parameter ranges and the arithmetic of the
// p and q scroll bars. Free of widgets: the window and wendrix-cli both call these and
// show the answers in their own way.
#pragma once

#include <string>

#include "geometry/SharedState.h"

namespace Drawing {
struct TDrawingData;
}

namespace CurveInput {

// The nine input fields as typed.
struct TInputFields {
  std::string X, Y, Z, TMin, TMax, PMin, PMax, QMin, QMax;
};

// The texts the window shows at start-up: the default curve over 0 .. 2 pi with
// p in 0 .. 5 and q in 0 .. pi.
TInputFields DefaultFields();

// Answer of LeeDatos. Only Changed lets the draw command go on.
enum class TReadOutcome { Refused = 0, Changed = 1, Unchanged = 2 };

struct TReadResult {
  TReadOutcome Outcome = TReadOutcome::Unchanged;
  std::string Message;  // for Informacion; empty when accepted or unchanged
  bool Beep = false;    // sound the system beep with the message
};

// Reads and checks the fields into `data`. The three formula texts are trimmed in place (blanks and
// control characters at both ends) so the caller can write them back; each is compiled
// into the curve's X, Y and Z with the variables "tpq", then the six number fields are evaluated
// untrimmed as constant formulas, each minimum before its maximum.
//  - Refused: Message is "Some data missing", a compiler message, "A number is too
//    large" (a limit that overflows) or "A number is missing or miswritten" (Beep
//    true, ready cleared), or one of the three
//    "The minimum of ... must be less than its maximum" (no beep, ready kept).
//    The accepted state stays as it was, and so do the compiled formulas: they are
//    compiled again from the accepted texts, so that a figure on the screen can still
//    be evaluated.
//  - Changed (ready false, or a text or value differs from the accepted one): data's
//    Input receives the formulas, ranges and PScale/QScale, its Figure.Param the
//    derived t constants; ready true. The caller takes the new input as not drawn and not saved
//    (TAppState::InputChanged) and sets the caption of the stereo button to "Stereo".
//  - Unchanged: nothing changes; the caller empties the caption of "Draw It".
TReadResult LeeDatos(Drawing::TDrawingData& data, TInputFields& fields, bool& ready);

// data's curve compiled again from its accepted texts, so that the figure on the
// screen can be evaluated after a refused read or a cancelled drawing compiled others.
// Texts never accepted (empty) are left alone: nothing was drawn from them.
void RestoreAcceptedFormulas(Drawing::TDrawingData& data);

// `input`, accepted by an earlier read, in force in `data`: its t constants derived
// into Figure.Param, its scales, the curve compiled from its texts (RestoreAcceptedFormulas)
// and given its p and q. Texts never accepted (empty) leave their formula alone.
void ReinstateInput(Drawing::TDrawingData& data, const Glob::TCurveInput& input);

// Copies data's PValue and QValue into its curve's P and Q.
void PassParameters(Drawing::TDrawingData& data);

// input's PScale := 1/(PMax - PMin), 0 when the two are equal; QScale likewise.
void UpdateParamScales(Glob::TCurveInput& input);

// Scroll bars run over the positions 0 .. CursorMax.
inline constexpr int CursorMax = 380;

// Value at a scroll position: min + (max - min) * position / 380.
long double CursorValue(int position, long double min, long double max);

// Position of `value`: Round((value - min) * 380 * scale), halves to even. Throws
// WendrixError("Scrollbar property out of range") when the result leaves 0 .. 380,
// RangeError for a NaN. A scale of 0 (empty range) gives position 0.
int CursorPosition(long double value, long double min, long double scale);

// The value `value` of the parameter `name` ('p' or 'q') snaps to in the range
// min .. max. False, with a message such as "p = 7 lies outside its range 0 to 5", when
// it has no scroll position there.
bool SnapParameter(char name, long double value, long double min, long double max, long double& snapped,
                   std::string& message);

// The text of the p and q panels: fixed with three decimals after rounding to at
// most five significant digits ("0.000", "2.500", "3.142", "123.460").
std::string PanelText(long double value);

// Which parameter a scroll bar moves.
enum class TParam { P, Q };

// A scroll bar of `which` moved to `position`: when its value differs from data's
// PValue (or QValue), stores it, sets `panelText`, runs PassParameters and answers true (the
// caller takes the figure as not drawn and the input as changed). Answers false and
// leaves everything otherwise.
bool AjustaParametros(Drawing::TDrawingData& data, TParam which, int position, std::string& panelText);

// Positions of both scroll bars for input's PValue and QValue in its ranges.
struct TCursorPositions {
  int P = 0, Q = 0;
};

// Throws as CursorPosition does when a value lies outside its range.
TCursorPositions SituaCursores(const Glob::TCurveInput& input);

// The plain decimal conversion of the range fields and of the p/q lines of a curve
// file: optional blanks, sign, digits with an optional '.', optional exponent E.
// "5", "3.5", "-2e-3" are numbers; "pi", "p", "", "1,5", "inf" are not. Independent
// of the locale.
// A number closer to zero than the smallest extended real reads as 0 (with its sign).
bool ParsePlainDecimal(const std::string& text, long double& value);

// ParsePlainDecimal that also tells, by `tooLarge`, a refused number of valid syntax
// that lies beyond the largest extended real.
bool ParsePlainDecimal(const std::string& text, long double& value, bool& tooLarge);

// The four range fields.
enum class TRangeField { PMin, PMax, QMin, QMax };

// A key was released in a range field: converts `text` and stores it at once into
// input's PMin, PMax, QMin or QMax, then UpdateParamScales (the input has changed). Answers false
// (the caller beeps) and changes nothing when the text is not a plain number. The
// caller then places the scroll bars (SituaCursores).
bool CambiaLimParam(Glob::TCurveInput& input, TRangeField which, const std::string& text);

}  // namespace CurveInput
