// Whole-tile operations on one tile of a tile pixel buffer, in place. Pixel
// values are moved, never changed; no other tile is touched, and a tile
// outside the buffer is left alone.
#pragma once

#include <cstdint>

#include "gfx/chr_codec.h"

namespace tarvo {

// Cyclic shift: new(r, c) = old((r + dy) mod 8, (c + dx) mod 8). A positive dx
// moves the picture left, a positive dy moves it up; nothing is lost.
void shiftTile(TilePixels& pixels, std::uint8_t tile, std::int16_t dx, std::int16_t dy);

// Mirrors left to right (new(r, c) = old(r, 7 - c)) and/or top to bottom
// (new(r, c) = old(7 - r, c)); both together turn the tile by 180 degrees.
void flipTile(TilePixels& pixels, std::uint8_t tile, bool mirrorLeftRight, bool mirrorTopBottom);

// Turns the tile 90 degrees counter-clockwise: new(r, c) = old(c, 7 - r).
void rotateTile(TilePixels& pixels, std::uint8_t tile);

}  // namespace tarvo
