// The layout of the main form: the shaded view grows with the form and the two small
// pictures beside it keep three quarters of its side; the fields, bars and buttons
// below the view keep their height, follow its lower edge and widen or move with its
// width. At the form's least size every component stands where it was placed.
#pragma once

#include <QLayout>
#include <QList>
#include <QRect>
#include <QSize>

class TFormLayout : public QLayout {
 public:
  // How a component below the main view answers a wider view.
  enum class TAnchor { Left, Right, Stretch };

  // Sides of the main view and of the small pictures at the least size (logical pixels).
  static constexpr int HullSide = 400, SmallSide = 300;

  // A layout over `client`, whose least and preferred size is `least`.
  TFormLayout(QWidget* client, QSize least);
  ~TFormLayout() override;

  // The three picture boxes, at their places when the layout is least.
  void SetPictureBoxes(QWidget* hull, QWidget* normals, QWidget* square);
  // A component below the main view, at its place when the layout is least.
  void AddBelow(QWidget* widget, TAnchor anchor);

  // Side of the main view for a client of `size` (logical pixels), at least HullSide,
  // at most what keeps its picture of `pixelRatio` device pixels a pixel within
  // MaxPictureSize; the small pictures take three quarters of it.
  int HullSideFor(QSize size, double pixelRatio) const;
  static int SmallSideFor(int hullSide) { return hullSide * 3 / 4; }

  void addItem(QLayoutItem* item) override;
  QLayoutItem* itemAt(int index) const override;
  QLayoutItem* takeAt(int index) override;
  int count() const override;
  QSize sizeHint() const override { return Least; }
  QSize minimumSize() const override { return Least; }
  void setGeometry(const QRect& rect) override;

 private:
  struct TPlace {
    QLayoutItem* Item;
    QRect Base;  // the place at the least size
    TAnchor Anchor;
  };
  QList<TPlace> Places;
  QWidget *Hull = nullptr, *Normals = nullptr, *Square = nullptr;
  QRect HullBase, NormalsBase, SquareBase;
  QSize Least;
};
