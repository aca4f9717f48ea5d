// A drawing as Python objects: numpy arrays of long doubles, so that no digit
// of the extended reals is lost, and plain dicts.
#pragma once

#include <pybind11/pybind11.h>

#include "app/Drawing.h"
#include "render/HullMeasures.h"
#include "render/HullMesh.h"

namespace WendrixPython {

// Makes the structured dtypes of the curve point and bitangent records known to numpy;
// once, when the module is loaded, before any DrawingObject.
void RegisterRecordTypes();

// A namespace object with the attributes input, curve_points, chord_scale, bitangents,
// tritangents, view, mesh, pictures, measures and timings_ms, copied from the drawing
// just made: its `data`, `pictures`, `view`, hull `mesh`, `measures` and stage `times`.
// Empty lists give arrays of length 0.
pybind11::object DrawingObject(const Drawing::TDrawingData& data, const TPictures& pictures, const TView& view,
                               const Drawing::TStageTimes& times, const HullMesh::THullMesh& mesh,
                               const HullMeasures::TMeasures& measures);

// A numpy longdouble scalar holding `value` exactly.
pybind11::object LongDoubleScalar(long double value);

}  // namespace WendrixPython
