#include "platform/clickable_label.h"

#include <QMouseEvent>
#include <QPainter>

#include "platform/picture_surface.h"

namespace tarvo {

ClickableLabel::ClickableLabel(QWidget* parent) : QLabel(parent) {
  setAutoFillBackground(true);
}

void ClickableLabel::setFill(unsigned colour) {
  QPalette colours = palette();
  colours.setColor(QPalette::Window,
                   QColor(static_cast<int>(colour & 0xFF), static_cast<int>(colour >> 8 & 0xFF),
                          static_cast<int>(colour >> 16 & 0xFF)));
  setPalette(colours);
}

void ClickableLabel::setCrossed(bool crossed) {
  if (crossed_ != crossed) {
    crossed_ = crossed;
    update();
  }
}

void ClickableLabel::paintEvent(QPaintEvent* event) {
  QLabel::paintEvent(event);
  if (!crossed_) {
    return;
  }
  // Black or white, whichever stands out from the fill.
  const QColor fill = palette().color(QPalette::Window);
  QPainter painter(this);
  painter.setPen(QPen(fill.lightness() > 127 ? Qt::black : Qt::white, 1));
  const QRect box = rect().adjusted(2, 2, -3, -3);
  painter.drawLine(box.topLeft(), box.bottomRight());
  painter.drawLine(box.topRight(), box.bottomLeft());
}

void ClickableLabel::mousePressEvent(QMouseEvent* event) {
  emit pressed(PictureSurface::buttonValue(event->button()),
               PictureSurface::shiftValue(event->modifiers()));
}

void ClickableLabel::mouseDoubleClickEvent(QMouseEvent* event) {
  const int button = PictureSurface::buttonValue(event->button());
  const int shift = PictureSurface::shiftValue(event->modifiers());
  emit pressed(button, shift);  // the second press of the pair
  emit doubleClicked(button, shift);
}

}  // namespace tarvo
