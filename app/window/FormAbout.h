// The About box: the program's name, version, authors and terms of use beside a small
// picture of a space curve and its hull. Non-modal; a click anywhere on it, Esc or Enter
// closes it.
#pragma once

#include <QWidget>

class QLabel;
class QPlainTextEdit;

class TFormAbout1 : public QWidget {
 public:
  // A hidden window owned by `owner` (which it stays in front of).
  explicit TFormAbout1(QWidget* owner);

  QLabel* TitleLabel;
  QLabel* VersionLabel;
  QLabel* AuthorLabel;
  QWidget* Picture;
  QPlainTextEdit* Memo;

  // Shows the box without making it modal and brings it to the front.
  void ShowNonModal();

  // Closes (hides) the box until it is shown again.
  void Cierra();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
};
