#include "app/core/KeptFigure.h"

#include <tuple>
#include <utility>

#include "app/Drawing.h"
#include "app/core/CurveInput.h"
#include "geometry/Sampling.h"
#include "geometry/SharedState.h"

namespace {

// The box of `box` and the one in force, in the same order, for either copy.
template <class Box>
auto BoxFields(Box& b) {
  return std::tie(b.BoxMin, b.BoxMax, b.BoxSize, b.FigureCentre, b.FigureDiagonal, b.FillSpacing);
}

auto BoxInForce() {
  using namespace Glob;
  return std::tie(Sampling::Figure.BoxMin, Sampling::Figure.BoxMax, Sampling::Figure.BoxSize,
                  Sampling::Figure.FigureCentre, Sampling::Figure.FigureDiagonal, Sampling::Figure.FillSpacing);
}

}  // namespace

void TKeptFigure::RecordInput() { Input = Glob::Input; }

void TKeptFigure::Take() {
  BoxFields(Box) = BoxInForce();
  // The sampling writes into the buffer's slots; the other tables are rebuilt whole.
  Samples = Sampling::Figure.SampleBuffer;
  CurvePoints = std::move(Sampling::Figure.CurvePoints);
  CurvePointHigh = Sampling::Figure.CurvePointHigh;
  ChordScale = Sampling::Figure.ChordScale;
  Analysis = std::move(Drawing::LastAnalysis);
}

bool TKeptFigure::Restore() {
  BoxInForce() = BoxFields(Box);
  Sampling::Figure.SampleBuffer = std::move(Samples);
  Sampling::Figure.CurvePoints = std::move(CurvePoints);
  Sampling::Figure.CurvePointHigh = CurvePointHigh;
  Sampling::Figure.ChordScale = ChordScale;
  Drawing::LastAnalysis = std::move(Analysis);
  if (!Input) return false;
  Glob::Input = *Input;
  Sampling::Figure.Param = Glob::DerivedConstants(Glob::Input.TMin, Glob::Input.TMax);
  CurveInput::UpdateParamScales();
  CurveInput::RestoreAcceptedFormulas();
  CurveInput::PassParameters();
  return true;
}
