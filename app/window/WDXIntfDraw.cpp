// The main form: the draw command, the p and q scroll bars, the paint handlers of the
// three boxes and the mouse over them.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

#include "app/CadenasRecursos.h"
#include "app/Drawing.h"
#include "app/core/AppState.h"
#include "app/core/DragGate.h"
#include "app/window/CursorBar.h"
#include "app/window/ErrorHandler.h"
#include "app/window/StatusText.h"
#include "app/window/PaintBox.h"
#include "app/window/WaitCursor.h"
#include "app/window/WDXIntf.h"
#include "formula/Checks.h"
#include "formula/FunPars.h"
#include "geometry/Bitangents.h"
#include "geometry/Random.h"
#include "geometry/SharedState.h"
#include "render/Pictures.h"
#include "render/SmallPictures.h"

namespace {

// A copy of `bitmap` that can be drawn over with raster operations.
QImage Overlayable(const QImage& bitmap) { return bitmap.convertToFormat(QImage::Format_RGB32); }

}  // namespace

void TWendrix::Dibujarla() {
  StopDrawing();
  CurveInput::TInputFields fields = InputFields();
  const CurveInput::TReadResult read = CurveInput::LeeDatos(*Data, fields, Form.Ready);
  const bool changed = read.Outcome == CurveInput::TReadOutcome::Changed;
  if (changed) AppState.InputChanged();
  ShowInputFields(fields);  // the formulas come back trimmed
  ShowReadResult(read);
  if (changed) RunDrawing();
}

void TWendrix::ShowReadResult(const CurveInput::TReadResult& read) {
  Informacion->setPlainText(QString::fromStdString(read.Message));
  if (read.Beep) QApplication::beep();
  if (read.Outcome == CurveInput::TReadOutcome::Changed)
    Button1->setText(CadenasRecursos::StereoCaption);
  else if (read.Outcome == CurveInput::TReadOutcome::Unchanged)
    DrawIt->setText(QString());
}

namespace {

// What a drawing's view depends on besides p and q.
auto CurveKey(const Glob::TCurveInput& input) {
  return std::tuple(input.XFormula, input.YFormula, input.ZFormula, input.TMin, input.TMax);
}

}  // namespace

void TWendrix::RunDrawing() {
  // The button comes back with the new figure (or the one a cancel leaves).
  Button1->hide();
  Dibujala();
}

void TWendrix::Dibujala() {
  // The empty caption shows at once that the drawing is under way.
  DrawIt->setText(QString());
  DrawIt->repaint();
  // A move of p or q keeps the rotation, zoom and shift on the screen; a new curve
  // (or t interval) is framed anew.
  const bool keep =
      std::exchange(KeepViewNext, false) && DrawnInput && CurveKey(Data->Input) == CurveKey(*DrawnInput);
  StartDrawing(keep ? std::optional(View) : std::nullopt, std::exchange(NextAfterDrawing, {}));
}

void TWendrix::StartDrawing(const std::optional<TView>& view, std::function<void()> then) {
  // The drawing is made at the size the boxes have now, even within a resize.
  ResizeTimer->stop();
  const int hull = HullPixels(), small = SmallPixels();
  if (Spare.HullSize() != hull || Spare.SmallSize() != small) {
    TPictures fresh;
    std::string message;
    // A size memory refuses is said in the status line; the drawing keeps the old size.
    if (!CreatePictures(fresh, hull, small, message)) {
      StatusLine->setText(QString::fromStdString(message));
      if (!CreatePictures(fresh, Pictures.HullSize(), Pictures.SmallSize(), message)) throw WendrixError(message);
    }
    Spare = std::move(fresh);
  }
  Job = TDrawingJob();
  Job.KeepView = view.has_value();
  Job.View = view.value_or(View);
  Job.Then = std::move(then);
  // The marks over the pictures are projected through the view the worker now writes.
  Form.MaxwellShown = Form.CrossShown = Form.SegmentShown = false;
  for (QAction* action : {Guardar1, GuardarComo1, ExportaImagenes1, ExportaMalla1, ExportaAnimacion1})
    action->setEnabled(false);
  BusyCursor.emplace(Qt::BusyCursor);
  Job.Data = DataForWorker(*Data);
  Worker->Start(
      [this] {
        Job.Times = DrawForWindow(*Job.Data, Spare, Job.View, Job.KeepView);
        Job.Summary = DrawingSummary(*Job.Data, Job.Times);
      },
      [this] {
        QMetaObject::invokeMethod(this, [this] { ErrorHandler::Guarded([this] { DrawingEnded(true); }); },
                                  Qt::QueuedConnection);
      });
  ProgressTimer->start(ProgressDelayMs);
  if (DrawAndWait) {
    Worker->Wait();
    DrawingEnded(true);
  }
}

void TWendrix::RedrawForParameters() {
  Form.Ready = false;  // the next read takes every field as changed
  KeepViewNext = true;
  try {
    Dibujarla();
  } catch (...) {
    KeepViewNext = false;
    throw;
  }
  KeepViewNext = false;  // a refused read leaves it unused
}

int TWendrix::HullPixels() const { return static_cast<int>(std::lround(ConvexHullBox->width() * devicePixelRatioF())); }

int TWendrix::SmallPixels() const { return static_cast<int>(std::lround(MaxwellBox->width() * devicePixelRatioF())); }

void TWendrix::FitPictures(bool render) {
  if (DrawingRuns()) {
    PendingFit = true;
    return;
  }
  const int hull = HullPixels(), small = SmallPixels();
  if (hull == Pictures.HullSize() && small == Pictures.SmallSize()) return;
  TPictures fitted;
  std::string message;
  if (!CreatePictures(fitted, hull, small, message)) {
    StatusLine->setText(QString::fromStdString(message));
    return;
  }
  if (render) Drawing::RenderAgain(*Data, fitted, View, Gate.Stereo, AppState);
  Pictures = std::move(fitted);
  ConvexHullBox->PictureWidth = hull;
  MaxwellBox->PictureWidth = BitangBox->PictureWidth = small;
  // The marks over the pictures were placed in the old pixels.
  Form.MaxwellShown = Form.CrossShown = Form.SegmentShown = false;
  for (TPaintBox* box : {ConvexHullBox, MaxwellBox, BitangBox}) box->update();
}

void TWendrix::ShowNewPictures(const QString& summary) {
  Form.MaxwellShown = false;
  Form.CrossShown = false;
  Form.SegmentShown = false;
  DrawnInput = Data->Input;
  MarkerRandom = Random::TGenerator(MarkerSeed);
  for (TPaintBox* box : {ConvexHullBox, MaxwellBox, BitangBox}) box->update();
  DrawingLine = summary;
  StatusLine->setText(DrawingLine);
}

void TWendrix::AlMoverCursor() {
  Detener();
  Form.Scrolling = true;
}

bool TWendrix::AjustaParametros(TCursorBar* bar) {
  const bool isP = bar == pCursor;
  std::string text;
  if (!CurveInput::AjustaParametros(*Data, isP ? CurveInput::TParam::P : CurveInput::TParam::Q, bar->value(), text))
    return false;
  AppState.DrawnFlag = false;
  AppState.DataChanged = true;
  QLabel* panel = isP ? pInfoPanel : qInfoPanel;
  panel->setText(QString::fromStdString(text));
  panel->repaint();
  return true;
}

void TWendrix::MueveCursores(TCursorBar* bar) {
  if (DrawingRuns()) return DeferScroll(bar);
  const bool redraw = AjustaParametros(bar) && Form.Scrolling && Form.Ready;
  // Cleared before drawing, so that a drawing that fails leaves it cleared as well.
  Form.Scrolling = false;
  if (redraw) RedrawForParameters();
}

void TWendrix::SituaCursores() { SetCursorPositions(CurveInput::SituaCursores(Data->Input)); }

void TWendrix::SetCursorPositions(const CurveInput::TCursorPositions& positions) {
  // A new position raises MueveCursores, which takes the value over without drawing.
  pCursor->setValue(positions.P);
  qCursor->setValue(positions.Q);
}

void TWendrix::CambiaLimParam(QLineEdit* field) {
  if (DrawingRuns()) {
    if (!PendingRanges.contains(field)) PendingRanges << field;
    return;
  }
  const CurveInput::TRangeField which = field == pMinEdit   ? CurveInput::TRangeField::PMin
                                        : field == pMaxEdit ? CurveInput::TRangeField::PMax
                                        : field == qMinEdit ? CurveInput::TRangeField::QMin
                                                            : CurveInput::TRangeField::QMax;
  if (!CurveInput::CambiaLimParam(Data->Input, which, field->text().toStdString())) {
    QApplication::beep();
    return;
  }
  AppState.DataChanged = true;
  Form.Scrolling = false;
  SituaCursores();
  // A narrowed range may move p or q (the bar snaps to its new scale): the pictures
  // follow, so that they always show the values in the panels. A range that cannot be
  // read yet (0 to 0 on the way to 0.5) is refused in the memo, and the next key tries again.
  if (DrawnInput && (Data->Input.PValue != DrawnInput->PValue || Data->Input.QValue != DrawnInput->QValue))
    RedrawForParameters();
}

QImage TWendrix::MaxwellPicture() const {
  QImage picture = Overlayable(Pictures.MaxwellBitmap);
  if (Form.MaxwellShown) {
    QPainter painter(&picture);
    SmallPictures::DrawMaxwellMarker(painter, Pictures.SmallSize(), View, Form.MaxwellNormal, Form.MaxwellAux);
  }
  return picture;
}

QImage TWendrix::BitangPicture() const {
  QImage picture = Overlayable(Pictures.BitangBitmap);
  if (Form.CrossShown) {
    QPainter painter(&picture);
    // Not-xor in silver: visible on white and on the branches alike; the pixel where
    // the two lines cross is inverted twice and keeps its colour.
    painter.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    const int side = Pictures.SmallSize();
    painter.setPen(QPen(QColor(192, 192, 192), std::max(1L, std::lround(Pictures.SmallScale()))));
    painter.drawLine(0, Form.CrossY, side, Form.CrossY);
    painter.drawLine(Form.CrossX, 0, Form.CrossX, side);
  }
  return picture;
}

void TWendrix::BorraConvexHull(QPainter& painter) {
  painter.drawImage(0, 0, ConvexHullBox->OnScreen(AppState.StereoMode ? Pictures.StereoBitmap : Pictures.HullBitmap));
  // The chord is drawn in the box's own pixels, over the picture.
  const long double scale = ConvexHullBox->width() / static_cast<long double>(DefaultHullSize);
  if (Form.SegmentShown && !AppState.StereoMode) DrawPairChord(painter, View, Form.SegmentS, Form.SegmentT, scale);
}

void TWendrix::BorraMaxwell(QPainter& painter) { painter.drawImage(0, 0, MaxwellBox->OnScreen(MaxwellPicture())); }

void TWendrix::BorraBitang(QPainter& painter) {
  // Only the repaint that a mouse move asked for keeps the cross-hair; any other
  // (the box was covered, a new drawing) shows the bare square.
  if (!CrossRepaint) Form.CrossShown = false;
  CrossRepaint = false;
  painter.drawImage(0, 0, BitangBox->OnScreen(BitangPicture()));
}

void TWendrix::AlPisar(int x, int y) {
  if (!DrawingRuns()) DragGate::AlPisar(Gate, x, y);
}

void TWendrix::AlMoverHull(int x, int y, const MueveFigura::TShiftState& keys) {
  if (DrawingRuns()) return;
  // Once a drag has begun the view follows every move of the mouse.
  // The drag's 10 pixels are the screen's, whatever its density.
  if (!DragGate::AlMoverHull(Gate, AppState, *Data, Pictures, View, x, y, keys, true, ConvexHullBox->PictureScale()))
    return;
  ShowNewView();
}

void TWendrix::ShowNewView() {
  Form.MaxwellShown = false;
  ConvexHullBox->update();
  MaxwellBox->update();
}

void TWendrix::AlRodarHull(int x, int y, int steps) {
  if (!DrawingRuns() && DragGate::WheelZoom(Gate, AppState, *Data, Pictures, View, x, y, steps)) ShowNewView();
}

void TWendrix::RestauraVista() {
  if (!DrawingRuns() && DragGate::ResetView(Gate, AppState, *Data, Pictures, View)) ShowNewView();
}

void TWendrix::AlMoverBitang(int x, int y) {
  if (DrawingRuns() || !AppState.DrawnFlag) return;
  if (Form.MaxwellShown) {
    Form.MaxwellShown = false;
    MaxwellBox->update();
  }
  // s grows to the right, t upwards.
  BitangentRecord pair;
  const int side = Pictures.SmallSize();
  const Glob::TCurveInput& input = Data->Input;
  pair.ParamS = input.TMin + (input.TMax - input.TMin) * x / side;
  pair.ParamT = input.TMax + (input.TMin - input.TMax) * y / side;
  ClearFloatFlags();
  FunPars::EvalCurve(Data->Curve, pair.ParamS, pair.PointS);
  FunPars::EvalCurve(Data->Curve, pair.ParamT, pair.PointT);
  const bool plane = Bitangents::PairPlaneNormal(Data->Curve, Data->Figure.Param, {}, pair);
  CheckFloatFlags();
  if (plane) {
    // Any direction off the normal will do to span the marker's plane; drawn x, y, z.
    const long double ax = MarkerRandom.Next(20) + 2.1L;
    const long double ay = MarkerRandom.Next(20) + 2.1L;
    const long double az = MarkerRandom.Next(20) + 2.1L;
    Form.MaxwellAux = {ax, ay, az};
    Form.MaxwellNormal = pair.PlaneNormal;
    Form.MaxwellShown = true;
    MaxwellBox->update();
  }
  Form.CrossX = x;
  Form.CrossY = y;
  Form.CrossShown = true;
  CrossRepaint = true;
  BitangBox->update();
  Form.SegmentS = pair.PointS;
  Form.SegmentT = pair.PointT;
  Form.SegmentShown = true;
  ConvexHullBox->update();
  StatusLine->setText(
      PairSummary(*Data, pair.ParamS, pair.ParamT, x / Pictures.SmallScale(), y / Pictures.SmallScale()));
}

void TWendrix::AlSalirBitang() {
  if (DrawingRuns()) return;
  if (Form.SegmentShown) {
    Form.SegmentShown = false;
    ConvexHullBox->update();
  }
  StatusLine->setText(DrawingLine);
}

void TWendrix::MuestraAlambre() {
  if (DrawingRuns()) return;
  const bool stereo = ShownInStereo = DragGate::MuestraAlambre(Gate, AppState, *Data, Pictures, View);
  Button1->setText(stereo ? CadenasRecursos::MonoCaption : CadenasRecursos::StereoCaption);
  ConvexHullBox->update();
}
