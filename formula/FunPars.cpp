// The compiled-formula object and the unit's start-up.
#include "formula/FunPars.h"

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
TConstants Shared = LoadConstants();

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

TWorkState Work;

namespace {

const char* const DefaultVariables = "PQRSTUVWXYZ";

// The steps of a compilation after the variable list is set; 0 or an error code, and
// the program's work.
int Translate(const std::string& text, std::vector<long double>& constants, std::size_t& work) {
  int code = NormalizeFormula(text, Work.NormalText);
  if (code == NoError)
    code = TokenizeFormula(Work.NormalText, Work.VariableList, constants, Work.ConstantCount, Work.TokenString);
  if (code == NoError && Work.TokenString.size() > MaxTokens) code = TooLong;
  if (code == NoError) code = CheckSyntax(Work.TokenString);
  if (code == NoError) code = RewritePowers(Work.TokenString, constants, Work.VariableCount);
  if (code == NoError) Work.PostfixText = ToPostfix(Work.TokenString);
  if (code == NoError) work = ProgramWork(Work.PostfixText);
  if (code == NoError && work > FunPars::MaxCurveWork) code = TooLong;
  return code;
}

}  // namespace

}  // namespace FunParsWork

using namespace FunParsWork;

void TOpCodeFunctionExtended::Compile(const std::string& text, const std::string& variables, std::string& message) {
  message.clear();
  source_ = text;
  Code.Clear();  // a failed compilation leaves no program behind
  NativeCode.Clear();
  Entry = nullptr;
  cost_ = 0;
  if (variables.empty()) {
    Work.VariableList = DefaultVariables;
  } else {
    // Eleven letters are all there are; a longer list can only repeat them.
    if (variables.size() > 11) {
      message = CompileMessages[BadVariableList];
      return;
    }
    std::string list;
    for (const char c : variables) {
      const char upper = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
      if (upper < 'P' || upper > 'Z') {
        message = CompileMessages[BadVariableList];
        return;
      }
      list += upper;
    }
    Work.VariableList = list;
  }
  Work.VariableCount = static_cast<int>(Work.VariableList.size());
  Work.NormalText.clear();
  Work.TokenString.clear();
  Work.PostfixText.clear();
  Constants.assign(8, 0.0L);
  Work.ConstantCount = 0;
  std::size_t work = 0;
  const int code = Translate(text, Constants, work);
  if (code != NoError) {
    message = CompileMessages[code];
    return;
  }
  cost_ = work;
  Code.Emit(Work.PostfixText, Constants.data(), Work.VariableCount);
  if (FunPars::NativeCodeEnabled() && NativeCode.EmitProgram(Work.PostfixText, Constants.data(), Work.VariableCount))
    Entry = NativeCode.Entry();
}

const std::string& TOpCodeFunctionExtended::Source() const { return source_; }

void TOpCodeFunctionExtended::Clear() {
  source_.clear();
  Code.Clear();
  NativeCode.Clear();
  Entry = nullptr;
  cost_ = 0;
  Constants.clear();
  Constants.shrink_to_fit();
}

namespace FunPars {

namespace {

bool Initialized = false;
bool NativeEnabled = true;

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

void UseNativeCode(bool enabled) { NativeEnabled = enabled; }

bool NativeCodeEnabled() { return NativeEnabled; }

void Initialize() {
  if (Initialized) return;
  Initialized = true;
}

void Finalize() {
  if (!Initialized) return;
  Initialized = false;
  Work = TWorkState();
}

}  // namespace FunPars
