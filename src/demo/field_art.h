// The demo's field: a ballpark seen from above, painted pixel by pixel as
// colour slots, with the sub-palette of every 16x16 quadrant.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "shell/rom_locations.h"

namespace tarvo::demo {

constexpr int kFieldSide = rom::kMapColumns * rom::kMetatileSide;  // 768
constexpr int kFieldQuads = kFieldSide / rom::kQuadrantSide;       // 48

// Sub-palettes: 0 and 1 are the playing surface (two greens for the mowing
// stripes), 2 the stands and scoreboard, 3 the stands where they meet the
// wall and warning track.
constexpr std::array<std::uint8_t, 16> kFieldPalette{
    0x1A, 0x18, 0x30, 0x0C,  // grass, dirt, chalk, wall
    0x19, 0x18, 0x30, 0x0C,  // darker grass, dirt, chalk, wall
    0x2D, 0x16, 0x30, 0x0F,  // seats, red shirts, white shirts, dark hair / board
    0x2D, 0x21, 0x18, 0x0C,  // seats, blue shirts, dirt / orange shirts, wall / hair
};

struct FieldPicture {
  std::vector<std::uint8_t> slots;            // kFieldSide x kFieldSide
  std::vector<std::uint8_t> quadrantPalette;  // kFieldQuads x kFieldQuads
};

FieldPicture paintField();

}  // namespace tarvo::demo
