// wendrix-cli sweep end to end, and the measures of wendrix-cli draw.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "tests/cli/cli_run.h"

namespace {

TRun Sweep(const QStringList& arguments) { return RunWendrixCli("sweep", arguments, 600000); }

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The CSV without its last column, the drawing times, which differ from run to run.
QStringList WithoutTimes(const QByteArray& csv) {
  QStringList rows = QString::fromUtf8(csv).split('\n', Qt::SkipEmptyParts);
  for (QString& row : rows) row.truncate(row.lastIndexOf(','));
  return rows;
}

TEST(SweepCommand, BadRangesAndOptionsAreUsageErrorsWithAMessage) {
  const std::pair<QStringList, const char*> cases[] = {
      {{"--p", "0:5:1"}, "from 2 to 10000"},
      {{"--p", "0:5:10001"}, "from 2 to 10000"},
      {{"--q", "0:5"}, "A:B:N"},
      {{"--p", "0:5:3:4"}, "A:B:N"},
      {{"--p", "a:5:3"}, "not a finite plain number"},
      {{"--p", "0:1e99999:3"}, "not a finite plain number"},
      {{"--p", "0:5:2.5"}, "from 2 to 10000"},
      {{"--p", "0:5:101", "--q", "0:1:100"}, "at most 10000"},
      {{"--csv", "x.csv"}, "give --p A:B:N or --q A:B:N"},
      {{"--p", "0:5:3", "--png", "dir"}, "belong to draw"},
      {{"--p", "0:5:3", "--jobs", "0"}, "--jobs"},
      {{"--p", "0:5:3", "--bogus"}, "bogus"},
  };
  for (const auto& [arguments, message] : cases) {
    const TRun run = Sweep(arguments);
    EXPECT_EQ(run.Status, 2) << arguments.join(' ').toStdString();
    EXPECT_TRUE(run.Err.contains(message)) << arguments.join(' ').toStdString() << "\n" << run.Err.toStdString();
  }
}

// The GIF holds exactly the PNG frames, pixel for pixel, and two processes write the
// same table and the same GIF byte for byte as one.
TEST(SweepCommand, GifMatchesTheFramesAndTwoJobsWriteTheSameFiles) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QStringList common{"--p", "0:5:4", "--q", "0.5", "--square"};
  const TRun one = Sweep(common + QStringList{"--csv", dir.filePath("1.csv"), "--gif", dir.filePath("1.gif"),
                                              "--frames", dir.filePath("frames"), "--plot", dir.filePath("plot.png")});
  ASSERT_EQ(one.Status, 0) << one.Err.toStdString();
  const TRun two = Sweep(common + QStringList{"--csv", dir.filePath("2.csv"), "--gif", dir.filePath("2.gif"),
                                              "--jobs", "2"});
  ASSERT_EQ(two.Status, 0) << two.Err.toStdString();

  const QStringList rows = WithoutTimes(ReadAll(dir.filePath("1.csv")));
  ASSERT_EQ(rows.size(), 5);
  EXPECT_TRUE(rows[1].startsWith("0,0.5,")) << rows[1].toStdString();
  EXPECT_TRUE(rows[4].startsWith("5,0.5,")) << rows[4].toStdString();
  EXPECT_EQ(rows, WithoutTimes(ReadAll(dir.filePath("2.csv"))));
  EXPECT_EQ(ReadAll(dir.filePath("1.gif")), ReadAll(dir.filePath("2.gif")));

  QImageReader gif(dir.filePath("1.gif"), "gif");
  ASSERT_TRUE(gif.supportsAnimation());
  for (int k = 1; k <= 4; ++k) {
    const QImage png(dir.filePath(QString("frames/frame-%1.png").arg(k, 5, 10, QChar('0'))));
    ASSERT_EQ(png.size(), QSize(700, 400)) << k;
    const QImage frame = gif.read();
    ASSERT_FALSE(frame.isNull()) << k << " " << gif.errorString().toStdString();
    EXPECT_EQ(frame.convertToFormat(QImage::Format_RGB32), png.convertToFormat(QImage::Format_RGB32)) << k;
  }
  EXPECT_TRUE(gif.read().isNull());
  EXPECT_EQ(QImage(dir.filePath("plot.png")).size(), QSize(800, 640));
}

// Values where the drawing overflows get a row with the message and no measures, the
// others are drawn, whatever the number of processes; a GIF that cannot be written
// leaves nothing behind.
TEST(SweepCommand, FailingValuesAreRowsAndAnUnwritableGifLeavesNoFile) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QStringList curve{"--p", "0:1:3", "--x", "(10^(300 p))^40 t", "--y", "sin(t)", "--z", "cos(2t)"};
  for (const char* jobs : {"1", "2"}) {
    const TRun run = Sweep(curve + QStringList{"--csv", dir.filePath("e.csv"), "--jobs", jobs});
    ASSERT_EQ(run.Status, 0) << run.Err.toStdString();
    EXPECT_TRUE(run.Err.contains("2 of 3 values could not be drawn")) << run.Err.toStdString();
    const QStringList rows = WithoutTimes(ReadAll(dir.filePath("e.csv")));
    ASSERT_EQ(rows.size(), 4);
    EXPECT_GT(rows[1].split(',')[2].toDouble(), 0) << rows[1].toStdString();
    EXPECT_TRUE(rows[1].endsWith(",")) << rows[1].toStdString();  // no error
    EXPECT_EQ(rows[2], "0.5,0,,,,,,,,\"Floating point overflow\"");
    EXPECT_EQ(rows[3], "1,0,,,,,,,,\"Floating point overflow\"");
  }

  // The target is a folder: the rename fails and the temporary file is removed.
  ASSERT_TRUE(QDir(dir.path()).mkdir("taken.gif"));
  const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
  const TRun run = Sweep({"--p", "0:5:2", "--gif", dir.filePath("taken.gif")});
  EXPECT_EQ(run.Status, 3);
  EXPECT_TRUE(run.Err.contains("Cannot write")) << run.Err.toStdString();
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), before);
}

// draw prints the measures unless --quiet and writes them into the JSON; the sweep's
// first value is drawn in the same view, so its row holds the same figures.
TEST(SweepCommand, DrawMeasuresAgreeWithTheSweepsRow) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const TRun draw = RunWendrixCli("draw", {"--p", "2", "--seed", "1", "--json", dir.filePath("d.json")}, 300000);
  ASSERT_EQ(draw.Status, 0) << draw.Err.toStdString();
  EXPECT_TRUE(draw.Out.contains("; area ")) << draw.Out.toStdString();
  const QJsonObject measures = QJsonDocument::fromJson(ReadAll(dir.filePath("d.json"))).object()["measures"].toObject();
  const TRun quiet = RunWendrixCli("draw", {"--p", "2", "--quiet"}, 300000);
  EXPECT_EQ(quiet.Status, 0);
  EXPECT_TRUE(quiet.Out.isEmpty()) << quiet.Out.toStdString();

  const TRun sweep = Sweep({"--p", "2:3:2", "--csv", dir.filePath("s.csv")});
  ASSERT_EQ(sweep.Status, 0) << sweep.Err.toStdString();
  const QStringList row = WithoutTimes(ReadAll(dir.filePath("s.csv")))[1].split(',');
  ASSERT_EQ(row.size(), 10);
  EXPECT_DOUBLE_EQ(row[2].toDouble(), measures["area"].toDouble());
  EXPECT_DOUBLE_EQ(row[3].toDouble(), measures["volume"].toDouble());
  EXPECT_DOUBLE_EQ(row[4].toDouble(), measures["flat_share"].toDouble());
  EXPECT_EQ(row[5].toInt(), measures["planes"].toInt());
  EXPECT_EQ(row[6].toInt(), measures["on_hull_branches"].toInt());
  EXPECT_EQ(row[7].toInt(), measures["bitangent_records"].toInt());
  EXPECT_GT(measures["area"].toDouble(), 0);
}

}  // namespace
