// The accepted input and the view of a drawing under the names its exports (the
// JSON record, the Python module) give them, listed once so that the exports agree.
#pragma once

#include <string>
#include <vector>

#include "formula/Vector3.h"
#include "geometry/Sampling.h"
#include "geometry/SharedState.h"
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
// The pointers point into `input`.
std::vector<TText> InputTexts(const Glob::TCurveInput& input);

// The accepted ranges and parameters: tmin, tmax, pmin, pmax, qmin, qmax, p, q; the
// pointers point into `input`.
std::vector<TField> InputNumbers(const Glob::TCurveInput& input);

// `view` after framing and drags (axes, eye, scale and shifts, the screen centre, the
// depth map) with the box and the centre of `figure`; the pointers point into `view`
// and `figure`.
std::vector<TField> ViewFields(const TView& view, const Sampling::TFigure& figure);

}  // namespace FigureFields
