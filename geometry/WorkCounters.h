// Counters of the expensive steps of a drawing: the curve evaluations made by the
// sampling and the bitangent analysis, and the Newton passes of the pair corrector.
// Tests and benchmarks read them to check that the work of a drawing stays bounded
// whatever the curve; the fuzzer also sets a ceiling so that one input cannot take
// minutes. The program itself never reads them and never sets a ceiling. The render
// stages' few evaluations are not counted. The counting is also where a drawing on a
// background thread notices that it was asked to stop.
#pragma once

#include <atomic>
#include <cstdint>
#include <limits>

#include "formula/Checks.h"

// Thrown when a count passes its ceiling.
class WorkLimitError : public WendrixError {
 public:
  WorkLimitError() : WendrixError("The work limit of this drawing was reached") {}
};

// Thrown at the next poll once the drawing on this thread was asked to stop.
class CancelledError : public WendrixError {
 public:
  CancelledError() : WendrixError("The drawing was cancelled") {}
};

namespace WorkCounters {

// The counts, the ceiling and the stop request of the drawings on one thread. One
// record per thread: a drawing on the window's worker counts apart from one in a test
// or the fuzzer, and the hot path pays one thread-local address for all four.
struct TThreadWork {
  std::uint64_t CurveEvaluations = 0;
  std::uint64_t CorrectorPasses = 0;
  // Curve evaluations allowed before CountEvaluation throws WorkLimitError; no
  // ceiling unless a caller sets one.
  std::uint64_t EvaluationLimit = std::numeric_limits<std::uint64_t>::max();
  // The stop request of the drawing that runs on this thread; none (never stopped)
  // unless the thread that runs drawings on behalf of a window sets one.
  const std::atomic<bool>* CancelRequest = nullptr;
  // The threads the drawings on this thread may split their loops over (Parallel.h);
  // 0 leaves it to the machine. Tests set 1 or 2 to compare the two.
  int Threads = 0;

  // Throws CancelledError when the stop request is set; otherwise nothing.
  void PollCancel() const {
    if (CancelRequest && CancelRequest->load(std::memory_order_relaxed)) throw CancelledError();
  }
};

inline thread_local TThreadWork ThisThread;

// Both counts of this thread back to 0; the ceiling, the stop request and the thread
// setting stay.
inline void Reset() { ThisThread.CurveEvaluations = ThisThread.CorrectorPasses = 0; }

// Throws CancelledError when this thread's stop request is set; otherwise nothing.
inline void PollCancel() { ThisThread.PollCancel(); }

// One curve evaluation is about to be made on this thread.
inline void CountEvaluation() {
  TThreadWork& work = ThisThread;
  work.PollCancel();
  if (++work.CurveEvaluations > work.EvaluationLimit) throw WorkLimitError();
}

// One corrector pass is about to be made on this thread.
inline void CountCorrectorPass() { ++ThisThread.CorrectorPasses; }

}  // namespace WorkCounters
