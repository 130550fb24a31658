// Saving a file so that nothing is lost, whatever happens meanwhile: the
// new bytes go to a temporary file in the same folder that then takes the
// file's place (keeping its permissions, owner and group), or, where that
// cannot give the same file, into the file itself with its old bytes kept
// to write back on a failure. Symbolic links are followed to the file at
// their end; a file with a second name is written in place so that the
// names stay one file; a file without a write bit for anyone is refused.
#pragma once

#include <string>

#include "gfx/bytes.h"

namespace tarvo {

// Saves `buffer` to `path`; with `keepTail`, bytes of the old file beyond
// the buffer's length stay. On failure says why in `reason`.
bool saveSafely(const std::string& path, const ByteArray& buffer, bool keepTail,
                std::string* reason);

}  // namespace tarvo
