// The main window's tile budget: View > Show Uses and Edit > Next Use and
// Previous Use, metatiles swapped by a Ctrl+drag in the table, the
// metatiles a budget figure counts, and View > Metatile Colours.
#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QStatusBar>

#include "editor/frmAltPane.h"
#include "platform/editor_settings.h"
#include "platform/menu_items.h"
#include "platform/picture_surface.h"
#include "platform/zoom_view.h"
#include "screens/edit_steps.h"
#include "screens/metatile_picker.h"
#include "screens/tile_bookkeeping.h"
#include "shell/frmMain.h"

namespace tarvo {

namespace {

SurfaceRect metatileCell(int metatile) {
  return {(metatile % 16) * 32, (metatile / 16) * 32, 32, 32};
}

}  // namespace

void frmMain::buildUsesItems() {
  const auto addAction = addNamedAction;
  menuViewShowUses = addAction(menuView, "menuViewShowUses", "Show &Uses");
  menuViewShowUses->setCheckable(true);
  menuViewShowUses->setShortcut(QKeySequence("Ctrl+U"));
  menuViewShowUses->setStatusTip(
      "Frames where the selected tile or metatile is used, on the map and in the table");
  connect(menuViewShowUses, &QAction::toggled, this, [this](bool on) {
    settings::setFlag("view/showUses", on);
    showUses();
  });
  QMenu* colours = menuView->addMenu("&Metatile Colours");
  colours->setObjectName("menuViewMetatileColours");
  auto* group = new QActionGroup(colours);
  menuViewColoursSubPalette0 = addAction(colours, "menuViewColoursSubPalette0", "Sub-palette &0");
  menuViewColoursAsUsed = addAction(colours, "menuViewColoursAsUsed", "As &Used");
  menuViewColoursAsUsed->setStatusTip(
      "Each metatile in the sub-palettes of its first cell on the map");
  for (QAction* item : {menuViewColoursSubPalette0, menuViewColoursAsUsed}) {
    item->setCheckable(true);
    group->addAction(item);
    connect(item, &QAction::triggered, this, [this] {
      const bool asUsed = menuViewColoursAsUsed->isChecked();
      settings::setFlag("view/metatilesAsUsed", asUsed);
      field.setMetatileColours(asUsed ? FieldViews::MetatileColours::AsUsed
                                      : FieldViews::MetatileColours::SubPalette0);
    });
  }
  menuViewColoursSubPalette0->setChecked(true);

  menuEdit->addSeparator();
  menuEditNextUse = addAction(menuEdit, "menuEditNextUse", "&Next Use");
  menuEditNextUse->setShortcut(QKeySequence("F3"));
  menuEditPreviousUse = addAction(menuEdit, "menuEditPreviousUse", "Pre&vious Use");
  menuEditPreviousUse->setShortcut(QKeySequence("Shift+F3"));
  connect(menuEditNextUse, &QAction::triggered, this, [this] { stepUse(1); });
  connect(menuEditPreviousUse, &QAction::triggered, this, [this] { stepUse(-1); });
}

void frmMain::restoreUsesSettings() {
  menuViewShowUses->setChecked(settings::flag("view/showUses", false));
  const bool asUsed = settings::flag("view/metatilesAsUsed", false);
  (asUsed ? menuViewColoursAsUsed : menuViewColoursSubPalette0)->setChecked(true);
  field.setMetatileColours(asUsed ? FieldViews::MetatileColours::AsUsed
                                  : FieldViews::MetatileColours::SubPalette0);
}

void frmMain::setUsesSubject(UsesSubject subject) {
  if (subject == usesSubject) {
    return;
  }
  usesSubject = subject;
  useIndex = -1;
  showUses();
  if (menuViewShowUses->isChecked() && romDocument.isLoaded()) {
    showStatus(usesText(usesSubject, usesOf(romImage, usesSubject)));
  }
}

void frmMain::showUses() {
  const bool on = menuViewShowUses->isChecked() && romDocument.isLoaded();
  const Uses uses = on ? usesOf(romImage, usesSubject) : Uses{};
  const bool batView = usesSubject.kind == UsesSubject::Kind::BatViewTile;
  std::vector<SurfaceRect> cells;
  for (const auto& [column, row] : uses.cells) {
    const int side = batView ? 8 : 32;
    cells.push_back({column * side, row * side, side, side});
  }
  std::vector<SurfaceRect> metatiles;
  for (const int metatile : uses.metatiles) {
    metatiles.push_back(metatileCell(metatile));
  }
  picMapRenderDest->setHighlights(batView ? std::vector<SurfaceRect>{} : cells, kUseColour);
  picMetaTable->setHighlights(metatiles, kUseColour);
  if (altPane) {
    altPane->setBatViewHighlights(batView ? cells : std::vector<SurfaceRect>{}, kUseColour);
  }
  if (!on || useIndex < 0) {
    picMapRenderDest->setMark(kCurrentUseSlot, std::nullopt);
  }
}

void frmMain::stepUse(int direction) {
  if (!romDocument.isLoaded()) {
    return;
  }
  const Uses uses = usesOf(romImage, usesSubject);
  const std::string counted = usesText(usesSubject, uses);
  if (uses.cells.empty()) {
    showStatus(counted);
    return;
  }
  const int count = static_cast<int>(uses.cells.size());
  useIndex = useIndex < 0 ? (direction > 0 ? 0 : count - 1)
                          : ((useIndex + direction) % count + count) % count;
  const auto [column, row] = uses.cells[static_cast<std::size_t>(useIndex)];
  if (usesSubject.kind == UsesSubject::Kind::BatViewTile) {
    if (altPane) {
      altPane->showBatViewUse(column, row);
    }
  } else {
    const SurfaceRect cell{column * 32, row * 32, 32, 32};
    picMapContainer->keepInSight(cell);
    picMapRenderDest->setMark(kCurrentUseSlot, SurfaceMark{cell, kCurrentUseColour, 2, false});
  }
  showStatus(counted + " | use " + std::to_string(useIndex + 1) + " of " + std::to_string(count) +
             ": column " + std::to_string(column) + ", row " + std::to_string(row));
}

void frmMain::picMetaTable_MouseUp(int, int shift, int x, int y) {
  const std::optional<int> from = metatileDragFrom;
  metatileDragFrom.reset();
  const auto to = metatileAt(x, y);
  if ((shift & 2) == 0 || !from || !to || *to == *from) {
    return;
  }
  const int target = *to;
  const BookkeepingResult result =
      runBookkeeping(romDocument.history(), step::kSwapMetatiles,
                     [&](ByteArray& image) { return swapMetatiles(image, *from, target); });
  statusBar()->showMessage(QString::fromStdString(result.message), 10000);
  if (result.done) {
    selectAndShowMetatile(target);
  }
}

void frmMain::showChosenMetatiles(const std::vector<int>& metatiles) {
  std::vector<SurfaceRect> cells;
  for (const int metatile : metatiles) {
    cells.push_back(metatileCell(metatile));
  }
  // Selected first: a selection shows its own uses, which would replace
  // the frames.
  if (!metatiles.empty()) {
    selectAndShowMetatile(metatiles.front());
  }
  picMetaTable->setHighlights(cells, kUseColour);
}

}  // namespace tarvo
