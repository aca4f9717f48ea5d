// wendrix-cli: the headless front end. It runs the same input check and drawing
// sequence as the window and writes what they computed.
#include <QCoreApplication>
#include <cstdio>

#include "cli/Commands.h"

namespace {

int Usage() {
  std::fputs(
      "usage: wendrix-cli draw [options]   draw a curve, see wendrix-cli draw --help\n"
      "       wendrix-cli eval [--vars LIST] FORMULA [NAME=VALUE ...]\n"
      "       wendrix-cli bench [--runs N]   timings of formulas, drawings and drag steps\n",
      stderr);
  return ExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QStringList arguments = app.arguments();
  arguments.removeFirst();
  if (arguments.isEmpty()) return Usage();
  const QString command = arguments.takeFirst();
  if (command == "draw") return RunDraw(arguments);
  if (command == "eval") return RunEval(arguments);
  if (command == "bench") return RunBench(arguments);
  return Usage();
}
