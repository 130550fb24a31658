// Drawing tiles and whole pattern tables onto surfaces.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>

#include "gfx/chr_codec.h"
#include "gfx/colors.h"
#include "gfx/surface.h"

namespace tarvo {

// Draws tile `tile` of `pixels` with its top-left corner at (x, y) of
// `target`, each pixel in colour slot (element AND 3) of sub-palette
// (subPalette AND 7) of `palette`. All 64 pixels are drawn; slot 0 is not
// transparent. Neither clears nor refreshes the target.
void drawTile(const TilePixels& pixels, std::uint8_t tile, Surface& target, std::int32_t x,
              std::int32_t y, const PaletteArray& palette, std::uint8_t subPalette);

// Clears `target`, draws all 256 tiles as a 16 x 16 grid (tile t at
// ((t mod 16) * 8, (t div 16) * 8)), enlarges the picture by `scale` in place
// and refreshes the target.
void drawPatternTable(Surface& target, const TilePixels& pixels, const PaletteArray& palette,
                      std::uint8_t subPalette, int scale);

// A window's four palette surfaces: the 128 x 128 pattern table of its bank in
// sub-palettes 0 to 3. The large views are composed from them by block copies.
using PaletteSurfaces = std::array<Surface, 4>;

PaletteSurfaces makePaletteSurfaces();

// Draws the pattern table into palette surface k in sub-palette k, k = 0 to 3.
void drawPatternTables(PaletteSurfaces& surfaces, const TilePixels& pixels,
                       const PaletteArray& palette);

// Draws again the tiles of `tiles` on the four palette surfaces (after their
// pixels changed).
void redrawPatternTables(PaletteSurfaces& surfaces, const TilePixels& pixels,
                         const PaletteArray& palette, const std::bitset<256>& tiles);

// Where tile t sits in a pattern table: x = (t AND 15) * 8, y = (t SHR 1) AND 0x78.
constexpr int patternTableX(std::uint8_t tile) {
  return (tile & 15) * 8;
}
constexpr int patternTableY(std::uint8_t tile) {
  return (tile >> 1) & 0x78;
}

}  // namespace tarvo
