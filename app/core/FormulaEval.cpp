#include "app/core/FormulaEval.h"

#include <charconv>

#include "formula/FunPars.h"

namespace FormulaEval {

namespace {

char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

bool ParseValue(const std::string& text, long double& value) {
  std::size_t start = 0;
  bool negative = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    start = 1;
  }
  const char* first = text.data() + start;
  const char* last = text.data() + text.size();
  if (first == last || *first == '+' || *first == '-') return false;
  const auto [end, error] = std::from_chars(first, last, value, std::chars_format::fixed);
  if (error != std::errc() || end != last) return false;
  if (negative) value = -value;
  return true;
}

std::string VariableLetters(const std::optional<std::string>& list) {
  return !list ? "" : list->empty() ? "PQRSTUVWXYZ" : *list;
}

std::size_t VariableSlot(const std::string& letters, char name) {
  for (std::size_t slot = 0; slot < letters.size(); ++slot)
    if (UpperAscii(letters[slot]) == UpperAscii(name)) return slot;
  return std::string::npos;
}

long double Evaluate(const std::string& formula, const std::optional<std::string>& list,
                     std::vector<long double> values, std::string& message) {
  message.clear();
  if (!list) return FunPars::EvalConstant(formula, message);
  const std::string letters = VariableLetters(list);
  values.resize(letters.size(), 0.0L);
  TOpCodeFunctionExtended compiled;
  compiled.Compile(formula, letters, message);
  return message.empty() ? compiled.Run(values.data()) : 0.0L;
}

}  // namespace FormulaEval
