// Native code of formula programs against the interpreter, which is the reference: the
// same bits and the same x87 exception flags for edge formulas at special inputs, for
// random formulas, and for formulas deep enough to spill registers; the x87 stack
// left clean; the code pages never writable and executable at once; the fallbacks.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <limits>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "formula/Curve.h"
#include "formula/FunPars.h"
#include "formula/FunParsInternal.h"
#include "tests/formula/formula_random.h"

namespace {

using FormulaRandom::SameBits;

constexpr long double Inf = std::numeric_limits<long double>::infinity();
const long double NaN = std::numeric_limits<long double>::quiet_NaN();

// The six x87 exception flags (invalid, denormal, zero divide, overflow, underflow,
// precision) of the status word.
std::uint16_t X87Flags() {
  std::uint16_t status;
  asm volatile("fnstsw %0" : "=m"(status));
  return status & 0x3F;
}

void ClearX87Flags() { asm volatile("fnclex"); }

// True when every x87 register is empty (tag word all ones).
bool X87StackEmpty() {
  std::uint16_t environment[14];
  asm volatile("fnstenv %0\n\tfldenv %0" : "=m"(environment));
  return environment[4] == 0xFFFF;
}

struct TOutcome {
  long double Value;
  std::uint16_t Flags;
};

TOutcome Outcome(const TOpCodeFunctionExtended& f, const long double* vars, bool native) {
  ClearX87Flags();
  const long double v = native ? f.Run(vars) : f.Evaluate(vars);
  const std::uint16_t flags = X87Flags();
  ClearX87Flags();
  return {v, flags};
}

// Runs `f` both ways at `vars`; fails with the formula, the inputs and both outcomes
// when the values differ in a bit or the flags differ at all.
void ExpectSame(const TOpCodeFunctionExtended& f, const long double vars[3]) {
  ASSERT_TRUE(f.Native()) << f.Source();
  const TOutcome native = Outcome(f, vars, true);
  EXPECT_TRUE(X87StackEmpty()) << f.Source();
  const TOutcome interpreted = Outcome(f, vars, false);
  EXPECT_TRUE(SameBits(native.Value, interpreted.Value) && native.Flags == interpreted.Flags)
      << f.Source() << " at t=" << vars[0] << " p=" << vars[1] << " q=" << vars[2] << ": native " << native.Value
      << " flags " << native.Flags << ", interpreter " << interpreted.Value << " flags " << interpreted.Flags;
}

void Compile(TOpCodeFunctionExtended& f, const std::string& text) {
  std::string message;
  f.Compile(text, "tpq", message);
  ASSERT_EQ(message, "") << text;
}

// Inputs at and around every guard's threshold, and the values no guard expects.
std::vector<long double> SpecialInputs() {
  return {0,
          -0.0L,
          1,
          -1,
          std::nextafter(1.0L, 2.0L),
          std::nextafter(1.0L, 0.0L),
          std::nextafter(-1.0L, -2.0L),
          0.5L,
          -0.7L,
          2,
          -3.5L,
          3.14159265358979323846L,
          693,
          1000,
          std::nextafter(1000.0L, 2000.0L),
          -1000,
          std::nextafter(-1000.0L, -2000.0L),
          1e-20L,
          std::ldexp(1.0L, 20),  // the sine's own reduction ends here
          std::nextafter(std::ldexp(1.0L, 20), 0.0L),
          -std::ldexp(1.0L, 20),
          1e-4940L,  // denormal
          -1e-4940L,
          1e300L,
          1e4000L,
          -1e4000L,
          std::ldexp(1.0L, 63),
          std::ldexp(3.0L, 64),
          Inf,
          -Inf,
          NaN};
}

TEST(FormulaNative, EveryOperationAtSpecialInputsMatchesTheInterpreter) {
  const std::vector<std::string> unary = {
      "cos(t)",   "sin(t)",    "exp(t)",  "sqr(t)",    "sqrt(t)",  "ln(t)",      "tan(t)",   "sinh(t)",
      "cosh(t)",  "tanh(t)",   "asin(t)", "acos(t)",   "atan(t)",  "abs(t)",     "cot(t)",   "acosh(t)",
      "atanh(t)", "asinh(t)",  "-t",      "2^t",       "t^0.5",    "(-2)^t",     "0^t",      "1/t",
      "t^(-3)",   "t^7",       "pi t",    "exp(t)^t",  "ln(ln(t))", "sqrt(t)/cos(t)", "cos(t)/0", "0/t"};
  const std::vector<std::string> binary = {"t+p", "t-p", "t*p", "t/p", "t^p", "p^t", "atan(t/p)", "cot(t)*p"};
  const std::vector<long double> inputs = SpecialInputs();
  for (const std::string& text : unary) {
    TOpCodeFunctionExtended f;
    Compile(f, text);
    for (const long double t : inputs) {
      const long double vars[3] = {t, 0.25L, 0};
      ExpectSame(f, vars);
    }
  }
  for (const std::string& text : binary) {
    TOpCodeFunctionExtended f;
    Compile(f, text);
    for (const long double t : inputs)
      for (const long double p : inputs) {
        const long double vars[3] = {t, p, 0};
        ExpectSame(f, vars);
      }
  }
}

TEST(FormulaNative, RandomFormulasMatchTheInterpreter) {
  FormulaRandom::TGenerator generator(31337);
  std::mt19937 random(11);
  std::uniform_real_distribution<double> ordinary(-4, 4);
  const std::vector<long double> special = SpecialInputs();
  std::uniform_int_distribution<std::size_t> pick(0, special.size() - 1);
  for (int round = 0; round < 3000; ++round) {
    const auto e = generator.Make(1 + round % 8);
    TOpCodeFunctionExtended f;
    Compile(f, generator.Write(*e));
    for (int k = 0; k < 4; ++k) {
      // Mostly ordinary inputs, one variable in four a special value.
      long double vars[3];
      for (long double& v : vars) v = random() % 4 == 0 ? special[pick(random)] : ordinary(random);
      ExpectSame(f, vars);
    }
    if (HasFatalFailure() || HasFailure()) return;
  }
}

TEST(FormulaNative, SineAndCosineMatchTheInterpreterInEveryQuadrant) {
  // Every binary order up to 2^21, and the neighbours of multiples of pi/4, where the
  // quadrant and the rounding of the quotient change.
  TOpCodeFunctionExtended sine, cosine;
  Compile(sine, "sin(t)");
  Compile(cosine, "cos(t)");
  // Zeros go through the polynomials, which must give them exactly, as fsin and fcos do.
  for (const long double zero : {0.0L, -0.0L}) {
    const long double vars[3] = {zero, 0, 0};
    ExpectSame(sine, vars);
    ExpectSame(cosine, vars);
    EXPECT_TRUE(sine.Run(vars) == 0 && std::signbit(sine.Run(vars)) == std::signbit(zero));
    EXPECT_EQ(cosine.Run(vars), 1);
  }
  std::mt19937_64 random(7);
  for (int i = 0; i < 20000; ++i) {
    long double t = std::ldexp(static_cast<long double>(random() | 1ULL << 63), static_cast<int>(random() % 100) - 142);
    if (i % 2 == 1) t = std::nextafter(static_cast<long double>(random() % 4000) * 0.785398163397448309616L, 0.0L);
    const long double vars[3] = {random() & 1 ? t : -t, 0, 0};
    ExpectSame(sine, vars);
    ExpectSame(cosine, vars);
    if (HasFailure()) return;
  }
}

// The curve of `texts`, compiled with native code or without, and joined or not.
std::unique_ptr<FunPars::TCurve> Curve(const std::vector<std::string>& texts, bool native, bool joined) {
  FunPars::UseNativeCode(native);
  auto curve = std::make_unique<FunPars::TCurve>();
  TOpCodeFunctionExtended* formulas[3] = {&curve->X, &curve->Y, &curve->Z};
  for (int k = 0; k < 3; ++k) Compile(*formulas[k], texts[k]);
  if (joined) FunPars::JoinCurve(*curve);
  FunPars::UseNativeCode(true);
  return curve;
}

// EvalCurve of the joint program in native code and in the interpreter against the
// formulas interpreted one by one: the same bits and flags at every (t, p, q).
void ExpectSameCurve(const std::vector<std::string>& texts, const std::vector<std::array<long double, 3>>& inputs) {
  const auto native = Curve(texts, true, true), interpreted = Curve(texts, false, true);
  const auto oneByOne = Curve(texts, false, false);
  ASSERT_TRUE(native->Joint.Native() && !interpreted->Joint.Native()) << texts[0];
  for (const auto& [t, p, q] : inputs) {
    TOutcome outcomes[3][3];
    for (int way = 0; way < 3; ++way) {
      FunPars::TCurve& c = way == 0 ? *native : way == 1 ? *interpreted : *oneByOne;
      c.P = p;
      c.Q = q;
      TVector3 point;
      ClearX87Flags();
      FunPars::EvalCurve(c, t, point);
      const std::uint16_t flags = X87Flags();
      for (int k = 0; k < 3; ++k) outcomes[way][k] = {k == 0 ? point.x : k == 1 ? point.y : point.z, flags};
    }
    EXPECT_TRUE(X87StackEmpty());
    for (int way = 0; way < 2; ++way)
      for (int k = 0; k < 3; ++k)
        EXPECT_TRUE(SameBits(outcomes[way][k].Value, outcomes[2][k].Value) && outcomes[way][k].Flags == outcomes[2][k].Flags)
            << texts[k] << " (" << (way == 0 ? "native" : "interpreted") << ") at t=" << t << " p=" << p << " q=" << q
            << ": " << outcomes[way][k].Value << " flags " << outcomes[way][k].Flags << ", one by one "
            << outcomes[2][k].Value << " flags " << outcomes[2][k].Flags;
  }
  ClearX87Flags();
}

TEST(FormulaNative, JointCurvesMatchTheFormulasOneByOne) {
  // Shared subexpressions, sines and cosines of one argument (also of a shared value, of
  // a sine, of a constant and beyond the reduction's range), whole formulas alike, bare
  // leaves, and more shared values than the joint program holds.
  std::string sines = "0", cosines = "0";
  for (int k = 1; k <= 20; ++k) {
    sines += "+sin(" + std::to_string(k) + "t+p)";
    cosines += "-cos(" + std::to_string(k) + "t+p)";
  }
  const std::vector<std::vector<std::string>> curves = {
      {"(2+cos(21t))cos(2t)", "(2+cos(21t))sin(2t)", "sin(21t)"},
      {"cos(2t)(p+sen(3t))", "sen(2t)(p+sen(3t))", "cos(3t+q)"},
      {"cos(t)+0.15cos(13t)", "sin(t)+0.15sin(13t)", "0.6sin(2t)+0.1cos(11t)"},
      {"sin(sin(t))*cos(t^2)/q", "cos(sin(t))+sin(t^2)+exp(t)", "cos(t)/exp(t)+abs(-t)^p"},
      {"sin(t p)^2-cos(t p)", "sin(t p)^2-cos(t p)", "pi"},
      {"sin(2)+t", "cos(2)*p^t", "q"},
      {"tan(q t)+cos(q t)", "sin(q t)-cot(q t)", "cos(10^30 t)*sin(10^30 t)"},
      {"t/(t^2)+(t^2)^0.5", "exp(-(t^2))", "atan(t^2)"},  // an overflow with finite values
      {sines, cosines, "(" + sines + ")*(" + cosines + ")"}};
  std::vector<std::array<long double, 3>> inputs;
  for (const long double t : SpecialInputs())
    for (const auto& [p, q] : {std::pair{0.25L, 0.5L}, std::pair{-3.0L, 1e4000L}, std::pair{NaN, -0.0L}})
      inputs.push_back({t, p, q});
  for (const auto& texts : curves) ExpectSameCurve(texts, inputs);
  // One point from each sharing, counted by hand: 2 + cos(21t), the pairs of 21t and 2t;
  // 3t, p + sen(3t), the pair of 2t; the pairs of t and 13t.
  EXPECT_EQ(Curve(curves[0], true, true)->Joint.SharedCount(), 5);
  EXPECT_EQ(Curve(curves[1], true, true)->Joint.SharedCount(), 4);
  EXPECT_EQ(Curve(curves[2], true, true)->Joint.SharedCount(), 4);
  EXPECT_LE(Curve(curves.back(), true, true)->Joint.SharedCount(), TCurveProgram::MaxShared);

  // Random formulas around shared random parts.
  FormulaRandom::TGenerator generator(2718);
  std::mt19937 random(5);
  std::uniform_real_distribution<double> ordinary(-4, 4);
  for (int round = 0; round < 300 && !HasFailure(); ++round) {
    const std::string a = generator.Write(*generator.Make(1 + round % 4)), b = generator.Write(*generator.Make(2));
    const std::string c = generator.Write(*generator.Make(3));
    ExpectSameCurve({"(" + a + ")*cos(" + b + ")", "sin(" + b + ")-(" + a + ")/(" + c + ")", "sin(" + c + ")+(" + a + ")"},
                    {{ordinary(random), ordinary(random), ordinary(random)}, {ordinary(random), 0, 1}});
  }
}

// "t+(t+(...(t)))" with `terms` t's: right-nested, so every term is held at once.
std::string RightNested(int terms, const std::string& innermost = "t") {
  std::string text;
  for (int k = 1; k < terms; ++k) text += "t+(";
  return text + innermost + std::string(terms - 1, ')');
}

TEST(FormulaNative, SpillingKeepsEveryValue) {
  // Every function at every depth around the register count, so that each sequence
  // meets a full stack and one with a single free register.
  const long double vars[3] = {0.375L, 1.5L, -0.25L};
  for (const char* inner : {"cos(p)", "sin(p)", "exp(p)", "sqrt(p)", "ln(p)", "tan(p)", "sinh(p)", "cosh(p)",
                            "tanh(p)", "asin(q)", "acos(q)", "atan(p)", "cot(p)", "acosh(p)", "atanh(q)",
                            "asinh(q)", "p^t", "p/q", "p^q^t"}) {
    for (int depth = 5; depth <= 11; ++depth) {
      TOpCodeFunctionExtended f;
      Compile(f, RightNested(depth, inner));
      ExpectSame(f, vars);
    }
  }
  // A deep random tree spills and reloads at many places.
  FormulaRandom::TGenerator generator(5);
  std::string text = "t";
  for (int k = 0; k < 40; ++k) text = generator.Write(*generator.Make(3)) + "-(" + text + ")";
  TOpCodeFunctionExtended f;
  Compile(f, text);
  ExpectSame(f, vars);
}

TEST(FormulaNative, BeyondTwoHundredAndFiftyFiveSpilledValuesTheInterpreterRuns) {
  // n right-nested terms hold n - 1 values when the last is pushed, which needs one
  // free register: n - 8 values are spilled then.
  const long double vars[3] = {0.1L, 0, 0};
  TOpCodeFunctionExtended most, beyond;
  Compile(most, RightNested(8 + TNativeProgram::MaxSpilled));
  Compile(beyond, RightNested(9 + TNativeProgram::MaxSpilled));
  EXPECT_TRUE(most.Native());
  EXPECT_FALSE(beyond.Native());
  ExpectSame(most, vars);
  // The interpreter gives the deeper formula's value: one more t than the other.
  EXPECT_TRUE(SameBits(beyond.Run(vars), vars[0] + most.Run(vars)));
}

// The permissions of the mapping that holds `address` in /proc/self/maps ("r-xp"...).
std::string Permissions(const void* address) {
  std::ifstream maps("/proc/self/maps");
  const auto a = reinterpret_cast<std::uintptr_t>(address);
  std::string line;
  while (std::getline(maps, line)) {
    std::uintptr_t from, to;
    char dash;
    std::string permissions;
    std::istringstream fields(line);
    fields >> std::hex >> from >> dash >> to >> permissions;
    if (a >= from && a < to) return permissions;
  }
  return "";
}

TEST(FormulaNative, CodePagesAreExecutableAndNeverWritable) {
  TOpCodeFunctionExtended f;
  Compile(f, "cos(t+t)(p+sen(t))");  // no constants
  FunParsWork::TWorkState work;
  std::vector<long double> constants;
  std::size_t cost = 0;
  ASSERT_EQ(FunParsWork::TranslateFormula(f.Source(), "tpq", work, constants, cost), FunParsWork::NoError);
  TNativeProgram program;
  ASSERT_TRUE(program.EmitProgram(work.PostfixText, nullptr, 3));
  ASSERT_NE(program.Entry(), nullptr);
  EXPECT_EQ(Permissions(reinterpret_cast<const void*>(program.Entry())).substr(0, 3), "r-x");
  const long double vars[3] = {0.5L, 1.25L, 0};
  EXPECT_TRUE(SameBits(program.Entry()(vars), f.Evaluate(vars)));
  const void* entry = reinterpret_cast<const void*>(program.Entry());
  program.Clear();
  EXPECT_EQ(program.Entry(), nullptr);
  EXPECT_EQ(Permissions(entry), "");  // released
}

TEST(FormulaNative, MalformedTokenStringsGetNoCode) {
  TNativeProgram program;
  const long double constants[2] = {0, 2};
  using FunParsWork::OperandRef;
  for (const std::u16string& postfix :
       {std::u16string(), std::u16string(u"+"), std::u16string{OperandRef(1), u'+'}, std::u16string(u"A"),
        std::u16string{OperandRef(1), OperandRef(1)}, std::u16string{OperandRef(1), u'?'}}) {
    EXPECT_FALSE(program.EmitProgram(postfix, constants, 1)) << FunParsWork::TokenDisplay(postfix);
    EXPECT_EQ(program.Entry(), nullptr);
  }
  EXPECT_TRUE(program.EmitProgram({OperandRef(1), OperandRef(2), u'*'}, constants, 1));
  const long double t = 1.5L;
  EXPECT_EQ(program.Entry()(&t), 3);
}

TEST(FormulaNative, SwitchAndFailedCompilations) {
  const long double vars[3] = {2, 0, 0};
  FunPars::UseNativeCode(false);
  TOpCodeFunctionExtended interpreted;
  Compile(interpreted, "t^3 + 1");
  FunPars::UseNativeCode(true);
  EXPECT_FALSE(interpreted.Native());
  EXPECT_EQ(interpreted.Run(vars), 9);
  // A failed compilation drops the native code with the program.
  TOpCodeFunctionExtended f;
  Compile(f, "t^3 + 1");
  ASSERT_TRUE(f.Native());
  std::string message;
  f.Compile("t^", "tpq", message);
  EXPECT_NE(message, "");
  EXPECT_FALSE(f.Native());
  EXPECT_EQ(f.Run(vars), 0);
  Compile(f, "t - 1");
  EXPECT_TRUE(f.Native());
  EXPECT_EQ(f.Run(vars), 1);
  f.Clear();
  EXPECT_FALSE(f.Native());
  EXPECT_EQ(f.Run(vars), 0);
}

}  // namespace
