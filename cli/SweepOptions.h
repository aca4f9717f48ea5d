// The command line of wendrix-cli sweep, read in one place.
#pragma once

#include <QStringList>
#include <optional>
#include <string>

#include "app/core/Sweep.h"
#include "cli/DrawOptions.h"

struct TSweepOptions {
  TDrawOptions Draw;                  // curve file, field texts, fixed p or q, seed, drags
  std::optional<Sweep::TRange> P, Q;  // the swept ranges; at least one is given
  std::string CsvFile, GifFile, FramesDir, PlotFile;  // empty when not asked for
  bool WithSquare = false;  // frames show the parameter square beside the hull
  int Jobs = 1;
};

// Most drawing processes a sweep runs at once.
inline constexpr int MaxJobs = 64;

// Reads the arguments after "sweep". Error: `message` says what is wrong (a malformed
// or too long range, no range, an option of draw that makes no sense here) and `usage`
// holds the usage text; Help: `usage` holds it.
TParseOutcome ParseSweepOptions(const QStringList& arguments, TSweepOptions& options, std::string& message,
                                std::string& usage);
