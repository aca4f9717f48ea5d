#include "geometry/Parallel.h"

#include <algorithm>
#include <atomic>
#include <cfenv>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "geometry/WorkCounters.h"

namespace Parallel {

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

// The jobs of a crew's owner, and its workers. Only the owner posts; a job that no worker
// takes in time is done by its caller, so one taken late finds nothing left to do.
struct TCrew::TState {
  std::mutex Lock;
  std::deque<std::function<void()>> Jobs;
  std::atomic<std::uint32_t> Posted{0};  // changed by every post and by the end
  std::atomic<bool> Ending{false};
  std::atomic<int> Busy{0};  // workers running a job
  std::vector<std::thread> Workers;

  void Post(std::function<void()> job) {
    {
      const std::lock_guard<std::mutex> hold(Lock);
      Jobs.push_back(std::move(job));
    }
    Posted.fetch_add(1);
    Posted.notify_one();
  }

  bool Take(std::function<void()>& job) {
    const std::lock_guard<std::mutex> hold(Lock);
    if (Jobs.empty()) return false;
    job = std::move(Jobs.front());
    Jobs.pop_front();
    return true;
  }

  // Runs the jobs posted, each by run(job), until `stop` holds, sleeping while there are
  // none. (Polling instead keeps a sleeping core from waking slowly, but on a machine
  // whose two cores share one, the poll takes as much from the other thread as it gains.)
  // Jobs left when it stops are stale: their callers have done their shares.
  template <class Run>
  void RunJobsUntil(const std::atomic<bool>& stop, Run run) {
    std::function<void()> job;
    for (;;) {
      const std::uint32_t seen = Posted.load();
      if (stop.load()) return;
      if (Take(job)) {
        run(job);
        job = nullptr;
      } else {
        Posted.wait(seen);
      }
    }
  }

  // A worker's life: jobs until the crew ends.
  void Serve() {
    RunJobsUntil(Ending, [this](const std::function<void()>& job) {
      Busy.fetch_add(1);
      job();
      Busy.fetch_sub(1);
    });
  }

  // Jobs on the owner's thread until `done` holds: among them the splits of the work it
  // handed aside and now waits for. Its thread record and floating-point environment are
  // put back after each job.
  void HelpUntil(const std::atomic<bool>& done) {
    RunJobsUntil(done, [](const std::function<void()>& job) {
      const WorkCounters::TThreadWork own = WorkCounters::ThisThread;
      std::fenv_t env;
      std::fegetenv(&env);
      job();
      WorkCounters::ThisThread = own;
      std::fesetenv(&env);
    });
  }

  // Wakes whoever sleeps in RunJobsUntil.
  void Wake() {
    Posted.fetch_add(1);
    Posted.notify_all();
  }
};

namespace {

// The crew of this thread, while one lives.
thread_local TCrew::TState* OwnCrew = nullptr;

// What a split's caller hands its workers: its thread record, floating-point modes,
// thread count and crew.
struct TStart {
  WorkCounters::TThreadWork Caller;
  std::fenv_t Modes;
  int CallerThreads = Threads();
  TCrew::TState* Crew = OwnCrew;

  TStart() : Caller(WorkCounters::ThisThread) { std::fegetenv(&Modes); }
  // A worker's thread record: the caller's stop request, what is left below its
  // ceiling, no further splitting; or, for work aside (`maySplit`) within a crew, the
  // caller's thread count and crew, which the caller helps while it waits for the work.
  void StartWorker(bool maySplit = false) const {
    WorkCounters::TThreadWork& work = WorkCounters::ThisThread;
    std::fesetenv(&Modes);
    work.CancelRequest = Caller.CancelRequest;
    work.EvaluationLimit = Caller.EvaluationLimit - std::min(Caller.EvaluationLimit, Caller.CurveEvaluations);
    const bool split = maySplit && Crew;
    work.Threads = split ? CallerThreads : 1;
    if (split) OwnCrew = Crew;
  }
};

// What one piece of work did: its counts, the flags it raised and its error.
struct TOutcome {
  std::uint64_t Evaluations = 0, CorrectorPasses = 0;
  int Flags = 0;
  std::exception_ptr Error;
};

// Runs work() with the flags cleared and answers what it did; the counts of this
// thread are put back as they were.
template <class Work>
TOutcome Measured(Work work) {
  WorkCounters::TThreadWork& thread = WorkCounters::ThisThread;
  const std::uint64_t evaluations = thread.CurveEvaluations, passes = thread.CorrectorPasses;
  TOutcome outcome;
  std::feclearexcept(FE_ALL_EXCEPT);
  try {
    work();
  } catch (...) {
    outcome.Error = std::current_exception();
  }
  outcome.Flags = std::fetestexcept(FE_ALL_EXCEPT);
  outcome.Evaluations = thread.CurveEvaluations - evaluations;
  outcome.CorrectorPasses = thread.CorrectorPasses - passes;
  thread.CurveEvaluations = evaluations;
  thread.CorrectorPasses = passes;
  return outcome;
}

// Starts a thread that runs work(state), which keeps the state alive. A thread starts
// late on a busy machine, so nobody waits for it to start: whatever it has not claimed
// when the caller is ready, the caller does itself, and the state outlives the caller.
template <class State>
void Launch(const std::shared_ptr<State>& state, void (*work)(const std::shared_ptr<State>&)) {
  if (OwnCrew) {
    OwnCrew->Post([state, work] { work(state); });
    return;
  }
  try {
    std::thread(work, state).detach();
  } catch (const std::system_error&) {
    // No thread to be had: the caller does all of it.
  }
}

// The bands of a RunBands: claimed one by one by the caller and its workers.
struct TBands {
  TStart Start;
  int Count = 0;
  const std::function<void(int)>* Band = nullptr;  // read only by a thread holding a claim
  std::vector<TOutcome> Outcomes;
  std::atomic<int> Next{0}, Finished{0};

  // Claims and runs bands until none is left.
  void RunClaims() {
    for (int k = Next.fetch_add(1); k < Count; k = Next.fetch_add(1)) {
      Outcomes[k] = Measured([&] { (*Band)(k); });
      Finished.fetch_add(1);
      Finished.notify_all();
    }
  }
};

void BandWorker(const std::shared_ptr<TBands>& bands) {
  bands->Start.StartWorker();
  bands->RunClaims();
}

// The work aside of a RunAside: whoever claims it first runs it, or drops it.
struct TAsideWork {
  TStart Start;
  const std::function<void()>* Work = nullptr;  // read only by the worker holding the claim
  TAside Outcome;
  std::atomic<int> Claim{0};  // 0 unclaimed, 1 the worker's, 2 dropped by the caller
  std::atomic<bool> Finished{false};
};

void AsideWorker(const std::shared_ptr<TAsideWork>& aside) {
  int unclaimed = 0;
  if (!aside->Claim.compare_exchange_strong(unclaimed, 1)) return;
  TCrew::TState* const ownCrew = OwnCrew;
  aside->Start.StartWorker(true);
  const TOutcome outcome = Measured(*aside->Work);
  OwnCrew = ownCrew;
  aside->Outcome = {outcome.Evaluations, outcome.CorrectorPasses, outcome.Flags, true, !outcome.Error};
  aside->Finished.store(true);
  aside->Finished.notify_all();
  // The caller may be helping in the crew; the crew outlives its workers' jobs.
  if (aside->Start.Crew) aside->Start.Crew->Wake();
}

}  // namespace

TCrew::TCrew() {
  if (OwnCrew || Threads() < 2) return;
  auto state = std::make_unique<TState>();
  for (int k = 1; k < Threads(); ++k) {
    try {
      state->Workers.emplace_back([s = state.get()] { s->Serve(); });
    } catch (const std::system_error&) {
      break;  // fewer workers; the callers do the rest
    }
  }
  if (state->Workers.empty()) return;
  state_ = state.release();
  OwnCrew = state_;
}

TCrew::~TCrew() {
  if (!state_) return;
  OwnCrew = nullptr;
  state_->Ending.store(true);
  state_->Wake();
  for (std::thread& worker : state_->Workers) worker.join();
  delete state_;
}

bool HelpAtHand() { return !OwnCrew || OwnCrew->Busy.load() < static_cast<int>(OwnCrew->Workers.size()); }

void TAside::TakeOver() const {
  WorkCounters::TThreadWork& work = WorkCounters::ThisThread;
  work.CurveEvaluations += Evaluations;
  work.CorrectorPasses += CorrectorPasses;
  std::feraiseexcept(Flags);
  if (work.CurveEvaluations > work.EvaluationLimit) throw WorkLimitError();
}

TAside RunAside(const std::function<void()>& aside, const std::function<void()>& here) {
  if (Threads() < 2) {
    here();
    return {};
  }
  const auto work = std::make_shared<TAsideWork>();
  work->Work = &aside;
  Launch(work, AsideWorker);
  // here() is not waited for: its error leaves the aside to finish or be dropped.
  const auto settle = [&work] {
    int unclaimed = 0;
    if (work->Claim.compare_exchange_strong(unclaimed, 2)) return TAside{};
    if (work->Start.Crew) work->Start.Crew->HelpUntil(work->Finished);
    work->Finished.wait(false);
    return work->Outcome;
  };
  try {
    here();
  } catch (...) {
    settle();
    throw;
  }
  return settle();
}

void RunBands(int bands, const std::function<void(int band)>& band) {
  if (bands < 2) {
    band(0);
    return;
  }
  const int callerFlags = std::fetestexcept(FE_ALL_EXCEPT);
  const auto split = std::make_shared<TBands>();
  split->Count = bands;
  split->Band = &band;
  split->Outcomes.resize(bands);
  for (int k = 1; k < std::min(Threads(), bands); ++k) Launch(split, BandWorker);
  split->RunClaims();
  for (int done = split->Finished.load(); done < bands; done = split->Finished.load()) split->Finished.wait(done);
  // The bands in order, as one thread would have run them: it stops at the first band
  // whose count passes the ceiling or that failed.
  WorkCounters::TThreadWork& caller = WorkCounters::ThisThread;
  std::feclearexcept(FE_ALL_EXCEPT);
  std::feraiseexcept(callerFlags);
  for (const TOutcome& outcome : split->Outcomes) {
    caller.CurveEvaluations += outcome.Evaluations;
    caller.CorrectorPasses += outcome.CorrectorPasses;
    std::feraiseexcept(outcome.Flags);
    if (caller.CurveEvaluations > caller.EvaluationLimit) throw WorkLimitError();
    if (outcome.Error) std::rethrow_exception(outcome.Error);
  }
}

void ForEachRange(int count, int minCount, const std::function<void(int first, int last)>& body) {
  if (count <= 0) return;
  // A few pieces per thread, so that a thread that starts late still takes a share.
  const int pieces = count >= minCount ? std::min(4 * Threads(), count) : 1;
  RunBands(pieces, [&](int k) { body(BandStart(count, pieces, k), BandStart(count, pieces, k + 1)); });
}

}  // namespace Parallel
