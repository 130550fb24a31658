// The graphics editor window's tile budget: the Budget dock, the Tiles
// menu's bookkeeping commands, Ctrl+drag swaps in the pattern table, and the
// batter's view's uses.
#include <QAction>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>

#include "editor/frmAltPane.h"
#include "platform/budget_panel.h"
#include "platform/editor_settings.h"
#include "platform/menu_items.h"
#include "platform/picture_surface.h"
#include "platform/user_dialogs.h"
#include "platform/zoom_view.h"
#include "screens/edit_steps.h"
#include "screens/tile_usage.h"

namespace tarvo {

namespace {

SurfaceRect patternTableCell(int tile) {
  return {(tile % 16) * 16, (tile / 16) * 16, 16, 16};
}

}  // namespace

void frmAltPane::buildBudget(QMenu* menuView) {
  dockBudget = new BudgetPanel(this);
  addDockWidget(Qt::RightDockWidgetArea, dockBudget);
  dockBudget->hide();
  menuViewBudget = addNamedAction(menuView, "menuViewBudget", "&Budget");
  menuViewBudget->setCheckable(true);
  menuViewBudget->setShortcut(QKeySequence("Ctrl+Shift+B"));
  menuViewBudget->setStatusTip("The tiles and metatiles used, unused and duplicated");
  connect(menuViewBudget, &QAction::triggered, this, [this](bool on) {
    const bool growing = on && !dockBudget->isVisible() && !dockBudget->isFloating();
    dockBudget->setVisible(on);
    settings::setFlag("view/budget", on);
    if (growing) {
      // The window grows by the panel, once it has its place, so that the
      // controls keep their room.
      QTimer::singleShot(0, this, [this] {
        const int lack = kClientWidth - centralWidget()->width();
        if (lack > 0) {
          resize(width() + lack, height());
        }
      });
    }
  });
  connect(dockBudget, &QDockWidget::visibilityChanged, this, [this](bool shown) {
    if (!shown && !isMinimized() && isVisible()) {
      menuViewBudget->setChecked(false);
      settings::setFlag("view/budget", false);
    }
  });
  connect(dockBudget, &BudgetPanel::lineChosen, this, &frmAltPane::budgetLine_Chosen);
}

void frmAltPane::restoreBudget() {
  const bool shown = settings::flag("view/budget", false);
  menuViewBudget->setChecked(shown);
  dockBudget->setVisible(shown);
}

void frmAltPane::buildTilesMenu() {
  const auto addAction = addNamedAction;
  menuTiles = new QMenu("T&iles", this);
  menuTiles->setObjectName("menuTiles");
  menuBar()->insertMenu(toolMenu.menu->menuAction(), menuTiles);
  menuTiles->setToolTipsVisible(true);
  const auto command = [this, addAction](const char* name, const QString& caption, const char* step,
                                         TileEdits::ScreenCommand run) {
    QAction* item = addAction(menuTiles, name, caption);
    connect(item, &QAction::triggered, this, [this, step, run] { runTileCommand(step, run); });
    return item;
  };
  const auto keep = [this] { return menuTilesKeepTile0->isChecked(); };
  command("menuTilesMergeDuplicates", "Merge &Duplicate Tiles", step::kMergeDuplicateTiles,
          [](ByteArray& image, TileScreen screen) { return mergeDuplicateTiles(image, screen); });
  command("menuTilesRemoveUnused", "Remove &Unused Tiles", step::kRemoveUnusedTiles,
          [keep](ByteArray& image, TileScreen screen) {
            return removeUnusedTiles(image, screen, keep());
          });
  menuTilesKeepTile0 = addAction(menuTiles, "menuTilesKeepTile0", "&Keep Tile 0");
  menuTilesKeepTile0->setCheckable(true);
  menuTilesKeepTile0->setChecked(settings::flag("tiles/keepTile0", true));
  menuTilesKeepTile0->setToolTip(
      "Tile 0 stays where it is, even unused: the game often uses a blank tile outside the "
      "screen");
  connect(menuTilesKeepTile0, &QAction::toggled, this,
          [](bool on) { settings::setFlag("tiles/keepTile0", on); });
  menuTiles->addSeparator();
  command("menuTilesSortFirstUse", "Sort Tiles by &First Use", step::kSortTilesByFirstUse,
          [keep](ByteArray& image, TileScreen screen) {
            return sortTiles(image, screen, TileOrder::FirstUse, keep());
          });
  command("menuTilesSortFrequency", "Sort Tiles by F&requency", step::kSortTilesByFrequency,
          [keep](ByteArray& image, TileScreen screen) {
            return sortTiles(image, screen, TileOrder::Frequency, keep());
          });
  QAction* reduce = addAction(menuTiles, "menuTilesReduce", "R&educe Tiles to...");
  connect(reduce, &QAction::triggered, this, &frmAltPane::menuTilesReduce_Click);
  menuTiles->addSeparator();
  command("menuTilesMergeMetatiles", "Merge Duplicate &Metatiles", step::kMergeDuplicateMetatiles,
          [](ByteArray& image, TileScreen) { return mergeDuplicateMetatiles(image); });
  command("menuTilesRemoveUnusedMetatiles", "Remove Unused Me&tatiles",
          step::kRemoveUnusedMetatiles,
          [](ByteArray& image, TileScreen) { return removeUnusedMetatiles(image); });
  for (QAction* item : menuTiles->actions()) {
    if (item->statusTip().isEmpty()) {
      item->setStatusTip(
          "Ctrl+drag in the pattern table swaps two tiles, every reference following");
    }
  }
}

void frmAltPane::runTileCommand(const char* step, const TileEdits::ScreenCommand& command) {
  const BookkeepingResult result = edits.run(step, command);
  showCommandResult(result);
}

void frmAltPane::showCommandResult(const BookkeepingResult& result) {
  if (result.message.empty()) {
    return;
  }
  QString text = QString::fromStdString(result.message).trimmed();
  text.replace('\n', "; ");
  statusBar()->showMessage(text, 10000);
  dockBudget->setLastAction(text);
  showLabels();
}

void frmAltPane::menuTilesReduce_Click() {
  const TileScreen screen = edits.screen();
  const BudgetFigures figures = dockBudget->figures(screen);
  const std::optional<int> most =
      dialogs.chooseTileCount(this, screen, romImage, std::max(1, figures.tilesUsed * 3 / 4));
  if (!most) {
    return;
  }
  const int count = *most;
  runTileCommand(step::kReduceTiles, [this, count](ByteArray& image, TileScreen at) {
    return reduceTiles(image, at, count, menuTilesKeepTile0->isChecked());
  });
}

void frmAltPane::budgetLine_Chosen(TileScreen screen, BudgetLine line) {
  const std::vector<int> members = budgetMembers(romImage, screen, line);
  const std::string what = budgetLineText(line, dockBudget->figures(screen));
  statusBar()->showMessage(QString::fromStdString(what), 10000);
  if (line == BudgetLine::MetatilesUsed || line == BudgetLine::MetatilesUnused ||
      line == BudgetLine::DuplicateMetatiles) {
    emit metatilesChosen(members);
    return;
  }
  if (screen != edits.screen()) {
    initGUI(screen == TileScreen::Field ? 0 : 1, tiles.selMeta());
  }
  std::vector<SurfaceRect> cells;
  for (const int tile : members) {
    cells.push_back(patternTableCell(tile));
  }
  picPatternTable->setHighlights(cells, kUseColour);
  if (!members.empty()) {
    tiles.selectTile(static_cast<std::uint8_t>(members.front()));
    showLabels();
    picPatternTableContainer->keepInSight(patternTableCell(members.front()));
  }
}

void frmAltPane::setBatViewHighlights(std::vector<SurfaceRect> cells, QColor colour) {
  picBatView->setHighlights(std::move(cells), colour);
  if (picBatView->highlights().empty()) {
    picBatView->setMark(kCurrentUseSlot, std::nullopt);
  }
}

void frmAltPane::showBatViewUse(int column, int row) {
  const SurfaceRect cell{column * 8, row * 8, 8, 8};
  picBatViewContainer->keepInSight(cell);
  picBatView->setMark(kCurrentUseSlot, SurfaceMark{cell, kCurrentUseColour, 2, false});
}

void frmAltPane::picPatternTable_MouseUp(int, int shift, int x, int y) {
  if ((shift & 2) != 0) {
    showCommandResult(edits.swapTile(x, y));
    return;
  }
  edits.copyTile(x, y);
}

}  // namespace tarvo
