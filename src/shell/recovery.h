// Recovery copies of unsaved work: while an image has unsaved edits the
// editor keeps a copy of it, with the identity of the file it came from, in
// a private folder of its own; a save, a discard or a clean exit removes it.
// After a session that ended unexpectedly its copies are left behind, to be
// offered at the next start.
//
// A copy is written through the safe save, so that one cut short never
// replaces a whole one, and carries a CRC-32 of all its bytes, so that a
// damaged one is told and never offered.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "gfx/bytes.h"
#include "shell/file_system.h"

namespace tarvo {

struct Recovery {
  std::string path;           // the file the image came from
  std::int64_t baseSize = 0;  // its size as loaded or last saved
  std::string baseSha1;       // its SHA-1 then, in hexadecimal
  std::int64_t savedAt = 0;   // when the copy was written, in seconds since 1970
  std::string session;        // the session that wrote it
  ByteArray image;
  friend bool operator==(const Recovery&, const Recovery&) = default;
};

// A recovery file's bytes, and back. Decoding refuses, with the reason, a
// file cut short, one of another length than it says, and one whose
// checksum does not match.
ByteArray encodeRecovery(const Recovery& recovery);
bool decodeRecovery(const ByteArray& bytes, Recovery& recovery, std::string* reason = nullptr);

class RecoveryStore {
 public:
  // $XDG_STATE_HOME/tarvo, or ~/.local/state/tarvo.
  static std::filesystem::path defaultFolder();

  explicit RecoveryStore(std::filesystem::path folder) : folder_(std::move(folder)) {}

  // Starts this session: makes the folder (private, 0700), takes a random
  // session name and holds its lock while the store lives, so that no other
  // session offers this one's copies. False with the reason.
  bool open(std::string* reason = nullptr);
  bool isOpen() const { return static_cast<bool>(lock_); }
  const std::string& session() const { return session_; }
  const std::filesystem::path& folder() const { return folder_; }

  // Writes this session's copy for `recovery.path` (0600). False with the
  // reason.
  bool write(const Recovery& recovery, std::string* reason = nullptr);
  // Removes this session's copy for `path`, if any.
  void remove(const std::string& path);

  // The copies sessions that have ended left behind, oldest first. A damaged
  // copy is renamed aside (its name ends in ".damaged") and reported.
  struct Left {
    std::filesystem::path file;
    Recovery recovery;
  };
  struct Damaged {
    std::filesystem::path file;  // its name now, set aside
    std::string reason;
  };
  std::vector<Left> leftBehind(std::vector<Damaged>* damaged = nullptr);
  // Forgets a copy left behind (restored or discarded).
  static void discard(const Left& left);

 private:
  std::filesystem::path fileFor(const std::string& path) const;
  // What ended sessions left besides their copies: the leftovers of a save
  // cut short, and their locks once no copy of theirs is left.
  void tidyEndedSessions() const;

  std::filesystem::path folder_;
  std::string session_;
  os::FileDescriptor lock_;
};

}  // namespace tarvo
