// Depths written by the triangle rasterizer, pixel by pixel, against the plane rule
// computed here with the library's floor: random triangles whose depths lie within
// the storable range, cross its ends inside a row, or lie beyond it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <utility>

#include "geometry/SharedState.h"
#include "render/Pictures.h"
#include "render/Raster.h"
#include "tests/support/TestPictures.h"

namespace {

// Floor of the plane of the triangle at pixel (x, y), clamped to 0..32767: the depth
// V0.z + gy (y - V0.y) + gx (x - V0.x) in that order, V0 the topmost vertex (the first
// given of equal ones), as the rasterizer documents it.
struct TPlane {
  ScreenPoint V0;
  long double Gx = 0, Gy = 0;

  TPlane(ScreenPoint a, ScreenPoint b, ScreenPoint c) {
    if (b.y < a.y) std::swap(a, b);
    if (c.y < b.y) std::swap(b, c);
    if (b.y < a.y) std::swap(a, b);
    const long double dx10 = b.x - a.x, dy10 = b.y - a.y, dx20 = c.x - a.x, dy20 = c.y - a.y;
    const long double det = dx10 * dy20 - dx20 * dy10;
    Gx = (dy20 * (b.z - a.z) - dy10 * (c.z - a.z)) / det;
    Gy = (dx10 * (c.z - a.z) - dx20 * (b.z - a.z)) / det;
    V0 = a;
  }

  int Depth(int x, int y) const {
    const long double rowDepth = V0.z + Gy * (y - V0.y);
    const long double z = std::floor(rowDepth + Gx * (x - V0.x));
    return static_cast<int>(std::clamp(z, 0.0L, 32767.0L));
  }
};

TEST(RasterDepths, EveryPixelOfRandomTrianglesHoldsTheFlooredPlane) {
  ASSERT_TRUE(CreatePictures(TestPictures()));
  std::mt19937 random(17);
  std::uniform_real_distribution<long double> coordinate(-30, 430), offset(-60, 60);
  // Depth levels: inside the range, across 0, across 32767, beyond both ends.
  const long double levels[] = {1000.25L, 20, 32740, -5000, 40000};
  int pixels = 0;
  for (int round = 0; round < 200; ++round) {
    const long double level = levels[round % 5];
    const ScreenPoint a{coordinate(random), coordinate(random), level + offset(random)};
    const ScreenPoint b{coordinate(random), coordinate(random), level + offset(random)};
    const ScreenPoint c{coordinate(random), coordinate(random), level + offset(random)};
    const TPlane plane(a, b, c);
    Raster::ClearDepth(TestPictures());
    Raster::DepthTriangle(TestPictures(), a, b, c, false);
    for (int x = 0; x < 400; ++x)
      for (int y = 0; y < 400; ++y) {
        if (TestPictures().DepthBuffer[x * 400 + y] == Raster::ClearedCell) continue;
        const int expected = plane.Depth(x, y);
        ASSERT_EQ(Raster::FrontDepth(TestPictures(), x, y), expected) << "triangle " << round << " pixel " << x << ", " << y;
        ASSERT_EQ(Raster::BackDepth(TestPictures(), x, y), expected) << "triangle " << round << " pixel " << x << ", " << y;
        ++pixels;
      }
  }
  EXPECT_GT(pixels, 100000);  // the triangles covered plenty of pixels
}

}  // namespace
