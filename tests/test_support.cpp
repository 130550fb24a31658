#include "test_support.h"

#include <grp.h>
#include <png.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace tarvo::test {

namespace fs = std::filesystem;

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "tarvo-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    throw std::runtime_error("cannot create a scratch folder");
  }
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code error;
  // Folders a test made read-only must be opened up again to be removed.
  for (auto it = fs::recursive_directory_iterator(path_, error);
       it != fs::recursive_directory_iterator(); it.increment(error)) {
    if (it->is_directory(error)) {
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
    }
  }
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, error);
  fs::remove_all(path_, error);
}

ByteArray randomBytes(std::size_t size, std::uint32_t variant) {
  std::mt19937 generator(variant);  // the engine's output is fixed by the standard
  ByteArray bytes(size);
  for (auto& byte : bytes) {
    byte = static_cast<std::uint8_t>(generator() >> 24);
  }
  return bytes;
}

void writeFile(const fs::path& path, const ByteArray& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) {
    throw std::runtime_error("cannot write " + path.string());
  }
}

ByteArray readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    throw std::runtime_error("cannot read " + path.string());
  }
  return ByteArray(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> listFolder(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool decodePng(const ByteArray& png, DecodedPng& decoded) {
  static constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (png.size() < 33 || !std::equal(kSignature, kSignature + 8, png.begin())) {
    return false;
  }
  decoded.bitDepth = png[24];  // the IHDR chunk follows the signature
  decoded.colourType = png[25];
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_memory(&image, png.data(), png.size()) == 0) {
    return false;
  }
  image.format = PNG_FORMAT_RGB;
  std::vector<std::uint8_t> rgb(PNG_IMAGE_SIZE(image));
  if (png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr) == 0) {
    return false;
  }
  if (decoded.colourType == 3) {
    png_image indexed{};
    indexed.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_memory(&indexed, png.data(), png.size()) == 0) {
      return false;
    }
    indexed.format = PNG_FORMAT_RGB_COLORMAP;
    std::vector<std::uint8_t> colormap(PNG_IMAGE_COLORMAP_SIZE(indexed));
    decoded.indices.resize(PNG_IMAGE_SIZE(indexed));
    if (png_image_finish_read(&indexed, nullptr, decoded.indices.data(), 0, colormap.data()) == 0) {
      return false;
    }
  }
  decoded.width = static_cast<int>(image.width);
  decoded.height = static_cast<int>(image.height);
  decoded.pixels.resize(static_cast<std::size_t>(decoded.width) * decoded.height);
  for (std::size_t i = 0; i < decoded.pixels.size(); ++i) {
    decoded.pixels[i] = rgb[i * 3] | rgb[i * 3 + 1] << 8 | rgb[i * 3 + 2] << 16;
  }
  return true;
}

DiskState diskState(const fs::path& folder) {
  DiskState state;
  for (const auto& item : fs::recursive_directory_iterator(folder)) {
    const fs::file_type type = fs::symlink_status(item.path()).type();
    state[fs::relative(item.path(), folder).string()] = {
        type, type == fs::file_type::regular ? readFile(item.path()) : ByteArray{}};
  }
  return state;
}

bool runningAsRoot() {
  return ::geteuid() == 0;
}

int runAsNobody(const std::function<int()>& body) {
  constexpr uid_t kNobody = 65534;
  const pid_t child = ::fork();
  if (child < 0) {
    return -1;
  }
  if (child == 0) {
    if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
      ::_exit(255);
    }
    ::_exit(body());
  }
  int status = 0;
  if (::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) == 255) {
    return -1;
  }
  return WEXITSTATUS(status);
}

}  // namespace tarvo::test
