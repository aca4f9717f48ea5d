// Curve sampling: where curve points fall, what they hold, and the evaluation grid.
#include <gtest/gtest.h>

#include <cmath>

#include "formula/FunPars.h"
#include "geometry/Sampling.h"
#include "geometry/SharedState.h"
#include "geometry/Vectors.h"
#include "tests/support/TestCurves.h"
#include "tests/support/TestData.h"

namespace {

void Sample(const char* x, const char* y, const char* z, long double tmin, long double tmax) {
  TestCurves::UseCurve(TestData(), x, y, z, tmin, tmax);
  Sampling::SampleCurve(TestData().Curve, TestData().Figure);
}

// Sample index of curve point k.
long SampleIndex(int k) {
  return std::lround((TestData().Figure.CurvePoints[k].Param - TestData().Input.TMin) / TestData().Figure.Param.TStep);
}

TEST(SamplingSpacing, StraightLineTakesEvery22ndSampleAndEndsAtTMaxExactly) {
  Sample("t", "2t-1", "3t", -1.3L, 2.9L);  // here TMin + 4,096 h falls short of TMax
  ASSERT_EQ(TestData().Figure.CurvePointHigh, 187);
  for (int k = 0; k < TestData().Figure.CurvePointHigh; ++k) {
    EXPECT_EQ(TestData().Figure.CurvePoints[k].Param,
              static_cast<long double>(22 * k) * TestData().Figure.Param.TStep + TestData().Input.TMin)
        << k;
    // The sample was evaluated at a parameter formed two steps earlier: equal up to rounding.
    EXPECT_NEAR(TestData().Figure.CurvePoints[k].Point.x, TestData().Figure.CurvePoints[k].Param, 1e-18) << k;
  }
  EXPECT_EQ(TestData().Figure.CurvePoints[187].Param, TestData().Input.TMax);
  EXPECT_EQ(SampleIndex(187), 4096);
  // Room grows by 20 from 100 records; nothing is left in the spare records.
  EXPECT_EQ(TestData().Figure.CurvePoints.size(), 200u);
  EXPECT_EQ(TestData().Figure.CurvePoints[199].Param, 0);
  const Mastil& m = TestData().Figure.CurvePoints[90];
  EXPECT_NEAR(m.Tangent.x, 1, 1e-12);
  EXPECT_NEAR(m.Tangent.y, 2, 1e-12);
  EXPECT_NEAR(m.Tangent.z, 3, 1e-12);
  EXPECT_TRUE(m.Moment == Cross(m.Point, m.Tangent));
  // L1 length of 4,097 chords over 45 times the high index.
  EXPECT_NEAR(TestData().Figure.ChordScale, 6 * 4.2L * 4097 / 4096 / (45 * 187), 1e-15);
}

TEST(SamplingSpacing, CircleTurnsSlowlyEnoughForEvery22ndSample) {
  Sample("cos(t)", "sin(t)", "cos(t) + sin(t)", 0, 2 * Glob::Pi);
  ASSERT_EQ(TestData().Figure.CurvePointHigh, 187);
  for (int k = 0; k <= TestData().Figure.CurvePointHigh; ++k) {
    const Mastil& m = TestData().Figure.CurvePoints[k];
    const long double t = m.Param;
    EXPECT_NEAR(m.Tangent.x, -std::sin(t), 1e-11) << k;
    EXPECT_NEAR(m.Tangent.y, std::cos(t), 1e-11) << k;
    // A planar curve: a twisting curve of this size would give about h^6 here.
    EXPECT_LT(std::fabs(m.Torsion), 1e-3L * TestData().Figure.Param.TStepCube * TestData().Figure.Param.TStepCube) << k;
  }
}

TEST(SamplingSpacing, CuspGivesCurvePointsAtConsecutiveSamples) {
  Sample("t^2", "t^3", "t^4", -1, 1);
  ASSERT_GT(TestData().Figure.CurvePointHigh, 187);
  int consecutive = 0;
  for (int k = 1; k <= TestData().Figure.CurvePointHigh; ++k) {
    const long gap = SampleIndex(k) - SampleIndex(k - 1);
    EXPECT_GE(gap, 1);
    EXPECT_LE(gap, 22);
    if (gap == 1) {
      ++consecutive;
      EXPECT_LT(std::fabs(TestData().Figure.CurvePoints[k].Param), 0.05L) << k;
    }
  }
  EXPECT_GE(consecutive, 2);
  EXPECT_GE(TestData().Figure.CurvePoints.size(), static_cast<std::size_t>(TestData().Figure.CurvePointHigh) + 1);
  // Away from the cusp this space curve twists one way (its torsion has the sign of t).
  EXPECT_LT(TestData().Figure.CurvePoints[10].Torsion, 0);
  EXPECT_GT(TestData().Figure.CurvePoints[TestData().Figure.CurvePointHigh - 10].Torsion, 0);
}

TEST(SamplingGrid, EverySlotHoldsTheCurveAtItsOwnParameter) {
  Sample("t", "0", "0", -1.3L, 2.9L);
  const auto& buffer = TestData().Figure.SampleBuffer;
  ASSERT_EQ(buffer.size(), 4101u);
  const long double h = TestData().Figure.Param.TStep, tmin = TestData().Input.TMin;
  EXPECT_EQ(buffer[0].x, tmin - TestData().Figure.Param.TStep2);
  EXPECT_EQ(buffer[1].x, tmin - h);
  EXPECT_EQ(buffer[2].x, tmin);
  for (int k = 5; k < 4100; ++k)
    EXPECT_EQ(buffer[k].x, static_cast<long double>(k - 4) * h + tmin + TestData().Figure.Param.TStep2) << k;
  EXPECT_EQ(buffer[4100].x, TestData().Input.TMax + TestData().Figure.Param.TStep2);
}

TEST(SamplingGrid, ResamplingDropsEarlierCurvePoints) {
  Sample("t^2", "t^3", "t^4", -1, 1);
  Sample("t", "t", "t", 0, 1);
  ASSERT_EQ(TestData().Figure.CurvePointHigh, 187);
  EXPECT_EQ(TestData().Figure.CurvePoints[187].Param, 1);
}

}  // namespace
