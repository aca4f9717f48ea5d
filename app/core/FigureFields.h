// The accepted input and the view of a drawing under the names its exports (the
// JSON record, the Python module) give them, listed once so that the exports agree.
#pragma once

#include <string>
#include <vector>

#include "formula/Vector3.h"
#include "geometry/View.h"

namespace FigureFields {

// One named real of a drawing: a number or a vector, the other pointer null.
struct TField {
  const char* Name;
  const long double* Number;
  const TVector3* Vector;
};

// The three accepted formula texts: x, y, z.
struct TText {
  const char* Name;
  const std::string* Value;
};
const std::vector<TText>& InputTexts();

// The accepted ranges and parameters: tmin, tmax, pmin, pmax, qmin, qmax, p, q.
const std::vector<TField>& InputNumbers();

// `view` after framing and drags (axes, eye, scale and shifts, the screen centre, the
// depth map) with the box and the figure's centre; the pointers point into `view`.
std::vector<TField> ViewFields(const TView& view);

}  // namespace FigureFields
