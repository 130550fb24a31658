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

bool decodePng(const ByteArray& png, DecodedImage& decoded, std::string* reason,
               std::size_t maxPixels) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  auto fail = [&](const char* what) {
    if (reason != nullptr) {
      *reason = std::string(what) + " (" + image.message + ")";
    }
    png_image_free(&image);
    return false;
  };
  if (png_image_begin_read_from_memory(&image, png.data(), png.size()) == 0) {
    return fail("This is no PNG image");
  }
  decoded.width = static_cast<int>(image.width);
  decoded.height = static_cast<int>(image.height);
  const std::size_t pixels = static_cast<std::size_t>(image.width) * image.height;
  // The header alone may claim any size: refuse before allocating for it.
  if (pixels > maxPixels) {
    if (reason != nullptr) {
      *reason = "The picture is " + std::to_string(image.width) + " x " +
                std::to_string(image.height) + " pixels, too large";
    }
    png_image_free(&image);
    return false;
  }
  decoded.indexed = (image.format & PNG_FORMAT_FLAG_COLORMAP) != 0;
  if (decoded.indexed) {
    // A palette file is read as its own indices, in the file's palette order.
    image.format = PNG_FORMAT_RGBA_COLORMAP;
    std::vector<std::uint8_t> colormap(PNG_IMAGE_COLORMAP_SIZE(image));
    decoded.indices.assign(pixels, 0);
    if (png_image_finish_read(&image, nullptr, decoded.indices.data(), 0, colormap.data()) == 0) {
      return fail("The PNG image is damaged");
    }
    decoded.colours.clear();
    decoded.alpha.clear();
    return true;
  }
  image.format = PNG_FORMAT_RGBA;
  std::vector<std::uint8_t> rgba(PNG_IMAGE_SIZE(image));
  if (png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr) == 0) {
    return fail("The PNG image is damaged");
  }
  decoded.indices.clear();
  decoded.colours.resize(pixels);
  decoded.alpha.resize(pixels);
  for (std::size_t i = 0; i < pixels; ++i) {
    decoded.colours[i] = rgb(rgba[i * 4], rgba[i * 4 + 1], rgba[i * 4 + 2]);
    decoded.alpha[i] = rgba[i * 4 + 3];
  }
  return true;
}

}  // namespace tarvo
