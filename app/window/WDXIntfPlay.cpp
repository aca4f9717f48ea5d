// The main form: playing p or q across its range, and exporting such a sweep as a GIF.
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <chrono>

#include "app/Drawing.h"
#include "app/core/AppState.h"
#include "app/core/GifWriter.h"
#include "app/core/Sweep.h"
#include "app/window/CursorBar.h"
#include "app/window/ErrorHandler.h"
#include "app/window/PaintBox.h"
#include "app/window/StatusText.h"
#include "app/window/WDXIntf.h"
#include "app/window/WaitCursor.h"
#include "geometry/SharedState.h"
#include "render/Pictures.h"

namespace {

// At most 30 steps a second; slower when the drawing takes longer.
constexpr int MinStepMs = 34;

// A right-pointing triangle (play) or a square (stop), 7 pixels high.
QIcon PlayIcon(bool playing) {
  QPixmap pixmap(8, 8);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setPen(Qt::NoPen);
  painter.setBrush(Qt::black);
  if (playing)
    painter.drawRect(1, 1, 6, 6);
  else
    painter.drawPolygon(QPolygon({QPoint(1, 0), QPoint(7, 4), QPoint(1, 8)}));
  return QIcon(pixmap);
}

}  // namespace

void TWendrix::CreatePlayers(QWidget* client) {
  PlayTimer = new QTimer(this);
  PlayTimer->setSingleShot(true);
  connect(PlayTimer, &QTimer::timeout, this, [this] { ErrorHandler::Guarded([this] { PasoDeJuego(); }); });
  // In the gap between each bar's maximum field and the parameter square.
  for (auto [button, bar, name] : {std::tuple{&pPlay, pCursor, "pPlay"}, std::tuple{&qPlay, qCursor, "qPlay"}}) {
    auto* play = new QToolButton(client);
    play->setObjectName(name);
    play->setGeometry(407, bar->y(), 10, bar->height());
    play->setIcon(PlayIcon(false));
    play->setIconSize(QSize(8, 8));
    play->setAutoRaise(true);
    play->setFocusPolicy(Qt::NoFocus);
    play->setToolTip(bar == pCursor ? "Play p across its range" : "Play q across its range");
    // A copy of the binding, which a lambda may capture in every compiler.
    TCursorBar* const cursor = bar;
    connect(play, &QToolButton::clicked, this,
            [this, cursor] { ErrorHandler::Guarded([this, cursor] { AlReproducir(cursor); }); });
    *button = play;
  }
}

void TWendrix::AlReproducir(TCursorBar* bar) {
  const bool again = PlayBar == bar;
  Detener();
  if (again) return;
  StopDrawing();
  // Play starts from a figure on the screen, in the mono view; without one, the fields
  // are read and drawn as a scroll bar move would, and play starts once it is drawn.
  if (AppState.DrawnFlag) return StartPlay(bar);
  Form.Ready = false;
  NextAfterDrawing = [this, bar] { StartPlay(bar); };
  Dibujarla();
  NextAfterDrawing = nullptr;  // a refused read draws nothing
}

void TWendrix::StartPlay(TCursorBar* bar) {
  if (AppState.StereoMode) MuestraAlambre();
  PlayBar = bar;
  PlayDirection = bar->value() >= bar->maximum() ? -1 : 1;
  (bar == pCursor ? pPlay : qPlay)->setIcon(PlayIcon(true));
  PlayTimer->start(0);
}

void TWendrix::Detener() {
  if (!PlayBar) return;
  PlayTimer->stop();
  (PlayBar == pCursor ? pPlay : qPlay)->setIcon(PlayIcon(false));
  PlayBar = nullptr;
}

void TWendrix::PasoDeJuego() {
  if (!PlayBar || DrawingRuns()) return;
  const auto start = std::chrono::steady_clock::now();
  int position = PlayBar->value() + PlayDirection;
  if (position < PlayBar->minimum() || position > PlayBar->maximum()) {
    PlayDirection = -PlayDirection;
    position = PlayBar->value() + PlayDirection;
  }
  // The new position takes the value over (MueveCursores) without drawing; the drawing
  // here keeps the rotation, zoom and shift on the screen.
  PlayBar->setValue(position);
  // The next step waits for this one's pictures; a failed drawing stops play.
  StartDrawing(View, [this, start] {
    const auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    if (PlayBar) PlayTimer->start(std::max(0, MinStepMs - static_cast<int>(spent.count())));
  });
}

void TWendrix::ExportaAnimacion() {
  if (DrawingRuns() || !AppState.DrawnFlag) return;
  Detener();
  const std::optional<TAnimationChoice> choice = ChooseAnimation ? ChooseAnimation() : AskAnimation(this, LastAnimation);
  if (!choice) return;
  LastAnimation = *choice;
  const QString chosen = AskSaveName("Export Animation", "GIF animation (*.gif)");
  if (chosen.isEmpty()) return;

  const bool isP = choice->Param == CurveInput::TParam::P;
  Glob::TCurveInput& input = Data->Input;
  const Sweep::TRange range = isP ? Sweep::TRange{input.PMin, input.PMax, choice->Frames}
                                  : Sweep::TRange{input.QMin, input.QMax, choice->Frames};
  const long double p = input.PValue, q = input.QValue;
  const std::vector<Sweep::TValue> values =
      Sweep::SweepValues(isP ? std::optional(range) : std::nullopt, isP ? std::nullopt : std::optional(range), p, q);
  const TView view = View;
  // The frames are drawn here, in the modal progress dialog, not on the worker.
  const QImage first = Sweep::Frame(Pictures, choice->WithSquare);
  GifWriter::TGifAnimation gif(first.width(), first.height(), Sweep::FrameDelayCs);
  QProgressDialog progress("Drawing the frames of the animation...", "Cancel", 0, choice->Frames, this);
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(500);
  int failed = 0, done = 0;
  Drawing::TStageTimes times;
  {
    const TWaitCursor wait;
    for (; done < choice->Frames && !progress.wasCanceled(); ++done) {
      progress.setValue(done);
      TView shown;
      failed += !Sweep::DrawValue(*Data, Pictures, values[done], view, shown).Drawn;
      gif.AddFrame(Sweep::Frame(Pictures, choice->WithSquare));
    }
    progress.setValue(choice->Frames);
    // Back to the figure that was on the screen.
    input.PValue = p;
    input.QValue = q;
    View = view;
    times = DrawForWindow(*Data, Pictures, View, true);
  }
  ShowNewPictures(DrawingSummary(*Data, times));
  if (done < choice->Frames) {
    Informacion->setPlainText("Export Animation cancelled; nothing was written.");
    return;
  }
  gif.Save(chosen.toStdString());
  Informacion->setPlainText(failed == 0 ? QString()
                                        : QString("%1 of %2 frames could not be drawn and are blank.")
                                              .arg(failed)
                                              .arg(choice->Frames));
}
