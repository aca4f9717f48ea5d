// The parameter square, the normals picture and the reversible marker.
#include <gtest/gtest.h>

#include <QPainter>
#include <cmath>

#include "geometry/Bitangents.h"
#include "geometry/Sampling.h"
#include "geometry/SharedState.h"
#include "render/Pictures.h"
#include "render/SmallPictures.h"
#include "tests/support/TestData.h"
#include "tests/support/TestPictures.h"
#include "tests/support/TestView.h"


namespace {

constexpr QRgb White = 0xFFFFFFFF, Magenta = 0xFFFF00FF, Teal = 0xFF008080, Grey = 0xFF808080,
               Silver = 0xFFC0C0C0;

// The records that a test paints.
Bitangents::TAnalysis Scene;

// Puts the records into the list from index 1 on, and the t interval with the square's
// scales as the analysis sets them.
void UseRecords(long double tmin, long double tmax, const std::vector<BitangentRecord>& records) {
  ASSERT_TRUE(CreatePictures(TestPictures()));
  TestData().Figure.Param = Glob::DerivedConstants(tmin, tmax);
  Scene.SquareScaleS = Scene.SquareScaleT = 300 / (tmax - tmin);
  Scene.BitangentList.assign(1, BitangentRecord{});
  Scene.BitangentList.insert(Scene.BitangentList.end(), records.begin(), records.end());
  Scene.BitangentCount = static_cast<std::int32_t>(records.size());
}

BitangentRecord Pair(long double s, long double t, bool starts, bool onHull, TVector3 normal = {0, 0, 1}) {
  BitangentRecord r;
  r.ParamS = s;
  r.ParamT = t;
  r.StartsBranch = starts;
  r.OnHull = onHull;
  r.PlaneNormal = normal;
  return r;
}

BitangentRecord Normal(const TVector3& n, bool starts, bool onHull = true, bool upper = true) {
  return Pair(upper ? 1 : 2, upper ? 2 : 1, starts, onHull, n);
}

void UseStandardView() {
  TestView().AxisX = {1, 0, 0};
  TestView().AxisY = {0, 1, 0};
  TestView().AxisZ = {0, 0, 1};
}

struct Pixel {
  int x, y;
  QRgb colour;
};

void ExpectPixels(const QImage& image, std::initializer_list<Pixel> pixels) {
  for (const Pixel& p : pixels) EXPECT_EQ(image.pixel(p.x, p.y), p.colour) << p.x << ", " << p.y;
}

int CountColour(const QImage& image, QRgb colour, const QRect& area) {
  int n = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) n += image.pixel(x, y) == colour;
  return n;
}

}  // namespace

TEST(PaintBitangSquare, MapsTheSquareWithTMinAtTheLowerLeftCorner) {
  const long double pi = Glob::Pi, unit = 2 * pi / 300;
  UseRecords(0, 2 * pi,
             {Pair(pi, pi / 2, true, false),                        // (150, 225)
              Pair(pi + 50 * unit, pi / 2, false, true),             // (200, 225), magenta
              Pair(pi + 50 * unit, pi / 2 + 30 * unit, false, false),  // (200, 195), teal
              Pair(0, 0, true, true),                                // (0, 300): a move only
              Pair(2 * pi, 2 * pi, false, true)});                   // (300, 0)
  SmallPictures::PaintBitangSquare(TestPictures(), TestData().Figure, Scene);
  const QImage& image = TestPictures().BitangBitmap;
  ExpectPixels(image, {{150, 225, Magenta}, {175, 225, Magenta}, {175, 224, White}, {175, 226, White},
                       {149, 225, White}, {200, 210, Teal}, {200, 194, White},
                       {100, 247, White},                          // no line from (200, 195) to (0, 300)
                       {100, 200, Magenta}, {150, 150, Magenta}});  // the diagonal s = t
  EXPECT_EQ(CountColour(image, White, image.rect()), 300 * 300 - CountColour(image, Magenta, image.rect()) -
                                                         CountColour(image, Teal, image.rect()));
}

TEST(PaintBitangSquare, MapsASymmetricInterval) {
  const long double pi = Glob::Pi;
  UseRecords(-pi, pi, {Pair(-pi, pi, true, true), Pair(0, 0, false, false)});
  SmallPictures::PaintBitangSquare(TestPictures(), TestData().Figure, Scene);
  const QImage& image = TestPictures().BitangBitmap;
  ExpectPixels(image, {{0, 0, Teal}, {75, 75, Teal}, {150, 150, Teal}, {151, 151, White}, {75, 76, White}});
}

TEST(SmallPictures, AnEmptyListGivesAWhiteSquareAndTheBareCircle) {
  UseStandardView();
  UseRecords(0, 1, {});
  TestPictures().BitangBitmap.fill(Qt::black);
  TestPictures().MaxwellBitmap.fill(Qt::black);
  SmallPictures::PaintBitangSquare(TestPictures(), TestData().Figure, Scene);
  SmallPictures::PaintMaxwell(TestPictures(), TestView(), Scene);
  EXPECT_EQ(CountColour(TestPictures().BitangBitmap, White, TestPictures().BitangBitmap.rect()), 300 * 300);
  const QImage& box = TestPictures().MaxwellBitmap;
  const int silver = CountColour(box, Silver, box.rect());
  EXPECT_EQ(silver + CountColour(box, White, box.rect()), 300 * 300);
  // A circle of radius 140: about 2 pi 140 pixels, all within a pixel of that radius.
  EXPECT_GT(silver, 700);
  EXPECT_LT(silver, 1200);
  for (int y = 0; y < 300; ++y)
    for (int x = 0; x < 300; ++x)
      if (box.pixel(x, y) == Silver) {
        ASSERT_NEAR(std::hypot(x - 150, y - 150), 140, 1.5) << x << ", " << y;
      }
}

TEST(PaintMaxwell, ProjectsNormalsOntoTheScreenPlane) {
  // A turned view, so that mixing up the axes shows.
  TestView().AxisX = {0, 0, 1};
  TestView().AxisY = {1, 0, 0};
  TestView().AxisZ = {0, 1, 0};
  UseRecords(0, 1,
             {Normal({0, 0, 1}, true), Normal({0, 1, 0}, false),  // (290, 150) to (150, 150), magenta
              Normal({1, 0, 0}, true), Normal({0, -1, 0}, false)});  // (150, 290) to (150, 150), grey
  SmallPictures::PaintMaxwell(TestPictures(), TestView(), Scene);
  const QImage& image = TestPictures().MaxwellBitmap;
  ExpectPixels(image, {{220, 150, Magenta}, {152, 150, Magenta}, {220, 151, White},  //
                       {150, 220, Grey}, {150, 152, Grey}, {151, 220, White}});
}

TEST(PaintMaxwell, HiddenRecordsBreakThePath) {
  UseStandardView();
  UseRecords(0, 1,
             {Normal({1, 0, 0}, true),                     // (290, 150)
              Normal({0, 0, 1}, true, false),              // not on the hull: breaks
              Normal({0, 0.6L, 0.8L}, false),              // (150, 234): a move only
              Normal({0.6L, 0.6L, -0.529150262212918L}, false),  // (234, 234), grey
              Normal({0.6L, 0, 0.8L}, false, true, false),  // t < s: not drawn, breaks
              Normal({0, -0.6L, 0.8L}, false)});           // (150, 66): a move only
  SmallPictures::PaintMaxwell(TestPictures(), TestView(), Scene);
  const QImage& image = TestPictures().MaxwellBitmap;
  ExpectPixels(image, {{220, 192, White},  // no line from (290, 150) to (150, 234)
                       {200, 234, Grey},
                       {192, 150, White},  // no line from (234, 234) to (150, 66)
                       {150, 100, White}});
  EXPECT_EQ(CountColour(image, Magenta, image.rect()), 0);
}

TEST(DrawMaxwellMarker, DrawingTwiceRestoresTheCanvas) {
  UseStandardView();
  QImage canvas(300, 300, QImage::Format_RGB32);
  for (int y = 0; y < 300; ++y)
    for (int x = 0; x < 300; ++x) canvas.setPixel(x, y, qRgb(x & 255, y & 255, (x * y) & 255));
  const QImage original = canvas.copy();
  const TVector3 n{0.6L, 0, 0.8L}, aux{2.1L, 7.1L, 15.1L};
  QPainter painter(&canvas);
  SmallPictures::DrawMaxwellMarker(painter, 300, TestView(), n, aux);
  painter.end();
  EXPECT_NE(canvas, original);
  painter.begin(&canvas);
  SmallPictures::DrawMaxwellMarker(painter, 300, TestView(), n, aux);
  // The painter stays in not-xor mode.
  EXPECT_EQ(painter.compositionMode(), QPainter::RasterOp_NotSourceXorDestination);
  painter.end();
  EXPECT_EQ(canvas, original);
}

TEST(DrawMaxwellMarker, DrawsTheFrontNormalMagentaAndItsOppositeGrey) {
  UseStandardView();
  for (const long double side : {1.0L, -1.0L}) {
    QImage canvas(300, 300, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    // (0.6, 0, 0.8 side) lies at (234, 150); its opposite at (66, 150).
    SmallPictures::DrawMaxwellMarker(painter, 300, TestView(), {0.6L, 0, 0.8L * side}, {2.1L, 7.1L, 15.1L});
    painter.end();
    const QRect near(222, 138, 25, 25), opposite(54, 138, 25, 25);
    const QRgb front = side > 0 ? Magenta : Grey, back = side > 0 ? Grey : Magenta;
    EXPECT_GT(CountColour(canvas, front, near), 30);
    EXPECT_EQ(CountColour(canvas, back, near), 0);
    EXPECT_GT(CountColour(canvas, back, opposite), 30);
    EXPECT_EQ(CountColour(canvas, front, opposite), 0);
    // A decagon of radius 140/15 around the point: its centre stays blank.
    EXPECT_EQ(canvas.pixel(234, 150), White);
    EXPECT_EQ(CountColour(canvas, White, canvas.rect()),
              300 * 300 - CountColour(canvas, front, near) - CountColour(canvas, back, opposite));
  }
}

TEST(DrawMaxwellMarker, DrawsNothingWithoutAPlaneAroundTheNormal) {
  UseStandardView();
  QImage canvas(300, 300, QImage::Format_RGB32);
  canvas.fill(Qt::white);
  const QImage original = canvas.copy();
  QPainter painter(&canvas);
  SmallPictures::DrawMaxwellMarker(painter, 300, TestView(), {0, 0, 1}, {0, 0, 3});
  SmallPictures::DrawMaxwellMarker(painter, 300, TestView(), {0, 0, 1}, {0, 0, 0});
  SmallPictures::DrawMaxwellMarker(painter, 300, TestView(), {std::nanl(""), 0, 1}, {1, 2, 3});
  painter.end();
  EXPECT_EQ(canvas, original);
}
