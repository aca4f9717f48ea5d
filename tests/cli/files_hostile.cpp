// wendrix-cli with hostile targets, names and streams: the answer, and what was there survives.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <tuple>

#include "tests/cli/cli_run.h"

namespace {

constexpr int Timeout = 120000;

class FilesHostile : public ::testing::Test {
 protected:
  QString Path(const QString& name) const { return Folder.filePath(name); }
  QByteArray Contents(const QString& name) const {
    QFile file(Path(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  void Put(const QString& name, const QByteArray& bytes) const {
    QFile file(Path(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
  }
  mode_t Type(const QString& name) const {
    struct stat info {};
    return ::lstat(Path(name).toLocal8Bit().constData(), &info) == 0 ? info.st_mode & S_IFMT : 0;
  }
  // The exit status of wendrix-cli run by /bin/sh with its standard output set up by `redirect`.
  static int Shell(const QString& arguments, const QString& redirect) {
    return RunWendrixCli("-c", {QString("\"%1\" %2 %3 2>/dev/null").arg(WENDRIX_CLI, arguments, redirect)}, Timeout,
                         "/bin/sh").Status;
  }
  QTemporaryDir Folder;
};

TEST_F(FilesHostile, OnlyRegularFilesAreWrittenLinksAreFollowedAndRewritesKeepModeOwnerAndLinks) {
  ASSERT_EQ(::mkfifo(Path("fifo.obj").toLocal8Bit().constData(), 0644), 0);
  ASSERT_TRUE(QDir(Folder.path()).mkdir("folder.stl"));
  for (const auto& [option, name, kind, type] :
       {std::tuple{"--obj", "fifo.obj", "a FIFO", S_IFIFO}, {"--stl", "folder.stl", "a folder", S_IFDIR}}) {
    const TRun run = RunWendrixCli("draw", {option, Path(name)}, Timeout);
    EXPECT_EQ(run.Status, 3);
    EXPECT_EQ(run.Err, "Cannot write \"" + Path(name) + "\": it is " + kind + ", not a regular file\n");
    EXPECT_EQ(Type(name), type) << name;
  }

  // Through a link to a file of mode 640 (another user's, when root can arrange it) with a
  // second hard link: all of it stays, and both names show the new contents.
  Put("figure.json", "old");
  const QByteArray figure = Path("figure.json").toLocal8Bit();
  ASSERT_EQ(::symlink("figure.json", Path("link.json").toLocal8Bit().constData()), 0);
  ASSERT_EQ(::link(figure.constData(), Path("second.json").toLocal8Bit().constData()), 0);
  ASSERT_EQ(::chmod(figure.constData(), 0640), 0);
  const uid_t owner = ::geteuid() == 0 && ::chown(figure.constData(), 65534, 65534) == 0 ? 65534 : ::geteuid();
  ASSERT_EQ(RunWendrixCli("draw", {"--json", Path("link.json")}, Timeout).Status, 0);
  struct stat info {};
  ASSERT_EQ(::stat(figure.constData(), &info), 0);
  EXPECT_EQ(Type("link.json"), S_IFLNK);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(info.st_nlink, 2u);
  EXPECT_EQ(info.st_uid, owner);
  EXPECT_TRUE(Contents("second.json").startsWith("{\"input\""));
  // The longest name a folder entry may have.
  EXPECT_EQ(RunWendrixCli("draw", {"--json", Path(QString(250, 'a') + ".json")}, Timeout).Status, 0);
  EXPECT_EQ(QDir(Folder.path()).entryList(QDir::Hidden | QDir::Files).filter(".wendrix-"), QStringList());
}

TEST_F(FilesHostile, PicturesAreWrittenAllOrNothingAndEmptyNamesAreUsageErrors) {
  ASSERT_TRUE(QDir(Folder.path()).mkpath("pictures/normals.png"));  // a folder where a picture goes
  Put("pictures/hull.png", "old hull");
  EXPECT_EQ(RunWendrixCli("draw", {"--png", Path("pictures")}, Timeout).Status, 3);
  EXPECT_EQ(Contents("pictures/hull.png"), "old hull");
  EXPECT_EQ(QDir(Path("pictures")).entryList(QDir::Hidden | QDir::Files), QStringList{"hull.png"});

  for (const QStringList& arguments : {QStringList{""}, {"--png", ""}, {"--json", ""}, {"--obj", ""}, {"--stl", ""}})
    EXPECT_EQ(RunWendrixCli("draw", arguments, Timeout).Status, 2) << arguments.join(' ').toStdString();
  EXPECT_EQ(QDir(Folder.path()).entryList(QDir::Files), QStringList());
}

TEST_F(FilesHostile, StandardOutputThatCannotBeWrittenFailsTheCommand) {
  for (const char* redirect : {"> /dev/full", ">&-"}) {
    EXPECT_EQ(Shell("eval '2 pi'", redirect), 3) << redirect;
    EXPECT_EQ(Shell("--help", redirect), 3) << redirect;
  }
  // Closed, it is not taken by the first file the command opens.
  EXPECT_EQ(Shell("draw --json \"" + Path("closed.json") + "\"", ">&-"), 3);
  EXPECT_TRUE(Contents("closed.json").startsWith("{\"input\""));
  EXPECT_EQ(Shell("eval '2 pi'", "> /dev/null"), 0);
}

TEST_F(FilesHostile, CurveFilesAreReadFromRegularFilesOnlyWithOrWithoutAMark) {
  ASSERT_EQ(::mkfifo(Path("waiting.wdx").toLocal8Bit().constData(), 0644), 0);
  const TRun fifo = RunWendrixCli("draw", {Path("waiting.wdx")}, 10000);
  EXPECT_EQ(fifo.Status, 1);  // -1 when it waits for a writer
  EXPECT_EQ(fifo.Err, "Cannot load \"" + Path("waiting.wdx") + "\": it is a FIFO, not a curve file.\n");

  Put("marked.wdx", "\xEF\xBB\xBFt\r\nsin(t)\r\ncos(2t)\r\n0\r\n6.28\r\n0\r\n5\r\n0\r\n3.14\r\n2.5\r\n0\r\n");
  EXPECT_EQ(RunWendrixCli("draw", {Path("marked.wdx")}, Timeout).Out.left(6), "Drawn:");
}

TEST_F(FilesHostile, NumbersAtTheEdgesOfTheExtendedRangeAndTheStereoPoint) {
  // A p range wider than the largest real still places p.
  EXPECT_EQ(RunWendrixCli("draw", {"--pmin", "-10^4930", "--pmax", "10^4930", "--p", "1"}, Timeout).Status, 0);
  EXPECT_TRUE(RunWendrixCli("draw", {"--p", "1e5000"}, Timeout).Err.startsWith("wendrix-cli draw: --p is too large"));

  // A constant curve in stereo is its point, where the shaded view puts it.
  ASSERT_EQ(RunWendrixCli("draw", {"-x", "1", "-y", "2", "-z", "3", "--stereo", "--png", Path("p")}, Timeout).Status, 0);
  EXPECT_EQ(QImage(Path("p/stereo.png")).pixel(200, 200), qRgb(255, 176, 176));  // red, teal merged over it
}

}  // namespace
