// wendrix-cli draw end to end: the built program is run as a user would run it.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <cstring>

#include "tests/cli/cli_run.h"

namespace {

TRun RunCli(const QStringList& arguments) { return RunWendrixCli("draw", arguments, 300000); }

QJsonObject ReadJson(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  QJsonParseError error{};
  const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
  EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
  return document.object();
}

// The JSON without its timings, which differ from run to run.
QJsonObject WithoutTimings(QJsonObject json) {
  json.remove("timings_ms");
  return json;
}

std::vector<double> Numbers(const QJsonValue& value) {
  std::vector<double> numbers;
  for (const QJsonValue& v : value.toArray()) numbers.push_back(v.toDouble());
  return numbers;
}

class DrawCommand : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(folder.isValid()); }
  QString Path(const QString& name) const { return QDir(folder.path()).filePath(name); }
  QTemporaryDir folder;
};

}  // namespace

TEST_F(DrawCommand, UsageErrorsExitWithTwoAndTheUsage) {
  const QStringList bad[] = {
      {"--bogus"},        {"--png"},         {"a.wdx", "b.wdx"},      {"--seed", "-3"},
      {"--drag", "1,2,3"}, {"--drag", "1,2,3,4,alt"}, {"--p", "pi"},
  };
  for (const QStringList& arguments : bad) {
    const TRun run = RunCli(arguments);
    EXPECT_EQ(run.Status, 2) << arguments.join(' ').toStdString();
    EXPECT_TRUE(run.Err.contains("Usage: wendrix-cli draw")) << run.Err.toStdString();
  }
  const TRun help = RunCli({"--help"});
  EXPECT_EQ(help.Status, 0);
  EXPECT_TRUE(help.Out.contains("--drag"));
}

TEST_F(DrawCommand, RefusedInputExitsWithOneAndTheWindowsMessage) {
  const std::pair<QStringList, QString> cases[] = {
      {{"--tmin", "2 pi", "--tmax", "0"}, "The minimum of 't' must be less than its maximum"},
      {{"--y", "   "}, "Some data missing"},
      {{"--pmax", "five"}, "A number is missing or miswritten"},
      {{"--qmin", "pi", "--qmax", "pi"}, "The minimum of 'q' must be less than its maximum"},
      {{"--p", "7"}, "p = 7 lies outside its range 0 to 5"},
  };
  for (const auto& [arguments, message] : cases) {
    const TRun run = RunCli(arguments + QStringList{"--png", Path("refused")});
    EXPECT_EQ(run.Status, 1) << arguments.join(' ').toStdString();
    EXPECT_EQ(run.Err.trimmed(), message);
    EXPECT_FALSE(QDir(Path("refused")).exists());
  }
  const TRun compiler = RunCli({"--x", "cos(t"});
  EXPECT_EQ(compiler.Status, 1);
  EXPECT_FALSE(compiler.Err.trimmed().isEmpty());
  const TRun missing = RunCli({Path("missing.wdx")});
  EXPECT_EQ(missing.Status, 1);
  EXPECT_TRUE(missing.Err.contains("missing.wdx"));
}

TEST_F(DrawCommand, TheDefaultCurveGivesItsPicturesAndFigure) {
  const TRun run = RunCli({"--png", Path("out") + "/", "--json", Path("figure.json"), "--seed", "1"});
  ASSERT_EQ(run.Status, 0) << run.Err.toStdString();
  const std::pair<const char*, int> pictures[] = {{"hull.png", 400}, {"square.png", 300}, {"normals.png", 300}};
  for (const auto& [name, size] : pictures) {
    const QImage image(QDir(Path("out")).filePath(name));
    ASSERT_FALSE(image.isNull()) << name;
    EXPECT_EQ(image.width(), size) << name;
    EXPECT_EQ(image.height(), size) << name;
  }
  EXPECT_FALSE(QFile::exists(QDir(Path("out")).filePath("stereo.png")));

  const QJsonObject json = ReadJson(Path("figure.json"));
  for (const char* key : {"input", "view", "curve", "bitangents", "tritangents", "timings_ms"})
    EXPECT_TRUE(json.contains(key)) << key;
  const QJsonObject input = json["input"].toObject();
  EXPECT_EQ(input["x"].toString(), "cos(2t)(p+sen(3t))");
  EXPECT_EQ(input["tmin"].toDouble(), 0.0);
  EXPECT_DOUBLE_EQ(input["tmax"].toDouble(), 2 * M_PI);
  EXPECT_DOUBLE_EQ(input["qmax"].toDouble(), M_PI);
  for (const char* key : {"pmin", "pmax", "qmin", "p", "q"}) EXPECT_TRUE(input[key].isDouble()) << key;

  const QJsonObject view = json["view"].toObject();
  for (const char* key : {"axis_x", "axis_y", "axis_z", "eye", "box_min", "box_max", "centre", "screen_centre"})
    EXPECT_EQ(Numbers(view[key]).size(), 3u) << key;
  for (const char* key : {"scale", "eye_depth", "shift_x", "shift_y", "offset_x", "offset_y", "depth_scale",
                          "depth_offset"})
    EXPECT_TRUE(view[key].isDouble()) << key;
  const std::vector<double> axis = Numbers(view["axis_z"]);
  EXPECT_NEAR(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2], 1.0, 1e-12);

  const QJsonObject curve = json["curve"].toObject();
  const QJsonArray points = curve["points"].toArray();
  EXPECT_GE(points.size(), 188);
  EXPECT_LE(points.size(), 4097);
  EXPECT_EQ(points.first()["param"].toDouble(), 0.0);
  EXPECT_DOUBLE_EQ(points.last()["param"].toDouble(), 2 * M_PI);
  // x(0) = cos 0 (p + sin 0) = p = 0, z(0) = cos(0 + q) = 1.
  const std::vector<double> first = Numbers(points.first()["point"]);
  EXPECT_NEAR(first[0], 0.0, 1e-15);
  EXPECT_NEAR(first[2], 1.0, 1e-15);
  EXPECT_TRUE(points.first()["torsion"].isDouble() || points.first()["torsion"].isNull());

  const QJsonArray bitangents = json["bitangents"].toArray();
  ASSERT_FALSE(bitangents.isEmpty());
  const QJsonObject record = bitangents.first().toObject();
  EXPECT_TRUE(record["on_hull"].isBool());
  EXPECT_TRUE(record["starts_branch"].toBool());
  for (const char* key : {"point_s", "point_t", "normal"}) EXPECT_EQ(Numbers(record[key]).size(), 3u) << key;
  for (const QJsonValue& triple : json["tritangents"].toArray()) {
    const std::vector<double> u = Numbers(triple);
    ASSERT_EQ(u.size(), 3u);
    EXPECT_LE(u[0], u[1]);
    EXPECT_LE(u[1], u[2]);
  }
  const QJsonObject times = json["timings_ms"].toObject();
  for (const char* key : {"sample", "analyze", "square", "normals", "hull", "total"})
    EXPECT_GE(times[key].toDouble(-1), 0.0) << key;
}

TEST_F(DrawCommand, AFixedSeedRepeatsTheDrawingExactly) {
  ASSERT_EQ(RunCli({"--seed", "42", "--json", Path("a.json")}).Status, 0);
  ASSERT_EQ(RunCli({"--seed", "42", "--json", Path("b.json")}).Status, 0);
  EXPECT_EQ(WithoutTimings(ReadJson(Path("a.json"))), WithoutTimings(ReadJson(Path("b.json"))));
}

TEST_F(DrawCommand, ACurveFileAndOptionsGiveTheInput) {
  QFile file(Path("curve.wdx"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("cos(t)\r\nsin(t)\r\nsin(2t)\r\n0\r\n6.28318530717959\r\n0\r\n5\r\n0\r\n3.14159265358979\r\n2.5\r\n1\r\n");
  file.close();
  ASSERT_EQ(RunCli({Path("curve.wdx"), "--z", "p sin(3t)", "--seed", "3", "--json", Path("c.json")}).Status, 0);
  const QJsonObject input = ReadJson(Path("c.json"))["input"].toObject();
  EXPECT_EQ(input["x"].toString(), "cos(t)");
  EXPECT_EQ(input["z"].toString(), "p sin(3t)");
  EXPECT_EQ(input["tmax"].toDouble(), 6.28318530717959);
  EXPECT_EQ(input["p"].toDouble(), 2.5);
  // q = 1 lands on its scroll position 121 of 0 .. pi.
  EXPECT_DOUBLE_EQ(input["q"].toDouble(), M_PI * 121 / 380);

  ASSERT_EQ(RunCli({Path("curve.wdx"), "--pmax", "2", "--p", "1.5", "--json", Path("d.json")}).Status, 0);
  EXPECT_EQ(ReadJson(Path("d.json"))["input"].toObject()["p"].toDouble(), 1.5);
}

TEST_F(DrawCommand, DragsTurnZoomAndShiftTheView) {
  const QStringList common{"--seed", "5", "--json"};
  ASSERT_EQ(RunCli(common + QStringList{Path("still.json")}).Status, 0);
  // A move of 10 pixels is no drag.
  ASSERT_EQ(RunCli(common + QStringList{Path("small.json"), "--drag", "200,200,205,205"}).Status, 0);
  ASSERT_EQ(RunCli(common + QStringList{Path("turn.json"), "--drag", "200,200,260,200"}).Status, 0);
  ASSERT_EQ(RunCli(common + QStringList{Path("zoom.json"), "--drag", "200,200,200,150,shift"}).Status, 0);
  ASSERT_EQ(RunCli(common + QStringList{Path("shift.json"), "--drag", "200,200,240,230,ctrl", "--png", Path("s")}).Status,
            0);
  const QJsonObject still = ReadJson(Path("still.json"))["view"].toObject();
  EXPECT_EQ(ReadJson(Path("small.json"))["view"].toObject(), still);
  const QJsonObject turn = ReadJson(Path("turn.json"))["view"].toObject();
  EXPECT_NE(turn["axis_x"], still["axis_x"]);
  const QJsonObject zoom = ReadJson(Path("zoom.json"))["view"].toObject();
  const QJsonObject shift = ReadJson(Path("shift.json"))["view"].toObject();
  EXPECT_NE(zoom, still);
  EXPECT_NE(shift, still);
  EXPECT_EQ(shift["axis_x"], still["axis_x"]);
  EXPECT_FALSE(QImage(QDir(Path("s")).filePath("hull.png")).isNull());
}

TEST_F(DrawCommand, TheStereoViewIsWrittenAndDragged) {
  ASSERT_EQ(RunCli({"--stereo", "--seed", "2", "--png", Path("st"), "--drag", "200,200,250,210"}).Status, 0);
  const QImage stereo(QDir(Path("st")).filePath("stereo.png"));
  ASSERT_FALSE(stereo.isNull());
  EXPECT_EQ(stereo.size(), QSize(400, 400));
  // Red and teal lines on black.
  bool red = false, teal = false;
  for (int y = 0; y < 400; ++y)
    for (int x = 0; x < 400; ++x) {
      const QRgb c = stereo.pixel(x, y);
      red = red || (qRed(c) > 128 && qGreen(c) < 64 && qBlue(c) < 64);
      teal = teal || (qRed(c) < 64 && qGreen(c) > 128 && qBlue(c) > 128);
    }
  EXPECT_TRUE(red);
  EXPECT_TRUE(teal);
}

TEST_F(DrawCommand, TheHullMeshIsWrittenInBothFormats) {
  ASSERT_EQ(RunCli({"--seed", "3", "--obj", Path("hull.obj"), "--stl", Path("hull.stl")}).Status, 0);
  QFile obj(Path("hull.obj")), stl(Path("hull.stl"));
  ASSERT_TRUE(obj.open(QIODevice::ReadOnly));
  ASSERT_TRUE(stl.open(QIODevice::ReadOnly));
  const QByteArray objText = obj.readAll(), stlBytes = stl.readAll();
  const int faces = objText.count("\nf ");
  ASSERT_GT(faces, 0);
  // The same triangles in both files: 84 bytes of header and count, 50 per triangle.
  ASSERT_GE(stlBytes.size(), 84);
  quint32 count = 0;
  std::memcpy(&count, stlBytes.constData() + 80, 4);
  EXPECT_EQ(count, static_cast<quint32>(faces));
  EXPECT_EQ(stlBytes.size(), 84 + 50 * faces);
}
