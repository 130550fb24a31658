#include "shell/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace tarvo::os {

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

void copyOwner(const std::filesystem::path& model, std::FILE* file) {
  struct stat info {};
  if (::stat(model.c_str(), &info) == 0) {
    [[maybe_unused]] const int ignored = ::fchown(::fileno(file), info.st_uid, info.st_gid);
  }
}

void ignoreFileSizeSignal() {
  std::signal(SIGXFSZ, SIG_IGN);
}

}  // namespace tarvo::os
