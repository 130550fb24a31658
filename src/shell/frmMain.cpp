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

frmMain::frmMain(UserDialogs& userDialogs, QWidget* parent)
    : QMainWindow(parent), dialogs(userDialogs) {
  setObjectName("frmMain");
  // Start-up, in the program's order: title, an empty image, the dialog's
  // folder, the colours, everything disabled, the grid lines.
  appTitle = QString("Tarvo-Field Editor v%1.%2.%3")
                 .arg(TARVO_VERSION_MAJOR)
                 .arg(TARVO_VERSION_MINOR)
                 .arg(TARVO_VERSION_PATCH);
  setWindowTitle(appTitle + " [...]");
  romImage.assign(1, 0);
  romPath.clear();
  dialogDirectory = QCoreApplication::applicationDirPath();
  buildColorTable();

  buildControls();
  buildMenus();
  buildTools();
  enableMenus(false);
  enableViews(false);
  createGridLines();
  statusBar()->setObjectName("statusBar");
  lblConsoleColours = addConsoleColoursLabel(statusBar());
  setAcceptDrops(true);
  connect(&emulator, &EmulatorLauncher::failed, this,
          [this](const QString& message) { statusBar()->showMessage(message, 10000); });

  // The menu bar's height at the window's width: narrower, it would wrap.
  const int menuHeight = std::max(menuBar()->heightForWidth(kClientWidth), 0);
  placeOnScreen(
      this, QSize(kClientWidth, kClientHeight +
                                    (menuHeight > 0 ? menuHeight : menuBar()->sizeHint().height()) +
                                    statusBar()->sizeHint().height()));
  restoreSettings();
  rom.history().addListener(this);
}

frmMain::~frmMain() {
  mapTools.reset();
  rom.history().removeListener(this);
  if (altPane) {
    altPane->disconnect(this);
    delete altPane;
  }
  // The picture widgets go before the surfaces they show, which are members.
  delete takeCentralWidget();
}

frmAltPane* frmMain::editorWindow() const {
  return altPane.data();
}

void frmMain::openEditor(int ap, int metaID) {
  if (!altPane) {
    altPane = new frmAltPane(rom.history(), dialogs);  // a window of its own, without an owner
    connect(altPane, &frmAltPane::unloaded, this, &frmMain::altPane_Unload);
    connect(altPane, &frmAltPane::undoRequested, this, &frmMain::undo);
    connect(altPane, &frmAltPane::redoRequested, this, &frmMain::redo);
    connect(altPane, &frmAltPane::saveRequested, this, [this] { saveRom(); });
    connect(altPane, &frmAltPane::exportRequested, this, &frmMain::menuFileExportImage_Click);
    connect(altPane, &frmAltPane::helpRequested, this, [this] { showKeyboardAndMouse(altPane); });
    connect(altPane, &frmAltPane::consoleColoursRequested, this,
            &frmMain::menuViewConsoleColours_Click);
    connect(altPane, &frmAltPane::playRequested, this, &frmMain::menuFilePlayInEmulator_Click);
    altPane->setConsoleColours(colourMode() == ColourMode::Console);
  }
  altPane->setFileName(QFileInfo(romPath).fileName());
  altPane->initGUI(ap, metaID);
  showHistoryState();
  altPane->show();
  altPane->raise();
  altPane->activateWindow();
}

void frmMain::undo() {
  rom.history().undo();  // the views follow through imageChanged
}

void frmMain::redo() {
  rom.history().redo();
}

void frmMain::imageChanged(const std::vector<ByteRange>& ranges) {
  const ImageDamage damage = damageOf(ranges);
  if (field.imageChanged(damage)) {
    showPalette();
  }
  if (mapTools.pasting() &&
      (damage.fieldPalette || damage.fieldTiles.any() || damage.metatiles.any())) {
    // The block's tiles or colours changed under the preview.
    pastePicture = field.blockPicture(mapTools.pasteBlock());
    ++pastePictureVersion;
    showToolState();
  }
  if (altPane) {
    altPane->imageChanged(damage);
  }
}

void frmMain::historyChanged() {
  showHistoryState();
}

void frmMain::showHistoryState() {
  const EditHistory& history = rom.history();
  const bool loaded = rom.isLoaded();
  menuEditUndo->setEnabled(loaded && history.canUndo());
  menuEditRedo->setEnabled(loaded && history.canRedo());
  showUndoNames(menuEditUndo, menuEditRedo, history.undoName(), history.redoName());
  setWindowModified(loaded && rom.isModified());
  if (altPane) {
    altPane->showHistoryState(loaded && rom.isModified());
  }
}

void frmMain::showStatus(const std::string& text) {
  statusBar()->showMessage(QString::fromStdString(text));
}

void frmMain::altPane_Unload(int mode) {
  // The window deletes itself once it has gone; an opening from now on makes
  // a new one.
  altPane = nullptr;
  // Every edit has reached the views already; the field's pictures are drawn
  // once more whole, as the program has always done when that mode closes.
  if (mode == 0) {
    refreshGFX();
  }
  activateWindow();
}

void frmMain::shutEditor() {
  if (altPane) {
    altPane->close();
  }
}

void frmMain::closeEvent(QCloseEvent* event) {
  if (!maybeSave()) {
    event->ignore();
    return;
  }
  shutEditor();
  settings::setWindowGeometry("mainWindow", saveGeometry());
  event->accept();
}

void frmMain::showKeyboardAndMouse(QWidget* parent) {
  dialogs.showHelp(parent, "Keyboard and Mouse", keyboardAndMouseHelp());
}

void frmMain::showFileMessage(const QString& text) {
  if (!settings::showFileMessages()) {
    statusBar()->showMessage(text, 5000);
    return;
  }
  if (dialogs.messageOnce(this, appTitle, text)) {
    settings::setShowFileMessages(false);
  }
}

void frmMain::menuEditPreferences_Click() {
  UserDialogs::Preferences preferences;
  preferences.showFileMessages = settings::showFileMessages();
  preferences.emulatorCommand = settings::text("emulator/command");
  preferences.altPicks = settings::flag(settings::kAltPicksKey, false);
  if (dialogs.editPreferences(this, preferences)) {
    settings::setShowFileMessages(preferences.showFileMessages);
    settings::setText("emulator/command", preferences.emulatorCommand);
    settings::setFlag(settings::kAltPicksKey, preferences.altPicks);
    mapTools.setAltPicks(preferences.altPicks);
    if (altPane) {
      altPane->setAltPicks(preferences.altPicks);
    }
  }
}

void frmMain::buildRecentFiles() {
  // The items are made once and only change: an item may be the one whose
  // choice is running when the list changes.
  for (int i = 0; i < settings::kMaxRecentFiles; ++i) {
    QAction* item = menuFileRecent->addAction(QString());
    item->setObjectName("menuFileRecentFile");
    item->setProperty("index", i);
    connect(item, &QAction::triggered, this, [this, item] {
      const QString path = item->data().toString();
      if (path.isEmpty() || !maybeSave()) {
        return;
      }
      if (!loadRomFile(path) && !QFileInfo::exists(path)) {
        settings::removeRecentFile(path);  // gone: no use offering it again
        showRecentFiles();
      }
    });
  }
  menuFileRecent->addSeparator();
  QAction* clear = menuFileRecent->addAction("&Clear");
  clear->setObjectName("menuFileRecentClear");
  connect(clear, &QAction::triggered, this, [this] {
    settings::clearRecentFiles();
    showRecentFiles();
  });
}

void frmMain::showRecentFiles() {
  const QStringList files = settings::recentFiles();
  const QList<QAction*> items = menuFileRecent->actions();
  for (int i = 0; i < settings::kMaxRecentFiles; ++i) {
    QAction* item = items.at(i);
    const QString path = i < files.size() ? files.at(i) : QString();
    // "&&" shows one "&" of the file's own name.
    item->setText(QString("&%1 %2").arg(i + 1).arg(QFileInfo(path).fileName().replace("&", "&&")));
    item->setData(path);
    item->setStatusTip(path);
    item->setToolTip(path);
    item->setVisible(!path.isEmpty());
  }
  findChild<QAction*>("menuFileRecentClear")->setEnabled(!files.isEmpty());
}

void frmMain::restoreSettings() {
  const QByteArray geometry = settings::windowGeometry("mainWindow");
  if (!geometry.isEmpty()) {
    restoreGeometry(geometry);
  }
  const QString folder = settings::lastFolder();
  if (!folder.isEmpty() && QFileInfo(folder).isDir()) {
    dialogDirectory = folder;
  }
  mapTools.setAltPicks(settings::flag(settings::kAltPicksKey, false));
  setViewZoom(picMapRenderDest, settings::number("zoom/map", 1));
  setViewZoom(picMetaTable, settings::number("zoom/table", 1));
  lastZoomView = picMapRenderDest;
  const std::pair<QAction*, const char*> grids[] = {
      {menuViewFieldGrid, "grid/field"},
      {menuViewMetaGrid, "grid/tiles"},
      {menuViewQuadGrid, "grid/quadrants"},
  };
  for (const auto& [item, key] : grids) {
    if (settings::flag(key, false)) {
      item->setChecked(true);
    }
    connect(item, &QAction::toggled, this, [key = key](bool on) { settings::setFlag(key, on); });
  }
  menuViewFieldGrid_Click();
  menuViewMetaGrid_Click();
  menuViewQuadGrid_Click();
  setConsoleColours(settings::flag("view/consoleColours", false));
  showRecentFiles();
}

// A .nes file dropped on the window opens as "Load Rom" would open it.
// The one local file dropped, if its name ends in `extension`.
static QString droppedFile(const QMimeData* data, const char* extension) {
  if (data == nullptr || data->urls().size() != 1 || !data->urls().front().isLocalFile()) {
    return {};
  }
  const QString path = data->urls().front().toLocalFile();
  return path.endsWith(extension, Qt::CaseInsensitive) ? path : QString();
}

void frmMain::dragEnterEvent(QDragEnterEvent* event) {
  // A ROM image to load; with one loaded, a picture to import.
  if (!droppedFile(event->mimeData(), ".nes").isEmpty() ||
      (rom.isLoaded() && !droppedFile(event->mimeData(), ".png").isEmpty())) {
    event->acceptProposedAction();
  }
}

void frmMain::dropEvent(QDropEvent* event) {
  const QString romFile = droppedFile(event->mimeData(), ".nes");
  const QString picture = droppedFile(event->mimeData(), ".png");
  if (!romFile.isEmpty()) {
    event->acceptProposedAction();
    if (maybeSave()) {
      loadRomFile(romFile);
    }
  } else if (!picture.isEmpty() && rom.isLoaded()) {
    event->acceptProposedAction();
    importPictureFile(picture, std::nullopt);
  }
}

void frmMain::buildControls() {
  auto* client = new QWidget(this);
  client->setObjectName("clientArea");
  client->setMinimumSize(kClientWidth, kMinClientHeight);
  client->resize(kClientWidth, kClientHeight);
  client->installEventFilter(this);  // its resizes place the controls
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

  QMenu* menuHelp = menuBar()->addMenu("&Help");
  menuHelp->setObjectName("menuHelp");
  QAction* menuHelpKeys = addAction(menuHelp, "menuHelpKeys", "&Keyboard and Mouse");
  menuHelpKeys->setShortcut(QKeySequence("F1"));
  connect(menuHelpKeys, &QAction::triggered, this, [this] { showKeyboardAndMouse(this); });
  menuHelpAbout = addAction(menuHelp, "menuHelpAbout", "&About");

  connect(menuHelpAbout, &QAction::triggered, this, &frmMain::menuHelpAbout_Click);
  connect(menuEditUndo, &QAction::triggered, this, &frmMain::undo);
  connect(menuEditRedo, &QAction::triggered, this, &frmMain::redo);
  connect(menuFileLoadRom, &QAction::triggered, this, &frmMain::menuFileLoadRom_Click);
  connect(menuFileSaveRom, &QAction::triggered, this, [this] { saveRom(); });
  connect(menuFileExit, &QAction::triggered, this, &QWidget::close);
  connect(this, &frmMain::editorRequested, this, &frmMain::openEditor);
  connect(menuEditTileData, &QAction::triggered, this, [this] { emit editorRequested(0, 0); });
  connect(menuEditBatView, &QAction::triggered, this, [this] { emit editorRequested(1, 0); });
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

void frmMain::showMessage(const QString& text) {
  dialogs.message(this, appTitle, text);
}

void frmMain::menuFileLoadRom_Click() {
  if (!maybeSave()) {
    return;
  }
  const QString path = dialogs.openFileName(this, dialogDirectory, "NES ROM (*.nes)");
  if (path.isEmpty()) {
    return;  // cancelled
  }
  loadRomFile(path);
}

bool frmMain::loadRomFile(const QString& path) {
  std::string reason;
  const QString name = QFileInfo(path).fileName();
  ByteArray incoming;
  if (RomDocument::read(path.toStdString(), incoming, &reason) != 0) {
    showMessage(QString("%1 was not loaded.\n\n%2.").arg(name, QString::fromStdString(reason)));
    return false;  // everything stays, the editor window too
  }
  // A file whose header does not describe the game's layout may be another
  // game, or this one dumped otherwise: its bytes at our offsets would be
  // something else. Asked once, before anything changes.
  if (const std::string problem = romHeaderProblem(incoming);
      !problem.empty() &&
      !dialogs.askToLoad(this, appTitle,
                         QString("%1 may not be the game's ROM image.\n\n%2.\n\nLoad it and "
                                 "edit it at the game's offsets anyway?")
                             .arg(name, QString::fromStdString(problem)))) {
    return false;
  }
  // The editor window shows the image it was opened on: it closes first.
  shutEditor();
  mapTools.reset();
  pastePicture.reset();
  rom.adopt(path.toStdString(), std::move(incoming));
  romPath = path;
  dialogDirectory = QFileInfo(path).absolutePath();
  // "[*]" in a title is the unsaved-changes marker; one in the file's own
  // name is doubled to show as it is.
  QString shownName = name;
  shownName.replace("[*]", "[*][*]");
  setWindowTitle(appTitle + " [" + shownName + "][*]");
  refreshGFX();
  enableMenus(true);
  enableViews(true);
  picMetaTable_MouseDown(0, 0, 0, 0);
  showHistoryState();
  showToolState();
  settings::addRecentFile(QFileInfo(path).absoluteFilePath());
  settings::setLastFolder(dialogDirectory);
  showRecentFiles();
  showFileMessage("File loaded!");
  return true;
}

bool frmMain::saveRom() {
  if (romPath.isEmpty()) {
    return false;
  }
  const QString name = QFileInfo(romPath).fileName();
  if (rom.changedOnDisk() &&
      !dialogs.confirm(this, appTitle,
                       QString("%1 has changed on disk since it was loaded or last saved.\n\n"
                               "Overwrite it with the image in the editor?")
                           .arg(name))) {
    return false;
  }
  std::string reason;
  if (rom.save(&reason) != 0) {
    showMessage(QString("%1 was not saved.\n\n%2.").arg(name, QString::fromStdString(reason)));
    return false;
  }
  showHistoryState();
  showFileMessage("File saved!");
  return true;
}

bool frmMain::maybeSave() {
  rom.history().checkpoint();
  if (!rom.isLoaded() || !rom.isModified()) {
    return true;
  }
  const QString question = QString("Save changes to %1?").arg(QFileInfo(romPath).fileName());
  switch (dialogs.askToSave(this, appTitle, question)) {
    case UserDialogs::SaveAnswer::Save:
      return saveRom();
    case UserDialogs::SaveAnswer::Discard:
      return true;
    case UserDialogs::SaveAnswer::Cancel:
      return false;
  }
  return false;
}

void frmMain::menuHelpAbout_Click() {
  showMessage(QString("Tarvo-Field Editor\nVersion %1\n\nRedraws the playing field and the "
                      "Batter's View screen in the ROM image of an NES baseball game.")
                  .arg(TARVO_VERSION));
}

void frmMain::refreshGFX() {
  field.refreshGFX();
  showPalette();
}

void frmMain::showPalette() {
  const bool console = colourMode() == ColourMode::Console;
  for (std::size_t i = 0; i < lblnespal_edit.size(); ++i) {
    const Color colour = paletteColor(field.fieldPalette[i]);
    QPalette palette = lblnespal_edit[i]->palette();
    palette.setColor(QPalette::Window, QColor(redOf(colour), greenOf(colour), blueOf(colour)));
    lblnespal_edit[i]->setPalette(palette);
    // The console shows entry 0 in place of entries 4, 8 and 12.
    if (i == 4 || i == 8 || i == 12) {
      lblnespal_edit[i]->setCrossed(console);
      lblnespal_edit[i]->setToolTip(
          console ? "Not shown by the console: pixel value 0 of every sub-palette shows entry "
                    "0.\nDouble-click to choose another colour"
                  : "Double-click to choose another colour");
    }
  }
  showSubPaletteColours();
}

void frmMain::menuViewConsoleColours_Click(bool on) {
  settings::setFlag("view/consoleColours", on);
  setConsoleColours(on);
}

void frmMain::setConsoleColours(bool on) {
  menuViewConsoleColours->setChecked(on);
  lblConsoleColours->setVisible(on);
  const ColourMode mode = on ? ColourMode::Console : ColourMode::Editor;
  if (mode != field.colourMode()) {
    field.setColourMode(mode);
    if (rom.isLoaded()) {
      refreshGFX();
    }
    if (mapTools.pasting()) {
      pastePicture = field.blockPicture(mapTools.pasteBlock());
      ++pastePictureVersion;
      showToolState();
    }
  }
  if (altPane) {
    altPane->setConsoleColours(on);
  }
}

void frmMain::menuFileExportImage_Click(int view) {
  const ViewInfo& info = kViews[static_cast<std::size_t>(view)];
  const QString base = QFileInfo(romPath).completeBaseName();
  const QString path = dialogs.saveFileName(
      this, dialogDirectory,
      base + "-" + QString::fromUtf8(info.name.data(), static_cast<int>(info.name.size())) + ".png",
      "PNG image (*.png)");
  if (path.isEmpty()) {
    return;
  }
  const QString name = QFileInfo(path).fileName();
  if (!name.endsWith(".png", Qt::CaseInsensitive)) {
    showMessage(QString("%1 was not written.\n\nA picture's name ends in .png.").arg(name));
    return;
  }
  if (refuseToOverwriteRom(path)) {
    return;
  }
  ByteArray png;
  std::string reason;
  if (!encodeViewPng(romImage, info.view, 0, png, &reason, colourMode()) ||
      writeWholeFile(path.toStdString(), png, &reason) != 0) {
    showMessage(QString("%1 was not written.\n\n%2.").arg(name, QString::fromStdString(reason)));
    return;
  }
  statusBar()->showMessage(QString("Wrote %1").arg(name), 5000);
}

void frmMain::menuFileImportPicture_Click(ImportTarget target) {
  const QString path = dialogs.openFileName(this, dialogDirectory, "PNG image (*.png)");
  if (!path.isEmpty()) {
    importPictureFile(path, target);
  }
}

void frmMain::importPictureFile(const QString& path, std::optional<ImportTarget> target) {
  const QString name = QFileInfo(path).fileName();
  ByteArray png;
  std::vector<Color> picture;
  std::string reason;
  const auto refuse = [&] {
    showMessage(QString("%1 was not imported.\n\n%2.").arg(name, QString::fromStdString(reason)));
  };
  if (readWholeFile(path.toStdString(), png, kImportFileLimit, &reason) != 0) {
    refuse();
    return;
  }
  if (!target) {
    // A dropped picture goes where its size says.
    DecodedImage decoded;
    decodePng(png, decoded, &reason, 0);
    for (const ImportTarget view : {ImportTarget::Field, ImportTarget::BatView}) {
      if (decoded.width == importWidth(view) && decoded.height == importHeight(view)) {
        target = view;
      }
    }
    if (!target) {
      if (decoded.width > 0) {
        reason =
            "A picture to import is 768 x 768 pixels (the field) or 256 x 240 (the batter's "
            "view); this one is ";
        reason += std::to_string(decoded.width) + " x " + std::to_string(decoded.height);
      }
      refuse();
      return;
    }
  }
  if (!readImportPicture(png, *target, picture, &reason)) {
    refuse();
    return;
  }
  // A drag under way ends as a step of its own.
  if (mapTools.inGesture()) {
    mapTools.endGesture();
    showToolState();
  }
  const std::optional<FittedPicture> fitted =
      dialogs.fitPicture(this, *target, name, picture, romImage);
  if (!fitted) {
    return;
  }
  {
    Edit edit(rom.history(), target == ImportTarget::Field ? "Import Picture as Field"
                                                           : "Import Picture as Batter's View");
    applyFittedPicture(*fitted, romImage);
  }
  statusBar()->showMessage(
      QString("Imported %1: %2")
          .arg(name, QString::fromStdString(describeFigures(fitted->figures, *target))),
      10000);
}

void frmMain::menuFileExportPatch_Click() {
  const QString path =
      dialogs.saveFileName(this, dialogDirectory, QFileInfo(romPath).completeBaseName() + ".ips",
                           "IPS patch (*.ips);;BPS patch (*.bps)");
  if (path.isEmpty()) {
    return;
  }
  const QString name = QFileInfo(path).fileName();
  const auto format = patchFormatForPath(path.toStdString());
  if (!format) {
    showMessage(QString("%1 was not written.\n\nA patch's name ends in .ips or .bps.").arg(name));
    return;
  }
  if (refuseToOverwriteRom(path)) {
    return;
  }
  rom.history().checkpoint();
  ByteArray patch;
  std::string reason;
  if (!makePatch(*format, rom.loadedBytes(), romImage, patch, &reason) ||
      writeWholeFile(path.toStdString(), patch, &reason) != 0) {
    showMessage(QString("%1 was not written.\n\n%2.").arg(name, QString::fromStdString(reason)));
    return;
  }
  statusBar()->showMessage(QString("Wrote %1").arg(name), 5000);
}

void frmMain::menuFilePlayInEmulator_Click() {
  if (!rom.isLoaded()) {
    return;
  }
  QString problem;
  switch (emulator.play(romImage, QFileInfo(romPath).fileName(), configuredEmulatorCommand(),
                        &problem)) {
    case EmulatorLauncher::Result::Started:
      statusBar()->showMessage(QString("Playing %1 in %2, unsaved edits included")
                                   .arg(QFileInfo(romPath).fileName(), emulator.programName()),
                               5000);
      break;
    case EmulatorLauncher::Result::NoEmulator:
      showMessage(problem +
                  "\n\nInstall an NES emulator from Debian's packages fceux, nestopia or "
                  "mednafen (for example: sudo apt install fceux), or set the command of your "
                  "emulator in Edit > Preferences.");
      break;
    case EmulatorLauncher::Result::NotWritten:
      showMessage(problem);
      break;
  }
}

void frmMain::menuFileExportPreviewRom_Click() {
  const QString path = dialogs.saveFileName(this, dialogDirectory,
                                            QFileInfo(romPath).completeBaseName() + "-preview.nes",
                                            "NES ROM (*.nes)");
  if (path.isEmpty() || refuseToOverwriteRom(path)) {
    return;
  }
  const QString name = QFileInfo(path).fileName();
  std::string reason;
  if (writeWholeFile(path.toStdString(), makePreviewRom(romImage), &reason) != 0) {
    showMessage(QString("%1 was not written.\n\n%2.").arg(name, QString::fromStdString(reason)));
    return;
  }
  statusBar()->showMessage(QString("Wrote %1: it boots in any emulator and shows this field and "
                                   "batter's view")
                               .arg(name),
                           5000);
}

bool frmMain::refuseToOverwriteRom(const QString& path) {
  if (!sameFile(path.toStdString(), romPath.toStdString())) {
    return false;
  }
  showMessage(QString("%1 was not written.\n\nIt is the ROM image being edited; choose another "
                      "name.")
                  .arg(QFileInfo(path).fileName()));
  return true;
}

void frmMain::lblnespal_edit_DblClick(int index) {
  if (!rom.isLoaded() || index < 0 || index >= 16) {
    return;  // entries 16 to 31 come from nowhere in the image
  }
  const int chosen = dialogs.chooseNesColour(this, QString("Field palette, entry %1").arg(index),
                                             field.fieldPalette[static_cast<std::size_t>(index)]);
  if (chosen < 0) {
    return;
  }
  Edit edit(rom.history(), "Change Colour");
  romImage[static_cast<std::size_t>(rom::kFieldPalette.offset + index)] =
      static_cast<std::uint8_t>(chosen);
}

}  // namespace tarvo
