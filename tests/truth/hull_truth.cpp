// The analysed hull against Qhull's hull of 100,000 curve samples, over a set of closed
// curves (random trigonometric curves, the examples, knots, the wave and torus-knot
// families), each also shrunk by 1e6, enlarged by 1e6 and moved a million diagonals
// away, with generator seeds 1 to 8. `make truth` runs the whole sweep and prints
// per-curve and per-family figures; `make test` runs the Fast cases.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "app/Glob.h"
#include "formula/FunPars.h"
#include "geometry/SharedState.h"
#include "tests/support/TestCurves.h"
#include "tests/truth/HullFigures.h"

using HullFigures::Figures;

namespace {

struct Curve {
  std::string Family, Name, X, Y, Z;
  long double P = 0, Q = 0;
};

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

// Diagonal of the box of 4,096 samples of the curve in force.
long double SampledDiagonal() {
  TVector3 lo{1e300L, 1e300L, 1e300L}, hi = -1 * lo;
  for (int k = 0; k < 4096; ++k) {
    TVector3 p;
    FunPars::EvalCurve(Glob::TMin + Glob::TSpan * k / 4096, p);
    lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
    hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
  }
  const TVector3 d = hi - lo;
  return std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
}

void UseCurve(const Curve& c, Variant v) {
  const auto use = [&](const std::string& x, const std::string& y, const std::string& z) {
    TestCurves::UseCurve(x, y, z, 0, 2 * Glob::Pi, c.P, c.Q);
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
      std::snprintf(offset, sizeof offset, "%.0Lf+", 5e5L * SampledDiagonal());
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
              " qhull %.4f) excess %.1e orange %d/%d holes %d/%d\n",
              c.Family.c_str(), c.Name.c_str(), variant, seed, f.OnHull, f.Triples, f.FlatPlanes, f.Ratio(),
              f.StripArea, f.FlatArea, f.HullArea, f.PlaneExcess, f.Orange, f.OrangeTurned, f.Holes, f.HolesTurned);
}

// Per family: curves drawn, and how many break each requirement.
struct Tally {
  int Curves = 0, Failed = 0, Area = 0, Seeds = 0, Orange = 0, Holes = 0, Invariance = 0;
  double WorstRatio = 1;
};

bool Within(double value, double reference, double share) {
  return std::fabs(value - reference) <= share * std::max(std::fabs(reference), 1.0);
}

// Checks one curve over seeds 1..seeds and the three variants (at seed 1).
void CheckCurve(const Curve& c, int seeds, int samples, Tally& tally) {
  ++tally.Curves;
  UseCurve(c, Variant::Base);
  std::vector<Figures> bySeed;
  for (int s = 1; s <= seeds; ++s) {
    bySeed.push_back(HullFigures::MeasureDrawing(unsigned(s), samples));
    Print(c, VariantNames[0], unsigned(s), bySeed.back());
  }
  const Figures& base = bySeed.front();
  bool failed = false, area = false, spread = false, orange = false, holes = false, variance = false;
  for (const Figures& f : bySeed) {
    failed |= !f.Drawn;
    area |= !Within(f.Ratio(), 1, 0.02);
    spread |= !Within(f.StripArea + f.FlatArea, base.StripArea + base.FlatArea, 0.01);
    orange |= f.Orange + f.OrangeTurned > 0;
    holes |= f.Holes + f.HolesTurned > 0;
    if (std::fabs(f.Ratio() - 1) > std::fabs(tally.WorstRatio - 1)) tally.WorstRatio = f.Ratio();
    EXPECT_TRUE(f.Drawn) << c.Name << ": " << f.Error;
    EXPECT_NEAR(f.Ratio(), 1, 0.02) << c.Name;
    EXPECT_EQ(f.Orange + f.OrangeTurned, 0) << c.Name;
    EXPECT_EQ(f.Holes + f.HolesTurned, 0) << c.Name;
  }
  for (Variant v : {Variant::Small, Variant::Large, Variant::Far}) {
    UseCurve(c, v);
    const Figures f = HullFigures::MeasureDrawing(1, samples);
    Print(c, VariantNames[int(v)], 1, f);
    const bool same = f.Drawn && Within(f.OnHull, base.OnHull, 0.02) && Within(f.Triples, base.Triples, 0.02) &&
                      Within(f.Ratio(), base.Ratio(), 0.01);
    variance |= !same;
    EXPECT_TRUE(same) << c.Name << " " << VariantNames[int(v)];
  }
  tally.Failed += failed;
  tally.Area += area;
  tally.Seeds += spread;
  tally.Orange += orange;
  tally.Holes += holes;
  tally.Invariance += variance;
}

class Truth : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(GlobInitialize()); }
};

// WENDRIX_TRUTH_SEEDS sets how many seeds the sweep tries (8 unless given).
TEST_F(Truth, Sweep) {
  const char* seeds = std::getenv("WENDRIX_TRUTH_SEEDS");
  const int seedCount = seeds ? std::max(1, std::atoi(seeds)) : 8;
  std::vector<std::pair<std::string, Tally>> families;
  for (const Curve& c : TestSet()) {
    if (families.empty() || families.back().first != c.Family) families.push_back({c.Family, {}});
    CheckCurve(c, seedCount, 100000, families.back().second);
    std::fflush(stdout);
  }
  std::printf("\nfamily    curves  failed  area>2%%  seeds>1%%  orange  holes  variants  worst area ratio\n");
  for (const auto& [name, t] : families)
    std::printf("%-9s %6d %7d %8d %9d %7d %6d %9d  %.4f\n", name.c_str(), t.Curves, t.Failed, t.Area, t.Seeds,
                t.Orange, t.Holes, t.Invariance, t.WorstRatio);
}

// A few curves of the set, two seeds each, for the everyday test run.
TEST_F(Truth, Fast) {
  Tally tally;
  const std::vector<Curve> set = TestSet();
  for (const char* name : {"default-curve", "K=20", "(2,7)"})
    for (const Curve& c : set)
      if (c.Name == name) CheckCurve(c, 2, 20000, tally);
}

}  // namespace
