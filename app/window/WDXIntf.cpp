// The main form: its components, menus, keyboard and the start-up handlers.
#include "app/window/WDXIntf.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <new>

#include "app/CadenasRecursos.h"
#include "app/core/AppState.h"
#include "app/window/CursorBar.h"
#include "app/window/ErrorHandler.h"
#include "app/window/Fonts.h"
#include "app/window/FormAbout.h"
#include "app/window/FormLayout.h"
#include "app/window/PaintBox.h"
#include "geometry/SharedState.h"

namespace {

QLineEdit* MakeEdit(QWidget* parent, const QRect& place) {
  auto* edit = new QLineEdit(parent);
  edit->setGeometry(place);
  edit->setFont(Fonts::Serif(12));
  // Files dropped on a field belong to the form, as everywhere else on it.
  edit->setAcceptDrops(false);
  return edit;
}

TCursorBar* MakeCursor(QWidget* parent, int left, int top) {
  auto* bar = new TCursorBar(Qt::Horizontal, parent);
  bar->setGeometry(left, top, 290, 13);
  bar->setRange(0, CurveInput::CursorMax);
  bar->setSingleStep(1);
  bar->setPageStep(5);
  bar->setFocusPolicy(Qt::StrongFocus);
  return bar;
}

QLabel* MakePanel(QWidget* parent, const QRect& place) {
  auto* panel = new QLabel("0", parent);
  panel->setGeometry(place);
  panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  panel->setAlignment(Qt::AlignCenter);
  panel->setFont(Fonts::Panel(12));
  return panel;
}

void MakeLabel(QWidget* parent, const char* text, const QRect& place, Qt::Alignment alignment) {
  auto* label = new QLabel(text, parent);
  label->setGeometry(place);
  label->setAlignment(alignment | Qt::AlignVCenter);
}

QPushButton* MakeButton(QWidget* parent, const char* caption, const QRect& place) {
  auto* button = new QPushButton(caption, parent);
  button->setGeometry(place);
  return button;
}

// Each input field and the text it holds in TInputFields.
using CurveInput::TInputFields;
const std::pair<QLineEdit* TWendrix::*, std::string TInputFields::*> FieldLinks[] = {
    {&TWendrix::xEdit, &TInputFields::X},       {&TWendrix::yEdit, &TInputFields::Y},
    {&TWendrix::zEdit, &TInputFields::Z},       {&TWendrix::tMinEdit, &TInputFields::TMin},
    {&TWendrix::tMaxEdit, &TInputFields::TMax}, {&TWendrix::pMinEdit, &TInputFields::PMin},
    {&TWendrix::pMaxEdit, &TInputFields::PMax}, {&TWendrix::qMinEdit, &TInputFields::QMin},
    {&TWendrix::qMaxEdit, &TInputFields::QMax}};

// A menu command or event handler that shows its own errors.
template <class Body>
auto Command(Body body) {
  return [body] { ErrorHandler::Guarded(body); };
}

}  // namespace

TWendrix::TWendrix(QStringList commandLine, QWidget* parent)
    : QMainWindow(parent), Worker(std::make_unique<TDrawingWorker>()), CommandLine(std::move(commandLine)) {
  if (!CreatePictures(Pictures)) throw std::bad_alloc();
  setObjectName("Wendrix");
  setWindowTitle(QString());
  setFont(Fonts::Sans(13, true));
  auto* client = new QWidget(this);
  setCentralWidget(client);
  CreateComponents(client);
  CreatePlayers(client);
  CreateLayout(client);
  CreateMenus();
  CreateExplanations();
  resize(sizeHint());
  move(251, 23);
  // Where the window was last time; a missing or unreadable setting keeps the default.
  restoreGeometry(QSettings().value("WindowGeometry").toByteArray());
  FormAbout1 = new TFormAbout1(this);
  AlCrear();
}

// The worker ends first: a drawing still running stops at its next poll.
TWendrix::~TWendrix() { Worker.reset(); }

void TWendrix::CreateComponents(QWidget* client) {
  ConvexHullBox = new TPaintBox(client, 7, 8, 400, 400);
  ConvexHullBox->setCursor(Qt::PointingHandCursor);
  ConvexHullBox->OnPaint = [this](QPainter& p) { BorraConvexHull(p); };
  ConvexHullBox->OnMouseDown = [this](int x, int y) { AlPisar(x, y); };
  ConvexHullBox->OnMouseMove = [this](int x, int y, const MueveFigura::TShiftState& keys) { AlMoverHull(x, y, keys); };
  ConvexHullBox->OnWheel = [this](int x, int y, int steps) { AlRodarHull(x, y, steps); };
  ConvexHullBox->OnDoubleClick = [this] { RestauraVista(); };

  MaxwellBox = new TPaintBox(client, 414, 7, 300, 300);
  MaxwellBox->OnPaint = [this](QPainter& p) { BorraMaxwell(p); };
  MaxwellBox->setEnabled(false);
  MaxwellBox->setAttribute(Qt::WA_TransparentForMouseEvents);

  BitangBox = new TPaintBox(client, 417, 319, 300, 300);
  BitangBox->OnPaint = [this](QPainter& p) { BorraBitang(p); };
  BitangBox->OnMouseMove = [this](int x, int y, const MueveFigura::TShiftState&) { AlMoverBitang(x, y); };
  BitangBox->OnMouseLeave = [this] { AlSalirBitang(); };
  ConvexHullBox->PictureWidth = Pictures.HullSize();
  MaxwellBox->PictureWidth = BitangBox->PictureWidth = Pictures.SmallSize();

  xEdit = MakeEdit(client, {30, 411, 375, 23});
  yEdit = MakeEdit(client, {30, 432, 375, 23});
  zEdit = MakeEdit(client, {30, 453, 375, 23});
  tMinEdit = MakeEdit(client, {31, 479, 40, 23});
  tMaxEdit = MakeEdit(client, {101, 480, 40, 23});
  pMinEdit = MakeEdit(client, {52, 513, 30, 23});
  pMaxEdit = MakeEdit(client, {377, 510, 30, 23});
  qMinEdit = MakeEdit(client, {52, 536, 30, 23});
  qMaxEdit = MakeEdit(client, {376, 535, 30, 23});
  ShowInputFields(CurveInput::DefaultFields());
  for (const auto& link : FieldLinks) (this->*link.first)->installEventFilter(this);

  pCursor = MakeCursor(client, 84, 514);
  qCursor = MakeCursor(client, 84, 539);
  for (TCursorBar* bar : {pCursor, qCursor}) {
    connect(bar, &QScrollBar::actionTriggered, this, Command([this] { AlMoverCursor(); }));
    connect(bar, &QScrollBar::valueChanged, this, Command([this, bar] {
              try {
                MueveCursores(bar);
              } catch (...) {
                bar->StopRepeating();
                throw;
              }
            }));
  }
  pInfoPanel = MakePanel(client, {18, 511, 30, 20});
  qInfoPanel = MakePanel(client, {19, 536, 30, 20});

  DrawIt = MakeButton(client, CadenasRecursos::DrawItCaption, {332, 479, 75, 30});
  DrawIt->setFont(Fonts::Sans(16, true));
  DrawIt->setDefault(true);
  connect(DrawIt, &QPushButton::clicked, this, Command([this] {
            Detener();
            Dibujarla();
          }));
  Button1 = MakeButton(client, CadenasRecursos::StereoCaption, {192, 482, 75, 25});
  connect(Button1, &QPushButton::clicked, this, Command([this] {
            Detener();
            MuestraAlambre();
          }));

  Informacion = new QPlainTextEdit(client);
  Informacion->setGeometry(5, 580, 400, 36);
  Informacion->setReadOnly(true);
  Informacion->setFont(Fonts::Serif(11));
  Informacion->setAcceptDrops(false);
  QPalette palette = Informacion->palette();
  palette.setColor(QPalette::Base, palette.color(QPalette::Window));
  Informacion->setPalette(palette);

  MakeLabel(client, "x(t)=", {0, 411, 29, 23}, Qt::AlignRight);
  MakeLabel(client, "y(t)=", {0, 432, 29, 23}, Qt::AlignRight);
  MakeLabel(client, "z(t)=", {0, 453, 29, 23}, Qt::AlignRight);
  MakeLabel(client, "< t <", {71, 479, 30, 23}, Qt::AlignHCenter);
  MakeLabel(client, "p=", {0, 511, 17, 20}, Qt::AlignRight);
  MakeLabel(client, "q=", {0, 536, 18, 20}, Qt::AlignRight);
  MakeLabel(client, "Information", {5, 562, 120, 17}, Qt::AlignLeft);

  const std::pair<QObject*, const char*> names[] = {
      {ConvexHullBox, "ConvexHullBox"}, {MaxwellBox, "MaxwellBox"}, {BitangBox, "BitangBox"}, {xEdit, "xEdit"},
      {yEdit, "yEdit"}, {zEdit, "zEdit"}, {tMinEdit, "tMinEdit"}, {tMaxEdit, "tMaxEdit"}, {pMinEdit, "pMinEdit"},
      {pMaxEdit, "pMaxEdit"}, {qMinEdit, "qMinEdit"}, {qMaxEdit, "qMaxEdit"}, {pCursor, "pCursor"},
      {qCursor, "qCursor"}, {pInfoPanel, "pInfo"}, {qInfoPanel, "qInfo"}, {DrawIt, "DrawIt"},
      {Button1, "Button1"}, {Informacion, "Informacion"}};
  for (const auto& [component, name] : names) component->setObjectName(name);

  // Tab order: the formulas, the scroll bars (q before p), "Draw It", the t interval,
  // the p and q limits, then the stereo button and the memo.
  QWidget* const order[] = {xEdit,   yEdit,   zEdit,    qCursor,  pCursor, DrawIt,  tMinEdit,
                            tMaxEdit, pMinEdit, qMinEdit, pMaxEdit, qMaxEdit, Button1, Informacion};
  for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
}

void TWendrix::CreateLayout(QWidget* client) {
  auto* layout = new TFormLayout(client, {ClientWidth, ClientHeight});
  layout->SetPictureBoxes(ConvexHullBox, MaxwellBox, BitangBox);
  const QWidget* const stretched[] = {xEdit, yEdit, zEdit, pCursor, qCursor, Informacion};
  const QWidget* const right[] = {pMaxEdit, qMaxEdit, DrawIt, pPlay, qPlay};
  for (QWidget* w : client->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (w == ConvexHullBox || w == MaxwellBox || w == BitangBox) continue;
    const auto anchor = std::ranges::count(stretched, w) ? TFormLayout::TAnchor::Stretch
                        : std::ranges::count(right, w)   ? TFormLayout::TAnchor::Right
                                                         : TFormLayout::TAnchor::Left;
    layout->AddBelow(w, anchor);
  }
  // A drag of the form's edge resizes the boxes many times; the pictures follow once it pauses.
  ResizeTimer = new QTimer(this);
  ResizeTimer->setSingleShot(true);
  ResizeTimer->setInterval(80);
  connect(ResizeTimer, &QTimer::timeout, this, Command([this] { FitPictures(); }));
  ConvexHullBox->OnResize = [this] { ResizeTimer->start(); };
}

void TWendrix::CreateMenus() {
  QMenu* file = menuBar()->addMenu("&File");
  AboutWendrix1 = file->addAction("About Wendrix...", this, Command([this] { ShowAbout(); }));
  file->addSeparator();
  Abrir1 = file->addAction(tr("Open..."), this, Command([this] { Abrir(); }));
  Abrir1->setShortcut(QKeySequence(tr("Ctrl+O")));
  Guardar1 = file->addAction(tr("Save"), this, Command([this] { Guardar(); }));
  Guardar1->setShortcut(QKeySequence(tr("Ctrl+S")));
  GuardarComo1 = file->addAction(tr("Save As..."), this, Command([this] { GuardarComo(); }));
  GuardarComo1->setShortcut(QKeySequence(tr("Ctrl+Shift+S")));
  CreateFileLists(file, Guardar1);
  file->addSeparator();
  ExportaImagenes1 = file->addAction("Export Pictures...", this, Command([this] { ExportaImagenes(); }));
  ExportaMalla1 = file->addAction("Export Hull Mesh...", this, Command([this] { ExportaMalla(); }));
  ExportaAnimacion1 = file->addAction("Export Animation...", this, Command([this] { ExportaAnimacion(); }));
  // The exports need a drawn figure; the flag changes in many places, so the entries
  // follow it whenever the menu opens.
  connect(file, &QMenu::aboutToShow, this, [this] {
    const bool drawn = !DrawingRuns() && AppState.DrawnFlag;
    ExportaImagenes1->setEnabled(drawn);
    ExportaMalla1->setEnabled(drawn);
    ExportaAnimacion1->setEnabled(drawn);
  });
  file->addSeparator();
  Terminar1 = file->addAction(tr("Exit"), this, Command([this] { Terminar(); }));
  Terminar1->setShortcut(QKeySequence(tr("Ctrl+Q")));

  // The standard edit actions work on whichever field has the focus.
  const auto onFocused = [](auto act) {
    return [act] {
      QWidget* focused = QApplication::focusWidget();
      if (auto* edit = qobject_cast<QLineEdit*>(focused))
        act(edit);
      else if (auto* text = qobject_cast<QPlainTextEdit*>(focused))
        act(text);
    };
  };
  QMenu* edit = menuBar()->addMenu("&Edit");
  const auto addEdit = [this, edit](const char* caption, QKeySequence keys, const char* hint, auto act) {
    QAction* action = edit->addAction(caption, this, act);
    action->setShortcut(keys);
    action->setToolTip(hint);
    action->setStatusTip(hint);
    return action;
  };
  EditCut1 = addEdit("Cu&t", QKeySequence::Cut, "Cut", onFocused([](auto* field) { field->cut(); }));
  EditCopy1 = addEdit("&Copy", QKeySequence::Copy, "Copy", onFocused([](auto* field) { field->copy(); }));
  EditPaste1 = addEdit("&Paste", QKeySequence::Paste, "Paste", onFocused([](auto* field) { field->paste(); }));

  QMenu* view = menuBar()->addMenu(tr("&View"));
  RestauraVista1 = view->addAction(tr("Reset View"), this, Command([this] { RestauraVista(); }));
  RestauraVista1->setStatusTip(tr("Back to the view a new drawing starts with (also a double click on the view)"));
  QMenu* help = menuBar()->addMenu(tr("&Help"));
  LeerDibujos1 = help->addAction(tr("Reading the Pictures..."), this, Command([this] { LeerDibujos(); }));
  LeerDibujos1->setShortcut(QKeySequence(tr("F1")));

  // The status bar holds one line of its own; the actions' status tips would hide it.
  StatusLine = new QLabel(this);
  StatusLine->setObjectName("StatusLine");
  StatusLine->setFont(Fonts::Sans(12));
  // A long line is cut at the window's edge rather than widening the window.
  StatusLine->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  statusBar()->addWidget(StatusLine, 1);
  statusBar()->setSizeGripEnabled(false);
  // A busy bar: how much of a drawing is left cannot be told in advance.
  Progress = new QProgressBar(this);
  Progress->setObjectName("Progress");
  Progress->setRange(0, 0);
  Progress->setMaximumSize(120, 14);
  Progress->hide();
  statusBar()->addPermanentWidget(Progress);
  ProgressTimer = new QTimer(this);
  ProgressTimer->setSingleShot(true);
  connect(ProgressTimer, &QTimer::timeout, this, [this] {
    if (!DrawingRuns()) return;
    Progress->show();
    StatusLine->setText(tr("Drawing... (Esc cancels)"));
  });
}

void TWendrix::AlCrear() {
  Form.Ready = false;
  Form.Scrolling = false;
  Button1->hide();
}

void TWendrix::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (Shown || event->spontaneous()) return;
  Shown = true;
  // The command-line file is loaded once the window is on the screen, so that a message
  // about the file (or about its drawing) appears over the window, not before it.
  QTimer::singleShot(0, this, [this] { ErrorHandler::Guarded([this] { MostrarForma(); }); });
}

void TWendrix::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && (PlayBar || DrawingRuns())) {
    Detener();
    CancelDrawing();
    return;
  }
  // Enter presses the button that has the focus, anywhere else the default button.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    auto* focused = qobject_cast<QPushButton*>(QApplication::focusWidget());
    (focused && focused->window() == this ? focused : DrawIt)->click();
    return;
  }
  QMainWindow::keyPressEvent(event);
}

bool TWendrix::eventFilter(QObject* watched, QEvent* event) {
  if (watched == centralWidget() && ExplainTransparentBox(event)) return true;
  auto* field = qobject_cast<QLineEdit*>(watched);
  if (!field) return QMainWindow::eventFilter(watched, event);
  // Touching a field stops play.
  if (event->type() == QEvent::KeyPress || event->type() == QEvent::MouseButtonPress) Detener();
  // A key counts as an edit only when the field's text differs at its release from the
  // text at the press: the release of Enter after a drawing, of a key that closed a
  // message box, of Tab, of the arrows or of Ctrl+A changes nothing and does nothing.
  if (event->type() == QEvent::KeyPress && !TextAtPress.contains(field)) {
    TextAtPress.insert(field, field->text());
  } else if (event->type() == QEvent::FocusOut) {
    TextAtPress.remove(field);
  } else if (event->type() == QEvent::KeyRelease && !static_cast<QKeyEvent*>(event)->isAutoRepeat() &&
             TextAtPress.contains(field)) {
    const bool edited = TextAtPress.take(field) != field->text();
    if (edited && (field == xEdit || field == yEdit || field == zEdit || field == tMinEdit || field == tMaxEdit))
      VisibleDraw();
    else if (edited)
      ErrorHandler::Guarded([this, field] { CambiaLimParam(field); });
  }
  return QMainWindow::eventFilter(watched, event);
}

void TWendrix::VisibleDraw() { DrawIt->setText(CadenasRecursos::DrawItCaption); }

void TWendrix::Terminar() { close(); }

void TWendrix::closeEvent(QCloseEvent* event) {
  if (!MayDiscard()) return event->ignore();
  StopDrawing();
  QSettings().setValue("WindowGeometry", saveGeometry());
  FormAbout1->close();
  QMainWindow::closeEvent(event);
}

void TWendrix::ShowAbout() { FormAbout1->ShowNonModal(); }

CurveInput::TInputFields TWendrix::InputFields() const {
  CurveInput::TInputFields fields;
  for (const auto& [edit, text] : FieldLinks) fields.*text = (this->*edit)->text().toStdString();
  return fields;
}

void TWendrix::ShowInputFields(const CurveInput::TInputFields& fields) {
  for (const auto& [edit, text] : FieldLinks) {
    const QString value = QString::fromStdString(fields.*text);
    // Rewriting an equal text would only lose the field's cursor and undo history.
    if ((this->*edit)->text() == value) continue;
    (this->*edit)->setText(value);
    // A loaded number such as 6.28318530717959 is wider than its field: show its start.
    (this->*edit)->setCursorPosition(0);
  }
}
