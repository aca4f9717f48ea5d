#include "app/core/KeptFigure.h"

#include <tuple>
#include <utility>

#include "app/Drawing.h"
#include "app/core/AppState.h"
#include "app/core/CurveInput.h"
#include "geometry/SharedState.h"

namespace {

// The view and box of `view` and those in force, in the same order, for either copy.
template <class View>
auto ViewFields(View& v) {
  return std::tie(v.AxisX, v.AxisY, v.AxisZ, v.Eye, v.BoxMin, v.BoxMax, v.BoxSize, v.FigureCentre, v.ScreenCentre,
                  v.Scale, v.EyeDepth, v.ShiftX, v.ShiftY, v.OffsetX, v.OffsetY, v.FigureDiagonal, v.FillSpacing,
                  v.DepthScale, v.DepthOffset);
}

auto ViewInForce() {
  using namespace Glob;
  return std::tie(ViewAxisX, ViewAxisY, ViewAxisZ, EyePoint, BoxMin, BoxMax, BoxSize, FigureCentre, ScreenCentre,
                  ViewScale, EyeDepth, ViewShiftX, ViewShiftY, ViewOffsetX, ViewOffsetY, FigureDiagonal, FillSpacing,
                  DepthScale, DepthOffset);
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
  ViewFields(View) = ViewInForce();
  // The sampling writes into the buffer's slots; the other tables are rebuilt whole.
  Samples = Sampling::SampleBuffer;
  CurvePoints = std::move(Sampling::CurvePoints);
  CurvePointHigh = Sampling::CurvePointHigh;
  ChordScale = Sampling::ChordScale;
  Analysis = std::move(Drawing::LastAnalysis);
}

bool TKeptFigure::Restore() {
  ViewInForce() = ViewFields(View);
  Sampling::SampleBuffer = std::move(Samples);
  Sampling::CurvePoints = std::move(CurvePoints);
  Sampling::CurvePointHigh = CurvePointHigh;
  Sampling::ChordScale = ChordScale;
  Drawing::LastAnalysis = std::move(Analysis);
  Glob::DrawnFlag = Input.has_value();
  if (!Input) return false;
  InputInForce() = InputFields(*Input);
  Glob::SetDerivedConstants();
  CurveInput::UpdateParamScales();
  CurveInput::RestoreAcceptedFormulas();
  CurveInput::PassParameters();
  return true;
}
