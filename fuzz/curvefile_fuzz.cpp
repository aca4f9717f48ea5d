// Fuzz target: the bytes of a curve file loaded as the window loads a dropped file
// (the file reader, the input check, the p and q placement) and, when accepted, the
// whole drawing, a drag of the view and the stereo view switched on and off.
//
// Work bound: a drawing may make at most EvaluationCeiling curve evaluations; past
// that the evaluation counter ends it with WorkLimitError, like any error that ends a
// command. That keeps one input well under a second with the sanitizers, so the
// fuzzer spends its time on many inputs instead of a few slow curves; the complete
// drawings of hostile curves, with their work counted, are the hostile-input table's
// business (tests/app/hostile_table.cpp). Loops that make no curve evaluations are
// bounded by the fuzzer's -timeout.
//
// Besides the sanitizers it checks that
//  - only the program's own errors end a command (WendrixError, or std::out_of_range
//    from a checked index);
//  - a file that is refused changes neither the fields nor the accepted input;
//  - a drawing that ends without error holds only finite numbers.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>

#include "app/Drawing.h"
#include "app/Glob.h"
#include "app/core/AppState.h"
#include "app/core/CurveFile.h"
#include "app/core/DragGate.h"
#include "geometry/SharedState.h"
#include "geometry/WorkCounters.h"
#include "render/Pictures.h"
#include "tests/support/FigureChecks.h"

namespace {

constexpr std::uint64_t EvaluationCeiling = 250000;

std::string FilePath;

// What the inputs came to, printed when the fuzzer ends.
struct TTally {
  long Refused = 0, Unchanged = 0, Drawn = 0, Failed = 0, Capped = 0;
} Tally;

void PrintTally() {
  std::fprintf(stderr, "curve files: %ld refused, %ld unchanged, %ld drawn, %ld ended by an error, %ld capped\n",
               Tally.Refused, Tally.Unchanged, Tally.Drawn, Tally.Failed, Tally.Capped);
}

[[noreturn]] void Finding(const std::string& what) {
  std::fprintf(stderr, "finding: %s\n", what.c_str());
  std::abort();
}

bool SameFields(const CurveInput::TInputFields& a, const CurveInput::TInputFields& b) {
  return a.X == b.X && a.Y == b.Y && a.Z == b.Z && a.TMin == b.TMin && a.TMax == b.TMax && a.PMin == b.PMin &&
         a.PMax == b.PMax && a.QMin == b.QMin && a.QMax == b.QMax;
}

// The drawing of `data` after an accepted load, then what a user does next with the mouse.
void DrawAndMove(Drawing::TDrawingData& data) {
  static TPictures pictures;
  TView view;
  DragGate::TGate gate;
  std::string refusal;
  if (pictures.HullBitmap.isNull() && !CreatePictures(pictures, DefaultHullSize, DefaultSmallSize, refusal))
    Finding("the default pictures were refused: " + refusal);
  Drawing::DrawFigure(data, pictures, view);
  TAppState shown;
  shown.DrawnFlag = true;
  std::string where;
  if (!FigureChecks::FigureIsFinite(data, where)) Finding("a drawing without error left a non-finite " + where);
  MueveFigura::TShiftState left;
  left.Left = true;
  DragGate::AlPisar(gate, 200, 200);
  DragGate::AlMoverHull(gate, shown, data, pictures, view, 250, 180, left);
  DragGate::MuestraAlambre(gate, shown, data, pictures, view);
  DragGate::AlMoverHull(gate, shown, data, pictures, view, 150, 260, left);
  DragGate::MuestraAlambre(gate, shown, data, pictures, view);
}

// One load of the file, as a drop on a window that holds the default fields, accepted.
void Load() {
  Drawing::TDrawingData data;
  CurveInput::TInputFields fields = CurveInput::DefaultFields();
  bool ready = false;
  if (CurveInput::LeeDatos(data, fields, ready).Outcome != CurveInput::TReadOutcome::Changed)
    Finding("the default fields were not accepted");
  const CurveInput::TInputFields shown = fields;
  const std::vector<std::string> accepted = CurveFile::BuildSaveList(data.Input);

  TAppState state;
  const CurveFile::TLoadResult load = CurveFile::DelDisco(data, FilePath, fields, ready, state);
  if (load.FileError) {
    if (!SameFields(fields, shown) || CurveFile::BuildSaveList(data.Input) != accepted)
      Finding("a file error changed the input");
    ++Tally.Refused;
    return;
  }
  switch (load.Read.Outcome) {
    case CurveInput::TReadOutcome::Refused:
      if (CurveFile::BuildSaveList(data.Input) != accepted) Finding("a refused file changed the accepted input");
      ++Tally.Refused;
      return;
    case CurveInput::TReadOutcome::Unchanged:
      ++Tally.Unchanged;
      return;
    case CurveInput::TReadOutcome::Changed:
      break;
  }
  try {
    DrawAndMove(data);
    ++Tally.Drawn;
  } catch (const WorkLimitError&) {
    ++Tally.Capped;
  } catch (const WendrixError&) {
    ++Tally.Failed;
  } catch (const std::out_of_range&) {
    ++Tally.Failed;
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  FilePath = "/tmp/wendrix_fuzz_" + std::to_string(getpid()) + ".wdx";
  WorkCounters::ThisThread.EvaluationLimit = EvaluationCeiling;
  std::atexit(PrintTally);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  {
    std::ofstream file(FilePath, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!file) Finding("cannot write " + FilePath);
  }
  if (!GlobInitialize()) Finding("the palette could not be built");
  WorkCounters::Reset();
  try {
    Load();
  } catch (const WendrixError&) {
    // The load itself ended with the program's own error, as the window would show it.
    ++Tally.Failed;
  }
  return 0;
}
