// IPS patches: records of bytes or of one repeated byte at 24-bit offsets,
// an end marker and an optional size that shortens the file.
#include "shell/patch_formats.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

namespace tarvo::patch_detail {

namespace {

constexpr std::string_view kIpsEnd = "EOF";
// A record at this offset would begin with the bytes "EOF" and end the patch.
constexpr std::size_t kIpsEofOffset = 0x454F46;
constexpr std::size_t kIpsMaxOffset = 0xFFFFFF;
constexpr std::size_t kIpsMaxRecord = 0xFFFF;
// Runs of one byte at least this long go into a record of their own that
// states the byte once; shorter ones cost less written out.
constexpr std::size_t kIpsRunAtEdge = 9;
constexpr std::size_t kIpsRunInside = 14;
// Unchanged stretches at most this long are written over rather than
// starting a new record, which would cost its 5-byte header.
constexpr std::size_t kIpsMaxGap = 5;

class IpsWriter {
 public:
  explicit IpsWriter(const ByteArray& edited) : edited_(edited) {
    patch_.insert(patch_.end(), kIpsMagic.begin(), kIpsMagic.end());
  }

  // Writes edited bytes [start, end) as plain records.
  void literal(std::size_t start, std::size_t end) {
    while (start < end) {
      if (start == kIpsEofOffset) {
        --start;  // rewrite the byte before, which is already right
      }
      const std::size_t size = std::min(end - start, kIpsMaxRecord);
      header(start, size);
      patch_.insert(patch_.end(), edited_.begin() + static_cast<std::ptrdiff_t>(start),
                    edited_.begin() + static_cast<std::ptrdiff_t>(start + size));
      start += size;
    }
  }

  // Writes `length` copies of edited byte `start` from `start` on.
  void run(std::size_t start, std::size_t length) {
    const std::uint8_t value = edited_[start];
    const std::size_t end = start + length;
    while (start < end) {
      if (start == kIpsEofOffset) {
        literal(start, start + 1);
        ++start;
        continue;
      }
      const std::size_t size = std::min(end - start, kIpsMaxRecord);
      header(start, 0);
      put(size >> 8);
      put(size);
      put(value);
      start += size;
    }
  }

  ByteArray finish(bool truncate, std::size_t size) {
    patch_.insert(patch_.end(), kIpsEnd.begin(), kIpsEnd.end());
    if (truncate) {
      put(size >> 16);
      put(size >> 8);
      put(size);
    }
    return std::move(patch_);
  }

 private:
  void put(std::size_t byte) { patch_.push_back(static_cast<std::uint8_t>(byte & 0xFF)); }

  void header(std::size_t offset, std::size_t size) {
    put(offset >> 16);
    put(offset >> 8);
    put(offset);
    put(size >> 8);
    put(size);
  }

  const ByteArray& edited_;
  ByteArray patch_;
};

// Writes the changed stretch [start, end) of `edited`, long runs of one byte
// as run records.
void writeIpsStretch(IpsWriter& writer, const ByteArray& edited, std::size_t start,
                     std::size_t end) {
  std::size_t pending = start;
  std::size_t at = start;
  while (at < end) {
    std::size_t runEnd = at + 1;
    while (runEnd < end && edited[runEnd] == edited[at]) {
      ++runEnd;
    }
    const std::size_t length = runEnd - at;
    const bool atEdge = at == start || runEnd == end;
    if (length >= (atEdge ? kIpsRunAtEdge : kIpsRunInside)) {
      writer.literal(pending, at);
      writer.run(at, length);
      pending = runEnd;
    }
    at = runEnd;
  }
  writer.literal(pending, end);
}

}  // namespace

bool makeIps(const ByteArray& original, const ByteArray& edited, ByteArray& patch,
             std::string* reason) {
  const auto changed = [&](std::size_t at) {
    return at >= original.size() || original[at] != edited[at];
  };
  if (edited.size() < original.size() && edited.size() > kIpsMaxOffset) {
    return fail(reason, "An IPS patch can shorten a file to at most " + count(kIpsMaxOffset) +
                            " bytes, not " + count(edited.size()) + "; make a BPS patch instead");
  }
  for (std::size_t at = kIpsMaxOffset + 1; at < edited.size(); ++at) {
    if (changed(at)) {
      return fail(reason, "An IPS patch reaches no further than 16 MiB (offset " +
                              hex(kIpsMaxOffset, 6) + "), and the files differ at offset " +
                              hex(at, 6) + "; make a BPS patch instead");
    }
  }

  IpsWriter writer(edited);
  std::size_t at = 0;
  while (at < edited.size()) {
    if (!changed(at)) {
      ++at;
      continue;
    }
    const std::size_t start = at;
    std::size_t end = at + 1;
    for (;;) {
      while (end < edited.size() && changed(end)) {
        ++end;
      }
      // Take in a short unchanged gap when more changes follow it.
      std::size_t next = end;
      while (next < edited.size() && next - end <= kIpsMaxGap && !changed(next)) {
        ++next;
      }
      if (next < edited.size() && next - end <= kIpsMaxGap && next > end) {
        end = next;
        continue;
      }
      break;
    }
    writeIpsStretch(writer, edited, start, end);
    at = end;
  }
  patch = writer.finish(edited.size() < original.size(), edited.size());
  return true;
}

bool applyIps(const ByteArray& patch, const ByteArray& source, ByteArray& result,
              std::string* reason) {
  ByteArray target = source;
  std::size_t pos = kIpsMagic.size();
  const std::size_t size = patch.size();
  for (;;) {
    if (size - pos < 3) {
      return fail(reason, "The patch is cut short (its end marker \"EOF\" is missing)");
    }
    if (std::equal(kIpsEnd.begin(), kIpsEnd.end(), patch.begin() + static_cast<std::ptrdiff_t>(pos),
                   [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; })) {
      pos += 3;
      break;
    }
    const std::size_t offset =
        (std::size_t{patch[pos]} << 16) | (std::size_t{patch[pos + 1]} << 8) | patch[pos + 2];
    pos += 3;
    if (size - pos < 2) {
      return fail(reason, "The patch is cut short (the record for offset " + hex(offset, 6) +
                              " is incomplete)");
    }
    std::size_t length = (std::size_t{patch[pos]} << 8) | patch[pos + 1];
    pos += 2;
    const bool isRun = length == 0;
    if (isRun) {
      if (size - pos < 3) {
        return fail(reason, "The patch is cut short (the run record for offset " + hex(offset, 6) +
                                " is incomplete)");
      }
      length = (std::size_t{patch[pos]} << 8) | patch[pos + 1];
    } else if (size - pos < length) {
      return fail(reason, "The patch is cut short (the record for offset " + hex(offset, 6) +
                              " holds " + count(length) + " bytes, but only " + count(size - pos) +
                              " remain)");
    }
    if (length == 0) {
      pos += 3;  // a run of no bytes changes nothing, nor the file's size
      continue;
    }
    if (offset + length > kMaxResultSize) {
      return fail(reason, tooLargeReason(offset + length));
    }
    if (target.size() < offset + length) {
      target.resize(offset + length, 0);
    }
    const auto dest = target.begin() + static_cast<std::ptrdiff_t>(offset);
    if (isRun) {
      std::fill_n(dest, length, patch[pos + 2]);
      pos += 3;
    } else {
      std::copy_n(patch.begin() + static_cast<std::ptrdiff_t>(pos), length, dest);
      pos += length;
    }
  }
  const std::size_t rest = size - pos;
  if (rest == 1 || rest == 2) {
    return fail(reason,
                "The patch is cut short (the file size after its end marker is "
                "incomplete)");
  }
  if (rest > 3) {
    return fail(reason, "The patch is damaged (" + count(rest) +
                            " bytes follow its end marker, where only a 3-byte file size may)");
  }
  if (rest == 3) {
    // The file size after the end marker shortens the file; it never lengthens it.
    const std::size_t truncated =
        (std::size_t{patch[pos]} << 16) | (std::size_t{patch[pos + 1]} << 8) | patch[pos + 2];
    if (truncated < target.size()) {
      target.resize(truncated);
    }
  }
  result = std::move(target);
  return true;
}

}  // namespace tarvo::patch_detail
