// The main window's field views: map editing, the metatile picker, the
// scroll bars and the grids.
#include <QAction>
#include <QCursor>
#include <QEvent>
#include <QScrollBar>
#include <QToolBar>

#include "platform/clickable_label.h"
#include "platform/editor_settings.h"
#include "platform/line_overlay.h"
#include "platform/picture_surface.h"
#include "platform/zoom_view.h"
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
  const Grid quadrants = quadrantGrid();
  ln_quadV = makeLines(quadrants.vertical, picMapRenderDest, "ln_quadV");
  ln_quadH = makeLines(quadrants.horizontal, picMapRenderDest, "ln_quadH");
  for (const auto* lines : {&ln_quadV, &ln_quadH}) {
    for (LineOverlay* line : *lines) {
      line->setColour(QColor(128, 128, 128));
    }
  }
  // Below the field grid, where both show.
  for (const auto* lines : {&ln_fieldV, &ln_fieldH}) {
    for (LineOverlay* line : *lines) {
      line->raise();
    }
  }
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

void frmMain::picMetaTable_MouseDown(int, int, int x, int y) {
  const auto metatile = metatileAt(x, y);
  if (!metatile) {
    return;
  }
  metatileDragFrom = *metatile;
  selectedMetatile = *metatile;
  field.selectMetatile(selectedMetatile);
  showSelectedMetatile();
  setUsesSubject({UsesSubject::Kind::Metatile, selectedMetatile});
}

void frmMain::picMetaTable_DblClick() {
  emit editorRequested(0, selectedMetatile);
}

}  // namespace tarvo

namespace tarvo {

namespace {

constexpr int kBar = 17;  // a scroll bar's thickness, as the others have it

const QColor kHoverColour(255, 224, 64);
const QColor kQuadrantColour(255, 255, 255);
const QColor kSelectionColour(255, 64, 64);

}  // namespace

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
  if (watched == clientArea && event->type() == QEvent::Resize) {
    layoutControls();
  }
  return QMainWindow::eventFilter(watched, event);
}

void frmMain::layoutControls() {
  const int dx = std::max(0, clientArea->width() - kClientWidth);
  const int dy = clientArea->height() - kClientHeight;
  const int areaWidth = 769 + dx;
  const int areaHeight = std::max(1, 512 + dy);
  const bool mapAcross = picMapRenderDest->zoomedSize().width() > areaWidth;
  const int mapHeight = areaHeight - (mapAcross ? kBar : 0);
  picMapContainer->setGeometry(8, 8, areaWidth, mapHeight);
  vscrMap->setGeometry(784 + dx, 8, kBar, mapHeight);
  QScrollBar* hscrMap = picMapContainer->acrossBar();
  hscrMap->setGeometry(8, 8 + mapHeight, areaWidth, kBar);
  hscrMap->setVisible(mapAcross);

  const int top = 528 + dy;
  const bool tableAcross = picMetaTable->zoomedSize().width() > 516;
  const int tableHeight = 196 - (tableAcross ? kBar : 0);
  PicMetaContainer->setGeometry(8, top, 516, tableHeight);
  vscrMetatiles->setGeometry(524, top, kBar, tableHeight - 1);
  QScrollBar* hscrMetatiles = PicMetaContainer->acrossBar();
  hscrMetatiles->setGeometry(8, top + tableHeight, 516, kBar);
  hscrMetatiles->setVisible(tableAcross);
  picSelMeta->move(552, 536 + dy);
  for (std::size_t i = 0; i < lblnespal_edit.size(); ++i) {
    lblnespal_edit[i]->move(lblnespal_edit[i]->x(), (i < 16 ? 608 : 632) + dy);
  }
  if (toolBar != nullptr) {
    toolBar->setGeometry(552, 654 + dy, 249, 34);
    subPaletteBar->setGeometry(552, 690 + dy, 249, 34);
  }
  picMapContainer->updateRanges();
  PicMetaContainer->updateRanges();
}

int frmMain::mapZoom() const {
  return picMapRenderDest->zoom();
}

int frmMain::tableZoom() const {
  return picMetaTable->zoom();
}

ZoomView* frmMain::zoomTarget() const {
  return lastZoomView != nullptr ? lastZoomView : picMapContainer;
}

void frmMain::setViewZoom(PictureSurface* view, int zoom, std::optional<QPointF> anchor) {
  lastZoomView = view == picMetaTable ? PicMetaContainer : picMapContainer;
  lastZoomView->zoomTo(zoom, anchor);
  showZoomState();
}

void frmMain::showHoverCell(int x, int y) {
  const auto cell = romDocument.isLoaded() ? mapCellAt(x, y) : std::nullopt;
  if (!cell) {
    picMapRenderDest->setMark(0, std::nullopt);
    picMapRenderDest->setMark(1, std::nullopt);
    return;
  }
  const int left = cell->column * rom::kMetatileSide;
  const int top = cell->row * rom::kMetatileSide;
  picMapRenderDest->setMark(0, SurfaceMark{{left, top, 32, 32}, kHoverColour, 1, false});
  const int quadrant = quadrantAt(x, y);
  picMapRenderDest->setMark(
      1, SurfaceMark{{left + (quadrant & 1) * 16, top + (quadrant / 2) * 16, 16, 16},
                     kQuadrantColour,
                     1,
                     true});
}

void frmMain::showSelectedMetatile() {
  picMetaTable->setMark(
      0, SurfaceMark{{(selectedMetatile % 16) * 32, (selectedMetatile / 16) * 32, 32, 32},
                     kSelectionColour,
                     2,
                     false});
}

void frmMain::picMetaTable_Arrow(int dx, int dy) {
  const int next = selectedMetatile + dx + 16 * dy;
  if (!romDocument.isLoaded() || next < 0 || next >= rom::kMetatileCount ||
      (dx != 0 && next / 16 != selectedMetatile / 16)) {
    return;  // not past the table's edges, nor round to the next row
  }
  selectAndShowMetatile(next);
}

void frmMain::menuViewQuadGrid_Click() {
  showLines(ln_quadV, menuViewQuadGrid->isChecked());
  showLines(ln_quadH, menuViewQuadGrid->isChecked());
}

void frmMain::followPointer() {
  // The picture moved under a pointer that stood still.
  if (picMapRenderDest->underMouse()) {
    const QPoint at = picMapRenderDest->pixelAt(picMapRenderDest->mapFromGlobal(QCursor::pos()));
    showHoverCell(at.x(), at.y());
    pointerCell = mapCellAt(at.x(), at.y());
    if (romDocument.isLoaded()) {
      showStatus(mapStatus(romImage, at.x(), at.y()));
    }
    // A paste's preview stays under the pointer, where a press will put it.
    if (mapTools.pasting() &&
        mapTools.move(0, at.x(), at.y(), true, selectedMetatile).marksChanged) {
      showToolState();
    }
  }
}

}  // namespace tarvo
