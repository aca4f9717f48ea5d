#include "app/core/KeptFigure.h"

#include <tuple>
#include <utility>

#include "app/Drawing.h"
#include "app/core/CurveInput.h"
#include "geometry/SharedState.h"

namespace {

// The box of `box` and the one in force, in the same order, for either copy.
template <class Box>
auto BoxFields(Box& b) {
  return std::tie(b.BoxMin, b.BoxMax, b.BoxSize, b.FigureCentre, b.FigureDiagonal, b.FillSpacing);
}

auto BoxInForce() {
  using namespace Glob;
  return std::tie(BoxMin, BoxMax, BoxSize, FigureCentre, FigureDiagonal, FillSpacing);
}

template <class Input>
auto InputFields(Input& i) {
  return std::tie(i.X, i.Y, i.Z, i.TMin, i.TMax, i.PMin, i.PMax, i.QMin, i.QMax, i.P, i.Q);
}

auto InputInForce() {
  using namespace Glob;
  return std::tie(XFormula, YFormula, ZFormula, TMin, TMax, PMin, PMax, QMin, QMax, PValue, QValue);
}

}  // namespace

void TKeptFigure::RecordInput() {
  Input.emplace();
  InputFields(*Input) = InputInForce();
}

void TKeptFigure::Take() {
  BoxFields(Box) = BoxInForce();
  // The sampling writes into the buffer's slots; the other tables are rebuilt whole.
  Samples = Sampling::SampleBuffer;
  CurvePoints = std::move(Sampling::CurvePoints);
  CurvePointHigh = Sampling::CurvePointHigh;
  ChordScale = Sampling::ChordScale;
  Analysis = std::move(Drawing::LastAnalysis);
}

bool TKeptFigure::Restore() {
  BoxInForce() = BoxFields(Box);
  Sampling::SampleBuffer = std::move(Samples);
  Sampling::CurvePoints = std::move(CurvePoints);
  Sampling::CurvePointHigh = CurvePointHigh;
  Sampling::ChordScale = ChordScale;
  Drawing::LastAnalysis = std::move(Analysis);
  if (!Input) return false;
  InputInForce() = InputFields(*Input);
  Glob::SetDerivedConstants();
  CurveInput::UpdateParamScales();
  CurveInput::RestoreAcceptedFormulas();
  CurveInput::PassParameters();
  return true;
}
