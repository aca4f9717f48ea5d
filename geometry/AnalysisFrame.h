// The analysis works in the figure's own units: coordinates centred on the figure and
// divided by its diagonal, so that every tolerance fits a figure of unit size whatever
// the curve's size and place. Outside an analysis the frame is the identity.
#pragma once

#include "formula/Vector3.h"
#include "geometry/Sampling.h"

namespace Bitangents {
struct TAnalysis;
}

namespace AnalysisFrame {

// A frame: world point = Centre + Unit * frame point. The default is the identity.
struct TFrame {
  TVector3 Centre{0, 0, 0};
  long double Unit = 1;

  // (p - Centre) / Unit and back.
  TVector3 ToFrame(const TVector3& p) const { return (p - Centre) / Unit; }
  TVector3 ToWorld(const TVector3& q) const { return q * Unit + Centre; }
};

// A figure in the frame of its own units.
struct TFramedFigure {
  TFrame Frame;
  Sampling::TFigure Figure;
  // False for a figure of zero diagonal (a single point), which is copied as it is in
  // the identity frame.
  bool Analysable = false;
};

// The frame of `world` (its FigureCentre and FigureDiagonal; for a box more than ten
// times the curve's estimated length across, blown up by a pole of the formulas, the
// median curve point and that length) and a copy of `world` in it: curve points,
// samples, the box, ChordScale, FigureDiagonal and FillSpacing mapped. A figure whose centre or
// diagonal is not finite throws WendrixError naming the cause.
TFramedFigure FrameFigure(const Sampling::TFigure& world);

// While it lives, one analysis into `analysis` runs in `frame`; on leaving, also when
// the analysis throws, it maps the bitangent records' curve points and the flat faces'
// offsets back to the world.
class Scope {
 public:
  Scope(const TFrame& frame, Bitangents::TAnalysis& analysis) : frame_(frame), analysis_(analysis) {}
  ~Scope();
  Scope(const Scope&) = delete;
  Scope& operator=(const Scope&) = delete;

 private:
  TFrame frame_;
  Bitangents::TAnalysis& analysis_;
};

}  // namespace AnalysisFrame
