// Unit FunPars: the formula compiler and the curve evaluator.
//
// A formula text in the program's notation (case-insensitive, implicit products, "**"
// and "^" powers, 42 function spellings, PI) is compiled with a list of variable
// letters into a straight-line program over extended reals, which is then run as
// often as needed without any parsing or allocation.
#pragma once

#include <string>
#include <vector>

#include "formula/Program.h"
#include "formula/Vector3.h"

class TOpCodeFunctionExtended {
 public:
  TOpCodeFunctionExtended() = default;
  // The program holds the address of the object's own constants table: no copies.
  TOpCodeFunctionExtended(const TOpCodeFunctionExtended&) = delete;
  TOpCodeFunctionExtended& operator=(const TOpCodeFunctionExtended&) = delete;

  // Compiles `text` with the variable letters `variables` (empty: "PQRSTUVWXYZ"; at
  // most 11 letters from P to Z, either case). Returns with `message` empty on success;
  // otherwise `message` is one of the compiler's messages and the object holds no
  // program (Run gives 0) until the next successful Compile. Variable values are not
  // read here: they may be set before or after.
  void Compile(const std::string& text, const std::string& variables, std::string& message);

  // Runs the program with the variable values `vars` (one per letter of the list it was
  // compiled with, in that order; may be null when the program reads none). Guards
  // give defined values; unguarded overflow or invalid operations only raise the
  // floating-point flags. An object without a program gives 0.
  long double Run(const long double* vars) const;

  // The formula text last given to Compile.
  const std::string& Source() const;

  // Drops the program and the constants; Source becomes empty.
  void Clear();

  // True when the object holds a program (its last Compile succeeded).
  bool Compiled() const { return !Code.Empty(); }

  // True when the program reads a variable value.
  bool ReadsVariables() const { return Code.ReadsVariables(); }

 private:
  std::string source_;
  // Slot 0 holds 0 and is never read; constants occupy slots 1 and up. Replaced by
  // each Compile and never resized while a program refers to it.
  std::vector<long double> Constants;
  TProgram Code;
};

namespace FunPars {

// The three coordinate formulas of the curve, compiled with the variables "tpq".
extern TOpCodeFunctionExtended FormulaX, FormulaY, FormulaZ;

// Variable values shared by the three formulas: [0] t, [1] p, [2] q.
extern long double FormulaVars[3];

// The curve point at t: writes t into FormulaVars[0], then runs FormulaX, FormulaY
// and FormulaZ in that order with FormulaVars. No check: a formula without a program
// gives 0 for its coordinate.
void EvalCurve(long double t, TVector3& point);

// Compiles `text` as a formula without a variable list and runs it. Returns the value
// with `message` empty, or 0 with the compiler's message. A limit has no variables:
// a formula that reads one of the letters P to Z is refused with message 3.
long double EvalConstant(const std::string& text, std::string& message);

// Unit start-up (the three formulas without programs) and shut-down (their programs
// released); a second start-up without a shut-down between, or the reverse, does
// nothing. Compile and Run do not depend on them.
void Initialize();
void Finalize();

}  // namespace FunPars
