// Editing the field map with the pointer: what a press or a move at a pixel
// of the 768 x 768 map picture does to the ROM image.
#pragma once

#include <cstdint>
#include <optional>

#include "gfx/surface.h"

#include "shell/rom_image.h"

namespace tarvo {

// Pointer buttons as the windows report them; a move carries the sum of the
// buttons held.
inline constexpr int kLeftButton = 1;
inline constexpr int kRightButton = 2;
inline constexpr int kMiddleButton = 4;
// The shift state the windows report: 1 Shift, 2 Ctrl, 4 Alt.
inline constexpr int kAltKey = 4;

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

// Adds 1 to the 2-bit sub-palette of `quadrant` (0 top-left, 1 top-right,
// 2 bottom-left, 3 bottom-right), 3 wrapping to 0; the other bits stay.
std::uint8_t cycleQuadrant(std::uint8_t attribute, int quadrant);

// The quadrant of a cell that pixel (x, y) of the map picture lies in.
constexpr int quadrantAt(int x, int y) {
  return ((y & 16) != 0 ? 2 : 0) + ((x & 16) != 0 ? 1 : 0);
}

// The pointer's work on the map. Remembers the cell of the last press so that
// a left drag paints each cell it enters once.
class MapEditor {
 public:
  // A press of `button` at (x, y): the left button puts `metatile` into the
  // cell, the right button cycles the sub-palette of the quadrant under the
  // pointer; any button records the cell. Returns the cell to redraw, or
  // nothing when no byte was written.
  std::optional<MapCell> press(ByteArray& rom, int button, int x, int y, std::uint8_t metatile);

  // A move with `buttons` held: with only the left button held, in a stroke
  // that a left press on the map began, entering another cell presses there.
  std::optional<MapCell> move(ByteArray& rom, int buttons, int x, int y, std::uint8_t metatile);

  // A release of `button`: the left button's ends the stroke; a right or
  // middle press and release during a left drag leave it going on.
  void release(int button) {
    if (button == kLeftButton) {
      stroke_ = false;
    }
  }
  // Whether a left drag is under way.
  bool inStroke() const { return stroke_; }

  // The cell of the last press (curMapCol, curMapRow).
  MapCell current() const { return current_; }

 private:
  MapCell current_{0, 0};
  bool stroke_ = false;  // a left press on the map, not yet released
};

}  // namespace tarvo
