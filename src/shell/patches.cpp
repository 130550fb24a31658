// The patch formats' shared part: telling a patch's format by its file
// name or its first bytes, and the messages both formats give.
#include "shell/patches.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <string_view>

#include "shell/patch_formats.h"

namespace tarvo {

namespace patch_detail {

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

std::string tooLargeReason(std::uint64_t size) {
  const auto shown = static_cast<std::int64_t>(
      std::min<std::uint64_t>(size, std::numeric_limits<std::int64_t>::max()));
  return "The patched file would be " + formatCount(shown) +
         " bytes; a ROM image for this editor has at most " + count(kMaxResultSize) + " bytes";
}

}  // namespace patch_detail

namespace {

using patch_detail::applyBps;
using patch_detail::applyIps;
using patch_detail::fail;
using patch_detail::kBpsMagic;
using patch_detail::kIpsMagic;
using patch_detail::makeBps;
using patch_detail::makeIps;

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
