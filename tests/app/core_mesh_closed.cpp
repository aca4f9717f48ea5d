// The exported hull mesh of the example curves and of a few families: a closed surface
// wound outwards (Debian's admesh agrees), enclosing the volume of Qhull's hull of
// 100,000 curve samples within 1%.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>

#include "app/Drawing.h"
#include "app/core/MeshFiles.h"
#include "app/core/SafeFile.h"
#include "formula/FunPars.h"
#include "geometry/Sampling.h"
#include "geometry/SharedState.h"
#include "render/HullMesh.h"
#include "tests/app/example_curves.h"
#include "tests/support/QhullHull.h"
#include "tests/support/TestCurves.h"
#include "tests/support/TestData.h"
#include "tests/support/TestPictures.h"
#include "tests/support/TestView.h"

namespace {

using HullMesh::THullMesh;

struct TCurve {
  std::string Name, X, Y, Z;
  long double P = 0;
};

// a1 cos t + b1 sin t + ... up to `degree`, coefficients in steps of 0.1 in [-1, 1].
std::string Trigonometric(std::mt19937& generator, int degree) {
  std::uniform_int_distribution<int> tenths(-10, 10);
  std::string f = "0";
  for (int k = 1; k <= degree; ++k)
    for (const char* fn : {"cos", "sin"}) f += "+(" + std::to_string(tenths(generator) / 10.0) + ")" + fn + "(" + std::to_string(k) + "t)";
  return f;
}

std::vector<TCurve> Curves() {
  std::vector<TCurve> curves{{"saddle", "cos(t)", "sin(t)", "cos(2t)"},
                             {"default p=2", "cos(2t)(p+sen(3t))", "sen(2t)(p+sen(3t))", "cos(3t)", 2},
                             // On the unit sphere, through each pole three times.
                             {"default p=0", "cos(2t)(p+sen(3t))", "sen(2t)(p+sen(3t))", "cos(3t)", 0},
                             {"wave K=5", "cos(t)", "sin(t)", "0.5cos(5t)"},
                             {"wave K=13", "cos(t)", "sin(t)", "0.5cos(13t)"},
                             {"wave K=30", "cos(t)", "sin(t)", "0.5cos(30t)"},
                             {"wave K=50", "cos(t)", "sin(t)", "0.5cos(50t)"},
                             {"torus (2,21)", "(2+cos(21t))cos(2t)", "(2+cos(21t))sin(2t)", "sin(21t)"}};
  std::mt19937 generator(7);
  for (int k = 0; k < 3; ++k) {
    const int degree = 2 + k % 3;
    curves.push_back({"random " + std::to_string(k), Trigonometric(generator, degree), Trigonometric(generator, degree),
                      Trigonometric(generator, degree)});
  }
  return curves;
}

double QhullVolume() {
  std::vector<TVector3> samples(100000);
  for (std::size_t k = 0; k < samples.size(); ++k)
    FunPars::EvalCurve(TestData().Curve, TestData().Input.TMin + TestData().Figure.Param.TSpan * k / samples.size(),
                       samples[k]);
  return QhullHull::QhullOf(samples).volume;
}

struct TMeshFigures {
  int Triangles = 0, OpenEdges = 0, OpenEnds = 0;
  double VolumeRatio = 0;
};

TMeshFigures Measure(const THullMesh& mesh) {
  return {static_cast<int>(mesh.Triangles.size()), HullMesh::OpenEdges(mesh), mesh.OpenEnds,
          double(HullMesh::MeshVolume(mesh)) / QhullVolume()};
}

void Expect(const std::string& name, const TMeshFigures& f) {
  std::printf("%-24s %6d triangles %4d open edges %3d open ends  volume / Qhull's %.5f\n", name.c_str(), f.Triangles,
              f.OpenEdges, f.OpenEnds, f.VolumeRatio);
  EXPECT_EQ(f.OpenEdges, 0) << name;
  EXPECT_NEAR(f.VolumeRatio, 1, 0.01) << name;
}

// admesh's report of an STL file: its counts by the words that name them.
std::map<std::string, double> Admesh(const std::string& path) {
  QProcess admesh;
  admesh.start("admesh", {QString::fromStdString(path)});
  std::map<std::string, double> figures;
  if (!admesh.waitForFinished(60000) || admesh.exitCode() != 0) return figures;
  for (const QString& line : QString::fromLocal8Bit(admesh.readAllStandardOutput()).split('\n')) {
    for (const char* key : {"Number of parts", "Total disconnected facets", "Degenerate facets", "Facets reversed",
                            "Volume"}) {
      const int at = line.indexOf(key);
      if (at < 0) continue;
      const QString rest = line.mid(at + int(std::strlen(key))).section(':', 1).simplified().section(' ', 0, 0);
      figures[key] = rest.toDouble();
    }
  }
  return figures;
}

using ClosedMeshes = ExampleCurves::StateTest;

TEST_F(ClosedMeshes, EveryExample) {
  for (const std::string& path : ExampleCurves::Files()) {
    ExampleCurves::LoadAndDraw(path);
    Expect(ExampleCurves::Name(path),
           Measure(HullMesh::BuildHullMesh(TestData().Curve, TestData().Figure, TestData().Analysis)));
  }
}

TEST_F(ClosedMeshes, CurveFamiliesAndRandomCurves) {
  for (const TCurve& c : Curves()) {
    TestCurves::UseCurve(TestData(), c.X, c.Y, c.Z, 0, 2 * Glob::Pi, c.P);
    ASSERT_NO_THROW(Drawing::DrawFigure(TestData(), TestPictures(), TestView())) << c.Name;
    Expect(c.Name, Measure(HullMesh::BuildHullMesh(TestData().Curve, TestData().Figure, TestData().Analysis)));
  }
}

// Our own count of open edges against admesh, on the exported file of the default
// curve whole and with one triangle taken out.
TEST_F(ClosedMeshes, AdmeshAgrees) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  TAppState shown;
  ExampleCurves::LoadAndDraw(std::string(WENDRIX_EXAMPLES_DIR) + "/default-curve.wdx", shown);
  THullMesh mesh = HullMesh::BuildHullMesh(TestData().Curve, TestData().Figure, TestData().Analysis);
  const std::string whole = folder.filePath("whole.stl").toStdString(), holed = folder.filePath("holed.stl").toStdString();
  std::string message;
  ASSERT_TRUE(MeshFiles::ExportHullMesh(shown, TestData(), whole, message)) << message;
  EXPECT_NE(message.find("closed"), std::string::npos) << message;
  std::map<std::string, double> report = Admesh(whole);
  ASSERT_FALSE(report.empty()) << "admesh did not run";
  EXPECT_EQ(report["Number of parts"], 1);
  EXPECT_EQ(report["Total disconnected facets"], 0);
  EXPECT_EQ(report["Degenerate facets"], 0);
  EXPECT_EQ(report["Facets reversed"], 0);
  EXPECT_NEAR(report["Volume"], double(HullMesh::MeshVolume(mesh)), 1e-4 * report["Volume"]);

  mesh.Triangles.erase(mesh.Triangles.begin() + 10);
  EXPECT_EQ(HullMesh::OpenEdges(mesh), 3);
  SafeFile::Write(holed, MeshFiles::StlBytes(mesh));
  report = Admesh(holed);
  EXPECT_EQ(report["Total disconnected facets"], 3);
}

// Far from the origin single precision moves the STL's vertices: a file that is
// written must still hold the volume admesh reads, with a note of the move; where it
// cannot (the float step 0.125 at 1.5e6), nothing is written and the message says why.
TEST_F(ClosedMeshes, FarStlIsTrueOrRefused) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  for (const char* offset : {"10000+", "1500000+"}) {
    TestCurves::UseCurve(TestData(), std::string(offset) + "cos(t)", "sin(t)", "0.5cos(5t)", 0, 2 * Glob::Pi);
    ASSERT_NO_THROW(Drawing::DrawFigure(TestData(), TestPictures(), TestView()));
    TAppState shown;
    shown.DrawnFlag = true;
    const std::string path = folder.filePath(QString(offset) + ".stl").toStdString();
    std::string message, warning;
    if (MeshFiles::ExportHullMesh(shown, TestData(), path, MeshFiles::TMeshFormat::Stl, message, &warning)) {
      EXPECT_NE(warning.find("single-precision"), std::string::npos) << offset;
      EXPECT_NEAR(Admesh(path)["Volume"],
                  double(HullMesh::MeshVolume(
                      HullMesh::BuildHullMesh(TestData().Curve, TestData().Figure, TestData().Analysis))),
                  2e-3)
          << offset;
    } else {
      EXPECT_EQ(std::string(offset), "1500000+") << message;
      EXPECT_NE(message.find(".obj"), std::string::npos) << message;
      EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));
    }
  }
  // A figure below single precision's reach is refused for its size, which the message
  // names: its box [-1, 1]^3 times 1e-4000 has the diagonal 2 sqrt(3) 1e-4000.
  TestCurves::UseCurve(TestData(), "10^(-4000)cos(t)", "10^(-4000)sin(t)", "10^(-4000)cos(3t)", 0, 2 * Glob::Pi);
  ASSERT_NO_THROW(Drawing::DrawFigure(TestData(), TestPictures(), TestView()));
  TAppState shown;
  shown.DrawnFlag = true;
  std::string message;
  const std::string path = folder.filePath("tiny.stl").toStdString();
  EXPECT_FALSE(MeshFiles::ExportHullMesh(shown, TestData(), path, MeshFiles::TMeshFormat::Stl, message, nullptr));
  EXPECT_NE(message.find("a figure this small (diagonal 3.5E-4000)"), std::string::npos) << message;
  EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));
}

}  // namespace
