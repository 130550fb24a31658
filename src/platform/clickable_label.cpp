#include "platform/clickable_label.h"

#include <QMouseEvent>

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
