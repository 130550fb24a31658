// The graphics editor window, opened from the real main window and driven
// through Qt's routing on the offscreen platform.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>
#include <cmath>
#include <functional>

#include "demo/demo_rom.h"
#include "gfx/tile_transforms.h"
#include "platform/line_overlay.h"
#include "platform/picture_surface.h"
#include "platform/zoom_view.h"
#include "screens/block_text.h"
#include "screens/status_text.h"
#include "screens/views.h"
#include "shell/frmMain.h"
#include "shell/rom_image.h"
#include "shell/rom_locations.h"
#include "test_support.h"
#include "window_fixture.h"

using namespace tarvo;

class FrmAltPaneTest : public test::WindowFixture {
  Q_OBJECT

 public:
  FrmAltPaneTest() : WindowFixture(Start::DemoLoaded) {}

 private:
  std::uint8_t pixelOf(int tile, int row, int column) {
    return editor().editTiles()[static_cast<std::size_t>(tile * 64 + row * 8 + column)];
  }

 private slots:
  void opensInEachMode_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("caption");
    QTest::newRow("metatile editor") << 0 << "Metatile Editor";
    QTest::newRow("batter's view editor") << 1 << "Batter View Editor";
  }
  void opensInEachMode() {
    QFETCH(int, mode);
    QFETCH(QString, caption);
    action(mode == 0 ? "menuEditTileData" : "menuEditBatView")->trigger();
    QVERIFY(alt() != nullptr);
    QVERIFY(QTest::qWaitForWindowExposed(alt()));
    // The mode and the file, with the unsaved-changes marker.
    QCOMPARE(alt()->windowTitle(), caption + " [demo.nes][*]");
    QCOMPARE(altChild("clientArea")->size(), QSize(470, 557));
    QCOMPARE(altChild("fraMetaEdit")->isVisible(), mode == 0);
    QCOMPARE(altChild("fraBatEdit")->isVisible(), mode == 1);
    QCOMPARE(editor().selTile(), 0);
    QCOMPARE(altChild<QLabel>("lblSelTile")->text(), QString("00"));
    QCOMPARE(editor().selPal(), 0);
    QCOMPARE(editor().leftColor(), 0);
    QCOMPARE(editor().rightColor(), 1);
    // The views and swatches show the mode's bank and palette.
    expectEveryViewFresh();
  }

  // The pattern table and the batter's view zoom and scroll inside a window
  // larger than its first size, and a press edits what is under the pointer.
  void aPressAtAnyZoomAndScrollReachesTheTileUnderIt_data() {
    QTest::addColumn<int>("zoom");
    QTest::addColumn<QPoint>("scroll");
    QTest::addColumn<QPointF>("where");  // in the view, as parts of its size
    QTest::newRow("1x") << 1 << QPoint(0, 0) << QPointF(0.97, 0.01);
    QTest::newRow("2x") << 2 << QPoint(100, 37) << QPointF(0.02, 0.8);
    QTest::newRow("3x") << 3 << QPoint(400, 300) << QPointF(0.47, 0.35);
    QTest::newRow("4x, last tile") << 4 << QPoint(9999, 9999) << QPointF(0.99, 0.99);
  }
  void aPressAtAnyZoomAndScrollReachesTheTileUnderIt() {
    QFETCH(int, zoom);
    QFETCH(QPoint, scroll);
    QFETCH(QPointF, where);
    openEditor(1);
    alt()->resize(640, 760);
    QTRY_COMPARE(altChild("clientArea")->width(), 640);
    for (const char* name : {"picPatternTable", "picBatView"}) {
      auto* view = altChild<PictureSurface>(name);
      auto* box = altChild<ZoomView>((QString(name) + "Container").toUtf8().constData());
      alt()->setViewZoom(view, zoom);
      QCOMPARE(view->zoom(), zoom);
      // Scroll bars where the picture is larger than what shows, and the
      // bars move the picture.
      const bool batView = name == QString("picBatView");
      auto* hbar = altChild<QScrollBar>(batView ? "hscrBatView" : "hscrPatTbl");
      auto* vbar = altChild<QScrollBar>(batView ? "vscrBatView" : "vscrPatTbl");
      QCOMPARE(hbar->isVisible(), view->zoomedSize().width() > box->width());
      QCOMPARE(vbar->isVisible(), view->zoomedSize().height() > box->height());
      QVERIFY(!vbar->isVisible() || vbar->geometry().left() == box->geometry().right() + 1);
      hbar->setValue(scroll.x());
      vbar->setValue(scroll.y());
      QCOMPARE(-view->pos(), box->scroll());
      QVERIFY(std::abs(box->scroll().x() - hbar->value()) < 4);
      QVERIFY(std::abs(box->scroll().y() - vbar->value()) < 4);
      const QPoint inView(static_cast<int>(where.x() * box->width()),
                          static_cast<int>(where.y() * box->height()));
      QVERIFY(box->rect().contains(inView));
      // Device pixels over k, k = zoom x display scale rounded.
      const double ratio = view->devicePixelRatioF();
      const int k = std::max(1, static_cast<int>(std::lround(zoom * ratio)));
      const int x = static_cast<int>((box->scroll().x() + inView.x()) * ratio / k);
      const int y = static_cast<int>((box->scroll().y() + inView.y()) * ratio / k);
      const QPoint at = box->mapTo(alt(), inView);
      if (!batView) {
        QTest::mouseClick(alt()->windowHandle(), Qt::LeftButton, {}, at);
        QCOMPARE(editor().selTile(), (y / 16) * 16 + x / 16);
      } else {
        const std::size_t cell =
            static_cast<std::size_t>(rom::kBatViewNameTable.offset + (y / 8) * 32 + x / 8);
        romImage[cell] = static_cast<std::uint8_t>(editor().selTile() ^ 1);
        QTest::mouseClick(alt()->windowHandle(), Qt::LeftButton, {}, at);
        QCOMPARE(int{romImage[cell]}, editor().selTile());
      }
    }
    expectEveryViewFresh();
    // Arrow keys move the selection in the focused pattern table, and keep it
    // in sight.
    auto* table = altChild<PictureSurface>("picPatternTable");
    table->setFocus();
    const int before = editor().selTile();
    QTest::keyClick(table, before % 16 == 15 ? Qt::Key_Left : Qt::Key_Right);
    QCOMPARE(editor().selTile(), before % 16 == 15 ? before - 1 : before + 1);
    QTest::keyClick(table, before / 16 == 15 ? Qt::Key_Up : Qt::Key_Down);
    const int moved = editor().selTile();
    const QRect shown = table->widgetRectOf({(moved % 16) * 16, (moved / 16) * 16, 16, 16});
    QVERIFY(altChild("picPatternTableContainer")->rect().contains(shown.translated(table->pos())));
  }

  void controlsSitWhereTheyBelong() {
    openEditor(0);
    const std::vector<std::pair<const char*, QRect>> places{
        {"fraPatTbl", {8, 0, 457, 281}},          {"lblSelTile", {24, 24, 17, 17}},
        {"cmdShiftUp", {72, 24, 30, 15}},         {"picSelectedTile", {24, 40, 128, 128}},
        {"cmdShiftLeft", {8, 88, 15, 30}},        {"cmdShiftRight", {152, 88, 15, 30}},
        {"cmdShiftDown", {72, 169, 30, 15}},      {"cmdPrevPal", {24, 200, 17, 24}},
        {"cmdNextPal", {136, 200, 17, 24}},       {"cmdFlipVAxis", {24, 232, 32, 32}},
        {"cmdFlipHAxis", {72, 232, 32, 32}},      {"cmdRotate", {120, 232, 32, 32}},
        {"picPatternTable", {192, 16, 256, 256}}, {"fraMetaEdit", {16, 296, 145, 177}},
        {"pic_4x4metatile", {8, 16, 128, 128}},   {"lbl_4selMeta", {8, 152, 25, 17}},
        {"hscr_meta", {32, 152, 97, 17}},         {"fraBatEdit", {192, 288, 273, 265}},
        {"picBatView", {8, 16, 256, 240}},        {"hscrGridColor", {16, 504, 145, 17}},
    };
    for (const auto& [name, geometry] : places) {
      // A zoomable picture stands in a viewport of its own.
      QWidget* control = altChild(name);
      QWidget* holder = control->parentWidget();
      if (qobject_cast<ZoomView*>(holder) != nullptr) {
        holder = holder->parentWidget();
      }
      QCOMPARE(QRect(control->mapTo(holder, QPoint(0, 0)), control->size()), geometry);
    }
    for (int k = 0; k < 4; ++k) {
      QCOMPARE(altMember("lblnespal_tEdit", k)->geometry(), QRect(40 + 24 * k, 200, 24, 24));
    }
    QCOMPARE(altMember("lblselectedcolor", 0)->geometry(), QRect(112, 176, 17, 17));
    QCOMPARE(altMember("lblselectedcolor", 1)->geometry(), QRect(128, 176, 17, 17));
    QCOMPARE(altMember("lblselectedcolor", 1)->toolTip(), QString("Current Color"));
    for (const auto& [name, caption] :
         std::vector<std::pair<const char*, QString>>{{"cmdShiftUp", "/\\"},
                                                      {"cmdShiftDown", "\\/"},
                                                      {"cmdShiftLeft", "<"},
                                                      {"cmdShiftRight", ">"},
                                                      {"cmdPrevPal", "<"},
                                                      {"cmdNextPal", ">"}}) {
      QCOMPARE(altChild<QPushButton>(name)->text(), caption);
    }
    for (const char* name : {"cmdFlipVAxis", "cmdFlipHAxis", "cmdRotate"}) {
      QVERIFY(!altChild<QPushButton>(name)->icon().isNull());
    }
    auto* meta = altChild<QScrollBar>("hscr_meta");
    QCOMPARE(meta->maximum(), 132);
    QCOMPARE(meta->pageStep(), 8);
    auto* grid = altChild<QScrollBar>("hscrGridColor");
    QCOMPARE(grid->maximum(), 255);
    QCOMPARE(grid->pageStep(), 8);
    QCOMPARE(altAction("menuViewShowGrid")->text().remove('&'), QString("Show Grid"));
  }

  // The window's tools through Qt's routing, at every zoom: the keys choose
  // them; on the batter's view a drag selects, a copied block pastes with
  // its middle cell under the pointer and Alt+press picks a tile; on the
  // enlarged tile F fills and Alt+press takes a pen's colour.
  void theToolsAtEveryZoom() {
    openEditor(1);
    alt()->resize(640, 760);
    QTRY_COMPARE(altChild("clientArea")->width(), 640);
    auto* view = altChild<PictureSurface>("picBatView");
    auto cellAt = [](int column, int row) -> std::uint8_t& {
      return romImage[static_cast<std::size_t>(rom::kBatViewNameTable.offset + row * 32 + column)];
    };
    QVERIFY(altAction("toolSelect")->isEnabled());
    int zoomsTried = 0;
    for (const int zoom : {1, 2, 3}) {
      alt()->setViewZoom(view, zoom);
      altChild<QScrollBar>("hscrBatView")->setValue(0);
      altChild<QScrollBar>("vscrBatView")->setValue(0);
      const QRect used = view->widgetRectOf({0, 0, 14 * 8, 8 * 8});
      if (used.right() >= view->width() || used.bottom() >= view->height()) {
        continue;  // a small screen at a large scale
      }
      ++zoomsTried;
      const ByteArray before = romImage;
      QTest::keyClick(alt(), Qt::Key_R);
      QCOMPARE(alt()->tools().tool(), Tool::Select);
      press(view, 1 * 8 + 2, 1 * 8 + 2);
      moveTo(view, 4 * 8 + 2, 2 * 8 + 2);
      release(view, 4 * 8 + 2, 2 * 8 + 2);
      QCOMPARE(*alt()->tools().selection(), (CellRect{1, 1, 4, 2}));
      QCOMPARE(altChild<QLabel>("lblTool")->text(), QString("Select 1, 1: 4 x 2"));
      const CellBlock block = copyBlock(batViewGrid(romImage), {1, 1, 4, 2});
      altAction("menuEditCopy")->trigger();
      QCOMPARE(QApplication::clipboard()->text().toStdString(), blockText(batViewShape(), block));
      moveTo(view, 10 * 8 + 3, 5 * 8 + 3);
      altAction("menuEditPaste")->trigger();
      QCOMPARE(alt()->tools().pastePreview(), (CellRect{8, 4, 4, 2}));
      QVERIFY(copyBlock(batViewGrid(romImage), {8, 4, 4, 2}) != block);
      click(view, 10 * 8 + 3, 5 * 8 + 3);
      for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 4; ++column) {
          QCOMPARE(cellAt(8 + column, 4 + row),
                   block.cells[static_cast<std::size_t>(row * 4 + column)]);
        }
      }
      QCOMPARE(altAction("menuEditUndo")->text(), QString("&Undo Paste"));
      QTest::keyClick(alt(), Qt::Key_Escape);
      QVERIFY(!alt()->tools().pasting());
      QTest::keyClick(alt(), Qt::Key_Escape);
      QVERIFY(!alt()->tools().selection());
      QTest::keyClick(alt(), Qt::Key_I);
      press(view, 13 * 8 + 1, 7 * 8 + 1);
      release(view, 13 * 8 + 1, 7 * 8 + 1);
      QCOMPARE(int{editor().selTile()}, int{cellAt(13, 7)});
      altAction("menuEditUndo")->trigger();
      QCOMPARE(romImage, before);
    }
    QVERIFY(zoomsTried > 0);
    expectEveryViewFresh();

    // The enlarged tile: F fills, the Pick tool takes a pen.
    auto* tile = altChild("picSelectedTile");
    selectTile(0x30);
    QTest::keyClick(alt(), Qt::Key_F);
    choosePen(3 - editor().editTiles()[0x30 * 64]);
    const int pen = editor().leftColor();
    click(tile, 2, 2);
    QCOMPARE(int{editor().editTiles()[0x30 * 64]}, pen);
    QTest::keyClick(alt(), Qt::Key_I);
    choosePen(pen == 0 ? 1 : 0, Qt::RightButton);  // another than the pixel's
    press(tile, 2, 2, Qt::RightButton);
    release(tile, 2, 2, Qt::RightButton);
    QCOMPARE(editor().rightColor(), pen);
    expectEveryViewFresh();
    // In the metatile editor the selection has nothing to work on.
    openEditor(0);
    QVERIFY(!altAction("toolSelect")->isEnabled());
  }

  void aDoubleClickInThePickerOpensAtThatMetatile() {
    QTest::mouseDClick(window->windowHandle(), Qt::LeftButton, {},
                       inWindow(child("picMetaTable"), 5 * 32 + 4, 4));
    QVERIFY(alt() != nullptr);
    QCOMPARE(editor().paneMode(), PaneMode::Metatiles);
    QCOMPARE(editor().selMeta(), 5);
    QCOMPARE(altChild<QScrollBar>("hscr_meta")->value(), 5);
    QCOMPARE(altChild<QLabel>("lbl_4selMeta")->text(), QString("05"));
  }

  void aPixelPressPaintsWithTheLeftPen() {
    openEditor(0);
    selectTile(5);
    choosePen(2);
    QCOMPARE(editor().leftColor(), 2);
    const ByteArray before = romImage;
    click(altChild("picSelectedTile"), 20, 40);
    QCOMPARE(int{editor().editTiles()[337]}, 2);
    // Only tile 5's 16 bytes changed, and they hold the painted tile.
    for (std::size_t i = 0; i < romImage.size(); ++i) {
      const auto tileStart = static_cast<std::size_t>(rom::kFieldChrBank.offset + 5 * 16);
      if (i < tileStart || i >= tileStart + 16) {
        QCOMPARE(romImage[i], before[i]);
      }
    }
    TilePixels decoded;
    decodeTiles(rom::kFieldChrBank.offset + 5 * 16, 1, decoded, romImage);
    QCOMPARE(int{decoded[17]}, 2);
    QCOMPARE(editor().picSelectedTile.pixel(20, 40), editor().swatchColour(2));
    expectEveryViewFresh();
  }

  void theOtherButtonsPaintWithTheRightPen() {
    openEditor(0);
    choosePen(3, Qt::RightButton);
    QCOMPARE(editor().rightColor(), 3);
    expectEveryViewFresh();
    click(altChild("picSelectedTile"), 5, 5, Qt::RightButton);
    QCOMPARE(pixelOf(0, 0, 0), 3);
    click(altChild("picSelectedTile"), 21, 5, Qt::MiddleButton);
    QCOMPARE(pixelOf(0, 0, 1), 3);
    click(altChild("picSelectedTile"), 37, 5);
    QCOMPARE(pixelOf(0, 0, 2), 0);
  }

  // A stroke paints each cell it enters once; outside the surface it paints
  // nothing, and it goes on where it comes back in.
  void aStrokePaintsEachCellItEntersOnce() {
    openEditor(0);
    selectTile(7);
    TilePixels expected = editor().editTiles();
    choosePen(3);
    QWidget* tile = altChild("picSelectedTile");
    press(tile, 2, 2);
    QCOMPARE(pixelOf(7, 0, 0), 3);
    moveTo(tile, 10, 2);  // same cell
    moveTo(tile, 18, 2);  // cell (0, 1)
    moveTo(tile, -5, 2);  // outside: nothing
    moveTo(tile, -5, 60);
    moveTo(tile, 140, 2);
    moveTo(tile, 120, 2);  // back in at cell (0, 7); cells 2 to 6 were skipped
    release(tile, 120, 2);
    QVERIFY(!alt()->pixelTools().inGesture());
    moveTo(tile, 120, 40);  // no stroke: nothing
    for (const int column : {0, 1, 7}) {
      expected[static_cast<std::size_t>(7 * 64 + column)] = 3;
    }
    QCOMPARE(editor().editTiles(), expected);
    TilePixels stored;
    decodeTiles(rom::kFieldChrBank.offset, 256, stored, romImage);
    QCOMPARE(stored, expected);
  }

  void aMoveInsideOneCellDoesNotPaintAgain() {
    openEditor(0);
    selectTile(7);
    choosePen(3);
    QWidget* tile = altChild("picSelectedTile");
    press(tile, 2, 2);
    // Give the left pen another slot mid-stroke: only a newly entered cell
    // takes it.
    choosePen(2);
    moveTo(tile, 12, 12);  // same cell (0, 0)
    QCOMPARE(pixelOf(7, 0, 0), 3);
    moveTo(tile, 20, 12);  // cell (0, 1)
    QCOMPARE(pixelOf(7, 0, 1), 2);
    release(tile, 20, 12);
  }

  void aPressOffTheTilePaintsNothing() {
    openEditor(0);
    const TilePixels before = editor().editTiles();
    // A press outside the surface never reaches it through the window
    // system; send the surface's own press signal as it would report one.
    auto* tile = altChild<PictureSurface>("picSelectedTile");
    emit tile->pressed(1, 0, 128, 5);
    emit tile->pressed(1, 0, 5, -1);
    QVERIFY(!alt()->pixelTools().inGesture());
    QCOMPARE(editor().editTiles(), before);
  }

  void subPalettesStepWithWrapAround() {
    openEditor(0);
    choosePen(3, Qt::RightButton);
    clickButton("cmdPrevPal");
    QCOMPARE(editor().selPal(), 3);
    clickButton("cmdNextPal");
    QCOMPARE(editor().selPal(), 0);
    for (int step = 1; step <= 4; ++step) {
      clickButton("cmdNextPal");
      QCOMPARE(editor().selPal(), step & 3);
      // The right pen keeps slot 3, shown in the new colours.
      QCOMPARE(editor().rightColor(), 3);
      expectEveryViewFresh();
    }
    // Nothing is written by a change of sub-palette.
    QCOMPARE(romImage, makeDemoRom());
  }

  void eachTileButtonAppliesItsTransform_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("operation");
    QTest::newRow("shift left") << "cmdShiftLeft" << 0;
    QTest::newRow("shift right") << "cmdShiftRight" << 1;
    QTest::newRow("shift up") << "cmdShiftUp" << 2;
    QTest::newRow("shift down") << "cmdShiftDown" << 3;
    QTest::newRow("flip about the horizontal axis") << "cmdFlipHAxis" << 4;
    QTest::newRow("flip about the vertical axis") << "cmdFlipVAxis" << 5;
    QTest::newRow("rotate") << "cmdRotate" << 6;
  }
  void eachTileButtonAppliesItsTransform() {
    QFETCH(QString, button);
    QFETCH(int, operation);
    openEditor(1);
    selectTile(0x41);
    TilePixels expected = editor().editTiles();
    const std::vector<std::function<void(TilePixels&)>> transforms{
        [](TilePixels& p) { shiftTile(p, 0x41, 1, 0); },
        [](TilePixels& p) { shiftTile(p, 0x41, -1, 0); },
        [](TilePixels& p) { shiftTile(p, 0x41, 0, 1); },
        [](TilePixels& p) { shiftTile(p, 0x41, 0, -1); },
        [](TilePixels& p) { flipTile(p, 0x41, false, true); },
        [](TilePixels& p) { flipTile(p, 0x41, true, false); },
        [](TilePixels& p) { rotateTile(p, 0x41); },
    };
    transforms[static_cast<std::size_t>(operation)](expected);
    QVERIFY(expected != editor().editTiles());  // the tile is not symmetric
    clickButton(button.toUtf8().constData());
    QCOMPARE(editor().editTiles(), expected);
    TilePixels stored;
    decodeTiles(rom::kBatViewChrBank.offset, 256, stored, romImage);
    QCOMPARE(stored, expected);
  }

  void aPressSelectsATile_data() {
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("tile");
    QTest::addColumn<QString>("label");
    QTest::newRow("37, 250") << 37 << 250 << 242 << "F2";
    QTest::newRow("15, 15") << 15 << 15 << 0 << "00";
    QTest::newRow("255, 255") << 255 << 255 << 255 << "FF";
    QTest::newRow("16, 16") << 16 << 16 << 17 << "11";
  }
  void aPressSelectsATile() {
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(int, tile);
    QFETCH(QString, label);
    openEditor(0);
    click(altChild("picPatternTable"), x, y);
    QCOMPARE(int{editor().selTile()}, tile);
    QCOMPARE(altChild<QLabel>("lblSelTile")->text(), label);
    expectEveryViewFresh();
  }

  void pressingOnOneTileAndReleasingOnAnotherCopiesIt() {
    openEditor(1);
    const TilePixels before = editor().editTiles();
    press(altChild("picPatternTable"), 3 * 16 + 5, 5);         // tile 3
    release(altChild("picPatternTable"), 4 * 16 + 5, 16 + 5);  // tile 20
    TilePixels expected = before;
    std::copy_n(before.begin() + 3 * 64, 64, expected.begin() + 20 * 64);
    QCOMPARE(editor().editTiles(), expected);
    QCOMPARE(int{editor().selTile()}, 3);
    QCOMPARE(altChild<QLabel>("lblSelTile")->text(), QString("03"));
    TilePixels stored;
    decodeTiles(rom::kBatViewChrBank.offset, 256, stored, romImage);
    QCOMPARE(stored, expected);
    expectEveryViewFresh();  // the batter's view with the new tile 20 wherever it stands
  }

  void aReleaseOutsideThePatternTableCopiesNothing_data() {
    QTest::addColumn<QPoint>("releaseAt");
    QTest::newRow("above") << QPoint(40, -3);
    QTest::newRow("left") << QPoint(-4, 40);
    QTest::newRow("right") << QPoint(256, 40);
    QTest::newRow("below") << QPoint(40, 256);
  }
  void aReleaseOutsideThePatternTableCopiesNothing() {
    QFETCH(QPoint, releaseAt);
    openEditor(0);
    QWidget* table = altChild("picPatternTable");
    press(table, 5, 5);
    moveTo(table, releaseAt.x(), releaseAt.y());
    release(table, releaseAt.x(), releaseAt.y());
    QCOMPARE(romImage, makeDemoRom());
    QVERIFY(!editor().tileDrag());
  }

  // A double-click is press, release, double-click, release: its second
  // release copies nothing, even over another tile, while a press and a
  // release there still do.
  void theSecondReleaseOfADoubleClickCopiesNothing() {
    openEditor(1);
    QWidget* table = altChild("picPatternTable");
    const QPoint tile3(3 * 16 + 5, 5);
    const QPoint tile20(4 * 16 + 5, 16 + 5);
    QTest::mousePress(table, Qt::LeftButton, {}, tile3);
    QTest::mouseRelease(table, Qt::LeftButton, {}, tile3);
    QTest::mouseDClick(table, Qt::LeftButton, {}, tile3);
    QTest::mouseMove(table, tile20);
    QTest::mouseRelease(table, Qt::LeftButton, {}, tile20);
    QCOMPARE(romImage, makeDemoRom());
    QCOMPARE(int{editor().selTile()}, 3);
    QTest::mousePress(table, Qt::LeftButton, {}, tile3);
    QTest::mouseRelease(table, Qt::LeftButton, {}, tile20);
    QVERIFY(romImage != makeDemoRom());
  }

  // Where the selected tile is used stands in the client area, clear of
  // every control, and the status bar keeps room for the longest text the
  // pointer gives, in both modes.
  void theTileUsageLeavesTheStatusBarReadable_data() {
    QTest::addColumn<int>("mode");
    QTest::newRow("metatile editor") << 0;
    QTest::newRow("batter's view editor") << 1;
  }
  void theTileUsageLeavesTheStatusBarReadable() {
    QFETCH(int, mode);
    openEditor(mode);
    // With the longest text the tool gives: the whole batter's view selected.
    altAction("toolSelect")->trigger();
    altAction("menuEditSelectAll")->trigger();
    auto* tool = altChild<QLabel>("lblTool");
    QVERIFY(tool->text().size() >= (mode == 1 ? 20 : 5));
    QTRY_VERIFY(tool->width() >= tool->sizeHint().width());  // laid out
    QStatusBar* bar = alt()->statusBar();
    const rom::Location& bank = editor().bank();
    std::vector<std::string> texts{patternTableStatus(bank, 255, 255),
                                   selectedTileStatus(bank, 255, 127, 127),
                                   mode == 0 ? metatileCellStatus(romImage, 132, 127, 127)
                                             : batViewStatus(romImage, 255, 239)};
    int room = bar->contentsRect().width() - 8;  // the message's own margins
    for (QWidget* item : bar->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
      if (item->isVisible()) {
        room -= item->width();
      }
    }
    for (const std::string& text : texts) {
      QVERIFY2(bar->fontMetrics().horizontalAdvance(QString::fromStdString(text)) <= room,
               text.c_str());
    }
    auto* usage = altChild<QLabel>("lblTileUsage");
    QVERIFY(usage->isVisible());
    const QRect place(usage->mapTo(alt(), QPoint(0, 0)), usage->size());
    for (const char* name : {"fraPatTbl", "fraMetaEdit", "fraBatEdit", "hscrGridColor"}) {
      QWidget* control = altChild(name);
      if (control->isVisible()) {
        QVERIFY2(!place.intersects(QRect(control->mapTo(alt(), QPoint(0, 0)), control->size())),
                 name);
      }
    }
    QVERIFY(alt()->centralWidget()->rect().contains(usage->geometry()));
    // The longest words it can hold fit it whole.
    const QString longest = mode == 0 ? "Tile FF: in 2128 metatile cells and 576 field map cells"
                                      : "Tile FF: in 960 cells of the batter's view";
    const QRect needed = usage->fontMetrics().boundingRect(
        QRect(0, 0, usage->contentsRect().width(), 1000), Qt::TextWordWrap, longest);
    QVERIFY(needed.height() <= usage->contentsRect().height());
  }

  void placementsWriteTheirBytes_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("metatile");
    QTest::addColumn<int>("tile");
    QTest::addColumn<QPoint>("pressAt");
    QTest::addColumn<int>("offset");
    QTest::newRow("metatile 10, cell (0, 3)") << 0 << 10 << 0x3C << QPoint(100, 10) << 0x8533;
    QTest::newRow("metatile 132, last cell") << 0 << 132 << 0x77 << QPoint(127, 127) << 0x8CDF;
    QTest::newRow("batter's view (100, 50)") << 1 << 0 << 0x41 << QPoint(100, 50) << 0x10DC;
    QTest::newRow("batter's view first cell") << 1 << 0 << 0x42 << QPoint(0, 0) << 0x1010;
    QTest::newRow("batter's view last cell") << 1 << 0 << 0x43 << QPoint(255, 239) << 0x13CF;
  }
  void placementsWriteTheirBytes() {
    QFETCH(int, mode);
    QFETCH(int, metatile);
    QFETCH(int, tile);
    QFETCH(QPoint, pressAt);
    QFETCH(int, offset);
    openEditor(mode, metatile);
    selectTile(tile);
    ByteArray expected = romImage;
    expected[static_cast<std::size_t>(offset)] = static_cast<std::uint8_t>(tile);
    click(altChild(mode == 0 ? "pic_4x4metatile" : "picBatView"), pressAt.x(), pressAt.y(),
          mode == 0 ? Qt::LeftButton : Qt::RightButton);
    QCOMPARE(romImage, expected);
    expectEveryViewFresh();
    if (mode == 0) {
      QCOMPARE(altChild<QLabel>("lbl_4selMeta")->text(),
               QString::fromStdString(hexLabel(static_cast<std::uint8_t>(metatile))));
    }
  }

  void theMetatileScrollBarChoosesTheMetatile() {
    openEditor(0);
    auto* bar = altChild<QScrollBar>("hscr_meta");
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(editor().selMeta(), 8);
    QCOMPARE(altChild<QLabel>("lbl_4selMeta")->text(), QString("08"));
    bar->setValue(132);
    QCOMPARE(altChild<QLabel>("lbl_4selMeta")->text(), QString("84"));
  }

  void closingWithoutEditsKeepsTheBank() {
    for (const int mode : {0, 1}) {
      openEditor(mode);
      alt()->close();
      QVERIFY(QTest::qWaitFor([this] { return alt() == nullptr; }));
      QCOMPARE(romImage, makeDemoRom());
    }
  }

  // A tile painted in the editor shows in the main window's views at once,
  // and closing the window leaves them so.
  void theMainWindowShowsTileChangesAsTheyHappen() {
    openEditor(0);
    const std::uint8_t tile = romImage[static_cast<std::size_t>(rom::kMetatileTable.offset)];
    selectTile(tile);  // a tile of metatile 0, in the preview
    choosePen(3);
    const std::vector<Color> mapBefore = pixelsOf(window->mapPicture());
    const std::vector<Color> previewBefore = pixelsOf(window->selectedMetatilePicture());
    for (int x = 4; x < 128; x += 16) {
      click(altChild("picSelectedTile"), x, 4);
      expectEveryViewFresh();
    }
    QVERIFY(pixelsOf(window->mapPicture()) != mapBefore);
    QVERIFY(pixelsOf(window->selectedMetatilePicture()) != previewBefore);
    alt()->close();
    expectEveryViewFresh();
  }

  // Opening again, in another mode or from the picker, keeps the edits made.
  void openingAgainKeepsTheEdits() {
    openEditor(0);
    selectTile(9);
    choosePen(3);
    click(altChild("picSelectedTile"), 4, 4);
    const ByteArray edited = romImage;
    QVERIFY(edited != makeDemoRom());
    openEditor(1);
    openEditor(0, 7);
    QCOMPARE(pixelOf(9, 0, 0), 3);
    alt()->close();
    QCOMPARE(romImage, edited);
  }

  void saveWhileTheEditorIsOpenSavesItsEdits() {
    openEditor(1);
    selectTile(200);
    TilePixels before;
    decodeTiles(rom::kBatViewChrBank.offset, 256, before, romImage);
    const int pen = (before[200 * 64 + 3 * 8 + 3] + 1) % 4;  // a change
    choosePen(pen);
    click(altChild("picSelectedTile"), 50, 50);
    // The editor window's caption marks the unsaved edit as the main
    // window's does, and its own File > Save Rom saves.
    QVERIFY(alt()->isWindowModified());
    QCOMPARE(alt()->windowTitle(), QString("Batter View Editor [demo.nes][*]"));
    QCOMPARE(altAction("menuFileSaveRom")->shortcut(), QKeySequence("Ctrl+S"));
    altAction("menuFileSaveRom")->trigger();
    QVERIFY(!alt()->isWindowModified());
    QVERIFY(!window->isWindowModified());
    QCOMPARE(test::readFile(*dir / "demo.nes"), romImage);
    // Its Export Image writes the same picture as tarvo-cli would; Ctrl+E is
    // the tiles the window edits.
    QCOMPARE(altAction("menuFileExportBatViewChr")->shortcut(), QKeySequence("Ctrl+E"));
    QVERIFY(altAction("menuFileExportFieldChr")->shortcut().isEmpty());
    dialogs->saveFiles << pathIn("tiles.png");
    altAction("menuFileExportBatViewChr")->trigger();
    ByteArray png;
    QVERIFY(encodeViewPng(romImage, View::BatViewChr, 0, png));
    QCOMPARE(test::readFile(*dir / "tiles.png"), png);
    TilePixels saved;
    decodeTiles(rom::kBatViewChrBank.offset, 256, saved, test::readFile(*dir / "demo.nes"));
    QCOMPARE(int{saved[200 * 64 + 3 * 8 + 3]}, pen);
  }

  void loadingAnotherImageNeverTakesTheOldTiles() {
    openEditor(0);
    selectTile(1);
    click(altChild("picSelectedTile"), 4, 4, Qt::RightButton);
    ByteArray other = test::randomBytes(rom::kMinImageSize, 202);
    test::writeFile(*dir / "other.nes", other);
    dialogs->saveAnswers = {UserDialogs::SaveAnswer::Discard};
    loadThroughTheMenu(pathIn("other.nes"));
    QVERIFY(QTest::qWaitFor([this] { return alt() == nullptr; }));
    QCOMPARE(romImage, other);
  }

  // Closing in mode 1 leaves the main window's pictures alone; in mode 0 it
  // draws them again.
  void onlyModeZeroRefreshesTheMainWindowOnClosing() {
    Surface& map = child<PictureSurface>("picMapRenderDest")->surface();
    for (const int mode : {1, 0}) {
      openEditor(mode);
      map.setPixel(700, 700, 0x123456);
      alt()->close();
      QCOMPARE(map.pixel(700, 700) == 0x123456U, mode == 1);
    }
  }

  void theGridColourFollowsTheThumbOnlyWhenItIsLetGo() {
    openEditor(0);
    QVERIFY(!altChild<QScrollBar>("hscrGridColor")->hasTracking());
    QVERIFY(altChild<QScrollBar>("hscr_meta")->hasTracking());
  }

  void closingTheMainWindowClosesTheEditorFirst() {
    openEditor(1);
    QPointer<frmAltPane> pane = alt();
    window->close();
    QVERIFY(QTest::qWaitFor([&] { return pane.isNull(); }));
  }

  void theGridShowsAndTakesItsColour() {
    openEditor(0);
    auto lines = [this] {
      auto all = alt()->findChildren<LineOverlay*>("lineVert");
      all += alt()->findChildren<LineOverlay*>("lineHoriz");
      return all;
    };
    QCOMPARE(lines().size(), 64);
    // isHidden: the lines over the batter's view lie in a hidden frame in mode 0.
    for (LineOverlay* line : lines()) {
      QVERIFY(line->isHidden());
      QCOMPARE(line->colour(), QColor(Qt::black));
    }
    altAction("menuViewShowGrid")->trigger();
    for (LineOverlay* line : lines()) {
      QVERIFY(!line->isHidden());
    }
    altChild<QScrollBar>("hscrGridColor")->setValue(255);
    for (LineOverlay* line : lines()) {
      QCOMPARE(line->colour(), QColor(255, 0, 0));
    }
    altAction("menuViewShowGrid")->trigger();
    for (LineOverlay* line : lines()) {
      QVERIFY(line->isHidden());
    }
    // Lines over each view: 15 on the pattern table, 7 on the tile, 3 on the
    // metatile, 7 on the batter's view, each way.
    const std::vector<std::pair<const char*, int>> counts{{"picPatternTable", 30},
                                                          {"picSelectedTile", 14},
                                                          {"pic_4x4metatile", 6},
                                                          {"picBatView", 14}};
    for (const auto& [view, count] : counts) {
      QCOMPARE(altChild(view)->findChildren<LineOverlay*>().size(), count);
    }
  }
};

QTEST_MAIN(FrmAltPaneTest)
#include "frm_alt_pane_test.moc"
