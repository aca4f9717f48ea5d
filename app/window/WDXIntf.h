// The main window of Wendrix: the three picture boxes, the input fields, the p and q
// scroll bars, the "Draw It" and "Stereo"/"Mono" buttons, the information memo and
// the menus. Its handlers read the input, run the drawing sequence, follow the mouse
// over the boxes and run the file commands.
#pragma once

#include <QFileDialog>
#include <QHash>
#include <QImage>
#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <optional>

#include "app/core/CurveInput.h"
#include "app/window/AnimationDialog.h"
#include "formula/Vector3.h"
#include "render/Pictures.h"
#include "views/MueveFigura.h"

class QAction;
class QLabel;
class QLineEdit;
class QPainter;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class QToolButton;
class TCursorBar;
class TFormAbout1;
class TPaintBox;

// The form's own state besides the shared state of the program.
struct TFormState {
  bool Ready = false;      // the fields were accepted by the last read
  bool Scrolling = false;  // the user is working a scroll bar
  TVector3 MaxwellNormal, MaxwellAux;  // the marker over MaxwellBox: plane normal, helper
  int CrossX = 0, CrossY = 0;          // the cross-hair in BitangBox
  bool MaxwellShown = false;           // the marker is on the screen
  bool CrossShown = false;             // the cross-hair is on the screen
};

class TWendrix : public QMainWindow {
 public:
  // The form with its components at their places; `commandLine` are the program's
  // arguments (without the program's name), read when the form is first shown.
  explicit TWendrix(QStringList commandLine = {}, QWidget* parent = nullptr);
  ~TWendrix() override;

  // Client size of the form below its menu bar.
  static constexpr int ClientWidth = 724, ClientHeight = 634;

  // Components, named as the handlers refer to them.
  TPaintBox *ConvexHullBox, *MaxwellBox, *BitangBox;
  QLineEdit *xEdit, *yEdit, *zEdit, *tMinEdit, *tMaxEdit, *pMinEdit, *pMaxEdit, *qMinEdit, *qMaxEdit;
  TCursorBar *pCursor, *qCursor;
  QLabel *pInfoPanel, *qInfoPanel;  // the panels pInfo and qInfo (qInfo is a Qt macro)
  QToolButton *pPlay, *qPlay;        // play buttons beside the scroll bars
  QPushButton *DrawIt, *Button1;
  QPlainTextEdit* Informacion;
  QAction *AboutWendrix1, *Abrir1, *Guardar1, *GuardarComo1, *ExportaImagenes1, *ExportaMalla1, *ExportaAnimacion1, *Terminar1;
  QAction *EditCut1, *EditCopy1, *EditPaste1;
  TFormAbout1* FormAbout1;

  // The file dialogs of "Open...", "Save As..." and the two exports: answer the chosen name, empty when
  // the user cancels. Replaceable, so that the commands can run without a user.
  std::function<QString()> ChooseOpenFile, ChooseSaveFile;
  // The dialog of "Export Animation...", replaceable in the same way.
  std::function<std::optional<TAnimationChoice>()> ChooseAnimation;

  const TFormState& State() const { return Form; }

  // The pictures of the last drawing, at the sizes of the three boxes; every drawing,
  // drag and repaint of the window uses these.
  TPictures Pictures;

  // What MaxwellBox and BitangBox show: the bitmap with the marker or cross-hair over it.
  QImage MaxwellPicture() const;
  QImage BitangPicture() const;

  // Handlers. Each may throw; the events that call them show the error.
  void Dibujarla();
  void Dibujala();
  void SituaCursores();
  void CambiaLimParam(QLineEdit* field);
  bool AjustaParametros(TCursorBar* bar);
  void MueveCursores(TCursorBar* bar);
  void AlMoverCursor();
  void VisibleDraw();
  void BorraConvexHull(QPainter& painter);
  void BorraMaxwell(QPainter& painter);
  void BorraBitang(QPainter& painter);
  void AlPisar(int x, int y);
  void AlMoverHull(int x, int y, const MueveFigura::TShiftState& keys);
  void AlMoverBitang(int x, int y);
  void MuestraAlambre();
  void Guardar();
  void GuardarComo();
  void ExportaImagenes();
  void ExportaMalla();
  // Play: a click on a play button starts sweeping its bar forth and back, one
  // position a step, each step drawn in the view on the screen; a second click, Esc,
  // touching a field or another bar, Draw It, loading a file or an error stops it.
  void AlReproducir(TCursorBar* bar);
  void Detener();
  void PasoDeJuego();
  TCursorBar* Playing() const { return PlayBar; }
  // The GIF of a sweep of p or q over its range in the current view, through the same
  // animation writer as wendrix-cli sweep; the figure on the screen is drawn again after.
  void ExportaAnimacion();
  void Abrir();
  void DelDisco(const QString& fileName);
  void Terminar();
  void ShowAbout();

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateComponents(QWidget* client);
  void CreateMenus();
  void CreatePlayers(QWidget* client);
  void ShowNewPictures();
  void AlCrear();
  void MostrarForma();
  CurveInput::TInputFields InputFields() const;
  void ShowInputFields(const CurveInput::TInputFields& fields);
  void ShowReadResult(const CurveInput::TReadResult& read);
  void SetCursorPositions(const CurveInput::TCursorPositions& positions);
  void RunDrawing();
  // The name chosen in a file-save dialog (ChooseSaveFile when set); empty when cancelled.
  QString AskSaveName(const QString& caption, const QString& filter, QString* selectedFilter = nullptr,
                      QFileDialog::Options options = {});

  TFormState Form;
  QStringList CommandLine;
  bool Shown = false;
  bool CrossRepaint = false;  // the next repaint of BitangBox is the one a move asked for
  QHash<QLineEdit*, QString> TextAtPress;  // a field's text when its pending key went down
  QTimer* PlayTimer = nullptr;
  TCursorBar* PlayBar = nullptr;  // the bar being played; none when play is stopped
  int PlayDirection = 1;
  TAnimationChoice LastAnimation;
};
