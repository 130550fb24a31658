#include "import_support.h"

#include <gtest/gtest.h>

#include "shell/palette.h"

namespace tarvo::test {

PaletteArray paletteOfImage(const ByteArray& rom, View view) {
  PaletteArray palette{};
  readPalette(rom, palette, paletteOf(view).offset);
  return palette;
}

TilePixels bankOfImage(const ByteArray& rom, View view) {
  TilePixels tiles;
  decodeTiles(bankOf(view).offset, 256, tiles, rom);
  return tiles;
}

std::vector<Color> subPaletteColours(const PaletteArray& palette, int sub) {
  std::vector<Color> colours;
  for (int k = 0; k < 4; ++k) {
    colours.push_back(paletteColor(palette[static_cast<std::size_t>(sub * 4 + k)]));
  }
  return colours;
}

namespace {

void appendToBytes(png_structp png, png_bytep data, std::size_t length) {
  auto* out = static_cast<ByteArray*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void flushNothing(png_structp) {}

// The libpng calls that may fail come back to the setjmp through longjmp:
// nothing here has a destructor.
bool writeWithLibpng(png_structp png, png_infop info, const RawPng& raw, const png_color* palette,
                     png_bytepp rows) {
  if (setjmp(png_jmpbuf(png)) != 0) {
    return false;
  }
  png_set_IHDR(png, info, static_cast<png_uint_32>(raw.width), static_cast<png_uint_32>(raw.height),
               raw.bitDepth, raw.colourType,
               raw.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!raw.palette.empty()) {
    png_set_PLTE(png, info, palette, static_cast<int>(raw.palette.size()));
  }
  if (!raw.paletteAlpha.empty()) {
    png_set_tRNS(png, info, raw.paletteAlpha.data(), static_cast<int>(raw.paletteAlpha.size()),
                 nullptr);
  }
  png_set_check_for_invalid_index(png, 0);  // a test may write a damaged file
  png_write_info(png, info);
  png_write_image(png, rows);
  png_write_end(png, nullptr);
  return true;
}

}  // namespace

ByteArray writeRaw(const RawPng& raw) {
  const auto height = static_cast<std::size_t>(raw.height);
  const std::size_t perRow = raw.samples.size() / height;
  const std::size_t rowBytes = (perRow * static_cast<std::size_t>(raw.bitDepth) + 7) / 8;
  std::vector<std::uint8_t> data(rowBytes * height, 0);
  for (std::size_t s = 0; s < raw.samples.size(); ++s) {
    std::uint8_t* row = data.data() + s / perRow * rowBytes;
    const std::size_t bit = s % perRow * static_cast<std::size_t>(raw.bitDepth);
    if (raw.bitDepth == 16) {
      row[bit / 8] = static_cast<std::uint8_t>(raw.samples[s] >> 8);
      row[bit / 8 + 1] = static_cast<std::uint8_t>(raw.samples[s]);
    } else {
      row[bit / 8] |= static_cast<std::uint8_t>(raw.samples[s] << (8 - raw.bitDepth - bit % 8));
    }
  }
  std::vector<png_bytep> rows;
  for (std::size_t y = 0; y < height; ++y) {
    rows.push_back(data.data() + y * rowBytes);
  }
  std::vector<png_color> palette;
  for (const Color c : raw.palette) {
    palette.push_back({static_cast<png_byte>(redOf(c)), static_cast<png_byte>(greenOf(c)),
                       static_cast<png_byte>(blueOf(c))});
  }
  ByteArray png;
  png_structp writer = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(writer);
  png_set_write_fn(writer, &png, appendToBytes, flushNothing);
  const bool written = writeWithLibpng(writer, info, raw, palette.data(), rows.data());
  png_destroy_write_struct(&writer, &info);
  EXPECT_TRUE(written);
  return png;
}

}  // namespace tarvo::test
