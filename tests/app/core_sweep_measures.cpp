// The measures a sweep writes, against Qhull's hull of 100,000 curve samples at each
// value: the default curve over p in 0 .. 5 in the view of the first value.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "app/Glob.h"
#include "app/core/CurveInput.h"
#include "app/core/Sweep.h"
#include "formula/FunPars.h"
#include "geometry/Sampling.h"
#include "geometry/SharedState.h"
#include "geometry/Vectors.h"
#include "tests/support/QhullHull.h"
#include "tests/support/TestData.h"
#include "tests/support/TestPictures.h"
#include "tests/support/TestView.h"

namespace {

struct TReference {
  double Area = 0, Volume = 0;
};

// Qhull's area, and the volume of its facets' tetrahedra about the samples' mean (a
// point inside the convex hull, so every tetrahedron counts positively).
TReference QhullMeasures(int samples) {
  std::vector<TVector3> points(samples);
  TVector3 mean{0, 0, 0};
  for (int k = 0; k < samples; ++k) {
    FunPars::EvalCurve(TestData().Curve, TestData().Input.TMin + TestData().Figure.Param.TSpan * k / samples,
                       points[k]);
    mean = mean + points[k] / samples;
  }
  const QhullHull::Hull hull = QhullHull::QhullOf(points);
  TReference reference{hull.area, 0};
  for (const QhullHull::Facet& f : hull.facets)
    reference.Volume += double(std::fabs(Triple(f.a - mean, f.b - mean, f.c - mean))) / 6;
  return reference;
}

class SweepMeasures : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(GlobInitialize()); }
  void TearDown() override { FreshTestData(); }

  // Draws the default curve at the values of p in `range` as the sweep does and
  // returns the largest relative deviation of area and volume from Qhull's.
  std::pair<double, double> WorstDeviations(const std::vector<int>& picked, const Sweep::TRange& range) {
    CurveInput::TInputFields fields = CurveInput::DefaultFields();
    bool ready = false;
    EXPECT_EQ(CurveInput::LeeDatos(TestData(), fields, ready).Outcome, CurveInput::TReadOutcome::Changed);
    const std::vector<Sweep::TValue> values = Sweep::SweepValues(range, std::nullopt, 0, 0);
    const auto view = Sweep::ChooseView(TestData(), TestPictures(), values, [](TView&) {});
    EXPECT_TRUE(view.has_value());
    double worstArea = 0, worstVolume = 0;
    std::printf("%6s %12s %12s %8s %12s %12s %8s\n", "p", "area", "Qhull", "dev", "volume", "Qhull", "dev");
    for (const int k : picked) {
      const Sweep::TRow row = Sweep::DrawValue(TestData(), TestPictures(), values.at(k), view, TestView());
      EXPECT_TRUE(row.Drawn) << row.Error;
      const TReference reference = QhullMeasures(100000);
      const double area = double(row.Measures.Area) / reference.Area - 1;
      const double volume = double(row.Measures.Volume) / reference.Volume - 1;
      std::printf("%6.2Lf %12.6Lf %12.6f %+8.4f %12.6Lf %12.6f %+8.4f\n", row.Value.P, row.Measures.Area, reference.Area,
                  area, row.Measures.Volume, reference.Volume, volume);
      worstArea = std::max(worstArea, std::fabs(area));
      worstVolume = std::max(worstVolume, std::fabs(volume));
    }
    return {worstArea, worstVolume};
  }
};

// A few values of the sweep, each within 1% of Qhull's hull; at p = 0 the curve lies on
// the unit sphere and passes three times through each of (0, 0, 1) and (0, 0, -1).
TEST_F(SweepMeasures, AFewValuesOfTheDefaultCurveAreNearQhullsHull) {
  const auto [area, volume] = WorstDeviations({0, 5, 13, 25}, {0, 5, 26});
  EXPECT_LT(area, 0.01);
  EXPECT_LT(volume, 0.01);
}

// Every value of the sweep within 1% of Qhull's hull: too slow for every test run, so
// disabled here and run by make sweep-check.
TEST_F(SweepMeasures, DISABLED_TheWholeSweepIsWithinOnePercentOfQhullsHull) {
  std::vector<int> all;
  for (int k = 0; k < 26; ++k) all.push_back(k);
  const auto [area, volume] = WorstDeviations(all, {0, 5, 26});
  EXPECT_LT(area, 0.01);
  EXPECT_LT(volume, 0.01);
}

}  // namespace
