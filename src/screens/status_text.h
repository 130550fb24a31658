// The status bar texts: where the pointer is, in the numbers a ROM hacker
// works with. Numbers are hexadecimal as the program shows them ("0A"),
// file offsets as 0x followed by hexadecimal digits. An empty text means the
// pointer is over nothing that has a place in the image.
#pragma once

#include <string>

#include "shell/rom_image.h"
#include "shell/rom_locations.h"

namespace tarvo {

// Pixel (x, y) of the 768 x 768 map: the cell, its metatile, the
// sub-palette of the quadrant and the offsets of its two bytes.
std::string mapStatus(const ByteArray& rom, int x, int y);

// Pixel (x, y) of the metatile table: the metatile and where it is defined.
std::string pickerStatus(int x, int y);

// Pixel (x, y) of the editor's pattern table (16 pixels a tile): the tile and
// its 16 bytes in `bank`.
std::string patternTableStatus(const rom::Location& bank, int x, int y);

// Pixel (x, y) of the enlarged tile `tile` (16 pixels a pixel).
std::string selectedTileStatus(const rom::Location& bank, std::uint8_t tile, int x, int y);

// Pixel (x, y) of the enlarged metatile `metatile` (32 pixels a cell).
std::string metatileCellStatus(const ByteArray& rom, std::uint8_t metatile, int x, int y);

// Pixel (x, y) of the batter's view (8 pixels a cell).
std::string batViewStatus(const ByteArray& rom, int x, int y);

// "0x8031".
std::string hexOffset(std::int64_t offset);

}  // namespace tarvo
