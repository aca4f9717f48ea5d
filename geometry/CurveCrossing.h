// Points where a closed curve crosses itself: two parameters, apart on the circle of
// the parameter interval, with one curve point. Every such pair solves the bitangent
// condition; there two branches of pairs cross and every ruling shrinks to a point.
#pragma once

#include <functional>

#include "formula/Vector3.h"

namespace CurveCrossing {

// A Gauss-Newton search for P(a) = P(b) from (a, b), P given by `point`, parameters on
// a circle of circumference `span`. True, with a and b moved there, when it converges
// within `reach` of the start (along the circle) to parameters farther apart than
// `reach` whose points agree but for `tolerance`; false (a and b then undefined) when
// the tangents there are parallel, the search leaves, or the points do not meet.
bool FindCrossing(const std::function<TVector3(long double)>& point, long double span, long double reach,
                  long double tolerance, long double& a, long double& b);

}  // namespace CurveCrossing
