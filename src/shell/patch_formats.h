// What the IPS and BPS sources of the patch code share: each format's
// entry points, the magic bytes that tell the formats apart, and the helpers
// of their messages. Only shell/patches.cpp, shell/patch_ips.cpp and
// shell/patch_bps.cpp include this; everyone else uses shell/patches.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "shell/rom_image.h"
#include "shell/rom_locations.h"

namespace tarvo::patch_detail {

// No patch may make a file larger than the editor's largest ROM image. This
// also keeps a damaged size field from asking for gigabytes of memory.
inline constexpr std::size_t kMaxResultSize = static_cast<std::size_t>(rom::kMaxImageSize);

inline constexpr std::string_view kIpsMagic = "PATCH";
inline constexpr std::string_view kBpsMagic = "BPS1";

// Puts `text` into `reason` when given; returns false.
bool fail(std::string* reason, std::string text);

// "0x0000FF" for hex(255, 6).
std::string hex(std::uint64_t value, int digits);

// "1,024" for 1024.
std::string count(std::size_t value);

// Why a patched file of `size` bytes is refused.
std::string tooLargeReason(std::uint64_t size);

// shell/patch_ips.cpp. applyIps takes a patch that starts with kIpsMagic.
bool makeIps(const ByteArray& original, const ByteArray& edited, ByteArray& patch,
             std::string* reason);
bool applyIps(const ByteArray& patch, const ByteArray& source, ByteArray& result,
              std::string* reason);

// shell/patch_bps.cpp. applyBps takes a patch that starts with kBpsMagic.
bool makeBps(const ByteArray& original, const ByteArray& edited, ByteArray& patch);
bool applyBps(const ByteArray& patch, const ByteArray& source, ByteArray& result,
              std::string* reason);

}  // namespace tarvo::patch_detail
