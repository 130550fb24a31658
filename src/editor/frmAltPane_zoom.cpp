// The graphics editor window's zoomed views, and what the last run left:
// geometry, zooms, grid and its colour.
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

#include "platform/clickable_label.h"
#include "platform/editor_settings.h"
#include "platform/line_overlay.h"
#include "platform/menu_items.h"
#include "platform/picture_surface.h"
#include "platform/user_dialogs.h"
#include "platform/window_placement.h"
#include "screens/block_picture.h"
#include "screens/chr_import.h"
#include "screens/grid_lines.h"
#include "screens/status_text.h"
#include "screens/views.h"
namespace tarvo {

void frmAltPane::restoreSettings() {
  const QByteArray geometry = settings::windowGeometry("editorWindow");
  if (!geometry.isEmpty()) {
    restoreGeometry(geometry);
  }
  picPatternTable->setZoom(settings::number("zoom/patternTable", 1));
  picBatView->setZoom(settings::number("zoom/batView", 1));
  hscrGridColor->setValue(std::clamp(settings::number("grid/colour", 0), 0, 255));
  hscrGridColor_Change(hscrGridColor->value());
  menuViewShowGrid->setChecked(settings::flag("grid/editor", false));
  menuViewShowGrid_Click();
  menuViewShowUnused->setChecked(settings::flag("view/showUnused", false));
  connect(menuViewShowGrid, &QAction::toggled, this,
          [](bool on) { settings::setFlag("grid/editor", on); });
  connect(menuViewShowUnused, &QAction::toggled, this,
          [](bool on) { settings::setFlag("view/showUnused", on); });
  connect(hscrGridColor, &QScrollBar::valueChanged, this,
          [](int value) { settings::setNumber("grid/colour", value); });
}

PictureSurface* frmAltPane::zoomTarget() const {
  if (lastZoomView == picBatView && tiles.paneMode() == PaneMode::BatView) {
    return picBatView;
  }
  return picPatternTable;
}

int frmAltPane::patternTableZoom() const {
  return picPatternTable->zoom();
}

int frmAltPane::batViewZoom() const {
  return picBatView->zoom();
}

void frmAltPane::setViewZoom(PictureSurface* view, int zoom, std::optional<QPointF> anchor) {
  zoom = clampZoom(zoom);
  lastZoomView = view;
  // Not while a stroke or a tile's drag is under way: the picture would
  // move under the pointer.
  if (zoom != view->zoom() && !tileTools.inGesture() && !cellTools.inGesture() &&
      !tiles.tileDrag()) {
    const QPointF at = anchor ? *anchor : QPointF(view->width() / 2.0, view->height() / 2.0);
    const ViewTransform before = view->transform();
    const double pixelX = (at.x() + before.scrollX) * before.ratio / before.devicePerPixel();
    const double pixelY = (at.y() + before.scrollY) * before.ratio / before.devicePerPixel();
    view->setZoom(zoom);
    // The window has placed its controls again on zoomedSizeChanged.
    settings::setNumber(view == picPatternTable ? "zoom/patternTable" : "zoom/batView", zoom);
    const ViewTransform after = view->transform();
    view->setScroll({scrollToKeep(pixelX, static_cast<int>(at.x()), after),
                     scrollToKeep(pixelY, static_cast<int>(at.y()), after)});
  }
  showZoomState();
}

void frmAltPane::showZoomState() {
  const int zoom = zoomTarget()->zoom();
  zoomItems.show(zoom, zoomTarget() == picPatternTable ? "the pattern table" : "the batter's view");
}
}  // namespace tarvo
