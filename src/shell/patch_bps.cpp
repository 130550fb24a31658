// BPS patches: actions that read from the old file, the patch or the new
// file so far, and three CRC32s that tie the patch to both files.
#include "shell/patch_formats.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string_view>

#include "shell/checksums.h"

namespace tarvo::patch_detail {

namespace {

using tarvo::crc32Of;

std::uint32_t crc32Of(const ByteArray& bytes) {
  return crc32Of(bytes.data(), bytes.size());
}

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

}  // namespace

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

}  // namespace tarvo::patch_detail
