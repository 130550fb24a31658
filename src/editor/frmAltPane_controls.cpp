// The graphics editor window's controls and menus: where each stands, and
// which signal reaches which handler.
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

namespace {

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

// A zoomable view of `surface` whose picture is named `name` and its scroll
// bars after it ("picBatView": hscrBatView, vscrBatView).
ZoomView* makeZoomView(Surface& surface, QWidget* parent, const QString& name,
                       const QString& zoomKey, const QString& description) {
  auto* view = new ZoomView(surface, parent, zoomKey, description);
  view->setObjectName(name + "Container");
  view->picture()->setObjectName(name);
  const QString bars = name == "picBatView" ? "BatView" : "PatTbl";
  view->acrossBar()->setObjectName("hscr" + bars);
  view->downBar()->setObjectName("vscr" + bars);
  return view;
}

}  // namespace
void frmAltPane::buildControls() {
  QWidget* client =
      makeClientArea(this, QSize(kClientWidth, kClientHeight), QSize(kClientWidth, kClientHeight));
  clientArea = client;
  // On a screen too small for the window's first size, the whole client
  // area scrolls; otherwise no scroll bar shows.
  auto* scroller = new QScrollArea(this);
  scroller->setObjectName("clientScroller");
  scroller->setFrameShape(QFrame::NoFrame);
  scroller->setWidgetResizable(true);
  scroller->setWidget(client);
  setCentralWidget(scroller);

  buildTileFrame(client);
  buildEditorFrames(client);
  buildGridLines();
  connectViews();
  connectScrolledViews();
  connect(picPatternTable, &PictureSurface::arrowKey, this, &frmAltPane::picPatternTable_Arrow);
  // valueChanged comes on a change and while the thumb is dragged.
  connect(hscr_meta, &QScrollBar::valueChanged, this, &frmAltPane::hscr_meta_Change);
  connect(hscrGridColor, &QScrollBar::valueChanged, this, &frmAltPane::hscrGridColor_Change);
}

void frmAltPane::buildTileFrame(QWidget* client) {
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
  picPatternTableContainer = makeZoomView(tiles.picPatternTable, fraPatTbl, "picPatternTable",
                                          "zoom/patternTable", "the pattern table");
  picPatternTableContainer->setGeometry(192, 16, 256, 256);
  picPatternTable = picPatternTableContainer->picture();
  picPatternTable->setFocusPolicy(Qt::StrongFocus);

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
}

void frmAltPane::buildEditorFrames(QWidget* client) {
  fraMetaEdit = makeFrame(client, "fraMetaEdit", {16, 296, 145, 177});
  pic_4x4metatile = new PictureSurface(tiles.pic_4x4metatile, fraMetaEdit);
  pic_4x4metatile->setObjectName("pic_4x4metatile");
  pic_4x4metatile->move(8, 16);
  lbl_4selMeta = makeLabel(fraMetaEdit, "lbl_4selMeta", {8, 152, 25, 17}, "00");
  hscr_meta = makeScrollBar(fraMetaEdit, "hscr_meta", {32, 152, 97, 17}, 132, 8);

  fraBatEdit = makeFrame(client, "fraBatEdit", {192, 288, 273, 265});
  picBatViewContainer =
      makeZoomView(tiles.picBatView, fraBatEdit, "picBatView", "zoom/batView", "the batter's view");
  picBatViewContainer->setGeometry(8, 16, 256, 240);
  picBatView = picBatViewContainer->picture();
  lastZoomView = picPatternTableContainer;

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
}

void frmAltPane::buildGridLines() {
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
}

void frmAltPane::connectViews() {
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
  connect(pic_4x4metatile, &PictureSurface::moved, this, &frmAltPane::pic_4x4metatile_MouseMove);
  connect(picBatView, &PictureSurface::moved, this, &frmAltPane::picBatView_MouseMove);
  for (PictureSurface* view : {pic_4x4metatile, picBatView}) {
    connect(view, &PictureSurface::released, this, [this](int button, int, int, int) {
      cellTools.release(button);
      showToolState();
    });
  }
  for (PictureSurface* view : {picPatternTable, picSelectedTile, pic_4x4metatile, picBatView}) {
    connect(view, &PictureSurface::left, this, [this] {
      pointerCell.reset();
      showStatus({});
    });
  }
}

void frmAltPane::connectScrolledViews() {
  for (ZoomView* view : {picPatternTableContainer, picBatViewContainer}) {
    // Not while a stroke or a tile's drag is under way: the picture would
    // move under the pointer.
    view->setZoomGuard(
        [this] { return tileTools.inGesture() || cellTools.inGesture() || tiles.tileDrag(); });
    connect(view, &ZoomView::zoomed, this, [this, view] {
      lastZoomView = view;
      showZoomState();
    });
    connect(view, &ZoomView::layoutNeeded, this, [this] { layoutControls(); });
    connect(view->picture(), &PictureSurface::moved, this, [this, view] { lastZoomView = view; });
    connect(view->picture(), &PictureSurface::focusEntered, this,
            [this, view] { lastZoomView = view; });
  }
  connect(picBatViewContainer, &ZoomView::scrolled, this, &frmAltPane::followBatViewPointer);
}

void frmAltPane::buildMenus() {
  const auto addAction = addNamedAction;
  QMenu* menuFile = menuBar()->addMenu("&File");
  menuFile->setObjectName("menuFile");
  QAction* menuFileSaveRom = addAction(menuFile, "menuFileSaveRom", "&Save Rom");
  menuFileSaveRom->setShortcut(QKeySequence("Ctrl+S"));
  connect(menuFileSaveRom, &QAction::triggered, this, &frmAltPane::saveRequested);
  addExportImageMenu(menuFile, [this](int view) { emit exportRequested(view); });
  menuFile->addSeparator();
  addPlayInEmulatorItem(menuFile, [this] { emit playRequested(); });
  menuFile->addSeparator();
  QAction* menuFileClose = addAction(menuFile, "menuFileClose", "&Close");
  menuFileClose->setShortcut(QKeySequence("Ctrl+W"));
  connect(menuFileClose, &QAction::triggered, this, &QWidget::close);

  menuEdit = menuBar()->addMenu("&Edit");
  menuEdit->setObjectName("menuEdit");
  undoItems = addUndoItems(
      menuEdit, [this] { emit undoRequested(); }, [this] { emit redoRequested(); });
  menuEdit->addSeparator();
  QAction* menuEditImportTiles = addAction(menuEdit, "menuEditImportTiles", "&Import Tiles...");
  connect(menuEditImportTiles, &QAction::triggered, this, &frmAltPane::menuEditImportTiles_Click);

  QMenu* menuView = menuBar()->addMenu("&View");
  menuView->setObjectName("menuView");
  menuViewShowGrid = addAction(menuView, "menuViewShowGrid", "Show &Grid");
  menuViewShowGrid->setCheckable(true);
  menuViewShowGrid->setShortcut(QKeySequence("Ctrl+G"));
  connect(menuViewShowGrid, &QAction::triggered, this, &frmAltPane::menuViewShowGrid_Click);
  menuViewShowUnused = addAction(menuView, "menuViewShowUnused", "Show &Unused Tiles");
  menuViewShowUnused->setCheckable(true);
  connect(menuViewShowUnused, &QAction::triggered, this, &frmAltPane::menuViewShowUnused_Click);
  menuViewConsoleColours =
      addConsoleColoursItem(menuView, [this](bool on) { emit consoleColoursRequested(on); });
  buildBudget(menuView);
  menuView->addSeparator();
  zoomItems = addZoomItems(menuView, [this](int step) {
    setViewZoom(zoomTarget()->picture(), step == 0 ? 1 : zoomTarget()->zoom() + step);
  });

  addHelpMenu(menuBar(), [this] { emit helpRequested(); });
}

void frmAltPane::layoutControls() {
  const int dx = std::max(0, clientArea->width() - kClientWidth);
  const int dy = std::max(0, clientArea->height() - kClientHeight);
  // The pattern table takes the extra height alone when the batter's view is
  // hidden, else half of it.
  const int dyTop = tiles.paneMode() == PaneMode::BatView ? dy / 2 : dy;
  fraPatTbl->setGeometry(8, 0, 457 + dx, 281 + dyTop);
  picPatternTableContainer->placeIn({192, 16, 256 + dx, 256 + dyTop});
  fraMetaEdit->move(16, 296 + dyTop);
  fraBatEdit->setGeometry(192, 288 + dyTop, 273 + dx, 265 + dy - dyTop);
  picBatViewContainer->placeIn({8, 16, 256 + dx, 240 + dy - dyTop});
  hscrGridColor->move(16, 504 + dyTop);
  lblTileUsage->setGeometry(tiles.paneMode() == PaneMode::Metatiles
                                ? QRect(200, 304 + dyTop, 257 + dx, 48)
                                : QRect(16, 304 + dyTop, 161, 80));
}
}  // namespace tarvo
