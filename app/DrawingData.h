// The data of one drawing, from the accepted input to the analysis, as one value that
// a front end owns for each figure it shows.
#pragma once

#include "formula/Curve.h"
#include "geometry/Bitangents.h"
#include "geometry/Sampling.h"
#include "geometry/SharedState.h"

namespace Drawing {

// What LeeDatos accepts and the stages fill: the input, the curve compiled from its
// texts (P and Q as PassParameters last set them), the sampled and framed figure
// (Param derived from the input's t interval), and the analysis of that figure. Not
// copyable or movable, as the curve is not: owners that hand one over hold it by
// std::unique_ptr. A new one holds no curve (every point 0) and an empty figure.
struct TDrawingData {
  Glob::TCurveInput Input;
  FunPars::TCurve Curve;
  Sampling::TFigure Figure;
  Bitangents::TAnalysis Analysis;
};

}  // namespace Drawing
