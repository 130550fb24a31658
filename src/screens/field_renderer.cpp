#include "screens/field_renderer.h"

#include <algorithm>
#include <array>
#include <cstring>

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

// Every quadrant in sub-palette (subPalette AND 3).
MetatileAttributes allSubPalette(std::uint8_t subPalette) {
  MetatileAttributes attributes;
  attributes.fill(static_cast<std::uint8_t>((subPalette & 3) * 0x55));
  return attributes;
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

constexpr int kSheetSide = 128;  // a palette surface: 16 x 16 tiles
constexpr int kMapSide = rom::kMapColumns * rom::kMetatileSide;
constexpr int kTileColumns = kMapSide / rom::kTileSide;

// The whole map in the order its pixels lie in memory: one row of tiles at a
// time, each pixel row of it from left to right. The same pixels as the
// cells drawn one by one, written front to back. `target` holds the map at
// its origin; the sheets are whole palette surfaces.
void drawFieldRows(Surface& target, const FieldBlocks& blocks, const PaletteSurfaces& source) {
  std::array<const Color*, kTileColumns> tiles{};
  for (int tileRow = 0; tileRow < rom::kMapRows * 4; ++tileRow) {
    const int row = tileRow / 4;
    for (int column = 0; column < rom::kMapColumns; ++column) {
      const auto cell = static_cast<std::size_t>(row * rom::kMapColumns + column);
      const std::uint8_t* definition =
          blocks.metatiles.data() + std::size_t{blocks.map[cell]} * kMetatileBytes;
      for (int i = 0; i < 4; ++i) {
        const int k = (tileRow % 4) * 4 + i;
        const std::uint8_t tile = definition[k];
        const Surface& sheet = source[static_cast<std::size_t>(
            quadrantSubPalette(blocks.attributes[cell], tileQuadrant(k)))];
        tiles[static_cast<std::size_t>(column * 4 + i)] =
            sheet.pixels() + patternTableY(tile) * kSheetSide + patternTableX(tile);
      }
    }
    const std::ptrdiff_t stride = target.width();
    for (int r = 0; r < rom::kTileSide; r += 2) {
      // Two rows at a time: each tile's address is read once for both.
      Color* out = target.pixels() + (tileRow * rom::kTileSide + r) * stride;
      for (const Color* tile : tiles) {
        const Color* from = tile + r * kSheetSide;
        std::memcpy(out, from, rom::kTileSide * sizeof(Color));
        std::memcpy(out + stride, from + kSheetSide, rom::kTileSide * sizeof(Color));
        out += rom::kTileSide;
      }
    }
  }
}

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
  redrawMetatileTable(target, rom, source, allSubPalette(subPalette), redraw);
}

void redrawMetatileTable(Surface& target, const ByteArray& rom, const PaletteSurfaces& source,
                         const MetatileAttributes& attributes, const FieldRedraw& redraw) {
  if (redraw.metatiles.none() && redraw.tiles.none()) {
    return;
  }
  std::array<std::uint8_t, rom::kMetatileTable.length> table;
  readBytes(rom, rom::kMetatileTable.offset, table.data(), table.size());
  for (int m = 0; m < rom::kMetatileCount; ++m) {
    const int left = (m % kTableColumns) * rom::kMetatileSide;
    const int top = (m / kTableColumns) * rom::kMetatileSide;
    const bool whole = redraw.metatiles.test(static_cast<std::size_t>(m));
    const std::uint8_t attribute = attributes[static_cast<std::size_t>(m)];
    if (drawDefinition(target, left, top, table.data() + m * kMetatileBytes, source,
                       whole ? nullptr : &redraw.tiles,
                       [&](int k) { return quadrantSubPalette(attribute, tileQuadrant(k)); })) {
      target.refresh(left, top, rom::kMetatileSide, rom::kMetatileSide);
    }
  }
}

void drawMetatileTable(Surface& target, const ByteArray& rom, const PaletteSurfaces& source,
                       std::uint8_t subPalette) {
  drawMetatileTable(target, rom, source, allSubPalette(subPalette));
}

void drawMetatileTable(Surface& target, const ByteArray& rom, const PaletteSurfaces& source,
                       const MetatileAttributes& attributes) {
  target.clear();
  target.hide();
  std::array<std::uint8_t, rom::kMetatileTable.length> table;
  readBytes(rom, rom::kMetatileTable.offset, table.data(), table.size());
  for (int m = 0; m < rom::kMetatileCount; ++m) {
    const std::uint8_t attribute = attributes[static_cast<std::size_t>(m)];
    drawDefinition(target, (m % kTableColumns) * rom::kMetatileSide,
                   (m / kTableColumns) * rom::kMetatileSide, table.data() + m * kMetatileBytes,
                   source, nullptr,
                   [&](int k) { return quadrantSubPalette(attribute, tileQuadrant(k)); });
  }
  target.show();
  target.refresh();
}

MetatileAttributes firstUseAttributes(const ByteArray& rom) {
  MetatileAttributes attributes{};
  std::array<bool, rom::kMetatileCount> seen{};
  for (int cell = 0; cell < rom::kFieldMap.length; ++cell) {
    const std::uint8_t metatile = romByte(rom, rom::kFieldMap.offset + cell);
    if (metatile < rom::kMetatileCount && !seen[metatile]) {
      seen[metatile] = true;
      attributes[metatile] = romByte(rom, rom::kFieldAttributeMap.offset + cell);
    }
  }
  return attributes;
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
  const bool wholeSheets = std::all_of(source.begin(), source.end(), [](const Surface& sheet) {
    return sheet.width() == kSheetSide && sheet.height() == kSheetSide;
  });
  if (wholeSheets && target.width() >= kMapSide && target.height() >= kMapSide) {
    drawFieldRows(target, blocks, source);
  } else {
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
