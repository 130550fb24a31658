// The graphics editor window's tools: the Tools menu, fill and pick on the
// enlarged tile, copy and paste of tiles, and the batter's view's rectangle
// selection with copy, paste and Delete.
#include <QAction>
#include <QActionGroup>
#include <QCursor>
#include <QEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

#include "editor/frmAltPane.h"
#include "platform/block_clipboard.h"
#include "platform/menu_items.h"
#include "platform/picture_surface.h"
#include "platform/zoom_view.h"
#include "screens/block_picture.h"
#include "screens/status_text.h"

namespace tarvo {

void frmAltPane::buildTools() {
  const ToolMenu tools = addToolMenu(this, ToolPlace::GraphicsEditor,
                                     {Tool::Brush, Tool::Fill, Tool::Select, Tool::Pick},
                                     [this](Tool tool) { chooseTool(tool); });
  toolMenu = tools;

  editItems = addSelectionItems(menuEdit, findChild<QAction*>("menuEditImportTiles"));
  editItems.copy->setStatusTip(
      "Copies the batter's view's selection, or without one the selected tile's 16 bytes");
  editItems.paste->setStatusTip(
      "Pastes a tile onto the selected tile, or a block of the batter's "
      "view to place with the pointer");
  letEscapeThroughMenuBar(menuBar(), editItems.deselect);
  connect(editItems.copy, &QAction::triggered, this, &frmAltPane::menuEditCopy_Click);
  connect(editItems.paste, &QAction::triggered, this, &frmAltPane::menuEditPaste_Click);
  connect(editItems.remove, &QAction::triggered, this,
          [this] { cellTools.deleteSelection(tiles.selTile()); });
  connect(editItems.selectAll, &QAction::triggered, this, [this] {
    if (tiles.paneMode() == PaneMode::BatView) {
      cellTools.selectAll();
      showToolState();
    }
  });
  connect(editItems.deselect, &QAction::triggered, this, [this] {
    if (cellTools.escape() || tileTools.escape()) {
      showToolState();
    }
  });

  lblTool = new QLabel(this);
  lblTool->setObjectName("lblTool");
  statusBar()->addPermanentWidget(lblTool);
}

void frmAltPane::chooseTool(Tool tool) {
  tileTools.setTool(tool);
  cellTools.setTool(tool);
  toolMenu.actions[static_cast<std::size_t>(tool)]->setChecked(true);
  showToolState();
}

void frmAltPane::changeEvent(QEvent* event) {
  // A stroke or drag whose release this window will not see ends here.
  if (event->type() == QEvent::ActivationChange && !isActiveWindow() &&
      (tileTools.inGesture() || cellTools.inGesture())) {
    tileTools.endGesture();
    cellTools.endGesture();
    showToolState();
  }
  QMainWindow::changeEvent(event);
}

void frmAltPane::showToolState() {
  showToolMarks(picBatView, cellTools, pastePicture);
  const std::optional<CellRect>& selection = cellTools.selection();
  const bool batView = tiles.paneMode() == PaneMode::BatView;
  editItems.remove->setEnabled(batView && selection.has_value());
  editItems.selectAll->setEnabled(batView);
  lblTool->setText(QString::fromStdString(cellTools.statusText()));
}

void frmAltPane::setAltPicks(bool on) {
  tileTools.setAltPicks(on);
  cellTools.setAltPicks(on);
}

void frmAltPane::resetTools() {
  tileTools.reset();
  cellTools.reset();
}

int frmAltPane::penOf(int buttons) const {
  return buttons == kLeftButton ? tiles.leftColor() : tiles.rightColor();
}

void frmAltPane::picSelectedTile_MouseDown(int button, int shift, int x, int y) {
  const GridTools::Result result = tileTools.press(button, shift, x, y, penOf(button));
  if (result.picked) {
    tiles.swatchPress(*result.picked, button);  // the pixel's colour as the button's pen
    showLabels();
  }
  showStatus(selectedTileStatus(tiles.bank(), tiles.selTile(), x, y));
}

void frmAltPane::picSelectedTile_MouseMove(int buttons, int, int x, int y) {
  tileTools.move(buttons, x, y, true, penOf(buttons));
  showStatus(selectedTileStatus(tiles.bank(), tiles.selTile(), x, y));
}

void frmAltPane::picSelectedTile_MouseUp(int button, int, int, int) {
  tileTools.release(button);
}

void frmAltPane::cellPress(int button, int shift, int x, int y) {
  const GridTools::Result result = cellTools.press(button, shift, x, y, tiles.selTile());
  if (result.picked) {
    const int tile = *result.picked;
    tiles.selectTile(static_cast<std::uint8_t>(tile));
    showLabels();
    picPatternTableContainer->keepInSight({(tile % 16) * 16, (tile / 16) * 16, 16, 16});
  }
  showToolState();
}

void frmAltPane::pic_4x4metatile_MouseDown(int button, int shift, int x, int y) {
  cellPress(button, shift, x, y);
  showStatus(metatileCellStatus(romImage, tiles.selMeta(), x, y));
}

void frmAltPane::pic_4x4metatile_MouseMove(int buttons, int, int x, int y) {
  cellTools.move(buttons, x, y, true, tiles.selTile());
  showStatus(metatileCellStatus(romImage, tiles.selMeta(), x, y));
}

void frmAltPane::picBatView_MouseDown(int button, int shift, int x, int y) {
  cellPress(button, shift, x, y);
  showStatus(batViewStatus(romImage, x, y));
}

void frmAltPane::picBatView_MouseMove(int buttons, int, int x, int y) {
  pointerCell = batViewCells.cellAt(x, y);
  if (cellTools.move(buttons, x, y, true, tiles.selTile()).marksChanged) {
    showToolState();
  }
  showStatus(batViewStatus(romImage, x, y));
}

void frmAltPane::followBatViewPointer() {
  if (cellTools.pasting() && picBatView->underMouse()) {
    const QPoint at = picBatView->pixelAt(picBatView->mapFromGlobal(QCursor::pos()));
    picBatView_MouseMove(0, 0, at.x(), at.y());
  }
}

void frmAltPane::menuEditCopy_Click() {
  if (tiles.paneMode() == PaneMode::BatView && cellTools.selection()) {
    const std::optional<CellBlock> block = cellTools.copySelection();
    if (block) {
      putOnClipboard(kNameTableBlockMime, blockText(batViewCells.shape(), *block),
                     batViewBlockPicture(romImage, *block, tiles.picPatTbl));
      statusBar()->showMessage(QString("Copied %1 x %2 cells").arg(block->columns).arg(block->rows),
                               5000);
    }
    return;
  }
  // The tile as the pattern table shows it, in the current sub-palette.
  Surface picture(rom::kTileSide, rom::kTileSide);
  picture.copyTile(0, 0, tiles.picPatTbl[tiles.selPal()], (tiles.selTile() % 16) * rom::kTileSide,
                   (tiles.selTile() / 16) * rom::kTileSide);
  putOnClipboard(kTileMime, tileText(tiles.selectedTileBytes()), picture);
  statusBar()->showMessage(
      QString("Copied tile %1").arg(QString::fromStdString(hexLabel(tiles.selTile()))), 5000);
}

void frmAltPane::menuEditPaste_Click() {
  if (tiles.paneMode() == PaneMode::BatView) {
    CellBlock block;
    if (parseBlockText(batViewCells.shape(), clipboardText(kNameTableBlockMime), block)) {
      pastePicture.set(batViewBlockPicture(romImage, block, tiles.picPatTbl));
      const QPoint first = picBatView->pixelAt(QPointF(0, 0));
      const auto [column, row] = batViewCells.clampedCellAt(first.x() + rom::kTileSide - 1,
                                                            first.y() + rom::kTileSide - 1);
      std::optional<CellRect> at;
      if (pointerCell) {
        at = CellRect{pointerCell->first, pointerCell->second, 1, 1};
      }
      cellTools.startPaste(std::move(block), at, CellRect{column, row, 1, 1});
      showToolState();
      return;
    }
  }
  TileBytes bytes{};
  std::string reason;
  if (!parseTileText(clipboardText(kTileMime), bytes, &reason)) {
    statusBar()->showMessage(
        QString("The clipboard holds no tile%1 (%2)")
            .arg(tiles.paneMode() == PaneMode::BatView ? " and no block of the batter's view" : "",
                 QString::fromStdString(reason)),
        8000);
    return;
  }
  tileTools.endGesture();  // a step of its own, not part of a stroke under way
  edits.pasteTile(bytes);
}

}  // namespace tarvo
