// wendrix-cli: the headless front end. It runs the same input check and drawing
// sequence as the window and writes what they computed.
#include <fcntl.h>

#include <QGuiApplication>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>

#include "cli/Commands.h"

namespace {

const char* const UsageText =
    "usage: wendrix-cli draw [options]   draw a curve, see wendrix-cli draw --help\n"
    "       wendrix-cli sweep [options]  draw at many values of p, q; see wendrix-cli sweep --help\n"
    "       wendrix-cli eval [--vars LIST] FORMULA [NAME=VALUE ...]\n"
    "       wendrix-cli bench [--runs N]   timings of formulas, drawings and drag steps\n";

int Usage() {
  std::fputs(UsageText, stderr);
  return ExitUsage;
}

// Gives a closed standard stream /dev/null, so that no file the command opens takes its
// number (a picture would otherwise receive the text meant for standard output). True
// when standard output was closed.
bool OpenClosedStreams() {
  bool outputClosed = false;
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1) continue;
    outputClosed = outputClosed || fd == 1;
    // The lowest free number is `fd` itself, as the lower ones are open by now.
    ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
  }
  return outputClosed;
}

// The GUI application's start-up warns about session settings a display-less run does
// not need (XDG_RUNTIME_DIR); stderr is kept for the command's own messages.
void DropNotices(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(message));
}

int RunCommand(QStringList arguments) {
  if (arguments.isEmpty()) return Usage();
  const QString command = arguments.takeFirst();
  if (command == "draw") return RunDraw(arguments);
  if (command == "sweep") return RunSweep(arguments);
  if (command == "eval") return RunEval(arguments);
  if (command == "bench") return RunBench(arguments);
  if (command == "--help" || command == "-h") {
    std::fputs(UsageText, stdout);  // a failure shows when the output is flushed
    return ExitOk;
  }
  return Usage();
}

}  // namespace

int main(int argc, char** argv) {
  const bool outputClosed = OpenClosedStreams();
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
  const int status = RunCommand(arguments);
  // What a command printed must have arrived; a lost answer is a failure, not success.
  int error = 0;
  if (std::fflush(stdout) != 0)
    error = errno;
  else if (std::ferror(stdout))
    error = EIO;
  else if (outputClosed && status == ExitOk)
    error = EBADF;
  if (error == 0) return status;
  std::fprintf(stderr, "wendrix-cli: cannot write to standard output: %s\n", std::strerror(error));
  return ExitFailed;
}
