#include "platform/line_overlay.h"

#include <QPainter>
#include <algorithm>

namespace tarvo {

LineOverlay::LineOverlay(int x1, int y1, int x2, int y2, QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setGeometry(std::min(x1, x2), std::min(y1, y2), std::abs(x2 - x1) + 1, std::abs(y2 - y1) + 1);
  hide();
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
