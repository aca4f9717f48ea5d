// The curve set of the hull sweep and the check of one curve over seeds, sizes and
// places against Qhull's hull of its samples.
#pragma once

#include <string>
#include <vector>

namespace TruthCurves {

struct Curve {
  std::string Family, Name, X, Y, Z;
  long double P = 0, Q = 0;
};

// Ten random trigonometric curves of degree 2 to 4 (fixed seed), the examples, three
// knots, seven waves (cos t, sin t, 0.5 cos K t) and four (2, K) torus knots.
std::vector<Curve> TestSet();

// Per family: curves checked, and how many break each requirement: a drawing failed;
// area of strips and flat faces off Qhull's by more than 2%; area differing by more
// than 1% between seeds; orange or hole pixels; shrunk, enlarged or moved copies whose
// area differs by more than 1%, or whose record or triple counts differ by more than 2%;
// and the time of the slowest drawing.
struct Tally {
  int Curves = 0, Failed = 0, Area = 0, Seeds = 0, Orange = 0, Holes = 0, VariantArea = 0, VariantCounts = 0;
  double WorstRatio = 1;
  double SlowestMs = 0;  // the slowest curve's drawing at its own size and place (the fastest seed)
};

// Draws c with seeds 1..seeds and its three copies with seed 1, printing one line per
// drawing, and adds the outcome to tally. `samples` curve samples make the reference.
void CheckCurve(const Curve& c, int seeds, int samples, Tally& tally);

}  // namespace TruthCurves
