// Surfaces as PNG files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gfx/bytes.h"
#include "gfx/surface.h"

namespace tarvo {

// Encodes the surface's pixels as an 8-bit RGB PNG without alpha: every
// pixel's colour exactly as the surface holds it. Returns false with the
// reason when the encoder fails.
bool encodePng(const Surface& surface, ByteArray& png, std::string* reason = nullptr);

// Encodes an indexed (palette) PNG: `indices` holds one palette index per
// pixel, row-major; `palette` the colours of the entries, kept as given even
// where two are equal.
bool encodeIndexedPng(int width, int height, const std::vector<std::uint8_t>& indices,
                      const std::vector<Color>& palette, ByteArray& png,
                      std::string* reason = nullptr);

// A PNG file read back: its size and each pixel's colour and alpha, as the
// file stores them (a palette file through its palette), with no gamma or
// colour-space conversion; of a 16-bit sample only the high byte is kept.
struct DecodedImage {
  int width = 0;
  int height = 0;
  std::vector<Color> colours;       // 0x00BBGGRR per pixel, row-major
  std::vector<std::uint8_t> alpha;  // 255 for a fully opaque pixel
  // A palette file's own index of each pixel (empty for any other file):
  // where one colour stands for several things, the only trace of which.
  std::vector<std::uint8_t> paletteIndices;
};

// Reads a PNG file of at most `maxPixels` pixels; false with the reason for
// bytes that are no PNG, a damaged file, or a picture larger than that (whose
// stated size is then in `image`; nothing is allocated for its pixels).
bool decodePng(const ByteArray& png, DecodedImage& image, std::string* reason = nullptr,
               std::size_t maxPixels = 4096 * 4096);

}  // namespace tarvo
