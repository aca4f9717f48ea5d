// One background thread that runs the window's drawings one at a time, so that the
// window keeps answering while a long drawing runs. A job runs on the worker with the
// worker's stop request in force (WorkCounters::PollCancel) and in the floating-point
// environment of the thread that made the worker; what it throws is caught there and
// handed back with its outcome. Free of widgets: the window posts itself the outcome.
#pragma once

#include <atomic>
#include <cfenv>
#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "app/Drawing.h"

class TDrawingWorker {
 public:
  // How a job ended: it completed, it stopped at a poll after Cancel, or it threw Error.
  struct TOutcome {
    bool Cancelled = false;
    std::exception_ptr Error;  // null unless the job failed
  };

  // Starts the thread, idle.
  TDrawingWorker();
  // Cancels the running job, waits for it and ends the thread; `finished` of that job
  // still runs, on the worker, before this returns.
  ~TDrawingWorker();
  TDrawingWorker(const TDrawingWorker&) = delete;
  TDrawingWorker& operator=(const TDrawingWorker&) = delete;

  // Runs `job` on the worker, then `finished` on the worker once the outcome can be
  // taken (the window posts itself an event there). Throws std::logic_error while a
  // job's outcome is not taken yet: drawings never queue up.
  void Start(std::function<void()> job, std::function<void()> finished);

  // Asks the running job to stop at its next poll; nothing when none runs.
  void Cancel();

  // Returns once the job started last has ended (at once when none was started).
  void Wait();

  // The outcome of the job that ended, once; nothing while it runs or once taken.
  std::optional<TOutcome> Take();

  // A job was started and its outcome not taken yet.
  bool Busy() const;

 private:
  void Run();

  mutable std::mutex Mutex;
  std::condition_variable Wake, Ended;
  std::function<void()> Job, Finished;
  bool Running = false, Quit = false;
  std::optional<TOutcome> Outcome;
  std::atomic<bool> CancelFlag{false};
  std::fenv_t Environment{};
  std::thread Thread;  // last: starts once the members above exist
};

// The data a drawing on the worker fills, its own so that the figure on the screen
// (`shown`) stays whole and usable while it runs: shown's accepted input copied, the
// curve compiled again from it, no figure yet.
std::unique_ptr<Drawing::TDrawingData> DataForWorker(const Drawing::TDrawingData& shown);

// The drawing the window asks for, and the one place where it calls the drawing
// sequence: DrawFigureInView of `data` in `view` (the view of the figure on the
// screen) when `keep`, else DrawFigure, which frames `view` anew. Throws as DrawFigure
// does.
Drawing::TStageTimes DrawForWindow(Drawing::TDrawingData& data, TPictures& pictures, TView& view, bool keep);
