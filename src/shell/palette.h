// Palette arrays and the palette blocks of the ROM image.
#pragma once

#include <array>
#include <cstdint>

#include "shell/rom_image.h"

namespace tarvo {

// Eight sub-palettes of four NES colour numbers; colour slot k of sub-palette
// p is element p * 4 + k. Only sub-palettes 0 to 3 are ever read from the ROM
// image; elements 16 to 31 stay zero.
using PaletteArray = std::array<std::uint8_t, 32>;

// Copies the 16 bytes at `offset` of `source` into elements 0 to 15 of
// `destination`; elements 16 to 31 are left as they are. Bytes that would lie
// outside `source` are not read; their elements are set to 0.
void readPalette(const ByteArray& source, PaletteArray& destination, std::int32_t offset);

}  // namespace tarvo
