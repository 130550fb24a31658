// The graphics editor window, opened from the real main window and driven
// through Qt's routing on the offscreen platform.
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>
#include <functional>
#include <memory>

#include "demo/demo_rom.h"
#include "editor/frmAltPane.h"
#include "fake_dialogs.h"
#include "gfx/tile_transforms.h"
#include "platform/line_overlay.h"
#include "platform/picture_surface.h"
#include "screens/batview_renderer.h"
#include "screens/field_renderer.h"
#include "screens/status_text.h"
#include "screens/views.h"
#include "shell/frmMain.h"
#include "shell/rom_image.h"
#include "shell/rom_locations.h"
#include "test_support.h"
#include "window_driver.h"

using namespace tarvo;
using test::pixelsOf;

namespace {

QColor qColour(Color c) {
  return QColor(redOf(c), greenOf(c), blueOf(c));
}

}  // namespace

class FrmAltPaneTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<test::TempDir> dir;
  std::unique_ptr<test::FakeDialogs> dialogs;
  std::unique_ptr<frmMain> window;

  frmAltPane* alt() { return window->editorWindow(); }
  const TileEditor& state() { return alt()->editor(); }

  template <typename T = QWidget>
  T* child(const char* name) {
    return test::named<T>(alt(), name);
  }
  template <typename T = QWidget>
  T* indexed(const char* name, int index) {
    return test::member<T>(alt(), name, index);
  }

  QPoint at(QWidget* surface, int x, int y) { return test::inWindow(surface, x, y); }
  void press(const char* surface, int x, int y, Qt::MouseButton button = Qt::LeftButton) {
    test::pressOn(child(surface), x, y, button);
  }
  void release(const char* surface, int x, int y, Qt::MouseButton button = Qt::LeftButton) {
    test::releaseOn(child(surface), x, y, button);
  }
  void moveTo(const char* surface, int x, int y) { test::moveOn(child(surface), x, y); }
  void click(const char* surface, int x, int y, Qt::MouseButton button = Qt::LeftButton) {
    test::clickOn(child(surface), x, y, button);
  }
  void clickButton(const char* name) {
    QTest::mouseClick(child<QPushButton>(name), Qt::LeftButton);
  }
  void selectTile(int tile) {
    click("picPatternTable", (tile % 16) * 16 + 3, (tile / 16) * 16 + 3);
  }

  void open(int ap, int metaID = 0) {
    window->openEditor(ap, metaID);
    QVERIFY(alt() != nullptr);
    QVERIFY(QTest::qWaitForWindowExposed(alt()));
  }

  // Every view of the editor window is what a fresh draw of the image gives.
  void expectViewsFresh() {
    const TileEditor& tiles = state();
    TilePixels bank;
    decodeTiles(tiles.bank().offset, 256, bank, romImage);
    PaletteArray palette{};
    readPalette(romImage, palette,
                tiles.paneMode() == 0 ? rom::kFieldPalette.offset : rom::kBatViewPalette.offset);
    Surface table(256, 256);
    drawPatternTable(table, bank, palette, tiles.selPal(), 2);
    QCOMPARE(pixelsOf(tiles.picPatternTable), pixelsOf(table));
    Surface tile(8, 8);
    drawTile(bank, tiles.selTile(), tile, 0, 0, palette, tiles.selPal());
    Surface metatile(32, 32);
    drawMetatile(metatile, romImage, bank, palette, 0, 0, tiles.selMeta(), tiles.selPal());
    for (int y = 0; y < 128; ++y) {
      for (int x = 0; x < 128; ++x) {
        QCOMPARE(tiles.picSelectedTile.pixel(x, y), tile.pixel(x / 16, y / 16));
        QCOMPARE(tiles.pic_4x4metatile.pixel(x, y), metatile.pixel(x / 4, y / 4));
      }
    }
    PaletteSurfaces sheets = makePaletteSurfaces();
    drawPatternTables(sheets, bank, palette);
    Surface batView(256, 240);
    drawBatView(batView, romImage, sheets);
    QCOMPARE(pixelsOf(tiles.picBatView), pixelsOf(batView));
  }

  std::uint8_t pixelOf(int tile, int row, int column) {
    return state().editTiles()[static_cast<std::size_t>(tile * 64 + row * 8 + column)];
  }

 private slots:
  void init() {
    dir = std::make_unique<test::TempDir>();
    test::writeFile(*dir / "demo.nes", makeDemoRom());
    dialogs = std::make_unique<test::FakeDialogs>();
    window = std::make_unique<frmMain>(*dialogs);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    dialogs->files << QString::fromStdString((*dir / "demo.nes").string());
    window->findChild<QAction*>("menuFileLoadRom")->trigger();
    QCOMPARE(romImage, makeDemoRom());
  }

  void cleanup() {
    window.reset();
    dialogs.reset();
    dir.reset();
  }

  void opensInEachMode_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("caption");
    QTest::newRow("metatile editor") << 0 << "Metatile Editor";
    QTest::newRow("batter's view editor") << 1 << "Batter View Editor";
  }
  void opensInEachMode() {
    QFETCH(int, mode);
    QFETCH(QString, caption);
    window->findChild<QAction*>(mode == 0 ? "menuEditTileData" : "menuEditBatView")->trigger();
    QVERIFY(alt() != nullptr);
    QVERIFY(QTest::qWaitForWindowExposed(alt()));
    QCOMPARE(alt()->windowTitle(), caption);
    QCOMPARE(child("clientArea")->size(), QSize(470, 557));
    QCOMPARE(child("fraMetaEdit")->isVisible(), mode == 0);
    QCOMPARE(child("fraBatEdit")->isVisible(), mode == 1);
    QCOMPARE(state().selTile(), 0);
    QCOMPARE(child<QLabel>("lblSelTile")->text(), QString("00"));
    QCOMPARE(state().selPal(), 0);
    QCOMPARE(state().leftColor(), 0);
    QCOMPARE(state().rightColor(), 1);
    const rom::Location& palette = mode == 0 ? rom::kFieldPalette : rom::kBatViewPalette;
    for (int k = 0; k < 4; ++k) {
      const Color expected =
          colorTable[romImage[static_cast<std::size_t>(palette.offset + k)] & 63];
      QCOMPARE(indexed<QLabel>("lblnespal_tEdit", k)->palette().color(QPalette::Window),
               qColour(expected));
    }
    QCOMPARE(indexed<QLabel>("lblselectedcolor", 0)->palette().color(QPalette::Window),
             indexed<QLabel>("lblnespal_tEdit", 0)->palette().color(QPalette::Window));
    QCOMPARE(indexed<QLabel>("lblselectedcolor", 1)->palette().color(QPalette::Window),
             indexed<QLabel>("lblnespal_tEdit", 1)->palette().color(QPalette::Window));
    // The views show the mode's bank.
    const bool field = mode == 0;
    if (!field) {
      QCOMPARE(pixelsOf(state().picBatView), pixelsOf(renderView(romImage, View::BatView, 0)));
    }
    const Surface table = renderView(romImage, field ? View::FieldChr : View::BatViewChr, 0);
    for (int y = 0; y < 256; ++y) {
      for (int x = 0; x < 256; ++x) {
        QCOMPARE(state().picPatternTable.pixel(x, y), table.pixel(x / 2, y / 2));
      }
    }
  }

  void controlsSitWhereTheyBelong() {
    open(0);
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
      QCOMPARE(child(name)->geometry(), geometry);
    }
    for (int k = 0; k < 4; ++k) {
      QCOMPARE(indexed("lblnespal_tEdit", k)->geometry(), QRect(40 + 24 * k, 200, 24, 24));
    }
    QCOMPARE(indexed("lblselectedcolor", 0)->geometry(), QRect(112, 176, 17, 17));
    QCOMPARE(indexed("lblselectedcolor", 1)->geometry(), QRect(128, 176, 17, 17));
    QCOMPARE(indexed("lblselectedcolor", 1)->toolTip(), QString("Current Color"));
    for (const auto& [name, caption] :
         std::vector<std::pair<const char*, QString>>{{"cmdShiftUp", "/\\"},
                                                      {"cmdShiftDown", "\\/"},
                                                      {"cmdShiftLeft", "<"},
                                                      {"cmdShiftRight", ">"},
                                                      {"cmdPrevPal", "<"},
                                                      {"cmdNextPal", ">"}}) {
      QCOMPARE(child<QPushButton>(name)->text(), caption);
    }
    for (const char* name : {"cmdFlipVAxis", "cmdFlipHAxis", "cmdRotate"}) {
      QVERIFY(!child<QPushButton>(name)->icon().isNull());
    }
    auto* meta = child<QScrollBar>("hscr_meta");
    QCOMPARE(meta->maximum(), 132);
    QCOMPARE(meta->pageStep(), 8);
    auto* grid = child<QScrollBar>("hscrGridColor");
    QCOMPARE(grid->maximum(), 255);
    QCOMPARE(grid->pageStep(), 8);
    QCOMPARE(child<QAction>("menuViewShowGrid")->text(), QString("Show Grid"));
  }

  void aDoubleClickInThePickerOpensAtThatMetatile() {
    auto* table = window->findChild<QWidget*>("picMetaTable");
    QTest::mouseDClick(window->windowHandle(), Qt::LeftButton, {},
                       table->mapTo(window.get(), QPoint(5 * 32 + 4, 4)));
    QVERIFY(alt() != nullptr);
    QCOMPARE(state().paneMode(), 0);
    QCOMPARE(state().selMeta(), 5);
    QCOMPARE(child<QScrollBar>("hscr_meta")->value(), 5);
    QCOMPARE(child<QLabel>("lbl_4selMeta")->text(), QString("05"));
  }

  void aPixelPressPaintsWithTheLeftPen() {
    open(0);
    selectTile(5);
    QTest::mousePress(indexed("lblnespal_tEdit", 2), Qt::LeftButton);
    QCOMPARE(state().leftColor(), 2);
    const ByteArray before = romImage;
    click("picSelectedTile", 20, 40);
    QCOMPARE(int{state().editTiles()[337]}, 2);
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
    QCOMPARE(state().picSelectedTile.pixel(20, 40), state().swatchColour(2));
    expectViewsFresh();
  }

  void theOtherButtonsPaintWithTheRightPen() {
    open(0);
    QTest::mousePress(indexed("lblnespal_tEdit", 3), Qt::RightButton);
    QCOMPARE(state().rightColor(), 3);
    QCOMPARE(indexed<QLabel>("lblselectedcolor", 1)->palette().color(QPalette::Window),
             qColour(state().swatchColour(3)));
    click("picSelectedTile", 5, 5, Qt::RightButton);
    QCOMPARE(pixelOf(0, 0, 0), 3);
    click("picSelectedTile", 21, 5, Qt::MiddleButton);
    QCOMPARE(pixelOf(0, 0, 1), 3);
    click("picSelectedTile", 37, 5);
    QCOMPARE(pixelOf(0, 0, 2), 0);
  }

  // A stroke paints each cell it enters once; outside the surface it paints
  // nothing, and it goes on where it comes back in.
  void aStrokePaintsEachCellItEntersOnce() {
    open(0);
    selectTile(7);
    TilePixels expected = state().editTiles();
    QTest::mousePress(indexed("lblnespal_tEdit", 3), Qt::LeftButton);
    press("picSelectedTile", 2, 2);
    QCOMPARE(pixelOf(7, 0, 0), 3);
    moveTo("picSelectedTile", 10, 2);  // same cell
    moveTo("picSelectedTile", 18, 2);  // cell (0, 1)
    moveTo("picSelectedTile", -5, 2);  // outside: nothing
    moveTo("picSelectedTile", -5, 60);
    moveTo("picSelectedTile", 140, 2);
    moveTo("picSelectedTile", 120, 2);  // back in at cell (0, 7); cells 2 to 6 were skipped
    release("picSelectedTile", 120, 2);
    QVERIFY(!state().penDown());
    moveTo("picSelectedTile", 120, 40);  // no stroke: nothing
    for (const int column : {0, 1, 7}) {
      expected[static_cast<std::size_t>(7 * 64 + column)] = 3;
    }
    QCOMPARE(state().editTiles(), expected);
    TilePixels stored;
    decodeTiles(rom::kFieldChrBank.offset, 256, stored, romImage);
    QCOMPARE(stored, expected);
  }

  void aMoveInsideOneCellDoesNotPaintAgain() {
    open(0);
    selectTile(7);
    QTest::mousePress(indexed("lblnespal_tEdit", 3), Qt::LeftButton);
    press("picSelectedTile", 2, 2);
    // Give the left pen another slot mid-stroke: only a newly entered cell
    // takes it.
    QTest::mousePress(indexed("lblnespal_tEdit", 2), Qt::LeftButton);
    moveTo("picSelectedTile", 12, 12);  // same cell (0, 0)
    QCOMPARE(pixelOf(7, 0, 0), 3);
    moveTo("picSelectedTile", 20, 12);  // cell (0, 1)
    QCOMPARE(pixelOf(7, 0, 1), 2);
    release("picSelectedTile", 20, 12);
  }

  void aPressOffTheTilePaintsNothing() {
    open(0);
    const TilePixels before = state().editTiles();
    // A press outside the surface never reaches it through the window
    // system; send the surface's own press signal as it would report one.
    auto* tile = child<PictureSurface>("picSelectedTile");
    emit tile->pressed(1, 0, 128, 5);
    emit tile->pressed(1, 0, 5, -1);
    QVERIFY(!state().penDown());
    QCOMPARE(state().editTiles(), before);
  }

  void subPalettesStepWithWrapAround() {
    open(0);
    QTest::mousePress(indexed("lblnespal_tEdit", 3), Qt::RightButton);
    clickButton("cmdPrevPal");
    QCOMPARE(state().selPal(), 3);
    clickButton("cmdNextPal");
    QCOMPARE(state().selPal(), 0);
    for (int step = 1; step <= 4; ++step) {
      clickButton("cmdNextPal");
      QCOMPARE(state().selPal(), step & 3);
      for (int k = 0; k < 4; ++k) {
        const std::uint8_t number =
            romImage[static_cast<std::size_t>(rom::kFieldPalette.offset + (step & 3) * 4 + k)];
        QCOMPARE(indexed<QLabel>("lblnespal_tEdit", k)->palette().color(QPalette::Window),
                 qColour(colorTable[number & 63]));
      }
      expectViewsFresh();
      // The right pen keeps slot 3, shown in the new colours.
      QCOMPARE(state().rightColor(), 3);
      QCOMPARE(indexed<QLabel>("lblselectedcolor", 1)->palette().color(QPalette::Window),
               indexed<QLabel>("lblnespal_tEdit", 3)->palette().color(QPalette::Window));
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
    open(1);
    selectTile(0x41);
    TilePixels expected = state().editTiles();
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
    QVERIFY(expected != state().editTiles());  // the tile is not symmetric
    clickButton(button.toUtf8().constData());
    QCOMPARE(state().editTiles(), expected);
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
    open(0);
    click("picPatternTable", x, y);
    QCOMPARE(int{state().selTile()}, tile);
    QCOMPARE(child<QLabel>("lblSelTile")->text(), label);
    Surface expected(8, 8);
    drawTile(state().editTiles(), static_cast<std::uint8_t>(tile), expected, 0, 0,
             state().palData(), 0);
    for (int py = 0; py < 128; ++py) {
      for (int px = 0; px < 128; ++px) {
        QCOMPARE(state().picSelectedTile.pixel(px, py), expected.pixel(px / 16, py / 16));
      }
    }
  }

  void pressingOnOneTileAndReleasingOnAnotherCopiesIt() {
    open(1);
    const TilePixels before = state().editTiles();
    press("picPatternTable", 3 * 16 + 5, 5);         // tile 3
    release("picPatternTable", 4 * 16 + 5, 16 + 5);  // tile 20
    TilePixels expected = before;
    std::copy_n(before.begin() + 3 * 64, 64, expected.begin() + 20 * 64);
    QCOMPARE(state().editTiles(), expected);
    QCOMPARE(int{state().selTile()}, 3);
    QCOMPARE(child<QLabel>("lblSelTile")->text(), QString("03"));
    TilePixels stored;
    decodeTiles(rom::kBatViewChrBank.offset, 256, stored, romImage);
    QCOMPARE(stored, expected);
    expectViewsFresh();
    // The batter's view shows the new tile 20 wherever it stands.
    QCOMPARE(pixelsOf(state().picBatView), pixelsOf(renderView(romImage, View::BatView, 0)));
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
    open(0);
    press("picPatternTable", 5, 5);
    QTest::mouseMove(alt()->windowHandle(),
                     at(child("picPatternTable"), releaseAt.x(), releaseAt.y()));
    release("picPatternTable", releaseAt.x(), releaseAt.y());
    QCOMPARE(romImage, makeDemoRom());
    QVERIFY(!state().tileDrag());
  }

  // A double-click is press, release, double-click, release: its second
  // release copies nothing, even over another tile, while a press and a
  // release there still do.
  void theSecondReleaseOfADoubleClickCopiesNothing() {
    open(1);
    QWidget* table = child("picPatternTable");
    const QPoint tile3(3 * 16 + 5, 5);
    const QPoint tile20(4 * 16 + 5, 16 + 5);
    QTest::mousePress(table, Qt::LeftButton, {}, tile3);
    QTest::mouseRelease(table, Qt::LeftButton, {}, tile3);
    QTest::mouseDClick(table, Qt::LeftButton, {}, tile3);
    QTest::mouseMove(table, tile20);
    QTest::mouseRelease(table, Qt::LeftButton, {}, tile20);
    QCOMPARE(romImage, makeDemoRom());
    QCOMPARE(int{state().selTile()}, 3);
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
    open(mode);
    QStatusBar* bar = alt()->statusBar();
    const rom::Location& bank = state().bank();
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
    auto* usage = child<QLabel>("lblTileUsage");
    QVERIFY(usage->isVisible());
    const QRect place(usage->mapTo(alt(), QPoint(0, 0)), usage->size());
    for (const char* name : {"fraPatTbl", "fraMetaEdit", "fraBatEdit", "hscrGridColor"}) {
      QWidget* control = child(name);
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
    open(mode, metatile);
    selectTile(tile);
    ByteArray expected = romImage;
    expected[static_cast<std::size_t>(offset)] = static_cast<std::uint8_t>(tile);
    click(mode == 0 ? "pic_4x4metatile" : "picBatView", pressAt.x(), pressAt.y(),
          mode == 0 ? Qt::LeftButton : Qt::RightButton);
    QCOMPARE(romImage, expected);
    expectViewsFresh();
    if (mode == 1) {
      QCOMPARE(pixelsOf(state().picBatView), pixelsOf(renderView(romImage, View::BatView, 0)));
    } else {
      QCOMPARE(child<QLabel>("lbl_4selMeta")->text(),
               QString::fromStdString(hexLabel(static_cast<std::uint8_t>(metatile))));
    }
  }

  void theMetatileScrollBarChoosesTheMetatile() {
    open(0);
    auto* bar = child<QScrollBar>("hscr_meta");
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(state().selMeta(), 8);
    QCOMPARE(child<QLabel>("lbl_4selMeta")->text(), QString("08"));
    bar->setValue(132);
    QCOMPARE(child<QLabel>("lbl_4selMeta")->text(), QString("84"));
  }

  void closingWithoutEditsKeepsTheBank() {
    for (const int mode : {0, 1}) {
      open(mode);
      alt()->close();
      QVERIFY(QTest::qWaitFor([this] { return alt() == nullptr; }));
      QCOMPARE(romImage, makeDemoRom());
    }
  }

  // A tile painted in the editor shows in the main window's views at once,
  // and closing the window leaves them so.
  void theMainWindowShowsTileChangesAsTheyHappen() {
    open(0);
    const std::uint8_t tile = romImage[static_cast<std::size_t>(rom::kMetatileTable.offset)];
    selectTile(tile);  // a tile of metatile 0, in the preview
    QTest::mousePress(indexed("lblnespal_tEdit", 3), Qt::LeftButton);
    const std::vector<Color> mapBefore = pixelsOf(window->mapPicture());
    const std::vector<Color> previewBefore = pixelsOf(window->selectedMetatilePicture());
    for (int x = 4; x < 128; x += 16) {
      click("picSelectedTile", x, 4);
      QCOMPARE(pixelsOf(window->mapPicture()), pixelsOf(renderView(romImage, View::Field, 0)));
    }
    QVERIFY(pixelsOf(window->mapPicture()) != mapBefore);
    QVERIFY(pixelsOf(window->selectedMetatilePicture()) != previewBefore);
    Surface table(512, 512);
    table.copyBlock(0, 0, 512, 288, renderView(romImage, View::Metatiles, 0), 0, 0);
    QCOMPARE(pixelsOf(window->metatileTablePicture()), pixelsOf(table));
    alt()->close();
    QCOMPARE(pixelsOf(window->mapPicture()), pixelsOf(renderView(romImage, View::Field, 0)));
  }

  // Opening again, in another mode or from the picker, keeps the edits made.
  void openingAgainKeepsTheEdits() {
    open(0);
    selectTile(9);
    QTest::mousePress(indexed("lblnespal_tEdit", 3), Qt::LeftButton);
    click("picSelectedTile", 4, 4);
    const ByteArray edited = romImage;
    QVERIFY(edited != makeDemoRom());
    open(1);
    open(0, 7);
    QCOMPARE(pixelOf(9, 0, 0), 3);
    alt()->close();
    QCOMPARE(romImage, edited);
  }

  void saveWhileTheEditorIsOpenSavesItsEdits() {
    open(1);
    selectTile(200);
    QTest::mousePress(indexed("lblnespal_tEdit", 2), Qt::LeftButton);
    click("picSelectedTile", 50, 50);
    window->findChild<QAction*>("menuFileSaveRom")->trigger();
    QCOMPARE(test::readFile(*dir / "demo.nes"), romImage);
    TilePixels saved;
    decodeTiles(rom::kBatViewChrBank.offset, 256, saved, test::readFile(*dir / "demo.nes"));
    QCOMPARE(int{saved[200 * 64 + 3 * 8 + 3]}, 2);
  }

  void loadingAnotherImageNeverTakesTheOldTiles() {
    open(0);
    selectTile(1);
    click("picSelectedTile", 4, 4, Qt::RightButton);
    ByteArray other = test::randomBytes(rom::kMinImageSize, 202);
    test::writeFile(*dir / "other.nes", other);
    dialogs->files << QString::fromStdString((*dir / "other.nes").string());
    dialogs->saveAnswers = {UserDialogs::SaveAnswer::Discard};
    window->findChild<QAction*>("menuFileLoadRom")->trigger();
    QVERIFY(QTest::qWaitFor([this] { return alt() == nullptr; }));
    QCOMPARE(romImage, other);
  }

  // Closing in mode 1 leaves the main window's pictures alone; in mode 0 it
  // draws them again.
  void onlyModeZeroRefreshesTheMainWindowOnClosing() {
    Surface& map = window->findChild<PictureSurface*>("picMapRenderDest")->surface();
    for (const int mode : {1, 0}) {
      open(mode);
      map.setPixel(700, 700, 0x123456);
      alt()->close();
      QCOMPARE(map.pixel(700, 700) == 0x123456U, mode == 1);
    }
  }

  void theGridColourFollowsTheThumbOnlyWhenItIsLetGo() {
    open(0);
    QVERIFY(!child<QScrollBar>("hscrGridColor")->hasTracking());
    QVERIFY(child<QScrollBar>("hscr_meta")->hasTracking());
  }

  void closingTheMainWindowClosesTheEditorFirst() {
    open(1);
    QPointer<frmAltPane> editor = alt();
    window->close();
    QVERIFY(QTest::qWaitFor([&] { return editor.isNull(); }));
  }

  void theGridShowsAndTakesItsColour() {
    open(0);
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
    child<QAction>("menuViewShowGrid")->trigger();
    for (LineOverlay* line : lines()) {
      QVERIFY(!line->isHidden());
    }
    child<QScrollBar>("hscrGridColor")->setValue(255);
    for (LineOverlay* line : lines()) {
      QCOMPARE(line->colour(), QColor(255, 0, 0));
    }
    child<QAction>("menuViewShowGrid")->trigger();
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
      QCOMPARE(child(view)->findChildren<LineOverlay*>().size(), count);
    }
  }
};

QTEST_MAIN(FrmAltPaneTest)
#include "frm_alt_pane_test.moc"
