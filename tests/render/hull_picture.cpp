// The shaded hull picture built from hand-made bitangent lists and curve points in a
// view where world x and y are pixel coordinates and world z = 16000 - depth.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "geometry/Bitangents.h"
#include "geometry/Sampling.h"
#include "geometry/SharedState.h"
#include "geometry/Tritangents.h"
#include "render/HullPicture.h"
#include "render/Pictures.h"
#include "render/Raster.h"
#include "tests/render/hull_helpers.h"
#include "tests/support/TestData.h"
#include "tests/support/TestPictures.h"
#include "tests/support/TestView.h"

namespace {

using namespace HullTest;

class HullPictureTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(UseEmptyScene()); }

  // A vertical ruling at column x from row top to row top + 100, at depth 10000, whose
  // plane normal has AxisZ component d.
  static void AddRuling(long double x, long double top, long double d, bool starts, bool onHull = true,
                        long double s = 1, long double t = 2) {
    BitangentRecord r;
    r.OnHull = onHull;
    r.StartsBranch = starts;
    r.ParamS = s;
    r.ParamT = t;
    r.PointS = At(x, top, 10000);
    r.PointT = At(x, top + 100, 10000);
    r.PlaneNormal = {std::sqrt(1 - d * d), 0, d};
    AppendRecord(r);
  }
};

TEST_F(HullPictureTest, ShadeIndexRoundsHalvesToEven) {
  const struct {
    long double d;
    int shade;
  } cases[] = {{1, 208}, {-1, 112}, {0, 32}, {0.5, 168}, {-0.5, 72}, {1.0L / 32, 130}, {-1.0L / 32, 34},
               {3.0L / 32, 136}, {-3.0L / 32, 40}};
  for (const auto& c : cases)
    EXPECT_EQ(HullPicture::ShadeIndex(TestView(), {0, 0, c.d}), c.shade) << static_cast<double>(c.d);
  // The index follows the view's AxisZ, not a fixed axis.
  TestView().AxisZ = {1, 0, 0};
  EXPECT_EQ(HullPicture::ShadeIndex(TestView(), {1, 0, 0}), 208);
  EXPECT_EQ(HullPicture::ShadeIndex(TestView(), {0, 0, 1}), 32);
}

TEST_F(HullPictureTest, RulingsGrowByTenWhenFull) {
  TestPictures().Rulings.assign(100, Ruling{});
  TestPictures().RulingCount = 0;
  Ruling r;
  for (int i = 1; i <= 99; ++i) HullPicture::AppendRuling(TestPictures(), r);
  EXPECT_EQ(TestPictures().Rulings.size(), 100u);
  r.Shade = 77;
  HullPicture::AppendRuling(TestPictures(), r);
  EXPECT_EQ(TestPictures().RulingCount, 100);
  EXPECT_EQ(TestPictures().Rulings.size(), 109u);  // 99 records in use plus 10
  EXPECT_EQ(TestPictures().Rulings[100].Shade, 77);
  TestPictures().Rulings.clear();
  TestPictures().RulingCount = 0;
  HullPicture::AppendRuling(TestPictures(), r);
  EXPECT_EQ(TestPictures().Rulings.size(), 10u);
}

TEST_F(HullPictureTest, QuadDiagonalFollowsDepthsOnlyWhenNotBothFacingTheViewer) {
  // Quad corners (50, 100), (50, 200) and (70, 100), (70, 200). Pixel (55, 180) lies in
  // the triangle left of diagonal a.EndS-b.EndT, (65, 120) right of it; (55, 120) and
  // (65, 180) are the same for the other diagonal.
  const auto quad = [](int shadeA, int shadeB, long double nearDepth) {
    const Ruling a{{50, 100, 10000}, {50, 200, nearDepth}, shadeA, true, {}, {}, {}};
    const Ruling b{{70, 100, nearDepth}, {70, 200, 10000}, shadeB, false, {}, {}, {}};
    Raster::ClearDepth(TestPictures());
    TestPictures().HullBitmap.fill(Qt::white);
    HullPicture::FillStripQuad(TestPictures(), TestView(), TestData().Figure, a, b, HullPicture::RenderMode::Depth);
    HullPicture::FillStripQuad(TestPictures(), TestView(), TestData().Figure, a, b, HullPicture::RenderMode::PaintNear);
  };
  quad(200, 190, 9990);  // both face the viewer: the nearer diagonal is not used
  EXPECT_EQ(PixelAt(55, 180), PaletteRgb(200));
  EXPECT_EQ(PixelAt(65, 120), PaletteRgb(190));
  quad(100, 120, 9990);  // nearer diagonal a.EndT-b.EndS
  EXPECT_EQ(PixelAt(55, 120), PaletteRgb(100));
  EXPECT_EQ(PixelAt(65, 180), PaletteRgb(120));
  quad(100, 120, 10000);  // equal sums keep the default diagonal
  EXPECT_EQ(PixelAt(55, 180), PaletteRgb(100));
  EXPECT_EQ(PixelAt(65, 120), PaletteRgb(120));
  // The bounding curve pieces are yellow where both ends are at the front.
  EXPECT_EQ(PixelAt(60, 100), Yellow);
  EXPECT_EQ(PixelAt(60, 200), Yellow);
}

TEST_F(HullPictureTest, RulingTurnedFarFromItsQuadTakesTheQuadsShade) {
  // A flat strip facing the viewer whose middle ruling's plane faces away (as where a
  // strip sweeps the angle at a flat face's edge); a sliver keeps its ruling's shade.
  AddRuling(120.5, 100.5, 1, true);
  AddRuling(100.5, 100.5, -0.3, false);
  AddRuling(80.5, 100.5, 0.95, false);
  AddRuling(80.5, 100.5, -0.5, false);
  HullPicture::RenderHull(TestPictures(), TestView(), TestData().Curve, TestData().Figure, Scene);
  ASSERT_EQ(TestPictures().RulingCount, 4);
  EXPECT_EQ(TestPictures().Rulings[2].Shade, 208);
  EXPECT_EQ(TestPictures().Rulings[3].Shade, 204);
  EXPECT_EQ(TestPictures().Rulings[4].Shade, 72);
  EXPECT_EQ(PixelAt(105, 150), PaletteRgb(208));
}

TEST_F(HullPictureTest, StripEdgeRunsThroughTheEndsOfAStripMeetingItAlongTheCurve) {
  // A strip's edge from s = 1 at (100, 100) to s = 3 at (140, 100), and another strip's
  // ruling ending at s = 2 on the curve above that chord, at (120, 90): the first strip
  // reaches up to it, as the two meet along the curve there.
  const Glob::TParamConstants kept = TestData().Figure.Param;
  TestData().Figure.Param.TMin = 0;
  TestData().Figure.Param.TSpan = 10;
  AddRuling(100, 100, 1, true, true, 1, 8);
  AddRuling(140, 100, 1, false, true, 3, 7);
  BitangentRecord r;
  r.OnHull = r.StartsBranch = 1;
  r.ParamS = 2;
  r.ParamT = 5;
  r.PointS = At(120, 90, 10000);
  r.PointT = At(120, 40, 10000);
  r.PlaneNormal = {0, 0, 1};
  AppendRecord(r);
  HullPicture::RenderHull(TestPictures(), TestView(), TestData().Curve, TestData().Figure, Scene);
  TestData().Figure.Param = kept;
  EXPECT_EQ(PixelAt(120, 96), PaletteRgb(208));
  EXPECT_EQ(PixelAt(110, 94), White);  // beyond the piece from (100, 100) to (120, 90)
}

TEST_F(HullPictureTest, StripsBreakAndCloseAsTheRecordsSay) {
  // Strips run leftwards: a strip's closing ruling at column x.5 is then the only piece
  // that paints column x, since the quad's spans start at the ceiling x + 1.
  AddRuling(120.5, 100.5, 1, true);    // strip 1: shades 208, 204, 200
  AddRuling(100.5, 100.5, 0.95, false);
  AddRuling(80.5, 100.5, 0.9, false);
  AddRuling(60.5, 100.5, 1, false, false);                  // off the hull
  AddRuling(40.5, 100.5, -1, false);                        // a strip of one ruling facing away
  AddRuling(30.5, 100.5, 1, false, true, 2, 1);             // ParamT < ParamS
  AddRuling(250.5, 100.5, 0.95, false);                     // strip 3: 204
  AddRuling(230.5, 100.5, 0.95, false);
  AddRuling(220.5, 100.5, 0.95, false, true, std::numeric_limits<long double>::quiet_NaN(), 2);
  AddRuling(200.5, 100.5, 0.95, false);                     // a strip of one ruling
  AddRuling(120.5, 250.5, -0.95, true);                     // last strip: 108, 104
  AddRuling(100.5, 250.5, -0.9, false);
  HullPicture::RenderHull(TestPictures(), TestView(), TestData().Curve, TestData().Figure, Scene);

  ASSERT_EQ(TestPictures().RulingCount, 9);
  const bool starts[] = {true, false, false, true, true, false, true, true, false};
  for (int i = 1; i <= 9; ++i) EXPECT_EQ(TestPictures().Rulings[i].StripStart, starts[i - 1]) << i;
  EXPECT_EQ(TestPictures().Rulings[2].Shade, 204);

  const struct {
    int x, y;
    QRgb colour;
  } pixels[] = {
      {120, 150, PaletteRgb(208)}, {118, 120, PaletteRgb(208)}, {105, 120, PaletteRgb(204)},
      {80, 150, PaletteRgb(200)},   // closing ruling of strip 1
      {70, 150, White},  {60, 150, White}, {40, 150, White}, {30, 150, White},  // no line on the far side
      {240, 150, PaletteRgb(204)}, {230, 150, PaletteRgb(204)},  // quad; closing ruling
      {225, 150, White},  // a NaN parameter breaks the strip
      {200, 150, PaletteRgb(204)}, {190, 150, White},
      {160, 225, White},  // no quad across a record that starts a branch
      {120, 300, PaletteRgb(108)}, {100, 300, White},  // the far side's quad, not its closing line
      {120, 100, Yellow}, {110, 100, Yellow}, {110, 200, Yellow}, {70, 100, White},
      {40, 100, White}, {40, 200, White}, {235, 100, Yellow}, {225, 100, White}};
  for (const auto& p : pixels) EXPECT_EQ(PixelAt(p.x, p.y), p.colour) << p.x << ", " << p.y;
}

TEST_F(HullPictureTest, CurveOverlayIsYellowOnTheFrontAndSilverInside) {
  // A front surface at depth 10000 over x, y = 50..150, and a back one at 12000 over its
  // left half; no strips, so only the overlay is painted.
  Raster::ClearDepth(TestPictures());
  Raster::DepthTriangle(TestPictures(), {50, 50, 10000}, {150, 50, 10000}, {50, 150, 10000}, false);
  Raster::DepthTriangle(TestPictures(), {150, 50, 10000}, {150, 150, 10000}, {50, 150, 10000}, false);
  Raster::DepthTriangle(TestPictures(), {50, 50, 12000}, {100, 50, 12000}, {50, 150, 12000}, false);
  Raster::DepthTriangle(TestPictures(), {100, 50, 12000}, {100, 150, 12000}, {50, 150, 12000}, false);
  TestPictures().HullBitmap.fill(Qt::white);
  UseCurvePoints({
      At(55, 60, 10000), At(75, 60, 10005),   // on the front: yellow
      At(95, 60, 11000),                      // inside: no line from the surface
      At(95, 80, 11000),                      // inside to inside: silver
      At(75, 80, 12000), At(55, 80, 12010),   // on the back surface: nothing
      At(55, 100, 10000), At(75, 100, 10000), // back to front: nothing; then yellow
      At(200, 100, 16000), At(200, 200, 16000),  // off every surface: silver
      At(500, 200, 16000), At(250, 250, 16000),  // outside the picture: the overlay stops
  });
  HullPicture::PaintCurve(TestPictures(), TestView(), TestData().Figure);
  const struct {
    int x, y;
    QRgb colour;
  } pixels[] = {{55, 60, Yellow},  {65, 60, Yellow}, {75, 60, White},  // a line leaves out its last pixel
                {85, 60, White},   {95, 70, Silver}, {85, 80, White},  {65, 80, White},
                {55, 90, White},   {65, 100, Yellow}, {150, 100, White}, {200, 150, Silver},
                {225, 225, White}};
  for (const auto& p : pixels) EXPECT_EQ(PixelAt(p.x, p.y), p.colour) << p.x << ", " << p.y;
}

TEST_F(HullPictureTest, EmptyListsGiveAWhitePictureWithTheCurveOnly) {
  std::vector<TVector3> loop;
  for (int k = 0; k <= 64; ++k)
    loop.push_back(At(200 + 120 * std::cos(k * Glob::Pi / 32), 200 + 120 * std::sin(k * Glob::Pi / 32), 16000));
  UseCurvePoints(loop);
  TestPictures().HullBitmap.fill(Qt::black);
  HullPicture::RenderHull(TestPictures(), TestView(), TestData().Curve, TestData().Figure, Scene);
  EXPECT_EQ(TestPictures().RulingCount, 0);
  int silver = 0;
  for (int x = 0; x < 400; ++x)
    for (int y = 0; y < 400; ++y) {
      const QRgb c = PixelAt(x, y);
      ASSERT_TRUE(c == White || c == Silver) << x << ", " << y;
      silver += c == Silver;
    }
  EXPECT_GT(silver, 600);  // the circle's circumference is about 754 pixels
  EXPECT_EQ(PixelAt(320, 200), Silver);

  // A first point outside the picture draws nothing at all.
  loop.insert(loop.begin(), At(-3, 200, 16000));
  UseCurvePoints(loop);
  HullPicture::RenderHull(TestPictures(), TestView(), TestData().Curve, TestData().Figure, Scene);
  EXPECT_EQ(PixelAt(320, 200), White);
}

}  // namespace
