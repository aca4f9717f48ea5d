#include "bench/truth/TruthCurves.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <random>
#include <stdexcept>

#include "bench/truth/HullFigures.h"
#include "formula/FunPars.h"
#include "geometry/Sampling.h"
#include "geometry/SharedState.h"
#include "geometry/Vectors.h"
#include "tests/support/TestCurves.h"

namespace TruthCurves {

using HullFigures::Figures;

namespace {


enum class Variant { Base, Small, Large, Far };
const char* const VariantNames[] = {"base", "x1e-6", "x1e6", "far"};

std::string Number(long double v) {
  char text[64];
  std::snprintf(text, sizeof text, "%.2Lf", v);
  return text;
}

// Sum of a_k cos(k t) + b_k sin(k t), k = 1..degree, coefficients in [-1, 1].
std::string RandomTrig(std::mt19937& generator, int degree) {
  std::uniform_int_distribution<int> coefficient(-100, 100);
  std::string f;
  for (int k = 1; k <= degree; ++k)
    for (const char* fn : {"cos", "sin"}) {
      const long double c = coefficient(generator) / 100.0L;
      f += (f.empty() || c < 0 ? "" : "+") + Number(c) + "*" + fn + "(" + std::to_string(k) + "*t)";
    }
  return f;
}

Curve TorusKnot(int p, int q) {
  const std::string a = std::to_string(p) + "t", b = std::to_string(q) + "t";
  return {"torus", "(" + std::to_string(p) + "," + std::to_string(q) + ")", "(2+cos(" + b + "))cos(" + a + ")",
          "(2+cos(" + b + "))sin(" + a + ")", "sin(" + b + ")"};
}

Curve Wave(int k) { return {"wave", "K=" + std::to_string(k), "cos(t)", "sin(t)", "0.5cos(" + std::to_string(k) + "t)"}; }

// The eleven lines of a curve file: formulas, then the limits, then p and q.
Curve Example(const std::string& name) {
  std::ifstream file(std::string(WENDRIX_EXAMPLES_DIR) + "/" + name + ".wdx");
  std::vector<std::string> lines;
  for (std::string line; std::getline(file, line);) lines.push_back(line);
  if (lines.size() < 11) throw std::runtime_error("cannot read example " + name);
  return {"examples", name, lines[0], lines[1], lines[2], std::stold(lines[9]), std::stold(lines[10])};
}

}  // namespace

std::vector<Curve> TestSet() {
  std::vector<Curve> set;
  std::mt19937 generator(15);
  for (int k = 0; k < 10; ++k) {
    const int degree = 2 + k % 3;
    set.push_back({"random", "deg" + std::to_string(degree) + "#" + std::to_string(k), RandomTrig(generator, degree),
                   RandomTrig(generator, degree), RandomTrig(generator, degree)});
  }
  for (const char* name : {"default-curve", "cardioid-cusp", "torus-knot", "torus-trefoil-p-q", "trefoil-knot",
                           "two-flat-triangles"})
    set.push_back(Example(name));
  set.push_back({"knots", "figure-eight", "(2+cos(2t))cos(3t)", "(2+cos(2t))sin(3t)", "sin(4t)"});
  set.push_back({"knots", "(3,4)", "(2+cos(4t))cos(3t)", "(2+cos(4t))sin(3t)", "sin(4t)"});
  set.push_back({"knots", "(3,5)", "(2+cos(5t))cos(3t)", "(2+cos(5t))sin(3t)", "sin(5t)"});
  for (int k : {3, 5, 8, 13, 20, 30, 50}) set.push_back(Wave(k));
  for (int k : {3, 7, 13, 21}) set.push_back(TorusKnot(2, k));
  return set;
}

namespace {

// Diagonal of the box of 4,096 samples of the curve of `data`.
long double SampledDiagonal(const Drawing::TDrawingData& data) {
  TVector3 lo{1e300L, 1e300L, 1e300L}, hi = -1 * lo;
  for (int k = 0; k < 4096; ++k) {
    TVector3 p;
    FunPars::EvalCurve(data.Curve, data.Input.TMin + data.Figure.Param.TSpan * k / 4096, p);
    lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
    hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
  }
  const TVector3 d = hi - lo;
  return std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
}

void UseCurve(Drawing::TDrawingData& data, const Curve& c, Variant v) {
  const auto use = [&](const std::string& x, const std::string& y, const std::string& z) {
    TestCurves::UseCurve(data, x, y, z, 0, 2 * Glob::Pi, c.P, c.Q);
  };
  const auto wrap = [&](const std::string& before, const std::string& after) {
    use(before + "(" + c.X + ")" + after, before + "(" + c.Y + ")" + after, before + "(" + c.Z + ")" + after);
  };
  switch (v) {
    case Variant::Base: use(c.X, c.Y, c.Z); break;
    case Variant::Small: wrap("0.000001*", ""); break;
    case Variant::Large: wrap("1000000*", ""); break;
    case Variant::Far: {
      use(c.X, c.Y, c.Z);
      char offset[64];
      std::snprintf(offset, sizeof offset, "%.0Lf+", 5e5L * SampledDiagonal(data));
      wrap(offset, "");
      break;
    }
  }
}

void Print(const Curve& c, const char* variant, unsigned seed, const Figures& f) {
  if (!f.Drawn) {
    std::printf("%-9s %-20s %-6s seed %u: FAILED: %s\n", c.Family.c_str(), c.Name.c_str(), variant, seed,
                f.Error.c_str());
    return;
  }
  std::printf("%-9s %-20s %-6s seed %u: records %5d triples %5d planes %3d area %.4f (strips %.4f flat %.4f"
              " qhull %.4f) excess %.1e orange %d/%d holes %d/%d %.1f ms\n",
              c.Family.c_str(), c.Name.c_str(), variant, seed, f.OnHull, f.Triples, f.FlatPlanes, f.Ratio(),
              f.StripArea, f.FlatArea, f.HullArea, f.PlaneExcess, f.Orange, f.OrangeTurned, f.Holes, f.HolesTurned, f.DrawingMs);
}

bool Within(double value, double reference, double share) {
  return std::fabs(value - reference) <= share * std::max(std::fabs(reference), 1.0);
}

}  // namespace

void CheckCurve(const Curve& c, int seeds, int samples, Tally& tally) {
  ++tally.Curves;
  Drawing::TDrawingData data;
  UseCurve(data, c, Variant::Base);
  std::vector<Figures> bySeed;
  for (int s = 1; s <= seeds; ++s) {
    bySeed.push_back(HullFigures::MeasureDrawing(data, samples));
    Print(c, VariantNames[0], unsigned(s), bySeed.back());
  }
  const Figures& base = bySeed.front();
  bool failed = false, area = false, spread = false, orange = false, holes = false, variantArea = false,
       counts = false;
  for (const Figures& f : bySeed) {
    failed |= !f.Drawn;
    area |= !Within(f.Ratio(), 1, 0.02);
    spread |= !Within(f.StripArea + f.FlatArea, base.StripArea + base.FlatArea, 0.01);
    orange |= f.Orange + f.OrangeTurned > 0;
    holes |= f.Holes + f.HolesTurned > 0;
    if (std::fabs(f.Ratio() - 1) > std::fabs(tally.WorstRatio - 1)) tally.WorstRatio = f.Ratio();
  }
  // The seeds draw the same figure: the fastest of them is the least disturbed time.
  double fastest = bySeed.front().DrawingMs;
  for (const Figures& f : bySeed) fastest = std::min(fastest, f.DrawingMs);
  tally.SlowestMs = std::max(tally.SlowestMs, fastest);
  for (Variant v : {Variant::Small, Variant::Large, Variant::Far}) {
    UseCurve(data, c, v);
    const Figures f = HullFigures::MeasureDrawing(data, samples);
    Print(c, VariantNames[int(v)], 1, f);
    failed |= !f.Drawn;
    variantArea |= !Within(f.Ratio(), base.Ratio(), 0.01);
    counts |= !Within(f.OnHull, base.OnHull, 0.02) || !Within(f.Triples, base.Triples, 0.02);
  }
  tally.Failed += failed;
  tally.Area += area;
  tally.Seeds += spread;
  tally.Orange += orange;
  tally.Holes += holes;
  tally.VariantArea += variantArea;
  tally.VariantCounts += counts;
}

}  // namespace TruthCurves
