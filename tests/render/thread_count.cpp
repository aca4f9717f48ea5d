// A drawing split over two threads against the same drawing on one: the curve points,
// the records, the triples, the picture and the counts must agree bit for bit.
#include <gtest/gtest.h>

#include <QImage>
#include <cfenv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <stdexcept>
#include <vector>

#include "geometry/Bitangents.h"
#include "geometry/Framing.h"
#include "geometry/Parallel.h"
#include "geometry/Sampling.h"
#include "geometry/TritangentsInternal.h"
#include "geometry/WorkCounters.h"
#include "render/HullPicture.h"
#include "tests/support/TestCurves.h"
#include "tests/support/TestData.h"
#include "tests/support/TestPictures.h"

namespace {

struct TDrawn {
  std::vector<long double> Reals;  // curve points, records and triples in order
  std::vector<int> Flags;          // the records' support and start flags
  QImage Hull;
  std::uint64_t Evaluations = 0, CorrectorPasses = 0;
  // The links between segments, which a triple needs but few links change.
  Tritangents::SegmentLinks Links;
};

void Add(std::vector<long double>& reals, const TVector3& v) { reals.insert(reals.end(), {v.x, v.y, v.z}); }

// Draws the curve of `data` with the given thread setting, from the sampling to the picture.
TDrawn Draw(Drawing::TDrawingData& data, int threads) {
  const Sampling::TFigure& figure = data.Figure;
  WorkCounters::ThisThread.Threads = threads;
  WorkCounters::Reset();
  const TView view = Framing::PrepareFigure(data.Curve, data.Figure);
  Bitangents::TAnalysis analysis;
  Bitangents::AnalyzeBitangents(data.Curve, figure, analysis);
  HullPicture::RenderHull(TestPictures(), view, data.Curve, figure, analysis);
  WorkCounters::ThisThread.Threads = 0;
  TDrawn d;
  for (int k = 0; k <= figure.CurvePointHigh; ++k) {
    d.Reals.push_back(figure.CurvePoints[k].Param);
    Add(d.Reals, figure.CurvePoints[k].Point);
  }
  for (int k = 1; k <= analysis.BitangentCount; ++k) {
    const BitangentRecord& r = analysis.BitangentList[k];
    d.Reals.insert(d.Reals.end(), {r.ParamS, r.ParamT});
    Add(d.Reals, r.PointS);
    Add(d.Reals, r.PointT);
    Add(d.Reals, r.PlaneNormal);
    d.Flags.insert(d.Flags.end(), {r.OnHull, r.StartsBranch});
  }
  for (const Tritangents::Triple& t : analysis.TritangentTriples) d.Reals.insert(d.Reals.end(), t.begin(), t.end());
  d.Hull = TestPictures().HullBitmap.copy();
  WorkCounters::ThisThread.Threads = threads;
  d.Links = Tritangents::LinkSegments(figure);
  WorkCounters::ThisThread.Threads = 0;
  d.Evaluations = WorkCounters::ThisThread.CurveEvaluations;
  d.CorrectorPasses = WorkCounters::ThisThread.CorrectorPasses;
  return d;
}

// The 64 significand bits, sign and exponent of every real (the padding left out).
bool SameBits(const std::vector<long double>& a, const std::vector<long double>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t k = 0; k < a.size(); ++k)
    if (std::memcmp(&a[k], &b[k], 10) != 0) return false;
  return true;
}

// A wave of 25 periods has strips enough for every split loop to split, and for some
// traces aside to be taken over while others must be traced again.
TEST(ThreadCount, TwoThreadsDrawWhatOneDraws) {
  Drawing::TDrawingData& data = TestData();
  TestCurves::UseCurve(data, "cos(t)", "sin(t)", "0.5cos(25t)", 0, 2 * Glob::Pi);
  const TDrawn one = Draw(data, 1), two = Draw(data, 2);
  ASSERT_GT(data.Figure.CurvePointHigh, 900);
  ASSERT_GT(one.Flags.size(), 20000u);
  EXPECT_TRUE(SameBits(one.Reals, two.Reals));
  EXPECT_EQ(one.Flags, two.Flags);
  EXPECT_TRUE(one.Hull == two.Hull);
  EXPECT_EQ(one.Links, two.Links);
  EXPECT_EQ(one.Evaluations, two.Evaluations);
  EXPECT_EQ(one.CorrectorPasses, two.CorrectorPasses);
  // Workers kept waiting by a crew, rather than started for each split.
  const TDrawn crewed = [&data] {
    WorkCounters::ThisThread.Threads = 2;
    const Parallel::TCrew crew;
    return Draw(data, 2);
  }();
  EXPECT_TRUE(SameBits(one.Reals, crewed.Reals));
  EXPECT_EQ(one.Flags, crewed.Flags);
  EXPECT_TRUE(one.Hull == crewed.Hull);
  EXPECT_EQ(one.Evaluations, crewed.Evaluations);

  // A ceiling below the drawing's count stops it on two threads as on one, with or
  // without a crew.
  for (const bool withCrew : {false, true}) {
    WorkCounters::ThisThread.Threads = 2;
    const std::optional<Parallel::TCrew> crew = withCrew ? std::make_optional<Parallel::TCrew>() : std::nullopt;
    WorkCounters::ThisThread.EvaluationLimit = one.Evaluations / 2;
    EXPECT_THROW(Draw(data, 2), WorkLimitError) << withCrew;
    WorkCounters::ThisThread.EvaluationLimit = one.Evaluations;
    EXPECT_NO_THROW(Draw(data, 2)) << withCrew;
    WorkCounters::ThisThread.EvaluationLimit = std::numeric_limits<std::uint64_t>::max();
  }
}

// The bands' outcome is that of running them in order: the flags of the bands up to the
// first that failed, that band's error.
TEST(ThreadCount, BandsFailAsInOrder) {
  std::feclearexcept(FE_ALL_EXCEPT);
  volatile long double zero = 0;
  const auto band = [&zero](int k) {
    if (k == 1) {
      volatile long double x = 1 / zero;
      (void)x;
      throw std::out_of_range("band 1");
    }
    if (k == 2) {
      volatile long double x = std::sqrt(-1 - zero);
      (void)x;
      throw std::runtime_error("band 2");
    }
  };
  EXPECT_THROW(Parallel::RunBands(3, band), std::out_of_range);
  EXPECT_TRUE(std::fetestexcept(FE_DIVBYZERO));
  EXPECT_FALSE(std::fetestexcept(FE_INVALID));
  std::feclearexcept(FE_ALL_EXCEPT);
}

}  // namespace
