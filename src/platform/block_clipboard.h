// The system clipboard for blocks the editor copies (map blocks, tiles,
// name-table blocks): one write carries the block in our own MIME type, as
// plain text in the same form, and as a picture for image editors.
#pragma once

#include <string>

#include "gfx/surface.h"

namespace tarvo {

inline constexpr const char* kFieldBlockMime = "application/x-tarvo-field-block";
inline constexpr const char* kTileMime = "application/x-tarvo-tile";
inline constexpr const char* kNameTableBlockMime = "application/x-tarvo-name-table-block";

// Puts `text` under `mimeType` and as plain text, and `picture` as an image.
void putOnClipboard(const char* mimeType, const std::string& text, const Surface& picture);

// What the clipboard holds under `mimeType`, else its plain text; empty when
// it holds neither.
std::string clipboardText(const char* mimeType);

}  // namespace tarvo
