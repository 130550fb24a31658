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
  target.copyTile(x, y, source, patternTableX(tile), patternTableY(tile));
}

// Draws definition `definition` at (left, top), or of it only the tiles in
// `only` when that is given, each tile in the sub-palette `subPaletteOf(k)`
// gives tile k. Returns whether it drew anything.
template <typename SubPaletteOf>
bool drawDefinition(Surface& target, int left, int top, const std::uint8_t* definition,
                    const PaletteSurfaces& source, const std::bitset<256>* only,
                    SubPaletteOf subPaletteOf) {
  bool drew = false;
  for (int k = 0; k < kMetatileBytes; ++k) {
    if (only != nullptr && !only->test(definition[k])) {
      continue;
    }
    copyTile(target, left + (k % 4) * rom::kTileSide, top + (k / 4) * rom::kTileSide,
             source[static_cast<std::size_t>(subPaletteOf(k))], definition[k]);
    drew = true;
  }
  return drew;
}

}  // namespace

void redrawFieldMap(Surface& target, const ByteArray& rom, const PaletteSurfaces& source,
                    const FieldRedraw& redraw) {
  if (redraw.cells.none() && redraw.metatiles.none() && redraw.tiles.none()) {
    return;
  }
  FieldBlocks blocks;
  readFieldBlocks(rom, blocks);
  for (int cell = 0; cell < rom::kMapColumns * rom::kMapRows; ++cell) {
    const auto at = static_cast<std::size_t>(cell);
    const std::uint8_t metatile = blocks.map[at];
    const bool whole = redraw.cells.test(at) || redraw.metatiles.test(metatile);
    if (!whole && redraw.tiles.none()) {
      continue;
    }
    const int left = (cell % rom::kMapColumns) * rom::kMetatileSide;
    const int top = (cell / rom::kMapColumns) * rom::kMetatileSide;
    const std::uint8_t attribute = blocks.attributes[at];
    if (drawDefinition(target, left, top,
                       blocks.metatiles.data() + std::size_t{metatile} * kMetatileBytes, source,
                       whole ? nullptr : &redraw.tiles,
                       [&](int k) { return quadrantSubPalette(attribute, tileQuadrant(k)); })) {
      target.refresh(left, top, rom::kMetatileSide, rom::kMetatileSide);
    }
  }
}

void redrawMetatileTable(Surface& target, const ByteArray& rom, const PaletteSurfaces& source,
                         std::uint8_t subPalette, const FieldRedraw& redraw) {
  if (redraw.metatiles.none() && redraw.tiles.none()) {
    return;
  }
  std::array<std::uint8_t, rom::kMetatileTable.length> table;
  readBytes(rom, rom::kMetatileTable.offset, table.data(), table.size());
  for (int m = 0; m < rom::kMetatileCount; ++m) {
    const int left = (m % kTableColumns) * rom::kMetatileSide;
    const int top = (m / kTableColumns) * rom::kMetatileSide;
    const bool whole = redraw.metatiles.test(static_cast<std::size_t>(m));
    if (drawDefinition(target, left, top, table.data() + m * kMetatileBytes, source,
                       whole ? nullptr : &redraw.tiles, [&](int) { return subPalette & 3; })) {
      target.refresh(left, top, rom::kMetatileSide, rom::kMetatileSide);
    }
  }
}

void drawMetatileTable(Surface& target, const ByteArray& rom, const PaletteSurfaces& source,
                       std::uint8_t subPalette) {
  target.clear();
  target.hide();
  std::array<std::uint8_t, rom::kMetatileTable.length> table;
  readBytes(rom, rom::kMetatileTable.offset, table.data(), table.size());
  for (int m = 0; m < rom::kMetatileCount; ++m) {
    drawDefinition(target, (m % kTableColumns) * rom::kMetatileSide,
                   (m / kTableColumns) * rom::kMetatileSide, table.data() + m * kMetatileBytes,
                   source, nullptr, [&](int) { return subPalette & 3; });
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
      drawDefinition(target, column * rom::kMetatileSide, row * rom::kMetatileSide, definition,
                     source, nullptr,
                     [&](int k) { return quadrantSubPalette(attribute, tileQuadrant(k)); });
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
