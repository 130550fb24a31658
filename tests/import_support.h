// What the tests of the pattern-table import and of the picture import
// share: an image's palettes and banks, and pictures as libpng's own writer
// stores them.
#pragma once

#include <png.h>

#include <cstdint>
#include <vector>

#include "gfx/chr_codec.h"
#include "gfx/colors.h"
#include "screens/views.h"

namespace tarvo::test {

PaletteArray paletteOfImage(const ByteArray& rom, View view);

// The 256 tiles of the view's bank.
TilePixels bankOfImage(const ByteArray& rom, View view);

// The four colours of sub-palette `sub` of `palette`.
std::vector<Color> subPaletteColours(const PaletteArray& palette, int sub);

// A picture as libpng's own writer stores it, in forms that paint programs
// write and the program does not: any palette order or size, 16-bit and grey
// samples, transparency, interlacing. 128 x 128 pixels unless told, with no
// gAMA, sRGB or other colour-space chunk.
struct RawPng {
  int colourType = PNG_COLOR_TYPE_RGB;
  int bitDepth = 8;
  std::vector<std::uint16_t> samples = {};      // every channel of every pixel, row-major
  std::vector<Color> palette = {};              // a palette picture's entries
  std::vector<std::uint8_t> paletteAlpha = {};  // their tRNS alpha, entry by entry
  bool interlaced = false;
  int width = 128;
  int height = 128;
};

// The file libpng writes of `raw`; the calling test fails when it cannot.
ByteArray writeRaw(const RawPng& raw);

}  // namespace tarvo::test
