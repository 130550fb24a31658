#include "platform/clip_viewport.h"

#include <QCoreApplication>
#include <QWheelEvent>

namespace tarvo {

ClipViewport::ClipViewport(QWidget* parent) : QWidget(parent) {}

void ClipViewport::setContent(QWidget* content, QAbstractSlider* bar) {
  scrollBar_ = bar;
  // The picture takes no wheel of its own; catch it before it goes astray.
  content->installEventFilter(this);
}

bool ClipViewport::turnScrollBar(QWheelEvent* event) {
  if (scrollBar_ == nullptr || !scrollBar_->isEnabled()) {
    return false;
  }
  QCoreApplication::sendEvent(scrollBar_, event);
  return true;
}

void ClipViewport::wheelEvent(QWheelEvent* event) {
  if (!turnScrollBar(event)) {
    event->ignore();
  }
}

bool ClipViewport::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Wheel) {
    return turnScrollBar(static_cast<QWheelEvent*>(event));
  }
  return QWidget::eventFilter(watched, event);
}

void ClipViewport::scrollTo(QWidget* content, int y) {
  content->move(content->x(), -y);
}

}  // namespace tarvo
