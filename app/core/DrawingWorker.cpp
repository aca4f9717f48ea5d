#include "app/core/DrawingWorker.h"

#include <stdexcept>
#include <utility>

#include "app/core/CurveInput.h"
#include "geometry/WorkCounters.h"

TDrawingWorker::TDrawingWorker() {
  std::fegetenv(&Environment);
  Thread = std::thread([this] { Run(); });
}

TDrawingWorker::~TDrawingWorker() {
  {
    const std::lock_guard lock(Mutex);
    Quit = true;
    CancelFlag = true;
  }
  Wake.notify_all();
  Thread.join();
}

void TDrawingWorker::Start(std::function<void()> job, std::function<void()> finished) {
  {
    const std::lock_guard lock(Mutex);
    if (Running || Outcome) throw std::logic_error("A drawing is still running");
    CancelFlag = false;
    Job = std::move(job);
    Finished = std::move(finished);
    Running = true;
  }
  Wake.notify_all();
}

void TDrawingWorker::Cancel() {
  const std::lock_guard lock(Mutex);
  if (Running) CancelFlag = true;
}

void TDrawingWorker::Wait() {
  std::unique_lock lock(Mutex);
  Ended.wait(lock, [this] { return !Running; });
}

std::optional<TDrawingWorker::TOutcome> TDrawingWorker::Take() {
  const std::lock_guard lock(Mutex);
  return std::exchange(Outcome, std::nullopt);
}

bool TDrawingWorker::Busy() const {
  const std::lock_guard lock(Mutex);
  return Running || Outcome;
}

void TDrawingWorker::Run() {
  std::fesetenv(&Environment);
  WorkCounters::ThisThread.CancelRequest = &CancelFlag;
  std::unique_lock lock(Mutex);
  for (;;) {
    Wake.wait(lock, [this] { return Quit || Job; });
    if (!Job) return;
    const std::function<void()> job = std::exchange(Job, nullptr);
    const std::function<void()> finished = std::exchange(Finished, nullptr);
    lock.unlock();
    TOutcome outcome;
    try {
      job();
    } catch (const CancelledError&) {
      outcome.Cancelled = true;
    } catch (...) {
      outcome.Error = std::current_exception();
    }
    lock.lock();
    Outcome = outcome;
    Running = false;
    Ended.notify_all();
    lock.unlock();
    // Only the hand-back itself can fail here (out of memory); the thread carries on.
    try {
      if (finished) finished();
    } catch (...) {
    }
    lock.lock();
  }
}

std::unique_ptr<Drawing::TDrawingData> DataForWorker(const Drawing::TDrawingData& shown) {
  auto data = std::make_unique<Drawing::TDrawingData>();
  CurveInput::ReinstateInput(*data, shown.Input);
  return data;
}

Drawing::TStageTimes DrawForWindow(Drawing::TDrawingData& data, TPictures& pictures, TView& view, bool keep) {
  return keep ? Drawing::DrawFigureInView(data, pictures, view) : Drawing::DrawFigure(data, pictures, view);
}
