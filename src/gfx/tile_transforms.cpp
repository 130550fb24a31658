#include "gfx/tile_transforms.h"

#include <array>
#include <cstring>

namespace tarvo {

namespace {

using Tile = std::array<std::uint8_t, chr::kTilePixels>;

// The tile's 64 pixels, or nullptr when the buffer does not hold the tile.
std::uint8_t* tileAt(TilePixels& pixels, std::uint8_t tile) {
  const std::size_t base = static_cast<std::size_t>(tile) * chr::kTilePixels;
  return base + chr::kTilePixels <= pixels.size() ? pixels.data() + base : nullptr;
}

Tile load(const std::uint8_t* at) {
  Tile tile;
  std::memcpy(tile.data(), at, tile.size());
  return tile;
}

void store(const Tile& tile, std::uint8_t* at) {
  std::memcpy(at, tile.data(), tile.size());
}

}  // namespace

void shiftTile(TilePixels& pixels, std::uint8_t tile, std::int16_t dx, std::int16_t dy) {
  std::uint8_t* at = tileAt(pixels, tile);
  if (at == nullptr) {
    return;
  }
  const Tile old = load(at);
  Tile shifted;
  // AND 7 on a two's-complement value wraps negative offsets too.
  for (int r = 0; r < 8; ++r) {
    for (int c = 0; c < 8; ++c) {
      shifted[static_cast<std::size_t>(r * 8 + c)] =
          old[static_cast<std::size_t>(((r + dy) & 7) * 8 + ((c + dx) & 7))];
    }
  }
  store(shifted, at);
}

void flipTile(TilePixels& pixels, std::uint8_t tile, bool mirrorLeftRight, bool mirrorTopBottom) {
  std::uint8_t* at = tileAt(pixels, tile);
  if (at == nullptr) {
    return;
  }
  const Tile old = load(at);
  Tile flipped;
  for (int r = 0; r < 8; ++r) {
    for (int c = 0; c < 8; ++c) {
      const int fromRow = mirrorTopBottom ? 7 - r : r;
      const int fromColumn = mirrorLeftRight ? 7 - c : c;
      flipped[static_cast<std::size_t>(r * 8 + c)] =
          old[static_cast<std::size_t>(fromRow * 8 + fromColumn)];
    }
  }
  store(flipped, at);
}

void rotateTile(TilePixels& pixels, std::uint8_t tile) {
  std::uint8_t* at = tileAt(pixels, tile);
  if (at == nullptr) {
    return;
  }
  const Tile old = load(at);
  Tile turned;
  for (int r = 0; r < 8; ++r) {
    for (int c = 0; c < 8; ++c) {
      turned[static_cast<std::size_t>(r * 8 + c)] = old[static_cast<std::size_t>(c * 8 + 7 - r)];
    }
  }
  store(turned, at);
}

}  // namespace tarvo
