// The palette blocks of the ROM image, read into palette arrays.
#pragma once

#include <cstdint>

#include "gfx/colors.h"  // PaletteArray
#include "shell/rom_image.h"

namespace tarvo {

// Copies the 16 bytes at `offset` of `source` into elements 0 to 15 of
// `destination`; elements 16 to 31 are left as they are. Bytes that would lie
// outside `source` are not read; their elements are set to 0.
void readPalette(const ByteArray& source, PaletteArray& destination, std::int32_t offset);

}  // namespace tarvo
