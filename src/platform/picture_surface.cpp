#include "platform/picture_surface.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>

namespace tarvo {

namespace {

// Pointer position in whole surface pixels; floor, so that -0.5 is -1 and
// never falls into column 0.
QPoint pixelOf(const QMouseEvent* event) {
  const QPointF position = event->position();
  return {static_cast<int>(std::floor(position.x())), static_cast<int>(std::floor(position.y()))};
}

}  // namespace

PictureSurface::PictureSurface(Surface& surface, QWidget* parent)
    : QWidget(parent), surface_(surface) {
  setFixedSize(surface.width(), surface.height());
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);  // moves without a button too, for the status bar
  surface_.setView(this);
}

PictureSurface::~PictureSurface() {
  surface_.setView(nullptr);
}

int PictureSurface::buttonValue(Qt::MouseButtons buttons) {
  return (buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0) |
         (buttons & Qt::MiddleButton ? 4 : 0);
}

int PictureSurface::shiftValue(Qt::KeyboardModifiers modifiers) {
  return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0) |
         (modifiers & Qt::AltModifier ? 4 : 0);
}

void PictureSurface::paintEvent(QPaintEvent*) {
  // The pixels are 0x00BBGGRR: in memory R, G, B, unused, which is RGBX8888.
  const QImage image(reinterpret_cast<const uchar*>(surface_.pixels()), surface_.width(),
                     surface_.height(), surface_.width() * 4, QImage::Format_RGBX8888);
  QPainter painter(this);
  painter.drawImage(0, 0, image);
}

void PictureSurface::mousePressEvent(QMouseEvent* event) {
  const QPoint at = pixelOf(event);
  emit pressed(buttonValue(event->button()), shiftValue(event->modifiers()), at.x(), at.y());
}

void PictureSurface::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = pixelOf(event);
  emit moved(buttonValue(event->buttons()), shiftValue(event->modifiers()), at.x(), at.y());
}

void PictureSurface::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint at = pixelOf(event);
  emit released(buttonValue(event->button()), shiftValue(event->modifiers()), at.x(), at.y());
}

void PictureSurface::mouseDoubleClickEvent(QMouseEvent* event) {
  const QPoint at = pixelOf(event);
  const int button = buttonValue(event->button());
  const int shift = shiftValue(event->modifiers());
  emit pressed(button, shift, at.x(), at.y());
  emit doubleClicked(button, shift, at.x(), at.y());
}

void PictureSurface::leaveEvent(QEvent*) {
  emit left();
}

void PictureSurface::surfaceVisibilityChanged(bool visible) {
  // Hidden while a view is drawn: nothing reaches the screen until it shows.
  setUpdatesEnabled(visible);
}

void PictureSurface::surfaceRefreshed(const SurfaceRect& changed) {
  update(changed.x, changed.y, changed.width, changed.height);
}

}  // namespace tarvo
