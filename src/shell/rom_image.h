// The ROM image in memory and the whole-file operations on it.
#pragma once

#include <cstdint>
#include <string>

#include "gfx/bytes.h"

namespace tarvo {

// The ROM image being edited, shared by both windows and the drawing code,
// indexed by file offset. Holds one zero byte until the first load.
extern ByteArray romImage;

// Reads the whole file at `path` into `buffer`. Returns 0 when loaded, 1 when
// not. The buffer changes only on success: the file is read into a buffer of
// its own first, and a file of the wrong size (see rom::kMinImageSize and
// rom::kMaxImageSize) is refused. A buffer of the file's length keeps its
// storage. On failure `reason`, when given, receives the cause in plain words.
std::int16_t loadBinaryFile(const std::string& path, ByteArray& buffer,
                            std::string* reason = nullptr);

// Writes `buffer` to `path` and returns 0, or 1 on failure. Bytes of the old
// file beyond the buffer's length are carried over. A symbolic link is
// followed to the file at the end of its chain, which is made when missing;
// the links stay. Where a new file can take the old one's place and be what
// it was (the folder takes new files, the file has no other name, its owner
// and group can be kept), the bytes go to a new file in the same folder that
// is flushed to disk and renamed over the old one. Otherwise the file is
// written in place, with its old bytes written back if that fails. Either
// way a failed save leaves the file as it was, and a save cut short leaves
// no file behind once the next save of the same file is done.
std::int16_t saveBinaryFile(const std::string& path, const ByteArray& buffer,
                            std::string* reason = nullptr);

// Reads a whole file of at most `limit` bytes that is not a ROM image (a
// picture, a patch). Returns false with the reason on failure; `bytes`
// changes only on success.
bool readWholeFile(const std::string& path, ByteArray& bytes, std::size_t limit,
                   std::string* reason = nullptr);

// Like saveBinaryFile, for files the program makes whole (pictures, patches):
// the file ends up holding exactly `bytes`, nothing of the old file is kept.
// Returns false with the reason on failure.
bool writeWholeFile(const std::string& path, const ByteArray& bytes, std::string* reason = nullptr);

// True when `path` names a regular file (after following links), hidden or
// not. The path is taken literally: '*' and '?' are characters of the name.
bool fileExists(const std::string& path);

// The byte at `offset` of `image`, or 0 for an offset outside it.
inline std::uint8_t romByte(const ByteArray& image, std::int64_t offset) {
  return offset >= 0 && offset < static_cast<std::int64_t>(image.size())
             ? image[static_cast<std::size_t>(offset)]
             : 0;
}

// Copies `length` bytes from `offset` of `image` to `out`; bytes outside the
// image are 0.
void readBytes(const ByteArray& image, std::int64_t offset, std::uint8_t* out, std::size_t length);

// "1,024" for 1024: byte counts as the messages show them.
std::string formatCount(std::int64_t value);

}  // namespace tarvo
