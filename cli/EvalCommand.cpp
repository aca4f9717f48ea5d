// wendrix-cli eval: compiles one formula in the window's notation with a list of
// variables, evaluates it with the values given and prints the value or the
// compiler's message.
#include <charconv>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "formula/FunPars.h"

namespace {

const char* const EvalUsage =
    "usage: wendrix-cli eval [--vars LIST] FORMULA [NAME=VALUE ...]\n"
    "  Without --vars the formula is read as a limit field is (no variables).\n"
    "  NAME is one letter of LIST; VALUE a decimal number with '.'; unnamed variables are 0.\n";

int UsageError(const std::string& problem) {
  std::fprintf(stderr, "wendrix-cli eval: %s\n\n%s", problem.c_str(), EvalUsage);
  return ExitUsage;
}

// A plain decimal number with '.' ("-2", "0.25", "+3.", ".5"), whatever the locale.
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

char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

int RunEval(const QStringList& arguments) {
  QStringList rest = arguments;
  bool hasList = false;
  std::string list;
  if (!rest.isEmpty() && rest.first() == "--vars") {
    rest.removeFirst();
    if (rest.isEmpty()) return UsageError("--vars needs a list of variable letters");
    list = rest.takeFirst().toStdString();
    hasList = true;
    // An empty list means the compiler's default list, which then needs its values.
    if (list.empty()) list = "PQRSTUVWXYZ";
  }
  if (rest.isEmpty()) return UsageError("no formula given");
  const std::string formula = rest.takeFirst().toStdString();

  // One value per letter of the list, in its order; a repeated letter sets its first slot.
  std::vector<long double> values(list.size(), 0.0L);
  std::string upperList;
  for (const char c : list) upperList += UpperAscii(c);
  for (const QString& argument : rest) {
    const std::string assignment = argument.toStdString();
    const std::size_t equals = assignment.find('=');
    if (equals != 1) return UsageError("expected NAME=VALUE, got \"" + assignment + "\"");
    const std::size_t slot = upperList.find(UpperAscii(assignment[0]));
    if (!hasList || slot == std::string::npos)
      return UsageError(std::string("\"") + assignment[0] + "\" is not a variable of --vars");
    if (!ParseValue(assignment.substr(2), values[slot]))
      return UsageError("\"" + assignment.substr(2) + "\" is not a decimal number");
  }

  std::string message;
  long double value = 0;
  if (hasList) {
    TOpCodeFunctionExtended compiled;
    compiled.Compile(formula, list, message);
    if (message.empty()) value = compiled.Run(values.data());
  } else {
    value = FunPars::EvalConstant(formula, message);
  }
  if (!message.empty()) {
    std::fprintf(stderr, "%s\n", message.c_str());
    return ExitRefused;
  }
  std::printf("%.21Lg\n", value);
  return ExitOk;
}
