// The metatiles of a fitted field: its own where at most 133 differ, else
// metatiles folded into others for the least change of colour.
#pragma once

#include <array>
#include <vector>

#include "screens/picture_fit.h"
#include "screens/picture_tiles.h"

namespace tarvo::picture_fit {

using Metatile = std::array<int, rom::kMetatileTiles>;  // tile numbers

struct MetatileSet {
  std::vector<Metatile> metatiles;
  std::vector<int> ofCell;
};

// At most 133 metatiles for the map. Metatiles are folded into others, each
// time the one whose cells change least in colour, measured on the tiles'
// colours in each quadrant's sub-palette; then every cell takes the
// remaining metatile that shows it best against the picture.
MetatileSet fitMetatiles(const Layout& layout, const SlotPicture& picture, const TileSet& tiles,
                         const PlaceCosts& costs, const Progress& progress);

}  // namespace tarvo::picture_fit
