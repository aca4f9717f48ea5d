// Hostile curve inputs through the path of "Draw It" (LeeDatos, then PassParameters and
// the drawing stages): each row comes to its stated outcome, within a bounded amount
// of work, and a refused input leaves the accepted input and the pictures as they were.
#include <gtest/gtest.h>

#include <QImage>

#include "app/Drawing.h"
#include "app/Glob.h"
#include "app/core/AppState.h"
#include "app/core/CurveFile.h"
#include "formula/FunPars.h"
#include "geometry/Bitangents.h"
#include "geometry/Sampling.h"
#include "geometry/SharedState.h"
#include "geometry/WorkCounters.h"
#include "render/Pictures.h"
#include "tests/app/hostile_rows.h"
#include "tests/support/FigureChecks.h"
#include "tests/support/TestData.h"
#include "tests/support/TestPictures.h"
#include "tests/support/TestView.h"

using Hostile::TExpect;

namespace {

// The most work one drawing of any row may take. The default curve needs about
// 90,000 curve evaluations and 4,000 corrector passes, the heaviest rows below about
// 270,000 and 12,000. A change that lets the work run away fails here.
constexpr std::uint64_t MaxEvaluations = 1'000'000;
constexpr std::uint64_t MaxCorrectorPasses = 50'000;

// What "Draw It" came to.
struct TResult {
  TExpect Outcome = TExpect::Drawn;
  std::string Message;
  bool Beep = false;
};

// "Draw It" with `fields`, as the window runs it.
TResult DrawIt(CurveInput::TInputFields fields, bool& ready) {
  const CurveInput::TReadResult read = CurveInput::LeeDatos(TestData(), fields, ready);
  if (read.Outcome == CurveInput::TReadOutcome::Refused) return {TExpect::Refused, read.Message, read.Beep};
  if (read.Outcome == CurveInput::TReadOutcome::Unchanged) return {TExpect::Refused, "(unchanged)", false};
  try {
    Drawing::DrawFigure(TestData(), TestPictures(), TestView());
  } catch (const std::exception& error) {
    return {TExpect::Failed, error.what(), false};
  }
  return {};
}

// What a refused input must leave alone: the accepted input with its derived step,
// the compiled curve and the pictures.
struct TSnapshot {
  std::vector<std::string> Accepted;
  long double Step = 0;
  std::vector<TVector3> Curve;
  QImage Hull, Square, Normals;
};

TSnapshot Take() {
  TSnapshot s;
  s.Accepted = CurveFile::BuildSaveList(TestData().Input);
  s.Step = TestData().Figure.Param.TStep;
  for (const long double t : {0.0L, 0.5L, 2.0L}) {
    TVector3 p;
    FunPars::EvalCurve(TestData().Curve, t, p);
    s.Curve.push_back(p);
  }
  s.Hull = TestPictures().HullBitmap.copy();
  s.Square = TestPictures().BitangBitmap.copy();
  s.Normals = TestPictures().MaxwellBitmap.copy();
  return s;
}

void ExpectSame(const TSnapshot& a, const TSnapshot& b) {
  EXPECT_EQ(a.Accepted, b.Accepted);
  EXPECT_EQ(a.Step, b.Step);
  ASSERT_EQ(a.Curve.size(), b.Curve.size());
  for (std::size_t k = 0; k < a.Curve.size(); ++k) {
    EXPECT_EQ(a.Curve[k].x, b.Curve[k].x);
    EXPECT_EQ(a.Curve[k].y, b.Curve[k].y);
    EXPECT_EQ(a.Curve[k].z, b.Curve[k].z);
  }
  EXPECT_TRUE(a.Hull == b.Hull) << "the hull picture changed";
  EXPECT_TRUE(a.Square == b.Square) << "the parameter square changed";
  EXPECT_TRUE(a.Normals == b.Normals) << "the normals picture changed";
}

class HostileInput : public ::testing::TestWithParam<Hostile::TRow> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(GlobInitialize());
    ASSERT_EQ(DrawIt(CurveInput::DefaultFields(), ready).Outcome, TExpect::Drawn);
    before = Take();
  }
  void TearDown() override { FreshTestData(); }

  bool ready = false;
  TSnapshot before;
};

}  // namespace

TEST_P(HostileInput, ComesToItsOutcomeWithBoundedWork) {
  const Hostile::TRow& row = GetParam();
  WorkCounters::Reset();
  const TResult result = DrawIt(row.Input, ready);
  RecordProperty("evaluations", std::to_string(WorkCounters::ThisThread.CurveEvaluations));
  RecordProperty("corrector_passes", std::to_string(WorkCounters::ThisThread.CorrectorPasses));
  EXPECT_EQ(result.Outcome, row.Expect) << result.Message;
  EXPECT_EQ(result.Message, row.Message);
  EXPECT_LE(WorkCounters::ThisThread.CurveEvaluations, MaxEvaluations);
  EXPECT_LE(WorkCounters::ThisThread.CorrectorPasses, MaxCorrectorPasses);

  switch (result.Outcome) {
    case TExpect::Refused: {
      // The minimum-maximum messages come without a beep, the others with one.
      EXPECT_EQ(result.Beep, result.Message.find("The minimum of") != 0);
      ExpectSame(Take(), before);
      break;
    }
    case TExpect::Drawn: {
      std::string where;
      EXPECT_TRUE(FigureChecks::FigureIsFinite(TestData(), where)) << where;
      break;
    }
    case TExpect::Failed:
      break;
  }

  // Whatever the row left behind, the default curve draws again to the same pictures.
  ready = false;
  ASSERT_EQ(DrawIt(CurveInput::DefaultFields(), ready).Outcome, TExpect::Drawn);
  ExpectSame(Take(), before);
}

INSTANTIATE_TEST_SUITE_P(Rows, HostileInput, ::testing::ValuesIn(Hostile::Rows()),
                         [](const ::testing::TestParamInfo<Hostile::TRow>& info) { return info.param.Name; });
