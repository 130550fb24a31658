// The main window's controls and menus: where each stands, and what is
// enabled while no image is loaded.
#include "shell/frmMain.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeySequence>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolBar>

#include "editor/frmAltPane.h"
#include "gfx/colors.h"
#include "platform/clickable_label.h"
#include "platform/clip_viewport.h"
#include "platform/editor_settings.h"
#include "platform/line_overlay.h"
#include "platform/menu_items.h"
#include "platform/picture_surface.h"
#include "platform/user_dialogs.h"
#include "platform/window_placement.h"
#include "screens/field_renderer.h"
#include "screens/help_text.h"
#include "screens/metatile_picker.h"
#include "screens/status_text.h"
#include "screens/views.h"
#include "shell/command_line.h"
#include "shell/patches.h"
#include "shell/preview_rom.h"
#include "shell/rom_image.h"
#include "shell/rom_info.h"
#include "shell/rom_locations.h"
namespace tarvo {

namespace {

// Below its first size the client area takes a shorter map viewport, down to
// 128 pixels.
constexpr int kMinClientHeight = frmMain::kClientHeight - 512 + 128;

QScrollBar* makeScrollBar(QWidget* parent, const char* name, QRect geometry, int maximum,
                          int smallStep, int largeStep) {
  auto* bar = new QScrollBar(Qt::Vertical, parent);
  bar->setObjectName(name);
  bar->setGeometry(geometry);
  bar->setRange(0, maximum);
  bar->setSingleStep(smallStep);
  bar->setPageStep(largeStep);
  return bar;
}

}  // namespace

void frmMain::buildControls() {
  QWidget* client = makeClientArea(this, QSize(kClientWidth, kClientHeight),
                                   QSize(kClientWidth, kMinClientHeight));
  clientArea = client;
  setCentralWidget(client);

  picMapContainer = new ClipViewport(client);
  picMapContainer->setObjectName("picMapContainer");
  picMapContainer->setGeometry(8, 8, 769, 512);
  picMapRenderDest = new PictureSurface(field.mapSurface, picMapContainer);
  picMapRenderDest->setObjectName("picMapRenderDest");
  picMapRenderDest->move(0, 0);
  vscrMap = makeScrollBar(client, "vscrMap", {784, 8, 17, 512}, 256, 8, 32);

  PicMetaContainer = new ClipViewport(client);
  PicMetaContainer->setObjectName("PicMetaContainer");
  PicMetaContainer->setGeometry(8, 528, 516, 196);
  picMetaTable = new PictureSurface(field.metaTableSurface, PicMetaContainer);
  picMetaTable->setObjectName("picMetaTable");
  picMetaTable->move(0, 0);
  vscrMetatiles = makeScrollBar(client, "vscrMetatiles", {524, 528, 17, 195}, 3, 1, 1);
  // Horizontal bars for a zoomed picture wider than its viewport.
  hscrMap = new QScrollBar(Qt::Horizontal, client);
  hscrMap->setObjectName("hscrMap");
  hscrMap->hide();
  hscrMetatiles = new QScrollBar(Qt::Horizontal, client);
  hscrMetatiles->setObjectName("hscrMetatiles");
  hscrMetatiles->hide();
  picMapContainer->setContent(picMapRenderDest, vscrMap, hscrMap);
  PicMetaContainer->setContent(picMetaTable, vscrMetatiles, hscrMetatiles);
  picMetaTable->setFocusPolicy(Qt::StrongFocus);
  // The two zoomable views: their pixels are blocks of whole device pixels.
  picMapRenderDest->setZoom(1);
  picMetaTable->setZoom(1);
  picMetaTable->setToolTip("Arrow keys move the selection when the table has the focus");
  lastZoomView = picMapRenderDest;

  buildPalette(client);
  connectViews();
}

void frmMain::buildPalette(QWidget* client) {
  picSelMeta = new PictureSurface(field.selMetaSurface, client);
  picSelMeta->setObjectName("picSelMeta");
  picSelMeta->move(552, 536);

  for (int i = 0; i < 32; ++i) {
    auto* swatch = new ClickableLabel(client);
    swatch->setObjectName("lblnespal_edit");
    swatch->setProperty("index", i);
    if (i < 16) {
      swatch->setToolTip("Double-click to choose another colour");
      connect(swatch, &ClickableLabel::doubleClicked, this,
              [this, i](int, int) { lblnespal_edit_DblClick(i); });
    }
    swatch->setGeometry(i < 16 ? 552 + 16 * i : 552 + 16 * (i - 16), i < 16 ? 608 : 632, 16, 16);
    lblnespal_edit[static_cast<std::size_t>(i)] = swatch;
  }
}

void frmMain::connectViews() {
  connect(picMapRenderDest, &PictureSurface::pressed, this, &frmMain::picMapRenderDest_MouseDown);
  connect(picMapRenderDest, &PictureSurface::moved, this, &frmMain::picMapRenderDest_MouseMove);
  connect(picMapRenderDest, &PictureSurface::released, this, &frmMain::picMapRenderDest_MouseUp);
  connect(picMetaTable, &PictureSurface::moved, this, [this](int, int, int x, int y) {
    lastZoomView = picMetaTable;
    showStatus(pickerStatus(x, y));
  });
  connect(picMapRenderDest, &PictureSurface::left, this, [this] {
    pointerCell.reset();
    showStatus({});
    showHoverCell(-1, -1);
  });
  connect(picMetaTable, &PictureSurface::left, this, [this] { showStatus({}); });
  connect(picMetaTable, &PictureSurface::pressed, this, &frmMain::picMetaTable_MouseDown);
  connect(picMetaTable, &PictureSurface::doubleClicked, this, &frmMain::picMetaTable_DblClick);
  // valueChanged also comes while the thumb is dragged.
  connect(vscrMap, &QScrollBar::valueChanged, this, &frmMain::vscrMap_Change);
  connect(vscrMetatiles, &QScrollBar::valueChanged, this, &frmMain::vscrMetatiles_Change);
  connect(hscrMap, &QScrollBar::valueChanged, this, &frmMain::hscrMap_Change);
  connect(hscrMetatiles, &QScrollBar::valueChanged, this, &frmMain::hscrMetatiles_Change);
  connect(picMetaTable, &PictureSurface::arrowKey, this, &frmMain::picMetaTable_Arrow);
  for (PictureSurface* view : {picMapRenderDest, picMetaTable}) {
    connect(view, &PictureSurface::zoomWheel, this, [this, view](int notches, QPointF at) {
      setViewZoom(view, view->zoom() + notches, at);
    });
    // A zoom, or a screen of another scale.
    connect(view, &PictureSurface::zoomedSizeChanged, this, &frmMain::layoutControls);
  }
  connect(picMetaTable, &PictureSurface::focusEntered, this,
          [this] { lastZoomView = picMetaTable; });
}

void frmMain::buildMenus() {
  buildFileMenu();
  buildEditMenu();
  buildViewMenu();
  QMenu* menuHelp = addHelpMenu(menuBar(), [this] { showKeyboardAndMouse(this); });
  menuHelpAbout = addNamedAction(menuHelp, "menuHelpAbout", "&About");
  connect(menuHelpAbout, &QAction::triggered, this, &frmMain::menuHelpAbout_Click);
}

void frmMain::buildFileMenu() {
  const auto addAction = addNamedAction;
  menuFile = menuBar()->addMenu("&File");
  menuFile->setObjectName("menuFile");
  menuFileLoadRom = addAction(menuFile, "menuFileLoadRom", "&Load Rom");
  menuFileLoadRom->setShortcut(QKeySequence("Ctrl+O"));
  menuFileRecent = menuFile->addMenu("Open &Recent");
  menuFileRecent->setObjectName("menuFileRecent");
  buildRecentFiles();
  menuFileSaveRom = addAction(menuFile, "menuFileSaveRom", "&Save Rom");
  menuFileSaveRom->setShortcut(QKeySequence("Ctrl+S"));
  menuFile->addSeparator();
  menuFileImportField = addAction(menuFile, "menuFileImportField", "Import Picture as &Field...");
  connect(menuFileImportField, &QAction::triggered, this,
          [this] { menuFileImportPicture_Click(ImportTarget::Field); });
  menuFileImportBatView =
      addAction(menuFile, "menuFileImportBatView", "Import Picture as &Batter's View...");
  connect(menuFileImportBatView, &QAction::triggered, this,
          [this] { menuFileImportPicture_Click(ImportTarget::BatView); });
  QMenu* menuFileExportImage =
      addExportImageMenu(menuFile, [this](int view) { menuFileExportImage_Click(view); });
  // Ctrl+E: the picture this window is about.
  menuFileExportImage->actions().front()->setShortcut(QKeySequence("Ctrl+E"));
  menuFileExportPatch = addAction(menuFile, "menuFileExportPatch", "Export &Patch...");
  menuFileExportPatch->setShortcut(QKeySequence("Ctrl+Shift+E"));
  connect(menuFileExportPatch, &QAction::triggered, this, &frmMain::menuFileExportPatch_Click);
  menuFileExportPreviewRom =
      addAction(menuFile, "menuFileExportPreviewRom", "Export Pre&view ROM...");
  menuFileExportPreviewRom->setStatusTip(
      "An image that boots in any emulator and shows this field and batter's view");
  connect(menuFileExportPreviewRom, &QAction::triggered, this,
          &frmMain::menuFileExportPreviewRom_Click);
  menuFile->addSeparator();
  menuFilePlayInEmulator =
      addPlayInEmulatorItem(menuFile, [this] { menuFilePlayInEmulator_Click(); });
  menuFile->addSeparator()->setObjectName("sep0");
  menuFileExit = addAction(menuFile, "menuFileExit", "E&xit");
  menuFileExit->setShortcut(QKeySequence("Ctrl+Q"));
  connect(menuFileLoadRom, &QAction::triggered, this, &frmMain::menuFileLoadRom_Click);
  connect(menuFileSaveRom, &QAction::triggered, this, [this] { saveRom(); });
  connect(menuFileExit, &QAction::triggered, this, &QWidget::close);
}

void frmMain::buildEditMenu() {
  const auto addAction = addNamedAction;
  menuEdit = menuBar()->addMenu("&Edit");
  menuEdit->setObjectName("menuEdit");
  menuEditUndo = addAction(menuEdit, "menuEditUndo", "&Undo");
  menuEditUndo->setShortcut(QKeySequence("Ctrl+Z"));
  menuEditRedo = addAction(menuEdit, "menuEditRedo", "&Redo");
  menuEditRedo->setShortcuts({QKeySequence("Ctrl+Shift+Z"), QKeySequence("Ctrl+Y")});
  menuEdit->addSeparator();
  menuEditTileData = addAction(menuEdit, "menuEditTileData", "&Tile Data");
  menuEditTileData->setShortcut(QKeySequence("Ctrl+T"));
  menuEditBatView = addAction(menuEdit, "menuEditBatView", "&Batter's View");
  menuEditBatView->setShortcut(QKeySequence("Ctrl+B"));
  menuEdit->addSeparator();
  QAction* menuEditPreferences = addAction(menuEdit, "menuEditPreferences", "Pre&ferences...");
  connect(menuEditPreferences, &QAction::triggered, this, &frmMain::menuEditPreferences_Click);
  connect(menuEditUndo, &QAction::triggered, this, &frmMain::undo);
  connect(menuEditRedo, &QAction::triggered, this, &frmMain::redo);
  connect(this, &frmMain::editorRequested, this, &frmMain::openEditor);
  connect(menuEditTileData, &QAction::triggered, this, [this] { emit editorRequested(0, 0); });
  connect(menuEditBatView, &QAction::triggered, this, [this] { emit editorRequested(1, 0); });
}

void frmMain::buildViewMenu() {
  const auto addAction = addNamedAction;
  menuView = menuBar()->addMenu("&View");
  menuView->setObjectName("menuView");
  menuViewFieldGrid = addAction(menuView, "menuViewFieldGrid", "Show &Field Grid");
  menuViewFieldGrid->setCheckable(true);
  menuViewFieldGrid->setShortcut(QKeySequence("Ctrl+G"));
  menuViewMetaGrid = addAction(menuView, "menuViewMetaGrid", "Show &Tile Grid");
  menuViewMetaGrid->setCheckable(true);
  menuViewMetaGrid->setShortcut(QKeySequence("Ctrl+Shift+G"));
  menuViewQuadGrid = addAction(menuView, "menuViewQuadGrid", "Show &Quadrant Grid");
  menuViewQuadGrid->setCheckable(true);
  menuViewQuadGrid->setShortcut(QKeySequence("Ctrl+Alt+G"));
  menuViewConsoleColours =
      addConsoleColoursItem(menuView, [this](bool on) { menuViewConsoleColours_Click(on); });
  menuView->addSeparator();
  zoomItems = addZoomItems(menuView, [this](int step) {
    setViewZoom(zoomTarget(), step == 0 ? 1 : zoomTarget()->zoom() + step);
  });
  connect(menuViewFieldGrid, &QAction::triggered, this, &frmMain::menuViewFieldGrid_Click);
  connect(menuViewMetaGrid, &QAction::triggered, this, &frmMain::menuViewMetaGrid_Click);
  connect(menuViewQuadGrid, &QAction::triggered, this, &frmMain::menuViewQuadGrid_Click);
}

void frmMain::showZoomState() {
  if (!menuView->menuAction()->isEnabled()) {
    return;
  }
  zoomItems.show(zoomTarget()->zoom(),
                 zoomTarget() == picMapRenderDest ? "the field map" : "the metatile table");
}

void frmMain::enableMenus(bool enabled) {
  menuFileLoadRom->setEnabled(true);
  menuFileExit->setEnabled(true);
  menuFileSaveRom->setEnabled(enabled);
  // Imports and exports need an image too.
  menuFileImportField->setEnabled(enabled);
  menuFileImportBatView->setEnabled(enabled);
  menuFileExportPatch->setEnabled(enabled);
  menuFileExportPreviewRom->setEnabled(enabled);
  menuFilePlayInEmulator->setEnabled(enabled);
  findChild<QMenu*>("menuFileExportImage")->menuAction()->setEnabled(enabled);
  menuEdit->menuAction()->setEnabled(enabled);
  menuView->menuAction()->setEnabled(enabled);
  // The items too, so that no shortcut reaches them through a disabled menu.
  for (QAction* action : menuEdit->actions() + menuView->actions()) {
    action->setEnabled(enabled);
  }
  menuTools->menuAction()->setEnabled(enabled);
  for (QAction* action : menuTools->actions()) {
    action->setEnabled(enabled);
  }
  toolBar->setEnabled(enabled);
  subPaletteBar->setEnabled(enabled);
  showHistoryState();
  showZoomState();
  showToolState();
}

void frmMain::enableViews(bool enabled) {
  picMapRenderDest->setEnabled(enabled);
  vscrMap->setEnabled(enabled);
  picMetaTable->setEnabled(enabled);
  vscrMetatiles->setEnabled(enabled);
}
}  // namespace tarvo
