// Drives the real windows as a user would: controls found by their object
// names, and the mouse sent to the top-level window so that it goes through
// Qt's routing and its mouse grab (positions in pixels of the control).
#pragma once

#include <QTest>
#include <QWidget>
#include <QWindow>
#include <vector>

#include "gfx/surface.h"

namespace tarvo::test {

template <typename T = QWidget>
T* named(QObject* root, const char* name) {
  T* found = root->findChild<T*>(name);
  if (found == nullptr) {
    qFatal("no control named %s", name);
  }
  return found;
}

// Member `index` of a control array (controls sharing a name, told apart by
// their "index" property).
template <typename T = QWidget>
T* member(QObject* root, const char* name, int index) {
  for (T* item : root->findChildren<T*>(name)) {
    if (item->property("index").toInt() == index) {
      return item;
    }
  }
  qFatal("no %s(%d)", name, index);
}

inline QPoint inWindow(QWidget* control, int x, int y) {
  return control->mapTo(control->window(), QPoint(x, y));
}

inline void pressOn(QWidget* control, int x, int y, Qt::MouseButton button = Qt::LeftButton) {
  QTest::mousePress(control->window()->windowHandle(), button, {}, inWindow(control, x, y));
}

inline void releaseOn(QWidget* control, int x, int y, Qt::MouseButton button = Qt::LeftButton) {
  QTest::mouseRelease(control->window()->windowHandle(), button, {}, inWindow(control, x, y));
}

inline void moveOn(QWidget* control, int x, int y) {
  QTest::mouseMove(control->window()->windowHandle(), inWindow(control, x, y));
}

inline void clickOn(QWidget* control, int x, int y, Qt::MouseButton button = Qt::LeftButton) {
  pressOn(control, x, y, button);
  releaseOn(control, x, y, button);
}

inline std::vector<Color> pixelsOf(const Surface& surface) {
  return {surface.pixels(), surface.pixels() + surface.width() * surface.height()};
}

}  // namespace tarvo::test
