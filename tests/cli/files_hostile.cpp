// What wendrix-cli does with hostile file names, targets and streams: each case checks
// the answer and that the file or picture that was there before survives.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <tuple>

#include "tests/cli/cli_run.h"

namespace {

constexpr int Timeout = 120000;

QByteArray Contents(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void Put(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

// wendrix-cli with its standard streams as /bin/sh sets them up by `redirect`.
int RunThroughShell(const QString& arguments, const QString& redirect) {
  QProcess shell;
  shell.start("/bin/sh", {"-c", QString("\"%1\" %2 %3").arg(WENDRIX_CLI, arguments, redirect)});
  return shell.waitForFinished(Timeout) && shell.exitStatus() == QProcess::NormalExit ? shell.exitCode() : -1;
}

class FilesHostile : public ::testing::Test {
 protected:
  QString Path(const QString& name) const { return Folder.filePath(name); }
  QTemporaryDir Folder;
};

TEST_F(FilesHostile, OnlyRegularFilesAreWrittenAndLinksAreFollowed) {
  // A link is written through: the target gets the figure, the link stays a link.
  Put(Path("target.json"), "old");
  ASSERT_EQ(::symlink("target.json", Path("link.json").toLocal8Bit().constData()), 0);
  EXPECT_EQ(RunWendrixCli("draw", {"--json", Path("link.json")}, Timeout).Status, 0);
  EXPECT_TRUE(QFileInfo(Path("link.json")).isSymLink());
  EXPECT_TRUE(Contents(Path("target.json")).startsWith("{\"input\""));

  // A FIFO, a device or a folder is refused by name and stays what it was. The device
  // is a null device of the test's own (only root may make one): a fault here must not
  // cost the system its /dev/null.
  ASSERT_EQ(::mkfifo(Path("fifo.obj").toLocal8Bit().constData(), 0644), 0);
  ASSERT_TRUE(QDir(Folder.path()).mkdir("folder.stl"));
  const bool device = ::mknod(Path("null.json").toLocal8Bit().constData(), S_IFCHR | 0666, makedev(1, 3)) == 0;
  const std::tuple<QString, QString, mode_t> refusals[] = {
      {"--obj", "fifo.obj", S_IFIFO}, {"--stl", "folder.stl", S_IFDIR}, {"--json", "null.json", S_IFCHR}};
  for (const auto& [option, name, type] : refusals) {
    if (type == S_IFCHR && !device) continue;
    const TRun run = RunWendrixCli("draw", {option, Path(name)}, Timeout);
    EXPECT_EQ(run.Status, 3);
    const char* kind = type == S_IFIFO ? "a FIFO" : type == S_IFDIR ? "a folder" : "a character device";
    EXPECT_EQ(run.Err, "Cannot write \"" + Path(name) + "\": it is " + kind + ", not a regular file\n");
    struct stat info {};
    EXPECT_TRUE(::stat(Path(name).toLocal8Bit().constData(), &info) == 0 && (info.st_mode & S_IFMT) == type) << name.toStdString();
  }
  EXPECT_EQ(QDir(Folder.path()).entryList(QDir::Hidden | QDir::Files).filter(".wendrix-"), QStringList());
}

TEST_F(FilesHostile, ARewrittenFileKeepsItsModeOwnerLinksAndLongName) {
  Put(Path("figure.json"), "old");
  ASSERT_EQ(::link(Path("figure.json").toLocal8Bit().constData(), Path("second.json").toLocal8Bit().constData()), 0);
  ASSERT_EQ(::chmod(Path("figure.json").toLocal8Bit().constData(), 0640), 0);
  // Root can hand the file to another user first; it must come back as theirs.
  const bool root = ::geteuid() == 0;
  if (root) {
    ASSERT_EQ(::chown(Path("figure.json").toLocal8Bit().constData(), 65534, 65534), 0);
  }
  ASSERT_EQ(RunWendrixCli("draw", {"--json", Path("figure.json")}, Timeout).Status, 0);
  struct stat info {};
  ASSERT_EQ(::stat(Path("figure.json").toLocal8Bit().constData(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(info.st_nlink, 2u);
  if (root) {
    EXPECT_EQ(info.st_uid, 65534u);
  }
  EXPECT_EQ(Contents(Path("second.json")), Contents(Path("figure.json")));
  EXPECT_TRUE(Contents(Path("second.json")).startsWith("{\"input\""));

  // The longest name a folder entry may have.
  const QString longest = Path(QString(250, 'a') + ".json");
  EXPECT_EQ(RunWendrixCli("draw", {"--json", longest}, Timeout).Status, 0);
  EXPECT_TRUE(Contents(longest).startsWith("{\"input\""));
}

TEST_F(FilesHostile, PicturesAreWrittenAllOrNothing) {
  ASSERT_TRUE(QDir(Folder.path()).mkpath("pictures/normals.png"));  // a folder where a picture goes
  Put(Path("pictures/hull.png"), "old hull");
  Put(Path("pictures/square.png"), "old square");
  const TRun run = RunWendrixCli("draw", {"--png", Path("pictures")}, Timeout);
  EXPECT_EQ(run.Status, 3);
  EXPECT_EQ(Contents(Path("pictures/hull.png")), "old hull");
  EXPECT_EQ(Contents(Path("pictures/square.png")), "old square");
  EXPECT_EQ(QDir(Path("pictures")).entryList(QDir::Hidden | QDir::Files).filter(".wendrix-"), QStringList());
}

TEST_F(FilesHostile, StandardOutputThatCannotBeWrittenFailsTheCommand) {
  for (const QString redirect : {"> /dev/full", ">&-"}) {
    EXPECT_EQ(RunThroughShell("eval '2 pi'", redirect + " 2>/dev/null"), 3) << redirect.toStdString();
    EXPECT_EQ(RunThroughShell("--help", redirect + " 2>/dev/null"), 3) << redirect.toStdString();
  }
  // Closed, it is not taken by the first file the command opens.
  EXPECT_EQ(RunThroughShell("draw --json \"" + Path("closed.json") + "\"", ">&- 2>/dev/null"), 3);
  EXPECT_TRUE(Contents(Path("closed.json")).startsWith("{\"input\""));
  EXPECT_EQ(RunThroughShell("eval '2 pi'", "> /dev/null"), 0);
}

TEST_F(FilesHostile, EmptyNamesAreUsageErrors) {
  Put(Path("kept"), "old");
  for (const QStringList& arguments : {QStringList{""}, QStringList{"--png", ""}, QStringList{"--json", ""},
                                       QStringList{"--obj", ""}, QStringList{"--stl", ""}}) {
    const TRun run = RunWendrixCli("draw", arguments, Timeout);
    EXPECT_EQ(run.Status, 2) << arguments.join(' ').toStdString();
    EXPECT_TRUE(run.Out.isEmpty());
  }
  EXPECT_EQ(QDir(Folder.path()).entryList(QDir::Files), QStringList{"kept"});
}

TEST_F(FilesHostile, CurveFilesAreReadOnlyFromRegularFilesWithOrWithoutAMark) {
  ASSERT_EQ(::mkfifo(Path("waiting.wdx").toLocal8Bit().constData(), 0644), 0);
  const TRun fifo = RunWendrixCli("draw", {Path("waiting.wdx")}, 10000);
  EXPECT_EQ(fifo.Status, 1);  // -1 would mean it waited for a writer
  EXPECT_EQ(fifo.Err, "Cannot load \"" + Path("waiting.wdx") + "\": it is a FIFO, not a curve file.\n");
  EXPECT_EQ(RunWendrixCli("draw", {"/dev/zero"}, 10000).Err,
            "Cannot load \"/dev/zero\": it is a character device, not a curve file.\n");

  const QByteArray curve = "t\r\nsin(t)\r\ncos(2t)\r\n0\r\n6.28\r\n0\r\n5\r\n0\r\n3.14\r\n2.5\r\n0\r\n";
  Put(Path("plain.wdx"), curve);
  Put(Path("marked.wdx"), "\xEF\xBB\xBF" + curve);
  for (const char* name : {"plain", "marked"}) {
    const TRun run = RunWendrixCli(
        "draw", {Path(name + QString(".wdx")), "--seed", "1", "--png", Path(name)}, Timeout);
    EXPECT_EQ(run.Status, 0) << name << run.Err.toStdString();
  }
  EXPECT_EQ(QImage(Path("marked/hull.png")), QImage(Path("plain/hull.png")));
}

TEST_F(FilesHostile, NumbersAtTheEdgesOfTheExtendedRange) {
  // A p range wider than the largest real still places p (at its nearest position).
  EXPECT_EQ(RunWendrixCli("draw", {"--pmin", "-10^4930", "--pmax", "10^4930", "--p", "1"}, Timeout).Status, 0);
  const TRun large = RunWendrixCli("draw", {"--p", "1e5000"}, Timeout);
  EXPECT_EQ(large.Status, 2);
  EXPECT_TRUE(large.Err.startsWith("wendrix-cli draw: --p is too large: \"1e5000\"\n")) << large.Err.toStdString();
  EXPECT_EQ(RunWendrixCli("draw", {"--p", "1e-5000"}, Timeout).Status, 0);

  // A constant curve in stereo is its point, where the shaded view puts it.
  ASSERT_EQ(RunWendrixCli("draw", {"--x", "1", "--y", "2", "--z", "3", "--stereo", "--png", Path("point")}, Timeout)
                .Status,
            0);
  const QImage stereo(Path("point/stereo.png"));
  ASSERT_FALSE(stereo.isNull());
  int lit = 0;
  for (int y = 0; y < stereo.height(); ++y)
    for (int x = 0; x < stereo.width(); ++x) lit += stereo.pixel(x, y) != qRgb(0, 0, 0);
  EXPECT_EQ(lit, 1);
  EXPECT_NE(stereo.pixel(200, 200), qRgb(0, 0, 0));
}

}  // namespace
