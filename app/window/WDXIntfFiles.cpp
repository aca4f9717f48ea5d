// The main form: curve files, the command line and dropped files.
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTimer>

#include "app/core/AppState.h"
#include "app/core/CurveFile.h"
#include "app/core/MeshFiles.h"
#include "app/window/ErrorHandler.h"
#include "app/window/WDXIntf.h"
#include "formula/Checks.h"
#include "geometry/SharedState.h"

namespace {

const char* const CurveFilter = "Wendrix (*.wdx *.WDX)";

}  // namespace

QString TWendrix::AskSaveName(const QString& caption, const QString& filter, QString* selectedFilter,
                              QFileDialog::Options options) {
  if (ChooseSaveFile) return ChooseSaveFile();
  return QFileDialog::getSaveFileName(this, caption, QString(), filter, selectedFilter, options);
}

void TWendrix::Guardar() {
  if (DrawingRuns() || !AppState.DrawnFlag || !AppState.DataChanged) return;
  if (AppState.CurveFileName.empty())
    GuardarComo();
  else
    CurveFile::SaveCurve(Data->Input, AppState.CurveFileName);
}

void TWendrix::GuardarComo() {
  if (DrawingRuns() || !AppState.DrawnFlag) return;
  // The dialog does not ask before replacing a file: the name may still get ".wdx".
  const QString chosen = AskSaveName(QString(), CurveFilter, nullptr, QFileDialog::DontConfirmOverwrite);
  if (chosen.isEmpty()) return;
  const std::vector<std::string> lines = CurveFile::BuildSaveList(Data->Input);
  AppState.CurveFileName = CurveFile::SaveAsName(chosen.toStdString());
  // The title names the file that Save writes to from now on, even when this write fails.
  setWindowTitle(QFileInfo(QString::fromStdString(AppState.CurveFileName)).fileName());
  CurveFile::WriteLines(AppState.CurveFileName, lines);
  AppState.DataChanged = false;
  RememberFile(QString::fromStdString(AppState.CurveFileName));
}

void TWendrix::ExportaImagenes() {
  if (DrawingRuns() || !AppState.DrawnFlag) return;
  const QString chosen = AskSaveName("Export Pictures", "PNG pictures (*.png)");
  if (chosen.isEmpty()) return;
  std::string message;
  MeshFiles::ExportPictures(AppState, Pictures, chosen.toStdString(), message);
  Informacion->setPlainText(QString::fromStdString(message));
}

void TWendrix::ExportaMalla() {
  if (DrawingRuns() || !AppState.DrawnFlag) return;
  const QString obj = "Wavefront OBJ (*.obj)", stl = "Binary STL (*.stl)";
  QString filter = obj;
  QString chosen = AskSaveName("Export Hull Mesh", obj + ";;" + stl, &filter);
  if (chosen.isEmpty()) return;
  // A name without a mesh extension takes the one of the chosen file type.
  if (MeshFiles::MeshFormatOf(chosen.toStdString()) == MeshFiles::TMeshFormat::None)
    chosen += filter == stl ? ".stl" : ".obj";
  std::string message;
  MeshFiles::ExportHullMesh(AppState, *Data, chosen.toStdString(), message);
  Informacion->setPlainText(QString::fromStdString(message));
}

void TWendrix::Abrir() {
  if (!MayDiscard()) return;
  const QString chosen =
      ChooseOpenFile ? ChooseOpenFile() : QFileDialog::getOpenFileName(this, QString(), QString(), CurveFilter);
  if (!chosen.isEmpty()) DelDisco(chosen);
}

void TWendrix::DelDisco(const QString& fileName) {
  Detener();
  StopDrawing();
  CurveInput::TInputFields fields = InputFields();
  const CurveFile::TLoadResult load = CurveFile::DelDisco(*Data, fileName.toStdString(), fields, Form.Ready, AppState);
  // A file that cannot be read as a curve changes nothing at all.
  if (load.FileError) throw WendrixError(load.Message);
  ShowInputFields(fields);
  if (load.Read.Outcome != CurveInput::TReadOutcome::Refused) {
    pInfoPanel->setText(QString::fromStdString(load.PPanel));
    qInfoPanel->setText(QString::fromStdString(load.QPanel));
    SetCursorPositions(load.Cursors);
  }
  setWindowTitle(QFileInfo(fileName).fileName());
  RememberFile(fileName);
  ShowReadResult(load.Read);
  if (load.Read.Outcome == CurveInput::TReadOutcome::Changed) RunDrawing();
  // The curve on the screen is the file's.
  AppState.DataChanged = false;
}

void TWendrix::MostrarForma() {
  setAcceptDrops(true);
  if (CommandLine.isEmpty()) return;
  // A path with spaces may arrive split into several arguments.
  const QString name = CommandLine.join(' ');
  const QFileInfo file(name);
  if (file.exists() && CurveFile::HasCurveExtension(name.toStdString())) DelDisco(name);
  Informacion->setPlainText(name);
}

void TWendrix::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TWendrix::dropEvent(QDropEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  const QString name = urls.isEmpty() ? QString() : urls.first().toLocalFile();
  event->acceptProposedAction();
  if (name.isEmpty()) return;
  // The drop is finished first; the load (and any message it shows) follows from the
  // event loop, so that the program the file came from is not kept waiting.
  QTimer::singleShot(0, this, [this, name] { ErrorHandler::Guarded([this, name] { AbrirArchivo(name); }); });
}

bool TWendrix::MayDiscard() {
  if (!AppState.DataChanged) return true;
  if (ConfirmDiscard) return ConfirmDiscard();
  QMessageBox question(QMessageBox::Question, tr("Wendrix"), tr("The curve has changes that are not saved."),
                       QMessageBox::NoButton, this);
  question.setInformativeText(tr("Discard them?"));
  QPushButton* discard = question.addButton(tr("&Discard"), QMessageBox::DestructiveRole);
  question.addButton(QMessageBox::Cancel);
  question.setDefaultButton(QMessageBox::Cancel);
  question.exec();
  return question.clickedButton() == discard;
}

void TWendrix::AbrirArchivo(const QString& fileName) {
  if (MayDiscard()) DelDisco(fileName);
}

QStringList TWendrix::RecentFiles() {
  QStringList files;
  // Whatever a damaged settings file holds, only names of existing files are listed.
  for (const QString& name : QSettings().value("RecentFiles").toStringList())
    if (files.size() < RecentMax && !files.contains(name) && QFileInfo(name).isFile()) files << name;
  return files;
}

void TWendrix::RememberFile(const QString& fileName) {
  QStringList files = RecentFiles();
  const QString name = QFileInfo(fileName).absoluteFilePath();
  files.removeAll(name);
  files.prepend(name);
  QSettings().setValue("RecentFiles", files.mid(0, RecentMax));
}

void TWendrix::CreateFileLists(QMenu* file, QAction* before) {
  const QString program = QCoreApplication::applicationDirPath();
  ExampleFolders = QStringList{program + "/examples", program + "/../share/wendrix/examples"};
  Recientes1 = new QMenu(tr("Open Recent"), file);
  Ejemplos1 = new QMenu(tr("Examples"), file);
  file->insertMenu(before, Recientes1);
  file->insertMenu(before, Ejemplos1);
  const auto fill = [this](QMenu* menu, const QStringList& files, bool fullNames) {
    menu->clear();
    for (const QString& name : files) {
      const QString shown = fullNames ? name : QFileInfo(name).completeBaseName();
      QAction* entry = menu->addAction(QString("&%1 %2").arg(menu->actions().size() + 1).arg(shown), this,
                                       [this, name] { ErrorHandler::Guarded([this, name] { AbrirArchivo(name); }); });
      entry->setStatusTip(name);
    }
    if (files.isEmpty()) menu->addAction(tr("(none)"))->setEnabled(false);
  };
  connect(Recientes1, &QMenu::aboutToShow, this, [this, fill] { fill(Recientes1, RecentFiles(), true); });
  connect(Ejemplos1, &QMenu::aboutToShow, this, [this, fill] {
    // The first folder that holds curves is the one in use.
    QStringList files;
    for (const QString& folder : ExampleFolders) {
      const QDir dir(folder);
      for (const QString& name : dir.entryList({"*.wdx", "*.WDX"}, QDir::Files, QDir::Name))
        files << dir.absoluteFilePath(name);
      if (!files.isEmpty()) break;
    }
    fill(Ejemplos1, files, false);
  });
}
