// The main form: the end of a drawing that ran on the worker, cancelling one, and what
// waited for it.
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>

#include "app/CadenasRecursos.h"
#include "app/core/AppState.h"
#include "app/window/CursorBar.h"
#include "app/window/ErrorHandler.h"
#include "app/window/PaintBox.h"
#include "app/window/WDXIntf.h"
#include "geometry/SharedState.h"

void TWendrix::CancelDrawing() {
  if (!DrawingRuns()) return;
  Job.UserCancelled = true;
  PendingBars.clear();
  Worker->Cancel();
}

void TWendrix::StopDrawing() {
  while (DrawingRuns()) {
    Worker->Cancel();
    Worker->Wait();
    DrawingEnded(false);
  }
  PendingBars.clear();
}

void TWendrix::DeferScroll(TCursorBar* bar) {
  // The ranges are the window's alone: the drawing never reads them.
  const bool isP = bar == pCursor;
  const Glob::TCurveInput& input = Data->Input;
  const long double value = isP ? CurveInput::CursorValue(bar->value(), input.PMin, input.PMax)
                                : CurveInput::CursorValue(bar->value(), input.QMin, input.QMax);
  (isP ? pInfoPanel : qInfoPanel)->setText(QString::fromStdString(CurveInput::PanelText(value)));
  if (!PendingBars.contains(bar)) PendingBars << bar;
  PendingScrolling = PendingScrolling || Form.Scrolling;
  Form.Scrolling = false;
  // A long drawing gives way to the newest value at once; a short one is shown first,
  // so that a steady drag still shows pictures on its way.
  if (!Progress->isHidden() || LastDrawingMs > ProgressDelayMs) Worker->Cancel();
}

void TWendrix::DrawingEnded(bool resume) {
  const std::optional<TDrawingWorker::TOutcome> outcome = Worker->Take();
  if (!outcome) return;
  // Dropped at the end unless the drawing completed.
  std::unique_ptr<Drawing::TDrawingData> drawn = std::move(Job.Data);
  ProgressTimer->stop();
  Progress->hide();
  BusyCursor.reset();
  Guardar1->setEnabled(true);
  GuardarComo1->setEnabled(true);
  if (outcome->Error) {
    // As a failed command: the message box, the stereo button hidden, play stopped.
    DrawnInput.reset();
    Detener();
    pCursor->StopRepeating();
    qCursor->StopRepeating();
    StatusLine->setText(DrawingLine);
    ErrorHandler::Report(outcome->Error);
  } else if (outcome->Cancelled) {
    RestoreFigure(Job.UserCancelled);
    if (Job.UserCancelled) StatusLine->setText(tr("Drawing cancelled"));
  } else {
    Data = std::move(drawn);
    std::swap(Pictures, Spare);
    View = Job.View;
    ConvexHullBox->PictureWidth = Pictures.HullSize();
    MaxwellBox->PictureWidth = BitangBox->PictureWidth = Pictures.SmallSize();
    AppState.DrawnFlag = true;
    LastDrawingMs = Job.Times.Total;
    ShownInStereo = false;
    Button1->show();
    ShowNewPictures(Job.Summary);
    if (Job.Then) Job.Then();
  }
  if (resume) ResumeAfterDrawing();
}

void TWendrix::RestoreFigure(bool bars) {
  AppState.DrawnFlag = DrawnInput.has_value();
  // The read that started the drawing left its input in Data: the figure's own comes back.
  if (DrawnInput) CurveInput::ReinstateInput(*Data, *DrawnInput);
  if (!DrawnInput) {
    // Nothing was drawn before: the next Draw It reads every field anew.
    Form.Ready = false;
    StatusLine->setText(DrawingLine);
    VisibleDraw();
    return;
  }
  AppState.StereoMode = ShownInStereo;
  Button1->setText(ShownInStereo ? CadenasRecursos::MonoCaption : CadenasRecursos::StereoCaption);
  Button1->show();
  StatusLine->setText(DrawingLine);
  // The fields keep what was typed; Draw It draws it.
  VisibleDraw();
  if (!bars) return;
  // The bars and panels show the p and q of the figure again, taken over unchanged.
  const QSignalBlocker blockP(pCursor), blockQ(qCursor);
  SituaCursores();
  pInfoPanel->setText(QString::fromStdString(CurveInput::PanelText(Data->Input.PValue)));
  qInfoPanel->setText(QString::fromStdString(CurveInput::PanelText(Data->Input.QValue)));
}

void TWendrix::ResumeAfterDrawing() {
  for (QLineEdit* field : std::exchange(PendingRanges, {})) CambiaLimParam(field);
  const bool scrolling = std::exchange(PendingScrolling, false);
  for (TCursorBar* bar : std::exchange(PendingBars, {})) {
    Form.Scrolling = scrolling;
    MueveCursores(bar);
  }
  if (std::exchange(PendingFit, false)) FitPictures();
}
