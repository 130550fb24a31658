// The colour half of fitting a picture: its sub-palettes, which region takes
// which, and the colour slot of every pixel.
#pragma once

#include <optional>
#include <vector>

#include "screens/picture_fit.h"

namespace tarvo::picture_fit {

// Chooses the sub-palettes (or takes `kept`), gives every region one and
// every pixel a slot. An exact picture whose regions' colours pack into the
// sub-palettes is shown exactly, with the slots ordered so that alike tiles
// of differently coloured regions come out the same.
SlotPicture fitColours(const Layout& layout, const PictureColours& colours,
                       const ConsoleColours& console, const ImportOptions& options,
                       const std::optional<std::vector<SubPalette>>& kept,
                       const Progress& progress);

}  // namespace tarvo::picture_fit
