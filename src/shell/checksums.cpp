#include "shell/checksums.h"

#include <nettle/sha1.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdio>

namespace tarvo {

std::uint32_t crc32Of(const std::uint8_t* data, std::size_t size) {
  uLong crc = crc32(0L, Z_NULL, 0);
  constexpr std::size_t kBlock = 1u << 30;  // crc32 takes an unsigned int length
  while (size > 0) {
    const std::size_t block = std::min(size, kBlock);
    crc = crc32(crc, data, static_cast<uInt>(block));
    data += block;
    size -= block;
  }
  return static_cast<std::uint32_t>(crc);
}

std::string crc32Hex(const std::uint8_t* data, std::size_t size) {
  char text[9];
  std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(crc32Of(data, size)));
  return text;
}

std::string sha1Hex(const std::uint8_t* data, std::size_t size) {
  sha1_ctx context;
  sha1_init(&context);
  if (size > 0) {
    sha1_update(&context, size, data);
  }
  std::array<std::uint8_t, SHA1_DIGEST_SIZE> digest{};
  sha1_digest(&context, digest.size(), digest.data());
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(digest.size() * 2);
  for (const std::uint8_t byte : digest) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0x0F];
  }
  return text;
}

}  // namespace tarvo
