// The window at other sizes than its least, on a screen of two device pixels per pixel:
// the pictures are drawn at the size shown, sharp, and show the same figure.
#include <QLabel>
#include <QScreen>

#include "app/Drawing.h"
#include "app/window/FormLayout.h"
#include "app/window/PaintBox.h"
#include "app/window/CursorBar.h"
#include "app/core/AppState.h"
#include "geometry/SharedState.h"
#include "tests/app/window_support.h"

using namespace WindowTest;

namespace {

// Set before the application object is made (in main, after every static initializer).
const bool HighDensity = qputenv("QT_SCALE_FACTOR", "2");

// Share of the pixels where some channel of `a` and `b` differs by more than `levels`.
double DifferingShare(const QImage& a, const QImage& b, int levels) {
  const QImage x = a.convertToFormat(QImage::Format_RGB32), y = b.convertToFormat(QImage::Format_RGB32);
  long differing = 0;
  for (int row = 0; row < x.height(); ++row)
    for (int col = 0; col < x.width(); ++col) {
      const QRgb p = x.pixel(col, row), q = y.pixel(col, row);
      differing += std::abs(qRed(p) - qRed(q)) > levels || std::abs(qGreen(p) - qGreen(q)) > levels ||
                   std::abs(qBlue(p) - qBlue(q)) > levels;
    }
  return differing / static_cast<double>(x.width() * x.height());
}

}  // namespace

class Size : public WindowFixture {
 protected:
  void SetUp() override {
    ASSERT_TRUE(HighDensity);
    WindowFixture::SetUp();
    PressDrawIt();
    ASSERT_TRUE(Form->AppState.DrawnFlag);
  }
  // Resizes the form and waits until the pictures followed their boxes.
  void ResizeTo(int width, int height) {
    Form->resize(width, height);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Form->Pictures.HullSize() == 2 * Form->ConvexHullBox->width(); }));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Form->Pictures.SmallSize() == 2 * Form->BitangBox->width(); }));
  }
};

TEST_F(Size, TheLeastFormShowsItsPicturesOneDevicePixelEach) {
  ASSERT_EQ(Form->devicePixelRatioF(), 2);
  EXPECT_EQ(Form->ConvexHullBox->geometry(), QRect(7, 8, 400, 400));
  EXPECT_EQ(Form->BitangBox->geometry(), QRect(417, 319, 300, 300));
  EXPECT_EQ(Form->Pictures.HullSize(), 800);
  // What the box shows is the picture itself, not an enlarged copy.
  const QImage shown = Form->ConvexHullBox->grab().toImage();
  ASSERT_EQ(shown.size(), QSize(800, 800));
  EXPECT_EQ(DifferingShare(shown, Form->Pictures.HullBitmap, 0), 0);
  // The pointer's box pixels are the picture's: the middle column, a quarter down.
  SendMouse(Form->BitangBox, QEvent::MouseMove, 150, 75, Qt::NoButton);
  EXPECT_TRUE(Form->StatusLine->text().startsWith("s = 3.142, t = 4.712:")) << Form->StatusLine->text().toStdString();
  // A drag starts beyond 10 screen pixels, not 10 of the denser picture's.
  const QImage still = Form->Pictures.HullBitmap.copy();
  SendMouse(Form->ConvexHullBox, QEvent::MouseButtonPress, 200, 200, Qt::LeftButton);
  SendMouse(Form->ConvexHullBox, QEvent::MouseMove, 208, 200, Qt::LeftButton);
  EXPECT_EQ(Form->Pictures.HullBitmap, still);
  SendMouse(Form->ConvexHullBox, QEvent::MouseMove, 212, 200, Qt::LeftButton);
  EXPECT_NE(Form->Pictures.HullBitmap, still);
}

TEST_F(Size, ALargerFormDrawsTheSameFigureSharperAndKeepsItsView) {
  ResizeTo(1400, 1000);
  const int side = Form->ConvexHullBox->width();
  EXPECT_GT(side, 600);
  EXPECT_EQ(Form->BitangBox->width(), side * 3 / 4);
  // Against the 400-pixel picture drawn by the same stages in the same view: the strips'
  // edges and the curve fall a pixel apart here and there once downscaled, the shading
  // and the outline do not.
  TPictures small;
  ASSERT_TRUE(CreatePictures(small));
  Drawing::RenderAgain(*Form->Data, small, Form->View, Form->Gate.Stereo, Form->AppState);
  const QImage reduced = Form->Pictures.HullBitmap.scaled(400, 400, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  const double share = DifferingShare(reduced, small.HullBitmap, 48);
  EXPECT_LT(share, 0.03) << share;
  EXPECT_GT(DifferingShare(reduced, small.HullBitmap, 0), 0);  // not the small picture itself
  // A turn at the new size, then a step of p: the view and the size are kept.
  SendMouse(Form->ConvexHullBox, QEvent::MouseButtonPress, 300, 300, Qt::LeftButton);
  SendMouse(Form->ConvexHullBox, QEvent::MouseMove, 360, 270, Qt::LeftButton);
  const TVector3 turned = Form->View.AxisX;
  Form->pCursor->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(Form->View.AxisX, turned);
  EXPECT_EQ(Form->Pictures.HullSize(), 2 * side);
  // Back to the least size: the pictures are those of the least form again.
  ResizeTo(400, 300);
  EXPECT_EQ(Form->ConvexHullBox->width(), 400);
  EXPECT_EQ(Form->Pictures.HullSize(), 800);
}

TEST_F(Size, TheLayoutKeepsEachPictureWithinTheLargestSize) {
  const auto* layout = static_cast<const TFormLayout*>(Form->centralWidget()->layout());
  EXPECT_EQ(layout->HullSideFor({20000, 20000}, 2), MaxPictureSize / 2);
  EXPECT_EQ(layout->HullSideFor({20000, 20000}, 1), MaxPictureSize);
  EXPECT_EQ(layout->HullSideFor({100, 100}, 1), 400);
}
