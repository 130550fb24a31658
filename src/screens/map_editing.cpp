#include "screens/map_editing.h"

#include "shell/rom_locations.h"

namespace tarvo {

std::optional<MapCell> mapCellAt(int x, int y) {
  constexpr int kWidth = rom::kMapColumns * rom::kMetatileSide;
  constexpr int kHeight = rom::kMapRows * rom::kMetatileSide;
  if (x < 0 || y < 0 || x >= kWidth || y >= kHeight) {
    return std::nullopt;
  }
  return MapCell{static_cast<std::int16_t>(x / rom::kMetatileSide),
                 static_cast<std::int16_t>(y / rom::kMetatileSide)};
}

}  // namespace tarvo
