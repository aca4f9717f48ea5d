// A table of hostile curve inputs and what each must come to: a drawing, a refusal
// with the message shown under "Information", or a drawing that ends with an error
// message. Shared by the test of the drawing path (hostile_table.cpp) and the test of
// wendrix-cli draw (tests/cli/hostile_cli.cpp).
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "app/CadenasRecursos.h"
#include "app/core/CurveInput.h"

namespace Hostile {

// What a row must come to.
enum class TExpect { Drawn, Refused, Failed };

// The window's default fields with some of them replaced.
struct TInput : CurveInput::TInputFields {
  TInput() : CurveInput::TInputFields(CurveInput::DefaultFields()) {}
  TInput& Curve(std::string x, std::string y, std::string z) {
    X = std::move(x);
    Y = std::move(y);
    Z = std::move(z);
    return *this;
  }
  TInput& T(std::string min, std::string max) { return Range(TMin, TMax, std::move(min), std::move(max)); }
  TInput& P(std::string min, std::string max) { return Range(PMin, PMax, std::move(min), std::move(max)); }
  TInput& Q(std::string min, std::string max) { return Range(QMin, QMax, std::move(min), std::move(max)); }

 private:
  TInput& Range(std::string& lo, std::string& hi, std::string min, std::string max) {
    lo = std::move(min);
    hi = std::move(max);
    return *this;
  }
};

struct TRow {
  TRow(std::string name, TInput input, TExpect expect, std::string message = "", bool throughCli = false)
      : Name(std::move(name)), Input(std::move(input)), Expect(expect), Message(std::move(message)),
        ThroughCli(throughCli) {}
  std::string Name;  // a test name: letters and digits only
  TInput Input;
  TExpect Expect;
  std::string Message;  // the refusal or the error the drawing ends with
  bool ThroughCli;      // also run through the wendrix-cli binary
};

// Rows show as their names in test reports.
inline void PrintTo(const TRow& row, std::ostream* out) { *out << row.Name; }

// `unit` repeated `count` times.
inline std::string Repeat(const std::string& unit, int count) {
  std::string text;
  text.reserve(unit.size() * static_cast<std::size_t>(count));
  for (int k = 0; k < count; ++k) text += unit;
  return text;
}

// "t" plus the constants 2 .. 1 + count, each one distinct.
inline std::string SumOfConstants(int count) {
  std::string text = "t";
  for (int k = 2; k < 2 + count; ++k) text += "+" + std::to_string(k);
  return text;
}

// The formula `inner` nested in `depth` pairs of brackets.
inline std::string Bracketed(const std::string& inner, int depth) {
  return Repeat("(", depth) + inner + Repeat(")", depth);
}

inline std::vector<TRow> Rows() {
  using CadenasRecursos::DataMissing;
  using CadenasRecursos::NumberMissing;
  using CadenasRecursos::NumberTooLarge;
  using CadenasRecursos::PRangeWrong;
  using CadenasRecursos::QRangeWrong;
  using CadenasRecursos::TRangeWrong;
  const TExpect Drawn = TExpect::Drawn, Refused = TExpect::Refused, Failed = TExpect::Failed;
  const std::string overflow = "Floating point overflow";
  const std::string tooManyConstants = "I cannot cope with so much constants.";
  const std::string badCharacter = "You did use a character not allowed.";
  const std::string badName = "Some function or variable was miswritten.";
  const std::string badNumber = "There is a miswritten number.";
  const std::string syntax = "There is a sintax defect in the formula.";
  const std::string tooLong = "This is an expression too long.", third = Repeat("t+", 2400) + "t";
  // 1e300 as the notation writes it (it has no exponents).
  const std::string huge = "10^300";
  return {
      {"DefaultCurveInCapitals", TInput().Curve("COS(2T)(P+SEN(3T))", "SEN(2T)(P+SEN(3T))", "COS(3T+Q)"), Drawn,
       "", true},
      {"ConstantCurve", TInput().Curve("1", "2", "3"), Drawn, "", true},
      {"CurveAtTheOrigin", TInput().Curve("0", "0", "0"), Drawn},
      {"StraightLine", TInput().Curve("t", "2t", "3t").T("0", "1"), Drawn},
      {"Circle", TInput().Curve("cos(t)", "sin(t)", "0"), Drawn},
      {"TiltedEllipse", TInput().Curve("2cos(t)", "sin(t)", "cos(t)"), Drawn},
      {"PlanarFigureEight", TInput().Curve("sin(t)", "sin(2t)", "0"), Drawn},
      {"PlanarAstroidWithCusps", TInput().Curve("cos(t)^3", "sin(t)^3", "0"), Drawn},
      {"SpaceCurveWithCusps", TInput().Curve("cos(t)^3", "sin(t)^3", "sin(2t)"), Drawn},
      {"DefaultCurveTraversedTwice", TInput().T("0", "4 pi"), Drawn},
      {"NearlyStraight", TInput().Curve("t", "sin(t)/1000000000", "cos(t)/1000000000"), Drawn},
      {"IntervalOfWidthTenToMinus12", TInput().T("1", "1.000000000001"), Drawn},
      {"IntervalOfWidthTenTo12", TInput().T("0", "1000000000000"), Drawn, "", true},
      // The samples of such an interval are aliasing noise; the analysis, in the
      // figure's own units, finds nothing to trace and draws the curve alone.
      {"IntervalOfWidthTenTo300", TInput().T("0", huge), Drawn, "", true},
      {"IntervalFarFromZero", TInput().T("1000000000000000000", "1000000000000000000 + 2 pi"), Drawn},
      {"CoordinatesNearTenTo300",
       TInput().Curve(huge + " cos(t)", huge + " sin(t)", huge + " sin(2t)"), Drawn},
      // Planar in the reals: x spans 10^376, y 10^300 and z only the tangent's values.
      // Three curve points cannot tell, and every candidate triple of the tritangent
      // search once scanned the whole curve to find its plane holding the curve.
      {"StretchedFarMoreAlongOneAxis", TInput().Curve("cos(t) 18^300", "sin(t)/0", "tan(t)").T("0", "1000"), Drawn},
      {"CoordinatesNearTenToMinus300",
       TInput().Curve("cos(t)/" + huge, "sin(t)/" + huge, "sin(3t)/" + huge), Drawn},
      {"OverflowBeyondTheExtendedRange", TInput().Curve("(" + huge + ")^40 t", "sin(t)", "cos(t)"), Failed,
       overflow, true},
      // 10^5000 overflows on the way, its reciprocal is rounded to 0: the curve is planar.
      {"UnderflowToZero", TInput().Curve("10^(-5000)", "sin(t)", "cos(t)"), Drawn},
      {"InfiniteConstantCoordinate", TInput().Curve("(" + huge + ")^40", "sin(t)", "cos(t)"), Failed, overflow},
      {"DivisionByZero", TInput().Curve("cos(t)/0", "sin(t)", "1/(t-t)"), Drawn},
      {"TangentAtItsPoles", TInput().Curve("tan(t)", "sin(t)", "cos(2t)"), Drawn},
      {"CotangentAtItsPoles", TInput().Curve("cos(t)", "cot(t)", "sin(2t)"), Drawn},
      {"ExpOf1000t", TInput().Curve("exp(1000t)", "sin(t)", "cos(t)"), Drawn},
      {"GuardedFunctionsOutsideTheirDomains",
       TInput().Curve("ln(t) + sqrt(t)", "asin(2t) + acosh(t)", "atanh(t) + ln(-t)").T("-3", "3"), Drawn},
      {"EqualTRange", TInput().T("1", "1"), Refused, TRangeWrong},
      {"InvertedTRange", TInput().T("2 pi", "0"), Refused, TRangeWrong, true},
      {"EqualPRange", TInput().P("2", "2"), Refused, PRangeWrong},
      {"InvertedQRange", TInput().Q("pi", "0"), Refused, QRangeWrong},
      {"LimitBeyondTheExtendedRange", TInput().T("0", "(" + huge + ")^40"), Refused, NumberTooLarge},
      {"LimitReadingAVariable", TInput().T("0", "2 pi + t"), Refused, NumberMissing},
      {"Exactly250Constants", TInput().Curve(SumOfConstants(250), "sin(t)", "cos(t)"), Drawn},
      {"Constants251", TInput().Curve(SumOfConstants(251), "sin(t)", "cos(t)"), Refused, tooManyConstants,
       true},
      {"DeepBrackets", TInput().Curve("cos" + Bracketed("t", 20000), Bracketed("sin(t)", 20000), "0"), Drawn},
      {"DeepSum", TInput().Curve(Repeat("t+(", 400) + "t" + Repeat(")", 400), "sin(t)", "cos(2t)"), Drawn},
      {"DeepFunctions", TInput().Curve(Repeat("sin(", 200) + "t" + Repeat(")", 200), "cos(t)", "sin(2t)"),
       Drawn},
      {"Field100000BracketCharacters", TInput().Curve(Bracketed("sin(t)", 49997), "cos(t)", "sin(2t)"), Drawn,
       "", true},
      {"Field100000CharacterSum", TInput().Curve(Repeat("t+", 49999) + "tt", "t#", "0"), Refused, tooLong},
      {"ThreeFormulasTooLongTogether", TInput().Curve(third, third, third), Refused, tooLong},
      {"Field100000Digits", TInput().Curve(Repeat("9", 100000), "sin(t)", "cos(t)"), Refused, badNumber},
      {"FieldOfBlanks", TInput().Curve("cos(t)", " \t ", "0"), Refused, DataMissing},
      {"NonAsciiCharacter", TInput().Curve("t\xc2\xb2", "sin(t)", "0"), Refused, badCharacter},
      {"FunctionWithoutBracket", TInput().Curve("sin t", "cos(t)", "0"), Refused, badName},
      {"DanglingOperator", TInput().Curve("cos(t)", "sin(t)+", "0"), Refused, syntax},
  };
}

}  // namespace Hostile
