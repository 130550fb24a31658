#include "screens/field_renderer.h"

#include <array>

#include "shell/rom_locations.h"

namespace tarvo {

namespace {

constexpr int kMetatileBytes = rom::kMetatileTiles;
constexpr int kTableColumns = 16;  // metatiles per row of the table picture

// The field map, the attribute map and every definition a map byte can name
// (metatiles 0 to 255, the last 123 beyond the table), read in one go.
struct FieldBlocks {
  std::array<std::uint8_t, rom::kFieldMap.length> map;
  std::array<std::uint8_t, rom::kFieldAttributeMap.length> attributes;
  std::array<std::uint8_t, 256 * kMetatileBytes> metatiles;
};

void readFieldBlocks(const ByteArray& rom, FieldBlocks& blocks) {
  readBytes(rom, rom::kFieldMap.offset, blocks.map.data(), blocks.map.size());
  readBytes(rom, rom::kFieldAttributeMap.offset, blocks.attributes.data(),
            blocks.attributes.size());
  readBytes(rom, rom::kMetatileTable.offset, blocks.metatiles.data(), blocks.metatiles.size());
}

std::int64_t metatileOffset(std::uint8_t metatile, int k) {
  return rom::kMetatileTable.offset + std::int64_t{metatile} * kMetatileBytes + k;
}

// Copies tile `tile` from `source` to (x, y) of `target`.
void copyTile(Surface& target, int x, int y, const Surface& source, std::uint8_t tile) {
  target.copyBlock(x, y, rom::kTileSide, rom::kTileSide, source, patternTableX(tile),
                   patternTableY(tile));
}

}  // namespace

void drawMetatileTable(Surface& target, const ByteArray& rom, const PaletteSurfaces& source,
                       std::uint8_t subPalette) {
  target.clear();
  target.hide();
  std::array<std::uint8_t, rom::kMetatileTable.length> table;
  readBytes(rom, rom::kMetatileTable.offset, table.data(), table.size());
  const Surface& tiles = source[subPalette & 3U];
  for (int m = 0; m < rom::kMetatileCount; ++m) {
    const int left = (m % kTableColumns) * rom::kMetatileSide;
    const int top = (m / kTableColumns) * rom::kMetatileSide;
    for (int k = 0; k < kMetatileBytes; ++k) {
      copyTile(target, left + (k % 4) * rom::kTileSide, top + (k / 4) * rom::kTileSide, tiles,
               table[static_cast<std::size_t>(m * kMetatileBytes + k)]);
    }
  }
  target.show();
  target.refresh();
}

void drawFieldMap(Surface& target, const ByteArray& rom, const PaletteSurfaces& source) {
  // The cells cover a surface of the map's size: only a larger one has
  // pixels to clear.
  if (target.width() > rom::kMapColumns * rom::kMetatileSide ||
      target.height() > rom::kMapRows * rom::kMetatileSide) {
    target.clear();
  }
  target.hide();
  FieldBlocks blocks;
  readFieldBlocks(rom, blocks);
  for (int row = 0; row < rom::kMapRows; ++row) {
    for (int column = 0; column < rom::kMapColumns; ++column) {
      const auto cell = static_cast<std::size_t>(row * rom::kMapColumns + column);
      const std::uint8_t* definition =
          blocks.metatiles.data() + std::size_t{blocks.map[cell]} * kMetatileBytes;
      const std::uint8_t attribute = blocks.attributes[cell];
      const int left = column * rom::kMetatileSide;
      const int top = row * rom::kMetatileSide;
      for (int k = 0; k < kMetatileBytes; ++k) {
        const Surface& tiles =
            source[static_cast<std::size_t>(quadrantSubPalette(attribute, tileQuadrant(k)))];
        copyTile(target, left + (k % 4) * rom::kTileSide, top + (k / 4) * rom::kTileSide, tiles,
                 definition[k]);
      }
    }
  }
  target.show();
  target.refresh();
}

void drawMapCell(Surface& target, std::int16_t column, std::int16_t row, const ByteArray& rom,
                 const TilePixels& pixels, const PaletteArray& palette) {
  if (column < 0 || column >= rom::kMapColumns || row < 0 || row >= rom::kMapRows) {
    return;
  }
  const int cell = row * rom::kMapColumns + column;
  const std::uint8_t metatile = romByte(rom, rom::kFieldMap.offset + cell);
  const std::uint8_t attribute = romByte(rom, rom::kFieldAttributeMap.offset + cell);
  for (int k = 0; k < kMetatileBytes; ++k) {
    drawTile(pixels, romByte(rom, metatileOffset(metatile, k)), target,
             column * rom::kMetatileSide + (k % 4) * rom::kTileSide,
             row * rom::kMetatileSide + (k / 4) * rom::kTileSide, palette,
             static_cast<std::uint8_t>(quadrantSubPalette(attribute, tileQuadrant(k))));
  }
  target.refresh();
}

void drawMetatile(Surface& target, const ByteArray& rom, const TilePixels& pixels,
                  const PaletteArray& palette, std::int16_t x, std::int16_t y,
                  std::uint8_t metatile, std::uint8_t subPalette) {
  for (int k = 0; k < kMetatileBytes; ++k) {
    drawTile(pixels, romByte(rom, metatileOffset(metatile, k)), target,
             x + (k % 4) * rom::kTileSide, y + (k / 4) * rom::kTileSide, palette, subPalette);
  }
}

}  // namespace tarvo
