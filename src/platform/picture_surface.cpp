#include "platform/picture_surface.h"

#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>
#include <cmath>

#include "platform/line_overlay.h"

namespace tarvo {

QImage imageOf(const Surface& surface) {
  return QImage(reinterpret_cast<const uchar*>(surface.pixels()), surface.width(), surface.height(),
                surface.width() * 4, QImage::Format_RGBX8888);
}

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

ViewTransform PictureSurface::transform() const {
  return ViewTransform{zoom_, zoomable_ ? devicePixelRatioF() : 1.0, 0, 0};
}

QSize PictureSurface::zoomedSize() const {
  const ViewTransform view = transform();
  return {view.logicalExtent(surface_.width()), view.logicalExtent(surface_.height())};
}

void PictureSurface::setZoom(int zoom) {
  zoom_ = clampZoom(zoom);
  zoomable_ = true;
  applyView();
}

void PictureSurface::applyView() {
  setFixedSize(zoomedSize());
  const ViewTransform view = transform();
  for (LineOverlay* line : findChildren<LineOverlay*>(QString(), Qt::FindDirectChildrenOnly)) {
    line->place(view);
  }
  update();
  if (zoomedSize() != lastZoomedSize_) {
    lastZoomedSize_ = zoomedSize();
    emit zoomedSizeChanged();
  }
}

QPoint PictureSurface::pixelAt(QPointF at) const {
  const ViewTransform view = transform();
  return {view.pixelX(at.x()), view.pixelY(at.y())};
}

QRect PictureSurface::widgetRectOf(const SurfaceRect& rect) const {
  const ViewTransform view = transform();
  const int left = view.logicalEdge(rect.x);
  const int top = view.logicalEdge(rect.y);
  const int right = view.logicalExtent(rect.x + rect.width);
  const int bottom = view.logicalExtent(rect.y + rect.height);
  return {left, top, right - left, bottom - top};
}

void PictureSurface::setMark(int slot, std::optional<SurfaceMark> mark) {
  auto& current = marks_.at(static_cast<std::size_t>(slot));
  if (current == mark) {
    return;
  }
  updateMark(current);
  current = std::move(mark);
  updateMark(current);
}

void PictureSurface::setHighlights(std::vector<SurfaceRect> rects, QColor colour) {
  if (rects == highlights_ && colour == highlightColour_) {
    return;
  }
  for (const SurfaceRect& rect : highlights_) {
    updateMark(SurfaceMark{rect, colour, 1, false});
  }
  highlights_ = std::move(rects);
  highlightColour_ = colour;
  for (const SurfaceRect& rect : highlights_) {
    updateMark(SurfaceMark{rect, colour, 1, false});
  }
}

void PictureSurface::updateMark(const std::optional<SurfaceMark>& mark) {
  if (mark) {
    // Widened for the rounding of a fractional display scale.
    update(widgetRectOf(mark->rect).adjusted(-2, -2, 2, 2));
  }
}

void PictureSurface::setOverlay(const Surface* picture, int version, QPoint at, SurfaceRect clip) {
  if (picture == nullptr) {
    if (overlaySource_ != nullptr) {
      update(widgetRectOf(overlayClip_));
      overlay_ = QImage();
      overlaySource_ = nullptr;
    }
    return;
  }
  const bool newPixels = picture != overlaySource_ || version != overlayVersion_;
  if (!newPixels && at == overlayAt_ && clip == overlayClip_) {
    return;
  }
  if (newPixels) {
    // A copy with opaque pixels: drawn see-through, the unused byte of the
    // surface's pixels would count as their alpha.
    overlay_ = imageOf(*picture).convertToFormat(QImage::Format_RGB32);
  }
  const QRect before = overlaySource_ != nullptr ? widgetRectOf(overlayClip_) : QRect();
  overlaySource_ = picture;
  overlayVersion_ = version;
  overlayAt_ = at;
  overlayClip_ = clip;
  update(before.united(widgetRectOf(clip)));
}

void PictureSurface::paintEvent(QPaintEvent* event) {
  const QImage image = imageOf(surface_);
  QPainter painter(this);
  const ViewTransform view = transform();
  const int k = view.devicePerPixel();
  // From here on in device pixels, so that every picture pixel is a block of
  // k x k of them whatever the display scale.
  painter.scale(1 / view.ratio, 1 / view.ratio);
  const QRect picture(QPoint(0, 0), QSize(surface_.width() * k, surface_.height() * k));
  const QRect device(QPoint(0, 0), size() * view.ratio + QSize(1, 1));
  if (!picture.contains(device)) {
    // A viewport larger than the picture: the rest is window background.
    const QRegion outside = QRegion(device).subtracted(picture);
    for (const QRect& part : outside) {
      painter.fillRect(part, palette().color(QPalette::Window));
    }
  }
  painter.drawImage(picture, image);
  (void)event;
  if (overlaySource_ != nullptr) {
    const QImage& over = overlay_;
    const QRect clip(overlayClip_.x * k, overlayClip_.y * k, overlayClip_.width * k,
                     overlayClip_.height * k);
    painter.save();
    painter.setClipRect(clip);
    painter.setOpacity(0.75);
    painter.drawImage(QRect(overlayAt_ * k, over.size() * k), over);
    painter.restore();
  }

  const int line = std::max(1, static_cast<int>(std::lround(view.ratio)));
  std::vector<SurfaceMark> shown;
  for (const SurfaceRect& rect : highlights_) {
    shown.push_back({rect, highlightColour_, 1, false});
  }
  for (const auto& mark : marks_) {
    if (mark) {
      shown.push_back(*mark);
    }
  }
  for (const SurfaceMark& each : shown) {
    const SurfaceMark* mark = &each;
    const QRect box(mark->rect.x * k, mark->rect.y * k, mark->rect.width * k,
                    mark->rect.height * k);
    const int thick = mark->thickness * line;
    auto band = [&](const QColor& colour, int inset, int width, Qt::PenStyle style) {
      QPen pen(colour, width, style, Qt::FlatCap, Qt::MiterJoin);
      painter.setPen(pen);
      painter.setBrush(Qt::NoBrush);
      const QRectF inner = QRectF(box).adjusted(inset + width / 2.0, inset + width / 2.0,
                                                -inset - width / 2.0, -inset - width / 2.0);
      painter.drawRect(inner);
    };
    // A dark edge around the colour, so that the frame shows on any picture.
    band(Qt::black, 0, thick + line, Qt::SolidLine);
    band(mark->colour, 0, thick, mark->dashed ? Qt::DashLine : Qt::SolidLine);
  }
  if (hasFocus()) {
    QPen pen(palette().color(QPalette::Highlight), 2 * line, Qt::DotLine);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(device).adjusted(line, line, -line - 1, -line - 1));
  }
}

void PictureSurface::mousePressEvent(QMouseEvent* event) {
  const QPoint at = pixelAt(event->position());
  emit pressed(buttonValue(event->button()), shiftValue(event->modifiers()), at.x(), at.y());
}

void PictureSurface::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = pixelAt(event->position());
  emit moved(buttonValue(event->buttons()), shiftValue(event->modifiers()), at.x(), at.y());
}

void PictureSurface::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint at = pixelAt(event->position());
  emit released(buttonValue(event->button()), shiftValue(event->modifiers()), at.x(), at.y());
}

void PictureSurface::mouseDoubleClickEvent(QMouseEvent* event) {
  const QPoint at = pixelAt(event->position());
  const int button = buttonValue(event->button());
  const int shift = shiftValue(event->modifiers());
  emit pressed(button, shift, at.x(), at.y());
  emit doubleClicked(button, shift, at.x(), at.y());
}

void PictureSurface::leaveEvent(QEvent*) {
  emit left();
}

void PictureSurface::wheelEvent(QWheelEvent* event) {
  if ((event->modifiers() & Qt::ControlModifier) != 0) {
    // Whole notches only, even from a fine-grained wheel or a touchpad.
    wheelSum_ += event->angleDelta().y();
    const int notches = wheelSum_ / 120;
    wheelSum_ -= notches * 120;
    if (notches != 0) {
      emit zoomWheel(notches, event->position());
    }
    event->accept();
    return;
  }
  event->ignore();  // the viewport around it scrolls
}

void PictureSurface::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Left:
      emit arrowKey(-1, 0);
      break;
    case Qt::Key_Right:
      emit arrowKey(1, 0);
      break;
    case Qt::Key_Up:
      emit arrowKey(0, -1);
      break;
    case Qt::Key_Down:
      emit arrowKey(0, 1);
      break;
    default:
      QWidget::keyPressEvent(event);
      return;
  }
  event->accept();
}

void PictureSurface::focusInEvent(QFocusEvent* event) {
  update();
  // Only the user's own choice: not the focus coming back when the window is
  // activated or a menu closes, which would move the zoom items' view away
  // from the one under the pointer.
  const Qt::FocusReason reason = event->reason();
  if (reason == Qt::MouseFocusReason || reason == Qt::TabFocusReason ||
      reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason) {
    emit focusEntered();
  }
  QWidget::focusInEvent(event);
}

void PictureSurface::focusOutEvent(QFocusEvent* event) {
  update();
  QWidget::focusOutEvent(event);
}

bool PictureSurface::event(QEvent* event) {
  if (zoomable_ &&
      (event->type() == QEvent::ScreenChangeInternal || event->type() == QEvent::Show)) {
    // Another display scale may call for other blocks.
    applyView();
  }
  return QWidget::event(event);
}

void PictureSurface::surfaceVisibilityChanged(bool visible) {
  // Hidden while a view is drawn: nothing reaches the screen until it shows.
  setUpdatesEnabled(visible);
}

void PictureSurface::surfaceRefreshed(const SurfaceRect& changed) {
  update(widgetRectOf(changed).adjusted(-1, -1, 1, 1));
}

void showToolMarks(PictureSurface* view, const GridTools& tools, const PastePicture& paste) {
  static const QColor kSelectionFrame(64, 224, 255);
  static const QColor kPasteFrame(255, 255, 255);
  constexpr int kSelectionSlot = 2;
  constexpr int kPasteSlot = 3;
  const int side = tools.grid().shape().cellSide;
  const std::optional<CellRect>& selection = tools.selection();
  view->setMark(kSelectionSlot, selection
                                    ? std::optional<SurfaceMark>(SurfaceMark{
                                          pixelsOf(*selection, side), kSelectionFrame, 2, false})
                                    : std::nullopt);
  const bool pasting = tools.pasting() && paste.picture;
  const SurfaceRect area = pasting ? pixelsOf(tools.pastePreview(), side) : SurfaceRect{};
  view->setOverlay(pasting ? &*paste.picture : nullptr, paste.version,
                   QPoint(tools.pasteColumn() * side, tools.pasteRow() * side), area);
  view->setMark(kPasteSlot,
                pasting && area.width > 0 && area.height > 0
                    ? std::optional<SurfaceMark>(SurfaceMark{area, kPasteFrame, 1, true})
                    : std::nullopt);
}

}  // namespace tarvo
