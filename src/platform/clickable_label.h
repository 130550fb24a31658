// A label that reports a press, with the program's button values (1 left,
// 2 right, 4 middle): the editor window's colour swatches.
#pragma once

#include <QLabel>

namespace tarvo {

class ClickableLabel : public QLabel {
  Q_OBJECT

 public:
  explicit ClickableLabel(QWidget* parent);

  // Fills the label with `colour` (0x00BBGGRR).
  void setFill(unsigned colour);
  // Draws a cross over the fill: a colour the pictures do not show.
  void setCrossed(bool crossed);
  bool crossed() const { return crossed_; }

 signals:
  void pressed(int button, int shift);
  void doubleClicked(int button, int shift);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  bool crossed_ = false;
};

}  // namespace tarvo
