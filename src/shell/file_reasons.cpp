#include "shell/file_reasons.h"

#include <cerrno>
#include <system_error>

namespace tarvo {

namespace fs = std::filesystem;

std::string describeError(int error) {
  switch (error) {
    case ENOENT:
      return "No such file";
    case EACCES:
    case EPERM:
      return "Permission denied";
    case ENOSPC:
      return "The disk is full";
    case EDQUOT:
      return "The disk quota is used up";
    case EFBIG:
      return "The file is larger than this system lets a program write";
    case EROFS:
      return "The disk is read-only";
    case EIO:
      return "The disk reported a read or write error";
    case EISDIR:
      return "That is a folder, not a file";
    case ENOTDIR:
      return "A part of the path is not a folder";
    case ENAMETOOLONG:
      return "The file name is too long";
    case ELOOP:
      return "The path holds too many symbolic links";
    case EMFILE:
    case ENFILE:
      return "Too many files are open";
    case EBUSY:
    case ETXTBSY:
      return "The file is in use";
    default: {
      std::string text = std::generic_category().message(error);
      if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') {
        text[0] = static_cast<char>(text[0] - 'a' + 'A');
      }
      return text;
    }
  }
}

std::string notAFileReason(const std::filesystem::path& path) {
  if (path.empty()) {
    return "No file name was given";
  }
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (status.type() == fs::file_type::not_found) {
    return "No such file";
  }
  if (error) {
    return describeError(error.value());
  }
  if (status.type() == fs::file_type::directory) {
    return "It is a folder, not a file";
  }
  return "It is not a regular file";
}

}  // namespace tarvo
