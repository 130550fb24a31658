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
#include <QScrollBar>
#include <QStatusBar>

#include "platform/clickable_label.h"
#include "platform/line_overlay.h"
#include "platform/picture_surface.h"
#include "platform/user_dialogs.h"
#include "screens/chr_import.h"
#include "screens/grid_lines.h"
#include "screens/status_text.h"

namespace tarvo {

namespace {

constexpr int kClientWidth = 470;
constexpr int kClientHeight = 557;

// The three picture buttons' icons, 32 x 32: a shape and its mirror image
// about the axis the button mirrors on, and a turning arrow.
QIcon mirrorIcon(bool aboutVerticalAxis) {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  QPolygonF shape({{14, 6}, {14, 26}, {3, 26}});  // a right triangle left of the axis
  QTransform toAxis;
  if (!aboutVerticalAxis) {
    toAxis =
        QTransform(0, 1, 1, 0, 0, 0);  // swap x and y: the same picture about a horizontal axis
  }
  const QTransform mirror(-1, 0, 0, 1, 32, 0);
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(Qt::black);
  painter.drawPolygon(toAxis.map(shape));
  painter.setBrush(Qt::NoBrush);
  painter.drawPolygon(toAxis.map(mirror.map(shape)));
  painter.setPen(QPen(Qt::darkGray, 1, Qt::DashLine));
  painter.drawLine(toAxis.map(QLineF(16, 2, 16, 30)));
  return QIcon(pixmap);
}

QIcon rotateIcon() {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(Qt::black, 2.5));
  // Three quarters of a circle from three o'clock, counter-clockwise over the
  // top to six o'clock, where the head points on the way round: right.
  const QRectF circle(6, 6, 20, 20);
  painter.drawArc(circle, 0 * 16, 270 * 16);
  painter.setPen(Qt::NoPen);
  painter.setBrush(Qt::black);
  painter.drawPolygon(QPolygonF({{13, 21}, {13, 31}, {21, 26}}));
  return QIcon(pixmap);
}

QLabel* makeLabel(QWidget* parent, const char* name, QRect geometry, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setGeometry(geometry);
  label->setAlignment(Qt::AlignCenter);
  return label;
}

QPushButton* makeButton(QWidget* parent, const char* name, QRect geometry, const QString& text) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(name);
  button->setGeometry(geometry);
  button->setFocusPolicy(Qt::NoFocus);
  return button;
}

QGroupBox* makeFrame(QWidget* parent, const char* name, QRect geometry) {
  auto* frame = new QGroupBox(parent);
  frame->setObjectName(name);
  frame->setGeometry(geometry);
  return frame;
}

QScrollBar* makeScrollBar(QWidget* parent, const char* name, QRect geometry, int maximum,
                          int pageStep) {
  auto* bar = new QScrollBar(Qt::Horizontal, parent);
  bar->setObjectName(name);
  bar->setGeometry(geometry);
  bar->setRange(0, maximum);
  bar->setSingleStep(1);
  bar->setPageStep(pageStep);
  return bar;
}

void fill(QLabel* label, Color colour) {
  QPalette colours = label->palette();
  colours.setColor(QPalette::Window, QColor(redOf(colour), greenOf(colour), blueOf(colour)));
  label->setPalette(colours);
}

}  // namespace

frmAltPane::frmAltPane(EditHistory& editHistory, UserDialogs& userDialogs, QWidget* parent)
    : QMainWindow(parent), tiles(romImage), history(editHistory), dialogs(userDialogs) {
  setObjectName("frmAltPane");
  setAttribute(Qt::WA_DeleteOnClose);
  buildControls();
  buildMenus();
  statusBar()->setObjectName("statusBar");  // before the size is fixed: it takes a line
  setFixedSize(sizeHint());
}

frmAltPane::~frmAltPane() {
  paintStroke.reset();
  // The picture widgets go before the surfaces they show, which are members.
  delete takeCentralWidget();
}

void frmAltPane::buildControls() {
  auto* client = new QWidget(this);
  client->setObjectName("clientArea");
  client->setFixedSize(kClientWidth, kClientHeight);
  setCentralWidget(client);

  fraPatTbl = makeFrame(client, "fraPatTbl", {8, 0, 457, 281});
  lblSelTile = makeLabel(fraPatTbl, "lblSelTile", {24, 24, 17, 17}, "00");
  auto* cmdShiftUp = makeButton(fraPatTbl, "cmdShiftUp", {72, 24, 30, 15}, "/\\");
  picSelectedTile = new PictureSurface(tiles.picSelectedTile, fraPatTbl);
  picSelectedTile->setObjectName("picSelectedTile");
  picSelectedTile->move(24, 40);
  auto* cmdShiftLeft = makeButton(fraPatTbl, "cmdShiftLeft", {8, 88, 15, 30}, "<");
  auto* cmdShiftRight = makeButton(fraPatTbl, "cmdShiftRight", {152, 88, 15, 30}, ">");
  auto* cmdShiftDown = makeButton(fraPatTbl, "cmdShiftDown", {72, 169, 30, 15}, "\\/");
  for (int i = 0; i < 2; ++i) {
    QLabel* pen = makeLabel(fraPatTbl, "lblselectedcolor", {112 + 16 * i, 176, 17, 17}, "");
    pen->setProperty("index", i);
    pen->setToolTip("Current Color");
    pen->setAutoFillBackground(true);
    pen->setFrameShape(QFrame::Box);
    lblselectedcolor[static_cast<std::size_t>(i)] = pen;
  }
  auto* cmdPrevPal = makeButton(fraPatTbl, "cmdPrevPal", {24, 200, 17, 24}, "<");
  for (int k = 0; k < 4; ++k) {
    auto* swatch = new ClickableLabel(fraPatTbl);
    swatch->setObjectName("lblnespal_tEdit");
    swatch->setProperty("index", k);
    swatch->setGeometry(40 + 24 * k, 200, 24, 24);
    lblnespal_tEdit[static_cast<std::size_t>(k)] = swatch;
    swatch->setToolTip("Press to choose a pen's colour; double-click to change the colour");
    connect(swatch, &ClickableLabel::pressed, this,
            [this, k](int button, int) { lblnespal_tEdit_MouseDown(k, button); });
    connect(swatch, &ClickableLabel::doubleClicked, this,
            [this, k](int, int) { lblnespal_tEdit_DblClick(k); });
  }
  auto* cmdNextPal = makeButton(fraPatTbl, "cmdNextPal", {136, 200, 17, 24}, ">");
  auto* cmdFlipVAxis = makeButton(fraPatTbl, "cmdFlipVAxis", {24, 232, 32, 32}, "");
  cmdFlipVAxis->setIcon(mirrorIcon(true));
  cmdFlipVAxis->setToolTip("Mirror left to right");
  auto* cmdFlipHAxis = makeButton(fraPatTbl, "cmdFlipHAxis", {72, 232, 32, 32}, "");
  cmdFlipHAxis->setIcon(mirrorIcon(false));
  cmdFlipHAxis->setToolTip("Mirror top to bottom");
  auto* cmdRotate = makeButton(fraPatTbl, "cmdRotate", {120, 232, 32, 32}, "");
  cmdRotate->setIcon(rotateIcon());
  cmdRotate->setToolTip("Turn 90 degrees counter-clockwise");
  for (QPushButton* button : {cmdFlipVAxis, cmdFlipHAxis, cmdRotate}) {
    button->setIconSize({32, 32});
  }
  picPatternTable = new PictureSurface(tiles.picPatternTable, fraPatTbl);
  picPatternTable->setObjectName("picPatternTable");
  picPatternTable->move(192, 16);

  fraMetaEdit = makeFrame(client, "fraMetaEdit", {16, 296, 145, 177});
  pic_4x4metatile = new PictureSurface(tiles.pic_4x4metatile, fraMetaEdit);
  pic_4x4metatile->setObjectName("pic_4x4metatile");
  pic_4x4metatile->move(8, 16);
  lbl_4selMeta = makeLabel(fraMetaEdit, "lbl_4selMeta", {8, 152, 25, 17}, "00");
  hscr_meta = makeScrollBar(fraMetaEdit, "hscr_meta", {32, 152, 97, 17}, 132, 8);

  fraBatEdit = makeFrame(client, "fraBatEdit", {192, 288, 273, 265});
  picBatView = new PictureSurface(tiles.picBatView, fraBatEdit);
  picBatView->setObjectName("picBatView");
  picBatView->move(8, 16);

  hscrGridColor = makeScrollBar(client, "hscrGridColor", {16, 504, 145, 17}, 255, 8);

  // Where the selected tile is used: in the room the mode's hidden editor
  // leaves, so that the status bar keeps its whole width for the pointer's
  // offsets.
  lblTileUsage = new QLabel(client);
  lblTileUsage->setObjectName("lblTileUsage");
  lblTileUsage->setWordWrap(true);
  lblTileUsage->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  // The lines take a new colour when the thumb is let go, not while it moves.
  hscrGridColor->setTracking(false);

  const EditorGrid grid = editorGrid();
  auto viewOf = [this](EditorView view) -> QWidget* {
    switch (view) {
      case EditorView::PatternTable:
        return picPatternTable;
      case EditorView::SelectedTile:
        return picSelectedTile;
      case EditorView::Metatile:
        return pic_4x4metatile;
      case EditorView::BatView:
        return picBatView;
    }
    return nullptr;
  };
  auto makeLines = [&](const std::vector<EditorGridLine>& lines, const char* name) {
    std::vector<LineOverlay*> overlays;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const GridLine& at = lines[i].line;
      auto* line = new LineOverlay(at.x1, at.y1, at.x2, at.y2, viewOf(lines[i].view));
      line->setObjectName(name);
      line->setProperty("index", static_cast<int>(i));
      line->setColour(Qt::black);
      overlays.push_back(line);
    }
    return overlays;
  };
  lineVert = makeLines(grid.vertical, "lineVert");
  lineHoriz = makeLines(grid.horizontal, "lineHoriz");

  connect(picPatternTable, &PictureSurface::pressed, this, &frmAltPane::picPatternTable_MouseDown);
  connect(picPatternTable, &PictureSurface::released, this, &frmAltPane::picPatternTable_MouseUp);
  connect(picPatternTable, &PictureSurface::doubleClicked, this,
          [this] { tiles.patternTableDoubleClick(); });
  connect(picSelectedTile, &PictureSurface::pressed, this, &frmAltPane::picSelectedTile_MouseDown);
  connect(picSelectedTile, &PictureSurface::moved, this, &frmAltPane::picSelectedTile_MouseMove);
  connect(picSelectedTile, &PictureSurface::released, this, &frmAltPane::picSelectedTile_MouseUp);
  connect(pic_4x4metatile, &PictureSurface::pressed, this, &frmAltPane::pic_4x4metatile_MouseDown);
  connect(picBatView, &PictureSurface::pressed, this, &frmAltPane::picBatView_MouseDown);
  // The status bar follows the pointer.
  connect(picPatternTable, &PictureSurface::moved, this,
          [this](int, int, int x, int y) { showStatus(patternTableStatus(tiles.bank(), x, y)); });
  connect(pic_4x4metatile, &PictureSurface::moved, this, [this](int, int, int x, int y) {
    showStatus(metatileCellStatus(romImage, tiles.selMeta(), x, y));
  });
  connect(picBatView, &PictureSurface::moved, this,
          [this](int, int, int x, int y) { showStatus(batViewStatus(romImage, x, y)); });
  for (PictureSurface* view : {picPatternTable, picSelectedTile, pic_4x4metatile, picBatView}) {
    connect(view, &PictureSurface::left, this, [this] { showStatus({}); });
  }
  connect(cmdPrevPal, &QPushButton::clicked, this, &frmAltPane::cmdPrevPal_Click);
  connect(cmdNextPal, &QPushButton::clicked, this, &frmAltPane::cmdNextPal_Click);
  const std::pair<QPushButton*, TileOperation> tileButtons[] = {
      {cmdShiftLeft, TileOperation::ShiftLeft}, {cmdShiftRight, TileOperation::ShiftRight},
      {cmdShiftUp, TileOperation::ShiftUp},     {cmdShiftDown, TileOperation::ShiftDown},
      {cmdFlipHAxis, TileOperation::FlipHAxis}, {cmdFlipVAxis, TileOperation::FlipVAxis},
      {cmdRotate, TileOperation::Rotate},
  };
  for (const auto& [button, operation] : tileButtons) {
    connect(button, &QPushButton::clicked, this,
            [this, operation = operation] { tileButton_Click(operation); });
  }
  // valueChanged comes on a change and while the thumb is dragged.
  connect(hscr_meta, &QScrollBar::valueChanged, this, &frmAltPane::hscr_meta_Change);
  connect(hscrGridColor, &QScrollBar::valueChanged, this, &frmAltPane::hscrGridColor_Change);
}

void frmAltPane::buildMenus() {
  QMenu* menuEdit = menuBar()->addMenu("Edit");
  menuEdit->setObjectName("menuEdit");
  menuEditUndo = menuEdit->addAction("Undo");
  menuEditUndo->setObjectName("menuEditUndo");
  menuEditUndo->setShortcuts({QKeySequence("Ctrl+Z")});
  menuEditRedo = menuEdit->addAction("Redo");
  menuEditRedo->setObjectName("menuEditRedo");
  menuEditRedo->setShortcuts({QKeySequence("Ctrl+Shift+Z"), QKeySequence("Ctrl+Y")});
  connect(menuEditUndo, &QAction::triggered, this, &frmAltPane::undoRequested);
  connect(menuEditRedo, &QAction::triggered, this, &frmAltPane::redoRequested);
  menuEdit->addSeparator();
  QAction* menuEditImportTiles = menuEdit->addAction("Import Tiles...");
  menuEditImportTiles->setObjectName("menuEditImportTiles");
  connect(menuEditImportTiles, &QAction::triggered, this, &frmAltPane::menuEditImportTiles_Click);

  QMenu* menuView = menuBar()->addMenu("View");
  menuView->setObjectName("menuView");
  menuViewShowGrid = menuView->addAction("Show Grid");
  menuViewShowGrid->setObjectName("menuViewShowGrid");
  menuViewShowGrid->setCheckable(true);
  menuViewShowGrid->setShortcut(QKeySequence("Ctrl+G"));
  connect(menuViewShowGrid, &QAction::triggered, this, &frmAltPane::menuViewShowGrid_Click);
  menuViewShowUnused = menuView->addAction("Show Unused Tiles");
  menuViewShowUnused->setObjectName("menuViewShowUnused");
  menuViewShowUnused->setCheckable(true);
  connect(menuViewShowUnused, &QAction::triggered, this, &frmAltPane::menuViewShowUnused_Click);
}

void frmAltPane::initGUI(int ap, int metaID) {
  tiles.initGUI(ap, metaID);
  fraMetaEdit->setVisible(tiles.paneMode() == 0);
  fraBatEdit->setVisible(tiles.paneMode() == 1);
  lblTileUsage->setGeometry(tiles.paneMode() == 0 ? QRect(200, 304, 257, 48)
                                                  : QRect(16, 304, 161, 80));
  setWindowTitle(tiles.paneMode() == 0 ? "Metatile Editor" : "Batter View Editor");
  {
    // Setting the bar must not run its handler on a stale value.
    const QSignalBlocker blocker(hscr_meta);
    hscr_meta->setValue(tiles.selMeta());
  }
  showSubPalette();
  showHistoryState();
}

void frmAltPane::imageChanged(const ImageDamage& damage) {
  tiles.imageChanged(damage);
  if (tiles.paneMode() == 0 ? damage.fieldPalette : damage.batViewPalette) {
    showSubPalette();
  } else if (damage.mapCells.any() || damage.metatiles.any() || damage.batViewCells.any()) {
    showUsage();
  }
}

void frmAltPane::showHistoryState() {
  menuEditUndo->setEnabled(history.canUndo());
  menuEditRedo->setEnabled(history.canRedo());
  menuEditUndo->setStatusTip(QString::fromStdString(history.undoName()));
  menuEditRedo->setStatusTip(QString::fromStdString(history.redoName()));
}

void frmAltPane::showStatus(const std::string& text) {
  statusBar()->showMessage(QString::fromStdString(text));
}

void frmAltPane::drawTileSheets() {
  tiles.drawTileSheets();
}

void frmAltPane::redrawEditors() {
  tiles.redrawEditors();
  showLabels();
}

void frmAltPane::redrawAll() {
  tiles.redrawAll();
  showLabels();
}

void frmAltPane::showSubPalette() {
  for (int k = 0; k < 4; ++k) {
    lblnespal_tEdit[static_cast<std::size_t>(k)]->setFill(tiles.swatchColour(k));
  }
  showLabels();
}

void frmAltPane::showLabels() {
  lblSelTile->setText(QString::fromStdString(hexLabel(tiles.selTile())));
  lbl_4selMeta->setText(QString::fromStdString(hexLabel(tiles.selMeta())));
  fill(lblselectedcolor[0], tiles.penColour(0));
  fill(lblselectedcolor[1], tiles.penColour(1));
  showUsage();
}

void frmAltPane::showUsage() {
  lblTileUsage->setText(QString::fromStdString(tiles.usageText()));
}

void frmAltPane::picPatternTable_MouseDown(int, int, int x, int y) {
  tiles.patternTablePress(x, y);
  showLabels();
  showStatus(patternTableStatus(tiles.bank(), x, y));
}

void frmAltPane::picPatternTable_MouseUp(int, int, int x, int y) {
  Edit edit(history, "Copy tile");
  tiles.patternTableRelease(x, y);
}

void frmAltPane::picSelectedTile_MouseDown(int button, int, int x, int y) {
  // A stroke: one step from the first press to the release.
  if (!paintStroke) {
    paintStroke.emplace(history, "Paint");
  }
  tiles.pixelPress(button, x, y);
  paintStroke->flush();
  showStatus(selectedTileStatus(tiles.bank(), tiles.selTile(), x, y));
}

void frmAltPane::picSelectedTile_MouseMove(int buttons, int, int x, int y) {
  if (paintStroke && tiles.pixelMove(buttons, x, y)) {
    paintStroke->flush();
  }
  showStatus(selectedTileStatus(tiles.bank(), tiles.selTile(), x, y));
}

void frmAltPane::picSelectedTile_MouseUp(int, int, int, int) {
  tiles.pixelRelease();
  paintStroke.reset();
}

void frmAltPane::lblnespal_tEdit_MouseDown(int index, int button) {
  tiles.swatchPress(index, button);
  showLabels();
}

void frmAltPane::cmdPrevPal_Click() {
  tiles.previousPalette();
  showSubPalette();
}

void frmAltPane::cmdNextPal_Click() {
  tiles.nextPalette();
  showSubPalette();
}

void frmAltPane::tileButton_Click(TileOperation operation) {
  static constexpr const char* kNames[] = {
      "Shift left",           "Shift right",          "Shift up", "Shift down",
      "Mirror top to bottom", "Mirror left to right", "Rotate"};
  Edit edit(history, kNames[static_cast<int>(operation)]);
  tiles.applyTileOperation(operation);
}

void frmAltPane::hscr_meta_Change(int value) {
  tiles.metatileRefresh(value);
  showLabels();
}

void frmAltPane::pic_4x4metatile_MouseDown(int, int, int x, int y) {
  {
    Edit edit(history, "Place tile in metatile");
    tiles.metatilePress(x, y);
  }
  showStatus(metatileCellStatus(romImage, tiles.selMeta(), x, y));
}

void frmAltPane::picBatView_MouseDown(int, int, int x, int y) {
  {
    Edit edit(history, "Place tile in batter's view");
    tiles.batViewPress(x, y);
  }
  showStatus(batViewStatus(romImage, x, y));
}

void frmAltPane::menuViewShowGrid_Click() {
  const bool visible = menuViewShowGrid->isChecked();
  for (LineOverlay* line : lineVert) {
    line->setVisible(visible);
  }
  for (LineOverlay* line : lineHoriz) {
    line->setVisible(visible);
  }
}

void frmAltPane::hscrGridColor_Change(int value) {
  const QColor colour(value, 0, 0);
  for (LineOverlay* line : lineVert) {
    line->setColour(colour);
  }
  for (LineOverlay* line : lineHoriz) {
    line->setColour(colour);
  }
}

void frmAltPane::Form_Unload() {
  if (unloaded_) {
    return;
  }
  unloaded_ = true;
  paintStroke.reset();
  emit unloaded(tiles.paneMode());
}

void frmAltPane::closeEvent(QCloseEvent* event) {
  Form_Unload();
  event->accept();
}

void frmAltPane::lblnespal_tEdit_DblClick(int index) {
  const int entry = tiles.selPal() * 4 + index;
  const QString which = tiles.paneMode() == 0 ? "Field palette" : "Batter's view palette";
  const int chosen = dialogs.chooseNesColour(this, QString("%1, entry %2").arg(which).arg(entry),
                                             tiles.palData()[static_cast<std::size_t>(entry)]);
  if (chosen < 0) {
    return;
  }
  Edit edit(history, "Change colour");
  tiles.setPaletteColour(index, static_cast<std::uint8_t>(chosen));
}

void frmAltPane::menuEditImportTiles_Click() {
  const QString path = dialogs.openFileName(this, QString(), "PNG image (*.png)");
  if (path.isEmpty()) {
    return;
  }
  ByteArray png;
  std::string reason;
  TilePixels imported;
  const QString name = QFileInfo(path).fileName();
  if (readWholeFile(path.toStdString(), png, 16 * 1024 * 1024, &reason) != 0 ||
      !importPatternTable(png, tiles.palData(), tiles.selPal(), imported, &reason)) {
    dialogs.message(
        this, windowTitle(),
        QString("%1 was not imported.\n\n%2.").arg(name, QString::fromStdString(reason)));
    return;
  }
  Edit edit(history, "Import tiles");
  tiles.replaceBank(imported);
}

void frmAltPane::menuViewShowUnused_Click() {
  tiles.setShowUnused(menuViewShowUnused->isChecked());
}

}  // namespace tarvo
