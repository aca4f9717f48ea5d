// The flat triangles of tritangent planes in the shaded hull picture, after a real
// analysis of (cos t, sin t, a cos(3t + q)): the planes z = a and z = -a.
#include <gtest/gtest.h>

#include <QImage>
#include <cstdlib>

#include "formula/FunPars.h"
#include "geometry/Bitangents.h"
#include "geometry/Framing.h"
#include "geometry/Sampling.h"
#include "geometry/SharedState.h"
#include "geometry/Tritangents.h"
#include "geometry/Vectors.h"
#include "render/HullPicture.h"
#include "render/Palette.h"
#include "render/Pictures.h"
#include "tests/support/TestCurves.h"
#include "tests/support/TestData.h"
#include "tests/support/TestPictures.h"
#include "tests/support/TestView.h"

namespace {

TVector3 CurveAt(long double t) {
  TVector3 p;
  FunPars::EvalCurve(TestData().Curve, t, p);
  return p;
}

QRgb Shade(int k) {
  const std::uint32_t c = Palette::PaletteColour(k);
  return qRgb(c & 0xFF, (c >> 8) & 0xFF, c >> 16);
}

}  // namespace

TEST(TritangentPicture, TheTriangleFacingTheEyeShowsItsShadeInsideItsProjection) {
  ASSERT_TRUE(CreatePictures(TestPictures()));
  // The eye is above the figure: q = 0 shows the upper plane touching at 0, 2 pi/3,
  // 4 pi/3, q = pi the one touching at pi/3, pi, 5 pi/3. Tall waves (a = 1) turn their
  // tangents fast next to the contacts.
  Bitangents::TAnalysis analysis;
  for (const long double a : {0.2L, 1.0L})
    for (const long double q : {0.0L, Glob::Pi}) {
      SCOPED_TRACE(testing::Message() << "a = " << a << ", q = " << q);
      TestCurves::UseCurve(TestData(), "cos(t)", "sin(t)", "p cos(3t+q)", 0, 2 * Glob::Pi, a, q);
      TestView() = Framing::PrepareFigure(TestData().Curve, TestData().Figure);
      Bitangents::AnalyzeBitangents(TestData().Curve, TestData().Figure, analysis);
      HullPicture::RenderHull(TestPictures(), TestView(), TestData().Curve, TestData().Figure, analysis);
      if (const char* dir = std::getenv("WENDRIX_PICTURES"))
        TestPictures().HullBitmap.save(QString("%1/tritangents-%2-%3.png").arg(dir).arg(double(a)).arg(q == 0 ? "0" : "pi"));
      ASSERT_EQ(analysis.TritangentCount, 2);
      int facing = 0;
      for (const Tritangents::Triple& u : analysis.TritangentTriples) {
        const TVector3 p[3] = {CurveAt(u[0]), CurveAt(u[1]), CurveAt(u[2])};
        EXPECT_NEAR(std::fabs(p[0].z), a, 1e-9);
        EXPECT_NEAR(p[1].z, p[0].z, 1e-9);
        EXPECT_NEAR(p[2].z, p[0].z, 1e-9);
        // Outward normal of a horizontal plane on the top or bottom of the figure.
        const TVector3 n{0, 0, p[0].z > 0 ? 1.0L : -1.0L};
        if (Dot(TestView().AxisZ, n) <= 0) continue;
        ++facing;
        const QRgb shade = Shade(HullPicture::ShadeIndex(TestView(), n));
        // Points well inside the triangle: its centroid and towards each corner.
        for (const TVector3& w : {TVector3{1, 1, 1}, TVector3{3, 1, 1}, TVector3{1, 3, 1}, TVector3{1, 1, 3}}) {
          const ScreenPoint s =
              Framing::ProjectPoint(TestView(), (w.x * p[0] + w.y * p[1] + w.z * p[2]) / (w.x + w.y + w.z));
          EXPECT_EQ(TestPictures().HullBitmap.pixel(int(s.x), int(s.y)), shade) << s.x << ", " << s.y;
        }
      }
      EXPECT_EQ(facing, 1);
    }
}
