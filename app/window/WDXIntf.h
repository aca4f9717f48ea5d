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
#include <memory>
#include <optional>
#include <tuple>

#include "app/Drawing.h"
#include "app/core/AppState.h"
#include "app/core/CurveInput.h"
#include "app/core/DrawingWorker.h"
#include "app/core/DragGate.h"
#include "app/window/AnimationDialog.h"
#include "app/window/WaitCursor.h"
#include "formula/Vector3.h"
#include "geometry/Random.h"
#include "render/Pictures.h"
#include "views/MueveFigura.h"

class QAction;
class QDialog;
class QLabel;
class QLineEdit;
class QMenu;
class QPainter;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTimer;
class QToolButton;
class TCursorBar;
class TFormAbout1;
class TPaintBox;

// A drawing on the worker: what it was asked for and, once it ended, what it made.
struct TDrawingJob {
  // The worker's own data: the accepted input, then the figure drawn from it; taken
  // over by the window when the drawing completes, dropped after a cancel or an error.
  std::unique_ptr<Drawing::TDrawingData> Data;
  TView View;             // the view drawn in: the screen's when kept, else framed anew
  bool KeepView = false;  // View is the screen's, kept for the new figure
  std::function<void()> Then;  // run once the new pictures are shown
  bool UserCancelled = false;  // Esc, rather than a newer p or q
  Drawing::TStageTimes Times;  // written by the worker
  QString Summary;             // the status line, written by the worker
};

// The form's own state besides the drawing data.
struct TFormState {
  bool Ready = false;      // the fields were accepted by the last read
  bool Scrolling = false;  // the user is working a scroll bar
  TVector3 MaxwellNormal, MaxwellAux;  // the marker over MaxwellBox: plane normal, helper
  int CrossX = 0, CrossY = 0;          // the cross-hair in BitangBox
  bool MaxwellShown = false;           // the marker is on the screen
  bool CrossShown = false;             // the cross-hair is on the screen
  TVector3 SegmentS, SegmentT;         // the chord of the pair under the pointer in BitangBox
  bool SegmentShown = false;           // that chord is drawn over the main view
};

class TWendrix : public QMainWindow {
  Q_OBJECT

 public:
  // The form with its components at their places; `commandLine` are the program's
  // arguments (without the program's name), read when the form is first shown.
  explicit TWendrix(QStringList commandLine = {}, QWidget* parent = nullptr);
  ~TWendrix() override;

  // Least (and first) client size of the form below its menu bar.
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
  QAction *RestauraVista1, *LeerDibujos1;
  QMenu *Recientes1, *Ejemplos1;
  QLabel* StatusLine;  // the line in the status bar: the last drawing, or the pair under the pointer
  QProgressBar* Progress;  // beside it while a drawing takes longer than ProgressDelayMs
  TFormAbout1* FormAbout1;

  // Asked before Open, Exit or a dropped file discard changes not saved: answers
  // whether to go on. Replaceable, so that the commands can run without a user.
  std::function<bool()> ConfirmDiscard;
  // The folders searched for the example curves of File > Examples, in this order; the
  // first that holds curve files is listed. By default examples/ beside the program
  // (where the build puts them) and the installed ../share/wendrix/examples.
  QStringList ExampleFolders;
  // The seed of the marker's directions, taken anew at every drawing (none: the clock);
  // fixed, the pictures that use them repeat exactly.
  std::optional<std::uint32_t> MarkerSeed;

  // The file dialogs of "Open...", "Save As..." and the two exports: answer the chosen name, empty when
  // the user cancels. Replaceable, so that the commands can run without a user.
  std::function<QString()> ChooseOpenFile, ChooseSaveFile;
  // The dialog of "Export Animation...", replaceable in the same way.
  std::function<std::optional<TAnimationChoice>()> ChooseAnimation;

  const TFormState& State() const { return Form; }

  // Drawings run on a worker thread while the window goes on answering: the busy
  // cursor at once, the progress bar past ProgressDelayMs, Esc or a new Draw It cancel.
  // While one runs the window touches no state of the drawing: the mouse over the
  // pictures, Stereo and the file commands that need the figure do nothing; moves of
  // the scroll bars and edits of the range fields are taken over when it ends.
  static constexpr int ProgressDelayMs = 300;
  bool DrawingRuns() const { return Worker->Busy(); }
  // Esc: the drawing stops at its next poll; the figure on the screen stays in force.
  void CancelDrawing();
  // Each command waits for the drawing it starts before it returns: for scripted
  // runs (the window's tests) that act step by step and look at each result.
  bool DrawAndWait = false;

  // The input accepted last and the figure on the screen: its curve, samples, curve
  // points and analysis. Every read, drag and export of the window uses it; a drawing
  // on the worker fills data of its own, which replaces it when the drawing completes.
  std::unique_ptr<Drawing::TDrawingData> Data = std::make_unique<Drawing::TDrawingData>();
  // The pictures of the last drawing, at the sizes of the three boxes in device pixels;
  // every drawing, drag and repaint of the window uses these.
  TPictures Pictures;
  // The view the figure on the screen is drawn in, and the mouse's state over it.
  TView View;
  DragGate::TGate Gate;
  // Whether a figure is drawn and how it is shown, and the curve file's name and state.
  TAppState AppState;

  // The pictures made the size of their boxes, if they are not: with `render`, the
  // figure on the screen is painted again at the new size in the current view;
  // without, they are blank (a drawing follows). A resize of the form asks for it once
  // the resizing paused. A size memory refuses keeps the old pictures and says why in
  // the status line.
  void FitPictures(bool render = true);

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
  // The pointer left BitangBox: the pair's chord goes, the status line shows the drawing.
  void AlSalirBitang();
  // Wheel notches over the main view: zoom about the pointer.
  void AlRodarHull(int x, int y, int steps);
  // View > Reset View and a double click in the main view: the framing of a new drawing.
  void RestauraVista();
  // Help > Reading the Pictures.
  void LeerDibujos();
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
  // Open Recent, Examples and a dropped file: DelDisco once ConfirmDiscard agrees.
  void AbrirArchivo(const QString& fileName);
  // The recent files that still exist, newest first, at most RecentMax.
  static QStringList RecentFiles();
  static constexpr int RecentMax = 8;
  void Terminar();
  void ShowAbout();

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateComponents(QWidget* client);
  void CreateMenus();
  void CreatePlayers(QWidget* client);
  void CreateFileLists(QMenu* file, QAction* before);
  void CreateExplanations();
  void CreateLayout(QWidget* client);
  // The tooltip of MaxwellBox, which lets mouse events through: true when `event` was it.
  bool ExplainTransparentBox(QEvent* event);
  QDialog* MakeReadingPictures();
  // The pictures of a drawing of Data's input to the screen, and its line `summary` in the
  // status bar; that input becomes DrawnInput.
  void ShowNewPictures(const QString& summary);
  // The pictures' sides for the boxes as they are now, in device pixels.
  int HullPixels() const;
  int SmallPixels() const;
  // Starts the drawing of the accepted input on the worker, into data of its own, in
  // `view` when set; `then` runs after its pictures are shown.
  void StartDrawing(const std::optional<TView>& view, std::function<void()> then);
  // The worker's outcome on the screen: new pictures, the figure put back after a
  // cancel, or the error's message box; with `resume`, then what waited for it.
  void DrawingEnded(bool resume);
  // Cancels a running drawing and waits for it: a newer command replaces it.
  void StopDrawing();
  // The figure put back after a cancelled drawing, with the panels and bars of its p and q.
  void RestoreFigure(bool bars);
  // A scroll bar moved during a drawing: its panel follows, the value waits.
  void DeferScroll(TCursorBar* bar);
  void ResumeAfterDrawing();
  void StartPlay(TCursorBar* bar);
  // True when there are no unsaved changes or ConfirmDiscard (or the user) lets them go.
  bool MayDiscard();
  void ShowNewView();  // the main view and the normals after the view state changed
  // Puts `fileName` (made absolute) first in the recent files, keeping RecentMax.
  static void RememberFile(const QString& fileName);
  // The redraw after p or q moved: in the view on the screen when the curve is the one drawn.
  void RedrawForParameters();
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
  std::unique_ptr<TDrawingWorker> Worker;
  TDrawingJob Job;
  TPictures Spare;          // the pictures the worker draws into, swapped in when it ends
  // The input the figure on the screen was drawn from, in force again after a cancel;
  // none before the first drawing and after one that failed. A move of p or q keeps
  // the view when the rest of it is unchanged.
  std::optional<Glob::TCurveInput> DrawnInput;
  std::optional<TWaitCursor> BusyCursor;
  QTimer* ProgressTimer = nullptr;
  double LastDrawingMs = 0;  // of the last completed drawing
  bool ShownInStereo = false;  // the main view shows the stereo wire-frame
  QList<TCursorBar*> PendingBars;  // moved during the drawing, taken over after it
  bool PendingScrolling = false;   // one of those moves was the user's
  QList<QLineEdit*> PendingRanges;  // range fields edited during the drawing
  bool PendingFit = false;          // the boxes were resized during the drawing
  std::function<void()> NextAfterDrawing;  // `then` of the drawing Dibujala starts
  QString DrawingLine;      // the status line of the last drawing
  bool KeepViewNext = false;  // the next drawing keeps the view (a move of p or q)
  Random::TGenerator MarkerRandom;     // the marker's helper directions
  QStringList CommandLine;
  bool Shown = false;
  bool CrossRepaint = false;  // the next repaint of BitangBox is the one a move asked for
  QHash<QLineEdit*, QString> TextAtPress;  // a field's text when its pending key went down
  QTimer* PlayTimer = nullptr;
  QTimer* ResizeTimer = nullptr;  // runs from a resize of the boxes until FitPictures
  TCursorBar* PlayBar = nullptr;  // the bar being played; none when play is stopped
  int PlayDirection = 1;
  TAnimationChoice LastAnimation;
  QDialog* ReadingPictures = nullptr;  // Help > Reading the Pictures, made when first asked for
};
