#include "screens/chr_import.h"

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>
#include <random>
#include <sstream>
#include <vector>

#include "cli_support.h"
#include "demo/demo_rom.h"
#include "gfx/lab.h"
#include "gfx/png_image.h"
#include "screens/picture_import.h"
#include "screens/views.h"
#include "shell/cli.h"
#include "shell/rom_locations.h"
#include "support/test_pictures.h"
#include "test_support.h"

namespace tarvo {
namespace {

PaletteArray paletteOfImage(const ByteArray& rom, View view) {
  PaletteArray palette{};
  readPalette(rom, palette, paletteOf(view).offset);
  return palette;
}

TilePixels bankOfImage(const ByteArray& rom, View view) {
  TilePixels tiles;
  decodeTiles(bankOf(view).offset, 256, tiles, rom);
  return tiles;
}

// A picture as libpng's own writer stores it, in forms that paint programs
// write and the program does not: any palette order or size, 16-bit and grey
// samples, transparency, interlacing. 128 x 128 pixels, with no gAMA, sRGB
// or other colour-space chunk.
struct RawPng {
  int colourType = PNG_COLOR_TYPE_RGB;
  int bitDepth = 8;
  std::vector<std::uint16_t> samples = {};      // every channel of every pixel, row-major
  std::vector<Color> palette = {};              // a palette picture's entries
  std::vector<std::uint8_t> paletteAlpha = {};  // their tRNS alpha, entry by entry
  bool interlaced = false;
  int width = 128;
  int height = 128;
};

void appendToBytes(png_structp png, png_bytep data, std::size_t length) {
  auto* out = static_cast<ByteArray*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void flushNothing(png_structp) {}

// The libpng calls that may fail come back to the setjmp through longjmp:
// nothing here has a destructor.
bool writeWithLibpng(png_structp png, png_infop info, const RawPng& raw, const png_color* palette,
                     png_bytepp rows) {
  if (setjmp(png_jmpbuf(png)) != 0) {
    return false;
  }
  png_set_IHDR(png, info, static_cast<png_uint_32>(raw.width), static_cast<png_uint_32>(raw.height),
               raw.bitDepth, raw.colourType,
               raw.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!raw.palette.empty()) {
    png_set_PLTE(png, info, palette, static_cast<int>(raw.palette.size()));
  }
  if (!raw.paletteAlpha.empty()) {
    png_set_tRNS(png, info, raw.paletteAlpha.data(), static_cast<int>(raw.paletteAlpha.size()),
                 nullptr);
  }
  png_set_check_for_invalid_index(png, 0);  // a test may write a damaged file
  png_write_info(png, info);
  png_write_image(png, rows);
  png_write_end(png, nullptr);
  return true;
}

ByteArray writeRaw(const RawPng& raw) {
  const auto height = static_cast<std::size_t>(raw.height);
  const std::size_t perRow = raw.samples.size() / height;
  const std::size_t rowBytes = (perRow * static_cast<std::size_t>(raw.bitDepth) + 7) / 8;
  std::vector<std::uint8_t> data(rowBytes * height, 0);
  for (std::size_t s = 0; s < raw.samples.size(); ++s) {
    std::uint8_t* row = data.data() + s / perRow * rowBytes;
    const std::size_t bit = s % perRow * static_cast<std::size_t>(raw.bitDepth);
    if (raw.bitDepth == 16) {
      row[bit / 8] = static_cast<std::uint8_t>(raw.samples[s] >> 8);
      row[bit / 8 + 1] = static_cast<std::uint8_t>(raw.samples[s]);
    } else {
      row[bit / 8] |= static_cast<std::uint8_t>(raw.samples[s] << (8 - raw.bitDepth - bit % 8));
    }
  }
  std::vector<png_bytep> rows;
  for (std::size_t y = 0; y < height; ++y) {
    rows.push_back(data.data() + y * rowBytes);
  }
  std::vector<png_color> palette;
  for (const Color c : raw.palette) {
    palette.push_back({static_cast<png_byte>(redOf(c)), static_cast<png_byte>(greenOf(c)),
                       static_cast<png_byte>(blueOf(c))});
  }
  ByteArray png;
  png_structp writer = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(writer);
  png_set_write_fn(writer, &png, appendToBytes, flushNothing);
  const bool written = writeWithLibpng(writer, info, raw, palette.data(), rows.data());
  png_destroy_write_struct(&writer, &info);
  EXPECT_TRUE(written);
  return png;
}

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

std::vector<Color> subPaletteColours(const PaletteArray& palette, int sub) {
  std::vector<Color> colours;
  for (int k = 0; k < 4; ++k) {
    colours.push_back(paletteColor(palette[static_cast<std::size_t>(sub * 4 + k)]));
  }
  return colours;
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

// ---- Pictures imported as the field or the batter's view ----

std::vector<Color> pixelsOf(const Surface& surface) {
  return {surface.pixels(), surface.pixels() + surface.width() * surface.height()};
}

View viewOf(ImportTarget target) {
  return target == ImportTarget::Field ? View::Field : View::BatView;
}

// Every screen colour once, by its lowest number, shuffled by `random`.
std::vector<std::uint8_t> shuffledColours(std::mt19937& random) {
  std::vector<std::uint8_t> numbers;
  std::vector<Color> seen;
  for (int n = 0; n < 64; ++n) {
    if (std::find(seen.begin(), seen.end(), colorTable[static_cast<std::size_t>(n)]) ==
        seen.end()) {
      seen.push_back(colorTable[static_cast<std::size_t>(n)]);
      numbers.push_back(static_cast<std::uint8_t>(n));
    }
  }
  std::shuffle(numbers.begin(), numbers.end(), random);
  return numbers;
}

// An image whose field and batter's view are random but within the limits:
// map bytes 0 to 132, and sub-palettes of four different screen colours
// (colours may repeat across sub-palettes; for an even variant they do, a
// lot). The same variant gives the same image.
ByteArray randomFittingImage(std::uint32_t variant) {
  ByteArray rom = test::randomBytes(rom::kMinImageSize, variant);
  std::mt19937 random(variant);
  for (int i = 0; i < rom::kFieldMap.length; ++i) {
    rom[static_cast<std::size_t>(rom::kFieldMap.offset + i)] =
        static_cast<std::uint8_t>(random() % rom::kMetatileCount);
  }
  for (int sub = 0; sub < 4; ++sub) {
    const std::vector<std::uint8_t> colours = shuffledColours(random);
    std::copy_n(colours.begin(), 4, rom.begin() + rom::kFieldPalette.offset + sub * 4);
  }
  if (variant % 2 == 0) {
    // Sub-palettes 1 to 3 show sub-palette 0's first three colours in other
    // slots, and most tiles have no pixel in slot 3: many quadrants then show
    // colours that several sub-palettes hold, each in other slots.
    const auto palette = rom.begin() + rom::kFieldPalette.offset;
    for (int sub = 1; sub < 4; ++sub) {
      std::array<std::uint8_t, 3> three{palette[0], palette[1], palette[2]};
      std::shuffle(three.begin(), three.end(), random);
      std::copy(three.begin(), three.end(), palette + sub * 4);
      if (std::find(three.begin(), three.end(), palette[sub * 4 + 3]) != three.end()) {
        palette[sub * 4 + 3] = palette[3];
      }
    }
    for (int t = 0; t < 256; ++t) {
      if (t % 8 != 0) {
        for (int row = 0; row < 8; ++row) {
          const auto plane0 = static_cast<std::size_t>(rom::kFieldChrBank.offset + t * 16 + row);
          rom[plane0 + 8] &= static_cast<std::uint8_t>(~rom[plane0]);
        }
      }
    }
  }
  const std::vector<std::uint8_t> colours = shuffledColours(random);
  std::copy_n(colours.begin(), 4, rom.begin() + rom::kBatViewPalette.offset);
  return rom;
}

// The image a picture is imported into: another random image.
ByteArray importInto() {
  return test::randomBytes(rom::kMinImageSize, 99);
}

std::optional<FittedPicture> fitIt(const ByteArray& into, ImportTarget target,
                                   const std::vector<Color>& picture, ImportOptions options = {}) {
  return fitPicture(into, target, picture, options);
}

// Export any image's field or batter's view within the limits, import it
// into another image, and the picture comes back pixel for pixel.
TEST(PictureImport, AnExportedViewComesBackExactly) {
  struct Case {
    std::string name;
    ByteArray source;
  };
  std::vector<Case> cases{{"demo", makeDemoRom()}};
  // In image 26 every sub-palette has regions that fit only it, but fewer
  // than those that fit several; in image 28 no region fits only one.
  for (const std::uint32_t variant : {1u, 2u, 3u, 4u, 26u, 28u}) {
    cases.push_back({"random " + std::to_string(variant), randomFittingImage(variant)});
  }
  for (const Case& c : cases) {
    for (const ImportTarget target : {ImportTarget::Field, ImportTarget::BatView}) {
      SCOPED_TRACE(c.name + (target == ImportTarget::Field ? " field" : " batter's view"));
      const std::vector<Color> picture = pixelsOf(renderView(c.source, viewOf(target), 0));
      const std::optional<FittedPicture> fitted = fitIt(importInto(), target, picture);
      ASSERT_TRUE(fitted);
      EXPECT_TRUE(fitted->figures.exact);
      ByteArray image = importInto();
      applyFittedPicture(*fitted, image);
      EXPECT_EQ(pixelsOf(renderView(image, viewOf(target), 0)), picture);
      EXPECT_EQ(pixelsOf(fitted->picture), picture);
      // Into its own image, keeping the palette: the palette's own order.
      const std::optional<FittedPicture> kept = fitIt(c.source, target, picture, {true});
      EXPECT_TRUE(kept->figures.exact) << "palette kept";
    }
  }
}

// What the console can hold, whatever the picture: at most 256 tiles, 133
// metatiles, colour numbers 0 to 63; with a shared background one first
// colour; with a kept palette the palette unchanged; nothing written outside
// the view's own locations; the figures those of the picture drawn from the
// bytes; the same bytes from the same picture.
TEST(PictureImport, EveryFitStaysWithinTheLimits) {
  struct Options {
    std::string name;
    ImportOptions options;
  };
  const std::vector<Options> options{{"plain", {}},
                                     {"shared background", {false, true, Dither::None}},
                                     {"kept palette", {true, false, Dither::None}},
                                     {"ordered dither", {false, false, Dither::Ordered}}};
  const ByteArray into = importInto();
  for (const ImportTarget target : {ImportTarget::Field, ImportTarget::BatView}) {
    const bool field = target == ImportTarget::Field;
    for (const demo::TestPicture kind : demo::kTestPictures) {
      const std::vector<Color> picture =
          demo::makeTestPicture(kind, importWidth(target), importHeight(target));
      // Each picture plain and with one of the options.
      const auto kindNumber = static_cast<std::size_t>(kind);
      for (const Options& o : {options[0], options[1 + kindNumber % 3]}) {
        SCOPED_TRACE(std::string(demo::testPictureName(kind)) + ", " + o.name +
                     (field ? ", field" : ", batter's view"));
        const std::optional<FittedPicture> fitted = fitIt(into, target, picture, o.options);
        ASSERT_TRUE(fitted);
        const ByteArray& image = fitted->image;
        ASSERT_EQ(image.size(), into.size());
        const rom::Location palette = field ? rom::kFieldPalette : rom::kBatViewPalette;
        const int paletteBytes = field ? 16 : 4;
        std::vector<std::pair<std::int32_t, std::int32_t>> written{{palette.offset, paletteBytes}};
        for (const rom::Location& at :
             field ? std::vector<rom::Location>{rom::kFieldMap, rom::kFieldAttributeMap,
                                                rom::kMetatileTable, rom::kFieldChrBank}
                   : std::vector<rom::Location>{rom::kBatViewNameTable, rom::kBatViewChrBank}) {
          written.emplace_back(at.offset, at.length);
        }
        for (std::size_t i = 0; i < image.size(); ++i) {
          const bool inside = std::any_of(written.begin(), written.end(), [i](const auto& w) {
            return static_cast<std::int64_t>(i) >= w.first &&
                   static_cast<std::int64_t>(i) < w.first + w.second;
          });
          if (!inside) {
            ASSERT_EQ(image[i], into[i]) << "byte " << i << " outside the view's locations";
          }
        }
        for (int k = 0; k < paletteBytes; ++k) {
          const std::uint8_t colour = image[static_cast<std::size_t>(palette.offset + k)];
          if (o.options.keepPalette) {
            EXPECT_EQ(colour, into[static_cast<std::size_t>(palette.offset + k)]);
          } else {
            EXPECT_LT(colour, 64);
          }
          if (o.options.sharedBackground && k % 4 == 0) {
            EXPECT_EQ(colour, image[static_cast<std::size_t>(palette.offset)]);
          }
        }
        // Tiles named by the map (through the metatiles) or the name table:
        // they are the bank's first, and all the others are blank.
        std::vector<bool> named(256, false);
        if (field) {
          for (int cell = 0; cell < rom::kFieldMap.length; ++cell) {
            const int m = image[static_cast<std::size_t>(rom::kFieldMap.offset + cell)];
            ASSERT_LT(m, rom::kMetatileCount);
            ASSERT_LT(m, fitted->figures.metatiles);
            for (int k = 0; k < 16; ++k) {
              named[image[static_cast<std::size_t>(rom::kMetatileTable.offset + m * 16 + k)]] =
                  true;
            }
          }
        } else {
          for (int cell = 0; cell < rom::kBatViewNameTable.length; ++cell) {
            named[image[static_cast<std::size_t>(rom::kBatViewNameTable.offset + cell)]] = true;
          }
        }
        const int count = static_cast<int>(std::count(named.begin(), named.end(), true));
        EXPECT_EQ(count, fitted->figures.tiles);
        EXPECT_EQ(std::find(named.begin(), named.end(), false) - named.begin(), count);
        const TilePixels bank = bankOfImage(image, field ? View::FieldChr : View::BatViewChr);
        EXPECT_TRUE(
            std::all_of(bank.begin() + count * 64, bank.end(), [](auto p) { return p == 0; }));
        const ImportFigures figures = compareFit(picture, renderView(image, viewOf(target), 0));
        EXPECT_EQ(pixelsOf(fitted->picture), pixelsOf(renderView(image, viewOf(target), 0)));
        EXPECT_FALSE(figures.exact);
        EXPECT_DOUBLE_EQ(figures.psnr, fitted->figures.psnr);
        EXPECT_DOUBLE_EQ(figures.meanDeltaE, fitted->figures.meanDeltaE);
        EXPECT_GT(figures.psnr, 5);
        if (!field && !o.options.keepPalette) {
          // Blank tiles show the first slot: it holds the colour most shown.
          const std::vector<Color> shown = pixelsOf(fitted->picture);
          const std::vector<Color> slots =
              subPaletteColours(paletteOfImage(image, View::BatViewChr), 0);
          const auto shows = [&shown](Color c) {
            return std::count(shown.begin(), shown.end(), c);
          };
          for (const Color c : slots) {
            EXPECT_GE(shows(slots[0]), shows(c));
          }
        }
        if (kind == demo::TestPicture::Noise) {
          EXPECT_EQ(fitIt(into, target, picture, o.options)->image, image) << "not the same twice";
        }
      }
    }
  }
}

// A picture of one colour takes one tile (and one metatile); a console
// colour comes back exactly, any other as the nearest console colour.
TEST(PictureImport, OneColourTakesOneTile) {
  struct Case {
    Color colour;
    bool exact;
  };
  // A sky blue whose nearest console colour by CIEDE2000 (22) is another
  // than by distance in CIELAB (1C).
  const std::vector<Case> cases{
      {colorTable[0x2A], true}, {rgb(100, 150, 200), false}, {rgb(135, 190, 235), false}};
  for (const ImportTarget target : {ImportTarget::Field, ImportTarget::BatView}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.colour);
      const std::vector<Color> picture(
          static_cast<std::size_t>(importWidth(target) * importHeight(target)), c.colour);
      const std::optional<FittedPicture> fitted = fitIt(importInto(), target, picture);
      ASSERT_TRUE(fitted);
      EXPECT_EQ(fitted->figures.exact, c.exact);
      EXPECT_EQ(fitted->figures.tiles, 1);
      EXPECT_EQ(fitted->figures.metatiles, target == ImportTarget::Field ? 1 : 0);
      const std::vector<Color> shown = pixelsOf(fitted->picture);
      EXPECT_TRUE(std::all_of(shown.begin(), shown.end(), [&](Color s) { return s == shown[0]; }));
      if (!c.exact) {
        // The nearest by CIEDE2000: no other console colour lies closer (but
        // 0D, which a chosen palette never holds).
        const Lab wanted = toLab(c.colour);
        const double got = deltaE2000(wanted, toLab(shown[0]));
        for (int n = 0; n < 64; ++n) {
          if (n != 0x0D) {
            EXPECT_GE(deltaE2000(wanted, toLab(colorTable[static_cast<std::size_t>(n)])) + 1e-6,
                      got)
                << n;
          }
        }
      }
    }
  }
}

// An image that needs all 256 tiles (and, for the field, all 133 metatiles)
// comes back exactly; one tile more and the tiles are merged down to 256.
TEST(PictureImport, ExactlyTheWholeBankFits) {
  ByteArray source = randomFittingImage(11);
  std::fill_n(source.begin() + rom::kFieldAttributeMap.offset, rom::kFieldAttributeMap.length, 0);
  for (int entry = 0; entry < rom::kMetatileTable.length; ++entry) {
    // The first 16 metatiles hold every tile once; the others, tiles in
    // orders of their own.
    const int m = entry / 16;
    const int k = entry % 16;
    source[static_cast<std::size_t>(rom::kMetatileTable.offset + entry)] =
        static_cast<std::uint8_t>(m < 16 ? entry : m * 37 + k * k * 3 + k);
  }
  for (int cell = 0; cell < rom::kFieldMap.length; ++cell) {
    source[static_cast<std::size_t>(rom::kFieldMap.offset + cell)] =
        static_cast<std::uint8_t>(cell % rom::kMetatileCount);
  }
  for (int cell = 0; cell < rom::kBatViewNameTable.length; ++cell) {
    source[static_cast<std::size_t>(rom::kBatViewNameTable.offset + cell)] =
        static_cast<std::uint8_t>(cell % 256);
  }
  for (const View bank : {View::FieldChr, View::BatViewChr}) {
    const TilePixels tiles = bankOfImage(source, bank);
    std::vector<std::array<std::uint8_t, 64>> distinct(256);
    for (std::size_t t = 0; t < distinct.size(); ++t) {
      std::copy_n(tiles.begin() + static_cast<std::ptrdiff_t>(t * 64), 64, distinct[t].begin());
    }
    std::sort(distinct.begin(), distinct.end());
    ASSERT_EQ(std::unique(distinct.begin(), distinct.end()), distinct.end());
  }
  for (const ImportTarget target : {ImportTarget::Field, ImportTarget::BatView}) {
    const bool field = target == ImportTarget::Field;
    SCOPED_TRACE(field ? "field" : "batter's view");
    std::vector<Color> picture = pixelsOf(renderView(source, viewOf(target), 0));
    std::optional<FittedPicture> fitted = fitIt(importInto(), target, picture);
    ASSERT_TRUE(fitted);
    EXPECT_TRUE(fitted->figures.exact);
    EXPECT_EQ(fitted->figures.tiles, 256);
    EXPECT_EQ(fitted->figures.metatiles, field ? 133 : 0);
    // The last cell's top-left tile gets a pixel no tile has there.
    const int width = importWidth(target);
    const int x = width - (field ? 32 : 8);
    const int y = importHeight(target) - (field ? 32 : 8);
    Color& pixel = picture[static_cast<std::size_t>(y * width + x)];
    const std::vector<Color> colours =
        subPaletteColours(paletteOfImage(source, field ? View::FieldChr : View::BatViewChr), 0);
    pixel = colours[0] != pixel ? colours[0] : colours[1];
    fitted = fitIt(importInto(), target, picture);
    ASSERT_TRUE(fitted);
    EXPECT_FALSE(fitted->figures.exact);
    EXPECT_LE(fitted->figures.tiles, 256);
  }
}

TEST(PictureImport, RefusesWhatItCannotImport) {
  const auto png = [](int width, int height, std::uint8_t alpha) {
    RawPng raw;
    raw.width = width;
    raw.height = height;
    raw.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        for (int channel = 0; channel < 4; ++channel) {
          raw.samples.push_back(channel == 3 ? (x == 5 && y == 7 ? alpha : 255)
                                             : static_cast<std::uint16_t>((x * 7 + y) & 255));
        }
      }
    }
    return writeRaw(raw);
  };
  const auto cutInHalf = [](ByteArray bytes) {
    bytes.resize(bytes.size() / 2);
    return bytes;
  };
  struct Case {
    std::string name;
    ImportTarget target;
    ByteArray file;
    std::string reason;  // empty when the picture is read
  };
  const std::vector<Case> cases{
      {"field", ImportTarget::Field, png(768, 768, 255), ""},
      {"batter's view", ImportTarget::BatView, png(256, 240, 255), ""},
      {"the batter's view's size as the field", ImportTarget::Field, png(256, 240, 255),
       "The picture is 256 x 240 pixels; the field takes a picture of exactly 768 x 768"},
      {"one column too many", ImportTarget::BatView, png(257, 240, 255),
       "the batter's view takes a picture of exactly 256 x 240"},
      {"far too large", ImportTarget::Field, png(1600, 1600, 255), "The picture is 1600 x 1600"},
      {"see-through", ImportTarget::BatView, png(256, 240, 254),
       "see-through pixels, the first at 5, 7"},
      {"no picture", ImportTarget::Field, ByteArray(100, 7), "This is no PNG image"},
      {"cut short, of the right size", ImportTarget::BatView, cutInHalf(png(256, 240, 255)),
       "damaged"},
      {"cut short, too large", ImportTarget::BatView, cutInHalf(png(300, 240, 255)),
       "The picture is 300 x 240"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<Color> pixels;
    std::string reason;
    EXPECT_EQ(readImportPicture(c.file, c.target, pixels, &reason), c.reason.empty());
    EXPECT_NE(reason.find(c.reason), std::string::npos) << reason;
    EXPECT_EQ(pixels.size(), c.reason.empty() ? static_cast<std::size_t>(importWidth(c.target) *
                                                                         importHeight(c.target))
                                              : 0);
  }
}

// The work tells its progress, rising to 100, and stops when told to.
TEST(PictureImport, ReportsProgressAndStops) {
  const std::vector<Color> picture = demo::makeTestPicture(demo::TestPicture::Noise, 768, 768);
  for (int stopAt = 0; stopAt <= 101; stopAt += 101) {
    std::vector<int> told;
    const std::optional<FittedPicture> fitted =
        fitPicture(importInto(), ImportTarget::Field, picture, {}, [&](int percent) {
          told.push_back(percent);
          return percent < stopAt;
        });
    EXPECT_EQ(fitted.has_value(), stopAt > 100);
    ASSERT_FALSE(told.empty());
    EXPECT_TRUE(std::is_sorted(told.begin(), told.end()));
    EXPECT_EQ(told.back(), stopAt > 100 ? 100 : 0);
  }
}

// Through files: the exported views of one image, imported into another,
// export the same files again; refusals name the reason and write nothing.
TEST(TarvoCliImportPicture, ExportImportExport) {
  test::TempDir dir;
  test::writeFile(dir / "from.nes", randomFittingImage(21));
  test::writeFile(dir / "to.nes", importInto());
  const std::string from = (dir / "from.nes").string();
  const std::string to = (dir / "to.nes").string();
  for (const std::string view : {"field", "batview"}) {
    SCOPED_TRACE(view);
    const std::string first = (dir / (view + "1.png")).string();
    const std::string second = (dir / (view + "2.png")).string();
    ASSERT_EQ(run({"export", from, view, first}).status, kExitOk);
    const CliRun imported = run({"import-picture", to, view, first});
    ASSERT_EQ(imported.status, kExitOk) << imported.err;
    EXPECT_NE(imported.out.find(": exact, "), std::string::npos) << imported.out;
    ASSERT_EQ(run({"export", to, view, second}).status, kExitOk);
    EXPECT_EQ(test::readFile(second), test::readFile(first));
  }
  const ByteArray before = test::readFile(dir / "to.nes");
  const std::string field = (dir / "field1.png").string();
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string inErr;
  };
  const std::vector<Case> cases{
      {{"import-picture", to, "field"}, kExitUsage, "import-picture takes ROM.nes"},
      {{"import-picture", to, "sky", field}, kExitUsage, "unknown target 'sky'"},
      {{"import-picture", to, "field", field, "--dither", "random"}, kExitUsage, "not 'random'"},
      {{"import-picture", to, "batview", field, "--shared-background"},
       kExitUsage,
       "--shared-background is for the field"},
      {{"import-picture", to, "batview", field}, kExitFailure, "768 x 768 pixels; the batter's"},
      {{"import-picture", to, "field", from}, kExitFailure, "This is no PNG image"},
      {{"import-picture", to, "field", field, "--keep-palette", "--shared-background"},
       kExitUsage,
       "give one of them"},
  };
  for (const Case& c : cases) {
    const CliRun result = run(c.args);
    EXPECT_EQ(result.status, c.status) << testing::PrintToString(c.args);
    EXPECT_NE(result.err.find(c.inErr), std::string::npos) << result.err;
  }
  EXPECT_EQ(test::readFile(dir / "to.nes"), before);
  // The options reach the fit: a kept palette stays, dither changes the
  // tiles of a picture the console cannot show as it is, a shared first
  // colour is shared.
  Surface stadium(768, 768);
  const std::vector<Color> painted = demo::makeTestPicture(demo::TestPicture::Stadium, 768, 768);
  std::copy(painted.begin(), painted.end(), stadium.pixels());
  ByteArray png;
  ASSERT_TRUE(encodePng(stadium, png));
  test::writeFile(dir / "stadium.png", png);
  const std::string picture = (dir / "stadium.png").string();
  std::vector<ByteArray> kept;
  for (const std::string dither : {"none", "ordered"}) {
    const CliRun result =
        run({"import-picture", to, "field", picture, "--keep-palette", "--dither", dither});
    ASSERT_EQ(result.status, kExitOk) << result.err;
    EXPECT_NE(result.out.find(": PSNR "), std::string::npos) << result.out;
    kept.push_back(test::readFile(dir / "to.nes"));
    EXPECT_TRUE(std::equal(kept.back().begin() + rom::kFieldPalette.offset,
                           kept.back().begin() + rom::kFieldPalette.end(),
                           before.begin() + rom::kFieldPalette.offset));
  }
  EXPECT_NE(kept[0], kept[1]);
  ASSERT_EQ(run({"import-picture", to, "field", field, "--shared-background"}).status, kExitOk);
  const ByteArray shared = test::readFile(dir / "to.nes");
  for (int sub = 1; sub < 4; ++sub) {
    EXPECT_EQ(shared[static_cast<std::size_t>(rom::kFieldPalette.offset + sub * 4)],
              shared[static_cast<std::size_t>(rom::kFieldPalette.offset)]);
  }
}

}  // namespace
}  // namespace tarvo
