#include "app/Drawing.h"

#include <chrono>

#include "app/core/AppState.h"
#include "app/core/CurveInput.h"
#include "formula/Checks.h"
#include "geometry/Bitangents.h"
#include "geometry/Framing.h"
#include "geometry/SharedState.h"
#include "render/HullPicture.h"
#include "render/SmallPictures.h"

namespace Drawing {

namespace {

// Runs one stage, adds its duration to `ms`, and ends the command on a raised flag.
template <class Stage>
void Timed(double& ms, Stage stage) {
  const auto start = std::chrono::steady_clock::now();
  stage();
  CheckFloatFlags();
  ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

template <class FramingStage>
TStageTimes RunStagesFramedBy(TPictures& pictures, FramingStage framing) {
  TStageTimes times;
  ClearFloatFlags();
  const auto start = std::chrono::steady_clock::now();
  Timed(times.Sample, framing);
  Timed(times.Analyze, Bitangents::AnalyzeBitangents);
  Timed(times.Square, [&pictures] { SmallPictures::PaintBitangSquare(pictures); });
  Timed(times.Normals, [&pictures] { SmallPictures::PaintMaxwell(pictures); });
  Timed(times.Hull, [&pictures] { HullPicture::RenderHull(pictures); });
  times.Total = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  return times;
}

}  // namespace

TStageTimes RunStages(TPictures& pictures) { return RunStagesFramedBy(pictures, Framing::PrepareFigure); }

TStageTimes RunStagesInView(TPictures& pictures, const Framing::TViewState& view) {
  return RunStagesFramedBy(pictures, [&view] { Framing::PrepareFigureInView(view); });
}

TStageTimes DrawFigure(TPictures& pictures) {
  CurveInput::PassParameters();
  const TStageTimes times = RunStages(pictures);
  Glob::DrawnFlag = true;
  return times;
}

TStageTimes DrawFigureInView(TPictures& pictures, const Framing::TViewState& view) {
  CurveInput::PassParameters();
  const TStageTimes times = RunStagesInView(pictures, view);
  Glob::DrawnFlag = true;
  return times;
}

}  // namespace Drawing
