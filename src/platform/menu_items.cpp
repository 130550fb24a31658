#include "platform/menu_items.h"

#include <QAction>
#include <QActionGroup>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QStatusBar>
#include <string>

#include "screens/view_transform.h"
#include "screens/views.h"

namespace tarvo {

QAction* addNamedAction(QMenu* menu, const char* name, const QString& caption) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(name);
  return action;
}

QMenu* addExportImageMenu(QMenu* file, const std::function<void(int view)>& chosen) {
  QMenu* menu = file->addMenu("Export &Image");
  menu->setObjectName("menuFileExportImage");
  for (int view = 0; view < static_cast<int>(kViews.size()); ++view) {
    const ViewInfo& info = kViews[static_cast<std::size_t>(view)];
    QAction* action = addNamedAction(
        menu, std::string(info.menuName).c_str(),
        QString::fromUtf8(info.menuCaption.data(), static_cast<int>(info.menuCaption.size())));
    QObject::connect(action, &QAction::triggered, menu, [chosen, view] { chosen(view); });
  }
  return menu;
}

ZoomItems addZoomItems(QMenu* menu, const std::function<void(int step)>& zoomBy) {
  ZoomItems items;
  items.zoomIn = addNamedAction(menu, "menuViewZoomIn", "Zoom &In");
  items.zoomIn->setShortcuts({QKeySequence("Ctrl++"), QKeySequence("Ctrl+=")});
  items.zoomOut = addNamedAction(menu, "menuViewZoomOut", "Zoom &Out");
  items.zoomOut->setShortcut(QKeySequence("Ctrl+-"));
  items.actualSize = addNamedAction(menu, "menuViewActualSize", "&Actual Size");
  items.actualSize->setShortcut(QKeySequence("Ctrl+0"));
  QObject::connect(items.zoomIn, &QAction::triggered, menu, [zoomBy] { zoomBy(1); });
  QObject::connect(items.zoomOut, &QAction::triggered, menu, [zoomBy] { zoomBy(-1); });
  QObject::connect(items.actualSize, &QAction::triggered, menu, [zoomBy] { zoomBy(0); });
  return items;
}

void ZoomItems::show(int zoom, const QString& view) const {
  zoomIn->setEnabled(zoom < kMaxZoom);
  zoomOut->setEnabled(zoom > kMinZoom);
  actualSize->setEnabled(zoom != 1);
  for (QAction* action : {zoomIn, zoomOut, actualSize}) {
    action->setStatusTip(QString("Zoom of %1: %2x").arg(view).arg(zoom));
  }
}

SelectionItems addSelectionItems(QMenu* menu, QAction* before) {
  auto add = [&](const char* name, const QString& caption, const QList<QKeySequence>& keys) {
    auto* action = new QAction(caption, menu);
    action->setObjectName(name);
    action->setShortcuts(keys);
    menu->insertAction(before, action);
    return action;
  };
  SelectionItems items;
  items.copy = add("menuEditCopy", "&Copy", {QKeySequence("Ctrl+C")});
  items.paste = add("menuEditPaste", "&Paste", {QKeySequence("Ctrl+V")});
  items.remove = add("menuEditDelete", "&Delete", {QKeySequence(Qt::Key_Delete)});
  items.selectAll = add("menuEditSelectAll", "Select &All", {QKeySequence("Ctrl+A")});
  items.deselect = add("menuEditDeselect", "Dese&lect",
                       {QKeySequence(Qt::Key_Escape), QKeySequence("Ctrl+Shift+A")});
  items.deselect->setStatusTip(
      "Esc: cancels a paste or a selection drag, else clears the selection");
  menu->insertSeparator(before);
  return items;
}

namespace {

class EscapeThroughMenuBar : public QObject {
 public:
  EscapeThroughMenuBar(QAction* deselect, QObject* parent) : QObject(parent), deselect_(deselect) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress && deselect_ && deselect_->isEnabled()) {
      const auto* key = static_cast<QKeyEvent*>(event);
      if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
        deselect_->trigger();  // and the menu bar gives the keyboard back
      }
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  QPointer<QAction> deselect_;
};

}  // namespace

namespace {

struct ToolItem {
  Tool tool;
  const char* name;     // the action's object name
  const char* caption;  // in the Tools menu
  const char* label;    // on a tool bar
  const char* key;
  const char* fieldTip;
  const char* editorTip;
};

constexpr ToolItem kToolItems[] = {
    {Tool::Brush, "toolBrush", "&Brush", "Brush", "B",
     "Brush (B): put the selected metatile into every cell the pointer passes",
     "Brush (B): paint pixels of the enlarged tile; put the selected tile into cells"},
    {Tool::Select, "toolSelect", "&Rectangle Select", "Select", "R",
     "Rectangle select (R): drag over cells; Ctrl+A the whole field, Esc clears",
     "Rectangle select (R): drag over cells of the batter's view"},
    {Tool::Fill, "toolFill", "&Fill", "Fill", "F",
     "Fill (F): the connected cells of the pressed cell's metatile take the selected one",
     "Fill (F): the joined pixels of one colour take the button's pen; in the batter's "
     "view, the joined cells of one tile take the selected tile"},
    {Tool::Pick, "toolPick", "&Pick", "Pick", "I", "Pick (I): select the pressed cell's metatile",
     "Pick (I): a pixel's colour becomes the button's pen; a cell's tile becomes the "
     "selected tile"},
    {Tool::SubPalette, "toolSubPalette", "&Sub-palette Brush", "Sub-palette", "P",
     "Sub-palette brush (P): every quadrant the pointer passes takes the chosen sub-palette "
     "(1 to 4)",
     ""},
};

}  // namespace

ToolMenu addToolMenu(QMainWindow* window, ToolPlace place, const std::vector<Tool>& tools,
                     const std::function<void(Tool)>& chosen) {
  ToolMenu menu;
  menu.menu = new QMenu("&Tools", window);
  menu.menu->setObjectName("menuTools");
  window->menuBar()->insertMenu(window->findChild<QMenu*>("menuHelp")->menuAction(), menu.menu);
  menu.group = new QActionGroup(window);
  menu.group->setExclusive(true);
  for (const Tool tool : tools) {
    const ToolItem& item = kToolItems[static_cast<std::size_t>(tool)];
    const char* tip = place == ToolPlace::FieldMap ? item.fieldTip : item.editorTip;
    QAction* action = addNamedAction(menu.menu, item.name, item.caption);
    action->setCheckable(true);
    action->setShortcut(QKeySequence(item.key));
    action->setToolTip(tip);
    action->setStatusTip(tip);
    action->setIconText(item.label);
    menu.group->addAction(action);
    menu.actions[static_cast<std::size_t>(tool)] = action;
    QObject::connect(action, &QAction::triggered, window, [chosen, tool] { chosen(tool); });
  }
  menu.actions[static_cast<std::size_t>(tools.front())]->setChecked(true);
  return menu;
}

QMenu* addHelpMenu(QMenuBar* bar, const std::function<void()>& keys) {
  QMenu* menuHelp = bar->addMenu("&Help");
  menuHelp->setObjectName("menuHelp");
  QAction* menuHelpKeys = addNamedAction(menuHelp, "menuHelpKeys", "&Keyboard and Mouse");
  menuHelpKeys->setShortcut(QKeySequence("F1"));
  QObject::connect(menuHelpKeys, &QAction::triggered, bar, [keys] { keys(); });
  return menuHelp;
}

void letEscapeThroughMenuBar(QMenuBar* bar, QAction* deselect) {
  bar->installEventFilter(new EscapeThroughMenuBar(deselect, bar));
}

UndoItems addUndoItems(QMenu* edit, const std::function<void()>& undo,
                       const std::function<void()>& redo) {
  UndoItems items;
  items.undo = addNamedAction(edit, "menuEditUndo", "&Undo");
  items.undo->setShortcut(QKeySequence("Ctrl+Z"));
  items.redo = addNamedAction(edit, "menuEditRedo", "&Redo");
  items.redo->setShortcuts({QKeySequence("Ctrl+Shift+Z"), QKeySequence("Ctrl+Y")});
  QObject::connect(items.undo, &QAction::triggered, edit, [undo] { undo(); });
  QObject::connect(items.redo, &QAction::triggered, edit, [redo] { redo(); });
  return items;
}

void UndoItems::show(const EditHistory& history, bool enabled) const {
  undo->setEnabled(enabled && history.canUndo());
  redo->setEnabled(enabled && history.canRedo());
  const auto caption = [](const char* verb, const std::string& name) {
    QString text = QString::fromStdString(name);
    // A step's name shows as it is: "&&" is one "&".
    return name.empty() ? QString(verb) : QString("%1 %2").arg(verb, text.replace("&", "&&"));
  };
  undo->setText(caption("&Undo", history.undoName()));
  redo->setText(caption("&Redo", history.redoName()));
  undo->setStatusTip(QString::fromStdString(history.undoName()));
  redo->setStatusTip(QString::fromStdString(history.redoName()));
}

QAction* addConsoleColoursItem(QMenu* view, const std::function<void(bool on)>& chosen) {
  QAction* item = addNamedAction(view, "menuViewConsoleColours", "&Console Colours");
  item->setCheckable(true);
  item->setShortcut(QKeySequence("F6"));
  item->setStatusTip(
      "Pixel value 0 of every sub-palette in the palette's first colour, as the console shows it");
  QObject::connect(item, &QAction::triggered, view, [chosen](bool on) { chosen(on); });
  return item;
}

QAction* addPlayInEmulatorItem(QMenu* file, const std::function<void()>& chosen) {
  QAction* item = addNamedAction(file, "menuFilePlayInEmulator", "Play in &Emulator");
  item->setShortcut(QKeySequence("F5"));
  item->setStatusTip("Starts the emulator on a copy of the image as it is, unsaved edits included");
  QObject::connect(item, &QAction::triggered, file, [chosen] { chosen(); });
  return item;
}

QLabel* addConsoleColoursLabel(QStatusBar* bar) {
  auto* label = new QLabel("Console colours", bar);
  label->setObjectName("lblConsoleColours");
  label->hide();
  bar->insertPermanentWidget(0, label);
  return label;
}

}  // namespace tarvo
