// Measures of a finished drawing against Qhull's hull of dense curve samples: how much
// of the surface the strips and flat faces cover, whether their planes support the
// curve, and the back-facing and hole pixels of the shaded picture.
#pragma once

#include <string>

#include "app/DrawingData.h"

namespace HullFigures {

struct Figures {
  bool Drawn = false;
  std::string Error;        // the message of a drawing that failed
  int OnHull = 0;           // drawn records (OnHull, ParamT >= ParamS)
  int Triples = 0;          // tritangent triples
  int FlatPlanes = 0;       // distinct planes of the triples
  double StripArea = 0;     // of the drawn quads, per squared diagonal
  double FlatArea = 0;      // of the flat faces, each plane's contact points' hull once
  double HullArea = 0;      // Qhull's, per squared diagonal
  double PlaneExcess = 0;   // largest sample distance beyond an on-hull plane, per diagonal
  int Orange = 0;           // pixels shaded as facing away by more than the view's spread
  int Holes = 0;            // white pixels not connected to the picture's border
  int OrangeTurned = 0, HolesTurned = 0;  // the same after turning the view
  double DrawingMs = 0;     // the drawing's stages, without the measures
  double Ratio() const { return HullArea > 0 ? (StripArea + FlatArea) / HullArea : 0; }
};

// Draws the curve of `data` (formulas, t interval, p and q set) and measures it;
// `samples` curve samples make Qhull's reference hull.
Figures MeasureDrawing(Drawing::TDrawingData& data, int samples);

}  // namespace HullFigures
