// A zoomable picture in a viewport: the viewport clips the picture widget
// (a PictureSurface as large as the zoomed picture) and moves it as its two
// scroll bars say. It zooms about the pointer (Ctrl+wheel) or the middle of
// what shows, keeps its zoom in the settings, scrolls a rectangle into sight,
// and turns the plain wheel into scrolling.
//
// The scroll bars sit beside the viewport in its parent; the window places
// them (placeIn does it the usual way) and the view keeps their ranges and
// steps.
#pragma once

#include <QPointF>
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>

#include "gfx/surface.h"

class QScrollBar;
class QWheelEvent;

namespace tarvo {

class PictureSurface;

// How one scroll bar counts. By default its value is the logical pixels of
// the zoomed picture that lie before the viewport; with `rowPixels` it counts
// rows of that many picture pixels. The steps are in picture pixels (rows
// with `rowPixels`); a page of 0 is what the viewport shows. The bar reaches
// the end of the picture, or of its first `extentPixels` pixels.
struct ScrollAxis {
  int rowPixels = 0;
  int singleStep = 16;
  int pageStep = 0;
  int extentPixels = 0;
};

class ZoomView : public QWidget {
  Q_OBJECT

 public:
  // A view of `surface` in `parent`. Its zoom is kept under `zoomKey`
  // ("zoom/map"); `description` names it in the zoom items' tips ("the field
  // map"). The bars are made hidden, in `parent`.
  ZoomView(Surface& surface, QWidget* parent, const QString& zoomKey, const QString& description);

  PictureSurface* picture() const { return picture_; }
  QScrollBar* acrossBar() const { return across_; }
  QScrollBar* downBar() const { return down_; }
  const QString& description() const { return description_; }

  void setAxis(Qt::Orientation orientation, ScrollAxis axis);
  // While `busy` says so (a stroke under way), the zoom stays: the picture
  // would move under the pointer.
  void setZoomGuard(std::function<bool()> busy) { busy_ = std::move(busy); }

  // Places the viewport in `room` as large as the zoomed picture where there
  // is room, and the bars along its bottom and right while the picture is
  // larger than what shows.
  void placeIn(const QRect& room);
  // After the window placed the viewport and the bars itself: the bars'
  // ranges and steps, and the picture at their values.
  void updateRanges();

  int zoom() const;
  // Zooms to `zoom` (clamped to 1 to 4) about `anchor`, a point of the
  // picture widget, which stays in place as far as the bars allow; without
  // one, about the middle of what shows. Keeps the zoom in the settings.
  // Returns false when the zoom stayed (the same, or the guard said no).
  bool zoomTo(int zoom, std::optional<QPointF> anchor = {});
  // The zoom the settings kept, at a start.
  void restoreZoom();

  // Logical pixels of the zoomed picture before the viewport, each way.
  QPoint scroll() const;
  // The picture's pixels the viewport shows, whole or in part.
  SurfaceRect visiblePixels() const;
  // Scrolls as little as it takes to show `rect` (picture pixels), or its
  // top left where the viewport is smaller.
  void keepInSight(const SurfaceRect& rect);

 signals:
  // The picture moved under the pointer: a scroll or a zoom.
  void scrolled();
  void zoomed(int zoom);
  // The zoomed picture took another size (a zoom, or a screen of another
  // scale): the window places its controls again.
  void layoutNeeded();

 protected:
  void wheelEvent(QWheelEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool turnScrollBar(QWheelEvent* event);
  // The picture's place for the bars' values.
  void follow();
  int offsetOf(Qt::Orientation orientation) const;
  // Sets the bar of `orientation` to show the picture from logical offset
  // `offset`; a bar that counts rows takes the row before it, the nearest or
  // the one after it (`rounding` -1, 0 or 1).
  void scrollTo(Qt::Orientation orientation, int offset, int rounding = 0);
  const ScrollAxis& axis(Qt::Orientation orientation) const {
    return orientation == Qt::Horizontal ? acrossAxis_ : downAxis_;
  }
  QScrollBar* bar(Qt::Orientation orientation) const {
    return orientation == Qt::Horizontal ? across_ : down_;
  }

  PictureSurface* picture_ = nullptr;
  QScrollBar* across_ = nullptr;
  QScrollBar* down_ = nullptr;
  ScrollAxis acrossAxis_;
  ScrollAxis downAxis_;
  QString zoomKey_;
  QString description_;
  std::function<bool()> busy_;
};

}  // namespace tarvo
