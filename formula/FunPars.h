// Unit FunPars: the formula compiler and the curve evaluator.
//
// A formula text in the program's notation (case-insensitive, implicit products, "**"
// and "^" powers, 42 function spellings, PI) is compiled with a list of variable
// letters into a straight-line program over extended reals, which is then run as
// often as needed without any parsing or allocation.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "formula/NativeProgram.h"
#include "formula/Program.h"
#include "formula/Vector3.h"

class TCurveProgram;

class TOpCodeFunctionExtended {
 public:
  TOpCodeFunctionExtended() = default;
  // The program holds the address of the object's own constants table: no copies.
  TOpCodeFunctionExtended(const TOpCodeFunctionExtended&) = delete;
  TOpCodeFunctionExtended& operator=(const TOpCodeFunctionExtended&) = delete;

  // Compiles `text` with the variable letters `variables` (empty: "PQRSTUVWXYZ"; at
  // most 11 letters from P to Z, either case; a program whose Cost exceeds
  // FunPars::MaxCurveWork is refused). Returns with `message` empty on success;
  // otherwise `message` is one of the compiler's messages and the object holds no
  // program (Run gives 0) until the next successful Compile. Variable values are not
  // read here: they may be set before or after.
  void Compile(const std::string& text, const std::string& variables, std::string& message);

  // Runs the program with the variable values `vars` (one per letter of the list it was
  // compiled with, in that order; may be null when the program reads none): its native
  // code when it has some, else the interpreter, with the same value and flags. Guards
  // give defined values; unguarded overflow or invalid operations only raise the
  // floating-point flags. An object without a program gives 0.
  long double Run(const long double* vars) const { return Entry ? Entry(vars) : Code.Run(vars); }

  // Runs the program in the interpreter, whether or not it has native code.
  long double Evaluate(const long double* vars) const { return Code.Run(vars); }

  // True when the program runs as native code.
  bool Native() const { return Entry != nullptr; }

  // The formula text last given to Compile.
  const std::string& Source() const;

  // Drops the program and the constants; Source becomes empty.
  void Clear();

  // True when the object holds a program (its last Compile succeeded).
  bool Compiled() const { return !Code.Empty(); }

  // True when the program reads a variable value.
  bool ReadsVariables() const { return Code.ReadsVariables(); }

  // The estimated time of one run in nanoseconds (see FunPars::MaxCurveWork); 0 without
  // a program.
  std::size_t Cost() const { return cost_; }

 private:
  // Reads the postfix text, the constants and the version to compile three formulas
  // into one program.
  friend class TCurveProgram;

  std::string source_;
  std::size_t cost_ = 0;
  std::u16string postfix_;  // the program's postfix token string (FunParsInternal.h)
  int variableCount_ = 0;
  // Changed by every Compile and Clear, so that a program built from this one can tell
  // that it no longer is what it was built from.
  std::uint64_t version_ = 0;
  // Slot 0 holds 0 and is never read; constants occupy slots 1 and up. Replaced by
  // each Compile and never resized while a program refers to it.
  std::vector<long double> Constants;
  TProgram Code;              // the interpreted program, always built
  TNativeProgram NativeCode;  // its native code, when there is some
  TNativeProgram::TEntry Entry = nullptr;
};

namespace FunPars {


// The most work, in estimated nanoseconds, of one curve point: one formula longer than
// this, or three whose sum is, are refused with "This is an expression too long.". A
// drawing of the default interval makes about 90,000 curve evaluations, the hardest
// curves tried about 300,000; 300,000 x 33 us keeps any accepted curve under 10 s.
inline constexpr std::size_t MaxCurveWork = 33000;

// Compiles `text` as a formula without a variable list and runs it. Returns the value
// with `message` empty, or 0 with the compiler's message. A limit has no variables:
// a formula that reads one of the letters P to Z is refused with message 3.
long double EvalConstant(const std::string& text, std::string& message);

// Whether Compile emits native code (by default it does wherever the system grants
// executable memory and the formula spills at most TNativeProgram::MaxSpilled values;
// elsewhere programs are interpreted). Formulas already compiled keep what they have.
void UseNativeCode(bool enabled);
bool NativeCodeEnabled();

}  // namespace FunPars
