// A picture surface on screen: shows a core Surface (its pixel buffer,
// wrapped without a copy) at a whole zoom, and reports the pointer in surface
// pixels with the button values the windows use (1 left, 2 right, 4 middle;
// for moves the sum of the buttons held).
//
// The widget is as large as the zoomed picture; a parent viewport (ZoomView)
// clips and moves it.
#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>
#include <array>
#include <optional>
#include <vector>

#include "gfx/surface.h"
#include "screens/block_picture.h"
#include "screens/grid_tools.h"
#include "screens/view_transform.h"

namespace tarvo {

// A frame drawn over the picture, never into its pixels.
struct SurfaceMark {
  SurfaceRect rect;  // in surface pixels
  QColor colour;
  int thickness = 1;  // logical pixels, drawn inside the rectangle
  bool dashed = false;
  friend bool operator==(const SurfaceMark&, const SurfaceMark&) = default;
};

// The surface's pixels as an image, without a copy: 0x00BBGGRR is in memory
// R, G, B and an unused byte, which is RGBX8888. It holds only while the
// surface keeps its pixels.
QImage imageOf(const Surface& surface);

class PictureSurface : public QWidget, public SurfaceView {
  Q_OBJECT

 public:
  // `surface` must outlive the widget; the widget takes its size.
  PictureSurface(Surface& surface, QWidget* parent);
  ~PictureSurface() override;

  Surface& surface() { return surface_; }

  // The program's button values for Qt's buttons, and its shift state
  // (1 Shift, 2 Ctrl, 4 Alt) for Qt's modifiers.
  static int buttonValue(Qt::MouseButtons buttons);
  static int shiftValue(Qt::KeyboardModifiers modifiers);

  // 1 to 4; the picture's pixels become blocks of whole device pixels. A
  // surface never zoomed (a fixed-size preview) is drawn at its logical size
  // whatever the display scale, as every widget is.
  void setZoom(int zoom);
  int zoom() const { return zoom_; }
  // The size of the whole zoomed picture, in logical pixels.
  QSize zoomedSize() const;
  ViewTransform transform() const;

  // Frames over the picture, in slots that the window names (the cell under
  // the pointer, a selection...); nothing clears a slot.
  static constexpr int kMarkSlots = 5;
  void setMark(int slot, std::optional<SurfaceMark> mark);
  // Frames over many rectangles at once (the uses of a tile, the members
  // of a budget line), in one colour, under the slots' marks; an empty list
  // removes them.
  void setHighlights(std::vector<SurfaceRect> rects, QColor colour);
  const std::vector<SurfaceRect>& highlights() const { return highlights_; }

  // A picture shown over the view, see-through, with its top-left corner at
  // pixel `at` of the surface; only its pixels within `clip` (in surface
  // pixels) show; nullptr removes it. The overlay is a copy, taken again
  // only when `picture` or `version` differs from the last call's: moving it
  // costs no copy, and only what it leaves and enters is painted again.
  void setOverlay(const Surface* picture, int version = 0, QPoint at = {}, SurfaceRect clip = {});
  // The overlay's copy (null without one).
  const QImage& overlay() const { return overlay_; }

  // The picture pixel under logical point `at` of the widget.
  QPoint pixelAt(QPointF at) const;
  // The widget's logical rectangle that shows surface rectangle `rect`.
  QRect widgetRectOf(const SurfaceRect& rect) const;

 signals:
  void pressed(int button, int shift, int x, int y);
  void moved(int buttons, int shift, int x, int y);
  void released(int button, int shift, int x, int y);
  // A double-click also reports its second press first, so that no press of
  // a quick pair is lost.
  void doubleClicked(int button, int shift, int x, int y);
  // The pointer left the surface.
  void left();
  // Ctrl and the wheel turned by whole notches (positive away from the
  // user), with the pointer at logical point `at` of the widget.
  void zoomWheel(int notches, QPointF at);
  // An arrow key while the widget has the focus: dx, dy of -1, 0 or 1.
  void arrowKey(int dx, int dy);
  // The zoomed picture took another size: a zoom, or a screen of another
  // scale. The window places its controls again.
  void zoomedSizeChanged();
  // The user gave the widget the keyboard focus (a click, Tab, a shortcut).
  void focusEntered();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void surfaceVisibilityChanged(bool visible) override;
  void surfaceRefreshed(const SurfaceRect& changed) override;
  // After a change of zoom, scroll or display: size, grid lines, repaint.
  void applyView();
  void updateMark(const std::optional<SurfaceMark>& mark);

  Surface& surface_;
  int zoom_ = 1;
  bool zoomable_ = false;
  QSize lastZoomedSize_;
  int wheelSum_ = 0;  // Ctrl+wheel angle not yet a whole notch
  std::array<std::optional<SurfaceMark>, kMarkSlots> marks_{};
  std::vector<SurfaceRect> highlights_;
  QColor highlightColour_;
  QImage overlay_;
  const Surface* overlaySource_ = nullptr;
  int overlayVersion_ = 0;
  QPoint overlayAt_;
  SurfaceRect overlayClip_;
};

// Show Uses and the Budget dock, in both windows: the frames over what is
// used or chosen, and the mark of the use brought into sight (in its own
// slot).
inline const QColor kUseColour(0, 224, 255);
inline const QColor kCurrentUseColour(255, 160, 0);
inline constexpr int kCurrentUseSlot = 4;

// The marks of `tools` over `view`: the selection's frame (in mark slot 2)
// and, while pasting, the paste's see-through preview at the block's place,
// shown only on the cells a press would write, with a dashed frame (slot 3),
// as setOverlay shows it. A mark that is not there goes.
void showToolMarks(PictureSurface* view, const GridTools& tools, const PastePicture& paste);

}  // namespace tarvo
