// A one-pixel line drawn above a picture surface: part of no surface's pixels,
// and transparent to the pointer, whose presses reach the surface beneath.
#pragma once

#include <QColor>
#include <QWidget>

#include "screens/view_transform.h"

namespace tarvo {

class LineOverlay : public QWidget {
  Q_OBJECT

 public:
  // A horizontal or vertical line from (x1, y1) to (x2, y2) in the parent
  // picture's pixels, both ends included; starts hidden. The parent clips
  // what lies outside it.
  LineOverlay(int x1, int y1, int x2, int y2, QWidget* parent);

  // The line's colour; until set, the window-text colour.
  void setColour(const QColor& colour);
  QColor colour() const;

  // Follows the parent's zoom and scroll: the line stays one logical pixel
  // wide, along the edge of the picture pixels it was placed at.
  void place(const ViewTransform& view);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int left_, top_, right_, bottom_;  // in picture pixels, both ends included
  QColor colour_;                    // invalid: the window-text colour
};

}  // namespace tarvo
