// One formula evaluated on its own, as wendrix-cli eval and the Python module's eval
// offer it: compiled in the window's notation with a list of variables, then run once.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace FormulaEval {

// A plain decimal number with '.' ("-2", "0.25", "+3.", ".5"), whatever the locale; no
// exponent, no blanks. False for anything else.
bool ParseValue(const std::string& text, long double& value);

// The variables' letters: none without a list, "PQRSTUVWXYZ" (the compiler's default)
// for an empty list, else the list itself.
std::string VariableLetters(const std::optional<std::string>& list);

// The slot of the variable `name` among `letters`, either case, the first of a repeated
// letter; std::string::npos when it is none of them.
std::size_t VariableSlot(const std::string& letters, char name);

// The value of `formula`, or the compiler's message in `message` (the value is then 0).
// Without a list it is read as a limit field is (a constant); with one, `values` holds
// one value per letter of VariableLetters(list) (missing trailing ones are 0).
long double Evaluate(const std::string& formula, const std::optional<std::string>& list,
                     std::vector<long double> values, std::string& message);

}  // namespace FormulaEval
