#include "shell/rom_image.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <new>
#include <random>
#include <system_error>
#include <vector>

#include "shell/file_reasons.h"
#include "shell/file_system.h"
#include "shell/rom_locations.h"
#include "shell/safe_save.h"

namespace tarvo {

ByteArray romImage(1, 0);

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kChunk = 64 * 1024;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

std::int16_t fail(std::string* reason, std::string text) {
  if (reason != nullptr) {
    *reason = std::move(text);
  }
  return 1;
}

std::string sizeReason(std::uintmax_t size) {
  const std::string least = formatCount(rom::kMinImageSize);
  const std::string most = formatCount(rom::kMaxImageSize);
  const std::string found = formatCount(static_cast<std::int64_t>(size));
  if (size == 0) {
    return "The file is empty; a ROM image for this editor has at least " + least + " bytes";
  }
  if (size < static_cast<std::uintmax_t>(rom::kMinImageSize)) {
    return "The file is " + found + " bytes; a ROM image for this editor has at least " + least +
           " bytes";
  }
  return "The file is " + found + " bytes; a ROM image for this editor has at most " + most +
         " bytes";
}

bool sizeAccepted(std::uintmax_t size) {
  return size >= static_cast<std::uintmax_t>(rom::kMinImageSize) &&
         size <= static_cast<std::uintmax_t>(rom::kMaxImageSize);
}

// Reads the whole regular file at `path` into `out`, refusing one that holds
// more than `limit` bytes, by its size or by what reading it gives (it may
// grow meanwhile); `tooLarge` words that refusal for the size found. What is
// opened is checked again after the look by name: the name may have been
// given to a pipe or a folder since, and a pipe must not hang the program.
template <typename TooLarge>
std::int16_t readCapped(const std::string& path, std::size_t limit, ByteArray& out,
                        std::string* reason, const TooLarge& tooLarge) {
  if (!fileExists(path)) {
    return fail(reason, notAFileReason(path));
  }
  int openError = 0;
  bool notRegular = false;
  std::uintmax_t size = 0;
  FileHandle file(os::openRegularFile(path, openError, notRegular, size));
  if (!file) {
    return fail(reason, notRegular ? notAFileReason(path) : describeError(openError));
  }
  if (size > limit) {
    return fail(reason, tooLarge(size));
  }
  out.clear();
  out.reserve(static_cast<std::size_t>(size));
  std::array<std::uint8_t, kChunk> chunk{};
  for (;;) {
    errno = 0;
    const std::size_t got = std::fread(chunk.data(), 1, chunk.size(), file.get());
    out.insert(out.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(got));
    if (out.size() > limit) {
      return fail(reason, tooLarge(out.size()));
    }
    if (got < chunk.size()) {
      if (std::ferror(file.get()) != 0) {
        return fail(reason, describeError(errno != 0 ? errno : EIO));
      }
      return 0;
    }
  }
}

}  // namespace

void readBytes(const ByteArray& image, std::int64_t offset, std::uint8_t* out, std::size_t length) {
  const auto size = static_cast<std::int64_t>(image.size());
  const auto count = static_cast<std::int64_t>(length);
  if (offset >= 0 && offset <= size - count) {
    std::copy_n(image.data() + offset, length, out);
    return;
  }
  for (std::int64_t i = 0; i < count; ++i) {
    out[i] = romByte(image, offset + i);
  }
}

std::string formatCount(std::int64_t value) {
  // The magnitude in unsigned arithmetic: -INT64_MIN does not fit an int64_t.
  const std::uint64_t magnitude =
      value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  const std::string digits = std::to_string(magnitude);
  // Built by appending: GCC 12 warns falsely (-Wrestrict) on insert() here
  // once the function is inlined with a constant.
  std::string grouped;
  if (value < 0) {
    grouped += '-';
  }
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) {
      grouped += ',';
    }
    grouped += digits[i];
  }
  return grouped;
}

bool fileExists(const std::string& path) {
  if (path.empty()) {
    return false;
  }
  std::error_code error;
  return fs::is_regular_file(fs::path(path), error);
}

std::int16_t loadBinaryFile(const std::string& path, ByteArray& buffer, std::string* reason) {
  // Read into a buffer of our own: the caller's image changes only when the
  // whole file has been read and accepted.
  ByteArray loaded;
  auto tooLarge = [&](std::uintmax_t size) { return sizeReason(size); };
  if (readCapped(path, static_cast<std::size_t>(rom::kMaxImageSize), loaded, reason, tooLarge) !=
      0) {
    return 1;
  }
  if (!sizeAccepted(loaded.size())) {
    return fail(reason, sizeReason(loaded.size()));
  }
  if (loaded.size() == buffer.size()) {
    std::copy(loaded.begin(), loaded.end(), buffer.begin());
  } else {
    buffer = std::move(loaded);
  }
  return 0;
}

bool readWholeFile(const std::string& path, ByteArray& bytes, std::size_t limit,
                   std::string* reason) {
  ByteArray read;
  const std::string shown = formatCount(static_cast<std::int64_t>(limit));
  auto tooLarge = [&](std::uintmax_t) { return "The file is larger than " + shown + " bytes"; };
  if (readCapped(path, limit, read, reason, tooLarge) != 0) {
    return false;
  }
  bytes = std::move(read);
  return true;
}

std::int16_t saveBinaryFile(const std::string& path, const ByteArray& buffer, std::string* reason) {
  return saveSafely(path, buffer, true, reason) ? 0 : 1;
}

bool writeWholeFile(const std::string& path, const ByteArray& bytes, std::string* reason) {
  return saveSafely(path, bytes, false, reason);
}

}  // namespace tarvo
