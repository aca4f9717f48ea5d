// Splitting a loop of a drawing over the machine's cores so that the result is the one
// the loop gives on one thread: every band works on its own items and writes only their
// results, and the callers merge in index order.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>

namespace Parallel {

// The threads a drawing on this thread may split a loop over: WorkCounters'
// ThisThread.Threads when set (1 or more), else WENDRIX_THREADS of the environment
// when it holds 1 to 64, else two where the machine has two cores or more and one
// otherwise.
int Threads();

// Runs band(0) .. band(bands - 1) at once, band 0 on this thread and each other one on
// a thread of its own (a band runs here, after the others, when no thread can be had).
// Each worker starts from this thread's floating-point modes, stop request and
// evaluation ceiling and may not split again; its counts are added to this thread's.
// Afterwards the outcome is what running the bands one after the other would have
// given: the flags raised by the bands up to the first that failed are raised here,
// WorkLimitError is thrown once the counts of the bands so far pass the ceiling, else
// the first band's error is rethrown. bands below 2 run band(0) alone, here.
void RunBands(int bands, const std::function<void(int band)>& band);

// The first item of band k of `bands` over items 0..count - 1, in even shares;
// BandStart(count, bands, bands) is count.
inline int BandStart(int count, int bands, int k) {
  return static_cast<int>(static_cast<long long>(count) * k / bands);
}

// Runs body(first, last) over the items 0..count - 1 in consecutive ranges (last
// excluded) as RunBands does, over Threads() bands when count reaches minCount, else
// over all of them here. Nothing for count <= 0.
void ForEachRange(int count, int minCount, const std::function<void(int first, int last)>& body);

// What work run aside on another thread did: its counts, the flags it raised and
// whether it ended normally. Nothing of it reaches the caller unless taken over.
struct TAside {
  std::uint64_t Evaluations = 0, CorrectorPasses = 0;
  int Flags = 0;
  bool Done = false;
  // Makes the work this thread's: adds its counts and raises its flags here; throws
  // WorkLimitError when the counts then pass this thread's ceiling.
  void TakeOver() const;
};

// Runs aside() on a thread of its own, set up as a band of RunBands, while here() runs
// on this thread; answers once both are done. An error of aside() only leaves Done
// false, as does a machine without a thread to spare; an error of here() is thrown.
TAside RunAside(const std::function<void()>& aside, const std::function<void()>& here);

}  // namespace Parallel
