// The few operating-system calls that the standard library lacks and the file
// operations need. Everything else about files uses <cstdio> and
// <filesystem>.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>

namespace tarvo::os {

// Opens `path` for reading. Never blocks on a pipe or a device: anything but a
// regular file is refused with `notRegular` set. Returns nullptr with `error`
// (an errno value) when the file cannot be opened; `size` is the open file's
// size.
std::FILE* openRegularFile(const std::filesystem::path& path, int& error, bool& notRegular,
                           std::uintmax_t& size);

// False when the user may not write the existing file at `path` (a read-only
// file); the program never replaces what it could not write in place.
bool isWritable(const std::filesystem::path& path);

// Gives the open `file` the owner, group and permissions of `model`: the
// owner on a best-effort basis (only a privileged user may give a file
// away), the permissions for certain. Returns 0 or an errno value.
int copyOwnerAndMode(const std::filesystem::path& model, std::FILE* file);

// The size of the open file, or -1.
std::int64_t openFileSize(std::FILE* file);

// Flushes the data of an open file to the disk. Returns 0 or an errno value.
int syncToDisk(std::FILE* file);

// Flushes a folder's entries (a rename in it) to the disk; best effort.
void syncFolder(const std::filesystem::path& folder);

// A process that writes files must not be killed by a file-size limit: with
// this, a write past the limit fails with EFBIG and the save reports it.
void ignoreFileSizeSignal();

}  // namespace tarvo::os
