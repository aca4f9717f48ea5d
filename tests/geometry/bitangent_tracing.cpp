// Branch tracing: the visited cells, the continuation step, the inserted records, the
// record list and whole traced branches.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <utility>
#include <vector>

#include "formula/Checks.h"
#include "geometry/Vectors.h"
#include "tests/geometry/bitangent_helpers.h"
#include "tests/support/TestData.h"

using namespace Bitangents;
using BitangentTests::Analysis;
using BitangentTests::Tracing;
using BitangentTests::CurveAt;
using BitangentTests::Pi;

namespace {

using CellSet = std::set<std::pair<int, int>>;

CellSet MarkedCells() {
  CellSet cells;
  for (int g = 0; g < Tracing.CellCount; ++g)
    for (int k = 0; k < Tracing.CellCount; ++k)
      if (Tracing.VisitedCells[g][k]) cells.insert({g, k});
  return cells;
}

void ClearCells() {
  for (auto& row : Tracing.VisitedCells) std::fill(row.begin(), row.end(), 0);
}

BitangentRecord PairRecord(long double s, long double t, const TVector3& normal) {
  BitangentRecord r;
  r.ParamS = s;
  r.ParamT = t;
  r.PointS = CurveAt(s);
  r.PointT = CurveAt(t);
  r.PlaneNormal = normal;
  return r;
}

// The planar circle: every pair is a bitangent pair (the residual is exactly zero), so
// the corrector accepts any prediction unchanged and CircleStep shows its prediction.
void UsePlanarCircle() { BitangentTests::PrepareCurve("cos(t)", "sin(t)", "0", 0, 2 * Pi); }

Pair OnCircle(const Pair& centre, long double radius, long double angle) {
  return {centre.x + radius * std::cos(angle), centre.y + radius * std::sin(angle)};
}

long double Distance(const Pair& a, const Pair& b) { return std::hypot(a.x - b.x, a.y - b.y); }

}  // namespace

TEST(FindSeed, OfEqualResidualsTheFirstProbeIsCorrected) {
  // Every probe solves the residual of the planar circle exactly: the first one wins
  // and is accepted unchanged.
  UsePlanarCircle();
  for (const int i : {0, 7, 19}) {
    BitangentRecord r;
    ASSERT_TRUE(FindSeed(Tracing, i, 3, r));
    EXPECT_EQ(r.ParamS, Tracing.SeedGrid[i] + SeedFractions[0] * TestData().Figure.Param.TStep20);
    EXPECT_EQ(r.ParamT, Tracing.SeedGrid[3] + SeedFractions[0] * TestData().Figure.Param.TStep20);
    EXPECT_NEAR(Length(r.PlaneNormal), 1, 1e-15L);
  }
}

TEST(StartDirections, OfEqualResidualsTheFirstDirectionAndItsOppositeAreTaken) {
  UsePlanarCircle();
  const BitangentRecord seed = PairRecord(2, 4, {0, 0, 1});
  std::array<BitangentRecord, 3> dirs;
  ASSERT_EQ(StartDirections(Tracing, seed, dirs), 2);
  const long double radius = Tracing.ProbeRadius;
  EXPECT_EQ(dirs[1].ParamS, 2 + radius);
  EXPECT_EQ(dirs[1].ParamT, 4);
  EXPECT_NEAR(dirs[2].ParamS, 2 - radius, 1e-18L);
  EXPECT_NEAR(dirs[2].ParamT, 4, 1e-18L);
}

TEST(MarkPath, WalksTheNearestCellsOfTheStraightLine) {
  ClearCells();
  EXPECT_FALSE(MarkPath(Tracing, 3, 3, 6, 4));
  EXPECT_EQ(MarkedCells(), (CellSet{{3, 3}, {4, 3}, {5, 4}, {6, 4}}));
  ClearCells();
  EXPECT_FALSE(MarkPath(Tracing, 6, 4, 3, 3));
  EXPECT_EQ(MarkedCells(), (CellSet{{3, 3}, {4, 3}, {5, 4}, {6, 4}}));
  // Steep: K steps, G = Nearest(2 + j/4) with 2.5 going to the even 2.
  ClearCells();
  EXPECT_FALSE(MarkPath(Tracing, 2, 2, 3, 6));
  EXPECT_EQ(MarkedCells(), (CellSet{{2, 2}, {2, 3}, {2, 4}, {3, 5}, {3, 6}}));
  ClearCells();
  EXPECT_FALSE(MarkPath(Tracing, 7, 7, 7, 7));
  EXPECT_EQ(MarkedCells(), (CellSet{{7, 7}}));
}

TEST(MarkPath, ReportsACollisionButMarksTheWholeWay) {
  ClearCells();
  Tracing.VisitedCells[3][3] = 1;  // the start cell is marked without a test
  EXPECT_FALSE(MarkPath(Tracing, 3, 3, 6, 4));
  ClearCells();
  Tracing.VisitedCells[4][3] = 1;
  EXPECT_TRUE(MarkPath(Tracing, 3, 3, 6, 4));
  EXPECT_EQ(MarkedCells(), (CellSet{{3, 3}, {4, 3}, {5, 4}, {6, 4}}));
  // Across (3, 3) and (4, 3) to the new (7, 3).
  EXPECT_TRUE(MarkPath(Tracing, 2, 3, 7, 3));
  EXPECT_TRUE(Tracing.VisitedCells[7][3]);
  EXPECT_FALSE(MarkPath(Tracing, 6, 4, 6, 6));
}

TEST(MarkPath, RefusesCellsOutsideTheGrid) {
  ClearCells();
  EXPECT_THROW(MarkPath(Tracing, 159, 0, 161, 0), RangeError);
  EXPECT_THROW(MarkPath(Tracing, 0, 0, 0, -1), RangeError);
  EXPECT_NO_THROW(MarkPath(Tracing, 159, 159, 160, 160));
}

TEST(BitangentList, GrowsByOneHundredWithoutLosingRecords) {
  BitangentTests::PrepareDefaultCurve();
  ASSERT_EQ(Analysis.BitangentList.size(), 1000u);
  ASSERT_EQ(Analysis.BitangentCount, 0);
  for (int k = 1; k <= 1000; ++k) {
    BitangentRecord r;
    r.ParamS = k;
    AppendRecord(Tracing, r);
    if (k == 999) {
      EXPECT_EQ(Analysis.BitangentList.size(), 1000u);
    }
  }
  // Record 1000 found the array full at 999 records: its length became 999 + 100.
  EXPECT_EQ(Analysis.BitangentList.size(), 1099u);
  EXPECT_EQ(Analysis.BitangentCount, 1000);
  for (int k = 1; k <= 1000; ++k) {
    ASSERT_EQ(Analysis.BitangentList[k].ParamS, k);
  }
  for (int k = 1001; k <= 1098; ++k) AppendRecord(Tracing, BitangentRecord{});
  EXPECT_EQ(Analysis.BitangentList.size(), 1099u);
  AppendRecord(Tracing, BitangentRecord{});
  EXPECT_EQ(Analysis.BitangentList.size(), 1198u);
}

TEST(CircleStep, ContinuesOnTheCircleThroughTheLastThreePoints) {
  UsePlanarCircle();
  const Pair centre{3, 3};
  const long double radius = 0.5L;
  const TVector3 same{0, 0, 1};
  for (const long double travel : {1.0L, -1.0L}) {
    TraceState st{OnCircle(centre, radius, 0), OnCircle(centre, radius, 0.6L * travel),
                  OnCircle(centre, radius, 1.2L * travel), {}};
    BitangentRecord r;
    ASSERT_TRUE(CircleStep(Tracing, st, same, same, r));
    // Arc angle: 0.1 at most (ArcStepMax / radius is larger here).
    const Pair expected = OnCircle(centre, radius, (1.2L + 0.1L) * travel);
    EXPECT_NEAR(st.Next.x, expected.x, 1e-15L);
    EXPECT_NEAR(st.Next.y, expected.y, 1e-15L);
    EXPECT_EQ(r.ParamS, st.Next.x);
    EXPECT_EQ(r.ParamT, st.Next.y);
  }
}

TEST(CircleStep, AFastTurningNormalShortensTheArc) {
  UsePlanarCircle();
  const Pair centre{3, 3};
  const long double radius = 0.5L;
  TraceState st{OnCircle(centre, radius, 0), OnCircle(centre, radius, 0.6L), OnCircle(centre, radius, 1.2L), {}};
  BitangentRecord r;
  // Normals at right angles over the last step: the arc turns the normal by about 0.1.
  ASSERT_TRUE(CircleStep(Tracing, st, {1, 0, 0}, {0, 2, 0}, r));
  const long double step = Distance(st.Pb, st.Pc);
  const Pair expected = OnCircle(centre, radius, 1.2L + 0.1L * step / radius);
  EXPECT_NEAR(st.Next.x, expected.x, 1e-15L);
  EXPECT_NEAR(st.Next.y, expected.y, 1e-15L);
}

TEST(CircleStep, CollinearPointsContinueOnALongTangentCircle) {
  UsePlanarCircle();
  const Pair a{1, 1}, b{1.01L, 1.01L}, c{1.02L, 1.02L};
  TraceState st{a, b, c, {}};
  BitangentRecord r;
  ASSERT_TRUE(CircleStep(Tracing, st, {0, 0, 1}, {0, 0, 1}, r));
  // Radius 100 |c - b|; the turn limit 0.1 / (0.1 x 100) gives an arc of 0.01 rad.
  const long double radius = 100 * Distance(b, c), phi = 0.01L;
  EXPECT_NEAR(Distance(st.Next, c), 2 * radius * std::sin(phi / 2), 1e-15L);
  const Pair step{st.Next.x - c.x, st.Next.y - c.y}, along{c.x - b.x, c.y - b.y};
  EXPECT_NEAR(Dot2(step, along) / (Distance(st.Next, c) * Distance(b, c)), std::cos(phi / 2), 1e-12L);
  // A last step of zero length gives no direction.
  TraceState still{a, c, c, {}};
  EXPECT_FALSE(CircleStep(Tracing, still, {0, 0, 1}, {0, 0, 1}, r));
}

TEST(FillByTurn, ShortensItsPiecesUntilNeighbouringPlanesTurnLittle) {
  BitangentTests::PrepareDefaultCurve();
  // Two pairs of one branch, given planes a right angle apart: the real planes between
  // them cannot lie near both, so the pieces shrink to the finest next to both ends.
  BitangentRecord prev, cur;
  long double acc;
  ASSERT_TRUE(CorrectPair(Tracing, {1, 2}, {1.1L, 2.2L}, CorrectMode::Perpendicular, acc, prev));
  ASSERT_TRUE(CorrectPair(Tracing, {1.1L, 2.2L}, {1, 2}, CorrectMode::Perpendicular, acc, cur));
  prev.PlaneNormal = {1, 0, 0};
  cur.PlaneNormal = {0, 1, 0};
  FillByTurn(Tracing, prev, cur);
  std::int32_t count = Analysis.BitangentCount;
  ASSERT_GE(count, MaxFillHalvings - 1);
  // As a share of the segment, whose length is sqrt(0.05).
  const long double finest = std::ldexp(Tracing.ArcStepMax, -MaxFillHalvings) / std::sqrt(0.05L);
  long double before = 0;
  const BitangentRecord* last = &prev;
  for (int k = 1; k <= Analysis.BitangentCount + 1; ++k) {
    const BitangentRecord& z = k <= Analysis.BitangentCount ? Analysis.BitangentList[k] : cur;
    // Where the pair lies along the segment, as a share of it: growing along the list.
    const long double at = ((z.ParamS - 1) * 0.1L + (z.ParamT - 2) * 0.2L) / 0.05L;
    EXPECT_GT(at, before) << k;
    const TVector3 &a = last->PlaneNormal, &b = z.PlaneNormal;
    const long double turn = std::atan2(Length(Cross(a, b)), std::fabs(Dot(a, b)));
    EXPECT_TRUE(turn <= MaxFillTurn || at - before < 1.5L * finest) << k;
    if (k <= Analysis.BitangentCount) {
      EXPECT_EQ(z.StartsBranch, 0);
      EXPECT_LT(std::fabs(BitangentResidual(Tracing, {z.ParamS, z.ParamT}).F), Tracing.PairTolerance);
      EXPECT_EQ(z.PointS, CurveAt(z.ParamS));
      EXPECT_NEAR(Length(z.PlaneNormal), 1, 1e-15L);
    }
    before = at;
    last = &z;
  }
  // With cur nearer on the same line, the records up to an arc step short of it stay
  // the same. Halving the segment, copies of a curve that stepped differently up to
  // the edge of a flat face got different records there.
  const std::vector<BitangentRecord> farther(&Analysis.BitangentList[1], &Analysis.BitangentList[1] + count);
  const long double ds = cur.ParamS - prev.ParamS, dt = cur.ParamT - prev.ParamT, length = std::hypot(ds, dt);
  const BitangentRecord nearer = PairRecord(prev.ParamS + 0.9L * ds, prev.ParamT + 0.9L * dt, cur.PlaneNormal);
  Analysis.BitangentCount = 0;
  FillByTurn(Tracing, prev, nearer);
  int same = 0;
  for (const BitangentRecord& z : farther)
    if ((z.ParamS - prev.ParamS) * ds + (z.ParamT - prev.ParamT) * dt < (0.9L * length - Tracing.ArcStepMax) * length) {
      ASSERT_LT(same, Analysis.BitangentCount);
      ++same;
      EXPECT_NEAR(Analysis.BitangentList[same].ParamS, z.ParamS, 1e-12L) << same;
      EXPECT_NEAR(Analysis.BitangentList[same].ParamT, z.ParamT, 1e-12L) << same;
    }
  EXPECT_GE(same, 2);
  // Parallel, opposite and degenerate normals insert nothing.
  count = Analysis.BitangentCount;
  for (const TVector3 n : {TVector3{2, 0, 0}, TVector3{-1, 0, 0}, TVector3{1e-9L, 0, 0}}) {
    cur.PlaneNormal = n;
    FillByTurn(Tracing, prev, cur);
    EXPECT_EQ(Analysis.BitangentCount, count);
  }
}

TEST(FillBySpacing, InsertsOneRecordPerSpacingOfScreenPlaneDistance) {
  BitangentTests::PrepareDefaultCurve();
  const long double spacing = TestData().Figure.FillSpacing;
  ASSERT_GT(spacing, 0);
  BitangentRecord prev = PairRecord(1, 2, {1, 0, 0}), cur = PairRecord(1.1L, 2.2L, {1, 0, 0});
  prev.PointS = prev.PointT = {0, 0, 0};
  // d = 2.5 spacings in x and y (z is ignored): n = Trunc(3.5) = 3, two records.
  cur.PointS = {spacing, -0.5L * spacing, 50 * spacing};
  cur.PointT = {0, spacing, -50 * spacing};
  FillBySpacing(Tracing, prev, cur);
  ASSERT_EQ(Analysis.BitangentCount, 2);
  // At a third and two thirds of the way, moved across the segment onto the branch.
  for (int k = 1; k <= 2; ++k) {
    const BitangentRecord& z = Analysis.BitangentList[k];
    EXPECT_NEAR((z.ParamS - 1) * 0.1L + (z.ParamT - 2) * 0.2L, 0.05L * k / 3, 1e-12L);
  }
  cur.PointS = {0.9L * spacing, 0, 0};
  cur.PointT = {0, 0, 0};
  FillBySpacing(Tracing, prev, cur);
  EXPECT_EQ(Analysis.BitangentCount, 2);
}

TEST(FillBySpacing, RefusesAbsurdDistancesBeforeInsertingAnything) {
  BitangentTests::PrepareDefaultCurve();
  BitangentRecord prev = PairRecord(1, 2, {1, 0, 0}), cur = PairRecord(1.1L, 2.2L, {1, 0, 0});
  cur.PointS.x = prev.PointS.x + 1e6L * TestData().Figure.FillSpacing;
  EXPECT_THROW(FillBySpacing(Tracing, prev, cur), RangeError);
  cur.PointS.x = std::nanl("");
  EXPECT_THROW(FillBySpacing(Tracing, prev, cur), RangeError);
  cur.PointS.x = 1e4000L;
  EXPECT_THROW(FillBySpacing(Tracing, prev, cur), RangeError);
  EXPECT_EQ(Analysis.BitangentCount, 0);
  EXPECT_EQ(Analysis.BitangentList.size(), 1000u);
  ClearFloatFlags();
}

TEST(TraceBranch, ASeedWithoutNeighboursStandsAsAPolylineOfOnePoint) {
  BitangentTests::PrepareCurve("cos(t)", "sin(t)", "t", 0, 2 * Pi);
  BitangentRecord seed = PairRecord(1, 3.5L, {0, 0, 1});
  std::array<BitangentRecord, 3> dirs;
  ASSERT_EQ(StartDirections(Tracing, seed, dirs), 0) << "the pair is not meant to be near a bitangent pair";
  TraceBranch(Tracing, seed, CellOf(Tracing, 1), CellOf(Tracing, 3.5L));
  ASSERT_EQ(Analysis.BitangentCount, 2);
  EXPECT_EQ(Analysis.BitangentList[1].StartsBranch, 1);
  EXPECT_EQ(Analysis.BitangentList[2].StartsBranch, 0);
  EXPECT_EQ(Analysis.BitangentList[1].ParamS, 1);
  EXPECT_EQ(Analysis.BitangentList[2].ParamT, 3.5L);
  EXPECT_EQ(Analysis.BitangentList[1].OnHull, Analysis.BitangentList[2].OnHull);
  EXPECT_EQ(Analysis.BitangentList[1].PlaneNormal, Analysis.BitangentList[2].PlaneNormal);
}

TEST(TraceBranch, FollowsTheBranchBothWaysFromTheSeed) {
  BitangentTests::PrepareDefaultCurve();
  BitangentRecord seed;
  bool found = false;
  std::array<BitangentRecord, 3> dirs;
  for (int i = 0; i < 20 && !found; ++i)
    for (int j = 0; j < 20 && !found; ++j)
      found = FindSeed(Tracing, i, j, seed) && StartDirections(Tracing, seed, dirs) == 2;
  ASSERT_TRUE(found);
  // The two first points lie on opposite sides of the seed, about ProbeRadius away.
  const Pair s0{seed.ParamS, seed.ParamT};
  const Pair d1{dirs[1].ParamS - s0.x, dirs[1].ParamT - s0.y}, d2{dirs[2].ParamS - s0.x, dirs[2].ParamT - s0.y};
  EXPECT_LT(Dot2(d1, d2), 0);
  EXPECT_LT(std::hypot(d1.x, d1.y), 2 * Tracing.ProbeRadius);
  EXPECT_GT(std::hypot(d1.x, d1.y), 0.5L * Tracing.ProbeRadius);

  const int g = CellOf(Tracing, seed.ParamS), k = CellOf(Tracing, seed.ParamT);
  TraceBranch(Tracing, seed, g, k);
  const int traced = Analysis.BitangentCount;
  ASSERT_GT(traced, 10);
  std::vector<int> starts;
  for (int i = 1; i <= traced; ++i) {
    const BitangentRecord& r = Analysis.BitangentList[i];
    if (r.StartsBranch) starts.push_back(i);
    EXPECT_NEAR(Length(r.PlaneNormal), 1, 1e-12L) << i;
    EXPECT_GE(Margin(TestData().Figure.Param, r.ParamS, r.ParamT), 0) << i;
    // Consecutive records of a polyline are at most two arc steps apart (the point of
    // the first step is not stored).
    if (!r.StartsBranch) {
      EXPECT_LT(
          Distance({r.ParamS, r.ParamT}, {Analysis.BitangentList[i - 1].ParamS, Analysis.BitangentList[i - 1].ParamT}),
          2 * Tracing.ArcStepMax)
          << i;
    }
  }
  // One polyline per direction, each starting at the seed.
  ASSERT_EQ(starts.size(), 2u);
  EXPECT_EQ(starts[0], 1);
  for (const int i : starts) {
    EXPECT_EQ(Analysis.BitangentList[i].ParamS, seed.ParamS);
    EXPECT_EQ(Analysis.BitangentList[i].ParamT, seed.ParamT);
  }
  // Each direction ends where the branch meets the diagonal (beyond lies the mirror image
  // of what was traced), or on the border, at a bitangent pair with its own curve points.
  for (const int end : {starts[1] - 1, traced}) {
    const BitangentRecord& r = Analysis.BitangentList[end];
    if (r.ParamS == r.ParamT) {
      EXPECT_EQ(r.PointS, CurveAt(r.ParamS)) << end;
      EXPECT_EQ(r.PointT, r.PointS) << end;
      continue;
    }
    EXPECT_LT(Margin(TestData().Figure.Param, r.ParamS, r.ParamT), 2 * BorderInset(TestData().Figure.Param)) << end;
    EXPECT_LT(std::fabs(BitangentTests::ResidualAt(r.ParamS, r.ParamT)), Tracing.PairTolerance) << end;
    EXPECT_EQ(r.PointS, CurveAt(r.ParamS)) << end;
    EXPECT_EQ(r.PointT, CurveAt(r.ParamT)) << end;
  }
  // Tracing from the same seed again meets the cells just marked within the first
  // steps of each direction.
  TraceBranch(Tracing, seed, g, k);
  ASSERT_GT(Analysis.BitangentCount, traced);
  for (int i = traced + 1; i <= Analysis.BitangentCount; ++i)
    EXPECT_LT(Distance({Analysis.BitangentList[i].ParamS, Analysis.BitangentList[i].ParamT}, s0),
              2 * Tracing.ArcStepMax)
        << i;
}

// Where a branch leaves the square it ends with one record on the border, whose curve
// points are the curve's at its parameters. The steps towards the border used to be
// refused beyond it and halved, creeping up to it with a dozen records; and a first
// point beyond the border ended its branch with that point's curve points, a quad
// reaching across the seam that the continuation from the other side drew again.
TEST(AnalyzeBitangents, BranchesEndOnceAtTheBorderOnTheCurve) {
  BitangentTests::PrepareCurve("cos(t)", "sin(t)", "0.5cos(13t)", 0, 2 * Pi);
  AnalyzeBitangents(TestData().Curve, TestData().Figure, Analysis);
  const Glob::TParamConstants& param = TestData().Figure.Param;
  const long double diagonal = TestData().Figure.FigureDiagonal;
  int atBorder = 0, mostInOne = 0;
  for (int i = 1, inThis = 0; i <= Analysis.BitangentCount; ++i) {
    const BitangentRecord& r = Analysis.BitangentList[i];
    EXPECT_LT(Length(r.PointS - CurveAt(r.ParamS)), 1e-12L * diagonal) << i;
    EXPECT_LT(Length(r.PointT - CurveAt(r.ParamT)), 1e-12L * diagonal) << i;
    if (r.StartsBranch) inThis = 0;
    if (Margin(param, r.ParamS, r.ParamT) < 1e-6L * param.TSpan) mostInOne = std::max(mostInOne, ++inThis), ++atBorder;
  }
  // At most its start across the seam, its end, and the last step of a strip narrowing
  // into the edge of a flat face that lies on the border.
  EXPECT_GT(atBorder, 20);
  EXPECT_LE(mostInOne, 3);
}

TEST(AnalyzeBitangents, IsRepeatable) {
  BitangentTests::PrepareDefaultCurve();
  AnalyzeBitangents(TestData().Curve, TestData().Figure, Analysis);
  const BitangData first(Analysis.BitangentList.begin(), Analysis.BitangentList.begin() + Analysis.BitangentCount + 1);
  ASSERT_GT(Analysis.BitangentCount, 100);
  EXPECT_EQ(Analysis.BitangentList[1].StartsBranch, 1);
  AnalyzeBitangents(TestData().Curve, TestData().Figure, Analysis);
  ASSERT_EQ(Analysis.BitangentCount + 1, static_cast<int>(first.size()));
  for (int i = 1; i <= Analysis.BitangentCount; ++i) {
    ASSERT_EQ(Analysis.BitangentList[i].ParamS, first[i].ParamS) << i;
    ASSERT_EQ(Analysis.BitangentList[i].ParamT, first[i].ParamT) << i;
    ASSERT_EQ(Analysis.BitangentList[i].OnHull, first[i].OnHull) << i;
  }
  // Moving the interval moves the scales of the square.
  EXPECT_NEAR(Analysis.SquareScaleS, 300 / (2 * Pi), 1e-15L);
  EXPECT_EQ(Analysis.SquareScaleS, Analysis.SquareScaleT);
}
