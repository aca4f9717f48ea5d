#include "app/core/CurveInput.h"

#include <cctype>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "app/CadenasRecursos.h"
#include "app/DrawingData.h"
#include "app/core/NumberText.h"
#include "formula/Checks.h"
#include "formula/FunPars.h"

namespace CurveInput {

namespace {

// Blanks and control characters: every byte up to and including the space.
bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string Trim(const std::string& text) {
  std::size_t first = 0, last = text.size();
  while (first < last && IsBlank(text[first])) ++first;
  while (last > first && IsBlank(text[last - 1])) --last;
  return text.substr(first, last - first);
}

// The accepted texts, the formula objects and the field texts of the three
// coordinates, in reading order.
struct TCoordinate {
  std::string TInputFields::*Field;
  std::string Glob::TCurveInput::*Accepted;
  TOpCodeFunctionExtended FunPars::TCurve::*Formula;
};
const TCoordinate Coordinates[3] = {
    {&TInputFields::X, &Glob::TCurveInput::XFormula, &FunPars::TCurve::X},
    {&TInputFields::Y, &Glob::TCurveInput::YFormula, &FunPars::TCurve::Y},
    {&TInputFields::Z, &Glob::TCurveInput::ZFormula, &FunPars::TCurve::Z},
};

// The three ranges in reading order, with their message for an empty range.
struct TRange {
  std::string TInputFields::*MinField;
  std::string TInputFields::*MaxField;
  long double Glob::TCurveInput::*AcceptedMin;
  long double Glob::TCurveInput::*AcceptedMax;
  const char* Message;
};
const TRange Ranges[3] = {
    {&TInputFields::TMin, &TInputFields::TMax, &Glob::TCurveInput::TMin, &Glob::TCurveInput::TMax,
     CadenasRecursos::TRangeWrong},
    {&TInputFields::PMin, &TInputFields::PMax, &Glob::TCurveInput::PMin, &Glob::TCurveInput::PMax,
     CadenasRecursos::PRangeWrong},
    {&TInputFields::QMin, &TInputFields::QMax, &Glob::TCurveInput::QMin, &Glob::TCurveInput::QMax,
     CadenasRecursos::QRangeWrong},
};

TReadResult Refuse(Drawing::TDrawingData& data, const std::string& message, bool beep) {
  RestoreAcceptedFormulas(data);
  return {TReadOutcome::Refused, message, beep};
}

// Half of b - a, which never overflows: b - a itself overflows exactly when this is
// above half the largest extended real.
long double HalfDifference(long double a, long double b) { return b / 2 - a / 2; }

// 1/(max - min), 0 when the two are equal. A span beyond the extended range is taken
// by its halves, which give the same quotient.
long double InverseSpan(long double min, long double max) {
  if (max == min) return 0;
  const long double half = HalfDifference(min, max);
  return std::fabs(half) > LDBL_MAX / 2 ? 0.5L / half : 1 / (max - min);
}

// (value - min) * 380 * scale, the scroll position before rounding. Where the product
// (value - min) * 380 would overflow, the halves give it without an infinity.
long double ScrollOffset(long double value, long double min, long double scale) {
  const long double half = HalfDifference(min, value);
  if (std::fabs(half) <= LDBL_MAX / (2 * CursorMax)) return (value - min) * CursorMax * scale;
  return half * scale * (2 * CursorMax);
}

// True when a number of valid plain-decimal syntax that lies beyond the extended range
// is too close to zero (rather than too large): its first significant digit stands at
// a decimal exponent below 0.
bool BelowRange(const std::string& t) {
  long long exponent = 0;  // of the first significant digit, plus one
  bool point = false, significant = false;
  std::size_t i = t[0] == '+' || t[0] == '-' ? 1 : 0;
  for (; i < t.size() && t[i] != 'e' && t[i] != 'E'; ++i) {
    if (t[i] == '.') {
      point = true;
    } else if (significant || t[i] != '0') {
      significant = true;
      if (!point) ++exponent;
    } else if (point) {
      --exponent;
    }
  }
  if (i == t.size()) return exponent <= 0;
  const std::size_t digits = i + 1 + (t[i + 1] == '+' ? 1 : 0);
  long long written = 0;
  const auto read = std::from_chars(t.data() + digits, t.data() + t.size(), written);
  // An exponent beyond 64 bits decides by its sign alone.
  if (read.ec == std::errc::result_out_of_range) return t[i + 1] == '-';
  return written <= -exponent;
}

// ReportInputError: beep, message, and the next read treats every field as changed.
TReadResult ReportInputError(Drawing::TDrawingData& data, const std::string& message, bool& ready) {
  ready = false;
  return Refuse(data, message, true);
}

}  // namespace

void RestoreAcceptedFormulas(Drawing::TDrawingData& data) {
  std::string message;
  for (const TCoordinate& c : Coordinates)
    if (!(data.Input.*c.Accepted).empty()) (data.Curve.*c.Formula).Compile(data.Input.*c.Accepted, "tpq", message);
  FunPars::JoinCurve(data.Curve);
}

void ReinstateInput(Drawing::TDrawingData& data, const Glob::TCurveInput& input) {
  data.Input = input;
  data.Figure.Param = Glob::DerivedConstants(input.TMin, input.TMax);
  UpdateParamScales(data.Input);
  RestoreAcceptedFormulas(data);
  PassParameters(data);
}

TInputFields DefaultFields() {
  return {"cos(2t)(p+sen(3t))", "sen(2t)(p+sen(3t))", "cos(3t+q)", "0", "2 pi", "0", "5", "0", "pi"};
}

TReadResult LeeDatos(Drawing::TDrawingData& data, TInputFields& fields, bool& ready) {
  TReadOutcome outcome = TReadOutcome::Unchanged;
  std::string texts[3];
  for (int i = 0; i < 3; ++i) {
    const TCoordinate& c = Coordinates[i];
    std::string& field = fields.*c.Field;
    field = Trim(field);
    if (field.empty()) return ReportInputError(data, CadenasRecursos::DataMissing, ready);
    if (!ready || field != data.Input.*c.Accepted) outcome = TReadOutcome::Changed;
    std::string message;
    (data.Curve.*c.Formula).Compile(field, "tpq", message);
    if (!message.empty()) return ReportInputError(data, message, ready);
    texts[i] = field;
  }
  // A curve point costs the three programs together; no drawing may take minutes.
  if (std::string message; !FunPars::CurveWorkFits(data.Curve, message)) return ReportInputError(data, message, ready);
  FunPars::JoinCurve(data.Curve);
  long double values[3][2];
  for (int i = 0; i < 3; ++i) {
    const TRange& r = Ranges[i];
    const std::string* limitTexts[2] = {&(fields.*r.MinField), &(fields.*r.MaxField)};
    const long double accepted[2] = {data.Input.*r.AcceptedMin, data.Input.*r.AcceptedMax};
    for (int k = 0; k < 2; ++k) {
      std::string message;
      const long double v = FunPars::EvalConstant(*limitTexts[k], message);
      // A limit that overflows the extended range (say "(10^300)^40") is no number either:
      // accepting it would store an infinite interval that no drawing can use.
      if (message.empty() && std::isinf(v)) return ReportInputError(data, CadenasRecursos::NumberTooLarge, ready);
      if (!message.empty() || !std::isfinite(v)) return ReportInputError(data, CadenasRecursos::NumberMissing, ready);
      if (!ready || v != accepted[k]) outcome = TReadOutcome::Changed;
      values[i][k] = v;
    }
    if (values[i][1] <= values[i][0]) return Refuse(data, r.Message, false);
  }
  if (outcome == TReadOutcome::Changed) {
    for (int i = 0; i < 3; ++i) data.Input.*Coordinates[i].Accepted = texts[i];
    for (int i = 0; i < 3; ++i) {
      data.Input.*Ranges[i].AcceptedMin = values[i][0];
      data.Input.*Ranges[i].AcceptedMax = values[i][1];
    }
    data.Figure.Param = Glob::DerivedConstants(data.Input.TMin, data.Input.TMax);
    // The scales follow the accepted ranges, whichever way the ranges were typed.
    UpdateParamScales(data.Input);
    ready = true;
  }
  return {outcome, "", false};
}

void PassParameters(Drawing::TDrawingData& data) {
  data.Curve.P = data.Input.PValue;
  data.Curve.Q = data.Input.QValue;
}

void UpdateParamScales(Glob::TCurveInput& input) {
  input.PScale = InverseSpan(input.PMin, input.PMax);
  input.QScale = InverseSpan(input.QMin, input.QMax);
}

long double CursorValue(int position, long double min, long double max) {
  const long double half = HalfDifference(min, max);
  if (std::fabs(half) <= LDBL_MAX / (2 * CursorMax)) return (max - min) * position / CursorMax + min;
  // A span too wide for the product: two half steps, neither of which leaves the range.
  const long double step = half / CursorMax * position;
  return min + step + step;
}

int CursorPosition(long double value, long double min, long double scale) {
  const long double offset = ScrollOffset(value, min, scale);
  // Far outside the range (or infinite) the value has no position, whole or not.
  if (std::fabs(offset) > 2 * CursorMax) throw WendrixError("Scrollbar property out of range");
  const int position = RoundChecked(offset);
  if (position < 0 || position > CursorMax) throw WendrixError("Scrollbar property out of range");
  return position;
}

bool SnapParameter(char name, long double value, long double min, long double max, long double& snapped,
                   std::string& message) {
  // The rounding of CursorPosition (halves to even), without its error.
  const long double position = std::nearbyint(ScrollOffset(value, min, InverseSpan(min, max)));
  if (!(position >= 0 && position <= CursorMax)) {
    message = std::string(1, name) + " = " + NumberText::General(value, 15) + " lies outside its range " +
              NumberText::General(min, 15) + " to " + NumberText::General(max, 15);
    return false;
  }
  snapped = CursorValue(static_cast<int>(position), min, max);
  return true;
}

std::string PanelText(long double value) {
  if (!std::isfinite(value)) return NumberText::General(value, 5);
  if (value == 0) value = 0;  // no "-0.000"
  char buffer[64];
  // Decimal exponent after rounding to five significant digits.
  const auto scientific = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 4);
  const std::string rounded(buffer, scientific.ptr);
  const int exponent = std::atoi(rounded.c_str() + rounded.find('e') + 1);
  if (exponent >= 5) return NumberText::General(value, 5);
  // Three decimals, or fewer when five significant digits end sooner; zeros pad to three.
  const int decimals = exponent >= 2 ? 4 - exponent : 3;
  const auto fixed = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  std::string text(buffer, fixed.ptr);
  if (decimals == 0) text += '.';
  return text.append(3 - decimals, '0');
}

bool AjustaParametros(Drawing::TDrawingData& data, TParam which, int position, std::string& panelText) {
  const bool isP = which == TParam::P;
  Glob::TCurveInput& input = data.Input;
  long double& current = isP ? input.PValue : input.QValue;
  const long double v =
      isP ? CursorValue(position, input.PMin, input.PMax) : CursorValue(position, input.QMin, input.QMax);
  if (v == current) return false;
  current = v;
  panelText = PanelText(v);
  PassParameters(data);
  return true;
}

TCursorPositions SituaCursores(const Glob::TCurveInput& input) {
  return {CursorPosition(input.PValue, input.PMin, input.PScale),
          CursorPosition(input.QValue, input.QMin, input.QScale)};
}

bool ParsePlainDecimal(const std::string& text, long double& value) {
  bool tooLarge = false;
  return ParsePlainDecimal(text, value, tooLarge);
}

bool ParsePlainDecimal(const std::string& text, long double& value, bool& tooLarge) {
  tooLarge = false;
  const std::string t = Trim(text);
  std::size_t i = 0;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
  int digits = 0;
  while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) ++i, ++digits;
  if (i < t.size() && t[i] == '.') ++i;
  while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) ++i, ++digits;
  if (digits == 0) return false;
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    ++i;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    const std::size_t exponent = i;
    while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) ++i;
    if (i == exponent) return false;
  }
  if (i != t.size()) return false;
  // from_chars takes no '+'; the syntax is already checked, so skip it.
  const char* first = t.data() + (t[0] == '+' ? 1 : 0);
  long double v = 0;
  const auto result = std::from_chars(first, t.data() + t.size(), v, std::chars_format::general);
  if (result.ec == std::errc::result_out_of_range) {
    // Closer to zero than the smallest extended real it is zero; too large it is no number.
    tooLarge = !BelowRange(t);
    if (tooLarge) return false;
    value = t[0] == '-' ? -0.0L : 0.0L;
    return true;
  }
  if (result.ec != std::errc() || result.ptr != t.data() + t.size()) return false;
  value = v;
  return true;
}

bool CambiaLimParam(Glob::TCurveInput& input, TRangeField which, const std::string& text) {
  long double v = 0;
  if (!ParsePlainDecimal(text, v)) return false;
  long double* const targets[4] = {&input.PMin, &input.PMax, &input.QMin, &input.QMax};
  *targets[static_cast<int>(which)] = v;
  UpdateParamScales(input);
  return true;
}

}  // namespace CurveInput
