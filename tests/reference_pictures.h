// Slow, plain pictures of the ROM image's views, worked out pixel by pixel
// from the bytes of the image and nothing else: no decoded tiles, no palette
// surfaces, no block copies. The renderers must match them exactly.
#pragma once

#include "gfx/colors.h"
#include "shell/rom_image.h"

namespace tarvo::test {

// Pixel (x, y) of the 768 x 768 field.
Color referenceFieldPixel(const ByteArray& rom, int x, int y);

// Pixel (x, y) of the metatile table picture in sub-palette `subPalette`;
// `background` where no metatile is.
Color referenceMetatileTablePixel(const ByteArray& rom, int x, int y, int subPalette,
                                  Color background);

// Pixel (x, y) of the 256 x 240 batter's view.
Color referenceBatViewPixel(const ByteArray& rom, int x, int y);

// Pixel (x, y) of the 128 x 128 pattern table of a bank.
Color referencePatternTablePixel(const ByteArray& rom, bool field, int x, int y, int subPalette);

}  // namespace tarvo::test
