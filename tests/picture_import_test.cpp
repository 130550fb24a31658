// The picture import (screens/picture_import.h), stage by stage: reading the
// picture, the exact packing, the palette choice, the slot order, the tiles
// and metatiles; then what every fit keeps to, and tarvo-cli import-picture.
#include "screens/picture_import.h"

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <optional>
#include <random>
#include <vector>

#include "cli_support.h"
#include "demo/demo_rom.h"
#include "gfx/lab.h"
#include "gfx/png_image.h"
#include "import_support.h"
#include "screens/views.h"
#include "shell/cli.h"
#include "shell/rom_locations.h"
#include "support/test_pictures.h"
#include "test_support.h"

namespace tarvo {
namespace {

using test::bankOfImage;
using test::CliRun;
using test::paletteOfImage;
using test::RawPng;
using test::subPaletteColours;
using test::writeRaw;

CliRun run(const std::vector<std::string>& args) {
  return test::runCliWith(args);
}

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

// ---- Reading the picture ----

TEST(PictureReading, RefusesWhatItCannotImport) {
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

// ---- Exact packing ----

// Export any image's field or batter's view within the limits, import it
// into another image, and the picture comes back pixel for pixel.
TEST(PictureExactPacking, AnExportedViewComesBackExactly) {
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

// ---- Palette choice ----

// A picture of one colour takes one tile (and one metatile); a console
// colour comes back exactly, any other as the nearest console colour.
TEST(PicturePaletteChoice, OneColourTakesOneTile) {
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

// Colour numbers 0 to 63; with a kept palette the palette unchanged; with a
// shared background one first colour.
void expectPaletteWithinLimits(const ByteArray& into, const FittedPicture& fitted,
                               const ImportOptions& options) {
  const bool field = fitted.target == ImportTarget::Field;
  const rom::Location palette = field ? rom::kFieldPalette : rom::kBatViewPalette;
  const int paletteBytes = field ? 16 : 4;
  for (int k = 0; k < paletteBytes; ++k) {
    const std::uint8_t colour = fitted.image[static_cast<std::size_t>(palette.offset + k)];
    if (options.keepPalette) {
      EXPECT_EQ(colour, into[static_cast<std::size_t>(palette.offset + k)]);
    } else {
      EXPECT_LT(colour, 64);
    }
    if (options.sharedBackground && k % 4 == 0) {
      EXPECT_EQ(colour, fitted.image[static_cast<std::size_t>(palette.offset)]);
    }
  }
}

// ---- Slot order ----

// Blank tiles show the first slot: of a chosen palette, it holds the colour
// most shown.
void expectFirstSlotMostShown(const FittedPicture& fitted) {
  const std::vector<Color> shown = pixelsOf(fitted.picture);
  const std::vector<Color> slots =
      subPaletteColours(paletteOfImage(fitted.image, View::BatViewChr), 0);
  const auto shows = [&shown](Color c) { return std::count(shown.begin(), shown.end(), c); };
  for (const Color c : slots) {
    EXPECT_GE(shows(slots[0]), shows(c));
  }
}

// ---- Tiles and metatiles ----

// An image that needs all 256 tiles (and, for the field, all 133 metatiles)
// comes back exactly; one tile more and the tiles are merged down to 256.
TEST(PictureTiles, ExactlyTheWholeBankFits) {
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

// The map names only the metatiles the figures count, at most 133.
void expectMapWithinTheMetatiles(const FittedPicture& fitted) {
  for (int cell = 0; cell < rom::kFieldMap.length; ++cell) {
    const int m = fitted.image[static_cast<std::size_t>(rom::kFieldMap.offset + cell)];
    ASSERT_LT(m, rom::kMetatileCount);
    ASSERT_LT(m, fitted.figures.metatiles);
  }
}

// Tiles named by the map (through the metatiles) or the name table: they are
// the bank's first, and all the others are blank.
void expectTilesFirstInTheBank(const FittedPicture& fitted) {
  const ByteArray& image = fitted.image;
  const bool field = fitted.target == ImportTarget::Field;
  std::vector<bool> named(256, false);
  if (field) {
    for (int cell = 0; cell < rom::kFieldMap.length; ++cell) {
      const int m = image[static_cast<std::size_t>(rom::kFieldMap.offset + cell)];
      for (int k = 0; k < 16; ++k) {
        named[image[static_cast<std::size_t>(rom::kMetatileTable.offset + m * 16 + k)]] = true;
      }
    }
  } else {
    for (int cell = 0; cell < rom::kBatViewNameTable.length; ++cell) {
      named[image[static_cast<std::size_t>(rom::kBatViewNameTable.offset + cell)]] = true;
    }
  }
  const int count = static_cast<int>(std::count(named.begin(), named.end(), true));
  EXPECT_EQ(count, fitted.figures.tiles);
  EXPECT_EQ(std::find(named.begin(), named.end(), false) - named.begin(), count);
  const TilePixels bank = bankOfImage(image, field ? View::FieldChr : View::BatViewChr);
  EXPECT_TRUE(std::all_of(bank.begin() + count * 64, bank.end(), [](auto p) { return p == 0; }));
}

// ---- Every fit ----

// Nothing written outside the view's own locations.
void expectWrittenOnlyItsLocations(const ByteArray& into, const FittedPicture& fitted) {
  const bool field = fitted.target == ImportTarget::Field;
  const ByteArray& image = fitted.image;
  ASSERT_EQ(image.size(), into.size());
  const rom::Location palette = field ? rom::kFieldPalette : rom::kBatViewPalette;
  std::vector<std::pair<std::int32_t, std::int32_t>> written{{palette.offset, field ? 16 : 4}};
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
}

// The figures are those of the picture drawn from the bytes.
void expectFiguresOfTheBytes(const std::vector<Color>& picture, const FittedPicture& fitted) {
  const Surface drawn = renderView(fitted.image, viewOf(fitted.target), 0);
  const ImportFigures figures = compareFit(picture, drawn);
  EXPECT_EQ(pixelsOf(fitted.picture), pixelsOf(drawn));
  EXPECT_FALSE(figures.exact);
  EXPECT_DOUBLE_EQ(figures.psnr, fitted.figures.psnr);
  EXPECT_DOUBLE_EQ(figures.meanDeltaE, fitted.figures.meanDeltaE);
  EXPECT_GT(figures.psnr, 5);
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
        ASSERT_NO_FATAL_FAILURE(expectWrittenOnlyItsLocations(into, *fitted));
        expectPaletteWithinLimits(into, *fitted, o.options);
        if (field) {
          ASSERT_NO_FATAL_FAILURE(expectMapWithinTheMetatiles(*fitted));
        }
        expectTilesFirstInTheBank(*fitted);
        expectFiguresOfTheBytes(picture, *fitted);
        if (!field && !o.options.keepPalette) {
          expectFirstSlotMostShown(*fitted);
        }
        if (kind == demo::TestPicture::Noise) {
          EXPECT_EQ(fitIt(into, target, picture, o.options)->image, fitted->image)
              << "not the same twice";
        }
      }
    }
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
