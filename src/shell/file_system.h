// The few operating-system calls that the standard library lacks and the file
// operations need. Everything else about files uses <cstdio> and
// <filesystem>. Functions that return an int return 0 or an errno value.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace tarvo::os {

// Opens `path` for reading. Never blocks on a pipe or a device: anything but a
// regular file is refused with `notRegular` set. Returns nullptr with `error`
// (an errno value) when the file cannot be opened; `size` is the open file's
// size.
std::FILE* openRegularFile(const std::filesystem::path& path, int& error, bool& notRegular,
                           std::uintmax_t& size);

// An open file or folder, closed when the object goes.
class FileDescriptor {
 public:
  FileDescriptor() = default;
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  FileDescriptor& operator=(FileDescriptor&& other) noexcept;
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor();

  int get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }
  // Closes it now. Some file systems report a failed write only here.
  int close();

 private:
  int fd_ = -1;
};

// What a save needs to know of a file.
struct FileFacts {
  bool regular = false;
  bool folder = false;
  std::uint32_t owner = 0;
  std::uint32_t group = 0;
  std::uint32_t mode = 0;   // the permission, set-ID and sticky bits
  std::uint64_t links = 0;  // how many names the file has
  std::uint64_t size = 0;
};

// Opens `folder` for the calls below that take one; reading it is not needed.
int openFolder(const std::filesystem::path& folder, FileDescriptor& out);

// The facts of `name` in `folder`, not following a symbolic link; ENOENT when
// there is no such name.
int entryFacts(int folder, const std::string& name, FileFacts& facts);
int openFileFacts(int file, FileFacts& facts);

// Opens `name` in `folder` for reading and writing, refusing a symbolic link
// and never blocking on a pipe.
int openForUpdate(int folder, const std::string& name, FileDescriptor& out);

// False when the user may not write `name` in `folder` (a read-only file).
bool mayWrite(int folder, const std::string& name);

// Opens a new file in `folder` that has no name, so that nothing is left of it
// if the process dies, with `mode` less the umask. When the file system or
// the kernel has no such files, the error is one for which
// lacksUnnamedTemporaries() is true.
int openUnnamedTemporary(int folder, std::uint32_t mode, FileDescriptor& out);
bool lacksUnnamedTemporaries(int error);

// For tests: makes openUnnamedTemporary() fail as on a file system without
// unnamed files.
void pretendUnnamedTemporariesUnsupported(bool pretend);

// Gives the file opened by openUnnamedTemporary() the name `name` in
// `folder`; EEXIST when the name is taken.
int nameUnnamedTemporary(int file, int folder, const std::string& name);

// Creates `name` in `folder` and opens it for writing, with `mode` less the
// umask; EEXIST when the name is taken.
int createNewFile(int folder, const std::string& name, std::uint32_t mode, FileDescriptor& out);

// Renames `from` to `to` in `folder`, replacing what `to` named.
int renameEntry(int folder, const std::string& from, const std::string& to);
int removeEntry(int folder, const std::string& name);

// The names of the regular files in `folder`; none when it cannot be read.
std::vector<std::string> regularFilesIn(int folder);

// The longest name, in bytes, that the file system of `folder` takes.
std::size_t longestName(int folder);

// The owner first: giving a file away may clear its set-group-ID bit.
int setOwner(int file, std::uint32_t owner, std::uint32_t group);
int setMode(int file, std::uint32_t mode);

// Writes all `size` bytes at `offset`, unbuffered; the first failure ends it.
// `written` receives how many bytes reached the file either way.
int writeAt(int file, const std::uint8_t* data, std::size_t size, std::uint64_t offset,
            std::uint64_t& written);

// Reads `size` bytes at `offset`, or fewer at the end of the file; `got`
// receives how many.
int readAt(int file, std::uint8_t* data, std::size_t size, std::uint64_t offset, std::size_t& got);

int setLength(int file, std::uint64_t size);

// Flushes the data of an open file to the disk.
int syncToDisk(int file);

// Flushes a folder's entries (a rename in it) to the disk; best effort.
void syncFolder(int folder);

// A process that writes files must not be killed by a file-size limit: with
// this, a write past the limit fails with EFBIG and the save reports it.
void ignoreFileSizeSignal();

// Takes an exclusive lock on `path` (made 0600 if missing) without waiting,
// held while `out` stays open. EWOULDBLOCK (or EAGAIN) when another open file
// holds it: a session that still runs.
int lockFile(const std::filesystem::path& path, FileDescriptor& out);

}  // namespace tarvo::os
