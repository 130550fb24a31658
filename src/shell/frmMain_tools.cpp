// The main window's map tools: the tool bar and the Tools menu, the pointer
// on the map, the selection, copy, paste and Delete.
#include <QAction>
#include <QActionGroup>
#include <QCursor>
#include <QEvent>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

#include "gfx/colors.h"
#include "platform/block_clipboard.h"
#include "platform/menu_items.h"
#include "platform/picture_surface.h"
#include "platform/zoom_view.h"
#include "screens/block_text.h"
#include "screens/status_text.h"
#include "shell/frmMain.h"
#include "shell/rom_locations.h"

namespace tarvo {

void frmMain::buildTools() {
  // The tool bar sits in the room below the palette, so that the window
  // keeps its size and fits a screen 768 pixels high.
  toolBar = new QToolBar("Tools", clientArea);
  toolBar->setObjectName("toolBar");
  toolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
  toolBar->setMovable(false);
  subPaletteBar = new QToolBar("Sub-palettes", clientArea);
  subPaletteBar->setObjectName("subPaletteBar");
  subPaletteBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
  subPaletteBar->setIconSize(QSize(24, 12));
  subPaletteBar->setMovable(false);
  for (QToolBar* bar : {toolBar, subPaletteBar}) {
    bar->setContentsMargins(0, 0, 0, 0);
    bar->layout()->setSpacing(1);
    bar->setStyleSheet("QToolButton { padding: 1px 2px; }");
  }
  const std::vector<Tool> offered{Tool::Brush, Tool::Select, Tool::Fill, Tool::Pick,
                                  Tool::SubPalette};
  const ToolMenu tools =
      addToolMenu(this, ToolPlace::FieldMap, offered, [this](Tool tool) { chooseTool(tool); });
  toolMenu = tools;
  for (const Tool tool : offered) {
    // The sub-palette brush sits beside its chooser.
    (tool == Tool::SubPalette ? subPaletteBar : toolBar)
        ->addAction(toolMenu.actions[static_cast<std::size_t>(tool)]);
  }
  if (auto* button = qobject_cast<QToolButton*>(subPaletteBar->widgetForAction(
          toolMenu.actions[static_cast<std::size_t>(Tool::SubPalette)]))) {
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
  }

  // The sub-palette brush's chooser: keys 1 to 4 for sub-palettes 0 to 3.
  toolMenu.menu->addSeparator();
  auto* subPaletteGroup = new QActionGroup(this);
  for (int i = 0; i < 4; ++i) {
    QAction* action = addNamedAction(toolMenu.menu, "toolSubPaletteChoice",
                                     QString("Sub-palette %1 (&%2)").arg(i).arg(i + 1));
    action->setProperty("index", i);
    action->setCheckable(true);
    action->setShortcut(QKeySequence(QString::number(i + 1)));
    action->setToolTip(QString("Sub-palette %1 for the sub-palette brush (%2)").arg(i).arg(i + 1));
    subPaletteGroup->addAction(action);
    subPaletteBar->addAction(action);
    subPaletteActions[static_cast<std::size_t>(i)] = action;
    connect(action, &QAction::triggered, this, [this, i] {
      mapTools.setSubPalette(i);
      showToolState();
    });
  }
  subPaletteActions[0]->setChecked(true);
  showSubPaletteColours();

  // The Edit menu's items for the selection, before Tile Data.
  editItems = addSelectionItems(menuEdit, menuEditTileData);
  letEscapeThroughMenuBar(menuBar(), editItems.deselect);
  connect(editItems.copy, &QAction::triggered, this, &frmMain::menuEditCopy_Click);
  connect(editItems.paste, &QAction::triggered, this, &frmMain::menuEditPaste_Click);
  connect(editItems.remove, &QAction::triggered, this, &frmMain::menuEditDelete_Click);
  connect(editItems.selectAll, &QAction::triggered, this, [this] {
    mapTools.selectAll();
    showToolState();
  });
  connect(editItems.deselect, &QAction::triggered, this, [this] {
    if (mapTools.escape()) {
      showToolState();
    }
  });

  lblTool = new QLabel(this);
  lblTool->setObjectName("lblTool");
  statusBar()->addPermanentWidget(lblTool);
  showToolState();
}

void frmMain::chooseTool(Tool tool) {
  mapTools.setTool(tool);
  toolMenu.actions[static_cast<std::size_t>(tool)]->setChecked(true);
  showToolState();
}

void frmMain::changeEvent(QEvent* event) {
  // A drag whose release this window will not see (another window took the
  // pointer) ends here, as one step.
  if (event->type() == QEvent::ActivationChange && !isActiveWindow() && mapTools.inGesture()) {
    mapTools.endGesture();
    showToolState();
  }
  QMainWindow::changeEvent(event);
}

void frmMain::showSubPaletteColours() {
  if (toolBar == nullptr) {
    return;  // not built yet
  }
  for (int i = 0; i < 4; ++i) {
    QPixmap swatch(24, 12);
    QPainter painter(&swatch);
    for (int c = 0; c < 4; ++c) {
      const Color colour =
          paletteColor(field.shownFieldPalette()[static_cast<std::size_t>(4 * i + c)]);
      painter.fillRect(6 * c, 0, 6, 12, QColor(redOf(colour), greenOf(colour), blueOf(colour)));
    }
    painter.end();
    QAction* action = subPaletteActions[static_cast<std::size_t>(i)];
    action->setIcon(QIcon(swatch));
  }
}

void frmMain::showToolState() {
  showToolMarks(picMapRenderDest, mapTools, pastePicture);
  const std::optional<CellRect>& selection = mapTools.selection();
  const bool hasSelection = romDocument.isLoaded() && selection.has_value();
  editItems.copy->setEnabled(hasSelection);
  editItems.remove->setEnabled(hasSelection);
  editItems.paste->setEnabled(romDocument.isLoaded());
  editItems.selectAll->setEnabled(romDocument.isLoaded());
  editItems.deselect->setEnabled(romDocument.isLoaded());
  lblTool->setText(QString::fromStdString(mapTools.statusText()));
}

void frmMain::menuEditCopy_Click() {
  const std::optional<CellBlock> block = mapTools.copySelection();
  if (!block) {
    statusBar()->showMessage("Select cells first: Rectangle select (R), or Ctrl+A", 5000);
    return;
  }
  putOnClipboard(kFieldBlockMime, blockText(fieldCells.shape(), *block),
                 field.blockPicture(*block));
  statusBar()->showMessage(QString("Copied %1 x %2 cells").arg(block->columns).arg(block->rows),
                           5000);
}

void frmMain::menuEditPaste_Click() {
  CellBlock block;
  std::string reason;
  if (!parseBlockText(fieldCells.shape(), clipboardText(kFieldBlockMime), block, &reason)) {
    statusBar()->showMessage(
        QString("The clipboard holds no field block (%1)").arg(QString::fromStdString(reason)),
        8000);
    return;
  }
  const SurfaceRect visible = picMapContainer->visiblePixels();
  const auto [column, row] = fieldCells.clampedCellAt(visible.x + rom::kMetatileSide - 1,
                                                      visible.y + rom::kMetatileSide - 1);
  pastePicture.set(field.blockPicture(block));
  std::optional<CellRect> at;
  if (pointerCell) {
    at = CellRect{pointerCell->column, pointerCell->row, 1, 1};
  }
  mapTools.startPaste(std::move(block), at, CellRect{column, row, 1, 1});
  showToolState();
}

void frmMain::menuEditDelete_Click() {
  mapTools.deleteSelection(selectedMetatile);
}

void frmMain::picMapRenderDest_MouseDown(int button, int shift, int x, int y) {
  const GridTools::Result result = mapTools.press(button, shift, x, y, selectedMetatile);
  if (result.picked) {
    selectAndShowMetatile(*result.picked);
  }
  if (romDocument.isLoaded()) {
    showStatus(mapStatus(romImage, x, y));
  }
  showHoverCell(x, y);
  showToolState();
}

void frmMain::picMapRenderDest_MouseMove(int buttons, int, int x, int y) {
  lastZoomView = picMapContainer;
  pointerCell = mapCellAt(x, y);
  // A drag writes only cells in view; the status follows the pointer anyway.
  const GridTools::Result result = mapTools.move(
      buttons, x, y, mapPixelInView(x, y, picMapContainer->visiblePixels()), selectedMetatile);
  if (romDocument.isLoaded()) {
    showStatus(mapStatus(romImage, x, y));
  }
  showHoverCell(x, y);
  if (result.marksChanged) {
    showToolState();
  }
}

void frmMain::picMapRenderDest_MouseUp(int button, int, int, int) {
  mapTools.release(button);
  showToolState();
}

void frmMain::selectAndShowMetatile(int metatile) {
  if (metatile < 0 || metatile >= rom::kMetatileCount) {
    // A map byte beyond the table names no metatile to paint with.
    statusBar()->showMessage(QString("Cell holds %1, beyond the metatile table").arg(metatile),
                             5000);
    return;
  }
  picMetaTable_MouseDown(kLeftButton, 0, (metatile % 16) * 32, (metatile / 16) * 32);
  PicMetaContainer->keepInSight({(metatile % 16) * 32, (metatile / 16) * 32, 32, 32});
}

}  // namespace tarvo
