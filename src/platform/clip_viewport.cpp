#include "platform/clip_viewport.h"

namespace tarvo {

ClipViewport::ClipViewport(QWidget* parent) : QWidget(parent) {}

void ClipViewport::scrollTo(QWidget* content, int y) {
  content->move(content->x(), -y);
}

}  // namespace tarvo
