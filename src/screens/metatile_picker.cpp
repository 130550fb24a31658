#include "screens/metatile_picker.h"

#include "shell/rom_locations.h"

namespace tarvo {

namespace {
constexpr int kTableColumns = 16;
}

std::optional<std::uint8_t> metatileAt(int x, int y) {
  if (x < 0 || y < 0 || x >= kTableColumns * rom::kMetatileSide) {
    return std::nullopt;
  }
  const int n = (y / rom::kMetatileSide) * kTableColumns + x / rom::kMetatileSide;
  if (n >= rom::kMetatileCount) {
    return std::nullopt;
  }
  return static_cast<std::uint8_t>(n);
}

void drawMetatilePreview(Surface& preview, const Surface& table, std::uint8_t metatile) {
  const int side = rom::kMetatileSide;
  preview.stretchCopy(0, 0, 2 * side, 2 * side, table, (metatile % kTableColumns) * side,
                      (metatile / kTableColumns) * side, side, side);
  preview.refresh();
}

}  // namespace tarvo
