// The plain-text forms of blocks and tiles, for the clipboard and for files.
//
// A block of a grid whose shape has a block kind:
//   KIND 1 COLUMNS ROWS
//   ROWS lines of COLUMNS values, two hex digits each, spaces between
//   on a grid with quadrants, 2 x ROWS lines of 2 x COLUMNS sub-palette
//   digits (0 to 3), no spaces
// Lines end in "\n"; a reader also takes "\r\n" and a last line without one.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "screens/cell_blocks.h"

namespace tarvo {

std::string blockText(const GridShape& shape, const CellBlock& block);

// Reads that form strictly: 1 to the grid's columns and rows, every value
// one the grid's cells may hold (a metatile of the table), every line as
// above, nothing after. On failure says why in `reason` and leaves `block`.
bool parseBlockText(const GridShape& shape, std::string_view text, CellBlock& block,
                    std::string* reason = nullptr);

// A tile's 16 bytes as the image holds them, as text: "tarvo-tile 1", then
// one line of 16 two-digit hexadecimal numbers.
using TileBytes = std::array<std::uint8_t, 16>;
std::string tileText(const TileBytes& bytes);
bool parseTileText(std::string_view text, TileBytes& bytes, std::string* reason = nullptr);

}  // namespace tarvo
