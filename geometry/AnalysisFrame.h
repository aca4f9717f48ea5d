// The analysis works in the figure's own units: coordinates centred on the figure and
// divided by its diagonal, so that every tolerance fits a figure of unit size whatever
// the curve's size and place. Outside an analysis the frame is the identity.
#pragma once

#include <vector>

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

// For the length of one analysis into `analysis`: sets `frame` and puts the curve points, the samples, ChordScale,
// FigureDiagonal and FillSpacing into the frame of the figure (FigureCentre and
// FigureDiagonal; for a box more than ten times the curve's estimated length across,
// blown up by a pole of the formulas, the median curve point and that length); on leaving, also when the analysis throws, restores them and maps
// the bitangent records' curve points and the flat faces' offsets back to the world. Degenerate input: a figure
// whose centre or diagonal is not finite throws WendrixError naming the cause; a
// figure of zero diagonal (a single point) is entered as is, and Analysable is false.
class Scope {
 public:
  Scope(TFrame& frame, Bitangents::TAnalysis& analysis);
  ~Scope();
  Scope(const Scope&) = delete;
  Scope& operator=(const Scope&) = delete;
  bool Analysable() const { return analysable_; }

 private:
  // The world values that the frame replaces while the analysis runs.
  struct WorldCopy {
    PuntosCurva CurvePoints;
    std::vector<TVector3> Samples;
    long double ChordScale = 0, FigureDiagonal = 0, FillSpacing = 0;
  };
  TFrame& frame_;
  Bitangents::TAnalysis& analysis_;
  WorldCopy world_;
  bool analysable_ = false;
};

}  // namespace AnalysisFrame
