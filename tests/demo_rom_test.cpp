#include "demo/demo_rom.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <set>
#include <vector>

#include "gfx/chr_codec.h"
#include "shell/preview_rom.h"
#include "shell/rom_locations.h"

namespace tarvo {
namespace {

// The image is the same on every call, so the tests share one.
const ByteArray& demo() {
  static const ByteArray image = makeDemoRom();
  return image;
}

std::uint8_t at(std::int32_t offset) {
  return demo()[static_cast<std::size_t>(offset)];
}

std::uint8_t mapByte(int cell) {
  return at(rom::kFieldMap.offset + cell);
}
std::uint8_t attributeByte(int cell) {
  return at(rom::kFieldAttributeMap.offset + cell);
}
std::uint8_t metatileTile(int metatile, int k) {
  return at(rom::kMetatileTable.offset + metatile * rom::kMetatileTiles + k);
}

constexpr int kCells = rom::kMapColumns * rom::kMapRows;

// Tile numbers drawn by the field map.
std::set<int> fieldTilesInUse() {
  std::set<int> tiles;
  for (int cell = 0; cell < kCells; ++cell) {
    for (int k = 0; k < rom::kMetatileTiles; ++k) {
      tiles.insert(metatileTile(mapByte(cell), k));
    }
  }
  return tiles;
}

TEST(DemoRom, IsAnInesImageOfTheSizeTheEditorExpects) {
  ASSERT_EQ(demo().size(), 98320u);
  EXPECT_EQ(demo().size(), static_cast<std::size_t>(rom::kMinImageSize));
  const std::array<std::uint8_t, 16> header{'N', 'E', 'S', 0x1A, 4, 4, 0x10, 0,
                                            0,   0,   0,   0,    0, 0, 0,    0};
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(at(i), header[static_cast<std::size_t>(i)]) << "header byte " << i;
  }
  // 16 KiB units of program space and 8 KiB units of CHR add up to the file.
  EXPECT_EQ(16 + at(4) * 16384 + at(5) * 8192, static_cast<int>(demo().size()));
}

TEST(DemoRom, IsTheSameOnEveryCall) {
  EXPECT_EQ(makeDemoRom(), demo());
  EXPECT_EQ(makeDemoRom(), makeDemoRom());
}

// Bytes outside every location are the viewer image's: its header, its
// program and filler.
TEST(DemoRom, BytesOutsideTheLocationsAreTheViewerImage) {
  const ByteArray viewer = makeViewerRom();
  ASSERT_EQ(viewer.size(), demo().size());
  std::vector<bool> inLocation(demo().size(), false);
  for (const rom::Location& location : rom::kLocationTable) {
    for (std::int32_t i = location.offset; i < location.end(); ++i) {
      inLocation[static_cast<std::size_t>(i)] = location.offset != rom::kInesHeader.offset;
    }
  }
  int wrong = 0;
  for (std::size_t i = 0; i < demo().size(); ++i) {
    if (!inLocation[i] && demo()[i] != viewer[i] && ++wrong <= 5) {
      ADD_FAILURE() << "byte " << i << " is " << int{demo()[i]};
    }
  }
  EXPECT_EQ(wrong, 0);
}

TEST(DemoRom, EveryPaletteByteIsAColourNumber) {
  for (const rom::Location& palette : {rom::kFieldPalette, rom::kBatViewPalette}) {
    SCOPED_TRACE(palette.name);
    for (int i = 0; i < rom::kPaletteBytes; ++i) {
      EXPECT_LT(at(palette.offset + i), 64) << "byte " << i;
    }
  }
}

TEST(DemoRom, FieldMapUsesManyMetatilesAllDefined) {
  std::set<int> used;
  for (int cell = 0; cell < kCells; ++cell) {
    EXPECT_LE(mapByte(cell), rom::kMetatileCount - 1) << "cell " << cell;
    used.insert(mapByte(cell));
  }
  EXPECT_GE(used.size(), 100u);
  EXPECT_GT(*used.rbegin(), 100) << "no metatile numbered above 100 is in use";
}

// All 133 definitions are filled: no two alike, and every tile they name is a
// tile that the field itself shows (so none points at an empty tile slot).
TEST(DemoRom, MetatileTableHolds133DistinctDefinitionsFromFieldTiles) {
  const std::set<int> fieldTiles = fieldTilesInUse();
  // Fixed-size keys: GCC 12 at -O3 warns falsely of std::vector's <=>.
  std::set<std::array<std::uint8_t, rom::kMetatileTiles>> definitions;
  for (int m = 0; m < rom::kMetatileCount; ++m) {
    std::array<std::uint8_t, rom::kMetatileTiles> definition{};
    for (int k = 0; k < rom::kMetatileTiles; ++k) {
      definition[static_cast<std::size_t>(k)] = metatileTile(m, k);
      EXPECT_TRUE(fieldTiles.count(metatileTile(m, k)) == 1) << "metatile " << m << " tile " << k;
    }
    EXPECT_TRUE(definitions.insert(definition).second) << "metatile " << m << " repeats another";
  }
}

TEST(DemoRom, AttributeMapUsesAllSubPalettesAndMixesThemWithinCells) {
  std::array<int, 4> quadrants{};
  int mixedCells = 0;
  for (int cell = 0; cell < kCells; ++cell) {
    const std::uint8_t a = attributeByte(cell);
    const std::array<int, 4> sub{a & 3, a >> 2 & 3, a >> 4 & 3, a >> 6 & 3};
    for (int p : sub) {
      ++quadrants[static_cast<std::size_t>(p)];
    }
    if (std::count(sub.begin(), sub.end(), sub[0]) != 4) {
      ++mixedCells;
    }
  }
  for (int p = 0; p < 4; ++p) {
    EXPECT_GE(quadrants[static_cast<std::size_t>(p)], 16) << "sub-palette " << p;
  }
  EXPECT_GE(mixedCells, 24);
}

// Tile numbers come from all over the bank, not just its start, and every tile
// the field shows holds a picture (no two used tiles are alike).
TEST(DemoRom, FieldTilesAreSpreadOverTheBankAndDistinct) {
  const std::set<int> tiles = fieldTilesInUse();
  EXPECT_GE(tiles.size(), 192u);
  std::array<int, 4> perQuarter{};
  for (int t : tiles) {
    ++perQuarter[static_cast<std::size_t>(t / 64)];
  }
  for (int q = 0; q < 4; ++q) {
    EXPECT_GE(perQuarter[static_cast<std::size_t>(q)], 16)
        << "tiles " << q * 64 << " to " << q * 64 + 63;
  }
  TilePixels pixels;
  decodeTiles(rom::kFieldChrBank.offset, rom::kBankTiles, pixels, demo());
  std::set<std::array<std::uint8_t, rom::kTilePixels>> seen;
  for (int t : tiles) {
    const auto first = pixels.begin() + t * rom::kTilePixels;
    std::array<std::uint8_t, rom::kTilePixels> tile{};
    std::copy_n(first, rom::kTilePixels, tile.begin());
    EXPECT_TRUE(seen.insert(tile).second) << "tile " << t;
  }
}

// Each sub-palette that the attribute map picks shows several of its colours:
// a quadrant's palette is chosen for what the quadrant holds.
TEST(DemoRom, FieldQuadrantsShowTheirSubPalettesColours) {
  TilePixels pixels;
  decodeTiles(rom::kFieldChrBank.offset, rom::kBankTiles, pixels, demo());
  std::array<std::set<int>, 4> slotsShown;
  for (int cell = 0; cell < kCells; ++cell) {
    const std::uint8_t a = attributeByte(cell);
    for (int k = 0; k < rom::kMetatileTiles; ++k) {
      const int quadrant = (k % 4) / 2 + (k / 8) * 2;
      const int sub = a >> (2 * quadrant) & 3;
      const int tile = metatileTile(mapByte(cell), k);
      for (int i = 0; i < rom::kTilePixels; ++i) {
        slotsShown[static_cast<std::size_t>(sub)].insert(
            pixels[static_cast<std::size_t>(tile * rom::kTilePixels + i)]);
      }
    }
  }
  for (int sub = 0; sub < 4; ++sub) {
    EXPECT_GE(slotsShown[static_cast<std::size_t>(sub)].size(), 3u) << "sub-palette " << sub;
  }
}

TEST(DemoRom, BatViewUsesManyTilesAndAllFourColours) {
  std::set<int> tiles;
  for (int i = 0; i < rom::kBatViewNameTable.length; ++i) {
    tiles.insert(at(rom::kBatViewNameTable.offset + i));
  }
  EXPECT_GE(tiles.size(), 128u);

  TilePixels pixels;
  decodeTiles(rom::kBatViewChrBank.offset, rom::kBankTiles, pixels, demo());
  std::array<int, 4> slotCount{};
  std::set<std::array<std::uint8_t, rom::kTilePixels>> seen;
  for (int t : tiles) {
    const auto first = pixels.begin() + t * rom::kTilePixels;
    std::array<std::uint8_t, rom::kTilePixels> tile{};
    std::copy_n(first, rom::kTilePixels, tile.begin());
    EXPECT_TRUE(seen.insert(tile).second) << "tile " << t;
    for (auto p = first; p != first + rom::kTilePixels; ++p) {
      ++slotCount[*p];
    }
  }
  for (int slot = 0; slot < 4; ++slot) {
    EXPECT_GE(slotCount[static_cast<std::size_t>(slot)], 256) << "colour slot " << slot;
  }
  // Sub-palette 0 is the only one the view shows: four different colours.
  std::set<int> colours;
  for (int i = 0; i < 4; ++i) {
    colours.insert(at(rom::kBatViewPalette.offset + i));
  }
  EXPECT_EQ(colours.size(), 4u);
}

}  // namespace
}  // namespace tarvo
