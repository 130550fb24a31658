#include "screens/batview_renderer.h"

#include <array>

#include "shell/rom_locations.h"

namespace tarvo {

void drawBatView(Surface& target, const ByteArray& rom, const PaletteSurfaces& source) {
  target.hide();
  target.clear();
  std::array<std::uint8_t, rom::kBatViewNameTable.length> names;
  readBytes(rom, rom::kBatViewNameTable.offset, names.data(), names.size());
  const Surface& tiles = source[0];
  for (int row = 0; row < rom::kBatViewRows; ++row) {
    for (int column = 0; column < rom::kBatViewColumns; ++column) {
      const std::uint8_t tile =
          names[static_cast<std::size_t>(row * rom::kBatViewColumns + column)];
      target.copyBlock(column * rom::kTileSide, row * rom::kTileSide, rom::kTileSide,
                       rom::kTileSide, tiles, patternTableX(tile), patternTableY(tile));
    }
  }
  target.show();
  target.refresh();
}

}  // namespace tarvo
