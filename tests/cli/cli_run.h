// Runs the built wendrix-cli as a user would (or `program`, a shell that starts it) and
// collects what it answered.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

struct TRun {
  int Status = -1;  // -1 when the program did not end normally in time
  QString Out, Err;
};

inline TRun RunWendrixCli(const QString& command, const QStringList& arguments, int timeoutMs,
                          const QString& program = WENDRIX_CLI) {
  QProcess process;
  process.start(program, QStringList{command} + arguments);
  TRun run;
  if (!process.waitForFinished(timeoutMs) || process.exitStatus() != QProcess::NormalExit) return run;
  run.Status = process.exitCode();
  run.Out = QString::fromUtf8(process.readAllStandardOutput());
  run.Err = QString::fromUtf8(process.readAllStandardError());
  return run;
}
