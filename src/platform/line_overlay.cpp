#include "platform/line_overlay.h"

#include <QPainter>
#include <algorithm>

namespace tarvo {

LineOverlay::LineOverlay(int x1, int y1, int x2, int y2, QWidget* parent)
    : QWidget(parent),
      left_(std::min(x1, x2)),
      top_(std::min(y1, y2)),
      right_(std::max(x1, x2)),
      bottom_(std::max(y1, y2)) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  place(ViewTransform{});
  hide();
}

void LineOverlay::place(const ViewTransform& view) {
  const int x = view.logicalEdge(left_) - view.scrollX;
  const int y = view.logicalEdge(top_) - view.scrollY;
  // A line across pixels spans them all; along one column or row it is one
  // logical pixel thick.
  const int width = left_ == right_ ? 1 : view.logicalEdge(right_ + 1) - view.logicalEdge(left_);
  const int height = top_ == bottom_ ? 1 : view.logicalEdge(bottom_ + 1) - view.logicalEdge(top_);
  setGeometry(x, y, width, height);
}

void LineOverlay::setColour(const QColor& colour) {
  colour_ = colour;
  update();
}

QColor LineOverlay::colour() const {
  return colour_.isValid() ? colour_ : palette().color(QPalette::WindowText);
}

void LineOverlay::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), colour());
}

}  // namespace tarvo
