// The main window, driven as a user drives it: menus, the open dialog (a
// fake that answers at once) and the mouse through the window system's own
// routing, on the offscreen platform.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMimeData>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QWheelEvent>
#include <cmath>
#include <filesystem>

#include "demo/demo_rom.h"
#include "platform/block_clipboard.h"
#include "platform/line_overlay.h"
#include "platform/picture_surface.h"
#include "platform/zoom_view.h"
#include "screens/block_text.h"
#include "screens/map_editing.h"
#include "screens/status_text.h"
#include "screens/view_transform.h"
#include "screens/views.h"
#include "shell/frmMain.h"
#include "shell/rom_image.h"
#include "shell/rom_locations.h"
#include "test_support.h"
#include "window_fixture.h"

using namespace tarvo;
namespace fs = std::filesystem;

namespace {

const QString kTitle = "Tarvo-Field Editor v1.1.0";

std::size_t mapByte(int column, int row) {
  return static_cast<std::size_t>(rom::kFieldMap.offset + row * 24 + column);
}

}  // namespace

class FrmMainTest : public test::WindowFixture {
  Q_OBJECT

 public:
  FrmMainTest() : WindowFixture(Start::NoImage) {}

 private slots:
  void startsWithNoImage() {
    QCOMPARE(window->windowTitle(), kTitle + " [...]");
    QCOMPARE(window->title(), kTitle);
    QCOMPARE(romImage, ByteArray(1, 0));
    QVERIFY(action("menuFileLoadRom")->isEnabled());
    QVERIFY(action("menuFileExit")->isEnabled());
    for (const char* name : {"menuFileSaveRom", "menuEditTileData", "menuEditBatView",
                             "menuViewFieldGrid", "menuViewMetaGrid"}) {
      QVERIFY2(!action(name)->isEnabled(), name);
    }
    QVERIFY(!child<QMenu>("menuEdit")->menuAction()->isEnabled());
    QVERIFY(!child<QMenu>("menuView")->menuAction()->isEnabled());
    for (const char* name : {"picMapRenderDest", "vscrMap", "picMetaTable", "vscrMetatiles"}) {
      QVERIFY2(!child(name)->isEnabled(), name);
    }
    QVERIFY(!action("menuViewFieldGrid")->isChecked());
    QVERIFY(!action("menuViewMetaGrid")->isChecked());
    // A press on the disabled map does nothing.
    press(child("picMapRenderDest"), 40, 70);
    QCOMPARE(romImage, ByteArray(1, 0));
  }

  void controlsSitWhereTheyBelong_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("map viewport") << "picMapContainer" << QRect(8, 8, 769, 512);
    QTest::newRow("map") << "picMapRenderDest" << QRect(0, 0, 768, 768);
    QTest::newRow("map scroll bar") << "vscrMap" << QRect(784, 8, 17, 512);
    QTest::newRow("table viewport") << "PicMetaContainer" << QRect(8, 528, 516, 196);
    QTest::newRow("table") << "picMetaTable" << QRect(0, 0, 512, 512);
    QTest::newRow("table scroll bar") << "vscrMetatiles" << QRect(524, 528, 17, 195);
    QTest::newRow("preview") << "picSelMeta" << QRect(552, 536, 64, 64);
  }
  void controlsSitWhereTheyBelong() {
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QCOMPARE(child(name.toUtf8().constData())->geometry(), geometry);
  }

  void theClientAreaIs808By727() {
    QCOMPARE(child("clientArea")->size(), QSize(808, 727));
    QCOMPARE(window->centralWidget(), child("clientArea"));
  }

  void swatchesSitInTwoRows() {
    const auto swatches = window->findChildren<QLabel*>("lblnespal_edit");
    QCOMPARE(swatches.size(), 32);
    for (QLabel* swatch : swatches) {
      const int i = swatch->property("index").toInt();
      const QRect expected =
          i < 16 ? QRect(552 + 16 * i, 608, 16, 16) : QRect(552 + 16 * (i - 16), 632, 16, 16);
      QCOMPARE(swatch->geometry(), expected);
    }
  }

  void scrollBarsHaveTheirRanges() {
    auto* map = child<QScrollBar>("vscrMap");
    QCOMPARE(map->minimum(), 0);
    QCOMPARE(map->maximum(), 256);
    QCOMPARE(map->singleStep(), 8);
    QCOMPARE(map->pageStep(), 32);
    auto* table = child<QScrollBar>("vscrMetatiles");
    QCOMPARE(table->maximum(), 3);
    QCOMPARE(table->singleStep(), 1);
    QCOMPARE(table->pageStep(), 1);
  }

  void menusHaveTheirCaptions() {
    const std::vector<std::pair<const char*, QString>> captions{
        {"menuFileLoadRom", "Load Rom"},
        {"menuFileSaveRom", "Save Rom"},
        {"menuFileExit", "Exit"},
        {"menuEditTileData", "Tile Data"},
        {"menuEditBatView", "Batter's View"},
        {"menuViewFieldGrid", "Show Field Grid"},
        {"menuViewMetaGrid", "Show Tile Grid"}};
    // The captions as they read; the & marks the mnemonic.
    for (const auto& [name, caption] : captions) {
      QCOMPARE(action(name)->text().remove('&'), caption);
    }
    QCOMPARE(child<QMenu>("menuFile")->title().remove('&'), QString("File"));
    QCOMPARE(child<QMenu>("menuEdit")->title().remove('&'), QString("Edit"));
    QCOMPARE(child<QMenu>("menuView")->title().remove('&'), QString("View"));
  }

  // A file whose header does not fit the game's layout is loaded only when
  // the user says so; the game's own header asks nothing.
  void aForeignHeaderIsAskedAboutOnce_data() {
    QTest::addColumn<int>("byte");
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("load");
    QTest::addColumn<QString>("reason");
    QTest::newRow("no header, cancelled") << 0 << 0 << false << "no iNES header";
    QTest::newRow("no header, loaded") << 0 << 0 << true << "no iNES header";
    QTest::newRow("CHR RAM") << 5 << 0 << false << "outside its CHR ROM";
    QTest::newRow("trainer") << 6 << 0x14 << true << "trainer";
  }
  void aForeignHeaderIsAskedAboutOnce() {
    QFETCH(int, byte);
    QFETCH(int, value);
    QFETCH(bool, load);
    QFETCH(QString, reason);
    QVERIFY(loadDemo());
    QVERIFY(dialogs->loadQuestions.empty());
    ByteArray foreign = makeDemoRom();
    foreign[static_cast<std::size_t>(byte)] = static_cast<std::uint8_t>(value);
    test::writeFile(*dir / "foreign.nes", foreign);
    child<QScrollBar>("vscrMap")->setValue(40);
    dialogs->loadAnswers = {load};
    loadThroughTheMenu(pathIn("foreign.nes"));
    QCOMPARE(dialogs->loadQuestions.size(), std::size_t{1});
    QVERIFY(dialogs->loadQuestions.back().text.startsWith("foreign.nes may not be"));
    QVERIFY2(dialogs->loadQuestions.back().text.contains(reason),
             qPrintable(dialogs->loadQuestions.back().text));
    QCOMPARE(window->loadedPath(), load ? pathIn("foreign.nes") : demoPath);
    QCOMPARE(romImage, load ? foreign : makeDemoRom());
    if (!load) {
      // Cancel leaves everything as it was.
      QCOMPARE(child<QScrollBar>("vscrMap")->value(), 40);
      QCOMPARE(dialogs->messages.back().text, QString("File loaded!"));
    }
  }

  void loadShowsTheImage() {
    QVERIFY(loadDemo());
    QCOMPARE(dialogs->filters.back(), QString("NES ROM (*.nes)"));
    QCOMPARE(window->windowTitle(), kTitle + " [demo.nes][*]");
    QCOMPARE(window->loadedPath(), demoPath);
    QCOMPARE(romImage, makeDemoRom());
    // Every item but Undo and Redo, which wait for an edit, Copy and Delete,
    // which wait for a selection, and the zooms that go below 1x.
    const QStringList waiting{"menuEditUndo",   "menuEditRedo",    "menuEditCopy",
                              "menuEditDelete", "menuViewZoomOut", "menuViewActualSize"};
    // (A hidden item, a recent file not yet there, is disabled too.)
    for (QAction* item : window->findChildren<QAction*>()) {
      const QString name = item->objectName();
      if (!name.isEmpty() && item->isVisible()) {
        QVERIFY2(item->isEnabled() == !waiting.contains(name), qPrintable(name));
      }
    }
    QVERIFY(!window->isWindowModified());
    for (const char* name : {"picMapRenderDest", "vscrMap", "picMetaTable", "vscrMetatiles"}) {
      QVERIFY2(child(name)->isEnabled(), name);
    }
    // Metatile 0 in the preview; the swatches show the field palette.
    QCOMPARE(window->selectedMetatileNumber(), 0);
    expectEveryViewFresh();
    QCOMPARE(dialogs->messages.size(), std::size_t{1});
    QCOMPARE(dialogs->messages[0].title, kTitle);
    QCOMPARE(dialogs->messages[0].text, QString("File loaded!"));
  }

  void aLoadSelectsMetatileZeroAgain() {
    QVERIFY(loadDemo());
    click(child("picMetaTable"), 33, 65);
    QCOMPARE(window->selectedMetatileNumber(), 33);
    QVERIFY(loadDemo());
    QCOMPARE(window->selectedMetatileNumber(), 0);
  }

  void aFailedLoadChangesNothing_data() {
    QTest::addColumn<bool>("loadedBefore");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("message");
    for (const bool before : {false, true}) {
      const char* state = before ? "after a load: " : "before any load: ";
      QTest::newRow(QByteArray(state).append("short").constData())
          << before << "short.nes"
          << "short.nes was not loaded.\n\nThe file is 1,024 bytes; a ROM image for this editor "
             "has at least 98,320 bytes.";
      QTest::newRow(QByteArray(state).append("missing").constData())
          << before << "missing.nes"
          << "missing.nes was not loaded.\n\nNo such file.";
      QTest::newRow(QByteArray(state).append("folder").constData())
          << before << "folder.nes"
          << "folder.nes was not loaded.\n\nIt is a folder, not a file.";
    }
  }
  void aFailedLoadChangesNothing() {
    QFETCH(bool, loadedBefore);
    QFETCH(QString, file);
    QFETCH(QString, message);
    test::writeFile(*dir / "short.nes", ByteArray(1024, 1));
    fs::create_directory(*dir / "folder.nes");
    if (loadedBefore) {
      QVERIFY(loadDemo());
      click(child("picMapRenderDest"), 40, 70);  // an edit that must survive
      dialogs->saveAnswers = {UserDialogs::SaveAnswer::Discard};
    }
    const ByteArray image = romImage;
    const QString title = window->windowTitle();
    const QString path = window->loadedPath();
    const std::vector<Color> map = pixelsOf(window->mapPicture());
    dialogs->messages.clear();
    loadThroughTheMenu(pathIn(file.toStdString()));
    QCOMPARE(romImage, image);
    QCOMPARE(window->windowTitle(), title);
    QCOMPARE(window->loadedPath(), path);
    QCOMPARE(pixelsOf(window->mapPicture()), map);
    QCOMPARE(action("menuFileSaveRom")->isEnabled(), loadedBefore);
    QCOMPARE(dialogs->messages.size(), std::size_t{1});
    QCOMPARE(dialogs->messages[0].title, kTitle);
    QCOMPARE(dialogs->messages[0].text, message);
  }

  void aCancelledDialogChangesNothing() {
    QVERIFY(loadDemo());
    const ByteArray image = romImage;
    dialogs->messages.clear();
    loadThroughTheMenu(QString());  // cancelled
    QCOMPARE(dialogs->opened, 2);
    QCOMPARE(romImage, image);
    QCOMPARE(window->windowTitle(), kTitle + " [demo.nes][*]");
    QVERIFY(dialogs->messages.empty());
  }

  void aLeftPressWritesOneByteAndRedrawsItsCell() {
    QVERIFY(loadDemo());
    pickMetatile(37);
    const ByteArray before = romImage;
    const std::vector<Color> mapBefore = pixelsOf(window->mapPicture());
    click(child("picMapRenderDest"), 40, 70);
    ByteArray expected = before;
    expected[32833] = 37;
    QCOMPARE(romImage, expected);
    expectEveryViewFresh();
    const std::vector<Color> map = pixelsOf(window->mapPicture());
    for (int y = 0; y < 768; ++y) {
      for (int x = 0; x < 768; ++x) {
        if (x / 32 != 1 || y / 32 != 2) {
          QCOMPARE(map[static_cast<std::size_t>(y * 768 + x)],
                   mapBefore[static_cast<std::size_t>(y * 768 + x)]);
        }
      }
    }
  }

  // A drag paints each cell it enters once, even when it comes back to it;
  // leaving the map writes nothing (x = -5 is not column 0).
  void aDragPaintsEachCellItEntersOnce() {
    QVERIFY(loadDemo());
    click(child("picMetaTable"), 4 * 32 + 1, 1);  // metatile 4
    for (int column = 0; column < 4; ++column) {
      romImage[mapByte(column, 0)] = 99;
    }
    auto* map = child("picMapRenderDest");
    press(map, 40, 10);  // cell (1, 0)
    QCOMPARE(romImage[mapByte(1, 0)], 4);
    romImage[mapByte(1, 0)] = 99;
    moveTo(map, 60, 12);  // still cell (1, 0): no second write
    QCOMPARE(romImage[mapByte(1, 0)], 99);
    moveTo(map, 70, 12);  // cell (2, 0)
    QCOMPARE(romImage[mapByte(2, 0)], 4);
    moveTo(map, -5, 12);  // left of the map
    moveTo(map, -60, 300);
    QCOMPARE(romImage[mapByte(0, 0)], 99);
    moveTo(map, 45, 12);  // back into cell (1, 0), painted once already
    QCOMPARE(romImage[mapByte(1, 0)], 99);
    release(map, 45, 12);
    moveTo(map, 100, 12);  // no button held: nothing
    QCOMPARE(romImage[mapByte(3, 0)], 99);
    // The painted cells show their new metatile.
    const std::vector<Color> fresh = pixelsOf(renderView(romImage, View::Field, 0));
    const std::vector<Color> picture = pixelsOf(window->mapPicture());
    for (int y = 0; y < 32; ++y) {
      for (int x = 32; x < 96; ++x) {
        QCOMPARE(picture[static_cast<std::size_t>(y * 768 + x)],
                 fresh[static_cast<std::size_t>(y * 768 + x)]);
      }
    }
  }

  // A drag goes on past the viewport, over the metatile table: cells out of
  // view are not painted.
  void aDragPaintsNoCellOutOfView() {
    QVERIFY(loadDemo());
    auto* map = child("picMapRenderDest");
    romImage[mapByte(0, 18)] = 99;
    romImage[mapByte(0, 21)] = 99;
    press(map, 10, 500);  // row 15, in view
    QCOMPARE(int{romImage[mapByte(0, 15)]}, int{window->selectedMetatileNumber()});
    moveTo(map, 10, 600);  // row 18, under the metatile table
    moveTo(map, 10, 700);  // row 21
    release(map, 10, 700);
    QCOMPARE(romImage[mapByte(0, 18)], 99);
    QCOMPARE(romImage[mapByte(0, 21)], 99);
    child<QScrollBar>("vscrMap")->setValue(256);  // rows 256 to 767 in view
    romImage[mapByte(0, 7)] = 99;
    press(map, 10, 300);
    moveTo(map, 10, 200);  // above the viewport
    release(map, 10, 200);
    QCOMPARE(romImage[mapByte(0, 7)], 99);
  }

  // The widgets show the surfaces' pixels, in their colours.
  void theScreenShowsThePictures() {
    QVERIFY(loadDemo());
    auto compare = [](QWidget* widget, const Surface& surface) {
      // Without the frames drawn over the picture.
      for (int slot = 0; slot < PictureSurface::kMarkSlots; ++slot) {
        static_cast<PictureSurface*>(widget)->setMark(slot, std::nullopt);
      }
      const QImage shown = widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
      QCOMPARE(shown.size(), QSize(surface.width(), surface.height()));
      for (int y = 0; y < surface.height(); ++y) {
        for (int x = 0; x < surface.width(); ++x) {
          const QRgb pixel = shown.pixel(x, y);
          const Color colour = surface.pixel(x, y);
          QCOMPARE(qRed(pixel), redOf(colour));
          QCOMPARE(qGreen(pixel), greenOf(colour));
          QCOMPARE(qBlue(pixel), blueOf(colour));
        }
      }
    };
    compare(child("picMapRenderDest"), window->mapPicture());
    compare(child("picSelMeta"), window->selectedMetatilePicture());
    click(child("picMapRenderDest"), 40, 70);
    compare(child("picMapRenderDest"), window->mapPicture());
  }

  // Only the pressed cell is drawn again: a mark elsewhere on the picture
  // stays.
  void aPressRedrawsOnlyItsCell() {
    QVERIFY(loadDemo());
    Surface& map = child<PictureSurface>("picMapRenderDest")->surface();
    map.setPixel(700, 700, 0x123456);
    map.setPixel(33, 63, 0x123456);  // the cell above the pressed one
    click(child("picMapRenderDest"), 40, 70);
    click(child("picMapRenderDest"), 40, 70, Qt::RightButton);
    QCOMPARE(map.pixel(700, 700), 0x123456U);
    QCOMPARE(map.pixel(33, 63), 0x123456U);
  }

  void theWheelScrollsTheViews() {
    QVERIFY(loadDemo());
    for (const char* name : {"picMapRenderDest", "picMetaTable"}) {
      QWidget* view = child(name);
      QWheelEvent down(QPointF(5, 5), view->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120),
                       Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
      QApplication::sendEvent(view, &down);
      QVERIFY2(view->y() < 0, name);
    }
  }

  void rightPressesCycleTheQuadrant_data() {
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("shift");
    QTest::newRow("top-left") << 5 << 5 << 0;
    QTest::newRow("top-right") << 20 << 5 << 2;
    QTest::newRow("bottom-left") << 5 << 20 << 4;
    QTest::newRow("bottom-right") << 20 << 20 << 6;
  }
  void rightPressesCycleTheQuadrant() {
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(int, shift);
    QVERIFY(loadDemo());
    const auto at = static_cast<std::size_t>(rom::kFieldAttributeMap.offset + 2 * 24 + 3);
    romImage[at] = 0x93;
    const ByteArray before = romImage;
    for (int step = 1; step <= 4; ++step) {
      click(child("picMapRenderDest"), 3 * 32 + x, 2 * 32 + y, Qt::RightButton);
      const int field = (((0x93 >> shift) & 3) + step) & 3;
      QCOMPARE(int{romImage[at]}, (0x93 & ~(3 << shift)) | field << shift);
      expectEveryViewFresh();
    }
    QCOMPARE(romImage, before);
  }

  void aMiddlePressWritesNothing() {
    QVERIFY(loadDemo());
    const ByteArray before = romImage;
    click(child("picMapRenderDest"), 100, 100, Qt::MiddleButton);
    QCOMPARE(romImage, before);
  }

  void thePickerSelectsShowsAndScrolls() {
    QVERIFY(loadDemo());
    auto* table = child("picMetaTable");
    click(table, 33, 65);
    QCOMPARE(window->selectedMetatileNumber(), 33);
    const Surface& preview = window->selectedMetatilePicture();
    const Surface& drawn = window->metatileTablePicture();
    for (int y = 0; y < 64; ++y) {
      for (int x = 0; x < 64; ++x) {
        QCOMPARE(preview.pixel(x, y), drawn.pixel(32 + x / 2, 64 + y / 2));
      }
    }
    auto* bar = child<QScrollBar>("vscrMetatiles");
    bar->setValue(3);
    QCOMPARE(table->y(), -96);
    click(table, 150, 260);  // surface coordinates whatever the scroll
    QCOMPARE(window->selectedMetatileNumber(), 132);
    click(table, 170, 260);  // no metatile there
    QCOMPARE(window->selectedMetatileNumber(), 132);
    bar->setValue(0);
    QCOMPARE(table->y(), 0);
  }

  void aDoubleClickAsksForTheEditorAtTheMetatile() {
    QVERIFY(loadDemo());
    QSignalSpy requests(window.get(), &frmMain::editorRequested);
    QTest::mouseDClick(window->windowHandle(), Qt::LeftButton, {},
                       inWindow(child("picMetaTable"), 2 * 32 + 5, 1 * 32 + 5));
    QCOMPARE(window->selectedMetatileNumber(), 18);
    QCOMPARE(requests.size(), 1);
    QCOMPARE(requests[0][0].toInt(), 0);
    QCOMPARE(requests[0][1].toInt(), 18);
    action("menuEditTileData")->trigger();
    action("menuEditBatView")->trigger();
    QCOMPARE(requests.size(), 3);
    QCOMPARE(requests[1], (QList<QVariant>{0, 0}));
    QCOMPARE(requests[2], (QList<QVariant>{1, 0}));
  }

  void theMapScrollsAndPressesKeepSurfaceCoordinates() {
    QVERIFY(loadDemo());
    auto* bar = child<QScrollBar>("vscrMap");
    auto* map = child("picMapRenderDest");
    bar->setValue(256);
    QCOMPARE(map->y(), -256);
    click(map, 10, 700);
    QCOMPARE(int{romImage[mapByte(0, 21)]}, int{window->selectedMetatileNumber()});
  }

  // A press at any zoom and scroll edits the cell and quadrant under the
  // pointer, in a window larger than its first size; the outline follows.
  void aPressAtAnyZoomAndScrollEditsTheCellUnderIt_data() {
    QTest::addColumn<int>("zoom");
    QTest::addColumn<QPoint>("scroll");
    QTest::addColumn<QPoint>("inViewport");
    QTest::newRow("1x") << 1 << QPoint(0, 100) << QPoint(100, 50);
    QTest::newRow("2x, corner") << 2 << QPoint(300, 200) << QPoint(1, 1);
    QTest::newRow("3x") << 3 << QPoint(500, 700) << QPoint(100, 50);
    QTest::newRow("3x, far side") << 3 << QPoint(1500, 1500) << QPoint(640, 500);
    QTest::newRow("4x, last cell") << 4 << QPoint(99999, 99999) << QPoint(700, 560);
  }
  void aPressAtAnyZoomAndScrollEditsTheCellUnderIt() {
    QFETCH(int, zoom);
    QFETCH(QPoint, scroll);
    QFETCH(QPoint, inViewport);
    QVERIFY(loadDemo());
    window->resize(1000, 900);
    QTRY_COMPARE(child("clientArea")->width(), 1000);
    auto* map = child<PictureSurface>("picMapRenderDest");
    window->setViewZoom(map, zoom);
    QCOMPARE(window->mapZoom(), zoom);
    // Blocks of k x k device pixels, k = zoom x display scale rounded.
    const double ratio = map->devicePixelRatioF();
    const int k = std::max(1, static_cast<int>(std::lround(zoom * ratio)));
    const int side = static_cast<int>(std::ceil(768 * k / ratio - 1e-9));
    QCOMPARE(map->size(), QSize(side, side));
    auto* across = child<QScrollBar>("hscrMap");
    auto* down = child<QScrollBar>("vscrMap");
    QCOMPARE(across->isVisible(), side > child("picMapContainer")->width());
    across->setValue(scroll.x());
    down->setValue(scroll.y());
    // Worked out from the bars alone: picture pixel = (scroll + point) in
    // device pixels, over k.
    const int x = static_cast<int>((across->value() + inViewport.x()) * ratio / k);
    const int y = static_cast<int>((down->value() + inViewport.y()) * ratio / k);
    QVERIFY(x < 768 && y < 768);
    // A metatile the cell does not hold yet, from the table's first rows,
    // which show at any scale.
    const int chosen = romImage[mapByte(x / 32, y / 32)] == 35 ? 36 : 35;
    pickMetatile(chosen);
    QCOMPARE(int{window->selectedMetatileNumber()}, chosen);
    QWidget* viewport = child("picMapContainer");
    QVERIFY(viewport->rect().contains(inViewport));
    const QPoint at = viewport->mapTo(window.get(), inViewport);
    QTest::mousePress(window->windowHandle(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(window->windowHandle(), Qt::LeftButton, {}, at);
    QCOMPARE(int{romImage[mapByte(x / 32, y / 32)]}, chosen);
    const std::uint8_t attribute = romImage[mapByte(x / 32, y / 32) + 576];
    QTest::mouseClick(window->windowHandle(), Qt::RightButton, {}, at);
    const int quadrant = ((y % 32) >= 16 ? 2 : 0) + ((x % 32) >= 16 ? 1 : 0);
    const int shift = 2 * quadrant;
    QCOMPARE(int{romImage[mapByte(x / 32, y / 32) + 576]},
             (attribute & ~(3 << shift)) | ((((attribute >> shift) + 1) & 3) << shift));
    // The outline stands on that cell.
    QTest::mouseMove(window->windowHandle(), at);
    QCOMPARE(map->pixelAt(map->mapFrom(viewport, inViewport)), QPoint(x, y));
    expectEveryViewFresh();
  }

  // Ctrl and the wheel zoom about the pointer: the picture pixel under it
  // stays under it, and a plain wheel still scrolls.
  void ctrlWheelZoomsAboutThePointer() {
    QVERIFY(loadDemo());
    auto* map = child<PictureSurface>("picMapRenderDest");
    QWidget* viewport = child("picMapContainer");
    const QPoint inViewport(300, 200);
    auto wheel = [&](int delta, Qt::KeyboardModifiers modifiers) {
      const QPointF local = map->mapFrom(viewport, inViewport);
      QWheelEvent event(local, map->mapToGlobal(local), {}, {0, delta}, Qt::NoButton, modifiers,
                        Qt::NoScrollPhase, false);
      QApplication::sendEvent(map, &event);
    };
    const QPoint before = map->pixelAt(map->mapFrom(viewport, inViewport));
    for (const int zoom : {2, 3, 4, 4}) {
      wheel(120, Qt::ControlModifier);
      QCOMPARE(window->mapZoom(), zoom);
      QCOMPARE(map->pixelAt(map->mapFrom(viewport, inViewport)), before);
    }
    wheel(-60, Qt::ControlModifier);  // half a notch waits for the other half
    QCOMPARE(window->mapZoom(), 4);
    wheel(-60, Qt::ControlModifier);
    QCOMPARE(window->mapZoom(), 3);
    QCOMPARE(map->pixelAt(map->mapFrom(viewport, inViewport)), before);
    action("menuViewActualSize")->trigger();
    QCOMPARE(window->mapZoom(), 1);
    QCOMPARE(child("hscrMap")->isVisible(), map->width() > child("picMapContainer")->width());
    // The metatile table zooms on its own, and the zoom items follow the
    // view the pointer was in last.
    auto* table = child<PictureSurface>("picMetaTable");
    QTest::mouseMove(window->windowHandle(), inWindow(table, 10, 10));
    action("menuViewZoomIn")->trigger();
    QCOMPARE(window->tableZoom(), 2);
    QCOMPARE(window->mapZoom(), 1);
    // Nine rows of 64 pixels in a viewport that the across bar leaves 179
    // tall: seven rows to scroll.
    if (table->devicePixelRatioF() == 1.0) {
      QCOMPARE(child<QScrollBar>("vscrMetatiles")->maximum(), 7);
    }
    pickMetatile(0);
    child<QScrollBar>("hscrMetatiles")->setValue(0);
    child<QScrollBar>("vscrMetatiles")->setValue(0);
    click(table, 2 * 32 + 2, 32 + 2);  // pixels of the picture, at any zoom
    QCOMPARE(window->selectedMetatileNumber(), 18);
    // The focus coming back to the table after a menu closed is not a
    // choice of view; Tab into it is.
    QTest::mouseMove(window->windowHandle(), inWindow(map, 100, 100));
    table->clearFocus();
    table->setFocus(Qt::PopupFocusReason);
    action("menuViewZoomIn")->trigger();
    QCOMPARE(window->mapZoom(), 2);
    QCOMPARE(window->tableZoom(), 2);
    table->clearFocus();
    table->setFocus(Qt::TabFocusReason);
    action("menuViewZoomIn")->trigger();
    QCOMPARE(window->mapZoom(), 2);
    QCOMPARE(window->tableZoom(), 3);
  }

  // The selected metatile is framed, the arrow keys move it when the table
  // has the focus, and the frames are drawn over the picture, never into it.
  void theSelectionIsFramedAndMovesWithTheArrows() {
    QVERIFY(loadDemo());
    auto* table = child<PictureSurface>("picMetaTable");
    pickMetatile(17);
    const QImage shown = table->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shown.pixel(32 + 16, 32), qRgb(255, 64, 64));  // top edge of metatile 17
    expectEveryViewFresh();
    table->setFocus();
    const std::pair<Qt::Key, int> steps[] = {
        {Qt::Key_Right, 18}, {Qt::Key_Down, 34}, {Qt::Key_Left, 33}, {Qt::Key_Up, 17}};
    for (const auto& [key, expected] : steps) {
      QTest::keyClick(table, key);
      QCOMPARE(int{window->selectedMetatileNumber()}, expected);
    }
    // Not past the edges: the first column, the last metatile.
    pickMetatile(16);
    QTest::keyClick(table, Qt::Key_Left);
    QCOMPARE(int{window->selectedMetatileNumber()}, 16);
    auto* bar = child<QScrollBar>("vscrMetatiles");
    bar->setValue(3);  // rows 3 to 8 in view
    pickMetatile(132);
    QTest::keyClick(table, Qt::Key_Right);
    QTest::keyClick(table, Qt::Key_Down);
    QCOMPARE(int{window->selectedMetatileNumber()}, 132);
    // A key takes the table to the selection when it is out of sight.
    bar->setValue(0);
    QTest::keyClick(table, Qt::Key_Left);
    QCOMPARE(int{window->selectedMetatileNumber()}, 131);
    QCOMPARE(bar->value(), 3);
  }

  // Every picture pixel is a block of equal, whole device pixels of its own
  // colour, at every zoom: compared with the surface, not with another draw.
  void zoomedViewsAreCrisp() {
    QVERIFY(loadDemo());
    auto* map = child<PictureSurface>("picMapRenderDest");
    const Surface& surface = window->mapPicture();
    for (const int zoom : {1, 2, 3, 4}) {
      window->setViewZoom(map, zoom);
      for (int slot = 0; slot < PictureSurface::kMarkSlots; ++slot) {
        map->setMark(slot, std::nullopt);
      }
      const ViewTransform view = map->transform();
      const int k = view.devicePerPixel();
      // A part of the picture at an odd origin.
      // From a logical point that is a whole device pixel at every scale.
      QRect part(map->widgetRectOf({37, 41, 20, 12}));
      part.setTopLeft({part.x() & ~3, part.y() & ~3});
      const QImage shown = map->grab(part).toImage().convertToFormat(QImage::Format_RGB32);
      const QPoint origin(qRound(part.x() * view.ratio), qRound(part.y() * view.ratio));
      for (int dy = 0; dy < shown.height(); ++dy) {
        for (int dx = 0; dx < shown.width(); ++dx) {
          const int px = (origin.x() + dx) / k;
          const int py = (origin.y() + dy) / k;
          const Color colour = surface.pixel(px, py);
          const QRgb pixel = shown.pixel(dx, dy);
          if (qRed(pixel) != redOf(colour) || qGreen(pixel) != greenOf(colour) ||
              qBlue(pixel) != blueOf(colour)) {
            QFAIL(qPrintable(QString("zoom %1, device pixel %2,%3 of picture pixel %4,%5")
                                 .arg(zoom)
                                 .arg(dx)
                                 .arg(dy)
                                 .arg(px)
                                 .arg(py)));
          }
        }
      }
    }
  }

  // The map tools through Qt's routing, at every zoom: the keys choose
  // them; Alt+press picks in every tool; a selection dragged past the edge
  // stops there; Ctrl+C puts three forms on the clipboard, the picture as
  // the map shows the cells; a paste holds its middle cell under the pointer
  // and writes the cells its preview shows.
  void theMapToolsAtEveryZoom() {
    QVERIFY(loadDemo());
    auto* map = child<PictureSurface>("picMapRenderDest");
    auto mapAt = [](int column, int row) {
      return int{romImage[static_cast<std::size_t>(rom::kFieldMap.offset + row * 24 + column)]};
    };
    const std::pair<Qt::Key, Tool> keys[] = {{Qt::Key_R, Tool::Select},
                                             {Qt::Key_F, Tool::Fill},
                                             {Qt::Key_I, Tool::Pick},
                                             {Qt::Key_P, Tool::SubPalette},
                                             {Qt::Key_B, Tool::Brush}};
    // Alt and a press pick in every tool once Preferences says so; before,
    // the brush ignores Alt and paints.
    {
      const ByteArray before = romImage;
      pickMetatile((mapAt(5, 3) + 1) % 16);
      press(map, 5 * 32 + 3, 3 * 32 + 3, Qt::LeftButton, Qt::AltModifier);
      release(map, 5 * 32 + 3, 3 * 32 + 3);
      QCOMPARE(mapAt(5, 3), int{window->selectedMetatileNumber()});
      action("menuEditUndo")->trigger();
      QCOMPARE(romImage, before);
    }
    dialogs->preferencesAnswer = UserDialogs::Preferences{true, QString(), true};
    action("menuEditPreferences")->trigger();
    int zoomsTried = 0;
    for (const int zoom : {1, 2, 3}) {
      window->setViewZoom(map, zoom);
      child<QScrollBar>("vscrMap")->setValue(0);
      child<QScrollBar>("hscrMap")->setValue(0);
      const QRect used = map->widgetRectOf({0, 0, 6 * 32, 5 * 32});
      if (used.right() >= child("picMapContainer")->width() ||
          used.bottom() >= child("picMapContainer")->height()) {
        continue;  // a small screen at a large scale: the cells used are out of view
      }
      ++zoomsTried;
      const ByteArray before = romImage;
      for (const auto& [key, tool] : keys) {
        QTest::keyClick(window.get(), key);
        QCOMPARE(window->tools().tool(), tool);
        pickMetatile((mapAt(5, 3) + 1) % 16);  // another than the cell's
        press(map, 5 * 32 + 3, 3 * 32 + 3, Qt::LeftButton, Qt::AltModifier);
        release(map, 5 * 32 + 3, 3 * 32 + 3);
        QCOMPARE(int{window->selectedMetatileNumber()}, mapAt(5, 3));
        QCOMPARE(romImage, before);
      }
      QTest::keyClick(window.get(), Qt::Key_3);
      QCOMPARE(window->tools().subPalette(), 2);
      QCOMPARE(romImage, before);
      QVERIFY(!window->document().history().canUndo());  // picks add no step

      QTest::keyClick(window.get(), Qt::Key_R);
      press(map, 3 * 32 + 5, 3 * 32 + 5);
      moveTo(map, -40, 4 * 32 + 5);  // past the left edge
      release(map, -40, 4 * 32 + 5);
      const CellRect selected{0, 3, 4, 2};
      QCOMPARE(*window->tools().selection(), selected);
      QCOMPARE(child<QLabel>("lblTool")->text(), QString("Select 0, 3: 4 x 2"));
      QApplication::clipboard()->clear();
      action("menuEditCopy")->trigger();
      const QMimeData* data = QApplication::clipboard()->mimeData();
      QVERIFY(data->hasFormat(kFieldBlockMime));
      const CellBlock block = copyBlock(fieldGrid(romImage), selected);
      QCOMPARE(data->text().toStdString(), blockText(fieldShape(), block));
      const QImage picture = QApplication::clipboard()->image();
      QCOMPARE(picture.size(), QSize(128, 64));
      for (int y = 0; y < 64; y += 3) {
        for (int x = 0; x < 128; x += 5) {
          const Color shown = window->mapPicture().pixel(x, 3 * 32 + y);
          QCOMPARE(picture.pixel(x, y), qRgb(redOf(shown), greenOf(shown), blueOf(shown)));
        }
      }
      moveTo(map, 4 * 32 + 9, 3 * 32 + 9);
      action("menuEditPaste")->trigger();
      QCOMPARE(window->tools().pastePreview(), (CellRect{2, 2, 4, 2}));
      moveTo(map, 32 + 9, 32 + 9);  // the block's left column off the field
      QCOMPARE(window->tools().pastePreview(), (CellRect{0, 0, 3, 2}));
      click(map, 32 + 9, 32 + 9);
      for (int row = 0; row < 24; ++row) {
        for (int column = 0; column < 24; ++column) {
          const bool written = column < 3 && row < 2;
          const int expected =
              written ? block.cells[static_cast<std::size_t>(row * 4 + column + 1)]
                      : before[static_cast<std::size_t>(rom::kFieldMap.offset + row * 24 + column)];
          QCOMPARE(mapAt(column, row), expected);
        }
      }
      QCOMPARE(action("menuEditUndo")->text(), QString("&Undo Paste"));
      QTest::keyClick(window.get(), Qt::Key_Escape);  // the paste ends
      QVERIFY(!window->tools().pasting());
      QTest::keyClick(window.get(), Qt::Key_Escape);  // the selection goes
      QVERIFY(!window->tools().selection());
      action("menuEditUndo")->trigger();
      QCOMPARE(romImage, before);
      // A tool's key during a brush drag ends the drag as one step.
      QTest::keyClick(window.get(), Qt::Key_B);
      pickMetatile((mapAt(0, 0) + 1) % 16);
      const std::size_t steps = window->document().history().index();
      press(map, 5, 5);
      moveTo(map, 32 + 5, 5);
      QTest::keyClick(window.get(), Qt::Key_F);
      moveTo(map, 2 * 32 + 5, 5);
      release(map, 2 * 32 + 5, 5);
      QCOMPARE(window->document().history().index(), steps + 1);
      QCOMPARE(mapAt(1, 0), int{window->selectedMetatileNumber()});
      QCOMPARE(mapAt(2, 0), int{before[static_cast<std::size_t>(rom::kFieldMap.offset + 2)]});
      action("menuEditUndo")->trigger();
      QCOMPARE(romImage, before);
      expectEveryViewFresh();
    }
    if (zoomsTried == 0) {
      QSKIP("the map's viewport is smaller than the cells this test uses");
    }
  }

  // A scroll moves the field under a still pointer: a paste's preview
  // follows, and a press writes the cells it shows.
  void aPastePreviewFollowsAScroll_data() {
    QTest::addColumn<QString>("bar");
    QTest::addColumn<int>("zoom");
    QTest::newRow("down") << "vscrMap" << 1;
    QTest::newRow("across, at 2x") << "hscrMap" << 2;
  }
  void aPastePreviewFollowsAScroll() {
    QFETCH(QString, bar);
    QFETCH(int, zoom);
    QVERIFY(loadDemo());
    auto* map = child<PictureSurface>("picMapRenderDest");
    window->setViewZoom(map, zoom);
    auto* scroll = child<QScrollBar>(bar.toUtf8().constData());
    scroll->setValue(0);
    action("toolSelect")->trigger();
    press(map, 3 * 32 + 3, 3 * 32 + 3);
    moveTo(map, 4 * 32 + 3, 4 * 32 + 3);
    release(map, 4 * 32 + 3, 4 * 32 + 3);
    action("menuEditCopy")->trigger();
    const CellBlock block = copyBlock(fieldGrid(romImage), {3, 3, 2, 2});
    moveTo(map, 6 * 32 + 3, 6 * 32 + 3);
    const QPoint still = inWindow(map, 6 * 32 + 3, 6 * 32 + 3);
    action("menuEditPaste")->trigger();
    QCOMPARE(window->tools().pastePreview(), (CellRect{5, 5, 2, 2}));
    // Two cells on; the pointer stays where it was on the screen.
    QCursor::setPos(window->mapToGlobal(still));
    scroll->setValue(2 * 32 * zoom);
    const QPoint pixel = map->pixelAt(map->mapFrom(window.get(), still));
    const MapCell under = *mapCellAt(pixel.x(), pixel.y());
    const CellRect preview = window->tools().pastePreview();
    QCOMPARE(preview, (CellRect{under.column - 1, under.row - 1, 2, 2}));
    QVERIFY(preview != (CellRect{5, 5, 2, 2}));
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, still);
    QCOMPARE(copyBlock(fieldGrid(romImage), preview), block);
    // Another colour in the palette: the preview, still under way, shows it
    // as the field does.
    const auto region = [&] {
      std::vector<Color> pixels;
      for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
          pixels.push_back(window->mapPicture().pixel(3 * 32 + x, 3 * 32 + y));
        }
      }
      return pixels;
    };
    const std::vector<Color> shownBefore = region();
    const int subPalette = quadrantSubPalette(romImage, 6, 6);
    for (int entry = 1; entry < 4; ++entry) {
      dialogs->colourAnswers = {0x11 + entry};
      doubleClick(member("lblnespal_edit", 4 * subPalette + entry));
    }
    QVERIFY(region() != shownBefore);  // the block's cells show the change
    QVERIFY(window->tools().pasting());
    for (int y = 0; y < 64; y += 7) {
      for (int x = 0; x < 64; x += 5) {
        const Color shown = window->mapPicture().pixel(3 * 32 + x, 3 * 32 + y);
        QCOMPARE(map->overlay().pixel(x, y), qRgb(redOf(shown), greenOf(shown), blueOf(shown)));
      }
    }
  }

  // The tool's text leaves room for the longest text of the pointer.
  void theStatusBarHoldsThePointerAndTheTool() {
    QVERIFY(loadDemo());
    action("menuEditSelectAll")->trigger();
    auto* tool = child<QLabel>("lblTool");
    const QString longest = QString::fromStdString(mapStatus(romImage, 767, 767));
    for (const auto& [item, text] : {std::pair{"toolSubPalette", "Sub-palette brush (0)"},
                                     std::pair{"toolSelect", "Select 0, 0: 24 x 24"}}) {
      action(item)->trigger();
      QCOMPARE(tool->text(), QString(text));
      QTRY_VERIFY(tool->width() >= tool->sizeHint().width());  // laid out
      QStatusBar* bar = window->statusBar();
      int room = bar->contentsRect().width() - 8;  // the message's own margins
      for (QWidget* child : bar->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (child->isVisible()) {
          room -= child->width();
        }
      }
      QVERIFY2(bar->fontMetrics().horizontalAdvance(longest) <= room, text);
    }
  }

  // A block copied in one editor pastes into another through its text
  // alone, as from a second running editor or a text file.
  void aBlockPastesIntoAnotherEditorThroughItsText() {
    QVERIFY(loadDemo());
    QTest::keyClick(window.get(), Qt::Key_R);
    auto* map = child<PictureSurface>("picMapRenderDest");
    press(map, 10 * 32, 5 * 32);
    moveTo(map, 13 * 32, 7 * 32);
    release(map, 13 * 32, 7 * 32);
    action("menuEditCopy")->trigger();
    const QString text = QApplication::clipboard()->text();
    const CellBlock copied = copyBlock(fieldGrid(romImage), {10, 5, 4, 3});

    // The other editor, on another image.
    window.reset();
    ByteArray other = makeDemoRom();
    std::fill_n(other.begin() + rom::kFieldMap.offset, 576, 7);
    std::fill_n(other.begin() + rom::kFieldAttributeMap.offset, 576, 0);
    test::writeFile(*dir / "other.nes", other);
    window = std::make_unique<frmMain>(*dialogs);
    window->show();
    QVERIFY(window->loadRomFile(pathIn("other.nes")));
    dialogs->messages.clear();
    auto* data = new QMimeData;
    data->setText(text);
    QApplication::clipboard()->setMimeData(data);
    map = child<PictureSurface>("picMapRenderDest");
    moveTo(map, 5 * 32 + 1, 5 * 32 + 1);
    action("menuEditPaste")->trigger();
    click(map, 5 * 32 + 1, 5 * 32 + 1);
    QCOMPARE(copyBlock(fieldGrid(romImage), {3, 4, 4, 3}), copied);
    // Text that is no block is refused, with the reason in the status bar.
    QApplication::clipboard()->setText("tarvo-field-block 1 25 1\n");
    action("menuEditPaste")->trigger();
    QVERIFY(window->statusBar()->currentMessage().startsWith("The clipboard holds no field block"));
    // So is a block naming a metatile beyond the table.
    QApplication::clipboard()->setText("tarvo-field-block 1 1 1\n85\n00\n00\n");
    action("menuEditPaste")->trigger();
    QVERIFY(window->statusBar()->currentMessage().contains("holds 85, beyond the last, 84"));
    QCOMPARE(window->document().history().size(), std::size_t{1});
  }

  // Esc cancels a paste and then the selection whatever has the keyboard:
  // also right after a menu opened from the keyboard was closed with Esc,
  // which leaves the menu bar with the keyboard.
  void escapeCancelsAPasteAfterAMenuWasClosed() {
    QVERIFY(loadDemo());
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window.get(), Qt::Key_R);
    auto* map = child<PictureSurface>("picMapRenderDest");
    press(map, 2 * 32, 2 * 32);
    release(map, 3 * 32, 3 * 32);
    action("menuEditCopy")->trigger();
    action("menuEditPaste")->trigger();
    QVERIFY(window->tools().pasting());
    for (const bool pasting : {true, false}) {
      QTest::keyClick(window.get(), Qt::Key_E, Qt::AltModifier);
      QWidget* popup = QApplication::activePopupWidget();
      QVERIFY(popup != nullptr);
      QTest::keyClick(popup, Qt::Key_Escape);
      QVERIFY(QApplication::activePopupWidget() == nullptr);
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
      QVERIFY(!window->tools().pasting());
      QCOMPARE(window->tools().selection().has_value(), pasting);
    }
  }

  // Both windows open inside the screen, whatever its size and scale, and
  // every control of theirs lies inside them.
  void bothWindowsFitTheScreen() {
    const QRect room = window->screen()->availableGeometry();
    if (room.size() == QSize(800, 800)) {
      // The offscreen platform's own screen, narrower than the main window
      // at its least; the runs on configured screens check this.
      QSKIP("no configured screen");
    }
    window->openEditor(1, 0);
    QVERIFY(QTest::qWaitForWindowExposed(alt()));
    for (QMainWindow* shown : std::initializer_list<QMainWindow*>{window.get(), alt()}) {
      QVERIFY2(room.contains(shown->frameGeometry()),
               qPrintable(QString("%1 x %2 at %3, %4 in %5 x %6")
                              .arg(shown->frameGeometry().width())
                              .arg(shown->frameGeometry().height())
                              .arg(shown->frameGeometry().x())
                              .arg(shown->frameGeometry().y())
                              .arg(room.width())
                              .arg(room.height())));
      // In the window, or in a client area that scrolls inside it.
      auto* scroller = qobject_cast<QScrollArea*>(shown->centralWidget());
      QWidget* client = scroller != nullptr ? scroller->widget() : shown->centralWidget();
      const QRect inside = scroller != nullptr ? client->rect() : shown->rect();
      QWidget* frame = scroller != nullptr ? client : shown;
      if (scroller != nullptr) {
        QVERIFY(
            shown->rect().contains(QRect(scroller->mapTo(shown, QPoint(0, 0)), scroller->size())));
      }
      for (QWidget* control : client->findChildren<QWidget*>()) {
        // A zoomable view's picture is clipped by its viewport.
        if (control->isVisible() && qobject_cast<LineOverlay*>(control) == nullptr &&
            qobject_cast<ZoomView*>(control->parentWidget()) == nullptr) {
          const QRect place(control->mapTo(frame, QPoint(0, 0)), control->size());
          QVERIFY2(inside.contains(place), qPrintable(control->objectName()));
          // No control lies over another of the same parent.
          for (QWidget* other : control->parentWidget()->findChildren<QWidget*>(
                   QString(), Qt::FindDirectChildrenOnly)) {
            if (other != control && other->isVisible() &&
                qobject_cast<LineOverlay*>(other) == nullptr &&
                qobject_cast<QScrollArea*>(control->parentWidget()) == nullptr) {
              // (The first layout itself lets a label touch its tile by a
              // line of one pixel.)
              const QRect both = control->geometry().intersected(other->geometry());
              QVERIFY2(both.width() <= 1 || both.height() <= 1,
                       qPrintable(control->objectName() + " over " + other->objectName()));
            }
          }
        }
      }
    }
    // Where the screen has room, at the first size.
    if (room.height() >= 800) {
      QCOMPARE(child("clientArea")->size(), QSize(808, 727));
    }
  }

  void theGridsToggle() {
    QVERIFY(loadDemo());
    auto visibleLines = [this](const char* name) {
      int count = 0;
      for (LineOverlay* line : window->findChildren<LineOverlay*>(name)) {
        count += line->isVisible() ? 1 : 0;
      }
      return count;
    };
    QCOMPARE(window->findChildren<LineOverlay*>("ln_fieldV").size(), 23);
    QCOMPARE(window->findChildren<LineOverlay*>("ln_metaSelH").size(), 8);
    QCOMPARE(visibleLines("ln_fieldV") + visibleLines("ln_fieldH"), 0);
    action("menuViewFieldGrid")->trigger();
    QVERIFY(action("menuViewFieldGrid")->isChecked());
    QCOMPARE(visibleLines("ln_fieldV") + visibleLines("ln_fieldH"), 46);
    QCOMPARE(visibleLines("ln_metaSelV") + visibleLines("ln_metaSelH"), 0);
    action("menuViewMetaGrid")->trigger();
    QCOMPARE(visibleLines("ln_metaSelV") + visibleLines("ln_metaSelH"), 23);
    action("menuViewFieldGrid")->trigger();
    QVERIFY(!action("menuViewFieldGrid")->isChecked());
    QCOMPARE(visibleLines("ln_fieldV") + visibleLines("ln_fieldH"), 0);
    QCOMPARE(visibleLines("ln_metaSelV") + visibleLines("ln_metaSelH"), 23);
    // Where the lines lie: one pixel wide, at every 32 pixels.
    QCOMPARE(member("ln_fieldV", 0)->geometry(), QRect(32, 0, 1, 1025));
    QCOMPARE(member("ln_fieldH", 22)->geometry(), QRect(0, 736, 769, 1));
    QCOMPARE(member("ln_metaSelV", 14)->geometry(), QRect(480, 0, 1, 513));
    QCOMPARE(member("ln_metaSelH", 7)->geometry(), QRect(0, 256, 513, 1));
    QCOMPARE(child("ln_fieldV")->parentWidget(), child("picMapRenderDest"));
    // The lines stay on the cells' edges at any zoom.
    window->setViewZoom(child<PictureSurface>("picMapRenderDest"), 3);
    QCOMPARE(member("ln_fieldV", 0)->geometry(), QRect(96, 0, 1, 3075));
    QCOMPARE(member("ln_fieldH", 22)->geometry(), QRect(0, 2208, 2307, 1));
    QCOMPARE(member("ln_quadV", 1)->geometry(), QRect(144, 0, 1, 2304));
    window->setViewZoom(child<PictureSurface>("picMapRenderDest"), 1);
    QCOMPARE(member("ln_fieldV", 0)->geometry(), QRect(32, 0, 1, 1025));
    // A press on a grid line reaches the map beneath it.
    action("menuViewFieldGrid")->trigger();
    romImage[mapByte(1, 1)] = 99;
    click(child("picMapRenderDest"), 32, 40);
    QCOMPARE(int{romImage[mapByte(1, 1)]}, int{window->selectedMetatileNumber()});
    // The grid is no part of the picture.
    expectEveryViewFresh();
  }

  void saveWritesTheImageByteForByte() {
    QVERIFY(loadDemo());
    click(child("picMetaTable"), 100, 100);
    click(child("picMapRenderDest"), 300, 300);
    click(child("picMapRenderDest"), 300, 300, Qt::RightButton);
    QVERIFY(romImage != makeDemoRom());
    dialogs->messages.clear();
    action("menuFileSaveRom")->trigger();
    QCOMPARE(test::readFile(*dir / "demo.nes"), romImage);
    QCOMPARE(dialogs->messages.size(), std::size_t{1});
    QCOMPARE(dialogs->messages[0].title, kTitle);
    QCOMPARE(dialogs->messages[0].text, QString("File saved!"));
  }

  void aFailedSaveGivesTheReason() {
    QVERIFY(loadDemo());
    click(child("picMapRenderDest"), 300, 300);
    const ByteArray image = romImage;
    fs::remove(*dir / "demo.nes");
    fs::create_directory(*dir / "demo.nes");
    dialogs->messages.clear();
    dialogs->confirmAnswers = {true};  // the file is not what was loaded: overwrite it anyway
    action("menuFileSaveRom")->trigger();
    QCOMPARE(dialogs->questions.size(), std::size_t{1});
    QCOMPARE(dialogs->messages.size(), std::size_t{1});
    QCOMPARE(dialogs->messages[0].title, kTitle);
    QCOMPARE(dialogs->messages[0].text,
             QString("demo.nes was not saved.\n\nIt is a folder, not a file."));
    QCOMPARE(romImage, image);
    QCOMPARE(window->windowTitle(), kTitle + " [demo.nes][*]");
    // A file without a write bit for anyone, whoever runs the editor.
    fs::remove(*dir / "demo.nes");
    test::writeFile(*dir / "demo.nes", makeDemoRom());
    fs::permissions(*dir / "demo.nes", fs::perms::owner_read);
    dialogs->messages.clear();
    dialogs->confirmAnswers = {true};
    action("menuFileSaveRom")->trigger();
    QCOMPARE(dialogs->messages.back().text,
             QString("demo.nes was not saved.\n\nThe file is read-only."));
    QCOMPARE(test::readFile(*dir / "demo.nes"), makeDemoRom());
  }
};

QTEST_MAIN(FrmMainTest)
#include "frm_main_test.moc"
