// Where a tile of a CHR bank is used.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "screens/tile_budget.h"
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

// Where one tile or metatile is used: the metatiles that name the tile (the
// field's), and the cells of the field map or the batter's view that show
// it, in reading order.
struct Uses {
  std::vector<int> metatiles;
  std::vector<std::pair<int, int>> cells;  // column, row
};

// The uses of tile `tile` of the screen's bank. A map byte above 132 names a
// definition beyond the table: its cells count when that definition names
// the tile, as the field shows them.
Uses usesOfTile(const ByteArray& image, TileScreen screen, int tile);
// The field map's cells that show metatile `metatile`.
Uses usesOfMetatile(const ByteArray& image, int metatile);

// What the uses are asked of: a tile of the field's or the batter's view's
// bank, or a metatile.
struct UsesSubject {
  enum class Kind { FieldTile, BatViewTile, Metatile };
  Kind kind = Kind::Metatile;
  int number = 0;
  friend bool operator==(const UsesSubject&, const UsesSubject&) = default;
};
Uses usesOf(const ByteArray& image, const UsesSubject& subject);

// "tile 0x41: 7 metatiles, 52 cells", "metatile 0x12: 9 cells", "batter's
// view tile 0x03: 14 cells".
std::string usesText(const UsesSubject& subject, const Uses& uses);

}  // namespace tarvo
