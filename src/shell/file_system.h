// The few operating-system calls that the standard library lacks and the file
// operations need. Everything else about files uses <cstdio> and
// <filesystem>.
#pragma once

#include <cstdio>
#include <filesystem>

namespace tarvo::os {

// Flushes the data of an open file to the disk. Returns 0 or an errno value.
int syncToDisk(std::FILE* file);

// Flushes a folder's entries (a rename in it) to the disk; best effort.
void syncFolder(const std::filesystem::path& folder);

// Gives `file` the owner and group of `model`; best effort, since only a
// privileged user may give a file away.
void copyOwner(const std::filesystem::path& model, std::FILE* file);

// A process that writes files must not be killed by a file-size limit: with
// this, a write past the limit fails with EFBIG and the save reports it.
void ignoreFileSizeSignal();

}  // namespace tarvo::os
