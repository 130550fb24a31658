#include "shell/safe_save.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <new>
#include <random>
#include <system_error>
#include <vector>

#include "shell/file_reasons.h"
#include "shell/file_system.h"

namespace tarvo {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kChunk = 64 * 1024;

bool fail(std::string* reason, std::string text) {
  if (reason != nullptr) {
    *reason = std::move(text);
  }
  return false;
}

}  // namespace

namespace {

// Temporary files are hidden and named "." + the file's name + this mark + 16
// lowercase hexadecimal digits, so that a save can tell its own leftovers.
constexpr char kTemporaryMark[] = ".tarvo-save-";
constexpr std::size_t kTagDigits = 16;

// Why a new file could not be made in the target's folder.
std::string folderReason(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return "Its folder does not exist";
    case EACCES:
    case EPERM:
    case EROFS:
      return describeError(error) + ": its folder cannot be written to";
    default:
      return describeError(error);
  }
}

// Follows symbolic links from `path` to the name at the end of the chain,
// which may not exist yet. A relative link is read from the link's folder.
int followLinks(const fs::path& path, fs::path& end) {
  fs::path current = path;
  for (int hop = 0; hop < 40; ++hop) {
    std::error_code error;
    const fs::file_status status = fs::symlink_status(current, error);
    if (status.type() != fs::file_type::not_found && error) {
      return error.value();
    }
    if (status.type() != fs::file_type::symlink) {
      end = std::move(current);
      return 0;
    }
    const fs::path target = fs::read_symlink(current, error);
    if (error) {
      return error.value();
    }
    current = target.is_absolute() ? target : current.parent_path() / target;
  }
  return ELOOP;
}

// How the names of temporary files for the file `name` begin. The file's name
// is cut, at the start of a character, so that theirs fit in `longest` bytes.
std::string temporaryStem(const std::string& name, std::size_t longest) {
  const std::size_t overhead = 1 + (sizeof kTemporaryMark - 1) + kTagDigits;
  std::size_t kept = std::min(name.size(), longest > overhead ? longest - overhead : 0);
  while (kept > 0 && kept < name.size() &&
         (static_cast<unsigned char>(name[kept]) & 0xC0) == 0x80) {
    --kept;  // inside a UTF-8 character
  }
  std::string stem(1, '.');
  stem.append(name, 0, kept);
  stem += kTemporaryMark;
  return stem;
}

bool isOwnTemporary(const std::string& entry, const std::string& stem) {
  return entry.size() == stem.size() + kTagDigits && entry.compare(0, stem.size(), stem) == 0 &&
         std::all_of(entry.begin() + static_cast<std::ptrdiff_t>(stem.size()), entry.end(),
                     [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

std::string randomTag() {
  static std::atomic<std::uint64_t> counter{0};
  std::uint64_t x =
      static_cast<std::uint64_t>(fs::file_time_type::clock::now().time_since_epoch().count()) +
      0x9E3779B97F4A7C15ULL * ++counter;
  try {
    std::random_device device;  // differs between processes forked from one another
    x ^= static_cast<std::uint64_t>(device()) << 32 | device();
  } catch (const std::exception&) {
    // The time and the counter alone; a name that is taken is tried again.
  }
  x ^= x >> 31;
  x *= 0xBF58476D1CE4E5B9ULL;
  x ^= x >> 29;
  std::array<char, kTagDigits + 1> tag{};
  std::snprintf(tag.data(), tag.size(), "%016llx", static_cast<unsigned long long>(x));
  return tag.data();
}

// What a save writes, and where.
struct Save {
  int folder = -1;   // the target's folder
  std::string name;  // the target's name in it
  std::string stem;  // see temporaryStem()
  const ByteArray* buffer = nullptr;
  bool keepTail = false;
  int old = -1;         // the existing file, open for reading and writing, or -1
  os::FileFacts facts;  // the existing file's
};

// Removes the temporary files that saves of the same file, cut short, left.
void removeLeftovers(const Save& save) {
  for (const std::string& entry : os::regularFilesIn(save.folder)) {
    if (isOwnTemporary(entry, save.stem)) {
      os::removeEntry(save.folder, entry);
    }
  }
}

// Copies the bytes of `from` from `offset` on to the same offsets of `to`.
int copyTail(int from, std::uint64_t offset, int to) {
  std::vector<std::uint8_t> chunk(kChunk);
  for (;;) {
    std::size_t got = 0;
    if (const int error = os::readAt(from, chunk.data(), chunk.size(), offset, got); error != 0) {
      return error;
    }
    if (got == 0) {
      return 0;
    }
    std::uint64_t written = 0;
    if (const int error = os::writeAt(to, chunk.data(), got, offset, written); error != 0) {
      return error;
    }
    offset += got;
  }
}

int checkSize(int file, std::uint64_t expected) {
  os::FileFacts facts;
  const int error = os::openFileFacts(file, facts);
  return error != 0 ? error : facts.size == expected ? 0 : EIO;
}

// A new file in the target's folder: unnamed where the file system has such
// files, so that a process killed meanwhile leaves nothing, else named.
struct Temporary {
  os::FileDescriptor file;
  std::string name;  // "" while it has none
};

int openTemporary(const Save& save, std::uint32_t mode, Temporary& temporary) {
  int error = os::openUnnamedTemporary(save.folder, mode, temporary.file);
  if (!os::lacksUnnamedTemporaries(error)) {
    return error;
  }
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = save.stem + randomTag();
    error = os::createNewFile(save.folder, name, mode, temporary.file);
    if (error == 0) {
      temporary.name = std::move(name);
    }
    if (error != EEXIST) {
      return error;
    }
  }
  return EEXIST;
}

// Gives an unnamed temporary a name of its own.
int nameTemporary(const Save& save, Temporary& temporary) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = save.stem + randomTag();
    const int error = os::nameUnnamedTemporary(temporary.file.get(), save.folder, name);
    if (error == 0) {
      temporary.name = std::move(name);
    }
    if (error != EEXIST) {
      return error;
    }
  }
  return EEXIST;
}

enum class Outcome { Saved, Failed, WriteInPlace };

// Removes a temporary that will not become the file.
void discard(const Save& save, Temporary& temporary) {
  temporary.file.close();
  if (!temporary.name.empty()) {
    os::removeEntry(save.folder, temporary.name);
  }
}

Outcome abandon(const Save& save, Temporary& temporary, int cause, std::string* reason) {
  discard(save, temporary);
  fail(reason, describeError(cause != 0 ? cause : EIO));
  return Outcome::Failed;
}

// Gives the temporary the old file's owner and permissions, then the bytes
// (and the old file's tail when it is kept), on the disk. Answers Saved when
// the temporary is ready to take the file's place.
Outcome fillTemporary(const Save& save, Temporary& temporary, std::string* reason) {
  const bool existing = save.old >= 0;
  const ByteArray& buffer = *save.buffer;
  const int file = temporary.file.get();
  int error = 0;
  // Owner and permissions before the first byte, so that the contents are
  // never readable by anyone the old file kept out.
  if (existing) {
    if (os::setOwner(file, save.facts.owner, save.facts.group) != 0) {
      discard(save, temporary);
      return Outcome::WriteInPlace;
    }
    if ((error = os::setMode(file, save.facts.mode)) != 0) {
      return abandon(save, temporary, error, reason);
    }
  }
  std::uint64_t written = 0;
  if ((error = os::writeAt(file, buffer.data(), buffer.size(), 0, written)) != 0) {
    return abandon(save, temporary, error, reason);
  }
  std::uint64_t expected = buffer.size();
  if (existing && save.keepTail && save.facts.size > buffer.size()) {
    expected = save.facts.size;
    if ((error = copyTail(save.old, buffer.size(), file)) != 0) {
      return abandon(save, temporary, error, reason);
    }
  }
  if ((error = os::syncToDisk(file)) != 0 || (error = checkSize(file, expected)) != 0) {
    return abandon(save, temporary, error, reason);
  }
  return Outcome::Saved;
}

// Gives a filled temporary the file's name: at once for a new file where the
// temporary has no name yet, else by a rename over the file.
Outcome putInPlace(const Save& save, Temporary& temporary, std::string* reason) {
  const bool existing = save.old >= 0;
  const int file = temporary.file.get();
  int error = 0;
  if (temporary.name.empty()) {
    // A new file may take its name at once; one that someone made meanwhile
    // is replaced like an existing one.
    if (!existing) {
      error = os::nameUnnamedTemporary(file, save.folder, save.name);
      if (error == 0) {
        temporary.name = save.name;
        if ((error = temporary.file.close()) != 0) {
          return abandon(save, temporary, error, reason);
        }
        os::syncFolder(save.folder);
        return Outcome::Saved;
      }
      if (error != EEXIST) {
        return abandon(save, temporary, error, reason);
      }
    }
    // From here until the rename, a killed process leaves this name behind;
    // the next save of the file removes it.
    if ((error = nameTemporary(save, temporary)) != 0) {
      if (existing && (error == EACCES || error == EPERM)) {
        discard(save, temporary);
        return Outcome::WriteInPlace;
      }
      return abandon(save, temporary, error, reason);
    }
  }
  if ((error = temporary.file.close()) != 0) {
    return abandon(save, temporary, error, reason);
  }
  if ((error = os::renameEntry(save.folder, temporary.name, save.name)) != 0) {
    // A folder with the sticky bit refuses to replace another user's file.
    if (existing && (error == EACCES || error == EPERM)) {
      discard(save, temporary);
      return Outcome::WriteInPlace;
    }
    return abandon(save, temporary, error, reason);
  }
  os::syncFolder(save.folder);
  return Outcome::Saved;
}

// Writes the file anew in a temporary file and renames that over it. Answers
// WriteInPlace, having left everything as it was, when the new file could
// not be the old one's equal: the folder takes no new file, the owner and
// group cannot be given to it, or the rename is refused.
Outcome replaceWithTemporary(const Save& save, std::string* reason) {
  const bool existing = save.old >= 0;
  Temporary temporary;
  // An existing file's permissions are given once the owner is: until then
  // nobody but the user may read the new one.
  const int error = openTemporary(save, existing ? 0600 : 0666, temporary);
  if (error != 0) {
    if (existing && (error == EACCES || error == EPERM)) {
      return Outcome::WriteInPlace;
    }
    fail(reason, folderReason(error));
    return Outcome::Failed;
  }
  const Outcome filled = fillTemporary(save, temporary, reason);
  return filled == Outcome::Saved ? putInPlace(save, temporary, reason) : filled;
}

// Writes the existing file in place. Its bytes that the write changes are
// kept in memory first; when anything fails they are written back and the
// file gets its old length again.
bool writeInPlace(const Save& save, std::string* reason) {
  const ByteArray& buffer = *save.buffer;
  const std::uint64_t oldSize = save.facts.size;
  ByteArray before;
  try {
    before.resize(save.keepTail ? std::min<std::uint64_t>(oldSize, buffer.size()) : oldSize);
  } catch (const std::bad_alloc&) {
    return fail(reason, describeError(ENOMEM));
  }
  std::size_t got = 0;
  int error = os::readAt(save.old, before.data(), before.size(), 0, got);
  if (error == 0 && got != before.size()) {
    error = EIO;  // the file was cut meanwhile
  }
  if (error != 0) {
    return fail(reason, describeError(error));
  }

  std::uint64_t written = 0;
  bool cut = false;
  error = os::writeAt(save.old, buffer.data(), buffer.size(), 0, written);
  if (error == 0 && !save.keepTail && oldSize > buffer.size()) {
    cut = true;
    error = os::setLength(save.old, buffer.size());
  }
  const std::uint64_t expected =
      save.keepTail ? std::max<std::uint64_t>(oldSize, buffer.size()) : buffer.size();
  if (error == 0 && (error = os::syncToDisk(save.old)) == 0 &&
      (error = checkSize(save.old, expected)) == 0) {
    return true;
  }

  // Only the bytes the write reached are written back, so that this does not
  // fail where the write did (at a file-size limit, say).
  const std::uint64_t reached =
      cut ? before.size() : std::min<std::uint64_t>(written, before.size());
  std::uint64_t restored = 0;
  const bool whole = os::writeAt(save.old, before.data(), reached, 0, restored) == 0 &&
                     os::setLength(save.old, oldSize) == 0 && os::syncToDisk(save.old) == 0;
  std::string text = describeError(error != 0 ? error : EIO);
  if (!whole) {
    text += "; the file's old bytes could not all be written back";
  }
  return fail(reason, std::move(text));
}

}  // namespace

bool saveSafely(const std::string& path, const ByteArray& buffer, bool keepTail,
                std::string* reason) {
  // A file-size limit must fail the write, not kill the program mid-save.
  static const bool signalIgnored = [] {
    os::ignoreFileSizeSignal();
    return true;
  }();
  (void)signalIgnored;

  if (path.empty()) {
    return fail(reason, "No file name was given");
  }
  fs::path end;
  int error = followLinks(path, end);
  if (error != 0) {
    return fail(reason, describeError(error));
  }
  Save save;
  save.name = end.filename().string();
  save.buffer = &buffer;
  save.keepTail = keepTail;
  if (save.name.empty() || save.name == "." || save.name == "..") {
    return fail(reason, notAFileReason(end));
  }
  os::FileDescriptor folder;
  error = os::openFolder(end.has_parent_path() ? end.parent_path() : fs::path("."), folder);
  if (error != 0) {
    // Only reaching the folder is needed here: EACCES is a folder on the way.
    return fail(reason,
                error == ENOENT || error == ENOTDIR ? folderReason(error) : describeError(error));
  }
  save.folder = folder.get();
  error = os::entryFacts(save.folder, save.name, save.facts);
  const bool exists = error == 0;
  if (!exists && error != ENOENT) {
    return fail(reason, describeError(error));
  }
  os::FileDescriptor old;
  if (exists) {
    if (!save.facts.regular) {
      return fail(reason,
                  save.facts.folder ? "It is a folder, not a file" : "It is not a regular file");
    }
    // No write bit for anyone: its owner made it read-only, and a user the
    // system lets write anyway (root) is refused too, by either route.
    if ((save.facts.mode & 0222U) == 0) {
      return fail(reason, "The file is read-only");
    }
    error = os::openForUpdate(save.folder, save.name, old);
    if ((error == EACCES || error == EPERM) && !os::mayWrite(save.folder, save.name)) {
      return fail(reason, "The file is read-only");
    }
    if (error == 0) {
      error = os::openFileFacts(old.get(), save.facts);
    }
    if (error != 0) {
      return fail(reason, describeError(error));
    }
    if (!save.facts.regular) {
      return fail(reason, "It is not a regular file");
    }
    save.old = old.get();
  }
  save.stem = temporaryStem(save.name, os::longestName(save.folder));
  removeLeftovers(save);
  // Replacing a file that has other names would split it from them.
  if (!exists || save.facts.links == 1) {
    const Outcome outcome = replaceWithTemporary(save, reason);
    if (outcome != Outcome::WriteInPlace) {
      return outcome == Outcome::Saved;
    }
  }
  return writeInPlace(save, reason);
}

}  // namespace tarvo
