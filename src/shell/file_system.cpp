#include "shell/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <limits>

namespace tarvo::os {

namespace {

std::atomic<bool> noUnnamedTemporaries{false};

int errorOf(int result) {
  return result == 0 ? 0 : errno;
}

void describe(const struct stat& info, FileFacts& facts) {
  facts.regular = S_ISREG(info.st_mode);
  facts.folder = S_ISDIR(info.st_mode);
  facts.owner = info.st_uid;
  facts.group = info.st_gid;
  facts.mode = info.st_mode & 07777;
  facts.links = info.st_nlink;
  facts.size = static_cast<std::uint64_t>(info.st_size);
}

int opened(int fd, FileDescriptor& out) {
  if (fd < 0) {
    return errno;
  }
  out = FileDescriptor(fd);
  return 0;
}

}  // namespace

std::FILE* openRegularFile(const std::filesystem::path& path, int& error, bool& notRegular,
                           std::uintmax_t& size) {
  notRegular = false;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    error = errno;
    return nullptr;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    error = errno;
    notRegular = true;
    ::close(fd);
    return nullptr;
  }
  size = static_cast<std::uintmax_t>(info.st_size);
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  std::FILE* file = ::fdopen(fd, "rb");
  if (file == nullptr) {
    error = errno;
    ::close(fd);
  }
  return file;
}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
  if (this != &other) {
    close();
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

FileDescriptor::~FileDescriptor() {
  close();
}

int FileDescriptor::close() {
  if (fd_ < 0) {
    return 0;
  }
  // Not retried on EINTR: on Linux the descriptor is gone either way.
  const int result = errorOf(::close(fd_));
  fd_ = -1;
  return result;
}

int openFolder(const std::filesystem::path& folder, FileDescriptor& out) {
  return opened(::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC), out);
}

int entryFacts(int folder, const std::string& name, FileFacts& facts) {
  struct stat info {};
  if (::fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
    return errno;
  }
  describe(info, facts);
  return 0;
}

int openFileFacts(int file, FileFacts& facts) {
  struct stat info {};
  if (::fstat(file, &info) != 0) {
    return errno;
  }
  describe(info, facts);
  return 0;
}

int openForUpdate(int folder, const std::string& name, FileDescriptor& out) {
  const int error = opened(
      ::openat(folder, name.c_str(), O_RDWR | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK | O_CLOEXEC), out);
  if (error == 0) {
    ::fcntl(out.get(), F_SETFL, ::fcntl(out.get(), F_GETFL) & ~O_NONBLOCK);
  }
  return error;
}

bool mayWrite(int folder, const std::string& name) {
  return ::faccessat(folder, name.c_str(), W_OK, AT_EACCESS) == 0;
}

int openUnnamedTemporary(int folder, std::uint32_t mode, FileDescriptor& out) {
  if (noUnnamedTemporaries) {
    return EOPNOTSUPP;
  }
  // Not O_EXCL: a file opened with it can never be given a name.
  return opened(::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode), out);
}

bool lacksUnnamedTemporaries(int error) {
  // EISDIR: a kernel that does not know O_TMPFILE sees only its O_DIRECTORY.
  return error == EOPNOTSUPP || error == EISDIR || error == EINVAL;
}

void pretendUnnamedTemporariesUnsupported(bool pretend) {
  noUnnamedTemporaries = pretend;
}

int nameUnnamedTemporary(int file, int folder, const std::string& name) {
  // Through /proc rather than AT_EMPTY_PATH, which needs a privilege.
  const std::string self = "/proc/self/fd/" + std::to_string(file);
  return errorOf(::linkat(AT_FDCWD, self.c_str(), folder, name.c_str(), AT_SYMLINK_FOLLOW));
}

int createNewFile(int folder, const std::string& name, std::uint32_t mode, FileDescriptor& out) {
  return opened(::openat(folder, name.c_str(),
                         O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, mode),
                out);
}

int renameEntry(int folder, const std::string& from, const std::string& to) {
  return errorOf(::renameat(folder, from.c_str(), folder, to.c_str()));
}

int removeEntry(int folder, const std::string& name) {
  return errorOf(::unlinkat(folder, name.c_str(), 0));
}

std::vector<std::string> regularFilesIn(int folder) {
  std::vector<std::string> names;
  const int fd = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    return names;
  }
  DIR* entries = ::fdopendir(fd);
  if (entries == nullptr) {
    ::close(fd);
    return names;
  }
  while (const dirent* entry = ::readdir(entries)) {
    bool regular = entry->d_type == DT_REG;
    if (entry->d_type == DT_UNKNOWN) {
      struct stat info {};
      regular =
          ::fstatat(fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode);
    }
    if (regular) {
      names.emplace_back(entry->d_name);
    }
  }
  ::closedir(entries);
  return names;
}

std::size_t longestName(int folder) {
  const long longest = ::fpathconf(folder, _PC_NAME_MAX);
  return longest > 0 ? static_cast<std::size_t>(longest) : 255;
}

int setOwner(int file, std::uint32_t owner, std::uint32_t group) {
  return errorOf(::fchown(file, owner, group));
}

int setMode(int file, std::uint32_t mode) {
  return errorOf(::fchmod(file, mode));
}

int writeAt(int file, const std::uint8_t* data, std::size_t size, std::uint64_t offset,
            std::uint64_t& written) {
  written = 0;
  while (written < size) {
    const std::size_t part = std::min<std::size_t>(size - written, 1 << 30);
    const ssize_t result =
        ::pwrite(file, data + written, part, static_cast<off_t>(offset + written));
    if (result < 0 && errno == EINTR) {
      continue;
    }
    if (result <= 0) {
      return result < 0 ? errno : EIO;
    }
    written += static_cast<std::uint64_t>(result);
  }
  return 0;
}

int readAt(int file, std::uint8_t* data, std::size_t size, std::uint64_t offset, std::size_t& got) {
  got = 0;
  while (got < size) {
    const std::size_t part = std::min<std::size_t>(size - got, 1 << 30);
    const ssize_t result = ::pread(file, data + got, part, static_cast<off_t>(offset + got));
    if (result < 0 && errno == EINTR) {
      continue;
    }
    if (result < 0) {
      return errno;
    }
    if (result == 0) {
      break;
    }
    got += static_cast<std::size_t>(result);
  }
  return 0;
}

int setLength(int file, std::uint64_t size) {
  if (size > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) {
    return EFBIG;
  }
  return errorOf(::ftruncate(file, static_cast<off_t>(size)));
}

int syncToDisk(int file) {
  return errorOf(::fsync(file));
}

void syncFolder(int folder) {
  const int fd = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

void ignoreFileSizeSignal() {
  std::signal(SIGXFSZ, SIG_IGN);
}

int lockFile(const std::filesystem::path& path, FileDescriptor& out) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) {
    return errno;
  }
  FileDescriptor file(fd);
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    return errno;
  }
  out = std::move(file);
  return 0;
}

}  // namespace tarvo::os
