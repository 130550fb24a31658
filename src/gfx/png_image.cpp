#include "gfx/png_image.h"

#include <png.h>

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

}  // namespace tarvo
