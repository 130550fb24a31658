// What a change of bytes of the image touches, in the things the views show:
// the first step from an edit's byte ranges to the pixels to redraw.
#pragma once

#include <bitset>
#include <vector>

#include "shell/edit_history.h"
#include "shell/rom_locations.h"

namespace tarvo {

struct ImageDamage {
  std::bitset<rom::kMapColumns * rom::kMapRows> mapCells;  // a map or attribute byte
  std::bitset<256> metatiles;     // a byte of the metatile's definition (0 to 132)
  std::bitset<256> fieldTiles;    // a byte of the tile in the field's bank
  std::bitset<256> batViewTiles;  // a byte of the tile in the batter's view bank
  std::bitset<rom::kBatViewColumns * rom::kBatViewRows> batViewCells;  // a name table byte
  bool fieldPalette = false;
  bool batViewPalette = false;

  bool any() const;
};

// The things whose own bytes lie in `ranges`. What uses them (the map cells
// that show a changed metatile, say) each view works out from the image.
ImageDamage damageOf(const std::vector<ByteRange>& ranges);

}  // namespace tarvo
