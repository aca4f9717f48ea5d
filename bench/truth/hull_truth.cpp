// The analysed hull against Qhull's hull of 100,000 curve samples over the whole curve
// set, each curve also shrunk by 1e6, enlarged by 1e6 and moved half a million
// diagonals away: one line per drawing, then a table per family. `make truth` runs it;
// the optional arguments are the number of seeds (1..8, default 8) and a text that the
// family and name of a curve must contain, as "family name" (all curves by default).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "app/Glob.h"
#include "bench/truth/TruthCurves.h"

int main(int argc, char** argv) {
  if (!GlobInitialize()) return 1;
  const int seeds = argc > 1 ? std::clamp(std::atoi(argv[1]), 1, 8) : 8;
  std::vector<std::pair<std::string, TruthCurves::Tally>> families;
  const std::string only = argc > 2 ? argv[2] : "";
  for (const TruthCurves::Curve& c : TruthCurves::TestSet()) {
    if ((c.Family + " " + c.Name).find(only) == std::string::npos) continue;
    if (families.empty() || families.back().first != c.Family) families.push_back({c.Family, {}});
    TruthCurves::CheckCurve(c, seeds, 100000, families.back().second);
    std::fflush(stdout);
  }
  std::printf("\nfamily    curves  failed  area>2%%  seeds>1%%  orange  holes  copies-area  copies-counts  worst ratio  slowest ms\n");
  for (const auto& [name, t] : families)
    std::printf("%-9s %6d %7d %8d %9d %7d %6d %12d %14d  %.4f %11.1f\n", name.c_str(), t.Curves, t.Failed, t.Area, t.Seeds,
                t.Orange, t.Holes, t.VariantArea, t.VariantCounts, t.WorstRatio, t.SlowestMs);
  return 0;
}
