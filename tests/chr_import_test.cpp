#include "screens/chr_import.h"

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <sstream>
#include <vector>

#include "cli_support.h"
#include "gfx/png_image.h"
#include "import_support.h"
#include "screens/views.h"
#include "shell/cli.h"
#include "shell/rom_locations.h"
#include "test_support.h"

namespace tarvo {
namespace {

using test::bankOfImage;
using test::paletteOfImage;
using test::RawPng;
using test::subPaletteColours;
using test::writeRaw;

// A palette whose sub-palette 1 has four different colours, whose
// sub-palette 2 gives slots 1 and 3 the same colour and whose sub-palette 3
// is four greys.
ByteArray imageWithPalettes(std::uint32_t variant) {
  ByteArray rom = test::randomBytes(rom::kMinImageSize, variant);
  const std::vector<std::uint8_t> palette{0x0F, 0x16, 0x27, 0x30, 0x0F, 0x1A, 0x2A, 0x3A,
                                          0x0D, 0x21, 0x11, 0x21, 0x00, 0x10, 0x20, 0x2D};
  for (const View view : {View::FieldChr, View::BatViewChr}) {
    std::copy(palette.begin(), palette.end(), rom.begin() + paletteOf(view).offset);
  }
  return rom;
}

// The bank as read through a sub-palette where slots 1 and 3 share a colour.
TilePixels withSlot3AsSlot1(TilePixels tiles) {
  for (auto& slot : tiles) {
    slot = slot == 3 ? 1 : slot;
  }
  return tiles;
}

// Export, then import: the bank comes back byte for byte in every
// sub-palette, even where two slots share a colour: the exported palette
// index of such a pixel is its slot.
TEST(ImportPatternTable, AnExportedPictureComesBack) {
  for (std::uint32_t variant = 1; variant <= 3; ++variant) {
    const ByteArray rom = imageWithPalettes(variant);
    for (const View view : {View::FieldChr, View::BatViewChr}) {
      for (int sub = 0; sub < 4; ++sub) {
        ByteArray png;
        ASSERT_TRUE(encodeViewPng(rom, view, sub, png));
        TilePixels tiles;
        std::string reason;
        ASSERT_TRUE(importPatternTable(png, paletteOfImage(rom, view), sub, tiles, &reason))
            << reason;
        const TilePixels bank = bankOfImage(rom, view);
        EXPECT_EQ(tiles, bank) << "sub-palette " << sub;
      }
    }
  }
}

std::vector<std::uint8_t> slotsOf(const TilePixels& tiles) {
  std::vector<std::uint8_t> slots(128 * 128);
  for (int t = 0; t < 256; ++t) {
    for (int k = 0; k < 64; ++k) {
      slots[static_cast<std::size_t>(((t / 16) * 8 + k / 8) * 128 + (t % 16) * 8 + k % 8)] =
          tiles[static_cast<std::size_t>(t * 64 + k)];
    }
  }
  return slots;
}

// Whatever a paint program makes of the picture (its palette in another
// order or with entries it does not use, 16-bit or grey samples, an alpha
// channel, interlacing), it is read by colour: the tiles come back byte for
// byte.
TEST(ImportPatternTable, AnyPictureIsReadByColour) {
  const ByteArray rom = imageWithPalettes(4);
  const PaletteArray palette = paletteOfImage(rom, View::FieldChr);
  const TilePixels bank = bankOfImage(rom, View::FieldChr);
  const std::vector<std::uint8_t> slots = slotsOf(bank);
  const std::vector<Color> colours = subPaletteColours(palette, 0);
  for (const Color c : subPaletteColours(palette, 3)) {  // for the grey pictures
    ASSERT_TRUE(redOf(c) == greenOf(c) && greenOf(c) == blueOf(c));
  }

  // Each pixel as the first palette entry of its slot's colour in
  // sub-palette 0.
  auto paletted = [&](const std::vector<Color>& entries, int bitDepth) {
    RawPng raw{PNG_COLOR_TYPE_PALETTE, bitDepth, {}, entries};
    for (const std::uint8_t slot : slots) {
      const auto entry = std::find(entries.begin(), entries.end(), colours[slot]);
      raw.samples.push_back(static_cast<std::uint16_t>(entry - entries.begin()));
    }
    return raw;
  };
  const std::vector<Color> reordered{colours[2], colours[0], colours[3], colours[1]};
  std::vector<Color> sixteen(12, rgb(1, 2, 3));
  sixteen.insert(sixteen.end(), {colours[3], colours[1], colours[0], colours[2]});
  std::vector<Color> all(256);
  for (std::size_t i = 0; i < all.size(); ++i) {
    all[i] = rgb(static_cast<int>(i), 1, 2);
  }
  all[200] = colours[1];
  all[17] = colours[0];
  all[99] = colours[3];
  all[255] = colours[2];
  // Tile 0x23's first pixel (x 24, y 16) redrawn in the next slot's colour.
  RawPng redrawn = paletted(reordered, 8);
  const std::uint8_t nextSlot = (slots[16 * 128 + 24] + 1) % 4;
  redrawn.samples[16 * 128 + 24] = static_cast<std::uint16_t>(
      std::find(reordered.begin(), reordered.end(), colours[nextSlot]) - reordered.begin());
  TilePixels redrawnBank = bank;
  redrawnBank[0x23 * 64] = nextSlot;
  RawPng unusedTransparent = paletted({colours[1], colours[0], colours[3], colours[2]}, 8);
  unusedTransparent.palette.push_back(colours[0]);
  unusedTransparent.paletteAlpha = {255, 255, 255, 255, 0};
  RawPng interlaced = paletted(reordered, 2);
  interlaced.interlaced = true;
  // Sub-palette 2 gives slots 1 and 3 one colour. Where the file's index of
  // that colour is neither slot, the lower slot is read; where it is one of
  // them, that one.
  const std::vector<Color> shared = subPaletteColours(palette, 2);
  RawPng sharedElsewhere{PNG_COLOR_TYPE_PALETTE, 8, {}, {shared[1], shared[0], shared[2]}};
  RawPng sharedAtItsSlots{
      PNG_COLOR_TYPE_PALETTE, 8, {}, {shared[2], shared[1], shared[0], shared[3]}};
  for (const std::uint8_t slot : slots) {
    static constexpr std::uint16_t kElsewhere[] = {1, 0, 2, 0};
    static constexpr std::uint16_t kAtSlots[] = {2, 1, 0, 3};
    sharedElsewhere.samples.push_back(kElsewhere[slot]);
    sharedAtItsSlots.samples.push_back(kAtSlots[slot]);
  }

  // Each pixel in its slot's colour in sub-palette `sub`, fully opaque; of a
  // 16-bit sample only the high byte is the colour's.
  auto direct = [&](int colourType, int bitDepth, int sub) {
    RawPng raw{colourType, bitDepth};
    const std::vector<Color> subColours = subPaletteColours(palette, sub);
    for (std::size_t i = 0; i < slots.size(); ++i) {
      const Color c = subColours[slots[i]];
      auto add = [&](int value, int lowByte) {
        raw.samples.push_back(
            static_cast<std::uint16_t>(bitDepth == 16 ? value << 8 | lowByte : value));
      };
      const int noise = static_cast<int>(i * 37 & 0xFF);
      add(redOf(c), noise);
      if ((colourType & PNG_COLOR_MASK_COLOR) != 0) {
        add(greenOf(c), noise);
        add(blueOf(c), noise);
      }
      if ((colourType & PNG_COLOR_MASK_ALPHA) != 0) {
        add(255, 0xFF);
      }
    }
    return raw;
  };
  RawPng interlacedRgb = direct(PNG_COLOR_TYPE_RGB, 8, 1);
  interlacedRgb.interlaced = true;
  ByteArray rgbOfSubPalette1;
  ASSERT_TRUE(encodePng(renderView(rom, View::FieldChr, 1), rgbOfSubPalette1));
  ByteArray rgbOfSubPalette2;
  ASSERT_TRUE(encodePng(renderView(rom, View::FieldChr, 2), rgbOfSubPalette2));

  struct Case {
    std::string name;
    ByteArray png;
    int sub;
    TilePixels expected;
  };
  const std::vector<Case> cases{
      {"RGB", rgbOfSubPalette1, 1, bank},
      // One colour for slots 1 and 3: the lower slot is read.
      {"RGB, shared colour", rgbOfSubPalette2, 2, withSlot3AsSlot1(bank)},
      {"palette in another order", writeRaw(paletted(reordered, 2)), 0, bank},
      {"shared colour, indexed elsewhere", writeRaw(sharedElsewhere), 2, withSlot3AsSlot1(bank)},
      {"shared colour, indexed at its slots", writeRaw(sharedAtItsSlots), 2, bank},
      {"16 entries, 12 unused", writeRaw(paletted(sixteen, 4)), 0, bank},
      {"256 entries, 252 unused", writeRaw(paletted(all, 8)), 0, bank},
      {"one pixel redrawn", writeRaw(redrawn), 0, redrawnBank},
      {"an unused entry transparent", writeRaw(unusedTransparent), 0, bank},
      {"interlaced palette", writeRaw(interlaced), 0, bank},
      {"interlaced RGB", writeRaw(interlacedRgb), 1, bank},
      {"16-bit RGB", writeRaw(direct(PNG_COLOR_TYPE_RGB, 16, 1)), 1, bank},
      {"16-bit RGBA", writeRaw(direct(PNG_COLOR_TYPE_RGBA, 16, 1)), 1, bank},
      {"8-bit RGBA", writeRaw(direct(PNG_COLOR_TYPE_RGBA, 8, 1)), 1, bank},
      {"8-bit grey", writeRaw(direct(PNG_COLOR_TYPE_GRAY, 8, 3)), 3, bank},
      {"16-bit grey", writeRaw(direct(PNG_COLOR_TYPE_GRAY, 16, 3)), 3, bank},
      {"grey and alpha", writeRaw(direct(PNG_COLOR_TYPE_GRAY_ALPHA, 8, 3)), 3, bank},
      {"16-bit grey and alpha", writeRaw(direct(PNG_COLOR_TYPE_GRAY_ALPHA, 16, 3)), 3, bank},
  };
  for (const Case& c : cases) {
    TilePixels tiles;
    std::string reason;
    EXPECT_TRUE(importPatternTable(c.png, palette, c.sub, tiles, &reason))
        << c.name << ": " << reason;
    EXPECT_EQ(tiles, c.expected) << c.name;
  }
}

TEST(ImportPatternTable, RefusesWhatDoesNotFitAndChangesNothing) {
  const ByteArray rom = imageWithPalettes(5);
  const PaletteArray palette = paletteOfImage(rom, View::FieldChr);
  const std::vector<std::uint8_t> slots = slotsOf(bankOfImage(rom, View::FieldChr));
  const std::vector<Color> colours{colorTable[0x0F], colorTable[0x16], colorTable[0x27],
                                   colorTable[0x30]};
  // Entries 0 to 3 in the sub-palette's colours, the others in #010203.
  auto indexed = [&](std::vector<std::uint8_t> pixels, int entries) {
    std::vector<Color> paletteColours(static_cast<std::size_t>(entries), rgb(1, 2, 3));
    std::copy(colours.begin(), colours.end(), paletteColours.begin());
    ByteArray png;
    EXPECT_TRUE(encodeIndexedPng(128, 128, pixels, paletteColours, png));
    return png;
  };
  auto coloured = [&](const std::function<void(Surface&)>& change) {
    Surface surface(128, 128);
    for (int i = 0; i < 128 * 128; ++i) {
      surface.pixels()[i] = colours[slots[static_cast<std::size_t>(i)]];
    }
    change(surface);
    ByteArray png;
    EXPECT_TRUE(encodePng(surface, png));
    return png;
  };
  // The slots as palette indices, entry 0 to 3 in the sub-palette's colours.
  auto paletted = [&](std::vector<Color> entries, std::vector<std::uint8_t> alpha) {
    return RawPng{PNG_COLOR_TYPE_PALETTE, 8, {slots.begin(), slots.end()}, entries, alpha};
  };
  std::vector<std::uint8_t> badIndex = slots;
  badIndex[40] = 4;  // tile 05, x 40, y 0
  std::vector<std::uint8_t> manyBad = slots;
  for (int t = 0; t < 10; ++t) {
    manyBad[static_cast<std::size_t>(t * 8)] = 5;
  }
  RawPng transparent{PNG_COLOR_TYPE_RGBA, 8};
  for (std::size_t i = 0; i < slots.size(); ++i) {
    const Color c = colours[slots[i]];
    const int alpha = i == 8 * 128 + 17 ? 0 : 255;  // tile 12
    transparent.samples.insert(
        transparent.samples.end(),
        {static_cast<std::uint16_t>(redOf(c)), static_cast<std::uint16_t>(greenOf(c)),
         static_cast<std::uint16_t>(blueOf(c)), static_cast<std::uint16_t>(alpha)});
  }
  // Entry 4 has slot 2's colour, half transparent.
  RawPng transparentEntry = paletted({colours[0], colours[1], colours[2], colours[3], colours[2]},
                                     {255, 255, 255, 255, 128});
  transparentEntry.samples[8 * 128 + 17] = 4;  // tile 12
  // Entry 9 of a palette of four: libpng would read it as black, slot 0.
  RawPng pastThePalette = paletted(colours, {});
  pastThePalette.samples[5 * 128 + 3] = 9;
  ByteArray cutShort;
  ASSERT_TRUE(encodeViewPng(rom, View::FieldChr, 0, cutShort));
  cutShort.resize(cutShort.size() / 2);
  auto blank = [](int width, int height) {
    ByteArray png;
    EXPECT_TRUE(encodePng(Surface(width, height), png));
    return png;
  };

  struct Case {
    std::string name;
    ByteArray png;
    std::string reason;
  };
  const std::vector<Case> cases{
      {"no PNG", ByteArray(100, 7), "This is no PNG image"},
      {"cut short", cutShort, "The PNG image is damaged"},
      {"entry past the palette", writeRaw(pastThePalette),
       "The PNG image is damaged (a pixel uses an entry past the end of the palette)"},
      {"narrow", blank(64, 128), "The picture is 64 x 128 pixels; a pattern table is 128 x 128"},
      {"short", blank(128, 64), "The picture is 128 x 64 pixels; a pattern table is 128 x 128"},
      {"tall", blank(128, 129), "The picture is 128 x 129 pixels; a pattern table is 128 x 128"},
      // A few bytes that claim a million pixels square: refused before any
      // memory is taken for them.
      {"huge",
       test::readFile(std::filesystem::path(TARVO_FUZZ_REGRESSIONS) / "png_import" /
                      "huge-stated-size.png"),
       "The picture is 1000000 x 1000000 pixels; a pattern table is 128 x 128"},
      {"entry in a foreign colour", indexed(badIndex, 8),
       "Every colour must be one of sub-palette 0's four (#050505, #FF2200, #FF9C12, #FFFFFF), "
       "fully opaque: tile 05 has colour #010203 at x 40, y 0"},
      {"ten tiles", indexed(manyBad, 8),
       "fully opaque: tile 00 has colour #010203 at x 0, y 0; tile 01 has colour #010203 at x 8, "
       "y 0; tile 02 has colour #010203 at x 16, y 0; and 7 more tiles"},
      {"foreign colour", coloured([](Surface& s) { s.setPixel(127, 127, rgb(1, 2, 3)); }),
       "fully opaque: tile FF has colour #010203 at x 127, y 127"},
      {"transparent", writeRaw(transparent),
       "fully opaque: tile 12 has a pixel that is not opaque at x 17, y 8"},
      {"transparent entry", writeRaw(transparentEntry),
       "fully opaque: tile 12 has a pixel that is not opaque at x 17, y 8"},
  };
  for (const Case& c : cases) {
    TilePixels tiles(5, 9);
    std::string reason;
    EXPECT_FALSE(importPatternTable(c.png, palette, 0, tiles, &reason)) << c.name;
    EXPECT_NE(reason.find(c.reason), std::string::npos) << c.name << ": " << reason;
    EXPECT_EQ(tiles, TilePixels(5, 9)) << c.name;
  }
}

using test::CliRun;

CliRun run(const std::vector<std::string>& args) {
  return test::runCliWith(args);
}

TEST(TarvoCliImportChr, ExportEditImport) {
  test::TempDir dir;
  const ByteArray rom = imageWithPalettes(6);
  test::writeFile(dir / "game.nes", rom);
  const std::string game = (dir / "game.nes").string();
  const std::string picture = (dir / "tiles.png").string();
  for (const auto& [bank, view] : std::vector<std::pair<std::string, std::string>>{
           {"field", "field-chr"}, {"batview", "batview-chr"}}) {
    SCOPED_TRACE(bank);
    ASSERT_EQ(run({"export", game, view, picture, "--subpalette", "1"}).status, kExitOk);
    const CliRun same = run({"import-chr", game, bank, picture, "--subpalette", "1"});
    ASSERT_EQ(same.status, kExitOk) << same.err;
    EXPECT_EQ(test::readFile(dir / "game.nes"), rom);  // nothing changed, byte for byte
  }
  // Paint one pixel of tile 0x23 (x 24, y 16) in slot 2's colour: only its
  // bytes change.
  ASSERT_EQ(run({"export", game, "field-chr", picture}).status, kExitOk);
  DecodedImage decoded;
  ASSERT_TRUE(decodePng(test::readFile(dir / "tiles.png"), decoded));
  ASSERT_EQ(decoded.colours.size(), std::size_t{128 * 128});
  Surface painted(128, 128);
  std::copy(decoded.colours.begin(), decoded.colours.end(), painted.pixels());
  painted.setPixel(24, 16, subPaletteColours(paletteOfImage(rom, View::FieldChr), 0)[2]);
  ByteArray png;
  ASSERT_TRUE(encodePng(painted, png));
  test::writeFile(dir / "tiles.png", png);
  ASSERT_EQ(run({"import-chr", game, "field", picture}).status, kExitOk);
  const ByteArray after = test::readFile(dir / "game.nes");
  TilePixels tiles = bankOfImage(rom, View::FieldChr);
  ASSERT_NE(tiles[0x23 * 64], 2);
  tiles[0x23 * 64] = 2;
  for (std::size_t i = 0; i < after.size(); ++i) {
    const auto tileStart = static_cast<std::size_t>(rom::kFieldChrBank.offset + 0x23 * 16);
    if (i < tileStart || i >= tileStart + 16) {
      ASSERT_EQ(after[i], rom[i]) << i;
    }
  }
  EXPECT_EQ(bankOfImage(after, View::FieldChr), tiles);
}

TEST(TarvoCliImportChr, StatusesAndMessages) {
  test::TempDir dir;
  const ByteArray rom = imageWithPalettes(7);
  test::writeFile(dir / "game.nes", rom);
  test::writeFile(dir / "bad.png", ByteArray(10, 1));
  const std::string game = (dir / "game.nes").string();
  const std::string bad = (dir / "bad.png").string();
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string inErr;
  };
  const std::vector<Case> cases{
      {{"import-chr", game, "field"}, kExitUsage, "import-chr takes ROM.nes"},
      {{"import-chr", game, "sky", bad}, kExitUsage, "unknown bank 'sky'"},
      {{"import-chr", game, "field", bad, "--subpalette", "9"}, kExitUsage, "not '9'"},
      {{"import-chr", game, "field", bad}, kExitFailure, "This is no PNG image"},
      {{"import-chr", game, "field", (dir / "none.png").string()}, kExitFailure, "No such file"},
  };
  for (const Case& c : cases) {
    const CliRun result = run(c.args);
    EXPECT_EQ(result.status, c.status) << testing::PrintToString(c.args);
    EXPECT_NE(result.err.find(c.inErr), std::string::npos) << result.err;
  }
  EXPECT_EQ(test::readFile(dir / "game.nes"), rom);
}

}  // namespace
}  // namespace tarvo
