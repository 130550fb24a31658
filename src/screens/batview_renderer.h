// The batter's view screen: 32 x 30 tiles (256 x 240 pixels) named by the
// batter's view name table, every tile in sub-palette 0 of its palette.
#pragma once

#include <bitset>

#include "gfx/tile_drawing.h"
#include "shell/rom_image.h"

namespace tarvo {

// Draws the whole screen, copied tile by tile from palette surface 0; hides
// the target while drawing, then shows and refreshes it. Bytes that would lie
// outside the image are read as 0.
void drawBatView(Surface& target, const ByteArray& rom, const PaletteSurfaces& source);

// Draws again the cells of `cells` (by index, row * 32 + column) and every
// cell that shows a tile of `tiles`, and refreshes each.
void redrawBatView(Surface& target, const ByteArray& rom, const PaletteSurfaces& source,
                   const std::bitset<960>& cells, const std::bitset<256>& tiles);

}  // namespace tarvo
