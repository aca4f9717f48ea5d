// One mouse-drag step in the main view as the window runs it (new view, hull picture,
// normals picture), on the default curve with p = 1, in the shaded and the stereo view.
#include <benchmark/benchmark.h>

#include <stdexcept>

#include "app/Drawing.h"
#include "app/Glob.h"
#include "app/core/CurveInput.h"
#include "app/core/DragGate.h"

namespace {

// Start-up, the default input with p = 1, one drawing, shown in the view mode asked for.
void DrawDefaultCurve(Drawing::TDrawingData& data, TPictures& pictures, TView& view, DragGate::TGate& gate,
                      TAppState& shown, bool stereo) {
  if (!GlobInitialize() || !CreatePictures(pictures)) throw std::runtime_error("start-up failed");
  CurveInput::TInputFields fields = CurveInput::DefaultFields();
  bool ready = false;
  if (CurveInput::LeeDatos(data, fields, ready).Outcome != CurveInput::TReadOutcome::Changed)
    throw std::runtime_error("default input refused");
  data.Input.PValue = 1;
  Drawing::DrawFigure(data, pictures, view);
  shown.DrawnFlag = true;
  if (stereo && !DragGate::MuestraAlambre(gate, shown, data, pictures, view))
    throw std::runtime_error("stereo view refused");
}

// Turns the view back and forth by 15 pixels, one step per iteration.
void DragSteps(benchmark::State& state, bool stereo) {
  Drawing::TDrawingData data;
  TPictures pictures;
  TView view;
  DragGate::TGate gate;
  TAppState shown;
  DrawDefaultCurve(data, pictures, view, gate, shown, stereo);
  const MueveFigura::TShiftState left{false, false, false, true};
  int direction = 1;
  DragGate::AlPisar(gate, 200, 200);
  for (auto _ : state) {
    DragGate::AlMoverHull(gate, shown, data, pictures, view, 200 + 15 * (direction > 0), 200 + 5 * (direction > 0),
                          left);
    direction = -direction;
  }
  state.SetLabel(stereo ? "stereo" : "shaded");
}

void BM_DragStepShaded(benchmark::State& state) { DragSteps(state, false); }
void BM_DragStepStereo(benchmark::State& state) { DragSteps(state, true); }

}  // namespace

BENCHMARK(BM_DragStepShaded)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DragStepStereo)->Unit(benchmark::kMillisecond);
