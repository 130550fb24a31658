// IPS and BPS patches: what ROM hackers share instead of ROM images.
#pragma once

#include <optional>
#include <string>

#include "shell/rom_image.h"

namespace tarvo {

enum class PatchFormat { Ips, Bps };

// The format a file name asks for by its extension (.ips or .bps, any case).
std::optional<PatchFormat> patchFormatForPath(const std::string& path);

// Builds a patch that turns `original` into `edited`. Returns false with the
// reason when the format cannot express the change (an IPS patch reaches no
// further than 16 MiB).
bool makePatch(PatchFormat format, const ByteArray& original, const ByteArray& edited,
               ByteArray& patch, std::string* reason = nullptr);

// Applies `patch` (IPS or BPS, told by its first bytes) to `source`. On
// success `result` holds the patched file; on failure (a corrupt or
// truncated patch, a BPS patch made for another file) it is left as it was
// and `reason` says why in plain words.
bool applyPatch(const ByteArray& patch, const ByteArray& source, ByteArray& result,
                std::string* reason = nullptr);

}  // namespace tarvo
