// Splitting a loop of a drawing over the machine's cores so that the result is the one
// the loop gives on one thread: every band works on its own items and writes only their
// results, and the callers merge in index order.
#pragma once

#include <cstdint>
#include <functional>

namespace Parallel {

// The threads a drawing on this thread may split a loop over: WorkCounters'
// ThisThread.Threads when set (1 or more), else WENDRIX_THREADS of the environment
// when it holds 1 to 64, else two where the machine has two cores or more and one
// otherwise.
int Threads();

// Runs band(0) .. band(bands - 1), claimed in turn by this thread and by up to
// Threads() - 1 workers; a worker that starts late (a busy machine) leaves its share to
// this thread, which never waits for a band not begun. Each worker starts from this
// thread's floating-point modes, stop request and evaluation ceiling and may not split
// again; its counts are added to this thread's. Afterwards the outcome is what running
// the bands one after the other would have given: the flags raised by the bands up to
// the first that failed are raised here, WorkLimitError is thrown once the counts of the
// bands so far pass the ceiling, else the first band's error is rethrown. bands below 2
// run band(0) alone, here.
void RunBands(int bands, const std::function<void(int band)>& band);

// The first item of band k of `bands` over items 0..count - 1, in even shares;
// BandStart(count, bands, bands) is count.
inline int BandStart(int count, int bands, int k) {
  return static_cast<int>(static_cast<long long>(count) * k / bands);
}

// Runs body(first, last) over the items 0..count - 1 in consecutive ranges (last
// excluded) as RunBands does: four ranges per thread when count reaches minCount, else
// one, here. Nothing for count <= 0.
void ForEachRange(int count, int minCount, const std::function<void(int first, int last)>& body);

// While a crew lives, the splits of the thread that made it (RunBands, RunAside) are
// handed to Threads() - 1 workers that it started once and that sleep between them,
// instead of threads started for each split: on a loaded or virtual machine a new
// thread takes from a few hundred microseconds to milliseconds to start (a sleeping one
// a tenth of that to wake), longer than many splits last, so their shares fell to the
// caller. The results are the same either way. The workers are joined when the crew
// ends; a crew made while another lives on this thread adds nothing. It must not be
// held across a fork.
class TCrew {
 public:
  TCrew();
  ~TCrew();
  TCrew(const TCrew&) = delete;
  TCrew& operator=(const TCrew&) = delete;
  struct TState;

 private:
  TState* state_ = nullptr;  // null for a crew inside another, or without workers
};

// Whether work offered aside now (RunAside) may find a thread to take it: within a crew,
// when one of its workers is idle; without one, always (a thread is started for it).
// Only a guess, for callers whose offer costs them work of their own.
bool HelpAtHand();

// What work run aside on another thread did: its counts, the flags it raised and
// whether it ended normally. Nothing of it reaches the caller unless taken over.
struct TAside {
  std::uint64_t Evaluations = 0, CorrectorPasses = 0;
  int Flags = 0;
  bool Begun = false, Done = false;
  // Makes the work this thread's: adds its counts and raises its flags here; throws
  // WorkLimitError when the counts then pass this thread's ceiling.
  void TakeOver() const;
};

// Runs here() on this thread and offers aside() to a thread of its own, set up as a
// worker of RunBands; answers once both are done, or once here() is done when the
// worker had not begun aside() by then (it then never does; Begun false), or at once
// with Threads() below 2 (never offered). aside()
// failing, or not run, leaves Done false; an error of here() is thrown.
TAside RunAside(const std::function<void()>& aside, const std::function<void()>& here);

}  // namespace Parallel
