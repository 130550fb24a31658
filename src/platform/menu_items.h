// Menu items both windows have: named items, File > Export Image with an
// item a view, and the three zoom items of the View menu.
#pragma once

#include <QString>
#include <array>
#include <functional>
#include <string>
#include <vector>

class QAction;
class QActionGroup;
class QMainWindow;
class QLabel;
class QMenu;
class QMenuBar;
class QStatusBar;

#include "screens/grid_tools.h"
#include "shell/edit_history.h"

namespace tarvo {

// An item with its object name.
QAction* addNamedAction(QMenu* menu, const char* name, const QString& caption);

// "Export &Image", with an item for each of the views `tarvo-cli export`
// knows; `chosen` gets the view's number.
QMenu* addExportImageMenu(QMenu* file, const std::function<void(int view)>& chosen);

// Zoom In (Ctrl++ and Ctrl+=), Zoom Out (Ctrl+-) and Actual Size (Ctrl+0).
// `zoomBy` gets +1 or -1, or 0 for Actual Size.
// Zoom In (Ctrl++ and Ctrl+=), Zoom Out (Ctrl+-) and Actual Size (Ctrl+0).
// `zoomBy` gets +1 or -1, or 0 for Actual Size.
struct ZoomItems {
  QAction* zoomIn = nullptr;
  QAction* zoomOut = nullptr;
  QAction* actualSize = nullptr;

  // Enables what can go on from `zoom` and names `view` in the tips.
  void show(int zoom, const QString& view) const;
};
ZoomItems addZoomItems(QMenu* menu, const std::function<void(int step)>& zoomBy);
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

struct ToolMenu {
  QMenu* menu = nullptr;
  QActionGroup* group = nullptr;
  std::array<QAction*, 5> actions{};  // in Tool's order; none for a tool not offered
};
// Where the tools work: their tips say what they do there.
enum class ToolPlace { FieldMap, GraphicsEditor };
// The Tools menu, before the Help menu of `window`'s menu bar: `tools` in
// that order, each a checkable item with its key (B, R, F, I, P) and its
// tip for `place`, in one exclusive group, the first checked; choosing one
// runs `chosen`.
ToolMenu addToolMenu(QMainWindow* window, ToolPlace place, const std::vector<Tool>& tools,
                     const std::function<void(Tool)>& chosen);

// The Help menu at the end of `bar`, with Keyboard and Mouse (F1), which
// runs `keys`.
QMenu* addHelpMenu(QMenuBar* bar, const std::function<void()>& keys);

// Esc reaches `deselect` whatever has the keyboard: also the menu bar, which
// keeps it after a menu opened from the keyboard was closed with Esc and
// would take the next Esc for itself.
void letEscapeThroughMenuBar(QMenuBar* bar, QAction* deselect);

// Edit > Undo (Ctrl+Z) and Redo (Ctrl+Shift+Z, Ctrl+Y), which `undo` and
// `redo` run.
struct UndoItems {
  QAction* undo = nullptr;
  QAction* redo = nullptr;

  // Enabled where `enabled` and the history can go that way, and named for
  // the steps they would take back or do again ("&Undo Paste").
  void show(const EditHistory& history, bool enabled) const;
};
UndoItems addUndoItems(QMenu* edit, const std::function<void()>& undo,
                       const std::function<void()>& redo);

// View > Console Colours (F6), a check item; `chosen` gets its new state.
QAction* addConsoleColoursItem(QMenu* view, const std::function<void(bool on)>& chosen);
// File > Play in Emulator (F5).
QAction* addPlayInEmulatorItem(QMenu* file, const std::function<void()>& chosen);
// The status bar's "Console colours", hidden until console colours are on.
QLabel* addConsoleColoursLabel(QStatusBar* bar);

}  // namespace tarvo
