// A viewport that shows part of one larger child (a picture surface) and
// clips the rest; scroll bars move the child inside it.
#pragma once

#include <QAbstractSlider>
#include <QWidget>

namespace tarvo {

class ClipViewport : public QWidget {
  Q_OBJECT

 public:
  explicit ClipViewport(QWidget* parent);

  // The picture inside the viewport and the scroll bars that move it: the
  // mouse wheel over either viewport or picture turns the vertical bar, or
  // with Shift (or a sideways wheel) the horizontal one. With Ctrl the wheel
  // is the picture's own, for its zoom.
  void setContent(QWidget* content, QAbstractSlider* bar, QAbstractSlider* across = nullptr);

  // Places `content` (a child of this viewport) so that its row `y` is at the
  // top of the viewport.
  static void scrollTo(QWidget* content, int y);
  // And its column `x` at the left.
  static void scrollAcrossTo(QWidget* content, int x);

 protected:
  void wheelEvent(QWheelEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool turnScrollBar(QWheelEvent* event);

  QAbstractSlider* scrollBar_ = nullptr;
  QAbstractSlider* across_ = nullptr;
};

}  // namespace tarvo
