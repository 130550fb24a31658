// The main window's settings: what the last run left, Edit > Preferences,
// the recent files and the messages that can be switched off; and Help.
#include "shell/frmMain.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeySequence>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolBar>

#include "editor/frmAltPane.h"
#include "gfx/colors.h"
#include "platform/clickable_label.h"
#include "platform/editor_settings.h"
#include "platform/line_overlay.h"
#include "platform/menu_items.h"
#include "platform/picture_surface.h"
#include "platform/user_dialogs.h"
#include "platform/window_placement.h"
#include "platform/zoom_view.h"
#include "screens/field_renderer.h"
#include "screens/help_text.h"
#include "screens/metatile_picker.h"
#include "screens/status_text.h"
#include "screens/views.h"
#include "shell/command_line.h"
#include "shell/patches.h"
#include "shell/preview_rom.h"
#include "shell/rom_image.h"
#include "shell/rom_info.h"
#include "shell/rom_locations.h"
namespace tarvo {

void frmMain::showKeyboardAndMouse(QWidget* parent) {
  dialogs.showHelp(parent, "Keyboard and Mouse", keyboardAndMouseHelp());
}

void frmMain::showFileMessage(const QString& text) {
  if (!settings::showFileMessages()) {
    statusBar()->showMessage(text, 5000);
    return;
  }
  if (dialogs.messageOnce(this, appTitle, text)) {
    settings::setShowFileMessages(false);
  }
}

void frmMain::menuEditPreferences_Click() {
  UserDialogs::Preferences preferences;
  preferences.showFileMessages = settings::showFileMessages();
  preferences.emulatorCommand = settings::text("emulator/command");
  preferences.altPicks = settings::flag(settings::kAltPicksKey, false);
  if (dialogs.editPreferences(this, preferences)) {
    settings::setShowFileMessages(preferences.showFileMessages);
    settings::setText("emulator/command", preferences.emulatorCommand);
    settings::setFlag(settings::kAltPicksKey, preferences.altPicks);
    mapTools.setAltPicks(preferences.altPicks);
    if (altPane) {
      altPane->setAltPicks(preferences.altPicks);
    }
  }
}

void frmMain::buildRecentFiles() {
  // The items are made once and only change: an item may be the one whose
  // choice is running when the list changes.
  for (int i = 0; i < settings::kMaxRecentFiles; ++i) {
    QAction* item = menuFileRecent->addAction(QString());
    item->setObjectName("menuFileRecentFile");
    item->setProperty("index", i);
    connect(item, &QAction::triggered, this, [this, item] {
      const QString path = item->data().toString();
      if (path.isEmpty() || !maybeSave()) {
        return;
      }
      if (!loadRomFile(path) && !QFileInfo::exists(path)) {
        settings::removeRecentFile(path);  // gone: no use offering it again
        showRecentFiles();
      }
    });
  }
  menuFileRecent->addSeparator();
  QAction* clear = menuFileRecent->addAction("&Clear");
  clear->setObjectName("menuFileRecentClear");
  connect(clear, &QAction::triggered, this, [this] {
    settings::clearRecentFiles();
    showRecentFiles();
  });
}

void frmMain::showRecentFiles() {
  const QStringList files = settings::recentFiles();
  const QList<QAction*> items = menuFileRecent->actions();
  for (int i = 0; i < settings::kMaxRecentFiles; ++i) {
    QAction* item = items.at(i);
    const QString path = i < files.size() ? files.at(i) : QString();
    // "&&" shows one "&" of the file's own name.
    item->setText(QString("&%1 %2").arg(i + 1).arg(QFileInfo(path).fileName().replace("&", "&&")));
    item->setData(path);
    item->setStatusTip(path);
    item->setToolTip(path);
    item->setVisible(!path.isEmpty());
  }
  findChild<QAction*>("menuFileRecentClear")->setEnabled(!files.isEmpty());
}

void frmMain::restoreSettings() {
  const QByteArray geometry = settings::windowGeometry("mainWindow");
  if (!geometry.isEmpty()) {
    restoreGeometry(geometry);
  }
  const QString folder = settings::lastFolder();
  if (!folder.isEmpty() && QFileInfo(folder).isDir()) {
    dialogDirectory = folder;
  }
  mapTools.setAltPicks(settings::flag(settings::kAltPicksKey, false));
  restoreUsesSettings();
  PicMetaContainer->restoreZoom();
  picMapContainer->restoreZoom();
  lastZoomView = picMapContainer;
  showZoomState();
  const std::pair<QAction*, const char*> grids[] = {
      {menuViewFieldGrid, "grid/field"},
      {menuViewMetaGrid, "grid/tiles"},
      {menuViewQuadGrid, "grid/quadrants"},
  };
  for (const auto& [item, key] : grids) {
    if (settings::flag(key, false)) {
      item->setChecked(true);
    }
    connect(item, &QAction::toggled, this, [key = key](bool on) { settings::setFlag(key, on); });
  }
  menuViewFieldGrid_Click();
  menuViewMetaGrid_Click();
  menuViewQuadGrid_Click();
  setConsoleColours(settings::flag("view/consoleColours", false));
  showRecentFiles();
}
}  // namespace tarvo
