// The flat tritangent triangles of the hull picture, which evaluate the curve, and the
// whole picture of the default curve after a real analysis.
#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <set>

#include "geometry/Bitangents.h"
#include "geometry/Framing.h"
#include "geometry/Sampling.h"
#include "geometry/Tritangents.h"
#include "render/HullPicture.h"
#include "render/Raster.h"
#include "tests/render/hull_helpers.h"
#include "tests/support/TestCurves.h"
#include "tests/support/TestData.h"
#include "tests/support/TestPictures.h"
#include "tests/support/TestView.h"

namespace {

using namespace HullTest;

class HullTritangentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(CreatePictures(TestPictures()));
    Scene.BitangentList.assign(1, BitangentRecord{});
    Scene.BitangentCount = 0;
  }

  // The curve (t, 250 + (t - 200)^2 / 100) at depth 10000 in the flat view: its points at
  // t = 100, 200, 300 project to (100, 350), (200, 250), (300, 350).
  static void UseParabola(const std::vector<Tritangents::Triple>& triples) {
    TestCurves::UseCurve(TestData(), "t", "250+(t-200)*(t-200)/100", "6000", 0, 400);
    UseFlatView();
    Scene.TritangentTriples = triples;
    Scene.TritangentCount = static_cast<std::int32_t>(triples.size());
  }

  // Ten curve points on row 20 at the given depth: the side of the triangle's plane the
  // curve lies on, and a short overlay far from the triangle.
  static void UseCurveAtDepth(long double depth) {
    std::vector<TVector3> points;
    for (int k = 0; k < 10; ++k) points.push_back(At(20 + k, 20, depth));
    UseCurvePoints(points);
  }
};

TEST_F(HullTritangentTest, TriangleFacesAwayFromTheCurveAndIsWidened) {
  UseParabola({{100, 200, 300}});
  UseCurveAtDepth(10100);  // behind the plane: the normal faces the viewer
  HullPicture::RenderHull(TestPictures(), TestView(), TestData().Curve, TestData().Figure, Scene);
  EXPECT_EQ(PixelAt(200, 320), PaletteRgb(208));
  EXPECT_EQ(Raster::FrontDepth(TestPictures(), 200, 320), 10000);
  // Row 300 spans x = 150..250, one more on the right.
  EXPECT_EQ(PixelAt(150, 300), PaletteRgb(208));
  EXPECT_EQ(PixelAt(251, 300), PaletteRgb(208));
  EXPECT_EQ(PixelAt(149, 300), White);
  EXPECT_EQ(PixelAt(252, 300), White);

  UseCurveAtDepth(9900);  // in front of the plane: the normal is turned away
  HullPicture::RenderHull(TestPictures(), TestView(), TestData().Curve, TestData().Figure, Scene);
  EXPECT_EQ(PixelAt(200, 320), PaletteRgb(112));
}

TEST_F(HullTritangentTest, TriplesOnALineAreSkipped) {
  // Two equal parameters give a zero normal, which must not reach the shading as a NaN.
  UseParabola({{100, 100, 200}, {150, 150, 150}});
  UseCurveAtDepth(10100);
  ASSERT_NO_THROW(HullPicture::RenderHull(TestPictures(), TestView(), TestData().Curve, TestData().Figure, Scene));
  for (int x = 0; x < 400; ++x)
    for (int y = 40; y < 400; ++y) ASSERT_EQ(PixelAt(x, y), White) << x << ", " << y;
}

TEST_F(HullTritangentTest, DefaultCurvePicture) {
  TestCurves::UseDefaultCurve(TestData());
  TestView() = Framing::PrepareFigure(TestData().Curve, TestData().Figure);
  Bitangents::AnalyzeBitangents(TestData().Curve, TestData().Figure, Scene);
  ASSERT_GT(Scene.BitangentCount, 0);

  double best = 1e9;
  for (int run = 0; run < 5; ++run) {
    const auto start = std::chrono::steady_clock::now();
    HullPicture::RenderHull(TestPictures(), TestView(), TestData().Curve, TestData().Figure, Scene);
    best = std::min(best, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  std::cout << "RenderHull on the default curve: " << best << " ms, " << TestPictures().RulingCount << " rulings, "
            << Scene.TritangentCount << " tritangent triangles\n";

  // The hull covers the middle of the picture, mostly in faces turned to the viewer, and
  // the curve runs over it in yellow.
  EXPECT_GT(TestPictures().RulingCount, 100);
  std::set<QRgb> greens;
  for (int k = 129; k <= 208; ++k) greens.insert(PaletteRgb(k));
  int green = 0, yellow = 0, white = 0;
  for (int x = 0; x < 400; ++x)
    for (int y = 0; y < 400; ++y) {
      const QRgb c = PixelAt(x, y);
      white += c == White;
      yellow += c == Yellow;
      green += greens.count(c) ? 1 : 0;
    }
  EXPECT_GT(green, 20000);
  EXPECT_GT(yellow, 300);
  EXPECT_GT(white, 20000);
  EXPECT_NE(PixelAt(200, 200), White);
}

}  // namespace
