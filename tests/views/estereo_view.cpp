// The red and teal stereo wire-frame and its drag steps.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <cmath>
#include <map>

#include "formula/Checks.h"
#include "geometry/Bitangents.h"
#include "geometry/Framing.h"
#include "geometry/Sampling.h"
#include "geometry/SharedState.h"
#include "geometry/Vectors.h"
#include "render/Pictures.h"
#include "tests/support/TestData.h"
#include "tests/support/TestPictures.h"
#include "tests/support/TestView.h"
#include "tests/views/view_setup.h"
#include "views/Estereo.h"

using ViewSetup::Scene;

namespace {

constexpr QRgb Black = 0xFF000000, Red = 0xFFFF0000, Teal = 0xFF00B0B0, Both = 0xFFFFB0B0;

MueveFigura::TShiftState Keys(bool shift, bool ctrl) { return {shift, false, ctrl, true}; }

// The knot with two on-hull segments (each listed in both orders) and one that is not
// on the hull, so the wire-frame has all three kinds of lines.
void UseKnotWithSegments(bool centred = false) {
  if (centred)
    ViewSetup::UseCentredKnot();
  else
    ViewSetup::UseFramedKnot();
  const auto& p = TestData().Figure.CurvePoints;
  const auto pair = [&p](int s, int t, bool onHull) {
    BitangentRecord r;
    r.ParamS = p[s].Param;
    r.ParamT = p[t].Param;
    r.PointS = p[s].Point;
    r.PointT = p[t].Point;
    r.OnHull = onHull;
    return r;
  };
  Scene.BitangentList = {BitangentRecord{}, pair(10, 300, true), pair(300, 10, true),
                               pair(150, 450, false), pair(450, 150, false), pair(90, 500, true),
                               pair(500, 90, true)};
  Scene.BitangentCount = 6;
}

void UseFrame(const Estereo::TFrame& frame) {
  ViewSetup::Stereo().DrawX = frame.X;
  ViewSetup::Stereo().DrawY = frame.Y;
  ViewSetup::Stereo().DrawDepth = frame.Depth;
}

// One image of the wire-frame through `frame` in `colour`, drawn alone on black.
QImage SingleImage(const Estereo::TFrame& frame, QRgb colour) {
  QImage image(400, 400, QImage::Format_RGB32);
  image.fill(Qt::black);
  UseFrame(frame);
  QPainter painter(&image);
  painter.setPen(QPen(QColor(colour), 1));
  Estereo::DrawWireFrame(ViewSetup::Stereo(), painter, TestData().Figure, Scene);
  return image;
}

}  // namespace

TEST(StereoPicture, RedIsCopiedTealIsOredAndCrossingsTurnPink) {
  UseKnotWithSegments();
  Estereo::ShowStereo(ViewSetup::Stereo(), TestPictures(), TestView(), true, TestData().Figure, Scene);
  const QImage& picture = TestPictures().StereoBitmap;
  ASSERT_EQ(picture.format(), QImage::Format_RGB32);
  const QImage red = SingleImage(ViewSetup::Stereo().RedFrame, Red);
  const QImage teal = SingleImage(ViewSetup::Stereo().TealFrame, Teal);
  std::map<QRgb, int> counts;
  for (int y = 0; y < 400; ++y)
    for (int x = 0; x < 400; ++x) {
      ASSERT_EQ(picture.pixel(x, y), 0xFF000000 | red.pixel(x, y) | teal.pixel(x, y)) << x << ", " << y;
      ++counts[picture.pixel(x, y)];
      const uchar* bgr = picture.constScanLine(y) + 4 * x;  // stored blue, green, red, 255
      if (picture.pixel(x, y) == Both) {
        EXPECT_TRUE(bgr[0] == 176 && bgr[1] == 176 && bgr[2] == 255);
      }
    }
  EXPECT_EQ(counts.size(), 4u);  // black, red, teal and their crossings, nothing else
  EXPECT_TRUE(counts[Red] > 200 && counts[Teal] > 200 && counts[Both] > 20);
}

TEST(StereoPicture, TheTwoCamerasStraddleTheShadedView) {
  UseKnotWithSegments(true);
  Estereo::PrepareStereo(ViewSetup::Stereo(), TestView(), TestData().Figure, true);
  const auto project = [](const Estereo::TFrame& f, const TVector3& p) {
    UseFrame(f);
    return Estereo::StereoProject(ViewSetup::Stereo(), p);
  };
  for (int i = 0; i <= TestData().Figure.CurvePointHigh; i += 25) {
    const TVector3& p = TestData().Figure.CurvePoints[i].Point;
    const double mono = static_cast<double>(Framing::ProjectPoint(TestView(), p).x);
    const QPoint red = project(ViewSetup::Stereo().RedFrame, p), teal = project(ViewSetup::Stereo().TealFrame, p);
    EXPECT_TRUE(std::min(red.x(), teal.x()) - 1 <= mono && mono <= std::max(red.x(), teal.x()) + 1) << i;
    EXPECT_LE(std::abs(red.y() - teal.y()), 2) << i;
  }
  EXPECT_NE(SingleImage(ViewSetup::Stereo().RedFrame, Red), SingleImage(ViewSetup::Stereo().TealFrame, Red));
}

TEST(StereoPicture, OnHullSegmentsOnceAndTheCurveOnlyInsideThePicture) {
  UseKnotWithSegments();
  // A plain frame: pixel (x, y) is the world point (x, y, 0).
  auto& s = ViewSetup::Stereo();
  s.View.Scale = -1;
  s.View.EyeDepth = 1;
  s.View.ShiftX = s.View.ShiftY = s.View.OffsetX = s.View.OffsetY = 0;
  const Estereo::TFrame plain{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  for (auto& plane : s.Corners)
    for (auto& row : plane)
      for (TVector3& corner : row) corner = {5, 5, 0};
  const auto record = [](long double s, long double t, bool onHull, int row) {
    BitangentRecord r;
    r.ParamS = s;
    r.ParamT = t;
    r.OnHull = onHull;
    r.PointS = {20, static_cast<long double>(row), 0};
    r.PointT = {380, static_cast<long double>(row), 0};
    return r;
  };
  Scene.BitangentList = {BitangentRecord{}, record(1, 2, true, 300), record(2, 1, true, 320),
                               record(1, 2, false, 340), record(1, 1, true, 360)};
  Scene.BitangentCount = 4;
  const TVector3 curve[] = {{-20, 150, 0}, {20, 150, 0},  {60, 150, 0},  {50, 50, 0},   {150, 50, 0},
                            {500, 50, 0},  {250, 100, 0}, {300, 100, 0}, {350, 100, 0}};
  TestData().Figure.CurvePoints.assign(std::size(curve), Mastil{});
  for (std::size_t i = 0; i < std::size(curve); ++i) TestData().Figure.CurvePoints[i].Point = curve[i];
  TestData().Figure.CurvePointHigh = static_cast<std::int16_t>(std::size(curve) - 1);

  const QImage image = SingleImage(plain, Red);
  EXPECT_EQ(image.pixel(5, 5), Red);      // the box, collapsed to a point
  EXPECT_EQ(image.pixel(200, 300), Red);  // on the hull, s < t
  EXPECT_EQ(image.pixel(200, 320), Black);  // the same pair the other way round
  EXPECT_EQ(image.pixel(200, 340), Black);  // not on the hull
  EXPECT_EQ(image.pixel(200, 360), Red);  // s = t counts as one order
  EXPECT_EQ(image.pixel(0, 150), Black);   // from a first point outside
  EXPECT_EQ(image.pixel(40, 150), Red);
  EXPECT_EQ(image.pixel(100, 50), Red);
  EXPECT_EQ(image.pixel(250, 50), Black);   // towards a point outside
  EXPECT_EQ(image.pixel(375, 75), Black);   // back from it
  EXPECT_EQ(image.pixel(275, 100), Red);    // drawn again once back inside
  EXPECT_EQ(image.pixel(325, 100), Red);

  // No curve points at all: the box and the segments still draw.
  TestData().Figure.CurvePointHigh = -1;
  EXPECT_EQ(SingleImage(plain, Red).pixel(200, 300), Red);
}

TEST(StereoDrag, CtrlMovesThePicturePixelForPixelShiftAloneZooms) {
  UseKnotWithSegments();
  TestView().Scale *= 0.5L;  // keep the whole picture inside while it moves
  Estereo::ShowStereo(ViewSetup::Stereo(), TestPictures(), TestView(), true, TestData().Figure, Scene);
  const QImage before = TestPictures().StereoBitmap.copy();
  const long double scale = TestView().Scale, offsetX = TestView().OffsetX, offsetY = TestView().OffsetY;
  const TVector3 centre = TestView().ScreenCentre;
  Estereo::StereoDrag(ViewSetup::Stereo(), TestPictures(), TestView(), TestData().Figure, Scene, 100, 100, 130, 100,
                      Keys(true, true));
  EXPECT_EQ(TestView().Scale, scale);
  EXPECT_EQ(TestView().OffsetX, offsetX - 30);
  EXPECT_EQ(TestView().OffsetY, offsetY);
  const QImage& after = TestPictures().StereoBitmap;
  for (int y = 0; y < 400; ++y)
    for (int x = 0; x < 400; ++x) ASSERT_EQ(after.pixel(x, y), x < 30 ? Black : before.pixel(x - 30, y)) << x << ", " << y;
  // The shaded view's trackball moved with it.
  EXPECT_NEAR(TestView().ScreenCentre.x - centre.x, 30, 1e-12);
  EXPECT_NEAR(TestView().ScreenCentre.y, centre.y, 1e-12);

  Estereo::StereoDrag(ViewSetup::Stereo(), TestPictures(), TestView(), TestData().Figure, Scene, 200, 250, 200, 200,
                      Keys(true, false));
  EXPECT_NEAR(TestView().Scale / scale, 1.1L, 1e-15);
  EXPECT_EQ(ViewSetup::Stereo().ScaleAbs2, TestView().Scale * TestView().Scale);  // the sphere sees the new scale
}

TEST(StereoDrag, ARotationCarriesTheGrabbedPointAndTheShadedViewFollows) {
  UseKnotWithSegments();
  Estereo::ShowStereo(ViewSetup::Stereo(), TestPictures(), TestView(), true, TestData().Figure, Scene);
  const TVector3 axisX = TestView().AxisX, centre = TestView().ScreenCentre;
  const long double eyeDistance = ViewSetup::Distance(TestView().Eye, TestData().Figure.FigureCentre);
  const TVector3 grabbed = Estereo::StereoSphere(ViewSetup::Stereo(), 180, 220);
  Estereo::StereoDrag(ViewSetup::Stereo(), TestPictures(), TestView(), TestData().Figure, Scene, 180, 220, 260, 170,
                      Keys(false, false));
  // The point of the sphere under the old position now lies under the new one.
  EXPECT_LT(ViewSetup::Distance(Estereo::StereoSphere(ViewSetup::Stereo(), 260, 170), grabbed), 1e-15L);
  EXPECT_GT(ViewSetup::Distance(TestView().AxisX, axisX), 0.05L);
  EXPECT_LT(ViewSetup::OrthonormalError(), 1e-17L);
  // The camera keeps its distance and looks at the figure's centre.
  EXPECT_NEAR(ViewSetup::Distance(TestView().Eye, TestData().Figure.FigureCentre), eyeDistance, 1e-15);
  EXPECT_LT(ViewSetup::Distance((TestView().Eye - TestData().Figure.FigureCentre) / eyeDistance, TestView().AxisZ),
            1e-17L);
  // The shaded view takes the stereo view's orientation, still centred on the figure.
  EXPECT_TRUE(TestView().AxisX == ViewSetup::Stereo().View.AxisX &&
              TestView().AxisY == ViewSetup::Stereo().View.AxisY && TestView().AxisZ == ViewSetup::Stereo().View.AxisZ);
  const ScreenPoint now = Framing::ProjectPoint(TestView(), TestData().Figure.FigureCentre);
  EXPECT_LT(std::hypot(now.x - centre.x, now.y - centre.y), 1e-9L);
  // And a further stereo step starts from there.
  Estereo::PrepareStereo(ViewSetup::Stereo(), TestView(), TestData().Figure, true);
  EXPECT_TRUE(ViewSetup::Stereo().View.AxisX == TestView().AxisX);
}

TEST(StereoDrag, AnUnprojectablePointEndsTheStepWithoutWritingBack) {
  UseKnotWithSegments();
  Estereo::ShowStereo(ViewSetup::Stereo(), TestPictures(), TestView(), true, TestData().Figure, Scene);
  // A point just in front of the red camera's eye plane, well off its axis: its image
  // lies some 1e12 pixels out.
  const Estereo::TFrame& red = ViewSetup::Stereo().RedFrame;
  const long double depth = ViewSetup::Stereo().View.EyeDepth - 1e-9L;
  Scene.BitangentList[1].PointT = (depth / Dot(red.Depth, red.Depth)) * red.Depth + 5 * red.X;
  const long double offsetX = TestView().OffsetX;
  EXPECT_THROW(Estereo::StereoDrag(ViewSetup::Stereo(), TestPictures(), TestView(), TestData().Figure, Scene, 100, 100,
                                   130, 100, Keys(false, true)),
               RangeError);
  EXPECT_EQ(TestView().OffsetX, offsetX);
}

TEST(StereoShow, RefusedUntilAViewWasPreparedThenDrawsFromTheCopy) {
  UseKnotWithSegments();
  EXPECT_FALSE(Estereo::CanShowStereo(ViewSetup::Stereo(), false));
  TestPictures().StereoBitmap.fill(Qt::white);
  ClearFloatFlags();
  Estereo::ShowStereo(ViewSetup::Stereo(), TestPictures(), TestView(), false, TestData().Figure, Scene);
  EXPECT_NO_THROW(CheckFloatFlags());
  EXPECT_EQ(TestPictures().StereoBitmap.pixel(200, 200), 0xFFFFFFFF);  // untouched

  EXPECT_TRUE(Estereo::CanShowStereo(ViewSetup::Stereo(), true));
  Estereo::ShowStereo(ViewSetup::Stereo(), TestPictures(), TestView(), true, TestData().Figure, Scene);
  const QImage shown = TestPictures().StereoBitmap.copy();
  // New p or q not drawn yet: the copy as the last step left it still shows.
  TestView().Scale *= 2;
  EXPECT_TRUE(Estereo::CanShowStereo(ViewSetup::Stereo(), false));
  Estereo::ShowStereo(ViewSetup::Stereo(), TestPictures(), TestView(), false, TestData().Figure, Scene);
  EXPECT_EQ(TestPictures().StereoBitmap, shown);
}
