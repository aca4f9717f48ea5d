// The figure of a drawing as JSON, for scripts and comparisons.
#pragma once

#include <string>

#include "app/Drawing.h"
#include "render/HullMeasures.h"

// The JSON text of the accepted input of `data`, the view `view`, its curve points, its
// bitangent records 1..BitangentCount, its tritangent triples, the hull's `measures` and the stage
// times `times`.
// Reals keep every digit of their extended value (shortest text that reads back to
// it); an infinity or NaN is written as null. Vectors are [x, y, z].
std::string DrawingJson(const Drawing::TDrawingData& data, const TView& view, const Drawing::TStageTimes& times,
                        const HullMeasures::TMeasures& measures);
