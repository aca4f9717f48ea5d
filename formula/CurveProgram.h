// The three coordinate formulas of a curve compiled into one program. A subexpression
// that they hold more than once (the same tokens after the compiler's rewriting,
// constants compared by value) is computed once per curve point into a variable value
// of its own, which the formulas then read as they read t, p and q; a sine and a
// cosine of one argument come from one argument reduction. Every value is computed by
// the same operations as in the formulas run one by one, so the point has the same
// bits and raises the same floating-point flags.
#pragma once

#include <cstdint>
#include <vector>

#include "formula/FunPars.h"
#include "formula/NativeProgram.h"
#include "formula/Program.h"
#include "formula/Vector3.h"

class TCurveProgram {
 public:
  // The most variable values the shared subexpressions take (a sine and cosine pair
  // two); subexpressions beyond are computed wherever they occur.
  static constexpr int MaxShared = 32;

  TCurveProgram() = default;
  // The programs hold the address of the object's own constants table: no copies.
  TCurveProgram(const TCurveProgram&) = delete;
  TCurveProgram& operator=(const TCurveProgram&) = delete;

  // Builds the program of the formulas x, y and z, each compiled with the variables
  // "tpq", with native code when FunPars::NativeCodeEnabled() and the system grants it.
  // Holds no program when one of the three has none or another variable list.
  void Build(const TOpCodeFunctionExtended& x, const TOpCodeFunctionExtended& y, const TOpCodeFunctionExtended& z);

  // Drops the program; BuiltFrom is then false for any formulas.
  void Clear();

  // True when the program was built from x, y and z as they are compiled now: false
  // after any of them was compiled again or cleared.
  bool BuiltFrom(const TOpCodeFunctionExtended& x, const TOpCodeFunctionExtended& y,
                 const TOpCodeFunctionExtended& z) const {
    return sources_[0] == &x && sources_[1] == &y && sources_[2] == &z && versions_[0] == x.version_ &&
           versions_[1] == y.version_ && versions_[2] == z.version_;
  }

  // Variable values of a run: t, p and q, then the shared values.
  static constexpr int VariableCount = 3 + MaxShared;

  // The values of x, y and z at vars[0..2] = t, p, q into point, by the native code
  // when there is some, else by the interpreter; the same bits and flags either way.
  // vars holds VariableCount values, of which the run fills those after q. Only for a
  // program that BuiltFrom its formulas.
  void Run(long double* vars, TVector3& point) const;

  // True when Run uses native code.
  bool Native() const { return native_.SequenceEntry() != nullptr; }

  // How many variable values the shared subexpressions take (0 without a program).
  int SharedCount() const { return sharedCount_; }

 private:
  using ETarget = TNativeProgram::TStep::ETarget;

  // One interpreted program of the sequence and where its value goes, as for
  // TNativeProgram::TStep; the outputs are x, y and z.
  struct TStep {
    TProgram Code;
    ETarget Target;
    int Index;
  };

  // Slot 0 is never read; constants of all three formulas occupy slots 1 and up.
  std::vector<long double> constants_;
  std::vector<TStep> steps_;  // the shared values in the order they are needed, then x, y, z
  TNativeProgram native_;
  int sharedCount_ = 0;
  const TOpCodeFunctionExtended* sources_[3] = {};
  std::uint64_t versions_[3] = {};
};
