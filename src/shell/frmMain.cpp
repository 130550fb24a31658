#include "shell/frmMain.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QKeySequence>
#include <QLabel>
#include <QMenuBar>
#include <QScrollBar>

#include "editor/frmAltPane.h"
#include "gfx/colors.h"
#include "platform/clip_viewport.h"
#include "platform/line_overlay.h"
#include "platform/picture_surface.h"
#include "platform/user_dialogs.h"
#include "screens/field_renderer.h"
#include "shell/rom_image.h"
#include "shell/rom_locations.h"

namespace tarvo {

namespace {

constexpr int kClientWidth = 808;
constexpr int kClientHeight = 727;

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
  tilePixels.assign(1, 0);
  romPath.clear();
  dialogDirectory = QCoreApplication::applicationDirPath();
  buildColorTable();

  buildControls();
  buildMenus();
  enableMenus(false);
  enableViews(false);
  createGridLines();
  setFixedSize(sizeHint());
}

frmMain::~frmMain() {
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
    altPane = new frmAltPane();  // a window of its own, without an owner
    connect(altPane, &frmAltPane::unloaded, this, &frmMain::altPane_Unload);
  }
  altPane->initGUI(ap, metaID);
  altPane->show();
  altPane->raise();
  altPane->activateWindow();
}

void frmMain::altPane_Unload(int mode) {
  if (mode == 0) {
    refreshGFX();
  }
  activateWindow();
}

void frmMain::closeEditor() {
  if (altPane) {
    altPane->close();  // writes its bank back
  }
}

void frmMain::closeEvent(QCloseEvent* event) {
  closeEditor();
  event->accept();
}

void frmMain::buildControls() {
  auto* client = new QWidget(this);
  client->setObjectName("clientArea");
  client->setFixedSize(kClientWidth, kClientHeight);
  setCentralWidget(client);

  picMapContainer = new ClipViewport(client);
  picMapContainer->setObjectName("picMapContainer");
  picMapContainer->setGeometry(8, 8, 769, 512);
  picMapRenderDest = new PictureSurface(mapSurface, picMapContainer);
  picMapRenderDest->setObjectName("picMapRenderDest");
  picMapRenderDest->move(0, 0);
  vscrMap = makeScrollBar(client, "vscrMap", {784, 8, 17, 512}, 256, 8, 32);

  PicMetaContainer = new ClipViewport(client);
  PicMetaContainer->setObjectName("PicMetaContainer");
  PicMetaContainer->setGeometry(8, 528, 516, 196);
  picMetaTable = new PictureSurface(metaTableSurface, PicMetaContainer);
  picMetaTable->setObjectName("picMetaTable");
  picMetaTable->move(0, 0);
  vscrMetatiles = makeScrollBar(client, "vscrMetatiles", {524, 528, 17, 195}, 3, 1, 1);
  picMapContainer->setContent(picMapRenderDest, vscrMap);
  PicMetaContainer->setContent(picMetaTable, vscrMetatiles);

  picSelMeta = new PictureSurface(selMetaSurface, client);
  picSelMeta->setObjectName("picSelMeta");
  picSelMeta->move(552, 536);

  for (int i = 0; i < 32; ++i) {
    auto* swatch = new QLabel(client);
    swatch->setObjectName("lblnespal_edit");
    swatch->setProperty("index", i);
    swatch->setAutoFillBackground(true);
    swatch->setGeometry(i < 16 ? 552 + 16 * i : 552 + 16 * (i - 16), i < 16 ? 608 : 632, 16, 16);
    lblnespal_edit[static_cast<std::size_t>(i)] = swatch;
  }

  connect(picMapRenderDest, &PictureSurface::pressed, this, &frmMain::picMapRenderDest_MouseDown);
  connect(picMapRenderDest, &PictureSurface::moved, this, &frmMain::picMapRenderDest_MouseMove);
  connect(picMetaTable, &PictureSurface::pressed, this, &frmMain::picMetaTable_MouseDown);
  connect(picMetaTable, &PictureSurface::doubleClicked, this, &frmMain::picMetaTable_DblClick);
  // valueChanged also comes while the thumb is dragged.
  connect(vscrMap, &QScrollBar::valueChanged, this, &frmMain::vscrMap_Change);
  connect(vscrMetatiles, &QScrollBar::valueChanged, this, &frmMain::vscrMetatiles_Change);
}

void frmMain::buildMenus() {
  auto addAction = [this](QMenu* menu, const char* name, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    return action;
  };
  menuFile = menuBar()->addMenu("File");
  menuFile->setObjectName("menuFile");
  menuFileLoadRom = addAction(menuFile, "menuFileLoadRom", "Load Rom");
  menuFileSaveRom = addAction(menuFile, "menuFileSaveRom", "Save Rom");
  menuFile->addSeparator()->setObjectName("sep0");
  menuFileExit = addAction(menuFile, "menuFileExit", "Exit");

  menuEdit = menuBar()->addMenu("Edit");
  menuEdit->setObjectName("menuEdit");
  menuEditTileData = addAction(menuEdit, "menuEditTileData", "Tile Data");
  menuEditBatView = addAction(menuEdit, "menuEditBatView", "Batter's View");

  menuView = menuBar()->addMenu("View");
  menuView->setObjectName("menuView");
  menuViewFieldGrid = addAction(menuView, "menuViewFieldGrid", "Show Field Grid");
  menuViewFieldGrid->setCheckable(true);
  menuViewFieldGrid->setShortcut(QKeySequence("Ctrl+G"));
  menuViewMetaGrid = addAction(menuView, "menuViewMetaGrid", "Show Tile Grid");
  menuViewMetaGrid->setCheckable(true);
  menuViewMetaGrid->setShortcut(QKeySequence("Ctrl+Shift+G"));

  connect(menuFileLoadRom, &QAction::triggered, this, &frmMain::menuFileLoadRom_Click);
  connect(menuFileSaveRom, &QAction::triggered, this, &frmMain::menuFileSaveRom_Click);
  connect(menuFileExit, &QAction::triggered, this, &QWidget::close);
  connect(this, &frmMain::editorRequested, this, &frmMain::openEditor);
  connect(menuEditTileData, &QAction::triggered, this, [this] { emit editorRequested(0, 0); });
  connect(menuEditBatView, &QAction::triggered, this, [this] { emit editorRequested(1, 0); });
  connect(menuViewFieldGrid, &QAction::triggered, this, &frmMain::menuViewFieldGrid_Click);
  connect(menuViewMetaGrid, &QAction::triggered, this, &frmMain::menuViewMetaGrid_Click);
}

void frmMain::enableMenus(bool enabled) {
  menuFileLoadRom->setEnabled(true);
  menuFileExit->setEnabled(true);
  menuFileSaveRom->setEnabled(enabled);
  menuEdit->menuAction()->setEnabled(enabled);
  menuView->menuAction()->setEnabled(enabled);
  // The items too, so that no shortcut reaches them through a disabled menu.
  for (QAction* action : menuEdit->actions() + menuView->actions()) {
    action->setEnabled(enabled);
  }
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
  const QString path = dialogs.openFileName(this, dialogDirectory, "NES ROM (*.nes)");
  if (path.isEmpty()) {
    return;  // cancelled
  }
  loadRomFile(path);
}

bool frmMain::loadRomFile(const QString& path) {
  // The editor window writes its bank back as it closes: into the image it was
  // opened on, never into the one that comes next.
  closeEditor();
  std::string reason;
  const QString name = QFileInfo(path).fileName();
  if (loadBinaryFile(path.toStdString(), romImage, &reason) != 0) {
    showMessage(QString("%1 was not loaded.\n\n%2.").arg(name, QString::fromStdString(reason)));
    return false;
  }
  romPath = path;
  dialogDirectory = QFileInfo(path).absolutePath();
  setWindowTitle(appTitle + " [" + name + "]");
  refreshGFX();
  enableMenus(true);
  enableViews(true);
  picMetaTable_MouseDown(0, 0, 0, 0);
  showMessage("File loaded!");
  return true;
}

void frmMain::menuFileSaveRom_Click() {
  if (romPath.isEmpty()) {
    return;
  }
  std::string reason;
  if (saveBinaryFile(romPath.toStdString(), romImage, &reason) != 0) {
    showMessage(QString("%1 was not saved.\n\n%2.")
                    .arg(QFileInfo(romPath).fileName(), QString::fromStdString(reason)));
    return;
  }
  showMessage("File saved!");
}

void frmMain::refreshGFX() {
  readPalette(romImage, fieldPalette, rom::kFieldPalette.offset);
  showPalette();
  decodeFieldTiles();
  drawPatternTables();
  drawMetatileTable(metaTableSurface, romImage, picPatTbl, 0);
  drawFieldMap(mapSurface, romImage, picPatTbl);
}

void frmMain::showPalette() {
  for (std::size_t i = 0; i < lblnespal_edit.size(); ++i) {
    const Color colour = paletteColor(fieldPalette[i]);
    QPalette palette = lblnespal_edit[i]->palette();
    palette.setColor(QPalette::Window, QColor(redOf(colour), greenOf(colour), blueOf(colour)));
    lblnespal_edit[i]->setPalette(palette);
  }
}

void frmMain::decodeFieldTiles() {
  decodeTiles(rom::kFieldChrBank.offset, rom::kBankTiles, tilePixels, romImage);
}

void frmMain::drawPatternTables() {
  tarvo::drawPatternTables(picPatTbl, tilePixels, fieldPalette);
}

}  // namespace tarvo
