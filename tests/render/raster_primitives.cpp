// The depth buffer and the four rasterizing primitives: which pixels each one visits,
// the depths it writes, when a painted pixel counts as being at the front; the palette.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <set>
#include <utility>

#include "formula/Checks.h"
#include "geometry/Framing.h"
#include "geometry/SharedState.h"
#include "render/Palette.h"
#include "render/Pictures.h"
#include "render/Raster.h"
#include "tests/render/hull_helpers.h"
#include "tests/support/TestPictures.h"

namespace {

using Pixels = std::set<std::pair<int, int>>;

using HullTest::PaletteRgb;
using HullTest::White;
using HullTest::Yellow;

class RasterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(CreatePictures(TestPictures()));
    Raster::ClearDepth(TestPictures());
  }

  // The pixels whose cell no longer holds the cleared value.
  static Pixels Written() {
    Pixels written;
    for (int x = 0; x < 400; ++x)
      for (int y = 0; y < 400; ++y)
        if (TestPictures().DepthBuffer[x * 400 + y] != Raster::ClearedCell) written.insert({x, y});
    return written;
  }

  static Pixels Painted() {
    Pixels painted;
    for (int x = 0; x < 400; ++x)
      for (int y = 0; y < 400; ++y)
        if (TestPictures().HullBitmap.pixel(x, y) != White) painted.insert({x, y});
    return painted;
  }

  // The pixels x = first(y)..last(y) of the rows y0..y1.
  template <class First, class Last>
  static Pixels Rows(int y0, int y1, First first, Last last) {
    Pixels pixels;
    for (int y = y0; y <= y1; ++y)
      for (int x = first(y); x <= last(y); ++x) pixels.insert({x, y});
    return pixels;
  }
};

ScreenPoint P(long double x, long double y, long double z = 1000) { return {x, y, z}; }

TEST_F(RasterTest, ClearingAndTheFirstDepthsOfAPixel) {
  TestPictures().DepthBuffer.assign(10, 0);  // a buffer of another size is given its full size
  Raster::ClearDepth(TestPictures());
  ASSERT_EQ(TestPictures().DepthBuffer.size(), 160000u);
  for (std::uint32_t cell : TestPictures().DepthBuffer) ASSERT_EQ(cell, 0x80017FFFu);
  EXPECT_EQ(Raster::FrontDepth(TestPictures(), 399, 0), 32767);
  EXPECT_EQ(Raster::BackDepth(TestPictures(), 0, 399), -32767);
  EXPECT_THROW(Raster::FrontDepth(TestPictures(), 400, 0), RangeError);
  EXPECT_THROW(Raster::BackDepth(TestPictures(), 0, -1), RangeError);

  // The cell of pixel (x, y) is x * 400 + y, and its first depth sets both halves.
  Raster::DepthSegment(TestPictures(), P(12.5, 7.25, 9000), P(12.5, 7.75, 9000));
  Raster::DepthSegment(TestPictures(), P(12.5, 7.25, 9000), P(12.25, 7.25, 9000));
  EXPECT_EQ(Written(), (Pixels{{12, 7}}));
  EXPECT_EQ(TestPictures().DepthBuffer[12 * 400 + 7], (9000u << 16) | 9000u);

  // Whichever of two depths comes first, the front is the smaller and the back the larger.
  for (const auto& [first, second] : {std::pair{9000, 12000}, std::pair{12000, 9000}}) {
    Raster::ClearDepth(TestPictures());
    Raster::DepthSegment(TestPictures(), P(30.5, 40.5, first), P(30.5, 41.5, first));
    Raster::DepthSegment(TestPictures(), P(30.5, 40.5, second), P(30.5, 41.5, second));
    EXPECT_EQ(Raster::FrontDepth(TestPictures(), 30, 40), 9000);
    EXPECT_EQ(Raster::BackDepth(TestPictures(), 30, 40), 12000);
  }
}

TEST_F(RasterTest, SegmentSteppingVisitsOnePixelPerColumnOrRow) {
  // Mostly horizontal: columns 10..15, all on row 20, in either direction; depths rounded.
  const Pixels row20 = Rows(20, 20, [](int) { return 10; }, [](int) { return 15; });
  Raster::DepthSegment(TestPictures(), P(10.5, 20.2, 1000), P(15.7, 21.0, 2040));
  EXPECT_EQ(Written(), row20);
  EXPECT_EQ(Raster::FrontDepth(TestPictures(), 10, 20), 900);  // 1000 + 200 (10 - 10.5)
  EXPECT_EQ(Raster::FrontDepth(TestPictures(), 15, 20), 1900);
  Raster::ClearDepth(TestPictures());
  Raster::DepthSegment(TestPictures(), P(15.7, 21.0, 2040), P(10.5, 20.2, 1000));
  EXPECT_EQ(Written(), row20);

  // Mostly vertical: rows 5..9 of column 10; depths k + 0.5 round to the even neighbour.
  Raster::ClearDepth(TestPictures());
  Raster::DepthSegment(TestPictures(), P(10.25, 5, 100.5), P(10.25, 9, 104.5));
  EXPECT_EQ(Written(), Rows(5, 9, [](int) { return 10; }, [](int) { return 10; }));
  const int expected[] = {100, 102, 102, 104, 104};
  for (int y = 5; y <= 9; ++y) EXPECT_EQ(Raster::FrontDepth(TestPictures(), 10, y), expected[y - 5]) << y;

  // Equal ends visit nothing.
  Raster::ClearDepth(TestPictures());
  Raster::DepthSegment(TestPictures(), P(50.5, 50.5), P(50.5, 50.5));
  EXPECT_TRUE(Written().empty());
}

TEST_F(RasterTest, SegmentsLeaveColumnAndRowZeroWhileTrianglesWriteThem) {
  Raster::DepthSegment(TestPictures(), P(-5, 0.5), P(30, 0.5));   // along row 0
  Raster::DepthSegment(TestPictures(), P(0.5, -3), P(0.5, 30));   // along column 0
  EXPECT_TRUE(Written().empty());
  Raster::DepthSegment(TestPictures(), P(-5, 3.5), P(5, 3.5));
  EXPECT_EQ(Written(), Rows(3, 3, [](int) { return 1; }, [](int) { return 5; }));
  Raster::DepthTriangle(TestPictures(), P(-5, -5), P(20, -5), P(-5, 20), false);
  EXPECT_EQ(Raster::FrontDepth(TestPictures(), 0, 0), 1000);
  EXPECT_EQ(Raster::FrontDepth(TestPictures(), 0, 10), 1000);
}

TEST_F(RasterTest, TriangleSpansWithAndWithoutWidening) {
  // Two top vertices on row 10: no upper part, so row 10 stays uncovered.
  const Pixels narrow = Rows(11, 20, [](int) { return 10; }, [](int y) { return 30 - y; });
  Raster::DepthTriangle(TestPictures(), P(10, 10), P(20, 10), P(10, 20), false);
  EXPECT_EQ(Written(), narrow);
  Raster::ClearDepth(TestPictures());
  Raster::DepthTriangle(TestPictures(), P(10, 10), P(20, 10), P(10, 20), true);
  EXPECT_EQ(Written(), Rows(11, 20, [](int) { return 10; }, [](int y) { return 31 - y; }));

  // Edges between pixels: spans run from the ceiling of the left end to the floor of the
  // right end, and the widened pixel of a span left of the picture stays outside it.
  Raster::ClearDepth(TestPictures());
  Raster::DepthTriangle(TestPictures(), P(10.5, 10), P(20.5, 10), P(10.5, 20), false);
  EXPECT_EQ(Written(), Rows(11, 19, [](int) { return 11; }, [](int y) { return 30 - y; }));
  Raster::ClearDepth(TestPictures());
  Raster::DepthTriangle(TestPictures(), P(-20.5, 10), P(-1.5, 10), P(-20.5, 29), true);
  EXPECT_TRUE(Written().empty());

  // An apex exactly on a pixel covers it alone; the flat bottom row is covered fully.
  Raster::ClearDepth(TestPictures());
  Raster::DepthTriangle(TestPictures(), P(10, 10), P(20, 20), P(0, 20), false);
  EXPECT_EQ(Written(), Rows(10, 20, [](int y) { return 20 - y; }, [](int y) { return y; }));

  // The depth is the plane through the vertices, floored.
  Raster::ClearDepth(TestPictures());
  Raster::DepthTriangle(TestPictures(), P(10, 10, 100.7), P(20, 10, 110.7), P(10, 20, 130.7), false);
  EXPECT_EQ(Raster::FrontDepth(TestPictures(), 10, 11), 103);  // 100.7 + 3 (11 - 10) + (10 - 10)
  EXPECT_EQ(Raster::FrontDepth(TestPictures(), 14, 15), 119);  // 100.7 + 15 + 4
}

TEST_F(RasterTest, SharedEdgesAndDegenerateTriangles) {
  // Both triangles cover the pixels of the edge (30, 10)-(10, 30) they share.
  Raster::DepthTriangle(TestPictures(), P(10, 10, 1000), P(30, 10, 1000), P(10, 30, 1000), false);
  Raster::DepthTriangle(TestPictures(), P(30, 10, 2000), P(30, 30, 2000), P(10, 30, 2000), false);
  for (int x = 10; x <= 29; ++x) {
    EXPECT_EQ(Raster::FrontDepth(TestPictures(), x, 40 - x), 1000) << x;
    EXPECT_EQ(Raster::BackDepth(TestPictures(), x, 40 - x), 2000) << x;
  }
  // Collinear or nearly collinear vertices write nothing.
  Raster::ClearDepth(TestPictures());
  Raster::DepthTriangle(TestPictures(), P(10, 10), P(20, 20), P(30, 30), false);
  Raster::DepthTriangle(TestPictures(), P(10, 10), P(20, 20), P(30, 30 + 1e-11L), true);
  Raster::DepthTriangle(TestPictures(), P(10, 10), P(10, 10), P(10, 10), true);
  EXPECT_TRUE(Written().empty());
}

TEST_F(RasterTest, PaintTolerancesAndColours) {
  Raster::DepthTriangle(TestPictures(), P(0, 0, 10000), P(100, 0, 10000), P(0, 100, 10000), false);

  // Triangles paint up to one unit behind the front.
  Raster::PaintTriangle(TestPictures(), P(10, 10, 10001.9L), P(20, 10, 10001.9L), P(10, 20, 10001.9L), 208, false);
  EXPECT_EQ(TestPictures().HullBitmap.pixel(12, 12), PaletteRgb(208));
  Raster::PaintTriangle(TestPictures(), P(30, 10, 10002), P(40, 10, 10002), P(30, 20, 10002), 208, false);
  EXPECT_EQ(TestPictures().HullBitmap.pixel(32, 12), White);
  EXPECT_THROW(Raster::PaintTriangle(TestPictures(), P(30, 10), P(40, 10), P(30, 20), 256, false), RangeError);

  // A segment's body paints at the front only; its colour's bytes are red, green, blue.
  Raster::PaintSegment(TestPictures(), P(5.5, 40.5, 10000), P(15.5, 40.5, 10000), 0x123456);
  EXPECT_EQ(TestPictures().HullBitmap.pixel(10, 40), qRgb(0x56, 0x34, 0x12));
  Raster::PaintSegment(TestPictures(), P(5.5, 50.5, 10001), P(15.5, 50.5, 10001), 0x123456);
  EXPECT_EQ(TestPictures().HullBitmap.pixel(10, 50), White);

  // End marks: yellow up to 39 units behind the front, whatever the body's colour.
  EXPECT_EQ(TestPictures().HullBitmap.pixel(5, 40), Yellow);
  EXPECT_EQ(TestPictures().HullBitmap.pixel(15, 40), Yellow);
  EXPECT_EQ(TestPictures().HullBitmap.pixel(5, 50), Yellow);
  Raster::PaintSegment(TestPictures(), P(20.5, 60.5, 10039.4L), P(30.5, 60.5, 10040), 0x123456);
  EXPECT_EQ(TestPictures().HullBitmap.pixel(20, 60), Yellow);
  EXPECT_EQ(TestPictures().HullBitmap.pixel(30, 60), White);
  EXPECT_TRUE(Raster::EndAtFront(TestPictures(), P(20.5, 60.5, 10039.4L)));
  EXPECT_FALSE(Raster::EndAtFront(TestPictures(), P(-0.5, 60.5, 0)));

  // A single-point segment gets its end mark only.
  TestPictures().HullBitmap.fill(Qt::white);
  Raster::PaintSegment(TestPictures(), P(205.5, 206.5, 100), P(205.5, 206.5, 100), 0x0000FF);
  EXPECT_EQ(Painted(), (Pixels{{205, 206}}));
  EXPECT_EQ(TestPictures().HullBitmap.pixel(205, 206), Yellow);
}

TEST_F(RasterTest, FarCoordinatesAreClippedAndNaNsRejected) {
  // Ends far outside: only the part inside the picture is stepped, without an error.
  Raster::DepthSegment(TestPictures(), P(-1e30L, 50.5), P(1e30L, 50.5));
  EXPECT_EQ(Written(), Rows(50, 50, [](int) { return 1; }, [](int) { return 399; }));
  Raster::ClearDepth(TestPictures());
  Raster::DepthSegment(TestPictures(), P(1e15L, 3e15L), P(2e15L, -4e15L));
  Raster::PaintSegment(TestPictures(), P(1e15L, 3e15L), P(2e15L, -4e15L), 0);
  Raster::DepthTriangle(TestPictures(), P(1e20L, 1e20L), P(2e20L, 1e20L), P(1e20L, 3e20L), true);
  EXPECT_TRUE(Written().empty());
  Raster::DepthTriangle(TestPictures(), P(-1e20L, -1e20L), P(1e20L, -1e20L), P(0, 1e20L), true);
  EXPECT_EQ(Written().size(), 160000u);

  const long double nan = std::numeric_limits<long double>::quiet_NaN();
  EXPECT_THROW(Raster::DepthSegment(TestPictures(), P(nan, 5), P(10, 5)), RangeError);
  EXPECT_THROW(Raster::PaintSegment(TestPictures(), P(5, 5), P(5, 5, nan), 0), RangeError);
  EXPECT_THROW(Raster::DepthTriangle(TestPictures(), P(5, 5), P(50, 5), P(5, nan), false), RangeError);
  EXPECT_THROW(Raster::PaintTriangle(TestPictures(), P(5, 5, nan), P(50, 5), P(5, 50), 40, false), RangeError);
}

TEST_F(RasterTest, DepthsOutsideTheCellRangeAreClamped) {
  Raster::DepthSegment(TestPictures(), P(10.5, 10.5, -500), P(10.5, 11.5, -500));
  Raster::DepthSegment(TestPictures(), P(10.5, 10.5, 1e12L), P(10.5, 11.5, 1e12L));
  EXPECT_EQ(Raster::FrontDepth(TestPictures(), 10, 10), 0);
  EXPECT_EQ(Raster::BackDepth(TestPictures(), 10, 10), 32767);
  Raster::DepthTriangle(TestPictures(), P(20, 20, 40000), P(30, 20, 40000), P(20, 30, 40000), false);
  EXPECT_EQ(Raster::FrontDepth(TestPictures(), 21, 22), 32767);
  EXPECT_EQ(Raster::BackDepth(TestPictures(), 21, 22), 32767);
  // A piece nearer than depth 0 still counts as at the front of a pixel at depth 0.
  Raster::PaintTriangle(TestPictures(), P(0, 0, -100), P(30, 0, -100), P(0, 30, -100), 150, false);
  EXPECT_EQ(TestPictures().HullBitmap.pixel(10, 10), PaletteRgb(150));
  EXPECT_EQ(Raster::RoundDepth(-1e4000L), 0);
  EXPECT_THROW(Raster::RoundDepth(std::nan("")), RangeError);
}

TEST(ShadePalette, StoredBytesAndToolkitColoursAgree) {
  const Palette::TShadePalette& palette = Palette::ShadePalette();
  EXPECT_EQ(Framing::TripleToColour(&palette[3 * 31]), 0xB0B000u);  // the teal eye colour
  for (int i = 0; i < 256; ++i) EXPECT_EQ(Framing::TripleToColour(&palette[3 * i]), Palette::PaletteColour(i)) << i;
  EXPECT_THROW(Palette::PaletteColour(256), RangeError);
}

// The pieces queued and run in bands of rows make the picture and the depths that the
// same pieces make one by one, for any number of bands; a NaN is refused when queued.
TEST_F(RasterTest, QueuedPiecesRunInBandsGiveTheSamePicture) {
  std::mt19937 random(5);
  const auto real = [&random](long double lo, long double hi) {
    return lo + (hi - lo) * std::uniform_real_distribution<double>(0, 1)(random);
  };
  const auto point = [&] { return ScreenPoint{real(-40, 440), real(-40, 440), real(8000, 24000)}; };
  const auto draw = [&](std::uint32_t seed) {
    random.seed(seed);
    Raster::ClearDepth(TestPictures());
    TestPictures().HullBitmap.fill(Qt::white);
    for (int k = 0; k < 300; ++k) {
      const ScreenPoint a = point(), b = point(), c = point();
      // Thin slivers as the strips make, and large triangles.
      const ScreenPoint near{a.x + real(-3, 3), a.y + real(-30, 30), a.z + real(-50, 50)};
      const bool widen = random() % 2 == 0;
      const int shade = static_cast<int>(random() % 256);
      switch (random() % 4) {
        case 0: Raster::DepthSegment(TestPictures(), a, b); break;
        case 1: Raster::DepthTriangle(TestPictures(), a, b, k % 2 ? c : near, widen); break;
        case 2: Raster::PaintSegment(TestPictures(), a, b, static_cast<std::uint32_t>(random() & 0xFFFFFF)); break;
        case 3: Raster::PaintTriangle(TestPictures(), a, b, k % 2 ? c : near, shade, widen); break;
      }
    }
  };
  for (const std::uint32_t seed : {1u, 2u}) {
    draw(seed);
    const QImage picture = TestPictures().HullBitmap.copy();
    const std::vector<std::uint32_t> depths = TestPictures().DepthBuffer;
    int painted = 0;
    for (int y = 0; y < 400; ++y)
      for (int x = 0; x < 400; ++x) painted += picture.pixel(x, y) != White;
    ASSERT_GT(painted, 20000);
    for (const int bands : {1, 2, 3, 7, 64}) {
      Raster::TQueue queue(TestPictures());
      draw(seed);
      EXPECT_EQ(TestPictures().DepthBuffer, std::vector<std::uint32_t>(160000, Raster::ClearedCell));
      queue.Run(bands);
      EXPECT_TRUE(TestPictures().HullBitmap == picture) << bands << " bands, seed " << seed;
      EXPECT_TRUE(TestPictures().DepthBuffer == depths) << bands << " bands, seed " << seed;
    }
  }
  Raster::TQueue queue(TestPictures());
  const long double nan = std::numeric_limits<long double>::quiet_NaN();
  EXPECT_THROW(Raster::DepthSegment(TestPictures(), {nan, 1, 1}, {2, 2, 2}), RangeError);
}

}  // namespace
