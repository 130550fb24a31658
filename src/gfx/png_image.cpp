#include "gfx/png_image.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

namespace tarvo {

bool encodePng(const Surface& surface, ByteArray& png, std::string* reason) {
  const auto width = static_cast<std::size_t>(surface.width());
  const auto height = static_cast<std::size_t>(surface.height());
  std::vector<std::uint8_t> rgb(width * height * 3);
  for (std::size_t i = 0; i < width * height; ++i) {
    const Color c = surface.pixels()[i];
    rgb[i * 3] = static_cast<std::uint8_t>(redOf(c));
    rgb[i * 3 + 1] = static_cast<std::uint8_t>(greenOf(c));
    rgb[i * 3 + 2] = static_cast<std::uint8_t>(blueOf(c));
  }

  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGB;
  png_alloc_size_t size = 0;
  // The first call measures, the second writes.
  if (png_image_write_to_memory(&image, nullptr, &size, 0, rgb.data(), 0, nullptr) != 0) {
    png.resize(size);
    if (png_image_write_to_memory(&image, png.data(), &size, 0, rgb.data(), 0, nullptr) != 0) {
      png.resize(size);
      return true;
    }
  }
  if (reason != nullptr) {
    *reason = std::string("The PNG encoder failed: ") + image.message;
  }
  png_image_free(&image);
  return false;
}

bool encodeIndexedPng(int width, int height, const std::vector<std::uint8_t>& indices,
                      const std::vector<Color>& palette, ByteArray& png, std::string* reason) {
  std::vector<std::uint8_t> colormap;
  for (const Color c : palette) {
    colormap.push_back(static_cast<std::uint8_t>(redOf(c)));
    colormap.push_back(static_cast<std::uint8_t>(greenOf(c)));
    colormap.push_back(static_cast<std::uint8_t>(blueOf(c)));
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGB_COLORMAP;
  image.colormap_entries = static_cast<png_uint_32>(palette.size());
  png_alloc_size_t size = 0;
  if (png_image_write_to_memory(&image, nullptr, &size, 0, indices.data(), 0, colormap.data()) !=
      0) {
    png.resize(size);
    if (png_image_write_to_memory(&image, png.data(), &size, 0, indices.data(), 0,
                                  colormap.data()) != 0) {
      png.resize(size);
      return true;
    }
  }
  if (reason != nullptr) {
    *reason = std::string("The PNG encoder failed: ") + image.message;
  }
  png_image_free(&image);
  return false;
}

namespace {

// What the callbacks share with decodePng. libpng leaves a callback through
// longjmp, so this holds plain data only.
struct ReadState {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t position;
  char message[160];
};

void readFromMemory(png_structp png, png_bytep out, std::size_t length) {
  auto* state = static_cast<ReadState*>(png_get_io_ptr(png));
  if (length > state->size - state->position) {
    png_error(png, "the file ends early");
  }
  std::memcpy(out, state->data + state->position, length);
  state->position += length;
}

[[noreturn]] void onError(png_structp png, png_const_charp message) {
  auto* state = static_cast<ReadState*>(png_get_error_ptr(png));
  std::snprintf(state->message, sizeof state->message, "%s", message);
  png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

// A libpng call that fails ends in png_error, which comes back to the setjmp
// of one of these two through longjmp, skipping whatever lies between: so
// neither of them, nor the callbacks above, makes anything with a destructor.

bool readHeader(png_structp png, png_infop info) {
  if (setjmp(png_jmpbuf(png)) != 0) {
    return false;
  }
  png_read_info(png, info);
  return true;
}

// Reads every pixel into `rows`, each `rowBytes` long: of a palette picture
// its palette index, one byte; of any other picture 8-bit RGBA, the samples
// as the file stores them, with no gamma or colour-space conversion and of a
// 16-bit sample the high byte.
bool readPixels(png_structp png, png_infop info, png_bytepp rows, std::size_t rowBytes) {
  if (setjmp(png_jmpbuf(png)) != 0) {
    return false;
  }
  const png_byte colourType = png_get_color_type(png, info);
  if (colourType == PNG_COLOR_TYPE_PALETTE) {
    // Looked up afterwards: libpng would give an index past the end of the
    // palette the colour black.
    png_set_packing(png);
  } else {
    png_set_expand(png);  // grey to 8 bits, tRNS to alpha
    if (png_get_bit_depth(png, info) == 16) {
      png_set_strip_16(png);
    }
    if ((colourType & PNG_COLOR_MASK_COLOR) == 0) {
      png_set_gray_to_rgb(png);
    }
    if ((colourType & PNG_COLOR_MASK_ALPHA) == 0 && png_get_valid(png, info, PNG_INFO_tRNS) == 0) {
      png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    }
  }
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_bit_depth(png, info) != 8 || png_get_rowbytes(png, info) != rowBytes) {
    png_error(png, "the pixels come out in another layout");
  }
  png_read_image(png, rows);
  return true;
}

// Owns libpng's reader.
class Reader {
 public:
  explicit Reader(ReadState& state)
      : png_(png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, onError, onWarning)),
        info_(png_ != nullptr ? png_create_info_struct(png_) : nullptr) {
    if (png_ != nullptr) {
      png_set_read_fn(png_, &state, readFromMemory);
    }
  }
  ~Reader() { png_destroy_read_struct(&png_, &info_, nullptr); }
  Reader(const Reader&) = delete;
  Reader& operator=(const Reader&) = delete;

  bool started() const { return info_ != nullptr; }
  png_structp png() const { return png_; }
  png_infop info() const { return info_; }

 private:
  png_structp png_;
  png_infop info_;
};

}  // namespace

bool decodePng(const ByteArray& bytes, DecodedImage& decoded, std::string* reason,
               std::size_t maxPixels) {
  auto fail = [&](std::string text) {
    if (reason != nullptr) {
      *reason = std::move(text);
    }
    return false;
  };
  if (bytes.size() < 8 || png_sig_cmp(bytes.data(), 0, 8) != 0) {
    return fail("This is no PNG image");
  }
  ReadState state{bytes.data(), bytes.size(), 0, {}};
  Reader reader(state);
  if (!reader.started()) {
    return fail("The PNG reader could not start");
  }
  if (!readHeader(reader.png(), reader.info())) {
    return fail(std::string("The PNG image is damaged (") + state.message + ")");
  }
  const png_uint_32 width = png_get_image_width(reader.png(), reader.info());
  const png_uint_32 height = png_get_image_height(reader.png(), reader.info());
  decoded.width = static_cast<int>(width);
  decoded.height = static_cast<int>(height);
  const std::size_t pixels = std::size_t{width} * height;
  // The header alone may claim any size: refuse before allocating for it.
  if (pixels > maxPixels) {
    return fail("The picture is " + std::to_string(width) + " x " + std::to_string(height) +
                " pixels, too large");
  }
  const bool paletted = png_get_color_type(reader.png(), reader.info()) == PNG_COLOR_TYPE_PALETTE;
  const std::size_t rowBytes = std::size_t{width} * (paletted ? 1 : 4);
  std::vector<std::uint8_t> data(rowBytes * height);
  std::vector<png_bytep> rows(height);
  for (std::size_t y = 0; y < height; ++y) {
    rows[y] = data.data() + y * rowBytes;
  }
  if (!readPixels(reader.png(), reader.info(), rows.data(), rowBytes)) {
    return fail(std::string("The PNG image is damaged (") + state.message + ")");
  }
  std::vector<Color> colours(pixels);
  std::vector<std::uint8_t> alpha(pixels);
  if (paletted) {
    png_colorp entries = nullptr;
    int count = 0;
    png_get_PLTE(reader.png(), reader.info(), &entries, &count);
    png_bytep entryAlpha = nullptr;
    int alphaCount = 0;
    png_get_tRNS(reader.png(), reader.info(), &entryAlpha, &alphaCount, nullptr);
    for (std::size_t i = 0; i < pixels; ++i) {
      const int entry = data[i];
      if (entry >= count) {
        return fail("The PNG image is damaged (a pixel uses an entry past the end of the palette)");
      }
      colours[i] = rgb(entries[entry].red, entries[entry].green, entries[entry].blue);
      alpha[i] = entry < alphaCount ? entryAlpha[entry] : 255;
    }
  } else {
    for (std::size_t i = 0; i < pixels; ++i) {
      colours[i] = rgb(data[i * 4], data[i * 4 + 1], data[i * 4 + 2]);
      alpha[i] = data[i * 4 + 3];
    }
  }
  decoded.colours = std::move(colours);
  decoded.alpha = std::move(alpha);
  if (paletted) {
    data.resize(pixels);
    decoded.paletteIndices = std::move(data);
  } else {
    decoded.paletteIndices.clear();
  }
  return true;
}

}  // namespace tarvo
