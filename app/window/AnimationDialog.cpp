#include "app/window/AnimationDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>

std::optional<TAnimationChoice> AskAnimation(QWidget* parent, const TAnimationChoice& initial) {
  QDialog dialog(parent);
  dialog.setWindowTitle("Export Animation");
  auto* layout = new QFormLayout(&dialog);
  auto* param = new QComboBox(&dialog);
  param->addItems({"p over its range", "q over its range"});
  param->setCurrentIndex(initial.Param == CurveInput::TParam::P ? 0 : 1);
  auto* frames = new QSpinBox(&dialog);
  frames->setRange(2, MaxAnimationFrames);
  frames->setValue(initial.Frames);
  layout->addRow("Sweep", param);
  layout->addRow("Frames", frames);
  auto* square = new QCheckBox("The parameter square beside the hull", &dialog);
  square->setChecked(initial.WithSquare);
  layout->addRow(square);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addRow(buttons);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return TAnimationChoice{param->currentIndex() == 0 ? CurveInput::TParam::P : CurveInput::TParam::Q, frames->value(),
                          square->isChecked()};
}
