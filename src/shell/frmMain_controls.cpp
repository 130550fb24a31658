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
#include "platform/editor_settings.h"
#include "platform/line_overlay.h"
#include "platform/menu_items.h"
#include "platform/picture_surface.h"
#include "platform/user_dialogs.h"
#include "platform/window_placement.h"
#include "platform/zoom_view.h"
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

void nameScrollBar(QScrollBar* bar, const char* name, QRect geometry) {
  bar->setObjectName(name);
  bar->setGeometry(geometry);
  bar->show();
}

}  // namespace

void frmMain::buildControls() {
  QWidget* client = makeClientArea(this, QSize(kClientWidth, kClientHeight),
                                   QSize(kClientWidth, kMinClientHeight));
  clientArea = client;
  setCentralWidget(client);

  // The map: a viewport on the picture, and its scroll bars.
  picMapContainer = new ZoomView(field.mapSurface, client, "zoom/map", "the field map");
  picMapContainer->setObjectName("picMapContainer");
  picMapContainer->setGeometry(8, 8, 769, 512);
  picMapRenderDest = picMapContainer->picture();
  picMapRenderDest->setObjectName("picMapRenderDest");
  vscrMap = picMapContainer->downBar();
  nameScrollBar(vscrMap, "vscrMap", {784, 8, 17, 512});
  picMapContainer->acrossBar()->setObjectName("hscrMap");
  picMapContainer->setAxis(Qt::Vertical, {.singleStep = 8, .pageStep = 32});
  picMapContainer->setAxis(Qt::Horizontal, {.singleStep = 8});

  // The metatile table scrolls by rows, over the nine that hold any.
  PicMetaContainer =
      new ZoomView(field.metaTableSurface, client, "zoom/table", "the metatile table");
  PicMetaContainer->setObjectName("PicMetaContainer");
  PicMetaContainer->setGeometry(8, 528, 516, 196);
  picMetaTable = PicMetaContainer->picture();
  picMetaTable->setObjectName("picMetaTable");
  vscrMetatiles = PicMetaContainer->downBar();
  nameScrollBar(vscrMetatiles, "vscrMetatiles", {524, 528, 17, 195});
  PicMetaContainer->acrossBar()->setObjectName("hscrMetatiles");
  PicMetaContainer->setAxis(Qt::Vertical,
                            {.rowPixels = 32, .singleStep = 1, .pageStep = 1, .extentPixels = 288});
  PicMetaContainer->setAxis(Qt::Horizontal, {.singleStep = 8, .pageStep = 128});
  picMetaTable->setFocusPolicy(Qt::StrongFocus);
  picMetaTable->setToolTip("Arrow keys move the selection when the table has the focus");
  for (ZoomView* view : {picMapContainer, PicMetaContainer}) {
    // Not while a drag is under way: the cells would move under it.
    view->setZoomGuard([this] { return mapTools.inGesture(); });
  }
  lastZoomView = picMapContainer;

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
    lastZoomView = PicMetaContainer;
    showStatus(pickerStatus(x, y));
  });
  connect(picMapRenderDest, &PictureSurface::left, this, [this] {
    pointerCell.reset();
    showStatus({});
    showHoverCell(-1, -1);
  });
  connect(picMetaTable, &PictureSurface::left, this, [this] { showStatus({}); });
  connect(picMetaTable, &PictureSurface::pressed, this, &frmMain::picMetaTable_MouseDown);
  connect(picMetaTable, &PictureSurface::released, this, &frmMain::picMetaTable_MouseUp);
  connect(picMetaTable, &PictureSurface::doubleClicked, this, &frmMain::picMetaTable_DblClick);
  connect(picMapContainer, &ZoomView::scrolled, this, &frmMain::followPointer);
  connect(picMetaTable, &PictureSurface::arrowKey, this, &frmMain::picMetaTable_Arrow);
  for (ZoomView* view : {picMapContainer, PicMetaContainer}) {
    connect(view, &ZoomView::zoomed, this, [this, view] {
      lastZoomView = view;
      showZoomState();
    });
    connect(view, &ZoomView::layoutNeeded, this, &frmMain::layoutControls);
  }
  connect(picMetaTable, &PictureSurface::focusEntered, this,
          [this] { lastZoomView = PicMetaContainer; });
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
  menuFileRestoreVersion =
      addAction(menuFile, "menuFileRestoreVersion", "Res&tore Earlier Version...");
  menuFileRestoreVersion->setStatusTip("The file as an earlier save left it, as an unsaved edit");
  connect(menuFileRestoreVersion, &QAction::triggered, this,
          &frmMain::menuFileRestoreVersion_Click);
  menuFileExportPatch = addAction(menuFile, "menuFileExportPatch", "Export &Patch...");
  menuFileExportPatch->setShortcut(QKeySequence("Ctrl+Shift+E"));
  menuFileSetPatchBase = addAction(menuFile, "menuFileSetPatchBase", "Set Patc&h Base...");
  menuFileSetPatchBase->setStatusTip(
      "The clean ROM Export Patch starts from, so that a patch holds every session's changes");
  connect(menuFileSetPatchBase, &QAction::triggered, this, &frmMain::menuFileSetPatchBase_Click);
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
  undoItems = addUndoItems(
      menuEdit, [this] { undo(); }, [this] { redo(); });
  menuEdit->addSeparator();
  menuEditTileData = addAction(menuEdit, "menuEditTileData", "&Tile Data");
  menuEditTileData->setShortcut(QKeySequence("Ctrl+T"));
  menuEditBatView = addAction(menuEdit, "menuEditBatView", "&Batter's View");
  menuEditBatView->setShortcut(QKeySequence("Ctrl+B"));
  menuEdit->addSeparator();
  QAction* menuEditPreferences = addAction(menuEdit, "menuEditPreferences", "Pre&ferences...");
  connect(menuEditPreferences, &QAction::triggered, this, &frmMain::menuEditPreferences_Click);
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
    setViewZoom(zoomTarget()->picture(), step == 0 ? 1 : zoomTarget()->zoom() + step);
  });
  buildUsesItems();
  connect(menuViewFieldGrid, &QAction::triggered, this, &frmMain::menuViewFieldGrid_Click);
  connect(menuViewMetaGrid, &QAction::triggered, this, &frmMain::menuViewMetaGrid_Click);
  connect(menuViewQuadGrid, &QAction::triggered, this, &frmMain::menuViewQuadGrid_Click);
}

void frmMain::showZoomState() {
  if (!menuView->menuAction()->isEnabled()) {
    return;
  }
  zoomItems.show(zoomTarget()->zoom(), zoomTarget()->description());
}

void frmMain::enableMenus(bool enabled) {
  menuFileLoadRom->setEnabled(true);
  menuFileExit->setEnabled(true);
  menuFileSaveRom->setEnabled(enabled);
  // Imports and exports need an image too.
  menuFileImportField->setEnabled(enabled);
  menuFileImportBatView->setEnabled(enabled);
  menuFileExportPatch->setEnabled(enabled);
  menuFileRestoreVersion->setEnabled(enabled);
  menuFileSetPatchBase->setEnabled(enabled);
  menuFileExportPreviewRom->setEnabled(enabled);
  menuFilePlayInEmulator->setEnabled(enabled);
  findChild<QMenu*>("menuFileExportImage")->menuAction()->setEnabled(enabled);
  menuEdit->menuAction()->setEnabled(enabled);
  menuView->menuAction()->setEnabled(enabled);
  // The items too, so that no shortcut reaches them through a disabled menu.
  for (QAction* action : menuEdit->actions() + menuView->actions()) {
    action->setEnabled(enabled);
  }
  toolMenu.menu->menuAction()->setEnabled(enabled);
  for (QAction* action : toolMenu.menu->actions()) {
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
