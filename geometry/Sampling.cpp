#include "geometry/Sampling.h"

namespace Sampling {

void Initialize() { SampleBuffer.assign(SampleCount, TVector3{}); }

void SampleCurve() {}

}  // namespace Sampling
