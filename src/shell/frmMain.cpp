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
#include "screens/field_edits.h"
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

frmMain::frmMain(UserDialogs& userDialogs, QWidget* parent)
    : QMainWindow(parent), dialogs(userDialogs) {
  setObjectName("frmMain");
  // Start-up, in the program's order: title, an empty image, the dialog's
  // folder, the colours, everything disabled, the grid lines.
  appTitle = QString("Tarvo-Field Editor v%1.%2.%3")
                 .arg(TARVO_VERSION_MAJOR)
                 .arg(TARVO_VERSION_MINOR)
                 .arg(TARVO_VERSION_PATCH);
  setWindowTitle(appTitle + " [...]");
  romImage.assign(1, 0);
  dialogDirectory = QCoreApplication::applicationDirPath();
  buildColorTable();

  buildControls();
  buildMenus();
  buildTools();
  enableMenus(false);
  enableViews(false);
  createGridLines();
  statusBar()->setObjectName("statusBar");
  lblConsoleColours = addConsoleColoursLabel(statusBar());
  setAcceptDrops(true);
  connect(&emulator, &EmulatorLauncher::failed, this,
          [this](const QString& message) { statusBar()->showMessage(message, 10000); });

  placeMainWindow(this, QSize(kClientWidth, kClientHeight));
  restoreSettings();
  startRecovery();
  romDocument.history().addListener(&field);
  romDocument.history().addListener(this);
}

frmMain::~frmMain() {
  mapTools.reset();
  romDocument.history().removeListener(this);
  romDocument.history().removeListener(&field);
  if (altPane) {
    altPane->disconnect(this);
    delete altPane;
  }
  // The picture widgets go before the surfaces they show, which are members.
  delete takeCentralWidget();
}

frmAltPane* frmMain::editorWindow() const {
  return altPane.data();
}

void frmMain::openEditor(int ap, int metaID) {
  if (!altPane) {
    altPane =
        new frmAltPane(romDocument.history(), dialogs);  // a window of its own, without an owner
    connect(altPane, &frmAltPane::unloaded, this, &frmMain::altPane_Unload);
    connect(altPane, &frmAltPane::undoRequested, this, &frmMain::undo);
    connect(altPane, &frmAltPane::redoRequested, this, &frmMain::redo);
    connect(altPane, &frmAltPane::saveRequested, this, [this] { saveRom(); });
    connect(altPane, &frmAltPane::exportRequested, this, &frmMain::menuFileExportImage_Click);
    connect(altPane, &frmAltPane::helpRequested, this, [this] { showKeyboardAndMouse(altPane); });
    connect(altPane, &frmAltPane::consoleColoursRequested, this,
            &frmMain::menuViewConsoleColours_Click);
    connect(altPane, &frmAltPane::playRequested, this, &frmMain::menuFilePlayInEmulator_Click);
    connect(altPane, &frmAltPane::metatilesChosen, this, &frmMain::showChosenMetatiles);
    connect(altPane, &frmAltPane::tileSelected, this, [this](int tile) {
      const bool batView = altPane->editor().paneMode() == PaneMode::BatView;
      setUsesSubject(
          {batView ? UsesSubject::Kind::BatViewTile : UsesSubject::Kind::FieldTile, tile});
    });
    altPane->setConsoleColours(colourMode() == ColourMode::Console);
  }
  altPane->setFileName(QFileInfo(loadedPath()).fileName());
  altPane->initGUI(ap, metaID);
  showHistoryState();
  altPane->show();
  altPane->raise();
  altPane->activateWindow();
}

void frmMain::undo() {
  romDocument.history().undo();  // the views follow through imageChanged
}

void frmMain::redo() {
  romDocument.history().redo();
}

void frmMain::imageChanged(const std::vector<ByteRange>& ranges) {
  // The pictures have followed already: they listen to the history
  // themselves, and were told first.
  const ImageDamage damage = damageOf(ranges);
  if (damage.fieldPalette) {
    showPalette();
  }
  if (menuViewShowUses->isChecked()) {
    showUses();
  }
  scheduleRecovery();
  if (mapTools.pasting() &&
      (damage.fieldPalette || damage.fieldTiles.any() || damage.metatiles.any())) {
    // The block's tiles or colours changed under the preview.
    pastePicture.set(field.blockPicture(mapTools.pasteBlock()));
    showToolState();
  }
}

void frmMain::historyChanged() {
  showHistoryState();
  scheduleRecovery();
}

void frmMain::showHistoryState() {
  const EditHistory& history = romDocument.history();
  const bool loaded = romDocument.isLoaded();
  undoItems.show(history, loaded);
  setWindowModified(loaded && romDocument.isModified());
  if (altPane) {
    altPane->showHistoryState(loaded && romDocument.isModified());
  }
}

void frmMain::showStatus(const std::string& text) {
  statusBar()->showMessage(QString::fromStdString(text));
}

void frmMain::altPane_Unload(int mode) {
  // The window deletes itself once it has gone; an opening from now on makes
  // a new one.
  altPane = nullptr;
  // Every edit has reached the views already; the field's pictures are drawn
  // once more whole, as the program has always done when that mode closes.
  if (mode == 0) {
    refreshGFX();
  }
  activateWindow();
}

void frmMain::shutEditor() {
  if (altPane) {
    altPane->close();
  }
}

void frmMain::closeEvent(QCloseEvent* event) {
  if (!maybeSave()) {
    event->ignore();
    return;
  }
  shutEditor();
  forgetRecovery();
  settings::setWindowGeometry("mainWindow", saveGeometry());
  event->accept();
}

void frmMain::menuHelpAbout_Click() {
  showMessage(QString("Tarvo-Field Editor\nVersion %1\n\nRedraws the playing field and the "
                      "Batter's View screen in the ROM image of an NES baseball game.")
                  .arg(TARVO_VERSION));
}

void frmMain::refreshGFX() {
  field.refreshGFX();
  showPalette();
}

void frmMain::showPalette() {
  const bool console = colourMode() == ColourMode::Console;
  for (std::size_t i = 0; i < lblnespal_edit.size(); ++i) {
    const Color colour = paletteColor(field.fieldPalette[i]);
    QPalette palette = lblnespal_edit[i]->palette();
    palette.setColor(QPalette::Window, QColor(redOf(colour), greenOf(colour), blueOf(colour)));
    lblnespal_edit[i]->setPalette(palette);
    // The console shows entry 0 in place of entries 4, 8 and 12.
    if (i == 4 || i == 8 || i == 12) {
      lblnespal_edit[i]->setCrossed(console);
      lblnespal_edit[i]->setToolTip(
          console ? "Not shown by the console: pixel value 0 of every sub-palette shows entry "
                    "0.\nDouble-click to choose another colour"
                  : "Double-click to choose another colour");
    }
  }
  showSubPaletteColours();
}

void frmMain::menuViewConsoleColours_Click(bool on) {
  settings::setFlag("view/consoleColours", on);
  setConsoleColours(on);
}

void frmMain::setConsoleColours(bool on) {
  menuViewConsoleColours->setChecked(on);
  lblConsoleColours->setVisible(on);
  const ColourMode mode = on ? ColourMode::Console : ColourMode::Editor;
  if (mode != field.colourMode()) {
    field.setColourMode(mode);
    if (romDocument.isLoaded()) {
      refreshGFX();
    }
    if (mapTools.pasting()) {
      pastePicture.set(field.blockPicture(mapTools.pasteBlock()));
      showToolState();
    }
  }
  if (altPane) {
    altPane->setConsoleColours(on);
  }
}

void frmMain::lblnespal_edit_DblClick(int index) {
  if (!romDocument.isLoaded() || index < 0 || index >= 16) {
    return;  // entries 16 to 31 come from nowhere in the image
  }
  const int chosen = dialogs.chooseNesColour(this, QString("Field palette, entry %1").arg(index),
                                             field.fieldPalette[static_cast<std::size_t>(index)]);
  if (chosen < 0) {
    return;
  }
  setFieldColour(romDocument.history(), romImage, index, static_cast<std::uint8_t>(chosen));
}

}  // namespace tarvo
