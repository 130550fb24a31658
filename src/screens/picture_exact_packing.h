// The sub-palettes of a picture the console can show exactly: every pixel
// one of the console's colours, every region at most four of them.
#pragma once

#include <optional>
#include <vector>

#include "screens/picture_fit.h"

namespace tarvo::picture_fit {

// Packs the colours of the regions into the layout's sub-palettes, with a
// shared first colour when `shared`; nothing when they do not fit. Each
// region gets every sub-palette that shows it (`choices`) and the first of
// them; a sub-palette holds its most used colour first, and one left over
// shows again the colours that the most regions fit.
std::optional<PaletteFit> packExactly(const Layout& layout, const PictureColours& colours,
                                      bool shared, const Progress& progress);

// The sub-palettes of a kept palette that show each region exactly, or
// nothing when some region has none.
std::optional<PaletteFit> choicesIn(const Layout& layout, const PictureColours& colours,
                                    const std::vector<SubPalette>& subs);

}  // namespace tarvo::picture_fit
