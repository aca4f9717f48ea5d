#include "app/core/KeptFigure.h"

#include <tuple>
#include <utility>

#include "app/DrawingData.h"
#include "app/core/CurveInput.h"

namespace {

// The box of a kept copy or of a figure, in the same order for either.
template <class Box>
auto BoxFields(Box& b) {
  return std::tie(b.BoxMin, b.BoxMax, b.BoxSize, b.FigureCentre, b.FigureDiagonal, b.FillSpacing);
}

}  // namespace

void TKeptFigure::RecordInput(const Glob::TCurveInput& input) { Input = input; }

void TKeptFigure::Take(Drawing::TDrawingData& data) {
  BoxFields(Box) = BoxFields(data.Figure);
  // The sampling writes into the buffer's slots; the other tables are rebuilt whole.
  Samples = data.Figure.SampleBuffer;
  CurvePoints = std::move(data.Figure.CurvePoints);
  CurvePointHigh = data.Figure.CurvePointHigh;
  ChordScale = data.Figure.ChordScale;
  Analysis = std::move(data.Analysis);
}

bool TKeptFigure::Restore(Drawing::TDrawingData& data) {
  BoxFields(data.Figure) = BoxFields(Box);
  data.Figure.SampleBuffer = std::move(Samples);
  data.Figure.CurvePoints = std::move(CurvePoints);
  data.Figure.CurvePointHigh = CurvePointHigh;
  data.Figure.ChordScale = ChordScale;
  data.Analysis = std::move(Analysis);
  if (!Input) return false;
  data.Input = *Input;
  data.Figure.Param = Glob::DerivedConstants(data.Input.TMin, data.Input.TMax);
  CurveInput::UpdateParamScales(data.Input);
  CurveInput::RestoreAcceptedFormulas(data);
  CurveInput::PassParameters(data);
  return true;
}
