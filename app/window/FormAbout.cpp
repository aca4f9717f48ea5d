#include "app/window/FormAbout.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "app/window/Fonts.h"

namespace {

// A closed space curve seen slightly from above, over the shaded outline of its
// convex hull: the picture of the About box.
class TAboutPicture : public QWidget {
 public:
  using QWidget::QWidget;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), QColor(255, 255, 255));
    const QPolygonF curve = Curve();
    painter.setPen(QPen(QColor(150, 110, 60), 1));
    painter.setBrush(QColor(240, 205, 150));
    painter.drawPolygon(Hull(curve));
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(20, 40, 120), 1.5));
    painter.drawPolygon(curve);
  }

 private:
  // The curve (cos 2t (2 + sin 3t), sin 2t (2 + sin 3t), cos 3t) seen from above,
  // tipped a little towards the viewer, and scaled into the picture.
  QPolygonF Curve() const {
    QPolygonF points;
    const double tilt = 0.45, cx = width() / 2.0, cy = height() / 2.0, scale = std::min(cx, cy) / 3.4;
    for (int i = 0; i < 240; ++i) {
      const double t = 2 * std::numbers::pi * i / 240, r = 2 + std::sin(3 * t);
      const double x = std::cos(2 * t) * r, y = std::sin(2 * t) * r, z = std::cos(3 * t);
      points << QPointF(cx + scale * x, cy - scale * (y * std::cos(tilt) + z * std::sin(tilt)));
    }
    return points;
  }

  // The convex outline of `points` (monotone chain), counter-clockwise.
  static QPolygonF Hull(QPolygonF points) {
    std::sort(points.begin(), points.end(),
              [](const QPointF& a, const QPointF& b) { return a.x() < b.x() || (a.x() == b.x() && a.y() < b.y()); });
    const auto turn = [](const QPointF& o, const QPointF& a, const QPointF& b) {
      return (a.x() - o.x()) * (b.y() - o.y()) - (a.y() - o.y()) * (b.x() - o.x());
    };
    QPolygonF hull;
    for (int pass = 0; pass < 2; ++pass) {
      const qsizetype start = hull.size();
      for (const QPointF& p : points) {
        while (hull.size() >= start + 2 && turn(hull[hull.size() - 2], hull.back(), p) <= 0) hull.removeLast();
        hull << p;
      }
      hull.removeLast();  // the chain's end starts the other chain
      std::reverse(points.begin(), points.end());
    }
    return hull;
  }
};

QLabel* MakeLabel(QWidget* parent, const QString& text, const QRect& place, const QFont& font) {
  auto* label = new QLabel(text, parent);
  label->setGeometry(place);
  label->setFont(font);
  return label;
}

}  // namespace

TFormAbout1::TFormAbout1(QWidget* owner) : QWidget(owner, Qt::Dialog) {
  setWindowTitle("About Wendrix");
  setFont(Fonts::Sans(11));
  // The frame of the box is 339 x 218 pixels: the client area below its caption.
  setFixedSize(331, 191);
  move(198, 110);
  setAttribute(Qt::WA_QuitOnClose, false);

  TitleLabel = MakeLabel(this, "Wendrix", QRect(120, 12, 70, 19), Fonts::Sans(16, true));
  VersionLabel = MakeLabel(this, "Version 1.0, 12/2026", QRect(216, 16, 111, 13), Fonts::Sans(11));
  AuthorLabel = MakeLabel(this, "The Wendrix developers", QRect(120, 52, 149, 15), Fonts::Serif(13, true));
  Picture = new TAboutPicture(this);
  Picture->setGeometry(1, 5, 112, 101);

  Memo = new QPlainTextEdit(this);
  Memo->setGeometry(1, 115, 325, 73);
  Memo->setReadOnly(true);
  Memo->setFrameShape(QFrame::NoFrame);
  Memo->setTextInteractionFlags(Qt::NoTextInteraction);
  Memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  QPalette palette = Memo->palette();
  palette.setColor(QPalette::Base, QColor(180, 180, 180));  // the colour of an active window border
  Memo->setPalette(palette);
  Memo->setPlainText(
      "Wendrix draws the convex hull of a closed space curve: its ruled strips, its flat "
      "triangles and the pairs of points whose tangents share a plane.\n"
      "Free to use, copy and share.");

  // Any click on the box or on one of its parts closes it; the memo's clicks land on
  // its viewport.
  for (QWidget* part : findChildren<QWidget*>()) part->installEventFilter(this);
}

void TFormAbout1::ShowNonModal() {
  show();
  raise();
  activateWindow();
}

void TFormAbout1::Cierra() { close(); }

bool TFormAbout1::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress) {
    Cierra();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void TFormAbout1::mousePressEvent(QMouseEvent*) { Cierra(); }

void TFormAbout1::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter)
    Cierra();
  else
    QWidget::keyPressEvent(event);
}
