// wendrix-cli: the headless front end. It runs the same input check and drawing
// sequence as the window and writes what they computed.
#include <QGuiApplication>
#include <cstdio>
#include <memory>
#include <string_view>

#include "cli/Commands.h"

namespace {

int Usage() {
  std::fputs(
      "usage: wendrix-cli draw [options]   draw a curve, see wendrix-cli draw --help\n"
      "       wendrix-cli sweep [options]  draw at many values of p, q; see wendrix-cli sweep --help\n"
      "       wendrix-cli eval [--vars LIST] FORMULA [NAME=VALUE ...]\n"
      "       wendrix-cli bench [--runs N]   timings of formulas, drawings and drag steps\n",
      stderr);
  return ExitUsage;
}

// The GUI application's start-up warns about session settings a display-less run does
// not need (XDG_RUNTIME_DIR); stderr is kept for the command's own messages.
void DropNotices(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(message));
}

}  // namespace

int main(int argc, char** argv) {
  // The sweep's plot draws text, which needs the font database of a GUI application; it
  // never opens a window, so it runs on the display-less platform.
  const bool sweep = argc > 1 && std::string_view(argv[1]) == "sweep";
  if (sweep) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(DropNotices);
  }
  const std::unique_ptr<QCoreApplication> app =
      sweep ? std::make_unique<QGuiApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
  QStringList arguments = app->arguments();
  arguments.removeFirst();
  if (arguments.isEmpty()) return Usage();
  const QString command = arguments.takeFirst();
  if (command == "draw") return RunDraw(arguments);
  if (command == "sweep") return RunSweep(arguments);
  if (command == "eval") return RunEval(arguments);
  if (command == "bench") return RunBench(arguments);
  return Usage();
}
