#include "platform/clip_viewport.h"

#include <QCoreApplication>
#include <QWheelEvent>

namespace tarvo {

ClipViewport::ClipViewport(QWidget* parent) : QWidget(parent) {}

void ClipViewport::setContent(QWidget* content, QAbstractSlider* bar, QAbstractSlider* across) {
  scrollBar_ = bar;
  across_ = across;
  // The picture takes no plain wheel of its own; catch it before it goes
  // astray.
  content->installEventFilter(this);
}

bool ClipViewport::turnScrollBar(QWheelEvent* event) {
  const bool sideways = (event->modifiers() & Qt::ShiftModifier) != 0 ||
                        (event->angleDelta().y() == 0 && event->angleDelta().x() != 0);
  QAbstractSlider* bar = sideways && across_ != nullptr ? across_ : scrollBar_;
  if (bar == nullptr || !bar->isEnabled()) {
    return false;
  }
  if (sideways && bar == across_ && event->angleDelta().x() == 0) {
    // Shift and a plain wheel: the bar takes the turn as its own.
    QWheelEvent turned(event->position(), event->globalPosition(), event->pixelDelta(),
                       QPoint(event->angleDelta().y(), 0), event->buttons(),
                       event->modifiers() & ~Qt::ShiftModifier, event->phase(), event->inverted());
    QCoreApplication::sendEvent(bar, &turned);
    return true;
  }
  QCoreApplication::sendEvent(bar, event);
  return true;
}

void ClipViewport::wheelEvent(QWheelEvent* event) {
  if ((event->modifiers() & Qt::ControlModifier) != 0 || !turnScrollBar(event)) {
    event->ignore();
  }
}

bool ClipViewport::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Wheel) {
    auto* wheel = static_cast<QWheelEvent*>(event);
    if ((wheel->modifiers() & Qt::ControlModifier) != 0) {
      return false;  // the picture zooms
    }
    return turnScrollBar(wheel);
  }
  return QWidget::eventFilter(watched, event);
}

void ClipViewport::scrollTo(QWidget* content, int y) {
  content->move(content->x(), -y);
}

void ClipViewport::scrollAcrossTo(QWidget* content, int x) {
  content->move(-x, content->y());
}

}  // namespace tarvo
