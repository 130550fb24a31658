#include "shell/versions.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <system_error>

#include "shell/checksums.h"
#include "shell/patches.h"
#include "shell/rom_image.h"
#include "shell/rom_locations.h"

namespace tarvo {

namespace {

// The patch of a version is at most about as large as the image it gives.
constexpr std::size_t kPatchLimit = rom::kMaxImageSize + 65536;

bool refuse(std::string* reason, const std::string& text) {
  if (reason != nullptr) {
    *reason = text;
  }
  return false;
}

// "PREFIX-SEQUENCE-TIME-CHANGED.bps", each number in decimal.
bool parseName(const std::string& name, std::string& prefix, Version& version) {
  unsigned long long sequence = 0;
  long long time = 0;
  long long changed = 0;
  char file[16] = {};
  int used = 0;
  if (std::sscanf(name.c_str(), "%8[0-9A-F]-%llu-%lld-%lld.bps%n", file, &sequence, &time, &changed,
                  &used) != 4 ||
      static_cast<std::size_t>(used) != name.size()) {
    return false;
  }
  prefix = file;
  version.sequence = sequence;
  version.savedAt = time;
  version.bytesChanged = changed;
  return true;
}

std::string timeText(std::int64_t seconds) {
  const std::time_t time = static_cast<std::time_t>(seconds);
  std::tm local{};
  char text[32] = "?";
  if (localtime_r(&time, &local) != nullptr) {
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  }
  return text;
}

std::int64_t bytesChanged(const ByteArray& before, const ByteArray& after) {
  const std::size_t common = std::min(before.size(), after.size());
  std::int64_t changed = static_cast<std::int64_t>(std::max(before.size(), after.size()) - common);
  for (std::size_t i = 0; i < common; ++i) {
    changed += before[i] != after[i] ? 1 : 0;
  }
  return changed;
}

}  // namespace

std::string VersionStore::prefixOf(const std::string& path) const {
  return crc32Hex(ByteArray(path.begin(), path.end()));
}

std::vector<Version> VersionStore::all() const {
  std::vector<Version> versions;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder_, error)) {
    std::string prefix;
    Version version;
    if (parseName(entry.path().filename().string(), prefix, version)) {
      version.file = entry.path();
      versions.push_back(version);
    }
  }
  std::sort(versions.begin(), versions.end(),
            [](const Version& a, const Version& b) { return a.sequence > b.sequence; });
  return versions;
}

std::vector<Version> VersionStore::list(const std::string& path) const {
  const std::string prefix = prefixOf(path) + "-";
  std::vector<Version> versions = all();
  versions.erase(std::remove_if(versions.begin(), versions.end(),
                                [&](const Version& version) {
                                  return version.file.filename().string().rfind(prefix, 0) != 0;
                                }),
                 versions.end());
  return versions;
}

bool VersionStore::keep(const std::string& path, const ByteArray& before, const ByteArray& after,
                        std::int64_t now, std::string* reason) {
  if (before == after) {
    return true;
  }
  std::error_code error;
  std::filesystem::create_directories(folder_, error);
  std::filesystem::permissions(folder_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::replace, error);
  ByteArray patch;
  if (!makePatch(PatchFormat::Bps, after, before, patch, reason)) {
    return false;
  }
  const std::vector<Version> versions = all();
  const std::uint64_t sequence = versions.empty() ? 1 : versions.front().sequence + 1;
  const std::string name = prefixOf(path) + "-" + std::to_string(sequence) + "-" +
                           std::to_string(now) + "-" + std::to_string(bytesChanged(before, after)) +
                           ".bps";
  if (!writeWholeFile((folder_ / name).string(), patch, reason)) {
    return false;
  }
  std::filesystem::permissions(
      folder_ / name, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
      std::filesystem::perm_options::replace, error);
  prune(path);
  return true;
}

void VersionStore::prune(const std::string& path) const {
  std::error_code error;
  const std::vector<Version> mine = list(path);
  for (std::size_t k = perFile_; k < mine.size(); ++k) {
    std::filesystem::remove(mine[k].file, error);
  }
  // Then the oldest of any file, while all of them hold too much.
  std::vector<Version> versions = all();
  std::uintmax_t total = 0;
  for (const Version& version : versions) {
    total += std::filesystem::file_size(version.file, error);
  }
  while (total > totalBytes_ && versions.size() > 1) {
    total -= std::min(total, std::filesystem::file_size(versions.back().file, error));
    std::filesystem::remove(versions.back().file, error);
    versions.pop_back();
  }
}

bool VersionStore::restore(const std::string& path, const ByteArray& current,
                           const Version& version, ByteArray& bytes, std::string* reason) const {
  ByteArray at = current;
  for (const Version& step : list(path)) {
    if (step.sequence < version.sequence) {
      break;
    }
    ByteArray patch;
    ByteArray earlier;
    std::string why;
    if (!readWholeFile(step.file.string(), patch, kPatchLimit, &why) ||
        !applyPatch(patch, at, earlier, &why)) {
      return refuse(reason, "The version saved " + timeText(step.savedAt) +
                                " could not be applied (" + step.file.filename().string() +
                                "): " + why);
    }
    at = std::move(earlier);
    if (step.sequence == version.sequence) {
      bytes = std::move(at);
      return true;
    }
  }
  return refuse(reason, "That version is no longer kept");
}

}  // namespace tarvo
