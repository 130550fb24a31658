#include "screens/batview_renderer.h"

#include <array>

#include "shell/rom_locations.h"

namespace tarvo {

namespace {

using NameTable = std::array<std::uint8_t, rom::kBatViewNameTable.length>;

void drawCell(Surface& target, const NameTable& names, const Surface& tiles, int cell) {
  const std::uint8_t tile = names[static_cast<std::size_t>(cell)];
  target.copyTile((cell % rom::kBatViewColumns) * rom::kTileSide,
                  (cell / rom::kBatViewColumns) * rom::kTileSide, tiles, patternTableX(tile),
                  patternTableY(tile));
}

}  // namespace

void drawBatView(Surface& target, const ByteArray& rom, const PaletteSurfaces& source) {
  target.hide();
  target.clear();
  NameTable names;
  readBytes(rom, rom::kBatViewNameTable.offset, names.data(), names.size());
  for (int cell = 0; cell < rom::kBatViewColumns * rom::kBatViewRows; ++cell) {
    drawCell(target, names, source[0], cell);
  }
  target.show();
  target.refresh();
}

void redrawBatView(Surface& target, const ByteArray& rom, const PaletteSurfaces& source,
                   const std::bitset<960>& cells, const std::bitset<256>& tiles) {
  if (cells.none() && tiles.none()) {
    return;
  }
  NameTable names;
  readBytes(rom, rom::kBatViewNameTable.offset, names.data(), names.size());
  for (int cell = 0; cell < rom::kBatViewColumns * rom::kBatViewRows; ++cell) {
    const auto at = static_cast<std::size_t>(cell);
    if (cells.test(at) || tiles.test(names[at])) {
      drawCell(target, names, source[0], cell);
      target.refresh((cell % rom::kBatViewColumns) * rom::kTileSide,
                     (cell / rom::kBatViewColumns) * rom::kTileSide, rom::kTileSide,
                     rom::kTileSide);
    }
  }
}

}  // namespace tarvo
