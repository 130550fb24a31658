#include "shell/recovery.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <random>
#include <system_error>

#include "shell/checksums.h"
#include "shell/file_reasons.h"
#include "shell/rom_image.h"
#include "shell/rom_locations.h"
#include "shell/safe_save.h"

namespace tarvo {

namespace {

constexpr char kMagic[] = "TARVO-RECOVERY 1\n";
constexpr std::size_t kMagicLength = sizeof kMagic - 1;
constexpr const char* kSuffix = ".recovery";
constexpr const char* kLockSuffix = ".lock";
// The largest image and room for the fields around it.
constexpr std::size_t kRecoveryLimit = rom::kMaxImageSize + 65536;

void putNumber(ByteArray& out, std::uint64_t value) {
  for (int i = 0; i < 8; ++i) {
    out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
  }
}

void putText(ByteArray& out, const std::string& text) {
  putNumber(out, text.size());
  out.insert(out.end(), text.begin(), text.end());
}

// Reads the fields back in order; any read past the end marks it short.
class FieldReader {
 public:
  FieldReader(const ByteArray& bytes, std::size_t end) : bytes_(bytes), end_(end) {}
  bool shortOf() const { return short_; }
  std::size_t at() const { return at_; }
  std::uint64_t number() {
    if (end_ - at_ < 8) {
      short_ = true;
      return 0;
    }
    std::uint64_t value = 0;
    for (int i = 0; i < 8; ++i) {
      value |= std::uint64_t{bytes_[at_ + static_cast<std::size_t>(i)]} << (8 * i);
    }
    at_ += 8;
    return value;
  }
  ByteArray block() {
    const std::uint64_t length = number();
    if (short_ || length > end_ - at_) {
      short_ = true;
      return {};
    }
    ByteArray out(bytes_.begin() + static_cast<std::ptrdiff_t>(at_),
                  bytes_.begin() + static_cast<std::ptrdiff_t>(at_ + length));
    at_ += length;
    return out;
  }
  std::string text() {
    const ByteArray raw = block();
    return {raw.begin(), raw.end()};
  }

 private:
  const ByteArray& bytes_;
  std::size_t end_;
  std::size_t at_ = kMagicLength;
  bool short_ = false;
};

bool refuse(std::string* reason, const std::string& text) {
  if (reason != nullptr) {
    *reason = text;
  }
  return false;
}

std::string randomSession() {
  std::random_device device;
  std::uniform_int_distribution<int> digit(0, 15);
  std::string name;
  for (int i = 0; i < 16; ++i) {
    name += "0123456789abcdef"[digit(device)];
  }
  return name;
}

bool endsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

ByteArray encodeRecovery(const Recovery& recovery) {
  ByteArray out(kMagic, kMagic + kMagicLength);
  putText(out, recovery.path);
  putNumber(out, static_cast<std::uint64_t>(recovery.baseSize));
  putText(out, recovery.baseSha1);
  putNumber(out, static_cast<std::uint64_t>(recovery.savedAt));
  putText(out, recovery.session);
  putNumber(out, recovery.image.size());
  out.insert(out.end(), recovery.image.begin(), recovery.image.end());
  // The whole length, then the checksum of everything before it.
  putNumber(out, out.size() + 8 + 4);
  const std::uint32_t crc = crc32Of(out.data(), out.size());
  for (int i = 0; i < 4; ++i) {
    out.push_back(static_cast<std::uint8_t>(crc >> (8 * i)));
  }
  return out;
}

bool decodeRecovery(const ByteArray& bytes, Recovery& recovery, std::string* reason) {
  if (bytes.size() < kMagicLength + 12 ||
      !std::equal(kMagic, kMagic + kMagicLength, bytes.begin())) {
    return refuse(reason, "It is not a recovery file of this editor, or it was cut short");
  }
  const std::size_t crcAt = bytes.size() - 4;
  std::uint64_t stated = 0;
  for (int i = 0; i < 8; ++i) {
    stated |= std::uint64_t{bytes[crcAt - 8 + static_cast<std::size_t>(i)]} << (8 * i);
  }
  if (stated != bytes.size()) {
    return refuse(reason, "It holds " + std::to_string(bytes.size()) + " bytes where it says " +
                              std::to_string(stated) + ": it was cut short or added to");
  }
  std::uint32_t crc = 0;
  for (int i = 0; i < 4; ++i) {
    crc |= std::uint32_t{bytes[crcAt + static_cast<std::size_t>(i)]} << (8 * i);
  }
  if (crc != crc32Of(bytes.data(), crcAt)) {
    return refuse(reason, "Its checksum does not match its bytes: it is damaged");
  }
  FieldReader read(bytes, crcAt - 8);
  Recovery out;
  out.path = read.text();
  out.baseSize = static_cast<std::int64_t>(read.number());
  out.baseSha1 = read.text();
  out.savedAt = static_cast<std::int64_t>(read.number());
  out.session = read.text();
  out.image = read.block();
  if (read.shortOf() || read.at() != crcAt - 8) {
    return refuse(reason, "Its fields do not fill it as they should: it is damaged");
  }
  recovery = std::move(out);
  return true;
}

std::filesystem::path RecoveryStore::defaultFolder() {
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state != nullptr && state[0] == '/') {
    return std::filesystem::path(state) / "tarvo";
  }
  const char* home = std::getenv("HOME");
  return std::filesystem::path(home != nullptr ? home : ".") / ".local" / "state" / "tarvo";
}

bool RecoveryStore::open(std::string* reason) {
  std::error_code error;
  std::filesystem::create_directories(folder_, error);
  if (error || !std::filesystem::is_directory(folder_)) {
    return refuse(reason, error ? describeError(error.value()) : notAFileReason(folder_.string()));
  }
  std::filesystem::permissions(folder_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::replace, error);
  session_ = randomSession();
  if (const int failed = os::lockFile(folder_ / (session_ + kLockSuffix), lock_); failed != 0) {
    return refuse(reason, describeError(failed));
  }
  return true;
}

std::filesystem::path RecoveryStore::fileFor(const std::string& path) const {
  const ByteArray name(path.begin(), path.end());
  return folder_ / (session_ + "-" + crc32Hex(name) + kSuffix);
}

bool RecoveryStore::write(const Recovery& recovery, std::string* reason) {
  if (!isOpen()) {
    return refuse(reason, "The recovery folder could not be opened");
  }
  Recovery mine = recovery;
  mine.session = session_;
  const std::filesystem::path file = fileFor(recovery.path);
  if (!saveSafely(file.string(), encodeRecovery(mine), false, reason)) {
    return false;
  }
  ::chmod(file.c_str(), 0600);
  return true;
}

void RecoveryStore::remove(const std::string& path) {
  if (isOpen()) {
    std::error_code error;
    std::filesystem::remove(fileFor(path), error);
  }
}

std::vector<RecoveryStore::Left> RecoveryStore::leftBehind(std::vector<Damaged>* damaged) {
  std::vector<Left> left;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder_, error)) {
    const std::string name = entry.path().filename().string();
    const auto dash = name.find('-');
    if (!endsWith(name, kSuffix) || dash == std::string::npos || !entry.is_regular_file()) {
      continue;
    }
    const std::string session = name.substr(0, dash);
    if (session == session_) {
      continue;
    }
    // A session that still runs holds its lock.
    os::FileDescriptor probe;
    if (os::lockFile(folder_ / (session + kLockSuffix), probe) != 0) {
      continue;
    }
    ByteArray bytes;
    std::string why;
    Recovery recovery;
    if (!readWholeFile(entry.path().string(), bytes, kRecoveryLimit, &why) ||
        !decodeRecovery(bytes, recovery, &why)) {
      const std::filesystem::path aside = entry.path().string() + ".damaged";
      std::filesystem::rename(entry.path(), aside, error);
      if (damaged != nullptr) {
        damaged->push_back({aside, why});
      }
      continue;
    }
    left.push_back({entry.path(), std::move(recovery)});
  }
  tidyEndedSessions();
  std::sort(left.begin(), left.end(),
            [](const Left& a, const Left& b) { return a.recovery.savedAt < b.recovery.savedAt; });
  return left;
}

void RecoveryStore::tidyEndedSessions() const {
  std::error_code error;
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder_, error)) {
    names.push_back(entry.path().filename().string());
  }
  for (const std::string& name : names) {
    if (!endsWith(name, kLockSuffix) || name == session_ + kLockSuffix) {
      continue;
    }
    const std::string session = name.substr(0, name.size() - std::string(kLockSuffix).size());
    os::FileDescriptor probe;
    if (os::lockFile(folder_ / name, probe) != 0) {
      continue;  // it still runs
    }
    // What a save cut short by its end left ("." and the copy's name).
    bool hasCopies = false;
    for (const std::string& other : names) {
      if (other.rfind("." + session + "-", 0) == 0) {
        std::filesystem::remove(folder_ / other, error);
      } else if (other.rfind(session + "-", 0) == 0) {
        hasCopies = true;
      }
    }
    if (!hasCopies) {
      std::filesystem::remove(folder_ / name, error);
    }
  }
}

void RecoveryStore::discard(const Left& left) {
  std::error_code error;
  std::filesystem::remove(left.file, error);
}

}  // namespace tarvo
