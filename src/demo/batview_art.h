// The demo's batter's view: home plate as seen from behind the mound, with
// the batter, the catcher, the umpire and the crowd behind the backstop,
// painted as colour slots of sub-palette 0.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "shell/rom_locations.h"

namespace tarvo::demo {

constexpr int kBatWidth = rom::kBatViewColumns * rom::kTileSide;
constexpr int kBatHeight = rom::kBatViewRows * rom::kTileSide;

constexpr std::array<std::uint8_t, 16> kBatViewPalette{
    0x0F, 0x1A, 0x27, 0x30,  // the view: dark, grass, dirt and skin, white
    // Sub-palettes 1 to 3 are never shown by the view.
    0x0F, 0x16, 0x27, 0x30,  // red team
    0x0F, 0x12, 0x27, 0x30,  // blue team
    0x0F, 0x00, 0x10, 0x30,  // greys
};

// kBatWidth x kBatHeight slots, row-major.
std::vector<std::uint8_t> paintBatView();

}  // namespace tarvo::demo
