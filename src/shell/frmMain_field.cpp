// The main window's field views: map editing, the metatile picker, the
// scroll bars and the grids.
#include <QAction>
#include <QScrollBar>

#include "platform/clip_viewport.h"
#include "platform/line_overlay.h"
#include "platform/picture_surface.h"
#include "screens/grid_lines.h"
#include "screens/metatile_picker.h"
#include "screens/status_text.h"
#include "shell/frmMain.h"
#include "shell/rom_image.h"

namespace tarvo {

namespace {

std::vector<LineOverlay*> makeLines(const std::vector<GridLine>& lines, QWidget* parent,
                                    const char* name) {
  std::vector<LineOverlay*> overlays;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const GridLine& line = lines[i];
    auto* overlay = new LineOverlay(line.x1, line.y1, line.x2, line.y2, parent);
    overlay->setObjectName(name);
    overlay->setProperty("index", static_cast<int>(i));
    overlays.push_back(overlay);
  }
  return overlays;
}

void showLines(const std::vector<LineOverlay*>& lines, bool visible) {
  for (LineOverlay* line : lines) {
    line->setVisible(visible);
  }
}

}  // namespace

void frmMain::createGridLines() {
  const Grid field = fieldGrid();
  ln_fieldV = makeLines(field.vertical, picMapRenderDest, "ln_fieldV");
  ln_fieldH = makeLines(field.horizontal, picMapRenderDest, "ln_fieldH");
  const Grid table = metatileGrid();
  ln_metaSelV = makeLines(table.vertical, picMetaTable, "ln_metaSelV");
  ln_metaSelH = makeLines(table.horizontal, picMetaTable, "ln_metaSelH");
}

void frmMain::menuViewFieldGrid_Click() {
  // A checkable action has already turned its check mark over.
  showLines(ln_fieldV, menuViewFieldGrid->isChecked());
  showLines(ln_fieldH, menuViewFieldGrid->isChecked());
}

void frmMain::menuViewMetaGrid_Click() {
  showLines(ln_metaSelV, menuViewMetaGrid->isChecked());
  showLines(ln_metaSelH, menuViewMetaGrid->isChecked());
}

void frmMain::picMapRenderDest_MouseDown(int button, int, int x, int y) {
  if (button == kLeftButton) {
    // A stroke: one step from this press to the left button's release.
    mapStroke.emplace(rom.history(), "Put metatile");
    mapEditor.press(romImage, button, x, y, selectedMetatile);
    mapStroke->flush();
  } else {
    // A step of its own, or part of the stroke a left drag has under way.
    Edit edit(rom.history(), button == kRightButton ? "Change sub-palette" : "Put metatile");
    mapEditor.press(romImage, button, x, y, selectedMetatile);
  }
  if (rom.isLoaded()) {
    showStatus(mapStatus(romImage, x, y));
  }
}

void frmMain::picMapRenderDest_MouseMove(int buttons, int, int x, int y) {
  // A drag paints only cells in view; the status follows the pointer anyway.
  if (mapStroke && mapPixelInView(x, y, vscrMap->value()) &&
      mapEditor.move(romImage, buttons, x, y, selectedMetatile)) {
    mapStroke->flush();
  }
  if (rom.isLoaded()) {
    showStatus(mapStatus(romImage, x, y));
  }
}

void frmMain::picMapRenderDest_MouseUp(int button, int, int, int) {
  mapEditor.release(button);
  if (!mapEditor.inStroke()) {
    mapStroke.reset();
  }
}

void frmMain::picMetaTable_MouseDown(int, int, int x, int y) {
  const auto metatile = metatileAt(x, y);
  if (!metatile) {
    return;
  }
  selectedMetatile = *metatile;
  field.selectMetatile(selectedMetatile);
}

void frmMain::picMetaTable_DblClick() {
  emit editorRequested(0, selectedMetatile);
}

void frmMain::vscrMap_Change(int value) {
  ClipViewport::scrollTo(picMapRenderDest, mapScrollOffset(value));
}

void frmMain::vscrMetatiles_Change(int value) {
  ClipViewport::scrollTo(picMetaTable, metatileTableScrollOffset(value));
}

}  // namespace tarvo
