#include "shell/rom_document.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iterator>

#include "shell/rom_locations.h"

namespace tarvo {

namespace {

// The whole file, or false when it cannot be read or holds more than any
// image this editor takes (then it is another file anyway).
bool readWhole(const std::string& path, ByteArray& bytes) {
  return readWholeFile(path, bytes, static_cast<std::size_t>(rom::kMaxImageSize));
}

}  // namespace

RomDocument::RomDocument(ByteArray& image) : image_(image), history_(image) {}

std::string RomDocument::fileName() const {
  return std::filesystem::path(path_).filename().string();
}

bool RomDocument::load(const std::string& path, std::string* reason) {
  ByteArray bytes;
  if (!read(path, bytes, reason)) {
    return false;
  }
  adopt(path, std::move(bytes));
  return true;
}

bool RomDocument::read(const std::string& path, ByteArray& bytes, std::string* reason) {
  return loadBinaryFile(path, bytes, reason) == 0;
}

void RomDocument::adopt(const std::string& path, ByteArray bytes) {
  if (bytes.size() == image_.size()) {
    std::copy(bytes.begin(), bytes.end(), image_.begin());  // the image keeps its storage
  } else {
    image_ = std::move(bytes);
  }
  path_ = path;
  fileBytes_ = image_;
  loadedBytes_ = image_;
  history_.clear();
}

bool RomDocument::takeOutsideChange(const ByteArray& bytes, const char* step) {
  if (bytes.size() != image_.size()) {
    return false;
  }
  {
    Edit edit(history_, step);
    std::copy(bytes.begin(), bytes.end(), image_.begin());
  }
  fileBytes_ = bytes;
  history_.markSaved();
  return true;
}

bool RomDocument::isHeaderlessDump(const ByteArray& bytes) {
  static constexpr std::uint8_t kMagic[] = {'N', 'E', 'S', 0x1A};
  return bytes.size() == static_cast<std::size_t>(rom::kHeaderlessDumpSize) &&
         !std::equal(std::begin(kMagic), std::end(kMagic), bytes.begin());
}

bool RomDocument::readHeaderlessDump(const std::string& path, ByteArray& bytes,
                                     std::string* reason) {
  ByteArray read;
  if (!readWholeFile(path, read, static_cast<std::size_t>(rom::kHeaderlessDumpSize), reason)) {
    return false;
  }
  if (!isHeaderlessDump(read)) {
    if (reason != nullptr) {
      *reason = "The file is not a headerless dump of the game";
    }
    return false;
  }
  bytes = std::move(read);
  return true;
}

void RomDocument::adoptWithHeader(const std::string& path, const ByteArray& dump) {
  ByteArray image(rom::kGameHeader.begin(), rom::kGameHeader.end());
  image.insert(image.end(), dump.begin(), dump.end());
  adopt(path, std::move(image));
  // What the file holds, and what a patch starts from, is the dump.
  fileBytes_ = dump;
  loadedBytes_ = dump;
  history_.markUnsaved();
}

bool RomDocument::save(std::string* reason) {
  if (path_.empty()) {
    return false;
  }
  history_.checkpoint();
  if (saveBinaryFile(path_, image_, reason) != 0) {
    return false;
  }
  // What the file holds now: the image, and any tail the save carried over.
  if (!readWhole(path_, fileBytes_)) {
    fileBytes_ = image_;
  }
  history_.markSaved();
  return true;
}

bool RomDocument::changedOnDisk() const {
  if (path_.empty()) {
    return false;
  }
  ByteArray now;
  return !readWhole(path_, now) || now != fileBytes_;
}

}  // namespace tarvo
