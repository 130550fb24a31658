// A viewport that shows part of one larger child (a picture surface) and
// clips the rest; a scroll bar moves the child inside it.
#pragma once

#include <QWidget>

namespace tarvo {

class ClipViewport : public QWidget {
  Q_OBJECT

 public:
  explicit ClipViewport(QWidget* parent);

  // Places `content` (a child of this viewport) so that its row `y` is at the
  // top of the viewport.
  static void scrollTo(QWidget* content, int y);
};

}  // namespace tarvo
