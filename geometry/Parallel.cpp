#include "geometry/Parallel.h"

#include <algorithm>
#include <cfenv>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

#include "geometry/WorkCounters.h"

namespace Parallel {

namespace {

// What one band did: its counts, the flags it raised and its error.
struct TBandOutcome {
  std::uint64_t Evaluations = 0, CorrectorPasses = 0;
  int Flags = 0;
  std::exception_ptr Error;
};

}  // namespace

int Threads() {
  // WENDRIX_THREADS=N (1..64) in the environment stands for the machine's cores, to
  // compare drawings and timings over thread counts from outside.
  static const int machine = [] {
    const char* text = std::getenv("WENDRIX_THREADS");
    const long set = text ? std::strtol(text, nullptr, 10) : 0;
    if (set >= 1 && set <= 64) return static_cast<int>(set);
    return std::thread::hardware_concurrency() >= 2 ? 2 : 1;
  }();
  const int set = WorkCounters::ThisThread.Threads;
  return set >= 1 ? set : machine;
}

namespace {

// A worker's thread record: the caller's stop request, what is left below its ceiling,
// no further splitting.
void StartWorker(const WorkCounters::TThreadWork& caller, const std::fenv_t& modes) {
  WorkCounters::TThreadWork& work = WorkCounters::ThisThread;
  std::fesetenv(&modes);
  work.CancelRequest = caller.CancelRequest;
  work.EvaluationLimit = caller.EvaluationLimit - std::min(caller.EvaluationLimit, caller.CurveEvaluations);
  work.Threads = 1;
}

}  // namespace

void TAside::TakeOver() const {
  WorkCounters::TThreadWork& work = WorkCounters::ThisThread;
  work.CurveEvaluations += Evaluations;
  work.CorrectorPasses += CorrectorPasses;
  std::feraiseexcept(Flags);
  if (work.CurveEvaluations > work.EvaluationLimit) throw WorkLimitError();
}

TAside RunAside(const std::function<void()>& aside, const std::function<void()>& here) {
  const WorkCounters::TThreadWork start = WorkCounters::ThisThread;
  std::fenv_t modes;
  std::fegetenv(&modes);
  TAside outcome;
  std::thread worker;
  try {
    worker = std::thread([&] {
      StartWorker(start, modes);
      std::feclearexcept(FE_ALL_EXCEPT);
      try {
        aside();
        outcome.Done = true;
      } catch (...) {
      }
      outcome.Flags = std::fetestexcept(FE_ALL_EXCEPT);
      outcome.Evaluations = WorkCounters::ThisThread.CurveEvaluations;
      outcome.CorrectorPasses = WorkCounters::ThisThread.CorrectorPasses;
    });
  } catch (const std::system_error&) {
    here();  // no thread to be had: the work aside is not done
    return outcome;
  }
  try {
    here();
  } catch (...) {
    worker.join();
    throw;
  }
  worker.join();
  return outcome;
}

void RunBands(int bands, const std::function<void(int band)>& band) {
  if (bands < 2) {
    band(0);
    return;
  }
  WorkCounters::TThreadWork& caller = WorkCounters::ThisThread;
  const WorkCounters::TThreadWork start = caller;
  std::vector<TBandOutcome> outcomes(bands);
  std::fenv_t modes;
  std::fegetenv(&modes);
  const int callerFlags = std::fetestexcept(FE_ALL_EXCEPT);
  // A band on this thread counts on from the caller's counts, a worker from 0.
  const auto run = [&](int k, bool worker) {
    WorkCounters::TThreadWork& work = WorkCounters::ThisThread;
    if (worker) StartWorker(start, modes);
    const WorkCounters::TThreadWork before = work;
    std::feclearexcept(FE_ALL_EXCEPT);
    try {
      band(k);
    } catch (...) {
      outcomes[k].Error = std::current_exception();
    }
    outcomes[k].Flags = std::fetestexcept(FE_ALL_EXCEPT);
    outcomes[k].Evaluations = work.CurveEvaluations - before.CurveEvaluations;
    outcomes[k].CorrectorPasses = work.CorrectorPasses - before.CorrectorPasses;
    if (!worker) {
      work.CurveEvaluations = before.CurveEvaluations;
      work.CorrectorPasses = before.CorrectorPasses;
    }
  };
  std::vector<std::thread> workers;
  for (int k = 1; k < bands; ++k) try {
      workers.emplace_back(run, k, true);
    } catch (const std::system_error&) {
      run(k, false);  // no thread to be had: this band here
    }
  run(0, false);
  for (std::thread& worker : workers) worker.join();
  // The bands in order, as one thread would have run them: it stops at the first band
  // whose count passes the ceiling or that failed.
  std::feraiseexcept(callerFlags);
  for (const TBandOutcome& outcome : outcomes) {
    caller.CurveEvaluations += outcome.Evaluations;
    caller.CorrectorPasses += outcome.CorrectorPasses;
    std::feraiseexcept(outcome.Flags);
    if (caller.CurveEvaluations > caller.EvaluationLimit) throw WorkLimitError();
    if (outcome.Error) std::rethrow_exception(outcome.Error);
  }
}

void ForEachRange(int count, int minCount, const std::function<void(int first, int last)>& body) {
  if (count <= 0) return;
  const int bands = count >= minCount ? std::min(Threads(), count) : 1;
  RunBands(bands, [&](int k) { body(BandStart(count, bands, k), BandStart(count, bands, k + 1)); });
}

}  // namespace Parallel
