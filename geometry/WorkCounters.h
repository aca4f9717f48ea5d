// Counters of the expensive steps of a drawing: the curve evaluations made by the
// sampling and the bitangent analysis, and the Newton passes of the pair corrector.
// Tests and benchmarks read them to check that the work of a drawing stays bounded
// whatever the curve; the fuzzer also sets a ceiling so that one input cannot take
// minutes. The program itself never reads them and never sets a ceiling. The counting
// is also where a drawing on a background thread notices that it was asked to stop.
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

inline std::uint64_t CurveEvaluations = 0;
inline std::uint64_t CorrectorPasses = 0;

// Curve evaluations allowed before CountEvaluation throws WorkLimitError; no ceiling
// unless a caller sets one.
inline std::uint64_t EvaluationLimit = std::numeric_limits<std::uint64_t>::max();

// Both counts back to 0; the ceiling stays.
inline void Reset() { CurveEvaluations = CorrectorPasses = 0; }

// The stop request of the drawing that runs on this thread; none (never stopped)
// unless the thread that runs drawings on behalf of a window sets one.
inline thread_local const std::atomic<bool>* CancelRequest = nullptr;

// Throws CancelledError when this thread's stop request is set; otherwise nothing.
inline void PollCancel() {
  if (CancelRequest && CancelRequest->load(std::memory_order_relaxed)) throw CancelledError();
}

// One curve evaluation is about to be made.
inline void CountEvaluation() {
  PollCancel();
  if (++CurveEvaluations > EvaluationLimit) throw WorkLimitError();
}

// One corrector pass is about to be made.
inline void CountCorrectorPass() { ++CorrectorPasses; }

}  // namespace WorkCounters
