// Tracing a list of seeds in order, the next free one traced ahead on a second thread.
#pragma once

#include <functional>
#include <vector>

#include "geometry/BitangentsInternal.h"

namespace Bitangents {

// TraceSeed of every seed in order, with the same records, visited cells, crossing
// seeds, counts and flags. On two threads, while one seed is traced the next seed whose
// cell is free is traced aside on a copy of the visited cells; that trace is taken over
// when none of the cells it found free was visited meanwhile, else traced again.
void TraceSeeds(TTracing& w, const std::vector<BitangentRecord>& seeds);

// Finds seeds 0..count - 1 side by side, find(k, r) true when seed k was found (into r),
// then traces the found ones in the order of k (TraceSeeds). find is called on several
// threads at once, so it must leave the tracing state as it is; below minSplit seeds it
// runs on this thread alone. Nothing is traced for count <= 0.
void FindAndTraceSeeds(TTracing& w, int count, int minSplit, const std::function<bool(int k, BitangentRecord& r)>& find);

}  // namespace Bitangents
