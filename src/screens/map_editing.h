// Positions on the field map's 768 x 768 picture.
#pragma once

#include <cstdint>
#include <optional>

#include "gfx/surface.h"
#include "screens/cell_grid.h"
#include "shell/rom_locations.h"

namespace tarvo {

struct MapCell {
  std::int16_t column;  // 0 to 23
  std::int16_t row;     // 0 to 23
  friend bool operator==(const MapCell&, const MapCell&) = default;
};

// The cell under pixel (x, y) of the map picture, or nothing for a pixel
// outside the picture (a drag goes on reporting positions after the pointer
// has left it).
std::optional<MapCell> mapCellAt(int x, int y);

// Whether pixel (x, y) of the map picture is in view when the viewport shows
// the picture's pixels `visible`. A drag goes on reporting positions under
// other controls; those name cells the user cannot see.
constexpr bool mapPixelInView(int x, int y, const SurfaceRect& visible) {
  return x >= 0 && x < 768 && y >= 0 && y < 768 && x >= visible.x &&
         x < visible.x + visible.width && y >= visible.y && y < visible.y + visible.height;
}

// The quadrant of a cell that pixel (x, y) of the map picture lies in: 0
// top left, 1 top right, 2 bottom left, 3 bottom right.
constexpr int quadrantAt(int x, int y) {
  return quadrantOf(x, y, rom::kMetatileSide);
}

}  // namespace tarvo
