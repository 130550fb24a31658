#include "platform/menu_items.h"

#include <QAction>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
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

void letEscapeThroughMenuBar(QMenuBar* bar, QAction* deselect) {
  bar->installEventFilter(new EscapeThroughMenuBar(deselect, bar));
}

void showUndoNames(QAction* undo, QAction* redo, const std::string& undoName,
                   const std::string& redoName) {
  const auto caption = [](const char* verb, const std::string& name) {
    QString text = QString::fromStdString(name);
    // A step's name shows as it is: "&&" is one "&".
    return name.empty() ? QString(verb) : QString("%1 %2").arg(verb, text.replace("&", "&&"));
  };
  undo->setText(caption("&Undo", undoName));
  redo->setText(caption("&Redo", redoName));
  undo->setStatusTip(QString::fromStdString(undoName));
  redo->setStatusTip(QString::fromStdString(redoName));
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
