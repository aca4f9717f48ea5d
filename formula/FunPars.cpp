// The compiled-formula object, the constant evaluator and the native-code switch.
#include "formula/FunPars.h"

#include <atomic>

#include "formula/FunParsInternal.h"
#include "formula/X87.h"

namespace X87 {

namespace {

TConstants LoadConstants() {
  TConstants c;
  c.Pi = Fldpi();
  c.HalfPi = c.Pi * 0.5L;
  c.TwoPi = c.Pi + c.Pi;
  c.Log2E = Fldl2e();
  c.Ln2 = Fldln2();
  return c;
}

}  // namespace

// Loaded when the program starts, so that formulas run correctly whenever they run.
const TConstants Shared = LoadConstants();

}  // namespace X87

namespace FunParsWork {

const char* const CompileMessages[12] = {
    "",
    "There is a miswritten number.",
    "You did use a character not allowed.",
    "Some function or variable was miswritten.",
    "Check, please, the parentheses.",
    "I cannot cope with so much constants.",
    "There is a sintax defect in the formula.",
    "Sorry: I cannot understand that formula.",
    "This is an expression too long.",
    "Perhaps you forgot to write something.",
    "The independent variables must be: ",
    "The allowed variables must be in the range 'p' to 'z'",
};

namespace {

const char* const DefaultVariables = "PQRSTUVWXYZ";

// `variables` in upper case, or the default list when empty; false for a list that
// is too long or names another letter.
bool VariableList(const std::string& variables, std::string& list) {
  if (variables.empty()) {
    list = DefaultVariables;
    return true;
  }
  // Eleven letters are all there are; a longer list can only repeat them.
  if (variables.size() > 11) return false;
  list.clear();
  for (const char c : variables) {
    const char upper = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    if (upper < 'P' || upper > 'Z') return false;
    list += upper;
  }
  return true;
}

}  // namespace

int TranslateFormula(const std::string& text, const std::string& variables, TWorkState& work,
                     std::vector<long double>& constants, std::size_t& cost) {
  work = TWorkState();
  constants.assign(8, 0.0L);
  if (!VariableList(variables, work.VariableList)) return BadVariableList;
  work.VariableCount = static_cast<int>(work.VariableList.size());
  int code = NormalizeFormula(text, work.NormalText);
  if (code == NoError)
    code = TokenizeFormula(work.NormalText, work.VariableList, constants, work.ConstantCount, work.TokenString);
  if (code == NoError && work.TokenString.size() > MaxTokens) code = TooLong;
  if (code == NoError) code = CheckSyntax(work.TokenString);
  if (code == NoError) code = RewritePowers(work.TokenString, constants, work.VariableCount);
  if (code == NoError) work.PostfixText = ToPostfix(work.TokenString);
  if (code == NoError) cost = ProgramWork(work.PostfixText);
  if (code == NoError && cost > FunPars::MaxCurveWork) code = TooLong;
  return code;
}

}  // namespace FunParsWork

using namespace FunParsWork;

void TOpCodeFunctionExtended::Compile(const std::string& text, const std::string& variables, std::string& message) {
  message.clear();
  Clear();  // a failed compilation leaves no program behind
  source_ = text;
  TWorkState work;
  std::size_t cost = 0;
  const int code = TranslateFormula(text, variables, work, Constants, cost);
  if (code != NoError) {
    message = CompileMessages[code];
    return;
  }
  cost_ = cost;
  postfix_ = work.PostfixText;
  variableCount_ = work.VariableCount;
  Code.Emit(work.PostfixText, Constants.data(), work.VariableCount);
  if (FunPars::NativeCodeEnabled() && NativeCode.EmitProgram(work.PostfixText, Constants.data(), work.VariableCount))
    Entry = NativeCode.Entry();
}

const std::string& TOpCodeFunctionExtended::Source() const { return source_; }

void TOpCodeFunctionExtended::Clear() {
  ++version_;
  source_.clear();
  postfix_.clear();
  variableCount_ = 0;
  Code.Clear();
  NativeCode.Clear();
  Entry = nullptr;
  cost_ = 0;
  Constants.clear();
  Constants.shrink_to_fit();
}

namespace FunPars {

namespace {

// A switch for the bench and the tests that compare native code with the interpreter;
// the program itself never turns native code off. Process-wide rather than an argument
// of Compile because the compiles it must reach are the ones inside the input reading
// (LeeDatos), which no front end should pass it through; atomic, as any thread may
// compile.
std::atomic<bool> NativeEnabled{true};

}  // namespace

long double EvalConstant(const std::string& text, std::string& message) {
  TOpCodeFunctionExtended formula;
  formula.Compile(text, "", message);
  if (!message.empty()) return 0;
  // A limit names no variable: nothing would give it a value.
  if (formula.ReadsVariables()) {
    message = CompileMessages[BadName];
    return 0;
  }
  return formula.Run(nullptr);
}

void UseNativeCode(bool enabled) { NativeEnabled.store(enabled, std::memory_order_relaxed); }

bool NativeCodeEnabled() { return NativeEnabled.load(std::memory_order_relaxed); }

}  // namespace FunPars
