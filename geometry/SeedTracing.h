// Tracing a list of seeds in order, the next free one traced ahead on a second thread.
#pragma once

#include <vector>

#include "geometry/BitangentsInternal.h"

namespace Bitangents {

// TraceSeed of every seed in order, with the same records, visited cells, crossing
// seeds, counts and flags. On two threads, while one seed is traced the next seed whose
// cell is free is traced aside on a copy of the visited cells; that trace is taken over
// when none of the cells it found free was visited meanwhile, else traced again.
void TraceSeeds(TTracing& w, const std::vector<BitangentRecord>& seeds);

}  // namespace Bitangents
