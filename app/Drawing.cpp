#include "app/Drawing.h"

#include <chrono>

#include "app/core/AppState.h"
#include "app/core/CurveInput.h"
#include "formula/Checks.h"
#include "geometry/Bitangents.h"
#include "geometry/Framing.h"
#include "geometry/Parallel.h"
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

// The render stages: the square, the normals and the shaded hull, from the analysis of
// `data` into `pictures`.
void PaintPictures(const TDrawingData& data, TPictures& pictures, const TView& view, TStageTimes& times) {
  Timed(times.Square, [&] { SmallPictures::PaintBitangSquare(pictures, data.Figure, data.Analysis); });
  Timed(times.Normals, [&] { SmallPictures::PaintMaxwell(pictures, view, data.Analysis); });
  Timed(times.Hull, [&] { HullPicture::RenderHull(pictures, view, data.Curve, data.Figure, data.Analysis); });
}

template <class FramingStage>
TStageTimes RunStagesFramedBy(TDrawingData& data, TPictures& pictures, const TView& view, FramingStage framing) {
  TStageTimes times;
  // Workers at hand for every split of the drawing, started once.
  const Parallel::TCrew crew;
  ClearFloatFlags();
  const auto start = std::chrono::steady_clock::now();
  Timed(times.Sample, framing);
  Timed(times.Analyze, [&data] { Bitangents::AnalyzeBitangents(data.Curve, data.Figure, data.Analysis); });
  PaintPictures(data, pictures, view, times);
  times.Total = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  return times;
}

}  // namespace

TStageTimes RunStages(TDrawingData& data, TPictures& pictures, TView& view) {
  return RunStagesFramedBy(data, pictures, view,
                           [&data, &view] { view = Framing::PrepareFigure(data.Curve, data.Figure); });
}

TStageTimes RunStagesInView(TDrawingData& data, TPictures& pictures, TView& view) {
  return RunStagesFramedBy(data, pictures, view,
                           [&data, &view] { Framing::PrepareFigureInView(data.Curve, data.Figure, view); });
}

TStageTimes DrawFigure(TDrawingData& data, TPictures& pictures, TView& view) {
  CurveInput::PassParameters(data);
  return RunStages(data, pictures, view);
}

TStageTimes DrawFigureInView(TDrawingData& data, TPictures& pictures, TView& view) {
  CurveInput::PassParameters(data);
  return RunStagesInView(data, pictures, view);
}

std::vector<std::string> DrawingNotices(const Bitangents::TAnalysis& analysis) {
  std::vector<std::string> notices;
  if (analysis.SearchCut)
    notices.emplace_back("The tritangent search stopped at its limit of work: flat faces may be missing.");
  if (analysis.ResolutionCut)
    notices.emplace_back("The curve has more waves than the branch tracing resolves: strips may be missing.");
  return notices;
}

void RenderAgain(const TDrawingData& data, TPictures& pictures, const TView& view, Estereo::TStereoState& stereo,
                 const TAppState& shown) {
  if (!shown.DrawnFlag) return;
  ClearFloatFlags();
  TStageTimes times;
  PaintPictures(data, pictures, view, times);
  if (shown.StereoMode) {
    Estereo::ShowStereo(stereo, pictures, view, true, data.Figure, data.Analysis);
    CheckFloatFlags();
  }
}

}  // namespace Drawing
