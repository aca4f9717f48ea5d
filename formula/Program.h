// The compiled form of a formula: a straight-line list of stack operations whose
// operand addresses are fixed when it is built, run without parsing, lookup or
// allocation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class TProgram {
 public:
  // Builds the program of a postfix token string (see FunParsInternal.h). Operand
  // references up to `variableCount` read the run's variable values; the others read
  // `constants`, which must neither move nor change size while the program exists.
  void Emit(const std::u16string& postfix, const long double* constants, int variableCount);

  // Drops the program; Run then gives 0.
  void Clear();

  bool Empty() const { return operations_.empty(); }

  // The value of the program for the variable values `vars` (one per variable of the
  // list it was compiled with); 0 for an empty program.
  long double Run(const long double* vars) const;

  // True when some operation reads a variable.
  bool ReadsVariables() const;

 private:
  // What one operation does, with a the value below the top and b (or x) the top:
  //   Push: fld of a variable or constant; PushOne: fld1; PushPi: the fldpi value.
  //   Add: a + b (fadd); Subtract: a - b (fsub); Multiply: a times b (fmul);
  //   Divide: SafeDivide(a, b); Power: the base is the top, the exponent below it:
  //   FormulaOps::Power(b, a); Negate: fchs; the function codes: FormulaOps.
  // The "Memory" forms take the top operand (for Power the base) straight from a
  // variable or constant, in place of a Push followed by the operator; the arithmetic
  // is the same, so is the value.
  enum class EKind : std::uint8_t {
    Push, PushOne, PushPi,
    Add, Subtract, Multiply, Divide, Power,
    AddMemory, SubtractMemory, MultiplyMemory, DivideMemory, PowerMemory,
    Negate,
    Cosine, Sine, Exponential, Square, SquareRoot, Logarithm, Tangent, HypSine, HypCosine, HypTangent,
    ArcSine, ArcCosine, ArcTangent, Absolute, Cotangent, ArgCosh, ArgTanh, ArgSinh,
  };

  // Base 0 is the variable values of the run, base 1 the constants table.
  struct TOperation {
    EKind Kind;
    std::uint8_t Base = 0;
    std::uint32_t Index = 0;
  };

  // Values kept on the machine stack of Run when the program needs no more.
  static constexpr std::size_t LocalDepth = 32;

  std::vector<TOperation> operations_;
  const long double* constants_ = nullptr;
  std::size_t depth_ = 0;  // the most values on the stack at once
};
