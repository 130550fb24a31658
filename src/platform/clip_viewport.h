// A viewport that shows part of one larger child (a picture surface) and
// clips the rest; a scroll bar moves the child inside it.
#pragma once

#include <QAbstractSlider>
#include <QWidget>

namespace tarvo {

class ClipViewport : public QWidget {
  Q_OBJECT

 public:
  explicit ClipViewport(QWidget* parent);

  // The picture inside the viewport and the scroll bar that moves it: the
  // mouse wheel over either viewport or picture turns the bar.
  void setContent(QWidget* content, QAbstractSlider* bar);

  // Places `content` (a child of this viewport) so that its row `y` is at the
  // top of the viewport.
  static void scrollTo(QWidget* content, int y);

 protected:
  void wheelEvent(QWheelEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool turnScrollBar(QWheelEvent* event);

  QAbstractSlider* scrollBar_ = nullptr;
};

}  // namespace tarvo
