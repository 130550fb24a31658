// Pictures of the playing field: the field map, single map cells, the
// metatile table and single metatiles, drawn from the ROM image.
//
// The field is 24 x 24 cells of 32 x 32 pixels (768 x 768). A cell shows the
// metatile named by its field map byte; each 16 x 16 quadrant of the cell uses
// the sub-palette named by two bits of the cell's attribute byte (bits 0-1
// top-left, 2-3 top-right, 4-5 bottom-left, 6-7 bottom-right). A metatile is
// 4 x 4 tiles, row-major. Map bytes are not checked against the 133 metatiles:
// a byte above 132 draws whatever 16 bytes follow the table.
//
// Bytes that would lie outside the image are read as 0; nothing is ever read
// outside it.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>

#include "gfx/tile_drawing.h"
#include "shell/rom_image.h"
#include "shell/rom_locations.h"

namespace tarvo {

// The metatile table, 16 metatiles to a row (metatile m at ((m mod 16) * 32,
// (m div 16) * 32)), every tile in sub-palette (subPalette AND 3), copied from
// the palette surfaces. Clears the target first, so places without a
// metatile show the clear colour; hides the target while drawing.
void drawMetatileTable(Surface& target, const ByteArray& rom, const PaletteSurfaces& source,
                       std::uint8_t subPalette);

// An attribute byte for each metatile of the table: its quadrants'
// sub-palettes, as a map cell's.
using MetatileAttributes = std::array<std::uint8_t, rom::kMetatileCount>;
// The attribute byte of each metatile's first cell on the map, in reading
// order; 0 (sub-palette 0) for a metatile the map does not show.
MetatileAttributes firstUseAttributes(const ByteArray& rom);
// The table as above, each metatile in the sub-palettes of `attributes`.
void drawMetatileTable(Surface& target, const ByteArray& rom, const PaletteSurfaces& source,
                       const MetatileAttributes& attributes);

// The whole field, copied tile by tile from the palette surfaces. Draws in one
// go: nothing else runs until the picture is complete.
void drawFieldMap(Surface& target, const ByteArray& rom, const PaletteSurfaces& source);

// What of a field picture to draw again: whole cells (by their index, row *
// 24 + column, or by the metatile they show) and, anywhere else, the tiles
// of the bank that changed.
struct FieldRedraw {
  std::bitset<576> cells;
  std::bitset<256> metatiles;
  std::bitset<256> tiles;
};

// Draws again, from the palette surfaces, what `redraw` names of the field
// map drawFieldMap drew, and refreshes each cell it touched.
void redrawFieldMap(Surface& target, const ByteArray& rom, const PaletteSurfaces& source,
                    const FieldRedraw& redraw);

// The same for the metatile table drawMetatileTable drew (`redraw.cells` is
// not used there).
void redrawMetatileTable(Surface& target, const ByteArray& rom, const PaletteSurfaces& source,
                         std::uint8_t subPalette, const FieldRedraw& redraw);
void redrawMetatileTable(Surface& target, const ByteArray& rom, const PaletteSurfaces& source,
                         const MetatileAttributes& attributes, const FieldRedraw& redraw);

// Draws one cell again from the ROM image (after its map or attribute byte has
// changed) tile by tile, and refreshes the target. A cell outside the map is
// ignored.
void drawMapCell(Surface& target, std::int16_t column, std::int16_t row, const ByteArray& rom,
                 const TilePixels& pixels, const PaletteArray& palette);

// Draws metatile `metatile` with its top-left corner at (x, y), every tile in
// one sub-palette. Neither clears nor refreshes the target.
void drawMetatile(Surface& target, const ByteArray& rom, const TilePixels& pixels,
                  const PaletteArray& palette, std::int16_t x, std::int16_t y,
                  std::uint8_t metatile, std::uint8_t subPalette);

// The sub-palette of quadrant 0 to 3 (top-left, top-right, bottom-left,
// bottom-right) in an attribute byte.
constexpr int quadrantSubPalette(std::uint8_t attribute, int quadrant) {
  return (attribute >> (2 * quadrant)) & 3;
}

// The quadrant of tile k (0 to 15) of a metatile.
constexpr int tileQuadrant(int k) {
  return ((k >> 3) & 1) * 2 + ((k >> 1) & 1);
}

}  // namespace tarvo
