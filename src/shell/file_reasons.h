// Why a file could not be read or written, in plain words. Reasons never
// name the file: every caller already puts its name in front.
#pragma once

#include <filesystem>
#include <string>

namespace tarvo {

// An operating-system error (errno).
std::string describeError(int error);

// Why `path` is not a regular file that can be loaded.
std::string notAFileReason(const std::filesystem::path& path);

}  // namespace tarvo
