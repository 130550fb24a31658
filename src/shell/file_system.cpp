#include "shell/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace tarvo::os {

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

bool isWritable(const std::filesystem::path& path) {
  return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

int copyOwnerAndMode(const std::filesystem::path& model, std::FILE* file) {
  struct stat info {};
  if (::stat(model.c_str(), &info) != 0) {
    return errno;
  }
  const int fd = ::fileno(file);
  // The owner first: giving a file away may clear its set-group-ID bit.
  [[maybe_unused]] const int ignored = ::fchown(fd, info.st_uid, info.st_gid);
  if (::fchmod(fd, info.st_mode & 07777) != 0) {
    return errno;
  }
  return 0;
}

std::int64_t openFileSize(std::FILE* file) {
  struct stat info {};
  if (::fstat(::fileno(file), &info) != 0) {
    return -1;
  }
  return static_cast<std::int64_t>(info.st_size);
}

int syncToDisk(std::FILE* file) {
  if (::fsync(::fileno(file)) != 0) {
    return errno;
  }
  return 0;
}

void syncFolder(const std::filesystem::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

void ignoreFileSizeSignal() {
  std::signal(SIGXFSZ, SIG_IGN);
}

}  // namespace tarvo::os
