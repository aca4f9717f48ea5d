// Counters of the expensive steps of a drawing: the curve evaluations made by the
// sampling and the bitangent analysis, and the Newton passes of the pair corrector.
// Tests and benchmarks read them to check that the work of a drawing stays bounded
// whatever the curve; the fuzzer also sets a ceiling so that one input cannot take
// minutes. The program itself never reads them and never sets a ceiling.
#pragma once

#include <cstdint>
#include <limits>

#include "formula/Checks.h"

// Thrown when a count passes its ceiling.
class WorkLimitError : public WendrixError {
 public:
  WorkLimitError() : WendrixError("The work limit of this drawing was reached") {}
};

namespace WorkCounters {

inline std::uint64_t CurveEvaluations = 0;
inline std::uint64_t CorrectorPasses = 0;

// Curve evaluations allowed before CountEvaluation throws WorkLimitError; no ceiling
// unless a caller sets one.
inline std::uint64_t EvaluationLimit = std::numeric_limits<std::uint64_t>::max();

// Both counts back to 0; the ceiling stays.
inline void Reset() { CurveEvaluations = CorrectorPasses = 0; }

// One curve evaluation is about to be made.
inline void CountEvaluation() {
  if (++CurveEvaluations > EvaluationLimit) throw WorkLimitError();
}

// One corrector pass is about to be made.
inline void CountCorrectorPass() { ++CorrectorPasses; }

}  // namespace WorkCounters
