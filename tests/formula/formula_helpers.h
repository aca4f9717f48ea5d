// Helpers for the formula compiler's tests: each runs the compiler and shows one step.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formula/FunPars.h"
#include "formula/FunParsInternal.h"

namespace FormulaTest {

// The message code of compiling `text` with `variables` (0 when it compiled).
inline int ErrorOf(const std::string& text, const std::string& variables = "tpq") {
  TOpCodeFunctionExtended f;
  std::string message;
  f.Compile(text, variables, message);
  for (int code = 0; code < 12; ++code)
    if (message == FunParsWork::CompileMessages[code]) return code;
  ADD_FAILURE() << "unknown message " << message;
  return -1;
}

// The working state of compiling `text`, and the message of a failed compilation.
inline FunParsWork::TWorkState Translated(const std::string& text, const std::string& variables,
                                          std::string& message) {
  FunParsWork::TWorkState work;
  std::vector<long double> constants;
  std::size_t cost = 0;
  const int code = FunParsWork::TranslateFormula(text, variables, work, constants, cost);
  message = FunParsWork::CompileMessages[code];
  return work;
}

// The token string of `text` after power rewriting ("{k}" for operand k), or the
// message of a failed compilation.
inline std::string Rewritten(const std::string& text, const std::string& variables = "tpq") {
  std::string message;
  const FunParsWork::TWorkState work = Translated(text, variables, message);
  return message.empty() ? FunParsWork::TokenDisplay(work.TokenString) : message;
}

// The postfix text of `text`, or the message of a failed compilation.
inline std::string Postfix(const std::string& text, const std::string& variables = "tpq") {
  std::string message;
  const FunParsWork::TWorkState work = Translated(text, variables, message);
  return message.empty() ? FunParsWork::TokenDisplay(work.PostfixText) : message;
}

// The value of `text` compiled with "tpq" at the given t, p and q.
inline long double Eval(const std::string& text, long double t = 0, long double p = 0, long double q = 0) {
  TOpCodeFunctionExtended f;
  std::string message;
  f.Compile(text, "tpq", message);
  EXPECT_EQ(message, "") << text;
  const long double vars[3] = {t, p, q};
  return f.Run(vars);
}

}  // namespace FormulaTest
