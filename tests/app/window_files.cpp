// Curve files through the window: saving, loading with DelDisco, the Open and Save As
// commands, a file named on the command line and files dropped on the window.
#include <sys/stat.h>

#include <QDropEvent>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QUrl>

#include "app/core/AppState.h"
#include "app/window/CursorBar.h"
#include "render/Pictures.h"
#include "tests/app/window_support.h"

using namespace WindowTest;

namespace {

QStringList ReadLines(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  QStringList lines = QString::fromUtf8(file.readAll()).split("\r\n");
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  return lines;
}

void WriteText(const QString& path, const QByteArray& text) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(text);
}

class Files : public WindowFixture {
 protected:
  QString Path(const QString& name) const { return Folder.filePath(name); }

  // Save As to `name`, the dialog answering it.
  void SaveAs(const QString& name) {
    Form->ChooseSaveFile = [name] { return name; };
    Form->GuardarComo1->trigger();
  }
  void Open(const QString& name) {
    Form->ChooseOpenFile = [name] { return name; };
    Form->Abrir1->trigger();
  }
  void Drop(const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    const QPointF at(300, 300);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Form.get(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Form.get(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    QApplication::processEvents();  // the load follows the drop
  }
};

TEST_F(Files, SaveAndSaveAsDoNothingBeforeTheFirstDraw) {
  int asked = 0;
  Form->ChooseSaveFile = [&] {
    ++asked;
    return QString(Path("never.wdx"));
  };
  Form->Guardar1->trigger();
  Form->GuardarComo1->trigger();
  EXPECT_EQ(asked, 0);
  EXPECT_FALSE(QFile::exists(Path("never.wdx")));
  EXPECT_TRUE(Form->AppState.CurveFileName.empty());
}

TEST_F(Files, TheExportsFollowTheDrawnFigure) {
  QMenu* file = Form->ExportaMalla1->associatedObjects().isEmpty()
                    ? nullptr
                    : qobject_cast<QMenu*>(Form->ExportaMalla1->associatedObjects().first());
  ASSERT_NE(file, nullptr);
  int asked = 0;
  Form->ChooseSaveFile = [&] {
    ++asked;
    return QString(Path("figure"));
  };
  emit file->aboutToShow();
  EXPECT_FALSE(Form->ExportaImagenes1->isEnabled());
  EXPECT_FALSE(Form->ExportaMalla1->isEnabled());
  Form->ExportaImagenes1->trigger();
  Form->ExportaMalla1->trigger();
  EXPECT_EQ(asked, 0);

  PressDrawIt();
  emit file->aboutToShow();
  ASSERT_TRUE(Form->ExportaMalla1->isEnabled());
  Form->ExportaMalla1->trigger();  // no extension: the default file type, OBJ
  Form->ExportaImagenes1->trigger();
  EXPECT_EQ(asked, 2);
  EXPECT_TRUE(QFile::exists(Path("figure.obj")));
  for (const char* picture : {"figure-hull.png", "figure-square.png", "figure-normals.png"})
    EXPECT_EQ(QImage(Path(picture)).isNull(), false) << picture;
  EXPECT_FALSE(Form->Informacion->toPlainText().isEmpty());
}

TEST_F(Files, SaveAsWritesTheAcceptedCurveAndSaveFollowsLaterChanges) {
  PressDrawIt();
  ASSERT_TRUE(Form->AppState.DrawnFlag);
  SaveAs(Path("curve"));
  EXPECT_EQ(Form->AppState.CurveFileName, Path("curve.wdx").toStdString());
  EXPECT_FALSE(Form->AppState.DataChanged);
  EXPECT_EQ(ReadLines(Path("curve.wdx")),
            QStringList({"cos(2t)(p+sen(3t))", "sen(2t)(p+sen(3t))", "cos(3t+q)", "0", "6.28318530717959", "0", "5",
                         "0", "3.14159265358979", "0", "0"}));
  EXPECT_EQ(Form->windowTitle(), "curve.wdx");  // the file that Save now writes

  // Nothing changed since: "Save" does not write.
  QFile::remove(Path("curve.wdx"));
  Form->Guardar1->trigger();
  EXPECT_FALSE(QFile::exists(Path("curve.wdx")));
  // A new p is a change: "Save" writes it to the same file without asking.
  Form->ChooseSaveFile = [] { return QString(); };
  Form->pCursor->setSliderPosition(190);
  Form->Guardar1->trigger();
  EXPECT_EQ(ReadLines(Path("curve.wdx")).value(9), "2.5");
}

TEST_F(Files, ACancelledSaveAsChangesNothing) {
  PressDrawIt();
  SaveAs(QString());
  EXPECT_TRUE(Form->AppState.CurveFileName.empty());
  EXPECT_TRUE(Form->AppState.DataChanged);
}

TEST_F(Files, ASavedCurveLoadsBackWithItsOwnRangesAndParameters) {
  // p = 7.5 in 0 .. 10, q = pi/2 in 0 .. pi: outside the start-up range of p.
  Type(Form->pMaxEdit, "10");
  PressDrawIt();
  Form->pCursor->setSliderPosition(285);
  Form->qCursor->setSliderPosition(190);
  ASSERT_EQ(Form->pInfoPanel->text(), "7.500");
  SaveAs(Path("wide.wdx"));

  // A fresh window with the start-up ranges (p in 0 .. 5).
  Form.reset();
  Form = std::make_unique<TWendrix>();
  Form->DrawAndWait = true;
  Form->show();

  Open(Path("wide.wdx"));
  EXPECT_EQ(Form->pMaxEdit->text(), "10");
  EXPECT_EQ(Form->pInfoPanel->text(), "7.500");
  EXPECT_EQ(Form->qInfoPanel->text(), "1.571");
  EXPECT_EQ(Form->pCursor->value(), 285);
  EXPECT_EQ(Form->qCursor->value(), 190);
  EXPECT_EQ(Form->Data->Input.PValue, 7.5L);
  EXPECT_TRUE(Form->AppState.DrawnFlag);
  EXPECT_TRUE(Form->Button1->isVisible());
  EXPECT_FALSE(Form->AppState.DataChanged);
  EXPECT_EQ(Form->AppState.CurveFileName, Path("wide.wdx").toStdString());
  EXPECT_EQ(Form->windowTitle(), "wide.wdx");
  EXPECT_EQ(Form->tMaxEdit->text(), "6.28318530717959");

  // Loading it again finds nothing new: no redraw, but the name is taken again.
  Form->Pictures.HullBitmap.fill(Qt::red);
  Form->setWindowTitle("other");
  Form->DelDisco(Path("wide.wdx"));
  EXPECT_EQ(Form->Pictures.HullBitmap.pixelColor(0, 0), QColor(Qt::red));
  EXPECT_EQ(Form->windowTitle(), "wide.wdx");
  EXPECT_EQ(Form->DrawIt->text(), "");
}

TEST_F(Files, AFileThatIsNoCurveLeavesTheInputAndThePicture) {
  PressDrawIt();
  const QImage drawn = Form->Pictures.HullBitmap;
  WriteText(Path("short.wdx"), "t\r\nt\r\nt\r\n0\r\n1\r\n");
  WriteText(Path("badp.wdx"), "t\nt\nt\n0\n1\n0\n5\n0\n1\nabc\n0\n");
  WriteText(Path("outside.wdx"), "t\nt\nt\n0\n1\n0\n5\n0\n1\n9\n0\n");
  ASSERT_EQ(::mkfifo(Path("waiting.wdx").toLocal8Bit().constData(), 0644), 0);
  for (const char* name : {"short.wdx", "badp.wdx", "outside.wdx", "missing.wdx", "waiting.wdx"}) {
    Open(Path(name));
    const QStringList messages = Boxes.Take();
    ASSERT_EQ(messages.size(), 1) << name;
    EXPECT_TRUE(messages[0].contains(name)) << messages[0].toStdString();
    EXPECT_EQ(Form->xEdit->text(), "cos(2t)(p+sen(3t))");
    EXPECT_EQ(Form->windowTitle(), "");
    EXPECT_TRUE(Form->AppState.DrawnFlag);
    EXPECT_EQ(Form->Pictures.HullBitmap, drawn);
    EXPECT_TRUE(Form->AppState.CurveFileName.empty());
  }
  Drop({QUrl::fromLocalFile(Path("waiting.wdx"))});
  EXPECT_EQ(Boxes.Take(), QStringList("Cannot load \"" + Path("waiting.wdx") + "\": it is a FIFO, not a curve file."));
  EXPECT_EQ(Form->Pictures.HullBitmap, drawn);
}

TEST_F(Files, BadFormulasInAFileAreReportedLikeTypedOnes) {
  WriteText(Path("typo.wdx"), "cos(t\nsin(t)\n0\n0\n6\n0\n5\n0\n3\n0\n0\n");
  Open(Path("typo.wdx"));
  EXPECT_EQ(Form->xEdit->text(), "cos(t");
  EXPECT_FALSE(Form->Informacion->toPlainText().isEmpty());
  EXPECT_FALSE(Form->AppState.DrawnFlag);
  EXPECT_EQ(Form->windowTitle(), "typo.wdx");
}

TEST_F(Files, DroppedFilesLoadTheFirstWhateverItsExtension) {
  WriteText(Path("first.dat"), "cos(t)\nsin(t)\ncos(3t)\n0\n2 pi\n0\n5\n0\n3\n2.5\n0\n");
  WriteText(Path("second.wdx"), "t\nt\nt\n0\n1\n0\n5\n0\n1\n0\n0\n");
  Drop({QUrl::fromLocalFile(Path("first.dat")), QUrl::fromLocalFile(Path("second.wdx"))});
  EXPECT_EQ(Form->xEdit->text(), "cos(t)");
  EXPECT_EQ(Form->pInfoPanel->text(), "2.500");
  EXPECT_EQ(Form->windowTitle(), "first.dat");
  EXPECT_TRUE(Form->AppState.DrawnFlag);
  // A drop of something that is no local file is taken and ignored.
  Drop({QUrl("https://example.invalid/curve.wdx")});
  EXPECT_EQ(Form->windowTitle(), "first.dat");
}

// A curve file named on the command line, in a folder whose name has a space, so that
// the name arrives split into two arguments.
class CommandLineFile : public Files {
 protected:
  QStringList CommandLine() const override {
    static QTemporaryDir folder;
    const QString dir = folder.filePath("my curves");
    QDir().mkpath(dir);
    LoadedName = dir + "/Knot.WDX";
    WriteText(LoadedName, "cos(t)\nsin(t)\n0.5cos(2t)\n0\n2 pi\n0\n5\n0\n3\n1\n0\n");
    return LoadedName.split(' ');
  }
  mutable QString LoadedName;
};

TEST_F(CommandLineFile, IsLoadedWhenTheWindowIsShownAndNamedInTheMemo) {
  EXPECT_EQ(Form->zEdit->text(), "0.5cos(2t)");
  EXPECT_TRUE(Form->AppState.DrawnFlag);
  EXPECT_EQ(Form->windowTitle(), "Knot.WDX");
  EXPECT_EQ(Form->Informacion->toPlainText(), LoadedName);
  EXPECT_TRUE(Form->acceptDrops());
}

class CommandLineOtherFile : public Files {
 protected:
  QStringList CommandLine() const override {
    static QTemporaryDir folder;
    const QString name = folder.filePath("notes.txt");
    WriteText(name, "cos(t)\nsin(t)\n0\n0\n1\n0\n5\n0\n3\n1\n0\n");
    return {name};
  }
};

TEST_F(CommandLineOtherFile, IsOnlyNamed) {
  EXPECT_EQ(Form->xEdit->text(), "cos(2t)(p+sen(3t))");
  EXPECT_FALSE(Form->AppState.DrawnFlag);
  EXPECT_EQ(Form->windowTitle(), "");
  EXPECT_TRUE(Form->Informacion->toPlainText().endsWith("notes.txt"));
}

}  // namespace
