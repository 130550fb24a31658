#include "gfx/chr_codec.h"

#include <algorithm>
#include <cstring>

namespace tarvo {

namespace {

constexpr int kPixels = chr::kTilePixels;
constexpr int kBytes = chr::kTileBytes;

void decodeTileBytes(const std::uint8_t* chr, std::uint8_t* out) {
  for (int r = 0; r < 8; ++r) {
    const unsigned low = chr[r];
    const unsigned high = chr[r + 8];
    for (int c = 0; c < 8; ++c) {
      const unsigned bit = 7U - static_cast<unsigned>(c);
      out[r * 8 + c] = static_cast<std::uint8_t>((low >> bit & 1U) | (high >> bit & 1U) << 1);
    }
  }
}

void encodeTile(const std::uint8_t* pixels, std::uint8_t* chr) {
  for (int r = 0; r < 8; ++r) {
    unsigned low = 0;
    unsigned high = 0;
    for (int c = 0; c < 8; ++c) {
      const unsigned value = pixels[r * 8 + c];
      low = low << 1 | (value & 1U);
      high = high << 1 | (value >> 1 & 1U);
    }
    chr[r] = static_cast<std::uint8_t>(low);
    chr[r + 8] = static_cast<std::uint8_t>(high);
  }
}

}  // namespace

void decodeTiles(std::int32_t offset, int count, TilePixels& pixels, const ByteArray& source) {
  const std::size_t tiles = count > 0 ? static_cast<std::size_t>(count) : 0;
  // Built apart and moved in at the end: `pixels` and `source` may be one buffer.
  TilePixels decoded(tiles * kPixels, 0);
  for (std::size_t t = 0; t < tiles; ++t) {
    // The tile's 16 bytes, with any that lie outside the source taken as 0.
    std::uint8_t chr[kBytes] = {};
    const std::int64_t first =
        static_cast<std::int64_t>(offset) + static_cast<std::int64_t>(t) * kBytes;
    const std::int64_t size = static_cast<std::int64_t>(source.size());
    if (first >= 0 && first + kBytes <= size) {
      std::memcpy(chr, source.data() + first, kBytes);
    } else {
      for (int i = 0; i < kBytes; ++i) {
        const std::int64_t at = first + i;
        chr[i] = at >= 0 && at < size ? source[static_cast<std::size_t>(at)] : 0;
      }
    }
    decodeTileBytes(chr, decoded.data() + t * kPixels);
  }
  pixels = std::move(decoded);
}

void decodeTile(const ByteArray& image, std::int64_t offset, TilePixels& pixels,
                std::uint8_t tile) {
  const std::size_t base = std::size_t{tile} * kPixels;
  if (base + kPixels > pixels.size()) {
    return;
  }
  std::uint8_t chr[kBytes] = {};
  for (int i = 0; i < kBytes; ++i) {
    const std::int64_t at = offset + i;
    chr[i] = at >= 0 && at < static_cast<std::int64_t>(image.size())
                 ? image[static_cast<std::size_t>(at)]
                 : 0;
  }
  decodeTileBytes(chr, pixels.data() + base);
}

void encodeTiles(std::int32_t start, int count, const TilePixels& pixels, ByteArray& output) {
  const std::size_t tiles = count > 0 ? static_cast<std::size_t>(count) : 0;
  // Built apart and moved in at the end: `output` and `pixels` may be one buffer.
  ByteArray encoded(tiles * kBytes, 0);
  for (std::size_t t = 0; t < tiles; ++t) {
    std::uint8_t tile[kPixels] = {};
    const std::size_t base = t * kPixels;
    if (base < pixels.size()) {
      std::copy_n(pixels.begin() + static_cast<std::ptrdiff_t>(base),
                  std::min<std::size_t>(kPixels, pixels.size() - base), tile);
    }
    std::uint8_t chr[kBytes];
    encodeTile(tile, chr);
    const std::int64_t first =
        static_cast<std::int64_t>(start) + static_cast<std::int64_t>(t) * kBytes;
    for (int i = 0; i < kBytes; ++i) {
      const std::int64_t at = first + i;
      if (at >= 0 && at < static_cast<std::int64_t>(encoded.size())) {
        encoded[static_cast<std::size_t>(at)] = chr[i];
      }
    }
  }
  output = std::move(encoded);
}

void storeTile(const TilePixels& pixels, std::uint8_t tile, ByteArray& image, std::int64_t offset) {
  std::uint8_t slots[kPixels] = {};
  const std::size_t base = static_cast<std::size_t>(tile) * kPixels;
  if (base < pixels.size()) {
    std::copy_n(pixels.begin() + static_cast<std::ptrdiff_t>(base),
                std::min<std::size_t>(kPixels, pixels.size() - base), slots);
  }
  std::uint8_t chr[kBytes];
  encodeTile(slots, chr);
  for (int i = 0; i < kBytes; ++i) {
    const std::int64_t at = offset + i;
    if (at >= 0 && at < static_cast<std::int64_t>(image.size())) {
      image[static_cast<std::size_t>(at)] = chr[i];
    }
  }
}

void copyTile(const TilePixels& source, std::uint8_t sourceTile, TilePixels& destination,
              std::uint8_t destinationTile) {
  const std::size_t from = static_cast<std::size_t>(sourceTile) * kPixels;
  const std::size_t to = static_cast<std::size_t>(destinationTile) * kPixels;
  if (from + kPixels > source.size() || to + kPixels > destination.size()) {
    return;
  }
  // memmove: source and destination may be the same buffer.
  std::memmove(destination.data() + to, source.data() + from, kPixels);
}

}  // namespace tarvo
