// Checksums of whole files and blocks of them: the CRC-32 that BPS patches
// carry and that dump lists give, and SHA-1, as dump lists give it too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "gfx/bytes.h"

namespace tarvo {

// The CRC-32 of zlib (and of PNG, ZIP and BPS) over `size` bytes at `data`.
std::uint32_t crc32Of(const std::uint8_t* data, std::size_t size);

// The CRC-32 as 8 upper-case hexadecimal digits ("CBF43926"), and the SHA-1
// as 40 lower-case ones, as dump lists write them.
std::string crc32Hex(const std::uint8_t* data, std::size_t size);
std::string sha1Hex(const std::uint8_t* data, std::size_t size);

inline std::string crc32Hex(const ByteArray& bytes) {
  return crc32Hex(bytes.data(), bytes.size());
}
inline std::string sha1Hex(const ByteArray& bytes) {
  return sha1Hex(bytes.data(), bytes.size());
}

}  // namespace tarvo
