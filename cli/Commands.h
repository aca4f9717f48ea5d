// The commands of wendrix-cli. Each takes the arguments after its name and returns
// the process exit status.
#pragma once

#include <QStringList>

// Exit statuses shared by the commands.
enum ExitStatus { ExitOk = 0, ExitRefused = 1, ExitUsage = 2, ExitFailed = 3 };

// wendrix-cli draw: the window's drawing sequence without a display.
int RunDraw(const QStringList& arguments);

// wendrix-cli sweep: draws the curve at many values of p and q in one view; writes a
// table of the hull's measures, an animated GIF, PNG frames and a plot.
int RunSweep(const QStringList& arguments);

// wendrix-cli eval: compiles one formula and prints its value.
int RunEval(const QStringList& arguments);

// wendrix-cli bench: times formula evaluation, drawings and drag steps; prints a table.
int RunBench(const QStringList& arguments);
