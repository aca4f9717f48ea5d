// The figure on the screen put aside while a drawing runs in its place, so that a
// cancelled drawing leaves it in force again: the accepted input it was drawn from,
// its samples and curve points, its box, and its analysis. Free of widgets.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/DrawingData.h"
#include "formula/Vector3.h"
#include "geometry/Bitangents.h"
#include "geometry/Sampling.h"
#include "geometry/SharedState.h"

class TKeptFigure {
 public:
  // `input` is the one of the figure just drawn: call after every drawing that
  // completed. Forget after one that failed (its tables are not the
  // recorded input's any more).
  void RecordInput(const Glob::TCurveInput& input);
  void ForgetInput() { Input.reset(); }

  // Before a drawing: moves the tables the drawing rebuilds out of `data` and copies
  // the samples and the box (the view is the window's own).
  void Take(Drawing::TDrawingData& data);

  // After a cancelled drawing: puts back into `data` what Take put aside and, when an
  // input was recorded, that input (formulas compiled again, p and q passed, the t constants and
  // scales derived). Answers whether it did the latter, that is whether a figure is
  // drawn again; without a recorded input the accepted input stays the last read.
  bool Restore(Drawing::TDrawingData& data);

 private:
  struct TBox {
    TVector3 BoxMin, BoxMax, BoxSize, FigureCentre;
    long double FigureDiagonal = 0, FillSpacing = 0;
  };
  std::optional<Glob::TCurveInput> Input;
  TBox Box;
  std::vector<TVector3> Samples;
  PuntosCurva CurvePoints;
  std::int16_t CurvePointHigh = -1;
  long double ChordScale = 0;
  Bitangents::TAnalysis Analysis;
};
