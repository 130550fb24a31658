#include "shell/rom_image.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

#include "shell/file_system.h"
#include "shell/rom_locations.h"

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

// Reasons never name the file: every caller already puts its name in front.

// An operating-system error in plain words.
std::string describeError(int error) {
  switch (error) {
    case ENOENT:
      return "No such file";
    case EACCES:
    case EPERM:
      return "Permission denied";
    case ENOSPC:
      return "The disk is full";
    case EDQUOT:
      return "The disk quota is used up";
    case EFBIG:
      return "The file is larger than this system lets a program write";
    case EROFS:
      return "The disk is read-only";
    case EIO:
      return "The disk reported a read or write error";
    case EISDIR:
      return "That is a folder, not a file";
    case ENOTDIR:
      return "A part of the path is not a folder";
    case ENAMETOOLONG:
      return "The file name is too long";
    case ELOOP:
      return "The path holds too many symbolic links";
    case EMFILE:
    case ENFILE:
      return "Too many files are open";
    case EBUSY:
    case ETXTBSY:
      return "The file is in use";
    default: {
      std::string text = std::generic_category().message(error);
      if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') {
        text[0] = static_cast<char>(text[0] - 'a' + 'A');
      }
      return text;
    }
  }
}

// Why `path` is not a regular file that can be loaded.
std::string notAFileReason(const fs::path& path) {
  if (path.empty()) {
    return "No file name was given";
  }
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (status.type() == fs::file_type::not_found) {
    return "No such file";
  }
  if (error) {
    return describeError(error.value());
  }
  if (status.type() == fs::file_type::directory) {
    return "It is a folder, not a file";
  }
  return "It is not a regular file";
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

// A name for the new file that is not taken yet, in the target's folder, and
// the file opened for writing. Hidden, so that a crash leaves no clutter in
// the user's view of the folder.
FileHandle createSibling(const fs::path& target, fs::path& created, int& error) {
  static std::uint64_t counter = 0;
  const std::uint64_t variant =
      static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(&counter)) ^
      static_cast<std::uint64_t>(fs::file_time_type::clock::now().time_since_epoch().count());
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::uint64_t x = variant + 0x9E3779B97F4A7C15ULL * ++counter;
    x ^= x >> 31;
    x *= 0xBF58476D1CE4E5B9ULL;
    x ^= x >> 29;
    std::array<char, 17> tag{};
    std::snprintf(tag.data(), tag.size(), "%016llx", static_cast<unsigned long long>(x));
    fs::path candidate =
        target.parent_path() / ('.' + target.filename().string() + "." + tag.data());
    errno = 0;
    // "x": fail rather than open a file that someone else created meanwhile.
    FileHandle file(std::fopen(candidate.c_str(), "wbx"));
    if (file) {
      created = std::move(candidate);
      return file;
    }
    if (errno != EEXIST) {
      error = errno;
      return nullptr;
    }
  }
  error = EEXIST;
  return nullptr;
}

bool writeAll(std::FILE* file, const std::uint8_t* data, std::size_t size, int& error) {
  while (size > 0) {
    errno = 0;
    const std::size_t written = std::fwrite(data, 1, size, file);
    if (written == 0) {
      error = errno != 0 ? errno : EIO;
      return false;
    }
    data += written;
    size -= written;
  }
  return true;
}

// Appends the bytes of `oldFile` from `from` on to `file`.
bool copyTail(const fs::path& oldFile, std::uintmax_t from, std::FILE* file, int& error) {
  errno = 0;
  FileHandle old(std::fopen(oldFile.c_str(), "rb"));
  if (!old || std::fseek(old.get(), static_cast<long>(from), SEEK_SET) != 0) {
    error = errno != 0 ? errno : EIO;
    return false;
  }
  std::array<std::uint8_t, kChunk> chunk{};
  for (;;) {
    const std::size_t got = std::fread(chunk.data(), 1, chunk.size(), old.get());
    if (got > 0 && !writeAll(file, chunk.data(), got, error)) {
      return false;
    }
    if (got < chunk.size()) {
      if (std::ferror(old.get()) != 0) {
        error = errno != 0 ? errno : EIO;
        return false;
      }
      return true;
    }
  }
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

std::int16_t readWholeFile(const std::string& path, ByteArray& bytes, std::size_t limit,
                           std::string* reason) {
  ByteArray read;
  const std::string shown = formatCount(static_cast<std::int64_t>(limit));
  auto tooLarge = [&](std::uintmax_t) { return "The file is larger than " + shown + " bytes"; };
  if (readCapped(path, limit, read, reason, tooLarge) != 0) {
    return 1;
  }
  bytes = std::move(read);
  return 0;
}

namespace {

// Why the new file could not be made beside `target`.
std::string siblingReason(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return "Its folder does not exist";
    case EACCES:
    case EPERM:
    case EROFS:
      return describeError(error) + ": its folder cannot be written to";
    default:
      return describeError(error);
  }
}

// Writes `buffer` to a new file beside `path` and renames it over `path`;
// with `keepTail`, bytes of the old file beyond the buffer's length follow.
// Until the rename the target is not touched, so any failure leaves it as it
// was.
std::int16_t replaceFile(const std::string& path, const ByteArray& buffer, bool keepTail,
                         std::string* reason) {
  // A file-size limit must fail the write, not kill the program mid-save.
  static const bool signalIgnored = [] {
    os::ignoreFileSizeSignal();
    return true;
  }();
  (void)signalIgnored;

  if (path.empty()) {
    return fail(reason, "No file name was given");
  }
  std::error_code error;
  fs::path target(path);
  // Save through a link into the file it names, keeping the link.
  if (fs::is_symlink(fs::symlink_status(target, error))) {
    target = fs::weakly_canonical(target, error);
    if (error) {
      return fail(reason, describeError(error.value()));
    }
  }
  const fs::file_status status = fs::status(target, error);
  const bool exists = status.type() != fs::file_type::not_found;
  if ((exists && !fs::is_regular_file(status)) || target.filename().empty()) {
    return fail(reason, notAFileReason(target));
  }
  // The file is replaced, not written in place: a file the user may not
  // write must not be replaced either.
  if (exists && !os::isWritable(target)) {
    return fail(reason, "The file is read-only");
  }
  std::uintmax_t oldSize = 0;
  if (exists && keepTail) {
    oldSize = fs::file_size(target, error);
    if (error) {
      return fail(reason, describeError(error.value()));
    }
  }

  fs::path temporary;
  int writeError = 0;
  FileHandle file = createSibling(target, temporary, writeError);
  if (!file) {
    return fail(reason, siblingReason(writeError));
  }
  auto abandon = [&](int cause) {
    file.reset();
    fs::remove(temporary, error);
    return fail(reason, describeError(cause != 0 ? cause : EIO));
  };
  // Unbuffered: a failed write is seen at once, never lost inside a buffer.
  std::setvbuf(file.get(), nullptr, _IONBF, 0);
  // Owner and permissions before the first byte, so that the contents are
  // never readable by anyone the old file kept out.
  if (exists && (writeError = os::copyOwnerAndMode(target, file.get())) != 0) {
    return abandon(writeError);
  }
  if (!writeAll(file.get(), buffer.data(), buffer.size(), writeError)) {
    return abandon(writeError);
  }
  if (oldSize > buffer.size() && !copyTail(target, buffer.size(), file.get(), writeError)) {
    return abandon(writeError);
  }
  if (std::fflush(file.get()) != 0 || std::ferror(file.get()) != 0) {
    return abandon(errno);
  }
  if ((writeError = os::syncToDisk(file.get())) != 0) {
    return abandon(writeError);
  }
  const auto expected = static_cast<std::int64_t>(std::max<std::uintmax_t>(oldSize, buffer.size()));
  if (os::openFileSize(file.get()) != expected) {
    return abandon(EIO);
  }
  errno = 0;
  if (std::fclose(file.release()) != 0) {
    writeError = errno;
    fs::remove(temporary, error);
    return fail(reason, describeError(writeError != 0 ? writeError : EIO));
  }
  fs::rename(temporary, target, error);
  if (error) {
    writeError = error.value();
    fs::remove(temporary, error);
    return fail(reason, describeError(writeError));
  }
  os::syncFolder(target.parent_path().empty() ? fs::path(".") : target.parent_path());
  return 0;
}

}  // namespace

std::int16_t saveBinaryFile(const std::string& path, const ByteArray& buffer, std::string* reason) {
  return replaceFile(path, buffer, true, reason);
}

std::int16_t writeWholeFile(const std::string& path, const ByteArray& bytes, std::string* reason) {
  return replaceFile(path, bytes, false, reason);
}

}  // namespace tarvo
