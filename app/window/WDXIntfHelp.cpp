// The main form: what explains the pictures, their tooltips and Help > Reading the Pictures.
#include <QDialog>
#include <QDialogButtonBox>
#include <QHelpEvent>
#include <QLabel>
#include <QToolTip>
#include <QVBoxLayout>

#include "app/window/Fonts.h"
#include "app/window/PaintBox.h"
#include "app/window/WDXIntf.h"

void TWendrix::CreateExplanations() {
  ConvexHullBox->setToolTip(
      tr("The convex hull of the curve in perspective: its strips are green where they face you, orange where "
         "they turn away; the curve is yellow on the visible surface, silver inside the hull.\n"
         "Drag to turn, Shift+drag or the wheel to zoom, Ctrl+drag to shift, double-click to reset the view."));
  MaxwellBox->setToolTip(
      tr("The unit normals of the hull's strips on the sphere inside the silver circle: magenta where they "
         "point towards you, grey where they point away."));
  BitangBox->setToolTip(
      tr("The square of parameter pairs, s to the right and t upwards: every point on a line is a pair whose "
         "tangents lie in one plane. Magenta pairs span the hull's strips, teal pairs do not.\n"
         "Point at the square to see the pair's chord on the hull and its values in the status bar."));
  // MaxwellBox lets the mouse through to the form, so its tooltip is asked of the form.
  centralWidget()->installEventFilter(this);
}

bool TWendrix::ExplainTransparentBox(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return false;
  auto* help = static_cast<QHelpEvent*>(event);
  if (!MaxwellBox->geometry().contains(help->pos())) return false;
  QToolTip::showText(help->globalPos(), MaxwellBox->toolTip(), MaxwellBox);
  return true;
}

void TWendrix::LeerDibujos() {
  if (!ReadingPictures) ReadingPictures = MakeReadingPictures();
  ReadingPictures->show();
  ReadingPictures->raise();
  ReadingPictures->activateWindow();
}

QDialog* TWendrix::MakeReadingPictures() {
  auto* page = new QDialog(this);
  page->setObjectName("ReadingPictures");
  page->setWindowTitle(tr("Reading the Pictures"));
  page->setFont(Fonts::Sans(13));
  auto* text = new QLabel(page);
  text->setWordWrap(true);
  text->setTextFormat(Qt::RichText);
  text->setText(tr(
      "<p>The default curve, x = cos(2t)(p+sin(3t)), y = sin(2t)(p+sin(3t)), z = cos(3t), winds three times "
      "up and down around the z axis; its convex hull is what a sheet stretched tight around it would enclose.</p>"
      "<p><b>The large picture</b> shows that hull. Most of its surface is made of straight segments that touch "
      "the curve at both ends; these ruled strips are shaded green where they face you and orange where they "
      "turn away, brighter the more squarely. A flat triangle appears where a plane touches the curve three "
      "times. The curve is drawn yellow where it runs on the visible surface and silver where it passes "
      "through the inside. With the Stereo button the view becomes a red and teal wire-frame for red-teal "
      "glasses.</p>"
      "<p><b>The square</b> (lower right) holds every pair of parameters, s from left to right and t from "
      "bottom to top. A point lies on one of its lines when the tangents at s and at t lie in one plane. "
      "Magenta pairs are those whose plane leaves the whole curve on one side: their segments form the "
      "hull's strips. Teal pairs cross the curve and add nothing to the hull. The picture is symmetric about "
      "its diagonal, since (s, t) and (t, s) are the same segment.</p>"
      "<p><b>The circle</b> (upper right) is the sphere of directions seen from the eye. Each magenta line "
      "traces the outward normals of a strip facing you, grey lines those facing away. Pointing at the square "
      "draws the plane of the pair under the pointer there, and its chord in blue on the large picture.</p>"));
  text->setMinimumWidth(520);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, page);
  connect(buttons, &QDialogButtonBox::rejected, page, &QDialog::reject);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(text);
  layout->addWidget(buttons);
  return page;
}
