// Fuzz target: a variable list and a formula text through Compile, then the program
// run with many sets of variable values.
//
// Input: the variable list, a line feed, the formula text (no line feed: the default
// list and the whole input as the formula). Besides the sanitizers it checks that
//  - a compilation ends with no message or one of the compiler's own messages;
//  - a refused formula leaves no program (Run gives 0);
//  - a program gives the same value, bit for bit, on every run with the same values,
//    and the same as a second compilation of the text made after another formula
//    (a program must not depend on the compiler's shared working state);
//  - its native code and the interpreter give the same value and raise the same
//    floating-point flags;
//  - EvalConstant agrees with a compilation under the default list;
//  - a curve of the formula, its product with its sine and its cosine less its sine
//    (whose joint program shares the formula and the reduction of the pair) gives the
//    same points and flags as the same formulas run one by one.
#include <cfenv>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "formula/Curve.h"
#include "formula/FunPars.h"
#include "formula/FunParsInternal.h"

namespace {

constexpr int VariableSlots = 11;
constexpr int ValueSets = 16;

// Values worth trying in every slot: the guards' limits, the extended range's ends,
// a subnormal, numbers around the poles and branch points of the functions.
constexpr long double Specials[] = {
    0.0L,     1.0L,     -1.0L,   0.5L,    -0.5L,    2.0L,  3.1415926535897932385L, 1.5707963267948966192L,
    1e300L,   -1e300L,  1e-300L, 1000.0L, -1000.0L, 1e20L, 1e4000L,                -1e4000L,
    LDBL_MAX, -LDBL_MAX, LDBL_MIN, LDBL_TRUE_MIN, 9.2233720368547758e18L, 710.0L, 11356.0L, 1e-5L,
};
constexpr int SpecialCount = sizeof(Specials) / sizeof(Specials[0]);

[[noreturn]] void Finding(const char* what, const std::string& formula) {
  std::fprintf(stderr, "finding: %s\nformula: %.200s\n", what, formula.c_str());
  std::abort();
}

// Same bits, or both NaN (a NaN's payload may differ between two paths).
bool SameValue(long double a, long double b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  return std::memcmp(&a, &b, 10) == 0;
}

// What the inputs came to, printed when the fuzzer ends.
struct TTally {
  long Refused = 0, Interpreted = 0, Native = 0;
} Tally;

void PrintTally() {
  std::fprintf(stderr, "formulas: %ld refused, %ld interpreted only, %ld with native code\n", Tally.Refused,
               Tally.Interpreted, Tally.Native);
}

constexpr int CheckedFlags = FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW;

// The value of `run` and the flags it raised.
template <class Run>
long double Flagged(Run run, int& flags) {
  std::feclearexcept(FE_ALL_EXCEPT);
  const long double value = run();
  flags = std::fetestexcept(CheckedFlags);
  return value;
}

bool IsCompilerMessage(const std::string& message) {
  for (int code = 1; code <= 11; ++code)
    if (message == FunParsWork::CompileMessages[code]) return true;
  return false;
}

// A small generator seeded from the input, so that a crash reproduces from its file.
struct TValues {
  explicit TValues(const std::uint8_t* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) state = (state ^ data[i]) * 1099511628211ull;
  }
  std::uint64_t Next() {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return state >> 11;
  }
  // Set j: the first sets give every slot the same special value, the others mix
  // specials with random reals of any magnitude and sign.
  void Fill(int j, long double* v) {
    for (int k = 0; k < VariableSlots; ++k) {
      if (j < SpecialCount / 2) {
        v[k] = Specials[(j * 2 + k % 2) % SpecialCount];
      } else if (Next() % 3 == 0) {
        v[k] = Specials[Next() % SpecialCount];
      } else {
        const long double mantissa = static_cast<long double>(Next() % 2000000) / 1000000.0L - 1.0L;
        v[k] = std::ldexp(mantissa, static_cast<int>(Next() % 2100) - 1050);
      }
    }
  }
  std::uint64_t state = 14695981039346656037ull;
};

// The curve of `text` described above, joined (or not) after compiling it with `list`;
// false when a formula does not compile.
bool CompileCurve(FunPars::TCurve& curve, const std::string& text, const std::string& list, bool joined) {
  const std::string texts[3] = {text, "sin(" + text + ")*(" + text + ")", "cos(" + text + ")-sin(" + text + ")"};
  TOpCodeFunctionExtended* formulas[3] = {&curve.X, &curve.Y, &curve.Z};
  std::string message;
  for (int k = 0; k < 3; ++k) {
    formulas[k]->Compile(texts[k], list, message);
    if (!message.empty()) return false;
  }
  if (joined) FunPars::JoinCurve(curve);
  return true;
}

void CheckJointCurve(const std::string& text, const std::string& list, TValues& generator) {
  FunPars::TCurve joined, apart;
  if (!CompileCurve(joined, text, list, true) || !CompileCurve(apart, text, list, false)) return;
  const bool threeVariables = list.size() == 3;
  if (joined.Joint.BuiltFrom(joined.X, joined.Y, joined.Z) != threeVariables) Finding("a curve joined wrongly", text);
  long double values[VariableSlots];
  for (int j = 0; j < ValueSets; ++j) {
    generator.Fill(j, values);
    TVector3 points[2];
    int flags[2];
    FunPars::TCurve* curves[2] = {&joined, &apart};
    for (int k = 0; k < 2; ++k) {
      curves[k]->P = values[1];
      curves[k]->Q = values[2];
      Flagged([&] {
        FunPars::EvalCurve(*curves[k], values[0], points[k]);
        return 0.0L;
      }, flags[k]);
    }
    if (!SameValue(points[0].x, points[1].x) || !SameValue(points[0].y, points[1].y) ||
        !SameValue(points[0].z, points[1].z) || flags[0] != flags[1])
      Finding("the joint program and the formulas one by one differ", text);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::atexit(PrintTally);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::size_t split = input.find('\n');
  const std::string list = split == std::string::npos ? "" : input.substr(0, split);
  const std::string text = split == std::string::npos ? input : input.substr(split + 1);

  TOpCodeFunctionExtended first, other, second;
  std::string message;
  first.Compile(text, list, message);
  if (!message.empty() && !IsCompilerMessage(message)) Finding("a message the compiler does not have", text);
  if (first.Source() != text) Finding("Source is not the text given", text);

  long double values[VariableSlots];
  TValues generator(data, size);
  ++(!message.empty() ? Tally.Refused : first.Native() ? Tally.Native : Tally.Interpreted);
  if (!message.empty()) {
    generator.Fill(0, values);
    if (first.Compiled() || first.Run(values) != 0) Finding("a refused formula left a program", text);
  } else {
    // Another compilation between the two leaves other working state behind.
    std::string otherMessage, secondMessage;
    other.Compile("sin(t)^3 + 2 p q - 1/(q+1)", "tpq", otherMessage);
    second.Compile(text, list, secondMessage);
    if (!otherMessage.empty() || !secondMessage.empty()) Finding("a second compilation failed", text);
    for (int j = 0; j < ValueSets; ++j) {
      generator.Fill(j, values);
      int nativeFlags = 0, interpretedFlags = 0;
      const long double a = Flagged([&] { return first.Run(values); }, nativeFlags);
      const long double b = Flagged([&] { return first.Evaluate(values); }, interpretedFlags);
      if (!SameValue(a, b) || nativeFlags != interpretedFlags) Finding("native code and interpreter differ", text);
      if (!SameValue(a, first.Run(values))) Finding("two runs differ", text);
      if (!SameValue(a, second.Run(values))) Finding("two compilations differ", text);
    }
    CheckJointCurve(text, list, generator);
  }

  // A limit field: no variables at all.
  std::string constantMessage, defaultMessage;
  const long double constant = FunPars::EvalConstant(text, constantMessage);
  TOpCodeFunctionExtended withDefaults;
  withDefaults.Compile(text, "", defaultMessage);
  if (constantMessage.empty()) {
    if (!defaultMessage.empty() || withDefaults.ReadsVariables() || !SameValue(constant, withDefaults.Run(nullptr)))
      Finding("EvalConstant disagrees with the formula compiled without a list", text);
  } else if (!IsCompilerMessage(constantMessage) || constant != 0) {
    Finding("EvalConstant refused without a compiler message or with a value", text);
  }
  return 0;
}
