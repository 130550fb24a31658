// Earlier versions of a file: every save keeps the bytes it replaced, as a
// BPS patch from the new file to the old one, in a folder of the editor's
// own. The last 50 of a file are kept, and 20 MB in all, the oldest removed
// first. A version is restored by applying the patches from the newest back
// to it, to the file as it is now.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "gfx/bytes.h"

namespace tarvo {

struct Version {
  std::filesystem::path file;  // its patch
  std::uint64_t sequence = 0;  // one more at every save of any file
  std::int64_t savedAt = 0;    // the save's time, in seconds since 1970
  std::int64_t bytesChanged = 0;
};

class VersionStore {
 public:
  static constexpr std::size_t kPerFile = 50;
  static constexpr std::uintmax_t kTotalBytes = 20 * 1024 * 1024;

  // Versions live in `folder` (made private, 0700, when first needed).
  explicit VersionStore(std::filesystem::path folder, std::size_t perFile = kPerFile,
                        std::uintmax_t totalBytes = kTotalBytes)
      : folder_(std::move(folder)), perFile_(perFile), totalBytes_(totalBytes) {}

  // A save of `path` at `now` replaced `before` with `after`: keeps `before`
  // as a patch from `after`, then removes what is over the limits. Nothing
  // is kept when the two are equal. False with the reason.
  bool keep(const std::string& path, const ByteArray& before, const ByteArray& after,
            std::int64_t now, std::string* reason = nullptr);

  // The versions of `path`, newest first.
  std::vector<Version> list(const std::string& path) const;

  // The bytes `version`'s save replaced, from `current`, the file's bytes
  // after its last save. False with the reason when a patch on the way is
  // damaged or does not fit (the file changed since).
  bool restore(const std::string& path, const ByteArray& current, const Version& version,
               ByteArray& bytes, std::string* reason = nullptr) const;

 private:
  std::string prefixOf(const std::string& path) const;
  std::vector<Version> all() const;
  void prune(const std::string& path) const;

  std::filesystem::path folder_;
  std::size_t perFile_;
  std::uintmax_t totalBytes_;
};

}  // namespace tarvo
