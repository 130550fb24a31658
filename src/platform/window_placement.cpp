#include "platform/window_placement.h"

#include <QGuiApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QWidget>
#include <algorithm>

namespace tarvo {

void placeOnScreen(QWidget* window, QSize wanted, QSize frame) {
  QScreen* screen =
      window->screen() != nullptr ? window->screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) {
    window->resize(wanted);
    return;
  }
  const QRect room = screen->availableGeometry();
  const QSize most =
      (room.size() - frame).expandedTo(window->minimumSizeHint()).expandedTo(window->minimumSize());
  const QSize size = wanted.boundedTo(most);
  window->resize(size);
  const QRect at(window->pos(), size + frame);
  if (!room.contains(at)) {
    // Centred in the free area; the window system may place it better.
    window->move(room.x() + std::max(0, (room.width() - at.width()) / 2),
                 room.y() + std::max(0, (room.height() - at.height()) / 2));
  }
}

void placeMainWindow(QMainWindow* window, QSize client) {
  const int menuHeight = std::max(window->menuBar()->heightForWidth(client.width()), 0);
  const int menu = menuHeight > 0 ? menuHeight : window->menuBar()->sizeHint().height();
  placeOnScreen(window, QSize(client.width(),
                              client.height() + menu + window->statusBar()->sizeHint().height()));
}

QWidget* makeClientArea(QMainWindow* window, QSize first, QSize least) {
  auto* client = new QWidget(window);
  client->setObjectName("clientArea");
  client->setMinimumSize(least);
  client->resize(first);
  client->installEventFilter(window);
  return client;
}

}  // namespace tarvo
