// The tritangent search on one thread over the two curves of many waves of the drawing
// table: the links between the segments alone, and the whole search.
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
  WorkCounters::ThisThread.Threads = 1;
  return AnalysisFrame::FrameFigure(data.Figure);
}

const char* const Curves[][3] = {{"cos(t)", "sin(t)", "0.5cos(50t)"},
                                 {"(2+cos(21t))cos(2t)", "(2+cos(21t))sin(2t)", "sin(21t)"}};

void BM_LinkSegments(benchmark::State& state) {
  Drawing::TDrawingData data;
  const AnalysisFrame::TFramedFigure framed = PrepareCurve(data, Curves[state.range(0)]);
  for (auto _ : state) benchmark::DoNotOptimize(Tritangents::LinkSegments(framed.Figure));
}

void BM_FindTritangents(benchmark::State& state) {
  Drawing::TDrawingData data;
  const AnalysisFrame::TFramedFigure framed = PrepareCurve(data, Curves[state.range(0)]);
  Bitangents::TAnalysis analysis;
  for (auto _ : state) Tritangents::FindTritangents(data.Curve, framed.Figure, framed.Frame, analysis);
}

}  // namespace

BENCHMARK(BM_LinkSegments)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindTritangents)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
