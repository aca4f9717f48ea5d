// The window's drawings on the worker thread: a drawing of the default curve there, into
// data of its own taken over afterwards as the window does, against the same drawing on
// the calling thread (the difference is what the worker adds), the hand-off of an empty
// job alone, the worker's data made alone, and how soon a long drawing stops once
// cancelled.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <stdexcept>
#include <thread>

#include "app/Glob.h"
#include "app/core/CurveInput.h"
#include "app/core/DrawingWorker.h"

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
  auto shown = std::make_unique<Drawing::TDrawingData>();
  TPictures pictures;
  ReadDefaultCurve(*shown, pictures, "2 pi");
  TView view;
  TDrawingWorker worker;
  for (auto _ : state) {
    std::unique_ptr<Drawing::TDrawingData> own = DataForWorker(*shown);
    RunOn(worker, [&own, &pictures, &view] { DrawForWindow(*own, pictures, view, false); });
    shown = std::move(own);
  }
}

// What the window adds on its own thread before a drawing: the worker's data, the
// accepted input copied and its curve compiled again.
void BM_DataForWorker(benchmark::State& state) {
  Drawing::TDrawingData data;
  TPictures pictures;
  ReadDefaultCurve(data, pictures, "2 pi");
  for (auto _ : state) benchmark::DoNotOptimize(DataForWorker(data));
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
BENCHMARK(BM_DataForWorker)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HandOffAlone)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CancelLatency)->Arg(100)->Arg(1000)->Arg(2500)->UseManualTime()->Iterations(5)
    ->Unit(benchmark::kMillisecond);
