#include "gfx/tile_drawing.h"

#include <algorithm>
#include <array>

namespace tarvo {

void drawTile(const TilePixels& pixels, std::uint8_t tile, Surface& target, std::int32_t x,
              std::int32_t y, const PaletteArray& palette, std::uint8_t subPalette) {
  const std::size_t paletteBase = static_cast<std::size_t>(subPalette & 7) * 4;
  const std::array<Color, 4> colours{
      paletteColor(palette[paletteBase]), paletteColor(palette[paletteBase + 1]),
      paletteColor(palette[paletteBase + 2]), paletteColor(palette[paletteBase + 3])};

  // The tile's pixels; a buffer too short for the tile reads as slot 0.
  std::array<std::uint8_t, chr::kTilePixels> slots{};
  const std::size_t base = static_cast<std::size_t>(tile) * chr::kTilePixels;
  if (base < pixels.size()) {
    std::copy_n(pixels.begin() + static_cast<std::ptrdiff_t>(base),
                std::min<std::size_t>(chr::kTilePixels, pixels.size() - base), slots.begin());
  }

  const bool inside = x >= 0 && y >= 0 && static_cast<std::int64_t>(x) + 8 <= target.width() &&
                      static_cast<std::int64_t>(y) + 8 <= target.height();
  if (inside) {
    for (int r = 0; r < 8; ++r) {
      Color* row = target.pixels() + static_cast<std::size_t>(y + r) * target.width() + x;
      for (int c = 0; c < 8; ++c) {
        row[c] = colours[slots[static_cast<std::size_t>(r * 8 + c)] & 3U];
      }
    }
    return;
  }
  for (int r = 0; r < 8; ++r) {
    for (int c = 0; c < 8; ++c) {
      const std::int64_t px = static_cast<std::int64_t>(x) + c;
      const std::int64_t py = static_cast<std::int64_t>(y) + r;
      if (px >= 0 && py >= 0 && px < target.width() && py < target.height()) {
        target.setPixel(static_cast<int>(px), static_cast<int>(py),
                        colours[slots[static_cast<std::size_t>(r * 8 + c)] & 3U]);
      }
    }
  }
}

void drawPatternTable(Surface& target, const TilePixels& pixels, const PaletteArray& palette,
                      std::uint8_t subPalette, int scale) {
  target.clear();
  for (int i = 0; i < 16; ++i) {
    for (int j = 0; j < 16; ++j) {
      drawTile(pixels, static_cast<std::uint8_t>(i * 16 + j), target, j * 8, i * 8, palette,
               subPalette);
    }
  }
  // Enlarge the square at the origin in place; at scale 1 this changes nothing.
  const int side = 256 * std::clamp(scale, 1, 1024);
  target.stretchCopy(0, 0, side, side, target, 0, 0, 256, 256);
  target.refresh();
}

PaletteSurfaces makePaletteSurfaces() {
  return {Surface(128, 128), Surface(128, 128), Surface(128, 128), Surface(128, 128)};
}

void drawPatternTables(PaletteSurfaces& surfaces, const TilePixels& pixels,
                       const PaletteArray& palette) {
  for (std::size_t k = 0; k < surfaces.size(); ++k) {
    drawPatternTable(surfaces[k], pixels, palette, static_cast<std::uint8_t>(k), 1);
  }
}

void redrawPatternTables(PaletteSurfaces& surfaces, const TilePixels& pixels,
                         const PaletteArray& palette, const std::bitset<256>& tiles) {
  for (int t = 0; t < 256; ++t) {
    if (!tiles.test(static_cast<std::size_t>(t))) {
      continue;
    }
    const auto tile = static_cast<std::uint8_t>(t);
    for (std::size_t k = 0; k < surfaces.size(); ++k) {
      drawTile(pixels, tile, surfaces[k], patternTableX(tile), patternTableY(tile), palette,
               static_cast<std::uint8_t>(k));
      surfaces[k].refresh(patternTableX(tile), patternTableY(tile), 8, 8);
    }
  }
}

}  // namespace tarvo
