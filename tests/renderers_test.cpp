#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "demo/demo_rom.h"
#include "reference_pictures.h"
#include "screens/batview_renderer.h"
#include "screens/field_renderer.h"
#include "screens/views.h"
#include "shell/rom_locations.h"
#include "test_support.h"

namespace tarvo {
namespace {

struct Image {
  std::string name;
  ByteArray rom;
};

// Random images hold every kind of byte: map bytes above 132, palette bytes
// of 64 and more, any attribute.
std::vector<Image> images() {
  std::vector<Image> list{{"demo", makeDemoRom()}};
  for (std::uint32_t variant = 1; variant <= 3; ++variant) {
    list.push_back(
        {"random " + std::to_string(variant), test::randomBytes(rom::kMinImageSize, variant)});
  }
  return list;
}

BankGraphics fieldGraphics(const ByteArray& rom) {
  BankGraphics graphics;
  loadBankGraphics(graphics, rom, rom::kFieldChrBank, rom::kFieldPalette, ColourMode::Editor);
  return graphics;
}

std::vector<Color> pixelsOf(const Surface& surface) {
  return {surface.pixels(), surface.pixels() + surface.width() * surface.height()};
}

template <typename Reference>
void expectPicture(const Surface& surface, Reference reference) {
  for (int y = 0; y < surface.height(); ++y) {
    for (int x = 0; x < surface.width(); ++x) {
      ASSERT_EQ(surface.pixel(x, y), reference(x, y)) << "pixel " << x << "," << y;
    }
  }
}

TEST(Renderers, TheFieldMapMatchesThePlainPicture) {
  for (const Image& image : images()) {
    SCOPED_TRACE(image.name);
    const BankGraphics graphics = fieldGraphics(image.rom);
    Surface map(768, 768);
    drawFieldMap(map, image.rom, graphics.surfaces);
    expectPicture(map, [&](int x, int y) { return test::referenceFieldPixel(image.rom, x, y); });
  }
}

TEST(Renderers, TheMetatileTableMatchesThePlainPictureInEverySubPalette) {
  for (const Image& image : images()) {
    const BankGraphics graphics = fieldGraphics(image.rom);
    for (int sub = 0; sub < 4; ++sub) {
      SCOPED_TRACE(image.name + " sub-palette " + std::to_string(sub));
      // The main window's surface is 512 x 512; below the table it shows the
      // clear colour, whatever was there before.
      Surface table(512, 512, kClearColor);
      table.copyBlock(0, 0, 512, 512, graphics.surfaces[1], 0, 0);
      drawMetatileTable(table, image.rom, graphics.surfaces, static_cast<std::uint8_t>(sub));
      expectPicture(table, [&](int x, int y) {
        return test::referenceMetatileTablePixel(image.rom, x, y, sub, kClearColor);
      });
    }
  }
}

TEST(Renderers, TheBattersViewMatchesThePlainPicture) {
  for (const Image& image : images()) {
    SCOPED_TRACE(image.name);
    BankGraphics graphics;
    loadBankGraphics(graphics, image.rom, rom::kBatViewChrBank, rom::kBatViewPalette,
                     ColourMode::Editor);
    Surface view(256, 240);
    drawBatView(view, image.rom, graphics.surfaces);
    expectPicture(view, [&](int x, int y) { return test::referenceBatViewPixel(image.rom, x, y); });
  }
}

// A plain image to place things in by hand: every tile t is a solid block of
// colour slot t AND 3, and each sub-palette p gives its four slots colours
// 4p + 1 to 4p + 4, all different.
ByteArray handMadeImage() {
  ByteArray rom(rom::kMinImageSize, 0);
  for (int t = 0; t < 256; ++t) {
    for (int r = 0; r < 8; ++r) {
      const auto base = static_cast<std::size_t>(rom::kFieldChrBank.offset + t * 16 + r);
      rom[base] = (t & 1) != 0 ? 0xFF : 0x00;
      rom[base + 8] = (t & 2) != 0 ? 0xFF : 0x00;
    }
  }
  for (int i = 0; i < 16; ++i) {
    rom[static_cast<std::size_t>(rom::kFieldPalette.offset + i)] = static_cast<std::uint8_t>(i + 1);
  }
  return rom;
}

Color slotColour(int subPalette, int slot) {
  return colorTable[static_cast<std::size_t>(subPalette * 4 + slot + 1)];
}

TEST(Renderers, QuadrantsTakeTheirSubPalettesFromTheAttributeBitsInOrder) {
  ByteArray rom = handMadeImage();
  rom[rom::kFieldAttributeMap.offset] = 0xE4;  // 11 10 01 00
  for (int k = 0; k < 16; ++k) {
    rom[static_cast<std::size_t>(rom::kMetatileTable.offset + k)] = 1;  // slot 1 everywhere
  }
  const BankGraphics graphics = fieldGraphics(rom);
  Surface map(768, 768);
  drawFieldMap(map, rom, graphics.surfaces);
  Surface cell(768, 768);
  drawMapCell(cell, 0, 0, rom, graphics.tiles, graphics.palette);
  for (const Surface* surface : {&map, &cell}) {
    EXPECT_EQ(surface->pixel(0, 0), slotColour(0, 1));    // top-left
    EXPECT_EQ(surface->pixel(16, 0), slotColour(1, 1));   // top-right
    EXPECT_EQ(surface->pixel(0, 16), slotColour(2, 1));   // bottom-left
    EXPECT_EQ(surface->pixel(31, 31), slotColour(3, 1));  // bottom-right
    EXPECT_EQ(surface->pixel(15, 15), slotColour(0, 1));
    EXPECT_EQ(surface->pixel(16, 15), slotColour(1, 1));
  }
}

TEST(Renderers, TileSixOfAMetatileSitsAtSixteenEightInTheTopRightSubPalette) {
  ByteArray rom = handMadeImage();
  rom[rom::kFieldAttributeMap.offset] = 0x04;  // top-right quadrant in sub-palette 1
  rom[static_cast<std::size_t>(rom::kMetatileTable.offset + 6)] = 3;
  const BankGraphics graphics = fieldGraphics(rom);
  Surface map(768, 768);
  drawFieldMap(map, rom, graphics.surfaces);
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      const bool tileSix = x >= 16 && x < 24 && y >= 8 && y < 16;
      const int sub = x >= 16 && y < 16 ? 1 : 0;
      ASSERT_EQ(map.pixel(x, y), slotColour(sub, tileSix ? 3 : 0)) << x << "," << y;
    }
  }
}

// A map byte above 132 names 16 bytes beyond the table; metatile 255's are the
// last of them, up to the byte before 0x9490.
TEST(Renderers, AMapByteAbove132DrawsTheBytesBeyondTheTable) {
  ByteArray rom = handMadeImage();
  const int lastCell = rom::kMapColumns * rom::kMapRows - 1;
  rom[static_cast<std::size_t>(rom::kFieldMap.offset + lastCell)] = 255;
  for (int k = 0; k < 16; ++k) {
    rom[static_cast<std::size_t>(rom::kMetatileReachEnd - 16 + k)] = static_cast<std::uint8_t>(k);
  }
  const BankGraphics graphics = fieldGraphics(rom);
  Surface map(768, 768);
  drawFieldMap(map, rom, graphics.surfaces);
  // The last cell covers 736 to 767 in both directions; its tile k shows slot k AND 3.
  for (int k = 0; k < 16; ++k) {
    EXPECT_EQ(map.pixel(736 + (k % 4) * 8 + 3, 736 + (k / 4) * 8 + 3), slotColour(0, k & 3)) << k;
  }
  EXPECT_EQ(map.pixel(735, 735), slotColour(0, 0));
}

TEST(Renderers, RedrawingOneChangedCellGivesTheFullPicture) {
  ByteArray rom = makeDemoRom();
  const BankGraphics graphics = fieldGraphics(rom);
  Surface map(768, 768);
  drawFieldMap(map, rom, graphics.surfaces);
  struct Change {
    int column, row;
    std::uint8_t metatile, attribute;
  };
  for (const Change c :
       std::vector<Change>{{0, 0, 131, 0xE4}, {23, 23, 7, 0x1B}, {5, 17, 200, 0}}) {
    const Surface before = map;
    const int cell = c.row * 24 + c.column;
    rom[static_cast<std::size_t>(rom::kFieldMap.offset + cell)] = c.metatile;
    rom[static_cast<std::size_t>(rom::kFieldAttributeMap.offset + cell)] = c.attribute;
    drawMapCell(map, static_cast<std::int16_t>(c.column), static_cast<std::int16_t>(c.row), rom,
                graphics.tiles, graphics.palette);
    Surface full(768, 768);
    drawFieldMap(full, rom, graphics.surfaces);
    for (int y = 0; y < 768; ++y) {
      for (int x = 0; x < 768; ++x) {
        ASSERT_EQ(map.pixel(x, y), full.pixel(x, y)) << x << "," << y;
        if (x / 32 != c.column || y / 32 != c.row) {
          ASSERT_EQ(map.pixel(x, y), before.pixel(x, y)) << x << "," << y;
        }
      }
    }
  }
}

TEST(Renderers, ACellOutsideTheMapIsNotDrawn) {
  const ByteArray rom = makeDemoRom();
  const BankGraphics graphics = fieldGraphics(rom);
  Surface map(800, 800, 0x00123456);
  const Surface before = map;
  for (const auto& [column, row] : std::vector<std::pair<int, int>>{
           {-1, 0}, {0, -1}, {24, 0}, {0, 24}, {24, 24}, {-32768, 5}}) {
    drawMapCell(map, static_cast<std::int16_t>(column), static_cast<std::int16_t>(row), rom,
                graphics.tiles, graphics.palette);
  }
  for (int y = 0; y < 800; ++y) {
    for (int x = 0; x < 800; ++x) {
      ASSERT_EQ(map.pixel(x, y), before.pixel(x, y));
    }
  }
}

TEST(Renderers, DrawMetatileDrawsOneMetatileWhereAsked) {
  const ByteArray rom = makeDemoRom();
  const BankGraphics graphics = fieldGraphics(rom);
  for (int sub = 0; sub < 4; ++sub) {
    Surface table(512, 288);
    drawMetatileTable(table, rom, graphics.surfaces, static_cast<std::uint8_t>(sub));
    Surface single(40, 40, 0);
    drawMetatile(single, rom, graphics.tiles, graphics.palette, 5, 3, 132,
                 static_cast<std::uint8_t>(sub));
    for (int y = 0; y < 40; ++y) {
      for (int x = 0; x < 40; ++x) {
        const bool inside = x >= 5 && x < 37 && y >= 3 && y < 35;
        // Metatile 132 sits at (128, 256) in the table.
        ASSERT_EQ(single.pixel(x, y), inside ? table.pixel(128 + x - 5, 256 + y - 3) : 0U)
            << x << "," << y;
      }
    }
  }
}

// Before any load the image is a single byte: every view still draws,
// reading the missing bytes as zero.
TEST(Renderers, AnImageTooShortIsReadAsZeros) {
  const ByteArray tiny(1, 0);
  const ByteArray zeros(rom::kMinImageSize, 0);
  for (const View view : {View::Field, View::Metatiles, View::BatView, View::FieldChr}) {
    const Surface a = renderView(tiny, view, 0);
    const Surface b = renderView(zeros, view, 0);
    ASSERT_EQ(std::vector<Color>(a.pixels(), a.pixels() + a.width() * a.height()),
              std::vector<Color>(b.pixels(), b.pixels() + b.width() * b.height()));
  }
}

TEST(Renderers, LargeViewsAreHiddenWhileDrawnAndRefreshedOnce) {
  struct Recorder : SurfaceView {
    std::string calls;
    void surfaceVisibilityChanged(bool visible) override { calls += visible ? "show " : "hide "; }
    void surfaceRefreshed(const SurfaceRect&) override { calls += "refresh "; }
  };
  const ByteArray rom = makeDemoRom();
  const BankGraphics graphics = fieldGraphics(rom);
  Surface surface(768, 768);
  for (int which = 0; which < 3; ++which) {
    Recorder recorder;
    surface.setView(&recorder);
    if (which == 0) {
      drawFieldMap(surface, rom, graphics.surfaces);
    } else if (which == 1) {
      drawMetatileTable(surface, rom, graphics.surfaces, 0);
    } else {
      drawBatView(surface, rom, graphics.surfaces);
    }
    EXPECT_EQ(recorder.calls, "hide show refresh ") << which;
    EXPECT_TRUE(surface.isVisible());
  }
  surface.setView(nullptr);
}

TEST(Views, ThePatternTableViewsMatchThePlainPicture) {
  for (const Image& image : images()) {
    for (const bool field : {true, false}) {
      for (int sub = 0; sub < 4; ++sub) {
        SCOPED_TRACE(image.name + (field ? " field" : " batview") + std::to_string(sub));
        const Surface table = renderView(image.rom, field ? View::FieldChr : View::BatViewChr, sub);
        expectPicture(table, [&](int x, int y) {
          return test::referencePatternTablePixel(image.rom, field, x, y, sub);
        });
      }
    }
  }
}

// In the console's colours every view draws pixel value 0 of sub-palettes 1
// to 3 in the palette's entry 0: as the editor draws an image whose entries
// 4, 8 and 12 are entry 0.
TEST(Views, ConsoleColoursShowEntryZeroForPixelValueZeroOfEverySubPalette) {
  for (const Image& image : images()) {
    ByteArray shared = image.rom;
    for (const rom::Location& palette : {rom::kFieldPalette, rom::kBatViewPalette}) {
      for (const int entry : {4, 8, 12}) {
        shared[static_cast<std::size_t>(palette.offset + entry)] =
            shared[static_cast<std::size_t>(palette.offset)];
      }
    }
    for (const ViewInfo& view : kViews) {
      for (int sub = 0; sub < (view.hasSubPalette ? 4 : 1); ++sub) {
        SCOPED_TRACE(image.name + " " + std::string(view.name) + " " + std::to_string(sub));
        EXPECT_EQ(pixelsOf(renderView(image.rom, view.view, sub, ColourMode::Console)),
                  pixelsOf(renderView(shared, view.view, sub, ColourMode::Editor)));
      }
    }
  }
  // The mode matters: the demo's four first colours differ.
  const ByteArray demo = makeDemoRom();
  EXPECT_NE(pixelsOf(renderView(demo, View::Field, 0, ColourMode::Console)),
            pixelsOf(renderView(demo, View::Field, 0, ColourMode::Editor)));
}

}  // namespace
}  // namespace tarvo
