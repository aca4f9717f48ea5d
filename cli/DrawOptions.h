// The command line of wendrix-cli draw, read in one place.
#pragma once

#include <QStringList>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/core/CurveInput.h"
#include "render/Pictures.h"
#include "views/MueveFigura.h"

// One left-button drag in the main view from (X0, Y0) to (X1, Y1).
struct TDragStep {
  int X0 = 0, Y0 = 0, X1 = 0, Y1 = 0;
  MueveFigura::TShiftState Keys;  // Left always set; Shift and Ctrl as given
};

struct TDrawOptions {
  std::string File;  // curve file whose eleven lines come first; empty for none
  // Field texts given as options, each replacing the field it names.
  std::vector<std::pair<std::string CurveInput::TInputFields::*, std::string>> FieldTexts;
  std::optional<long double> P, Q;           // --p, --q: plain decimal numbers
  std::string PngDir, JsonFile;              // empty when not asked for
  std::string ObjFile, StlFile;              // hull mesh files; empty when not asked for
  std::optional<std::uint32_t> Seed;
  int HullSize = DefaultHullSize;  // --size: side of the main pictures; the small ones 3/4 of it
  bool Stereo = false;
  bool Quiet = false;  // no summary line on stdout
  std::vector<TDragStep> Drags;
};

// The outcome of reading the command line.
enum class TParseOutcome { Run, Help, Error };

// Reads the arguments after "draw". Error: `message` says what is wrong and `usage`
// holds the usage text; Help: `usage` holds it.
TParseOutcome ParseDrawOptions(const QStringList& arguments, TDrawOptions& options, std::string& message,
                               std::string& usage);
