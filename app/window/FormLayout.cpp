#include "app/window/FormLayout.h"

#include <QWidget>
#include <QWidgetItem>
#include <algorithm>
#include <cmath>

#include "render/Pictures.h"

TFormLayout::TFormLayout(QWidget* client, QSize least) : QLayout(client), Least(least) {
  setContentsMargins(0, 0, 0, 0);
}

TFormLayout::~TFormLayout() {
  for (const TPlace& place : Places) delete place.Item;
}

void TFormLayout::SetPictureBoxes(QWidget* hull, QWidget* normals, QWidget* square) {
  Hull = hull;
  Normals = normals;
  Square = square;
  HullBase = hull->geometry();
  NormalsBase = normals->geometry();
  SquareBase = square->geometry();
}

void TFormLayout::AddBelow(QWidget* widget, TAnchor anchor) {
  addChildWidget(widget);
  Places.append({new QWidgetItem(widget), widget->geometry(), anchor});
  invalidate();
}

// Components added by QLayout itself (none are expected) stay where they are.
void TFormLayout::addItem(QLayoutItem* item) {
  Places.append({item, item->geometry(), TAnchor::Left});
}

QLayoutItem* TFormLayout::itemAt(int index) const {
  return index >= 0 && index < Places.size() ? Places[index].Item : nullptr;
}

QLayoutItem* TFormLayout::takeAt(int index) {
  if (index < 0 || index >= Places.size()) return nullptr;
  return Places.takeAt(index).Item;
}

int TFormLayout::count() const { return static_cast<int>(Places.size()); }

int TFormLayout::HullSideFor(QSize size, double pixelRatio) const {
  // The view and a small picture lie side by side, so a wider form lets the view grow
  // by 4/7 of the extra width; two small pictures are stacked, so by 2/3 of the extra
  // height (the fields below the view need less).
  const int wider = (size.width() - Least.width()) * 4 / 7, taller = (size.height() - Least.height()) * 2 / 3;
  const int fit = HullSide + std::max(0, std::min(wider, taller));
  const int cap = static_cast<int>(std::floor(MaxPictureSize / std::max(pixelRatio, 1e-3)));
  return std::min(fit, cap);
}

void TFormLayout::setGeometry(const QRect& rect) {
  QLayout::setGeometry(rect);
  if (!Hull) return;
  const int hull = HullSideFor(rect.size(), parentWidget()->devicePixelRatioF()), small = SmallSideFor(hull);
  const int grow = hull - HullSide, smallGrow = small - SmallSide;
  Hull->setGeometry(QRect(HullBase.topLeft(), QSize(hull, hull)));
  Normals->setGeometry(QRect(NormalsBase.topLeft() + QPoint(grow, 0), QSize(small, small)));
  Square->setGeometry(QRect(SquareBase.topLeft() + QPoint(grow, smallGrow), QSize(small, small)));
  for (const TPlace& place : Places) {
    QRect r = place.Base.translated(0, grow);
    if (place.Anchor == TAnchor::Right) r.translate(grow, 0);
    if (place.Anchor == TAnchor::Stretch) r.setWidth(r.width() + grow);
    // The component's own size policy would shrink a field to its hint: the place wins.
    if (QWidget* widget = place.Item->widget())
      widget->setGeometry(r);
    else
      place.Item->setGeometry(r);
  }
}
