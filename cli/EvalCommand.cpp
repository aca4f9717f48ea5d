// wendrix-cli eval: compiles one formula in the window's notation with a list of
// variables, evaluates it with the values given and prints the value or the
// compiler's message.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "app/core/FormulaEval.h"
#include "cli/Commands.h"

namespace {

const char* const EvalUsage =
    "usage: wendrix-cli eval [--vars LIST] FORMULA [NAME=VALUE ...]\n"
    "  Without --vars the formula is read as a limit field is (no variables).\n"
    "  NAME is one letter of LIST; VALUE a decimal number with '.'; unnamed variables are 0.\n";

int UsageError(const std::string& problem) {
  std::fprintf(stderr, "wendrix-cli eval: %s\n\n%s", problem.c_str(), EvalUsage);
  return ExitUsage;
}

}  // namespace

int RunEval(const QStringList& arguments) {
  QStringList rest = arguments;
  std::optional<std::string> list;
  if (!rest.isEmpty() && rest.first() == "--vars") {
    rest.removeFirst();
    if (rest.isEmpty()) return UsageError("--vars needs a list of variable letters");
    list = rest.takeFirst().toStdString();
  }
  if (rest.isEmpty()) return UsageError("no formula given");
  const std::string formula = rest.takeFirst().toStdString();

  const std::string letters = FormulaEval::VariableLetters(list);
  std::vector<long double> values(letters.size(), 0.0L);
  for (const QString& argument : rest) {
    const std::string assignment = argument.toStdString();
    const std::size_t equals = assignment.find('=');
    if (equals != 1) return UsageError("expected NAME=VALUE, got \"" + assignment + "\"");
    const std::size_t slot = FormulaEval::VariableSlot(letters, assignment[0]);
    if (slot == std::string::npos)
      return UsageError(std::string("\"") + assignment[0] + "\" is not a variable of --vars");
    if (!FormulaEval::ParseValue(assignment.substr(2), values[slot]))
      return UsageError("\"" + assignment.substr(2) + "\" is not a decimal number");
  }

  std::string message;
  const long double value = FormulaEval::Evaluate(formula, list, values, message);
  if (!message.empty()) {
    std::fprintf(stderr, "%s\n", message.c_str());
    return ExitRefused;
  }
  std::printf("%.21Lg\n", value);
  return ExitOk;
}
