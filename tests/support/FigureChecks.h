// Checks of a finished drawing shared by the tests and the fuzz targets.
#pragma once

#include <cmath>
#include <string>

#include "app/Drawing.h"
#include "geometry/Bitangents.h"
#include "geometry/Sampling.h"

namespace FigureChecks {

inline bool Finite(const TVector3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// True when every curve point and every bitangent record of the last drawing holds
// finite numbers only, as a drawing that ended without a floating-point error must
// (each infinity or NaN raises a flag on its way). Otherwise false, with `where`
// naming the first one that does not.
inline bool FigureIsFinite(std::string& where) {
  for (int k = 0; k <= Sampling::Figure.CurvePointHigh; ++k) {
    const Mastil& m = Sampling::Figure.CurvePoints.at(k);
    if (!std::isfinite(m.Param) || !Finite(m.Point) || !Finite(m.Tangent)) {
      where = "curve point " + std::to_string(k);
      return false;
    }
  }
  for (int k = 1; k <= Drawing::LastAnalysis.BitangentCount; ++k) {
    const BitangentRecord& r = Drawing::LastAnalysis.BitangentList.at(k);
    if (!std::isfinite(r.ParamS) || !std::isfinite(r.ParamT) || !Finite(r.PointS) || !Finite(r.PointT) ||
        !Finite(r.PlaneNormal)) {
      where = "bitangent record " + std::to_string(k);
      return false;
    }
  }
  return true;
}

}  // namespace FigureChecks
