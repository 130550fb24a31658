#include "shell/patches.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <string_view>

#include "shell/rom_locations.h"

namespace tarvo {

namespace {

// No patch may make a file larger than the editor's largest ROM image. This
// also keeps a damaged size field from asking for gigabytes of memory.
constexpr std::size_t kMaxResultSize = static_cast<std::size_t>(rom::kMaxImageSize);

bool fail(std::string* reason, std::string text) {
  if (reason != nullptr) {
    *reason = std::move(text);
  }
  return false;
}

std::string hex(std::uint64_t value, int digits) {
  std::array<char, 24> text{};
  std::snprintf(text.data(), text.size(), "0x%0*llX", digits,
                static_cast<unsigned long long>(value));
  return text.data();
}

std::string count(std::size_t value) {
  return formatCount(static_cast<std::int64_t>(value));
}

bool startsWith(const ByteArray& bytes, std::string_view prefix) {
  return bytes.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), bytes.begin(),
                    [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; });
}

// True when `bytes` is a proper beginning of `magic` (a patch cut short
// before its first bytes were complete).
bool isPrefixOf(const ByteArray& bytes, std::string_view magic) {
  return !bytes.empty() && bytes.size() < magic.size() &&
         std::equal(bytes.begin(), bytes.end(), magic.begin(),
                    [](std::uint8_t a, char b) { return a == static_cast<std::uint8_t>(b); });
}

std::uint32_t crc32Of(const std::uint8_t* data, std::size_t size) {
  uLong crc = crc32(0L, Z_NULL, 0);
  constexpr std::size_t kBlock = 1u << 30;  // crc32 takes an unsigned int length
  while (size > 0) {
    const std::size_t block = std::min(size, kBlock);
    crc = crc32(crc, data, static_cast<uInt>(block));
    data += block;
    size -= block;
  }
  return static_cast<std::uint32_t>(crc);
}

std::uint32_t crc32Of(const ByteArray& bytes) {
  return crc32Of(bytes.data(), bytes.size());
}

std::string tooLargeReason(std::uint64_t size) {
  const auto shown = static_cast<std::int64_t>(
      std::min<std::uint64_t>(size, std::numeric_limits<std::int64_t>::max()));
  return "The patched file would be " + formatCount(shown) +
         " bytes; a ROM image for this editor has at most " + count(kMaxResultSize) + " bytes";
}

// ---------------------------------------------------------------------------
// IPS

constexpr std::string_view kIpsMagic = "PATCH";
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

// ---------------------------------------------------------------------------
// BPS

constexpr std::string_view kBpsMagic = "BPS1";
constexpr std::size_t kBpsFooter = 12;  // three CRC32s
// Matching stretches shorter than this inside a changed area cost more as an
// action of their own than written out.
constexpr std::size_t kBpsMinMatch = 4;
// Runs of one byte at least this long are written once and copied on.
constexpr std::size_t kBpsMinRun = 8;

enum BpsAction : std::uint64_t {
  kSourceRead = 0,
  kTargetRead = 1,
  kSourceCopy = 2,
  kTargetCopy = 3
};

void putBpsNumber(ByteArray& out, std::uint64_t value) {
  for (;;) {
    const auto low = static_cast<std::uint8_t>(value & 0x7F);
    value >>= 7;
    if (value == 0) {
      out.push_back(static_cast<std::uint8_t>(0x80 | low));
      return;
    }
    out.push_back(low);
    --value;
  }
}

void putLe32(ByteArray& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) {
    out.push_back(static_cast<std::uint8_t>(value >> shift));
  }
}

std::uint32_t le32(const ByteArray& bytes, std::size_t at) {
  return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
         static_cast<std::uint32_t>(bytes[at + 2]) << 16 |
         static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

void putBpsAction(ByteArray& out, BpsAction action, std::size_t length) {
  putBpsNumber(out, (static_cast<std::uint64_t>(length - 1) << 2) | action);
}

bool makeBps(const ByteArray& original, const ByteArray& edited, ByteArray& patch) {
  ByteArray out(kBpsMagic.begin(), kBpsMagic.end());
  putBpsNumber(out, original.size());
  putBpsNumber(out, edited.size());
  putBpsNumber(out, 0);  // no metadata

  const auto matches = [&](std::size_t at) {
    return at < original.size() && original[at] == edited[at];
  };
  // The length of the matching stretch from `at`, counting no further than `limit`.
  const auto matchLength = [&](std::size_t at, std::size_t limit) {
    std::size_t end = at;
    while (end < edited.size() && end - at < limit && matches(end)) {
      ++end;
    }
    return end - at;
  };
  constexpr std::size_t kAll = std::numeric_limits<std::size_t>::max();
  std::size_t targetCopyFrom = 0;  // where the last TargetCopy left off

  const auto writeTargetRead = [&](std::size_t start, std::size_t end) {
    if (start < end) {
      putBpsAction(out, kTargetRead, end - start);
      out.insert(out.end(), edited.begin() + static_cast<std::ptrdiff_t>(start),
                 edited.begin() + static_cast<std::ptrdiff_t>(end));
    }
  };

  std::size_t at = 0;
  while (at < edited.size()) {
    const std::size_t matched = matchLength(at, kAll);
    if (matched >= kBpsMinMatch) {
      putBpsAction(out, kSourceRead, matched);
      at += matched;
      continue;
    }
    // A changed area: up to the next matching stretch worth a SourceRead.
    std::size_t end = at + 1;
    while (end < edited.size() && matchLength(end, kBpsMinMatch) < kBpsMinMatch) {
      ++end;
    }
    std::size_t pending = at;
    while (at < end) {
      std::size_t runEnd = at + 1;
      while (runEnd < end && edited[runEnd] == edited[at]) {
        ++runEnd;
      }
      if (runEnd - at >= kBpsMinRun) {
        // The run's first byte goes out as is; the rest copies it on.
        writeTargetRead(pending, at + 1);
        const std::int64_t delta =
            static_cast<std::int64_t>(at) - static_cast<std::int64_t>(targetCopyFrom);
        putBpsAction(out, kTargetCopy, runEnd - at - 1);
        putBpsNumber(out, (static_cast<std::uint64_t>(delta < 0 ? -delta : delta) << 1) |
                              (delta < 0 ? 1 : 0));
        targetCopyFrom = runEnd - 1;
        pending = runEnd;
      }
      at = runEnd;
    }
    writeTargetRead(pending, end);
  }

  putLe32(out, crc32Of(original));
  putLe32(out, crc32Of(edited));
  putLe32(out, crc32Of(out));
  patch = std::move(out);
  return true;
}

enum class BpsStatus { Ok, CutShort, Damaged };

struct BpsOutcome {
  BpsStatus status = BpsStatus::Ok;
  std::string why;       // for Damaged
  std::size_t stop = 0;  // for Ok: where the actions ended
};

BpsOutcome damaged(std::string why) {
  return {BpsStatus::Damaged, std::move(why), 0};
}

// Reads one number of the patch at `pos`, no further than `end`.
BpsStatus readBpsNumber(const ByteArray& patch, std::size_t& pos, std::size_t end,
                        std::uint64_t& value) {
  std::uint64_t data = 0;
  std::uint64_t shift = 1;
  for (;;) {
    if (pos >= end) {
      return BpsStatus::CutShort;
    }
    const std::uint8_t byte = patch[pos++];
    if (shift > (std::uint64_t{1} << 42)) {
      return BpsStatus::Damaged;  // far beyond any size a patch can speak of
    }
    data += (byte & 0x7F) * shift;
    if ((byte & 0x80) != 0) {
      value = data;
      return BpsStatus::Ok;
    }
    shift <<= 7;
    data += shift;
  }
}

// Carries out the actions in patch bytes [pos, end) until `target` (sized as
// the patch says) is complete.
BpsOutcome runBpsActions(const ByteArray& patch, std::size_t pos, std::size_t end,
                         const ByteArray& source, ByteArray& target) {
  std::size_t output = 0;
  std::int64_t sourceFrom = 0;
  std::int64_t targetFrom = 0;
  const auto number = [&](std::uint64_t& value) { return readBpsNumber(patch, pos, end, value); };
  while (output < target.size()) {
    std::uint64_t data = 0;
    if (const BpsStatus status = number(data); status != BpsStatus::Ok) {
      return status == BpsStatus::CutShort ? BpsOutcome{BpsStatus::CutShort, {}, 0}
                                           : damaged("a number in it is too large");
    }
    const auto action = static_cast<BpsAction>(data & 3);
    const std::uint64_t length = (data >> 2) + 1;
    if (length > target.size() - output) {
      return damaged("it writes past the end of the " + count(target.size()) +
                     "-byte file it makes");
    }
    const auto size = static_cast<std::size_t>(length);
    const auto out = target.begin() + static_cast<std::ptrdiff_t>(output);
    switch (action) {
      case kSourceRead:
        if (output + size > source.size()) {
          return damaged("it reads past the end of the file it patches");
        }
        std::copy_n(source.begin() + static_cast<std::ptrdiff_t>(output), size, out);
        break;
      case kTargetRead:
        if (end - pos < size) {
          return {BpsStatus::CutShort, {}, 0};
        }
        std::copy_n(patch.begin() + static_cast<std::ptrdiff_t>(pos), size, out);
        pos += size;
        break;
      case kSourceCopy:
      case kTargetCopy: {
        std::uint64_t offset = 0;
        if (const BpsStatus status = number(offset); status != BpsStatus::Ok) {
          return status == BpsStatus::CutShort ? BpsOutcome{BpsStatus::CutShort, {}, 0}
                                               : damaged("a number in it is too large");
        }
        const auto magnitude = static_cast<std::int64_t>(offset >> 1);
        const std::int64_t delta = (offset & 1) != 0 ? -magnitude : magnitude;
        std::int64_t& from = action == kSourceCopy ? sourceFrom : targetFrom;
        from += delta;
        if (from < 0) {
          return damaged("a copy in it starts before the beginning of the file");
        }
        const auto start = static_cast<std::uint64_t>(from);
        if (action == kSourceCopy) {
          if (start > source.size() || length > source.size() - start) {
            return damaged("it copies from past the end of the file it patches");
          }
          std::copy_n(source.begin() + from, size, out);
        } else {
          // Byte by byte: a copy may overlap what it writes, repeating bytes.
          if (start >= output) {
            return damaged("it copies bytes of the new file that are not there yet");
          }
          for (std::size_t i = 0; i < size; ++i) {
            target[output + i] = target[start + i];
          }
        }
        from += static_cast<std::int64_t>(size);
        break;
      }
    }
    output += size;
  }
  return {BpsStatus::Ok, {}, pos};
}

bool applyBps(const ByteArray& patch, const ByteArray& source, ByteArray& result,
              std::string* reason) {
  const std::string cutShort = "The patch is cut short";
  const std::size_t size = patch.size();
  std::size_t pos = kBpsMagic.size();
  std::uint64_t sourceSize = 0;
  std::uint64_t targetSize = 0;
  std::uint64_t metadataSize = 0;
  for (std::uint64_t* field : {&sourceSize, &targetSize, &metadataSize}) {
    const BpsStatus status = readBpsNumber(patch, pos, size, *field);
    if (status == BpsStatus::CutShort) {
      return fail(reason, cutShort);
    }
    if (status == BpsStatus::Damaged) {
      return fail(reason, "The patch is damaged (a size in its header is too large)");
    }
  }
  if (metadataSize > size - pos) {
    return fail(reason, cutShort);
  }
  pos += static_cast<std::size_t>(metadataSize);
  if (size - pos < kBpsFooter) {
    return fail(reason, cutShort);
  }
  const std::size_t body = size - kBpsFooter;

  if (crc32Of(patch.data(), size - 4) != le32(patch, size - 4)) {
    // Tell a patch that ends early from one with changed bytes: a patch cut
    // short runs out of bytes before its actions complete the new file, or
    // leaves too few bytes after them for the three checksums.
    if (targetSize <= kMaxResultSize) {
      ByteArray scratch(static_cast<std::size_t>(targetSize));
      const BpsOutcome trial = runBpsActions(patch, pos, size, source, scratch);
      if (trial.status == BpsStatus::CutShort ||
          (trial.status == BpsStatus::Ok && trial.stop > body)) {
        return fail(reason, cutShort);
      }
    }
    return fail(reason, "The patch is damaged (its checksum does not match)");
  }

  const std::uint32_t sourceCrc = crc32Of(source);
  if (sourceSize != source.size()) {
    return fail(reason, "The patch was made for another file (source size " +
                            formatCount(static_cast<std::int64_t>(sourceSize)) +
                            " bytes, this file has " + count(source.size()) + ")");
  }
  if (le32(patch, body) != sourceCrc) {
    return fail(reason, "The patch was made for another file (source CRC32 " +
                            hex(le32(patch, body), 8) + ", this file has " + hex(sourceCrc, 8) +
                            ")");
  }
  if (targetSize > kMaxResultSize) {
    return fail(reason, tooLargeReason(targetSize));
  }

  ByteArray target(static_cast<std::size_t>(targetSize));
  const BpsOutcome outcome = runBpsActions(patch, pos, body, source, target);
  if (outcome.status == BpsStatus::CutShort) {
    return fail(reason, "The patch is damaged (its actions run into its checksums)");
  }
  if (outcome.status == BpsStatus::Damaged) {
    return fail(reason, "The patch is damaged (" + outcome.why + ")");
  }
  if (outcome.stop != body) {
    return fail(reason, "The patch is damaged (it holds " + count(body - outcome.stop) +
                            " bytes after its last action)");
  }
  const std::uint32_t targetCrc = crc32Of(target);
  if (targetCrc != le32(patch, body + 4)) {
    return fail(reason, "The patch is damaged (the patched file has CRC32 " + hex(targetCrc, 8) +
                            ", the patch expects " + hex(le32(patch, body + 4), 8) + ")");
  }
  result = std::move(target);
  return true;
}

}  // namespace

std::optional<PatchFormat> patchFormatForPath(const std::string& path) {
  std::string extension = std::filesystem::path(path).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(), [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  });
  if (extension == ".ips") {
    return PatchFormat::Ips;
  }
  if (extension == ".bps") {
    return PatchFormat::Bps;
  }
  return std::nullopt;
}

bool makePatch(PatchFormat format, const ByteArray& original, const ByteArray& edited,
               ByteArray& patch, std::string* reason) {
  if (format == PatchFormat::Ips) {
    return makeIps(original, edited, patch, reason);
  }
  return makeBps(original, edited, patch);
}

bool applyPatch(const ByteArray& patch, const ByteArray& source, ByteArray& result,
                std::string* reason) {
  if (patch.empty()) {
    return fail(reason, "The patch file is empty");
  }
  if (startsWith(patch, kIpsMagic)) {
    return applyIps(patch, source, result, reason);
  }
  if (startsWith(patch, kBpsMagic)) {
    return applyBps(patch, source, result, reason);
  }
  if (isPrefixOf(patch, kIpsMagic) || isPrefixOf(patch, kBpsMagic)) {
    return fail(reason, "The patch is cut short");
  }
  return fail(reason,
              "This is not an IPS or BPS patch (it starts with neither \"PATCH\" nor "
              "\"BPS1\")");
}

}  // namespace tarvo
