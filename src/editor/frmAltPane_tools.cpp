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
#include "screens/batview_renderer.h"
#include "screens/status_text.h"

namespace tarvo {

Surface frmAltPane::blockPicture(const NameTableBlock& block) const {
  ByteArray copy = romImage;
  pasteNameTableBlock(copy, block, 0, 0);
  Surface view(256, 240);
  drawBatView(view, copy, tiles.picPatTbl);
  Surface picture(std::max(1, block.columns * rom::kTileSide),
                  std::max(1, block.rows * rom::kTileSide));
  picture.copyBlock(0, 0, picture.width(), picture.height(), view, 0, 0);
  return picture;
}

void frmAltPane::buildTools() {
  menuTools = new QMenu("&Tools", this);
  menuTools->setObjectName("menuTools");
  menuBar()->insertMenu(findChild<QMenu*>("menuHelp")->menuAction(), menuTools);
  auto* group = new QActionGroup(this);
  struct Item {
    PaneTool tool;
    const char* name;
    const char* caption;
    const char* key;
    const char* tip;
  };
  const Item items[] = {
      {PaneTool::Brush, "toolBrush", "&Brush", "B",
       "Brush (B): paint pixels of the enlarged tile; put the selected tile into cells"},
      {PaneTool::Fill, "toolFill", "&Fill", "F",
       "Fill (F): the joined pixels of one colour take the button's pen; in the batter's "
       "view, the joined cells of one tile take the selected tile"},
      {PaneTool::Select, "toolSelect", "&Rectangle Select", "R",
       "Rectangle select (R): drag over cells of the batter's view"},
  };
  for (const Item& item : items) {
    QAction* action = addNamedAction(menuTools, item.name, item.caption);
    action->setCheckable(true);
    action->setShortcut(QKeySequence(item.key));
    action->setStatusTip(item.tip);
    action->setToolTip(item.tip);
    group->addAction(action);
    toolActions[static_cast<std::size_t>(item.tool)] = action;
    connect(action, &QAction::triggered, this, [this, tool = item.tool] { chooseTool(tool); });
  }
  toolActions[0]->setChecked(true);

  const SelectionItems edits =
      addSelectionItems(menuEdit, findChild<QAction*>("menuEditImportTiles"));
  menuEditCopy = edits.copy;
  menuEditCopy->setStatusTip(
      "Copies the batter's view's selection, or without one the selected tile's 16 bytes");
  menuEditPaste = edits.paste;
  menuEditPaste->setStatusTip(
      "Pastes a tile onto the selected tile, or a block of the batter's "
      "view to place with the pointer");
  menuEditDelete = edits.remove;
  menuEditSelectAll = edits.selectAll;
  menuEditDeselect = edits.deselect;
  connect(menuEditCopy, &QAction::triggered, this, &frmAltPane::menuEditCopy_Click);
  connect(menuEditPaste, &QAction::triggered, this, &frmAltPane::menuEditPaste_Click);
  connect(menuEditDelete, &QAction::triggered, this, [this] { paneTools.deleteSelection(); });
  connect(menuEditSelectAll, &QAction::triggered, this, [this] {
    if (tiles.paneMode() == 1) {
      paneTools.selectAll();
      showToolState();
    }
  });
  connect(menuEditDeselect, &QAction::triggered, this, [this] {
    if (paneTools.escape()) {
      showToolState();
    }
  });

  lblTool = new QLabel(this);
  lblTool->setObjectName("lblTool");
  statusBar()->addPermanentWidget(lblTool);
}

void frmAltPane::chooseTool(PaneTool tool) {
  paneTools.setTool(tool);
  toolActions[static_cast<std::size_t>(tool)]->setChecked(true);
  showToolState();
}

void frmAltPane::changeEvent(QEvent* event) {
  // A stroke or drag whose release this window will not see ends here.
  if (event->type() == QEvent::ActivationChange && !isActiveWindow() && paneTools.inGesture()) {
    paneTools.endGesture();
    showToolState();
  }
  QMainWindow::changeEvent(event);
}

void frmAltPane::showToolState() {
  const std::optional<CellRect>& selection = paneTools.selection();
  BlockMarks marks;
  if (selection) {
    marks.selection = pixelsOf(*selection, rom::kTileSide);
  }
  if (paneTools.pasting() && pastePicture) {
    marks.paste = &*pastePicture;
    marks.pasteVersion = pastePictureVersion;
    marks.pasteAt =
        QPoint(paneTools.pasteColumn() * rom::kTileSide, paneTools.pasteRow() * rom::kTileSide);
    marks.pasteArea = pixelsOf(paneTools.pastePreview(), rom::kTileSide);
  }
  showBlockMarks(picBatView, marks);
  const bool batView = tiles.paneMode() == 1;
  menuEditDelete->setEnabled(batView && selection.has_value());
  menuEditSelectAll->setEnabled(batView);
  lblTool->setText(QString::fromStdString(paneTools.statusText()));
}

void frmAltPane::picBatView_MouseMove(int buttons, int, int x, int y) {
  static const GridSelection grid(rom::kBatViewColumns, rom::kBatViewRows, rom::kTileSide);
  pointerCell = grid.cellAt(x, y);
  if (paneTools.batViewMove(buttons, x, y).marksChanged) {
    showToolState();
  }
  showStatus(batViewStatus(romImage, x, y));
}

void frmAltPane::followBatViewPointer() {
  if (paneTools.pasting() && picBatView->underMouse()) {
    const QPoint at = picBatView->pixelAt(picBatView->mapFromGlobal(QCursor::pos()));
    picBatView_MouseMove(0, 0, at.x(), at.y());
  }
}

void frmAltPane::menuEditCopy_Click() {
  if (tiles.paneMode() == 1 && paneTools.selection()) {
    const std::optional<NameTableBlock> block = paneTools.copySelection();
    if (block) {
      putOnClipboard(kNameTableBlockMime, nameTableBlockText(*block), blockPicture(*block));
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
  if (tiles.paneMode() == 1) {
    NameTableBlock block;
    if (parseNameTableBlockText(clipboardText(kNameTableBlockMime), block)) {
      pastePicture = blockPicture(block);
      ++pastePictureVersion;
      const GridSelection grid(rom::kBatViewColumns, rom::kBatViewRows, rom::kTileSide);
      const QPoint first = picBatView->pixelAt(QPointF(0, 0));
      paneTools.startPaste(
          std::move(block), pointerCell,
          grid.clampedCellAt(first.x() + rom::kTileSide - 1, first.y() + rom::kTileSide - 1));
      showToolState();
      return;
    }
  }
  TileBytes bytes{};
  std::string reason;
  if (!parseTileText(clipboardText(kTileMime), bytes, &reason)) {
    statusBar()->showMessage(
        QString("The clipboard holds no tile%1 (%2)")
            .arg(tiles.paneMode() == 1 ? " and no block of the batter's view" : "",
                 QString::fromStdString(reason)),
        8000);
    return;
  }
  paneTools.pasteTile(bytes);
}

}  // namespace tarvo
