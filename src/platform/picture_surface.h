// A picture surface on screen: shows a core Surface (its pixel buffer,
// wrapped without a copy) and reports the pointer in surface pixels with the
// button values the windows use (1 left, 2 right, 4 middle; for moves the sum
// of the buttons held).
#pragma once

#include <QWidget>

#include "gfx/surface.h"

namespace tarvo {

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

 signals:
  void pressed(int button, int shift, int x, int y);
  void moved(int buttons, int shift, int x, int y);
  void released(int button, int shift, int x, int y);
  // A double-click also reports its second press first, so that no press of
  // a quick pair is lost.
  void doubleClicked(int button, int shift, int x, int y);
  // The pointer left the surface.
  void left();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  void surfaceVisibilityChanged(bool visible) override;
  void surfaceRefreshed(const SurfaceRect& changed) override;

  Surface& surface_;
};

}  // namespace tarvo
