#include "shell/palette.h"

#include "shell/rom_locations.h"

namespace tarvo {

void readPalette(const ByteArray& source, PaletteArray& destination, std::int32_t offset) {
  for (int i = 0; i < rom::kPaletteBytes; ++i) {
    const std::int64_t at = static_cast<std::int64_t>(offset) + i;
    const bool inside = at >= 0 && at < static_cast<std::int64_t>(source.size());
    destination[static_cast<std::size_t>(i)] = inside ? source[static_cast<std::size_t>(at)] : 0;
  }
}

}  // namespace tarvo
