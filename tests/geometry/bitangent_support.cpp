// The plane normal of a pair and the support test.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "geometry/Vectors.h"
#include "tests/geometry/bitangent_helpers.h"
#include "tests/support/TestData.h"

using namespace Bitangents;
using BitangentTests::Analysis;
using BitangentTests::Tracing;
using BitangentTests::CurveAt;
using BitangentTests::Pi;

namespace {

BitangentRecord PairRecord(long double s, long double t) {
  BitangentRecord r;
  r.ParamS = s;
  r.ParamT = t;
  r.PointS = CurveAt(s);
  r.PointT = CurveAt(t);
  return r;
}

TVector3 Unit(const TVector3& v) { return v / Length(v); }

void ExpectSameVector(const TVector3& a, const TVector3& b, long double tol) {
  EXPECT_NEAR(a.x, b.x, tol);
  EXPECT_NEAR(a.y, b.y, tol);
  EXPECT_NEAR(a.z, b.z, tol);
}

// Unit normal of the osculating plane of (cos t, sin t, sin 2t): P' x P''.
TVector3 OsculatingNormal(long double t) {
  const TVector3 d1{-std::sin(t), std::cos(t), 2 * std::cos(2 * t)};
  const TVector3 d2{-std::cos(t), -std::sin(t), -4 * std::sin(2 * t)};
  return Unit(Cross(d1, d2));
}

// Curve points on a grid filling the box [-1, 1] x [-1, 1] x [-1, 0.9].
void UseBoxPoints() {
  TestData().Figure.CurvePoints.clear();
  for (int i = 0; i <= 4; ++i)
    for (int j = 0; j <= 4; ++j)
      for (int k = 0; k <= 4; ++k) {
        Mastil m;
        m.Point = {-1 + i / 2.0L, -1 + j / 2.0L, -1 + k * 1.9L / 4};
        TestData().Figure.CurvePoints.push_back(m);
      }
  // Spare records beyond the high index, as the sampler's array may have.
  TestData().Figure.CurvePoints.resize(TestData().Figure.CurvePoints.size() + 7);
  TestData().Figure.CurvePointHigh = 124;
}

BitangentRecord PlaneRecord(const TVector3& a, const TVector3& b, const TVector3& normal) {
  BitangentRecord r;
  r.PointS = a;
  r.PointT = b;
  r.PlaneNormal = normal;
  return r;
}

}  // namespace

TEST(PairPlaneNormal, CoincidentParametersGiveTheOsculatingPlane) {
  BitangentTests::PrepareCurve("cos(t)", "sin(t)", "sin(2t)", 0, 2 * Pi);
  for (const long double s : {1.0L, 2.5L}) {
    BitangentRecord r = PairRecord(s, s);
    ASSERT_TRUE(PairPlaneNormal(Tracing, r));
    ExpectSameVector(r.PlaneNormal, OsculatingNormal(s), 1e-5L);
  }
  // Closer than 0.001 on the parameter circle: the plane at the midpoint.
  BitangentRecord r = PairRecord(1, 1.0008L);
  ASSERT_TRUE(PairPlaneNormal(Tracing, r));
  ExpectSameVector(r.PlaneNormal, OsculatingNormal(1.0004L), 1e-5L);
}

TEST(PairPlaneNormal, TheEndsOfTheIntervalMeetAtTMin) {
  BitangentTests::PrepareCurve("cos(t)", "sin(t)", "sin(2t)", 0, 2 * Pi);
  for (const Pair x : {Pair{0, TestData().Input.TMax}, Pair{TestData().Input.TMax - 0.0004L, 0.0003L}}) {
    BitangentRecord r = PairRecord(x.x, x.y);
    ASSERT_TRUE(PairPlaneNormal(Tracing, r));
    // (0, -2, 1) / sqrt 5 at t = 0; the middle of the range would give (0, 2, 1) / sqrt 5.
    ExpectSameVector(r.PlaneNormal, OsculatingNormal(0), 1e-5L);
  }
}

TEST(PairPlaneNormal, FarPairsUseTheChordAndTheTangentAtS) {
  BitangentTests::PrepareCurve("cos(t)", "sin(t)", "sin(2t)", 0, 2 * Pi);
  BitangentRecord r = PairRecord(0.5L, 2);
  ASSERT_TRUE(PairPlaneNormal(Tracing, r));
  const TVector3 tangent{-std::sin(0.5L), std::cos(0.5L), 2 * std::cos(1.0L)};
  ExpectSameVector(r.PlaneNormal, Unit(Cross(r.PointS - r.PointT, tangent)), 1e-5L);
  EXPECT_NEAR(Length(r.PlaneNormal), 1, 1e-15L);
}

TEST(PairPlaneNormal, AChordAlongTheTangentAtSFallsBackToTheTangentAtT) {
  // At s = 0 the tangent is (1, 0, 0), along the chord to t = 1; the tangent at t = 1
  // is (1, 1, 1), so the plane is the one through the chord and (1, 1, 1).
  BitangentTests::PrepareCurve("t", "t^2(t-1)", "t^3(t-1)", 0, 2);
  BitangentRecord r = PairRecord(0, 1);
  ASSERT_TRUE(PairPlaneNormal(Tracing, r));
  ExpectSameVector(r.PlaneNormal, Unit({0, 1, -1}), 1e-5L);
}

TEST(PairPlaneNormal, AStraightCurveHasNoPlane) {
  BitangentTests::PrepareCurve("t", "2t", "3t", 0, 1);
  for (const Pair x : {Pair{0.5L, 0.5L}, Pair{0.2L, 0.7L}}) {
    BitangentRecord r = PairRecord(x.x, x.y);
    EXPECT_FALSE(PairPlaneNormal(Tracing, r)) << x.x << ", " << x.y;
    EXPECT_LE(Length(r.PlaneNormal), 1e-7L);
  }
}

TEST(SupportTest, ASupportingPlaneGetsItsNormalTurnedOutwards) {
  UseBoxPoints();
  for (const long double sign : {-1.0L, 1.0L}) {
    BitangentRecord r = PlaneRecord({1, 1, 1}, {-1, 0, 1}, {0, 0, sign});
    SupportTest(TestData().Figure, r);
    EXPECT_EQ(r.OnHull, 1);
    EXPECT_EQ(r.PlaneNormal, (TVector3{0, 0, 1}));
  }
  // A slanted supporting plane x + z = 2 just off the edge x = 1, z = 0.9, given inwards.
  const TVector3 inwards = Unit({-1, 0, -1});
  BitangentRecord r = PlaneRecord({1.05L, -1, 0.95L}, {1.05L, 1, 0.95L}, inwards);
  SupportTest(TestData().Figure, r);
  ASSERT_EQ(r.OnHull, 1);
  EXPECT_EQ(r.PlaneNormal, -inwards);
  const TVector3 mid = (r.PointS + r.PointT) / 2;
  for (int k = 0; k <= TestData().Figure.CurvePointHigh; ++k)
    EXPECT_LE(Dot(r.PlaneNormal, TestData().Figure.CurvePoints[k].Point - mid), 1e-18L) << k;
}

TEST(SupportTest, APlaneWithPointsOnBothSidesIsNotOnTheHull) {
  UseBoxPoints();
  const TVector3 normal = Unit({1, 2, 0.5L});
  BitangentRecord r = PlaneRecord({0, 0, 0}, {0.1L, 0, 0}, normal);
  r.OnHull = 1;
  SupportTest(TestData().Figure, r);
  EXPECT_EQ(r.OnHull, 0);
  EXPECT_EQ(r.PlaneNormal, normal);
}

TEST(SupportTest, ToleratesPointsBeyondThePlaneByTheFixedToleranceOnly) {
  UseBoxPoints();
  // The allowance is the same for every plane: a point a tenth of it above the plane
  // z = 1 passes, one ten times it does not.
  BitangentRecord r = PlaneRecord({1, 1, 1}, {-1, 0, 1}, {0, 0, 1});
  for (const auto& [above, onHull] : {std::pair{0.1L, 1}, std::pair{10.0L, 0}}) {
    TestData().Figure.CurvePoints[60].Point.z = 1 + above * SupportTolerance;
    SupportTest(TestData().Figure, r);
    EXPECT_EQ(r.OnHull, onHull) << above;
  }
}

TEST(SupportTest, WithoutCurvePointsNothingIsSupported) {
  TestData().Figure.CurvePoints.clear();
  TestData().Figure.CurvePointHigh = -1;
  BitangentRecord r = PlaneRecord({1, 1, 1}, {-1, 0, 1}, {0, 0, 1});
  r.OnHull = 1;
  SupportTest(TestData().Figure, r);
  EXPECT_EQ(r.OnHull, 0);
  EXPECT_EQ(r.PlaneNormal, (TVector3{0, 0, 1}));
}

TEST(SupportTest, PassingOverBallsGivesTheVerdictOfEveryPoint) {
  BitangentTests::PrepareCurve("cos(t)", "sin(t)", "0.5cos(50t)", 0, 2 * Pi);
  const PointBalls balls = BallsOfCurvePoints(TestData().Figure);
  int onHull = 0;
  for (int a = 0; a < 40; ++a)
    for (int b = a + 1; b < 40; ++b) {
      BitangentRecord r = PairRecord(a * Pi / 20, b * Pi / 20 + 0.01L);
      if (!PairPlaneNormal(Tracing, r)) continue;
      // The plane itself, and moved to touch the curve within a few tolerances either way.
      long double top = -1e30L;
      for (int k = 0; k <= TestData().Figure.CurvePointHigh; ++k)
        top = std::max(top, Dot(r.PlaneNormal, TestData().Figure.CurvePoints[k].Point));
      for (const long double shift : {0.0L, -3.0L, -0.9L, 0.9L, 3.0L}) {
        BitangentRecord plain = r;
        if (shift != 0) plain.PointS = plain.PointT = (top + shift * SupportTolerance) * r.PlaneNormal;
        BitangentRecord passed = plain;
        SupportTest(TestData().Figure, plain);
        SupportTest(TestData().Figure, balls, passed);
        ASSERT_EQ(passed.OnHull, plain.OnHull) << a << ", " << b << ", " << shift;
        ASSERT_EQ(passed.PlaneNormal, plain.PlaneNormal);
        onHull += plain.OnHull;
      }
    }
  // Both verdicts were met often (the planes moved 3 tolerances into the curve cut it).
  EXPECT_GT(onHull, 2000);
  EXPECT_LT(onHull, 3400);
  // A NaN point: no ball or box clears its run, and the plane above the curve cuts.
  TestData().Figure.CurvePoints[100].Point.x = std::numeric_limits<long double>::quiet_NaN();
  BitangentRecord r = PlaneRecord({0, 0, 0.6L}, {1, 0, 0.6L}, {0, 0, 1});
  SupportTest(TestData().Figure, BallsOfCurvePoints(TestData().Figure), r);
  EXPECT_EQ(r.OnHull, 0);
}

TEST(CutDepth, APlaneMovedByLessThanTheDepthStillCutsTheCurve) {
  BitangentTests::PrepareCurve("cos(t)", "sin(t)", "0.5cos(50t)", 0, 2 * Pi);
  const Sampling::TFigure& figure = TestData().Figure;
  int cutting = 0, certified = 0;
  for (int a = 0; a < 30; ++a)
    for (int b = a + 1; b < 30; ++b) {
      BitangentRecord r = PairRecord(a * Pi / 15, b * Pi / 15 + 0.01L);
      if (!PairPlaneNormal(Tracing, r)) continue;
      BitangentRecord tested = r;
      SupportTest(figure, tested);
      const CutDepth cut = CutDepthOf(figure, r);
      if (tested.OnHull) {
        EXPECT_EQ(cut.Depth, 0);
        continue;
      }
      ++cutting;
      if (!(cut.Depth > 0)) continue;
      ++certified;
      // Turned about an axis in the plane and moved along its normal and across it, each
      // by a little less than half the depth at the farthest point.
      const TVector3 n = r.PlaneNormal;
      const TVector3 across = Unit(Cross(n, std::fabs(n.x) < 0.9L ? TVector3{1, 0, 0} : TVector3{0, 1, 0}));
      const long double turn = 0.49L * cut.Depth / cut.Reach, shift = 0.49L * cut.Depth;
      for (const long double sign : {-1.0L, 1.0L}) {
        BitangentRecord moved = r;
        moved.PlaneNormal = std::cos(turn) * n + sign * std::sin(turn) * across;
        moved.PointS = moved.PointT = (r.PointS + r.PointT) / 2 + sign * shift * Unit(n + across);
        SupportTest(figure, moved);
        EXPECT_EQ(moved.OnHull, 0) << a << ", " << b;
      }
    }
  // Most cutting planes of the wave cut it deep enough to be certified.
  EXPECT_GT(certified, cutting / 2);
}
