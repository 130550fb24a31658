#include "editor/frmAltPane.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <tuple>

#include "platform/budget_panel.h"
#include "platform/clickable_label.h"
#include "platform/editor_settings.h"
#include "platform/line_overlay.h"
#include "platform/menu_items.h"
#include "platform/picture_surface.h"
#include "platform/user_dialogs.h"
#include "platform/window_placement.h"
#include "platform/zoom_view.h"
#include "screens/block_picture.h"
#include "screens/chr_import.h"
#include "screens/grid_lines.h"
#include "screens/status_text.h"
#include "screens/views.h"

namespace tarvo {

namespace {

void fill(QLabel* label, Color colour) {
  QPalette colours = label->palette();
  colours.setColor(QPalette::Window, QColor(redOf(colour), greenOf(colour), blueOf(colour)));
  label->setPalette(colours);
}

}  // namespace

frmAltPane::frmAltPane(EditHistory& editHistory, UserDialogs& userDialogs, QWidget* parent)
    : QMainWindow(parent), tiles(romImage), history(editHistory), dialogs(userDialogs) {
  setObjectName("frmAltPane");
  setAttribute(Qt::WA_DeleteOnClose);
  buildControls();
  buildMenus();
  buildTools();
  buildTilesMenu();
  statusBar()->setObjectName("statusBar");  // before the size is taken: it takes a line
  lblConsoleColours = addConsoleColoursLabel(statusBar());
  placeMainWindow(this, QSize(kClientWidth, kClientHeight));
  restoreSettings();
  history.addListener(&tiles);
  history.addListener(this);
}

frmAltPane::~frmAltPane() {
  stopListening();
  resetTools();
  // The picture widgets go before the surfaces they show, which are members.
  delete takeCentralWidget();
}

void frmAltPane::initGUI(int ap, int metaID) {
  resetTools();
  setAltPicks(settings::flag(settings::kAltPicksKey, false));
  pastePicture.reset();
  tiles.initGUI(ap, metaID);
  const bool batView = tiles.paneMode() == PaneMode::BatView;
  if (batView) {
    cellTools.setGrid(batViewCells);
  } else {
    cellTools.setGrid(metatileCells);
  }
  // A rectangle selection is for the batter's view.
  toolMenu.actions[static_cast<std::size_t>(Tool::Select)]->setEnabled(batView);
  if (!batView && cellTools.tool() == Tool::Select) {
    chooseTool(Tool::Brush);
  }
  showToolState();
  if (tiles.showUnused() != menuViewShowUnused->isChecked()) {
    tiles.setShowUnused(menuViewShowUnused->isChecked());
  }
  fraMetaEdit->setVisible(tiles.paneMode() == PaneMode::Metatiles);
  fraBatEdit->setVisible(tiles.paneMode() == PaneMode::BatView);
  layoutControls();
  showCaption();
  // Ctrl+E exports the tiles this window edits.
  for (const View view : {View::FieldChr, View::BatViewChr}) {
    auto* item = findChild<QAction*>(
        QString::fromUtf8(kViews[static_cast<int>(view)].menuName.data(),
                          static_cast<int>(kViews[static_cast<int>(view)].menuName.size())));
    const bool mine = (view == View::FieldChr) == (tiles.paneMode() == PaneMode::Metatiles);
    item->setShortcut(mine ? QKeySequence("Ctrl+E") : QKeySequence());
  }
  {
    // Setting the bar must not run its handler on a stale value.
    const QSignalBlocker blocker(hscr_meta);
    hscr_meta->setValue(tiles.selMeta());
  }
  showSubPalette();
  showZoomState();
  picPatternTable->setHighlights({}, {});
  dockBudget->recount(romImage);
}

void frmAltPane::imageChanged(const std::vector<ByteRange>& ranges) {
  dockBudget->update(romImage, ranges);
  const ImageDamage damage = damageOf(ranges);
  if (cellTools.pasting() && (damage.batViewPalette || damage.batViewTiles.any())) {
    // The block's tiles or colours changed under the preview.
    pastePicture.set(batViewBlockPicture(romImage, cellTools.pasteBlock(), tiles.picPatTbl));
    showToolState();
  }
  if (tiles.paneMode() == PaneMode::Metatiles ? damage.fieldPalette : damage.batViewPalette) {
    showSubPalette();
  } else if (damage.mapCells.any() || damage.metatiles.any() || damage.batViewCells.any()) {
    showUsage();
  }
}

void frmAltPane::showHistoryState(bool isModified) {
  modified = isModified;
  setWindowModified(modified);
  undoItems.show(history, true);
}

void frmAltPane::showStatus(const std::string& text) {
  statusBar()->showMessage(QString::fromStdString(text));
}

void frmAltPane::drawTileSheets() {
  tiles.drawTileSheets();
}

void frmAltPane::redrawEditors() {
  tiles.redrawEditors();
  showLabels();
}

void frmAltPane::redrawAll() {
  tiles.redrawAll();
  showLabels();
}

void frmAltPane::showSubPalette() {
  const bool console = tiles.colourMode() == ColourMode::Console;
  for (int k = 0; k < 4; ++k) {
    ClickableLabel* swatch = lblnespal_tEdit[static_cast<std::size_t>(k)];
    swatch->setFill(tiles.swatchColour(k));
    // Slot 0 of sub-palettes 1 to 3 shows entry 0 on the console.
    const bool hidden = console && k == 0 && tiles.selPal() != 0;
    if (swatch->crossed() != hidden) {
      swatch->setCrossed(hidden);
      const QString tip = "Press to choose a pen's colour; double-click to change the colour";
      swatch->setToolTip(hidden ? "Not shown by the console: pixel value 0 of every sub-palette "
                                  "shows entry 0 of the palette.\n" +
                                      tip
                                : tip);
    }
  }
  showLabels();
}

void frmAltPane::setConsoleColours(bool on) {
  menuViewConsoleColours->setChecked(on);
  lblConsoleColours->setVisible(on);
  const ColourMode mode = on ? ColourMode::Console : ColourMode::Editor;
  if (mode == tiles.colourMode()) {
    return;
  }
  tiles.setColourMode(mode);
  showSubPalette();
  if (cellTools.pasting()) {
    pastePicture.set(batViewBlockPicture(romImage, cellTools.pasteBlock(), tiles.picPatTbl));
    showToolState();
  }
}

void frmAltPane::showLabels() {
  lblSelTile->setText(QString::fromStdString(hexLabel(tiles.selTile())));
  lbl_4selMeta->setText(QString::fromStdString(hexLabel(tiles.selMeta())));
  fill(lblselectedcolor[0], tiles.penColour(0));
  fill(lblselectedcolor[1], tiles.penColour(1));
  showSelectedTile();
  showUsage();
  emit tileSelected(tiles.selTile());
}

void frmAltPane::showUsage() {
  lblTileUsage->setText(QString::fromStdString(tiles.usageText()));
}

void frmAltPane::picPatternTable_MouseDown(int, int, int x, int y) {
  picPatternTable->setHighlights({}, {});
  tiles.patternTablePress(x, y);
  showLabels();
  showStatus(patternTableStatus(tiles.bank(), x, y));
}

void frmAltPane::lblnespal_tEdit_MouseDown(int index, int button) {
  tiles.swatchPress(index, button);
  showLabels();
}

void frmAltPane::cmdPrevPal_Click() {
  tiles.previousPalette();
  showSubPalette();
}

void frmAltPane::cmdNextPal_Click() {
  tiles.nextPalette();
  showSubPalette();
}

void frmAltPane::tileButton_Click(TileOperation operation) {
  edits.applyOperation(operation);
}

void frmAltPane::hscr_meta_Change(int value) {
  tiles.metatileRefresh(value);
  showLabels();
}

void frmAltPane::menuViewShowGrid_Click() {
  const bool visible = menuViewShowGrid->isChecked();
  for (LineOverlay* line : lineVert) {
    line->setVisible(visible);
  }
  for (LineOverlay* line : lineHoriz) {
    line->setVisible(visible);
  }
}

void frmAltPane::hscrGridColor_Change(int value) {
  const QColor colour(value, 0, 0);
  for (LineOverlay* line : lineVert) {
    line->setColour(colour);
  }
  for (LineOverlay* line : lineHoriz) {
    line->setColour(colour);
  }
}

void frmAltPane::stopListening() {
  if (listening_) {
    history.removeListener(this);
    history.removeListener(&tiles);
    listening_ = false;
  }
}

void frmAltPane::Form_Unload() {
  if (unloaded_) {
    return;
  }
  unloaded_ = true;
  // The window is deleted later, maybe after the main window and its
  // history: it stops listening now, while the history is there.
  stopListening();
  resetTools();
  emit unloaded(static_cast<int>(tiles.paneMode()));
}

void frmAltPane::closeEvent(QCloseEvent* event) {
  settings::setWindowGeometry("editorWindow", saveGeometry());
  Form_Unload();
  event->accept();
}

void frmAltPane::lblnespal_tEdit_DblClick(int index) {
  const int entry = tiles.selPal() * 4 + index;
  const QString which =
      tiles.paneMode() == PaneMode::Metatiles ? "Field palette" : "Batter's view palette";
  const int chosen = dialogs.chooseNesColour(this, QString("%1, entry %2").arg(which).arg(entry),
                                             tiles.palData()[static_cast<std::size_t>(entry)]);
  if (chosen < 0) {
    return;
  }
  edits.setColour(index, static_cast<std::uint8_t>(chosen));
}

void frmAltPane::menuEditImportTiles_Click() {
  const QString path = dialogs.openFileName(this, QString(), "PNG image (*.png)");
  if (path.isEmpty()) {
    return;
  }
  ByteArray png;
  std::string reason;
  TilePixels imported;
  const QString name = QFileInfo(path).fileName();
  if (!readWholeFile(path.toStdString(), png, 16 * 1024 * 1024, &reason) ||
      !importPatternTable(png, tiles.palData(), tiles.selPal(), imported, &reason)) {
    dialogs.message(
        this, windowTitle(),
        QString("%1 was not imported.\n\n%2.").arg(name, QString::fromStdString(reason)));
    return;
  }
  edits.importTiles(imported);
}

void frmAltPane::menuViewShowUnused_Click() {
  tiles.setShowUnused(menuViewShowUnused->isChecked());
}

bool frmAltPane::eventFilter(QObject* watched, QEvent* event) {
  if (watched == clientArea && event->type() == QEvent::Resize) {
    layoutControls();
  }
  return QMainWindow::eventFilter(watched, event);
}

void frmAltPane::setFileName(const QString& name) {
  fileName = name;
  showCaption();
}

void frmAltPane::showCaption() {
  // As the main window's: "[*]" in the file's own name is doubled to show as
  // it is.
  QString shownName = fileName;
  shownName.replace("[*]", "[*][*]");
  const QString mode =
      tiles.paneMode() == PaneMode::Metatiles ? "Metatile Editor" : "Batter View Editor";
  setWindowTitle(fileName.isEmpty() ? mode : mode + " [" + shownName + "][*]");
  setWindowModified(modified);
}

void frmAltPane::showSelectedTile() {
  const int tile = tiles.selTile();
  picPatternTable->setMark(
      0, SurfaceMark{{(tile % 16) * 16, (tile / 16) * 16, 16, 16}, QColor(255, 64, 64), 2, false});
}

void frmAltPane::picPatternTable_Arrow(int dx, int dy) {
  const int tile = tiles.selTile();
  const int column = tile % 16 + dx;
  const int row = tile / 16 + dy;
  if (column < 0 || column > 15 || row < 0 || row > 15) {
    return;
  }
  tiles.selectTile(static_cast<std::uint8_t>(row * 16 + column));
  showLabels();
  picPatternTableContainer->keepInSight({column * 16, row * 16, 16, 16});
}

}  // namespace tarvo
