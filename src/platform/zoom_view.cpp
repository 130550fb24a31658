#include "platform/zoom_view.h"

#include <QCoreApplication>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

#include "platform/editor_settings.h"
#include "platform/picture_surface.h"
#include "screens/view_transform.h"

namespace tarvo {

namespace {

constexpr int kBar = 17;  // a scroll bar's thickness, as the others have it

constexpr Qt::Orientation kBothWays[] = {Qt::Horizontal, Qt::Vertical};

int along(Qt::Orientation orientation, QSize size) {
  return orientation == Qt::Horizontal ? size.width() : size.height();
}

int along(Qt::Orientation orientation, QPointF point) {
  return static_cast<int>(orientation == Qt::Horizontal ? point.x() : point.y());
}

// a / b rounded down, to the nearest or up (b > 0).
int divideRounded(int a, int b, int rounding) {
  if (rounding < 0) {
    return floorDiv(a, b);
  }
  if (rounding > 0) {
    return -floorDiv(-a, b);
  }
  return floorDiv(a + b / 2, b);
}

}  // namespace

ZoomView::ZoomView(Surface& surface, QWidget* parent, const QString& zoomKey,
                   const QString& description)
    : QWidget(parent), zoomKey_(zoomKey), description_(description) {
  picture_ = new PictureSurface(surface, this);
  // Its pixels are blocks of whole device pixels from the start.
  picture_->setZoom(1);
  across_ = new QScrollBar(Qt::Horizontal, parent);
  down_ = new QScrollBar(Qt::Vertical, parent);
  for (QScrollBar* each : {across_, down_}) {
    each->hide();
    // valueChanged also comes while the thumb is dragged.
    connect(each, &QScrollBar::valueChanged, this, &ZoomView::follow);
  }
  // The picture takes no plain wheel of its own; catch it before it goes
  // astray.
  picture_->installEventFilter(this);
  connect(picture_, &PictureSurface::zoomWheel, this,
          [this](int notches, QPointF at) { zoomTo(zoom() + notches, at); });
  connect(picture_, &PictureSurface::zoomedSizeChanged, this, &ZoomView::layoutNeeded);
}

void ZoomView::setAxis(Qt::Orientation orientation, ScrollAxis axis) {
  (orientation == Qt::Horizontal ? acrossAxis_ : downAxis_) = axis;
  updateRanges();
}

void ZoomView::placeIn(const QRect& room) {
  const QSize zoomed = picture_->zoomedSize();
  bool needAcross = zoomed.width() > room.width();
  bool needDown = zoomed.height() > room.height();
  needAcross = needAcross || (needDown && zoomed.width() > room.width() - kBar);
  needDown = needDown || (needAcross && zoomed.height() > room.height() - kBar);
  const QSize shown(std::min(zoomed.width(), room.width() - (needDown ? kBar : 0)),
                    std::min(zoomed.height(), room.height() - (needAcross ? kBar : 0)));
  setGeometry(QRect(room.topLeft(), shown));
  across_->setGeometry(room.x(), room.y() + shown.height(), shown.width(), kBar);
  across_->setVisible(needAcross);
  down_->setGeometry(room.x() + shown.width(), room.y(), kBar, shown.height());
  down_->setVisible(needDown);
  updateRanges();
}

void ZoomView::updateRanges() {
  const ViewTransform view = picture_->transform();
  for (const Qt::Orientation orientation : kBothWays) {
    const ScrollAxis& counts = axis(orientation);
    QScrollBar* each = bar(orientation);
    const int shown = along(orientation, size());
    const int extent = counts.extentPixels > 0 ? view.logicalExtent(counts.extentPixels)
                                               : along(orientation, picture_->zoomedSize());
    const int beyond = std::max(0, extent - shown);
    if (counts.rowPixels > 0) {
      const int row = std::max(1, view.logicalEdge(counts.rowPixels));
      each->setRange(0, divideRounded(beyond, row, 1));
      each->setSingleStep(std::max(1, counts.singleStep));
      each->setPageStep(std::max(1, counts.pageStep));
    } else {
      each->setRange(0, beyond);
      each->setSingleStep(std::max(1, view.logicalEdge(counts.singleStep)));
      each->setPageStep(
          std::max(1, counts.pageStep > 0 ? view.logicalEdge(counts.pageStep) : shown));
    }
  }
  // A range that did not move a value still leaves the picture to place.
  follow();
}

int ZoomView::offsetOf(Qt::Orientation orientation) const {
  const ViewTransform view = picture_->transform();
  const ScrollAxis& counts = axis(orientation);
  const QScrollBar* each = bar(orientation);
  const int value = each->value();
  if (counts.rowPixels > 0) {
    return snapScroll(view.logicalEdge(value * counts.rowPixels), view.ratio);
  }
  // Whole device pixels, so that the pointer names what is drawn under it;
  // the far end stays reachable.
  return value >= each->maximum() ? value : snapScroll(value, view.ratio);
}

QPoint ZoomView::scroll() const {
  return {offsetOf(Qt::Horizontal), offsetOf(Qt::Vertical)};
}

void ZoomView::follow() {
  picture_->move(-scroll());
  emit scrolled();
}

void ZoomView::scrollTo(Qt::Orientation orientation, int offset, int rounding) {
  const ScrollAxis& counts = axis(orientation);
  const ViewTransform view = picture_->transform();
  // Rows, or the whole device pixels the picture scrolls by.
  const int step = counts.rowPixels > 0 ? std::max(1, view.logicalEdge(counts.rowPixels))
                                        : scrollQuantum(view.ratio);
  const int value = divideRounded(offset, step, rounding);
  bar(orientation)->setValue(counts.rowPixels > 0 ? value : value * step);
}

int ZoomView::zoom() const {
  return picture_->zoom();
}

bool ZoomView::zoomTo(int zoom, std::optional<QPointF> anchor) {
  zoom = clampZoom(zoom);
  if (zoom == picture_->zoom() || (busy_ && busy_())) {
    return false;
  }
  // The picture point to keep in place, and where it is in the viewport.
  const QPointF at =
      anchor ? *anchor : QPointF(picture_->mapFrom(this, QPoint(width() / 2, height() / 2)));
  const ViewTransform before = picture_->transform();
  const QPointF pixel = at * before.ratio / before.devicePerPixel();
  const QPoint inViewport = picture_->mapTo(this, at.toPoint());
  // The window places its controls again on layoutNeeded.
  picture_->setZoom(zoom);
  settings::setNumber(zoomKey_, zoom);
  const ViewTransform after = picture_->transform();
  for (const Qt::Orientation orientation : kBothWays) {
    scrollTo(orientation,
             scrollToKeep(along(orientation, pixel), along(orientation, inViewport), after));
  }
  emit zoomed(zoom);
  return true;
}

void ZoomView::restoreZoom() {
  zoomTo(settings::number(zoomKey_, zoom()));
}

SurfaceRect ZoomView::visiblePixels() const {
  const QPoint first = picture_->pixelAt(picture_->mapFrom(this, QPoint(0, 0)));
  const QPoint last = picture_->pixelAt(picture_->mapFrom(this, QPoint(width() - 1, height() - 1)));
  return {first.x(), first.y(), last.x() - first.x() + 1, last.y() - first.y() + 1};
}

void ZoomView::keepInSight(const SurfaceRect& rect) {
  const QRect wanted = picture_->widgetRectOf(rect);
  for (const Qt::Orientation orientation : kBothWays) {
    const bool across = orientation == Qt::Horizontal;
    const int first = across ? wanted.left() : wanted.top();
    const int end = first + (across ? wanted.width() : wanted.height());
    const int shown = along(orientation, size());
    const int current = offsetOf(orientation);
    if (first < current) {
      scrollTo(orientation, first, -1);
    } else if (end > current + shown) {
      scrollTo(orientation, std::min(first, end - shown), 1);
    }
  }
}

bool ZoomView::turnScrollBar(QWheelEvent* event) {
  const bool sideways = (event->modifiers() & Qt::ShiftModifier) != 0 ||
                        (event->angleDelta().y() == 0 && event->angleDelta().x() != 0);
  QScrollBar* turned = sideways ? across_ : down_;
  if (!turned->isEnabled()) {
    return false;
  }
  if (sideways && turned == across_ && event->angleDelta().x() == 0) {
    // Shift and a plain wheel: the bar takes the turn as its own.
    QWheelEvent across(event->position(), event->globalPosition(), event->pixelDelta(),
                       QPoint(event->angleDelta().y(), 0), event->buttons(),
                       event->modifiers() & ~Qt::ShiftModifier, event->phase(), event->inverted());
    QCoreApplication::sendEvent(turned, &across);
    return true;
  }
  QCoreApplication::sendEvent(turned, event);
  return true;
}

void ZoomView::wheelEvent(QWheelEvent* event) {
  if ((event->modifiers() & Qt::ControlModifier) != 0 || !turnScrollBar(event)) {
    event->ignore();
  }
}

bool ZoomView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == picture_ && event->type() == QEvent::Wheel) {
    auto* wheel = static_cast<QWheelEvent*>(event);
    if ((wheel->modifiers() & Qt::ControlModifier) != 0) {
      return false;  // the picture zooms
    }
    return turnScrollBar(wheel);
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace tarvo
