// Surfaces as PNG files.
#pragma once

#include <string>

#include "gfx/surface.h"
#include "shell/rom_image.h"

namespace tarvo {

// Encodes the surface's pixels as an 8-bit RGB PNG without alpha: every
// pixel's colour exactly as the surface holds it. Returns false with the
// reason when the encoder fails.
bool encodePng(const Surface& surface, ByteArray& png, std::string* reason = nullptr);

}  // namespace tarvo
