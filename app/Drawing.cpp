#include "app/Drawing.h"

#include <chrono>

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
TStageTimes RunStagesFramedBy(FramingStage framing) {
  TStageTimes times;
  ClearFloatFlags();
  const auto start = std::chrono::steady_clock::now();
  Timed(times.Sample, framing);
  Timed(times.Analyze, Bitangents::AnalyzeBitangents);
  Timed(times.Square, SmallPictures::PaintBitangSquare);
  Timed(times.Normals, SmallPictures::PaintMaxwell);
  Timed(times.Hull, HullPicture::RenderHull);
  times.Total = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  return times;
}

}  // namespace

TStageTimes RunStages() { return RunStagesFramedBy(Framing::PrepareFigure); }

TStageTimes RunStagesInView(const Framing::TViewState& view) {
  return RunStagesFramedBy([&view] { Framing::PrepareFigureInView(view); });
}

TStageTimes DrawFigure() {
  CurveInput::PassParameters();
  const TStageTimes times = RunStages();
  Glob::DrawnFlag = true;
  return times;
}

TStageTimes DrawFigureInView(const Framing::TViewState& view) {
  CurveInput::PassParameters();
  const TStageTimes times = RunStagesInView(view);
  Glob::DrawnFlag = true;
  return times;
}

}  // namespace Drawing
