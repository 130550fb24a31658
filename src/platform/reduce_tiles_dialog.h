// Tiles > Reduce Tiles to N: the screen beside what it becomes with at most
// N tiles, and the figures before and after.
#pragma once

#include <optional>

#include "screens/tile_budget.h"

class QWidget;

namespace tarvo {

// The N the user applies, or nothing when cancelled; `suggested` is the
// first N shown.
std::optional<int> runReduceTilesDialog(QWidget* parent, TileScreen screen, const ByteArray& image,
                                        int suggested);

}  // namespace tarvo
