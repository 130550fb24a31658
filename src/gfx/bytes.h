// The byte array that files, and blocks taken out of them, are held in.
#pragma once

#include <cstdint>
#include <vector>

namespace tarvo {

// A whole file, or a block taken out of one: index n is byte n.
using ByteArray = std::vector<std::uint8_t>;

}  // namespace tarvo
