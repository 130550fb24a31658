// Helpers shared by the core's tests: scratch folders, files and test data.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "gfx/colors.h"
#include "shell/rom_image.h"

namespace tarvo::test {

// A fresh folder under the system's temporary folder, removed with everything
// in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// `size` pseudo-random bytes, the same for the same variant.
ByteArray randomBytes(std::size_t size, std::uint32_t variant);

void writeFile(const std::filesystem::path& path, const ByteArray& bytes);
ByteArray readFile(const std::filesystem::path& path);

// Names in `folder`, sorted, hidden ones included.
std::vector<std::string> listFolder(const std::filesystem::path& folder);

// Everything under a folder: each entry's type and, for regular files, its
// bytes, by path relative to the folder. Links are not followed.
struct DiskEntry {
  std::filesystem::file_type type;
  ByteArray bytes;
  bool operator==(const DiskEntry&) const = default;
};
using DiskState = std::map<std::string, DiskEntry>;
DiskState diskState(const std::filesystem::path& folder);

bool runningAsRoot();

// A PNG file read back with libpng, independently of the program's encoder.
struct DecodedPng {
  int width = 0;
  int height = 0;
  int bitDepth = 0;                   // as the file's header says
  int colourType = 0;                 // 2 = RGB, 3 = indexed, 6 = RGBA
  std::vector<Color> pixels;          // row-major, 0x00BBGGRR
  std::vector<std::uint8_t> indices;  // an indexed file's palette indices
};
bool decodePng(const ByteArray& png, DecodedPng& decoded);

// Runs `body` in a child process under the unprivileged user "nobody" and
// returns what it returned, or -1 when the child could not be started or
// could not drop its privileges. Only for a process running as root.
int runAsNobody(const std::function<int()>& body);

}  // namespace tarvo::test
