// The main window's edits that are not tool gestures, each one named step
// of the history: a colour of the field palette, and a picture imported as
// the field or the batter's view.
#pragma once

#include <cstdint>

#include "screens/picture_import.h"
#include "shell/edit_history.h"

namespace tarvo {

// Entry `entry` (0 to 15) of the field palette becomes NES colour `number`.
// Returns whether the byte changed.
bool setFieldColour(EditHistory& history, ByteArray& image, int entry, std::uint8_t number);

// Writes a fitted picture into the image as the view it was fitted to.
void importPicture(EditHistory& history, ByteArray& image, const FittedPicture& fitted,
                   ImportTarget target);

}  // namespace tarvo
