#include "window_fixture.h"

#include <QCoreApplication>
#include <QSettings>

#include "demo/demo_rom.h"
#include "screens/batview_renderer.h"
#include "screens/field_renderer.h"
#include "screens/views.h"
#include "shell/rom_image.h"
#include "shell/rom_locations.h"

namespace tarvo::test {

namespace {

// `small` enlarged `scale` times, pixel by pixel.
std::vector<Color> enlarged(const Surface& small, int scale) {
  Surface large(small.width() * scale, small.height() * scale);
  for (int y = 0; y < large.height(); ++y) {
    for (int x = 0; x < large.width(); ++x) {
      large.setPixel(x, y, small.pixel(x / scale, y / scale));
    }
  }
  return WindowFixture::pixelsOf(large);
}

QColor fillOf(QWidget* label) {
  return label->palette().color(QPalette::Window);
}

QColor colourOf(std::uint8_t number) {
  const Color c = paletteColor(number);
  return QColor(redOf(c), greenOf(c), blueOf(c));
}

// The colour of entry `entry` of the palette block at `palette`.
QColor entryColour(const rom::Location& palette, int entry) {
  return colourOf(romByte(romImage, palette.offset + entry));
}

}  // namespace

void WindowFixture::init() {
  QCoreApplication::setOrganizationName("Tarvo");
  QCoreApplication::setApplicationName("Tarvo Field Editor");
  settingsDir = std::make_unique<QTemporaryDir>();
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir->path());
  // Recovery copies and earlier versions too: never the user's own.
  qputenv("XDG_STATE_HOME", (settingsDir->path() + "/state").toUtf8());
  dir = std::make_unique<TempDir>();
  demoPath = pathIn("demo.nes");
  writeFile(*dir / "demo.nes", makeDemoRom());
  dialogs = std::make_unique<FakeDialogs>();
  window = std::make_unique<frmMain>(*dialogs);
  window->show();
  QVERIFY(QTest::qWaitForWindowExposed(window.get()));
  if (start_ == Start::DemoLoaded) {
    QVERIFY(loadDemo());
    QCOMPARE(romImage, makeDemoRom());
    dialogs->messages.clear();
  }
}

QString WindowFixture::settingsFile() const {
  return QSettings().fileName();
}

void WindowFixture::expectEveryViewFresh() {
  const ColourMode mode = window->colourMode();
  QCOMPARE(pixelsOf(window->mapPicture()), pixelsOf(renderView(romImage, View::Field, 0, mode)));
  // The table's 512 x 288 pixels of metatiles stand on a cleared surface.
  Surface table(512, 512);
  table.copyBlock(0, 0, 512, 288, renderView(romImage, View::Metatiles, 0, mode), 0, 0);
  QCOMPARE(pixelsOf(window->metatileTablePicture()), pixelsOf(table));
  const int selected = window->selectedMetatileNumber();
  Surface preview(32, 32);
  preview.copyBlock(0, 0, 32, 32, table, (selected % 16) * 32, (selected / 16) * 32);
  QCOMPARE(pixelsOf(window->selectedMetatilePicture()), enlarged(preview, 2));
  // The field palette's 16 entries, then colour 0.
  for (int i = 0; i < 32; ++i) {
    QCOMPARE(fillOf(member("lblnespal_edit", i)),
             i < 16 ? entryColour(rom::kFieldPalette, i) : colourOf(0));
  }
  if (alt() == nullptr) {
    return;
  }

  const TileEditor& tiles = editor();
  BankGraphics bank;
  QCOMPARE(tiles.colourMode(), mode);
  loadBankGraphics(bank, romImage, tiles.bank(), tiles.palette(), mode);
  QCOMPARE(tiles.editTiles(), bank.tiles);
  QCOMPARE(tiles.palData(), bank.palette);
  const PaletteArray shown = shownPalette(bank.palette, mode);
  Surface patterns(256, 256);
  drawPatternTable(patterns, bank.tiles, shown, tiles.selPal(), 2);
  const std::array<bool, 256> used = tiles.usedTiles();
  for (int t = 0; t < 256 && tiles.showUnused(); ++t) {
    // A magenta cross over each 16 x 16 tile that nothing uses.
    for (int i = 0; !used[static_cast<std::size_t>(t)] && i < 16; ++i) {
      patterns.setPixel((t % 16) * 16 + i, (t / 16) * 16 + i, rgb(255, 0, 255));
      patterns.setPixel((t % 16) * 16 + 15 - i, (t / 16) * 16 + i, rgb(255, 0, 255));
    }
  }
  QCOMPARE(pixelsOf(tiles.picPatternTable), pixelsOf(patterns));
  Surface tile(8, 8);
  drawTile(bank.tiles, tiles.selTile(), tile, 0, 0, shown, tiles.selPal());
  QCOMPARE(pixelsOf(tiles.picSelectedTile), enlarged(tile, 16));
  Surface metatile(32, 32);
  drawMetatile(metatile, romImage, bank.tiles, shown, 0, 0, tiles.selMeta(), tiles.selPal());
  QCOMPARE(pixelsOf(tiles.pic_4x4metatile), enlarged(metatile, 4));
  Surface batView(256, 240);  // from the mode's own bank, whichever the mode
  drawBatView(batView, romImage, bank.surfaces);
  QCOMPARE(pixelsOf(tiles.picBatView), pixelsOf(batView));
  // The swatches show the current sub-palette, the pens their slots of it.
  const int first = tiles.selPal() * 4;
  for (int k = 0; k < 4; ++k) {
    QCOMPARE(fillOf(altMember("lblnespal_tEdit", k)), entryColour(tiles.palette(), first + k));
  }
  // The pens show the colour they paint: slot 0 is entry 0 on the console.
  const auto penEntry = [&](int slot) {
    return mode == ColourMode::Console && slot == 0 ? 0 : first + slot;
  };
  QCOMPARE(fillOf(altMember("lblselectedcolor", 0)),
           entryColour(tiles.palette(), penEntry(tiles.leftColor())));
  QCOMPARE(fillOf(altMember("lblselectedcolor", 1)),
           entryColour(tiles.palette(), penEntry(tiles.rightColor())));
}

}  // namespace tarvo::test
