// Checks of a finished drawing shared by the tests and the fuzz targets.
#pragma once

#include <cmath>
#include <string>

#include "app/DrawingData.h"
#include "geometry/Bitangents.h"
#include "geometry/Sampling.h"

namespace FigureChecks {

inline bool Finite(const TVector3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// True when every curve point and every bitangent record of the drawing `data` holds
// finite numbers only, as a drawing that ended without a floating-point error must
// (each infinity or NaN raises a flag on its way). Otherwise false, with `where`
// naming the first one that does not.
inline bool FigureIsFinite(const Drawing::TDrawingData& data, std::string& where) {
  for (int k = 0; k <= data.Figure.CurvePointHigh; ++k) {
    const Mastil& m = data.Figure.CurvePoints.at(k);
    if (!std::isfinite(m.Param) || !Finite(m.Point) || !Finite(m.Tangent)) {
      where = "curve point " + std::to_string(k);
      return false;
    }
  }
  for (int k = 1; k <= data.Analysis.BitangentCount; ++k) {
    const BitangentRecord& r = data.Analysis.BitangentList.at(k);
    if (!std::isfinite(r.ParamS) || !std::isfinite(r.ParamT) || !Finite(r.PointS) || !Finite(r.PointT) ||
        !Finite(r.PlaneNormal)) {
      where = "bitangent record " + std::to_string(k);
      return false;
    }
  }
  return true;
}

}  // namespace FigureChecks
