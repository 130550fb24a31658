// The demo image is painted, not stored: the field and the batter's view are
// drawn pixel by pixel as colour slots (field_art.cpp, batview_art.cpp), then
// cut into 8x8 tiles (and, for the field, 32x32 metatiles) with duplicates
// shared (quantiser.cpp), and written here into an otherwise plain iNES
// image. Everything is integer arithmetic, so every compiler and standard
// library gives the same bytes.
//
// Bytes that belong to no location the editor uses: the unused program space
// is 0xFF (as an erased EPROM reads), the unused CHR space is 0.

#include "demo/demo_rom.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "demo/batview_art.h"
#include "demo/field_art.h"
#include "demo/quantiser.h"
#include "gfx/chr_codec.h"
#include "shell/preview_rom.h"
#include "shell/rom_locations.h"

namespace tarvo {

namespace {

using demo::addSpareMetatiles;
using demo::cutIntoMetatiles;
using demo::cutIntoTiles;
using demo::FieldPicture;
using demo::kBatHeight;
using demo::kBatViewPalette;
using demo::kBatWidth;
using demo::kFieldPalette;
using demo::kFieldQuads;
using demo::kFieldSide;
using demo::limitTiles;
using demo::Metatile;
using demo::MetatileCut;
using demo::paintBatView;
using demo::paintField;
using demo::Tile;
using demo::TileCut;

// Tile numbers are spread over the whole bank rather than packed at its start:
// index i goes to (i * 109 + 37) mod 256, a permutation since 109 is odd.
constexpr std::uint8_t spreadTileNumber(int index) {
  return static_cast<std::uint8_t>((index * 109 + 37) & 0xFF);
}

void writeBank(ByteArray& image, const rom::Location& bank, const std::vector<Tile>& tiles,
               bool spread) {
  TilePixels pixels(static_cast<std::size_t>(rom::kBankTiles * rom::kTilePixels), 0);
  for (std::size_t i = 0; i < tiles.size(); ++i) {
    const int number = spread ? spreadTileNumber(static_cast<int>(i)) : static_cast<int>(i);
    std::copy(tiles[i].begin(), tiles[i].end(),
              pixels.begin() + static_cast<std::ptrdiff_t>(number * rom::kTilePixels));
  }
  ByteArray chr;
  encodeTiles(0, rom::kBankTiles, pixels, chr);
  std::copy(chr.begin(), chr.end(), image.begin() + bank.offset);
}

// Metatile numbers spread over 0..132 too: index j goes to (j * 40 + 7) mod 133,
// a permutation since 40 and 133 share no factor.
constexpr std::uint8_t spreadMetatileNumber(int index) {
  return static_cast<std::uint8_t>((index * 40 + 7) % rom::kMetatileCount);
}

void writeField(ByteArray& image) {
  const FieldPicture picture = paintField();
  TileCut cut = cutIntoTiles(picture.slots, kFieldSide, kFieldSide);
  limitTiles(cut, rom::kBankTiles);
  MetatileCut pieces = cutIntoMetatiles(cut);
  std::vector<Metatile>& metatiles = pieces.metatiles;
  const std::vector<int>& cellMetatile = pieces.cells;
  addSpareMetatiles(cut, metatiles);

  for (std::size_t j = 0; j < metatiles.size(); ++j) {
    const int number = spreadMetatileNumber(static_cast<int>(j));
    for (int k = 0; k < rom::kMetatileTiles; ++k) {
      image[static_cast<std::size_t>(rom::kMetatileTable.offset + number * rom::kMetatileTiles +
                                     k)] =
          spreadTileNumber(metatiles[j][static_cast<std::size_t>(k)]);
    }
  }
  for (int cell = 0; cell < rom::kMapColumns * rom::kMapRows; ++cell) {
    const int row = cell / rom::kMapColumns;
    const int col = cell % rom::kMapColumns;
    image[static_cast<std::size_t>(rom::kFieldMap.offset + cell)] =
        spreadMetatileNumber(cellMetatile[static_cast<std::size_t>(cell)]);
    const auto quad = [&](int dx, int dy) {
      return picture
          .quadrantPalette[static_cast<std::size_t>((row * 2 + dy) * kFieldQuads + col * 2 + dx)];
    };
    image[static_cast<std::size_t>(rom::kFieldAttributeMap.offset + cell)] =
        static_cast<std::uint8_t>(quad(0, 0) | quad(1, 0) << 2 | quad(0, 1) << 4 | quad(1, 1) << 6);
  }
  std::copy(kFieldPalette.begin(), kFieldPalette.end(), image.begin() + rom::kFieldPalette.offset);
  writeBank(image, rom::kFieldChrBank, cut.tiles, true);
}

void writeBatView(ByteArray& image) {
  TileCut cut = cutIntoTiles(paintBatView(), kBatWidth, kBatHeight);
  limitTiles(cut, rom::kBankTiles);
  for (std::size_t i = 0; i < cut.grid.size(); ++i) {
    image[static_cast<std::size_t>(rom::kBatViewNameTable.offset) + i] =
        static_cast<std::uint8_t>(cut.grid[i]);
  }
  std::copy(kBatViewPalette.begin(), kBatViewPalette.end(),
            image.begin() + rom::kBatViewPalette.offset);
  writeBank(image, rom::kBatViewChrBank, cut.tiles, false);
}

}  // namespace

ByteArray makeDemoRom() {
  ByteArray image = makeViewerRom();
  writeField(image);
  writeBatView(image);
  return image;
}

}  // namespace tarvo
