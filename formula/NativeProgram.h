// Native x86-64 code for formula programs: the x87 instruction sequence of every
// postfix token, in the order Operations.h documents, so that it computes the same
// bits and raises the same floating-point flags as the program interpreter.
#pragma once

#include <cstddef>
#include <string>

class TNativeProgram {
 public:
  // The program: called with the address of the variable values (one long double per
  // variable of the list, in order), leaves its result in st(0).
  using TEntry = long double (*)(const long double* vars);

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

  // Releases the code; Entry becomes null.
  void Clear();

  // The entry of the code, null when there is none.
  TEntry Entry() const { return entry_; }

  // Bytes of machine code and literals.
  std::size_t Size() const { return size_; }

 private:
  void* pages_ = nullptr;  // mapped read-write while written, then read-execute only
  std::size_t length_ = 0;
  std::size_t size_ = 0;
  TEntry entry_ = nullptr;
};
