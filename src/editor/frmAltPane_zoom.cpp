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
#include "platform/zoom_view.h"
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
  restoreBudget();
  picBatViewContainer->restoreZoom();
  picPatternTableContainer->restoreZoom();
  lastZoomView = picPatternTableContainer;
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

ZoomView* frmAltPane::zoomTarget() const {
  if (lastZoomView == picBatViewContainer && tiles.paneMode() == PaneMode::BatView) {
    return picBatViewContainer;
  }
  return picPatternTableContainer;
}

int frmAltPane::patternTableZoom() const {
  return picPatternTable->zoom();
}

int frmAltPane::batViewZoom() const {
  return picBatView->zoom();
}

void frmAltPane::setViewZoom(PictureSurface* view, int zoom, std::optional<QPointF> anchor) {
  lastZoomView = view == picBatView ? picBatViewContainer : picPatternTableContainer;
  lastZoomView->zoomTo(zoom, anchor);
  showZoomState();
}

void frmAltPane::showZoomState() {
  zoomItems.show(zoomTarget()->zoom(), zoomTarget()->description());
}
}  // namespace tarvo
