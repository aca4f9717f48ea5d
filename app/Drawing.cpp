#include "app/Drawing.h"

#include <chrono>

#include "app/core/AppState.h"
#include "app/core/CurveInput.h"
#include "formula/Checks.h"
#include "geometry/Bitangents.h"
#include "geometry/Framing.h"
#include "geometry/SharedState.h"
#include "geometry/WorkCounters.h"
#include "render/HullPicture.h"
#include "render/SmallPictures.h"
#include "views/Estereo.h"

namespace Drawing {

namespace {

// Runs one stage, sets `ms` to its duration, and ends the command on a raised flag.
template <class Stage>
void Timed(double& ms, Stage stage) {
  WorkCounters::PollCancel();
  const auto start = std::chrono::steady_clock::now();
  stage();
  CheckFloatFlags();
  ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// The render stages: the square, the normals and the shaded hull, from the analysis in
// force into `pictures`.
void PaintPictures(TPictures& pictures, const TView& view, TStageTimes& times) {
  Timed(times.Square, [&pictures] { SmallPictures::PaintBitangSquare(pictures, Sampling::Figure, LastAnalysis); });
  Timed(times.Normals, [&pictures, &view] { SmallPictures::PaintMaxwell(pictures, view, LastAnalysis); });
  Timed(times.Hull,
        [&pictures, &view] { HullPicture::RenderHull(pictures, view, Glob::Curve, Sampling::Figure, LastAnalysis); });
}

template <class FramingStage>
TStageTimes RunStagesFramedBy(TPictures& pictures, const TView& view, FramingStage framing) {
  TStageTimes times;
  ClearFloatFlags();
  const auto start = std::chrono::steady_clock::now();
  Timed(times.Sample, framing);
  Timed(times.Analyze, [] { Bitangents::AnalyzeBitangents(Glob::Curve, Sampling::Figure, LastAnalysis); });
  PaintPictures(pictures, view, times);
  times.Total = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  return times;
}

}  // namespace

TStageTimes RunStages(TPictures& pictures, TView& view) {
  return RunStagesFramedBy(pictures, view, [&view] { view = Framing::PrepareFigure(Glob::Curve, Sampling::Figure); });
}

TStageTimes RunStagesInView(TPictures& pictures, TView& view) {
  return RunStagesFramedBy(pictures, view,
                           [&view] { Framing::PrepareFigureInView(Glob::Curve, Sampling::Figure, view); });
}

TStageTimes DrawFigure(TPictures& pictures, TView& view) {
  CurveInput::PassParameters();
  return RunStages(pictures, view);
}

TStageTimes DrawFigureInView(TPictures& pictures, TView& view) {
  CurveInput::PassParameters();
  return RunStagesInView(pictures, view);
}

std::vector<std::string> DrawingNotices() {
  std::vector<std::string> notices;
  if (LastAnalysis.SearchCut)
    notices.emplace_back("The tritangent search stopped at its limit of work: flat faces may be missing.");
  if (LastAnalysis.ResolutionCut)
    notices.emplace_back("The curve has more waves than the branch tracing resolves: strips may be missing.");
  return notices;
}

void RenderAgain(TPictures& pictures, const TView& view, Estereo::TStereoState& stereo, const TAppState& shown) {
  if (!shown.DrawnFlag) return;
  ClearFloatFlags();
  TStageTimes times;
  PaintPictures(pictures, view, times);
  if (shown.StereoMode) {
    Estereo::ShowStereo(stereo, pictures, view, true, Sampling::Figure, LastAnalysis);
    CheckFloatFlags();
  }
}

}  // namespace Drawing
