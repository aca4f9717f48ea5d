// Native x86-64 code for formula programs: the x87 instruction sequence of every
// postfix token, in the order Operations.h documents, so that it computes the same
// bits and raises the same floating-point flags as the program interpreter.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class TNativeProgram {
 public:
  // The program: called with the address of the variable values (one long double per
  // variable of the list, in order), leaves its result in st(0).
  using TEntry = long double (*)(const long double* vars);

  // A sequence of programs (EmitSequence): called with the variable values, which the
  // programs may also write, and the outputs.
  using TSequenceEntry = void (*)(long double* vars, long double* outputs);

  // One program of a sequence and where its value goes: variable value `Index`, output
  // `Index`, or (SineAndCosine) its sine to variable value `Index` and its cosine to
  // `Index` + 1. Indexes count from 0.
  struct TStep {
    enum class ETarget : std::uint8_t { Variable, Output, SineAndCosine };
    std::u16string Postfix;
    ETarget Target = ETarget::Variable;
    int Index = 0;
  };

  // The most values the code keeps in memory below the stack top at once, when a
  // formula holds more than the eight x87 registers.
  static constexpr int MaxSpilled = 255;

  TNativeProgram() = default;
  TNativeProgram(const TNativeProgram&) = delete;
  TNativeProgram& operator=(const TNativeProgram&) = delete;
  ~TNativeProgram() { Clear(); }

  // Builds the code of a postfix token string (see FunParsInternal.h) whose operand
  // references up to `variableCount` are variables and the others slots of
  // `constants` (copied into the code). Returns false and holds no code when the
  // formula would spill more than MaxSpilled values, when the token string is not a
  // well-formed program, or when the system refuses executable memory.
  bool EmitProgram(const std::u16string& postfix, const long double* constants, int variableCount);

  // Builds the code of `steps` run in order, each storing its value where it says, with
  // operand references and constants as for EmitProgram; a step reads the variable
  // values the steps before it wrote. Returns false and holds no code as EmitProgram
  // does, also when a step is not a well-formed program.
  bool EmitSequence(const std::vector<TStep>& steps, const long double* constants, int variableCount);

  // Releases the code; Entry and SequenceEntry become null.
  void Clear();

  // The entry of the code EmitProgram built, null when there is none.
  TEntry Entry() const { return entry_; }

  // The entry of the code EmitSequence built, null when there is none.
  TSequenceEntry SequenceEntry() const { return sequence_; }

  // Bytes of machine code and literals.
  std::size_t Size() const { return size_; }

 private:
  // Takes over code pages (none: null).
  void Keep(void* pages, std::size_t length, std::size_t size);

  void* pages_ = nullptr;  // mapped read-write while written, then read-execute only
  std::size_t length_ = 0;
  std::size_t size_ = 0;
  TEntry entry_ = nullptr;
  TSequenceEntry sequence_ = nullptr;
};
