#include "gfx/colors.h"

#include <cmath>

namespace tarvo {

namespace {

// Base colours (red, green, blue) of NES colour numbers 0x00 to 0x3F.
constexpr std::array<std::array<std::uint8_t, 3>, 64> kBaseColors{{
    {128, 128, 128}, {0, 61, 166},    {0, 18, 176},    {68, 0, 150},    {161, 0, 94},
    {199, 0, 40},    {186, 6, 0},     {140, 23, 0},    {92, 47, 0},     {16, 69, 0},
    {5, 74, 0},      {0, 71, 46},     {0, 65, 102},    {0, 0, 0},       {5, 5, 5},
    {5, 5, 5},       {199, 199, 199}, {0, 119, 255},   {33, 85, 255},   {130, 55, 250},
    {235, 47, 181},  {255, 41, 80},   {255, 34, 0},    {214, 50, 0},    {196, 98, 0},
    {53, 128, 0},    {5, 143, 0},     {0, 138, 85},    {0, 153, 204},   {33, 33, 33},
    {9, 9, 9},       {9, 9, 9},       {255, 255, 255}, {15, 215, 255},  {105, 162, 255},
    {212, 128, 255}, {255, 69, 243},  {255, 97, 139},  {255, 136, 51},  {255, 156, 18},
    {250, 188, 32},  {159, 227, 14},  {43, 240, 53},   {12, 240, 164},  {5, 251, 255},
    {94, 94, 94},    {13, 13, 13},    {13, 13, 13},    {255, 255, 255}, {166, 252, 255},
    {179, 236, 255}, {218, 171, 235}, {255, 168, 249}, {255, 171, 179}, {255, 210, 176},
    {255, 239, 166}, {255, 247, 156}, {215, 232, 149}, {166, 237, 175}, {162, 242, 218},
    {153, 255, 252}, {221, 221, 221}, {17, 17, 17},    {17, 17, 17},
}};

// Red, green and blue multipliers for each emphasis value (bit 0 red, bit 1
// green, bit 2 blue).
constexpr std::array<std::array<double, 3>, 8> kEmphasisFactors{{
    {1.0, 1.0, 1.0},
    {1.0, 0.8, 0.81},
    {0.78, 0.94, 0.66},
    {0.79, 0.77, 0.63},
    {0.82, 0.83, 1.12},
    {0.81, 0.71, 0.87},
    {0.68, 0.79, 0.79},
    {0.7, 0.7, 0.7},
}};

// Rounds to the nearest integer, an exact half to the even neighbour, and
// limits the result to 0..255.
int roundChannel(double value) {
  const double floor = std::floor(value);
  const double fraction = value - floor;
  double rounded = floor;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(floor, 2.0) != 0.0)) {
    rounded = floor + 1.0;
  }
  if (rounded > 255.0) {
    return 255;
  }
  return rounded < 0.0 ? 0 : static_cast<int>(rounded);
}

std::array<Color, 64> makeColorTable() {
  std::array<Color, 64> table{};
  for (int n = 0; n < 64; ++n) {
    table[static_cast<std::size_t>(n)] = nesColorToRGB(static_cast<std::uint8_t>(n), false, 0);
  }
  return table;
}

}  // namespace

std::array<Color, 64> colorTable = makeColorTable();

Color nesColorToRGB(std::uint8_t colour, bool greyscale, std::uint8_t emphasis) {
  const unsigned key = greyscale ? (colour & 0x30U) : colour;
  if (key >= 64) {
    return 0;
  }
  const auto& factors = kEmphasisFactors[greyscale ? 0 : (emphasis & 7U)];
  const auto& base = kBaseColors[key];
  return rgb(roundChannel(base[0] * factors[0]), roundChannel(base[1] * factors[1]),
             roundChannel(base[2] * factors[2]));
}

void buildColorTable() {
  colorTable = makeColorTable();
}

PaletteArray shownPalette(const PaletteArray& palette, ColourMode mode) {
  PaletteArray shown = palette;
  if (mode == ColourMode::Console) {
    for (const std::size_t entry : {4U, 8U, 12U}) {
      shown[entry] = palette[0];
    }
  }
  return shown;
}

}  // namespace tarvo
