// Menu items both windows have: named items, File > Export Image with an
// item a view, and the three zoom items of the View menu.
#pragma once

#include <QString>
#include <functional>
#include <string>

class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QStatusBar;

namespace tarvo {

// An item with its object name.
QAction* addNamedAction(QMenu* menu, const char* name, const QString& caption);

// "Export &Image", with an item for each of the views `tarvo-cli export`
// knows; `chosen` gets the view's number.
QMenu* addExportImageMenu(QMenu* file, const std::function<void(int view)>& chosen);

// Zoom In (Ctrl++ and Ctrl+=), Zoom Out (Ctrl+-) and Actual Size (Ctrl+0).
// `zoomBy` gets +1 or -1, or 0 for Actual Size.
struct ZoomItems {
  QAction* zoomIn = nullptr;
  QAction* zoomOut = nullptr;
  QAction* actualSize = nullptr;

  // Enables what can go on from `zoom` and names `view` in the tips.
  void show(int zoom, const QString& view) const;
};
// The Edit menu's items for a selection: Copy (Ctrl+C), Paste (Ctrl+V),
// Delete (Del), Select All (Ctrl+A) and Deselect (Esc, Ctrl+Shift+A), put
// before `before` with a separator after them.
struct SelectionItems {
  QAction* copy = nullptr;
  QAction* paste = nullptr;
  QAction* remove = nullptr;
  QAction* selectAll = nullptr;
  QAction* deselect = nullptr;
};
SelectionItems addSelectionItems(QMenu* menu, QAction* before);

// Esc reaches `deselect` whatever has the keyboard: also the menu bar, which
// keeps it after a menu opened from the keyboard was closed with Esc and
// would take the next Esc for itself.
void letEscapeThroughMenuBar(QMenuBar* bar, QAction* deselect);

// "&Undo Paste", "&Redo Fill": the Edit menu's items name the steps they
// would take back or do again.
void showUndoNames(QAction* undo, QAction* redo, const std::string& undoName,
                   const std::string& redoName);

ZoomItems addZoomItems(QMenu* menu, const std::function<void(int step)>& zoomBy);

// View > Console Colours (F6), a check item; `chosen` gets its new state.
QAction* addConsoleColoursItem(QMenu* view, const std::function<void(bool on)>& chosen);
// File > Play in Emulator (F5).
QAction* addPlayInEmulatorItem(QMenu* file, const std::function<void()>& chosen);
// The status bar's "Console colours", hidden until console colours are on.
QLabel* addConsoleColoursLabel(QStatusBar* bar);

}  // namespace tarvo
