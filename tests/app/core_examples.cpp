// The example curve files: each is a curve file as the program writes it, loads and
// draws without an error, and shows a hull.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "app/Drawing.h"
#include "app/core/AppState.h"
#include "geometry/Bitangents.h"
#include "geometry/SharedState.h"
#include "geometry/Tritangents.h"
#include "render/HullPicture.h"
#include "render/Pictures.h"
#include "tests/app/example_curves.h"
#include "tests/support/TestData.h"
#include "tests/support/TestPictures.h"

namespace {

QByteArray Contents(const std::string& path) {
  QFile file(QString::fromStdString(path));
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

using ExampleFiles = ExampleCurves::StateTest;

TEST_F(ExampleFiles, EveryFileLoadsDrawsAndSavesBackUnchanged) {
  const std::vector<std::string> files = ExampleCurves::Files();
  ASSERT_GE(files.size(), 6u) << WENDRIX_EXAMPLES_DIR;
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  for (const std::string& path : files) {
    SCOPED_TRACE(path);
    ExampleCurves::LoadAndDraw(path);

    // A hull was found and drawn: strips of several rulings, over a third of the
    // picture covered.
    int visible = 0;
    for (int i = 1; i <= TestData().Analysis.BitangentCount; ++i)
      visible += HullPicture::Visible(TestData().Analysis.BitangentList[i]);
    EXPECT_GT(visible, 100);
    int covered = 0;
    for (int x = 0; x < 400; ++x)
      for (int y = 0; y < 400; ++y) covered += TestPictures().HullBitmap.pixel(x, y) != 0xFFFFFFFFu;
    EXPECT_GT(covered, 400 * 400 / 10);

    // Saved again, the curve gives back the very bytes of the file: eleven lines ending
    // in CR LF, numbers in the program's own format, p and q on scroll positions.
    const std::string copy = folder.filePath("copy.wdx").toStdString();
    CurveFile::SaveCurve(TestData().Input, copy);
    EXPECT_EQ(Contents(copy), Contents(path));
  }
}

TEST_F(ExampleFiles, SomeExamplesUseTheParametersAndSomeHaveFlatTriangles) {
  int withParameters = 0, withTriangles = 0;
  for (const std::string& path : ExampleCurves::Files()) {
    ExampleCurves::LoadAndDraw(path);
    const std::string formulas = TestData().Input.XFormula + TestData().Input.YFormula + TestData().Input.ZFormula;
    withParameters += formulas.find('p') != std::string::npos && formulas.find('q') != std::string::npos &&
                      (TestData().Input.PValue != 0 || TestData().Input.QValue != 0);
    withTriangles += TestData().Analysis.TritangentCount > 0;
  }
  EXPECT_GE(withParameters, 2);
  EXPECT_GE(withTriangles, 4);
}

}  // namespace
