// The metatile picker: the metatile table picture (16 metatiles of 32 x 32
// to a row) in which a press chooses the metatile that the map is painted
// with.
#pragma once

#include <cstdint>
#include <optional>

#include "gfx/surface.h"

namespace tarvo {

// The metatile at pixel (x, y) of the table picture, or nothing where no
// metatile is (past metatile 132, or outside the picture).
std::optional<std::uint8_t> metatileAt(int x, int y);

// Shows metatile `metatile` of the drawn table on the 64 x 64 preview, every
// pixel doubled, and refreshes the preview.
void drawMetatilePreview(Surface& preview, const Surface& table, std::uint8_t metatile);

// Scroll positions: the map picture and the table move up by these many pixels.
constexpr int mapScrollOffset(int value) {
  return value;
}
constexpr int metatileTableScrollOffset(int value) {
  return 32 * value;
}

}  // namespace tarvo
