// The tritangent search over the two curves of many waves of the drawing table: the
// links between the segments alone on one thread, and the whole search on one and two.
#include <benchmark/benchmark.h>

#include <stdexcept>

#include "app/Drawing.h"
#include "app/Glob.h"
#include "app/core/CurveInput.h"
#include "geometry/AnalysisFrame.h"
#include "geometry/Framing.h"
#include "geometry/TritangentsInternal.h"
#include "geometry/WorkCounters.h"

namespace {

// Start-up, the curve read into `data` and its figure prepared; answers the figure in
// the frame the analysis works in.
AnalysisFrame::TFramedFigure PrepareCurve(Drawing::TDrawingData& data, const char* const (&xyz)[3]) {
  if (!GlobInitialize()) throw std::runtime_error("start-up failed");
  CurveInput::TInputFields fields = CurveInput::DefaultFields();
  fields.X = xyz[0];
  fields.Y = xyz[1];
  fields.Z = xyz[2];
  bool ready = false;
  if (CurveInput::LeeDatos(data, fields, ready).Outcome != CurveInput::TReadOutcome::Changed)
    throw std::runtime_error("input refused");
  Framing::PrepareFigure(data.Curve, data.Figure);
  return AnalysisFrame::FrameFigure(data.Figure);
}

const char* const Curves[][3] = {{"cos(t)", "sin(t)", "0.5cos(50t)"},
                                 {"(2+cos(21t))cos(2t)", "(2+cos(21t))sin(2t)", "sin(21t)"}};

void BM_LinkSegments(benchmark::State& state) {
  Drawing::TDrawingData data;
  const AnalysisFrame::TFramedFigure framed = PrepareCurve(data, Curves[state.range(0)]);
  WorkCounters::ThisThread.Threads = 1;
  for (auto _ : state) benchmark::DoNotOptimize(Tritangents::LinkSegments(framed.Figure));
  WorkCounters::ThisThread.Threads = 0;
}

void BM_FindTritangents(benchmark::State& state) {
  Drawing::TDrawingData data;
  const AnalysisFrame::TFramedFigure framed = PrepareCurve(data, Curves[state.range(0)]);
  Bitangents::TAnalysis analysis;
  WorkCounters::ThisThread.Threads = static_cast<int>(state.range(1));
  for (auto _ : state) Tritangents::FindTritangents(data.Curve, framed.Figure, framed.Frame, analysis);
  WorkCounters::ThisThread.Threads = 0;
}

}  // namespace

BENCHMARK(BM_LinkSegments)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
// Arguments: the curve, the threads.
BENCHMARK(BM_FindTritangents)->ArgsProduct({{0, 1}, {1, 2}})->Unit(benchmark::kMillisecond)->UseRealTime();
