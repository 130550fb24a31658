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
#include "screens/views.h"
#include "shell/cli.h"
#include "shell/rom_locations.h"
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
// samples, transparency, interlacing. 128 x 128 pixels.
struct RawPng {
  int colourType = PNG_COLOR_TYPE_RGB;
  int bitDepth = 8;
  std::vector<std::uint16_t> samples = {};      // every channel of every pixel, row-major
  std::vector<Color> palette = {};              // a palette picture's entries
  std::vector<std::uint8_t> paletteAlpha = {};  // their tRNS alpha, entry by entry
  bool interlaced = false;
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
  png_set_IHDR(png, info, 128, 128, raw.bitDepth, raw.colourType,
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
  const std::size_t perRow = raw.samples.size() / 128;
  const std::size_t rowBytes = (perRow * static_cast<std::size_t>(raw.bitDepth) + 7) / 8;
  std::vector<std::uint8_t> data(rowBytes * 128, 0);
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
  for (std::size_t y = 0; y < 128; ++y) {
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

// A palette whose sub-palette 1 has four different colours and whose
// sub-palette 2 gives slots 1 and 3 the same colour.
ByteArray imageWithPalettes(std::uint32_t variant) {
  ByteArray rom = test::randomBytes(rom::kMinImageSize, variant);
  const std::vector<std::uint8_t> palette{0x0F, 0x16, 0x27, 0x30, 0x0F, 0x1A, 0x2A, 0x3A,
                                          0x0D, 0x21, 0x11, 0x21, 0x00, 0x10, 0x20, 0x2D};
  for (const View view : {View::FieldChr, View::BatViewChr}) {
    std::copy(palette.begin(), palette.end(), rom.begin() + paletteOf(view).offset);
  }
  return rom;
}

// Export, then import: the bank comes back byte for byte, in every
// sub-palette, even where two slots share a colour.
TEST(ImportPatternTable, AnExportedPictureComesBackWhole) {
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
        EXPECT_EQ(tiles, bankOfImage(rom, view)) << "sub-palette " << sub;
      }
    }
  }
}

// A picture in colours (a paint program's RGB or RGBA) is read through the
// sub-palette's colours.
TEST(ImportPatternTable, AnRgbPictureInTheSubPalettesColours) {
  const ByteArray rom = imageWithPalettes(4);
  ByteArray png;
  ASSERT_TRUE(encodePng(renderView(rom, View::FieldChr, 1), png));
  TilePixels tiles;
  std::string reason;
  ASSERT_TRUE(importPatternTable(png, paletteOfImage(rom, View::FieldChr), 1, tiles, &reason))
      << reason;
  EXPECT_EQ(tiles, bankOfImage(rom, View::FieldChr));
  // Sub-palette 2 has one colour for slots 1 and 3: the lower slot is read.
  ASSERT_TRUE(encodePng(renderView(rom, View::FieldChr, 2), png));
  ASSERT_TRUE(importPatternTable(png, paletteOfImage(rom, View::FieldChr), 2, tiles, &reason));
  TilePixels expected = bankOfImage(rom, View::FieldChr);
  for (auto& slot : expected) {
    slot = slot == 3 ? 1 : slot;
  }
  EXPECT_EQ(tiles, expected);
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

TEST(ImportPatternTable, RefusesWhatDoesNotFitAndChangesNothing) {
  const ByteArray rom = imageWithPalettes(5);
  const PaletteArray palette = paletteOfImage(rom, View::FieldChr);
  const std::vector<std::uint8_t> slots = slotsOf(bankOfImage(rom, View::FieldChr));
  const std::vector<Color> colours{colorTable[0x0F], colorTable[0x16], colorTable[0x27],
                                   colorTable[0x30]};
  auto indexed = [&](std::vector<std::uint8_t> pixels, int entries) {
    std::vector<Color> paletteColours(static_cast<std::size_t>(entries), rgb(1, 2, 3));
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
      {"narrow", blank(64, 128), "The picture is 64 x 128 pixels; a pattern table is 128 x 128"},
      {"short", blank(128, 64), "The picture is 128 x 64 pixels; a pattern table is 128 x 128"},
      {"tall", blank(128, 129), "The picture is 128 x 129 pixels; a pattern table is 128 x 128"},
      // A few bytes that claim a million pixels square: refused before any
      // memory is taken for them.
      {"huge",
       test::readFile(std::filesystem::path(TARVO_FUZZ_REGRESSIONS) / "png_import" /
                      "huge-stated-size.png"),
       "The picture is 1000000 x 1000000 pixels; a pattern table is 128 x 128"},
      {"index 4", indexed(badIndex, 8),
       "An indexed picture may use palette entries 0 to 3 only: tile 05 has palette entry 4 at "
       "x 40, y 0"},
      {"ten tiles", indexed(manyBad, 8),
       "An indexed picture may use palette entries 0 to 3 only: tile 00 has palette entry 5 at "
       "x 0, y 0; tile 01 has palette entry 5 at x 8, y 0; tile 02 has palette entry 5 at x 16, "
       "y 0; and 7 more tiles"},
      {"foreign colour", coloured([](Surface& s) { s.setPixel(127, 127, rgb(1, 2, 3)); }),
       "tile FF has colour #010203 at x 127, y 127"},
      {"transparent", writeRaw(transparent), "tile 12 has a pixel that is not opaque at x 17, y 8"},
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
    ASSERT_EQ(run({"export", game, view, picture, "--subpalette", "2"}).status, kExitOk);
    const CliRun same = run({"import-chr", game, bank, picture, "--subpalette", "2"});
    ASSERT_EQ(same.status, kExitOk) << same.err;
    EXPECT_EQ(test::readFile(dir / "game.nes"), rom);  // nothing changed, byte for byte
  }
  // Paint one pixel of tile 0x23 (x 24, y 16) in slot 2: only its bytes change.
  ASSERT_EQ(run({"export", game, "field-chr", picture}).status, kExitOk);
  DecodedImage decoded;
  ASSERT_TRUE(decodePng(test::readFile(dir / "tiles.png"), decoded));
  decoded.indices[16 * 128 + 24] = 2;
  ByteArray png;
  ASSERT_TRUE(encodeIndexedPng(128, 128, decoded.indices, {0, 1, 2, 3}, png));
  test::writeFile(dir / "tiles.png", png);
  ASSERT_EQ(run({"import-chr", game, "field", picture}).status, kExitOk);
  const ByteArray after = test::readFile(dir / "game.nes");
  TilePixels tiles = bankOfImage(rom, View::FieldChr);
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
