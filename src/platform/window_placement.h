// Where a window opens: at the size it asks for where the screen has room,
// else as large as the screen's free area allows, and always inside it.
#pragma once

#include <QSize>

class QMainWindow;
class QWidget;

namespace tarvo {

// Gives `window` (not yet shown) the size `wanted`, less what the screen it
// will open on cannot hold, and moves it inside that screen's free area when
// it would reach past it. `frame` is what the window system adds around it.
void placeOnScreen(QWidget* window, QSize wanted, QSize frame = QSize(8, 32));

// placeOnScreen for a main window whose client area is `client`: its menu
// bar, at the client area's width (narrower, it would wrap), above, and its
// status bar below.
void placeMainWindow(QMainWindow* window, QSize client);

// A main window's client area ("clientArea"), `first` in size and never
// smaller than `least`; `window` filters its events, so that its resizes
// place the controls.
QWidget* makeClientArea(QMainWindow* window, QSize first, QSize least);

}  // namespace tarvo
