// The window's drawings on the worker thread: a drawing of the default curve there
// against the same drawing on the calling thread (the difference is the hand-off), the
// hand-off of an empty job alone, putting the figure aside and back, and how soon a
// long drawing stops once cancelled.
#include <benchmark/benchmark.h>

#include <chrono>
#include <stdexcept>
#include <thread>

#include "app/Glob.h"
#include "app/core/CurveInput.h"
#include "app/core/DrawingWorker.h"
#include "app/core/KeptFigure.h"

namespace {

// Start-up and the default input read into `data`, with t up to `tMax`.
void ReadDefaultCurve(Drawing::TDrawingData& data, TPictures& pictures, const char* tMax) {
  if (!GlobInitialize() || !CreatePictures(pictures)) throw std::runtime_error("start-up failed");
  CurveInput::TInputFields fields = CurveInput::DefaultFields();
  fields.TMax = tMax;
  bool ready = false;
  if (CurveInput::LeeDatos(data, fields, ready).Outcome != CurveInput::TReadOutcome::Changed)
    throw std::runtime_error("default input refused");
}

// Runs `job` on `worker` and waits for it; throws what the job threw.
void RunOn(TDrawingWorker& worker, const std::function<void()>& job) {
  worker.Start(job, {});
  worker.Wait();
  if (const auto outcome = worker.Take(); outcome && outcome->Error) std::rethrow_exception(outcome->Error);
}

void BM_DrawDefaultHere(benchmark::State& state) {
  Drawing::TDrawingData data;
  TPictures pictures;
  ReadDefaultCurve(data, pictures, "2 pi");
  TView view;
  for (auto _ : state) DrawForWindow(data, pictures, view, false);
}

void BM_DrawDefaultOnWorker(benchmark::State& state) {
  Drawing::TDrawingData data;
  TPictures pictures;
  ReadDefaultCurve(data, pictures, "2 pi");
  TView view;
  TDrawingWorker worker;
  for (auto _ : state) RunOn(worker, [&data, &pictures, &view] { DrawForWindow(data, pictures, view, false); });
}

// What the window adds on its own thread: the figure on the screen put aside before a
// drawing and back after a cancel.
void BM_KeepFigure(benchmark::State& state) {
  Drawing::TDrawingData data;
  TPictures pictures;
  ReadDefaultCurve(data, pictures, "2 pi");
  TView view;
  DrawForWindow(data, pictures, view, false);
  TKeptFigure kept;
  kept.RecordInput(data.Input);
  for (auto _ : state) {
    kept.Take(data);
    kept.Restore(data);
  }
}

void BM_HandOffAlone(benchmark::State& state) {
  TDrawingWorker worker;
  for (auto _ : state) RunOn(worker, [] {});
}

// From Cancel to the worker idle again, the argument's milliseconds into a drawing with
// t up to 100 (sampling and tracing early on, the tritangents and pictures later).
void BM_CancelLatency(benchmark::State& state) {
  Drawing::TDrawingData data;
  TPictures pictures;
  ReadDefaultCurve(data, pictures, "100");
  TView view;
  TDrawingWorker worker;
  for (auto _ : state) {
    worker.Start([&data, &pictures, &view] { DrawForWindow(data, pictures, view, false); }, {});
    std::this_thread::sleep_for(std::chrono::milliseconds(state.range(0)));
    const auto start = std::chrono::steady_clock::now();
    worker.Cancel();
    worker.Wait();
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    if (!worker.Take()->Cancelled) return state.SkipWithError("the drawing ended before the cancel");
  }
}

}  // namespace

BENCHMARK(BM_DrawDefaultHere)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawDefaultOnWorker)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KeepFigure)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HandOffAlone)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CancelLatency)->Arg(100)->Arg(1000)->Arg(2500)->UseManualTime()->Iterations(5)
    ->Unit(benchmark::kMillisecond);
