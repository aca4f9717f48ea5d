// Curve files: the number format, saving (also when the disk refuses half-way),
// reading bad files, and loading a saved curve back.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QDir>
#include <QTemporaryDir>
#include <csignal>
#include <fstream>
#include <limits>
#include <sstream>

#include "app/Glob.h"
#include "app/core/AppState.h"
#include "app/core/CurveFile.h"
#include "app/core/CurveInput.h"
#include "formula/Checks.h"
#include "formula/FunPars.h"
#include "geometry/SharedState.h"
#include "tests/support/TestData.h"

using namespace CurveFile;
using CurveInput::TReadOutcome;

namespace {

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// Eleven lines joined with `end`.
std::string CurveText(const std::vector<std::string>& lines, const std::string& end = "\r\n") {
  std::string text;
  for (const std::string& line : lines) text += line + end;
  return text;
}

const std::vector<std::string> DefaultCurveLines = {
    "cos(2t)(p+sen(3t))", "sen(2t)(p+sen(3t))", "cos(3t+q)", "0", "6.28318530717959", "0", "5", "0",
    "3.14159265358979", "0", "0"};

// Fresh drawing data in a temporary folder, with the default input accepted.
class CurveFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder.isValid());
    ASSERT_TRUE(GlobInitialize());
    TestData().Input.PValue = TestData().Input.QValue = 0;
    fields = CurveInput::DefaultFields();
    ready = false;
    ASSERT_EQ(CurveInput::LeeDatos(TestData(), fields, ready).Outcome, TReadOutcome::Changed);
  }
  void TearDown() override { FreshTestData(); }

  std::string Path(const char* name) const { return QDir(folder.path()).filePath(name).toStdString(); }

  // The accepted state as the lines it saves to.
  static std::vector<std::string> AcceptedLines() { return BuildSaveList(TestData().Input); }

  QTemporaryDir folder;
  TAppState state;
  CurveInput::TInputFields fields;
  bool ready = false;
};

}  // namespace

TEST(NumberFormat, GeneralFifteenDigits) {
  const std::pair<long double, const char*> cases[] = {
      {0, "0"},
      {-0.0L, "0"},
      {5, "5"},
      {2.5L, "2.5"},
      {Glob::Pi, "3.14159265358979"},
      {2 * Glob::Pi, "6.28318530717959"},
      {-0.5L, "-0.5"},
      {100, "100"},
      {0.1L, "0.1"},
      {1.0L / 3, "0.333333333333333"},
      {2.0L / 3, "0.666666666666667"},
      {0.00001L, "0.00001"},
      {0.000001L, "1E-6"},
      {-1.5e-6L, "-1.5E-6"},
      {999999999999999.0L, "999999999999999"},
      {1e15L, "1E15"},
      {999999999999999.9L, "1E15"},
      {123456789012345678.0L, "1.23456789012346E17"},
      {1e20L, "1E20"},
      {1e-300L, "1E-300"},
      {std::numeric_limits<long double>::infinity(), "INF"},
      {std::numeric_limits<long double>::quiet_NaN(), "NAN"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(FormatGeneral(value), text) << text;
}

TEST(SaveAsNames, ExtensionAndLength) {
  EXPECT_EQ(SaveAsName("curve"), "curve.wdx");
  EXPECT_EQ(SaveAsName("curve.abc"), "curve.abc");
  EXPECT_EQ(SaveAsName("curve.data"), "curve.data.wdx");
  EXPECT_EQ(SaveAsName("/tmp/a.wdx"), "/tmp/a.wdx");
  EXPECT_EQ(SaveAsName("ab"), "ab.wdx");
  EXPECT_EQ(SaveAsName(std::string(300, 'a')), std::string(255, 'a'));
  EXPECT_EQ(SaveAsName(std::string(253, 'a')), std::string(253, 'a') + ".w");
  // Cut by characters: a two-byte letter is never split.
  std::string accented;
  for (int i = 0; i < 300; ++i) accented += "\xc3\xa9";
  EXPECT_EQ(CutName(accented).size(), 510u);
  EXPECT_TRUE(HasCurveExtension("x/curve.WdX"));
  EXPECT_FALSE(HasCurveExtension("curve.wdx.txt"));
}

TEST_F(CurveFiles, TheDefaultCurveSavesToItsElevenLines) {
  const std::string path = Path("default.wdx");
  SaveCurve(TestData().Input, path);
  EXPECT_EQ(ReadBytes(path), CurveText(DefaultCurveLines));
  EXPECT_EQ(AcceptedLines(), DefaultCurveLines);
}

TEST_F(CurveFiles, SavingReplacesTheFileAndLeavesNoTemporaryFile) {
  const std::string path = Path("curve.wdx");
  WriteBytes(path, "old contents\n");
  WriteLines(path, {"a", "b"});
  EXPECT_EQ(ReadBytes(path), "a\r\nb\r\n");
  EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"curve.wdx"});
}

TEST_F(CurveFiles, AFailedSaveKeepsThePreviousFile) {
  const std::string path = Path("curve.wdx");
  const std::string previous = CurveText(DefaultCurveLines);
  WriteBytes(path, previous);

  // Let the disk refuse after 64 bytes, so that the write fails half-way.
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit small = saved;
  small.rlim_cur = 64;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  bool failed = false;
  try {
    WriteLines(path, std::vector<std::string>(11, std::string(40, 'x')));
  } catch (const WendrixError& e) {
    failed = true;
    EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
  }
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &saved), 0);

  EXPECT_TRUE(failed);
  EXPECT_EQ(ReadBytes(path), previous);
  EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"curve.wdx"});
}

TEST_F(CurveFiles, SavingIntoAMissingFolderFails) {
  EXPECT_THROW(WriteLines(Path("no/such/folder/curve.wdx"), {"a"}), WendrixError);
}

TEST_F(CurveFiles, BadFilesAreRefusedWithAClearMessage) {
  std::vector<std::string> lines = DefaultCurveLines;
  struct TCase {
    const char* Name;
    std::string Bytes;
    const char* Expected;
  };
  std::vector<std::string> badP = lines, badQ = lines;
  badP[9] = "two";
  badQ[10] = "pi";
  const TCase cases[] = {
      {"short.wdx", CurveText({lines.begin(), lines.begin() + 7}), "it has 7 lines where a curve file has eleven"},
      {"empty.wdx", "", "it has 0 lines"},
      {"binary.wdx", CurveText(lines) + std::string("\0\x01\x02", 3), "binary"},
      {"control.wdx", "cos(t)\x07\n" + CurveText({lines.begin() + 1, lines.end()}), "binary"},
      {"badp.wdx", CurveText(badP), "line 10 (\"two\") is not a number"},
      {"badq.wdx", CurveText(badQ), "line 11 (\"pi\") is not a number"},
  };
  for (const TCase& c : cases) {
    const std::string path = Path(c.Name);
    WriteBytes(path, c.Bytes);
    TCurveTexts texts;
    texts.PText = "kept";
    std::string error;
    EXPECT_FALSE(ReadCurveFile(path, texts, error)) << c.Name;
    EXPECT_NE(error.find(c.Expected), std::string::npos) << c.Name << ": " << error;
    EXPECT_NE(error.find(path), std::string::npos) << error;
    EXPECT_EQ(texts.PText, "kept");
  }
  TCurveTexts texts;
  std::string error;
  EXPECT_FALSE(ReadCurveFile(Path("missing.wdx"), texts, error));
  EXPECT_NE(error.find("missing.wdx"), std::string::npos) << error;
  EXPECT_FALSE(ReadCurveFile(folder.path().toStdString(), texts, error));
}

TEST_F(CurveFiles, AnyLineEndIsReadAndLinesAfterTheEleventhAreIgnored) {
  for (const char* end : {"\r\n", "\n", "\r"}) {
    const std::string path = Path("ends.wdx");
    std::vector<std::string> lines = DefaultCurveLines;
    lines[9] = " 2.5 ";
    lines.push_back("a twelfth line");
    WriteBytes(path, CurveText(lines, end));
    TCurveTexts texts;
    std::string error;
    ASSERT_TRUE(ReadCurveFile(path, texts, error)) << error;
    EXPECT_EQ(texts.Fields.X, lines[0]);
    EXPECT_EQ(texts.Fields.QMax, lines[8]);
    EXPECT_EQ(texts.PText, " 2.5 ");
    EXPECT_EQ(texts.P, 2.5L);
  }
  // The last line may lack its end.
  const std::string path = Path("noend.wdx");
  std::string text = CurveText(DefaultCurveLines);
  WriteBytes(path, text.substr(0, text.size() - 2));
  TCurveTexts texts;
  std::string error;
  EXPECT_TRUE(ReadCurveFile(path, texts, error)) << error;
}

TEST_F(CurveFiles, ASavedCurveLoadsToTheSameStateWhateverWasShownBefore) {
  // A curve with p and q between scroll positions' worth of digits.
  fields.X = "cos(t)";
  fields.TMin = "-pi";
  fields.PMax = "3";
  ASSERT_EQ(CurveInput::LeeDatos(TestData(), fields, ready).Outcome, TReadOutcome::Changed);
  TestData().Input.PValue = CurveInput::CursorValue(93, TestData().Input.PMin, TestData().Input.PMax);
  TestData().Input.QValue = CurveInput::CursorValue(201, TestData().Input.QMin, TestData().Input.QMax);
  const std::string first = Path("first.wdx");
  SaveCurve(TestData().Input, first);
  const std::vector<std::string> saved = AcceptedLines();

  // Different states before the load: other ranges, p outside the file's old range,
  // a scroll bar already at the file's position.
  const auto loadFrom = [&](const char* pmax, long double p) {
    CurveInput::TInputFields other = CurveInput::DefaultFields();
    other.PMax = pmax;
    bool otherReady = false;
    ASSERT_EQ(CurveInput::LeeDatos(TestData(), other, otherReady).Outcome, TReadOutcome::Changed);
    TestData().Input.PValue = p;
    const TLoadResult r = DelDisco(TestData(), first, other, otherReady, state);
    ASSERT_FALSE(r.FileError) << r.Message;
    EXPECT_EQ(r.Read.Outcome, TReadOutcome::Changed);
    EXPECT_EQ(AcceptedLines(), saved);
    EXPECT_EQ(other.X, "cos(t)");
    EXPECT_EQ(r.Cursors.P, 93);
    EXPECT_EQ(r.Cursors.Q, 201);
    EXPECT_EQ(r.PPanel, CurveInput::PanelText(TestData().Input.PValue));
    EXPECT_EQ(state.CurveFileName, first);
    EXPECT_FALSE(state.DataChanged);
    EXPECT_TRUE(otherReady);
    // Saving again writes the very same file.
    const std::string again = Path("again.wdx");
    SaveCurve(TestData().Input, again);
    EXPECT_EQ(ReadBytes(again), ReadBytes(first));
  };
  loadFrom("5", 0);
  loadFrom("1", 0.5L);
  loadFrom("300", 0.73L);
}

TEST_F(CurveFiles, LoadingTheCurrentInputRedrawsOnlyWhenPOrQDiffer) {
  const std::string path = Path("same.wdx");
  SaveCurve(TestData().Input, path);
  // "2 pi" comes back as 6.28318530717959, another value: the first load draws, the
  // figure on the screen is no longer the input's.
  state.DrawnFlag = state.StereoMode = true;
  TLoadResult r = DelDisco(TestData(), path, fields, ready, state);
  ASSERT_FALSE(r.FileError) << r.Message;
  EXPECT_EQ(r.Read.Outcome, TReadOutcome::Changed);
  EXPECT_FALSE(state.DrawnFlag);
  EXPECT_FALSE(state.StereoMode);
  state.DrawnFlag = state.StereoMode = state.DataChanged = true;
  state.CurveFileName.clear();
  r = DelDisco(TestData(), path, fields, ready, state);
  ASSERT_FALSE(r.FileError) << r.Message;
  EXPECT_EQ(r.Read.Outcome, TReadOutcome::Unchanged);
  EXPECT_TRUE(state.DrawnFlag);
  EXPECT_TRUE(state.StereoMode);
  EXPECT_EQ(state.CurveFileName, path);
  EXPECT_FALSE(state.DataChanged);

  std::vector<std::string> lines = DefaultCurveLines;
  lines[10] = "1";
  WriteBytes(path, CurveText(lines));
  r = DelDisco(TestData(), path, fields, ready, state);
  ASSERT_FALSE(r.FileError) << r.Message;
  EXPECT_EQ(r.Read.Outcome, TReadOutcome::Changed);
  EXPECT_EQ(TestData().Input.QValue, CurveInput::CursorValue(r.Cursors.Q, 0, TestData().Input.QMax));
  EXPECT_EQ(r.Cursors.Q, 121);
}

TEST_F(CurveFiles, AFaultyFileChangesNothing) {
  const std::vector<std::string> before = AcceptedLines();
  const CurveInput::TInputFields fieldsBefore = fields;
  state.CurveFileName = "previous.wdx";
  state.DataChanged = true;
  std::vector<std::string> outside = DefaultCurveLines;
  outside[9] = "7";  // p beyond the file's range 0 .. 5
  std::vector<std::string> shortFile(DefaultCurveLines.begin(), DefaultCurveLines.begin() + 10);
  for (const auto& lines : {outside, shortFile}) {
    const std::string path = Path("faulty.wdx");
    WriteBytes(path, CurveText(lines));
    const TLoadResult r = DelDisco(TestData(), path, fields, ready, state);
    EXPECT_TRUE(r.FileError);
    EXPECT_FALSE(r.Message.empty());
    EXPECT_EQ(AcceptedLines(), before);
    EXPECT_EQ(fields.X, fieldsBefore.X);
    EXPECT_EQ(fields.TMax, fieldsBefore.TMax);
    EXPECT_EQ(state.CurveFileName, "previous.wdx");
    EXPECT_TRUE(state.DataChanged);
    EXPECT_TRUE(ready);
  }
  const std::string path = Path("faulty.wdx");
  WriteBytes(path, CurveText(outside));
  EXPECT_NE(DelDisco(TestData(), path, fields, ready, state).Message.find("p = 7 lies outside its range 0 to 5"),
            std::string::npos);
}

TEST_F(CurveFiles, ABadFormulaInAFileIsRefusedLikeTypedInput) {
  const std::vector<std::string> before = AcceptedLines();
  std::vector<std::string> lines = DefaultCurveLines;
  lines[1] = "sin(t";
  const std::string path = Path("badformula.wdx");
  WriteBytes(path, CurveText(lines));
  const TLoadResult r = DelDisco(TestData(), path, fields, ready, state);
  ASSERT_FALSE(r.FileError) << r.Message;
  EXPECT_EQ(r.Read.Outcome, TReadOutcome::Refused);
  EXPECT_TRUE(r.Read.Beep);
  EXPECT_FALSE(r.Read.Message.empty());
  EXPECT_EQ(fields.Y, "sin(t");  // the window shows the file's text for correction
  EXPECT_EQ(AcceptedLines(), before);
  EXPECT_EQ(state.CurveFileName, path);
}
