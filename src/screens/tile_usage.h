// Where a tile of a CHR bank is used.
#pragma once

#include <array>
#include <cstdint>

#include "shell/rom_image.h"

namespace tarvo {

struct FieldTileUsage {
  int metatileCells = 0;  // cells of the 133 metatiles that hold the tile
  int mapCells = 0;       // cells of the 24 x 24 field map whose metatile draws it
};

// The uses of every field tile. A map byte above 132 names a definition
// beyond the table; its tiles count for the map cells that show it.
std::array<FieldTileUsage, 256> fieldTileUsage(const ByteArray& rom);

// How many of the batter's view's 960 cells show each tile.
std::array<int, 256> batViewTileUsage(const ByteArray& rom);

}  // namespace tarvo
