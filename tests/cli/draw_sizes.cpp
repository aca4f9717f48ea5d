// Pictures of other sizes: wendrix-cli draw --size N shows the figure of the 400-pixel
// picture, scaled; drags scaled with it leave the same view; sizes beyond the cap are
// refused with a message.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QRect>
#include <QTemporaryDir>
#include <cstdlib>
#include <utility>

#include "tests/cli/cli_run.h"

namespace {

TRun RunCli(const QStringList& arguments) { return RunWendrixCli("draw", arguments, 300000); }

// The JSON without its timings line, which differs from run to run.
QByteArray Figure(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  QByteArray text = file.readAll();
  const qsizetype timings = text.indexOf("\"timings_ms\"");
  return timings < 0 ? text : text.left(timings);
}

// The smallest rectangle holding every pixel that is not the background colour.
QRect Drawn(const QImage& image, QRgb background) {
  QRect box;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixel(x, y) != background) box |= QRect(x, y, 1, 1);
  return box;
}

void ExpectScaledBox(const QRect& small, const QRect& large, int factor, const char* what) {
  EXPECT_FALSE(small.isEmpty()) << what;
  for (const auto& [a, b] : {std::pair{small.left(), large.left()}, std::pair{small.top(), large.top()},
                             std::pair{small.right(), large.right()}, std::pair{small.bottom(), large.bottom()}})
    EXPECT_NEAR(a * factor, b, 2 * factor) << what;
}

class DrawSizes : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(folder.isValid()); }
  QString Path(const QString& name) const { return QDir(folder.path()).filePath(name); }

  // The window's default curve at p = 1 and `size`, turned, zoomed and shifted by drags given for 400
  // pixels and scaled by size / 400.
  void Draw(int size, bool stereo, const QString& name) {
    const int f = size / 400;
    const auto drag = [f](int x0, int y0, int x1, int y1, const char* keys) {
      return QStringLiteral("%1,%2,%3,%4%5").arg(x0 * f).arg(y0 * f).arg(x1 * f).arg(y1 * f).arg(keys);
    };
    QStringList arguments{"-p", "1", "--seed", "1", "--quiet", "--size",
                          QString::number(size), "--png", Path(name), "--json", Path(name + ".json"),
                          "--drag", drag(200, 200, 236, 214, ""), "--drag", drag(100, 300, 100, 280, ",shift"),
                          "--drag", drag(50, 50, 70, 40, ",ctrl")};
    if (stereo) arguments << "--stereo";
    const TRun run = RunCli(arguments);
    ASSERT_EQ(run.Status, 0) << run.Err.toStdString();
  }
  QTemporaryDir folder;
};

}  // namespace

TEST_F(DrawSizes, AnEightHundredPixelDrawingShowsTheSameFigureInTheSameView) {
  Draw(400, false, "small");
  Draw(800, false, "large");
  EXPECT_EQ(Figure(Path("small.json")), Figure(Path("large.json")));
  const QImage hull400(Path("small/hull.png")), hull800(Path("large/hull.png"));
  ASSERT_EQ(hull800.size(), QSize(800, 800));
  ExpectScaledBox(Drawn(hull400, qRgb(255, 255, 255)), Drawn(hull800, qRgb(255, 255, 255)), 2, "hull");
  // Downscaled, most pixels agree with the 400-pixel picture; they differ along edges.
  const QImage down = hull800.scaled(400, 400, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  int far = 0;
  for (int y = 0; y < 400; ++y)
    for (int x = 0; x < 400; ++x) {
      const QRgb a = hull400.pixel(x, y), b = down.pixel(x, y);
      far += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b)) > 60;
    }
  EXPECT_LT(far, 400 * 400 / 20);
  const QImage normals300(Path("small/normals.png")), normals600(Path("large/normals.png"));
  ASSERT_EQ(normals600.size(), QSize(600, 600));
  ExpectScaledBox(Drawn(normals300, qRgb(255, 255, 255)), Drawn(normals600, qRgb(255, 255, 255)), 2, "normals");
  const QImage square300(Path("small/square.png")), square600(Path("large/square.png"));
  ExpectScaledBox(Drawn(square300, qRgb(255, 255, 255)), Drawn(square600, qRgb(255, 255, 255)), 2, "square");
}

TEST_F(DrawSizes, TheStereoViewScalesAndItsDragsKeepTheView) {
  Draw(400, true, "small");
  Draw(800, true, "large");
  EXPECT_EQ(Figure(Path("small.json")), Figure(Path("large.json")));
  const QImage stereo400(Path("small/stereo.png")), stereo800(Path("large/stereo.png"));
  ASSERT_EQ(stereo800.size(), QSize(800, 800));
  ExpectScaledBox(Drawn(stereo400, qRgb(0, 0, 0)), Drawn(stereo800, qRgb(0, 0, 0)), 2, "stereo");
}

TEST_F(DrawSizes, SizesOutsideTheRangeAreRefusedWithAMessage) {
  for (const char* size : {"5000", "4097", "7", "-400", "100000000000"}) {
    const TRun run = RunCli({"--size", size, "--png", Path("never")});
    EXPECT_GT(run.Status, 0) << size;
    EXPECT_FALSE(run.Err.isEmpty()) << size;
    EXPECT_FALSE(QDir(Path("never")).exists()) << size;
  }
}
