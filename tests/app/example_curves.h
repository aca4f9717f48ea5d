// The curve files of the examples folder, loaded and drawn as the window loads and draws
// a file.
#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <string>
#include <vector>

#include "app/Drawing.h"
#include "app/Glob.h"
#include "app/core/CurveFile.h"
#include "app/core/CurveInput.h"
#include "tests/support/TestData.h"
#include "tests/support/TestPictures.h"
#include "tests/support/TestView.h"

namespace ExampleCurves {

// Every *.wdx file of the examples folder, by name.
inline std::vector<std::string> Files() {
  const QDir folder(WENDRIX_EXAMPLES_DIR);
  std::vector<std::string> paths;
  for (const QString& name : folder.entryList({"*.wdx"}, QDir::Files, QDir::Name))
    paths.push_back(folder.filePath(name).toStdString());
  return paths;
}

// The file's name without its folder.
inline std::string Name(const std::string& path) { return QFileInfo(QString::fromStdString(path)).fileName().toStdString(); }

// Loads `path` into fresh input fields (DelDisco) and draws it with a fixed seed;
// `shown` then has the figure drawn. Fails the calling test when the file is refused
// or the drawing throws.
inline void LoadAndDraw(const std::string& path, TAppState& shown) {
  CurveInput::TInputFields fields = CurveInput::DefaultFields();
  bool ready = false;
  const CurveFile::TLoadResult load = CurveFile::DelDisco(TestData(), path, fields, ready, shown);
  ASSERT_FALSE(load.FileError) << load.Message;
  ASSERT_EQ(load.Read.Outcome, CurveInput::TReadOutcome::Changed) << load.Read.Message;
  ASSERT_NO_THROW(Drawing::DrawFigure(TestData(), TestPictures(), TestView())) << path;
  shown.DrawnFlag = true;
}

inline void LoadAndDraw(const std::string& path) {
  TAppState shown;
  LoadAndDraw(path, shown);
}

// Fresh drawing data for every test.
class StateTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(GlobInitialize()); }
  void TearDown() override { FreshTestData(); }
};

}  // namespace ExampleCurves
