// The grids that can be shown over the field map and the metatile table:
// one-pixel lines between cells, in pixels of the picture they lie over.
#pragma once

#include <vector>

namespace tarvo {

struct GridLine {
  int x1, y1, x2, y2;
  friend bool operator==(const GridLine&, const GridLine&) = default;
};

struct Grid {
  std::vector<GridLine> vertical;
  std::vector<GridLine> horizontal;
};

// Lines at 32, 64, ..., 736 both ways over the 768 x 768 map; the vertical
// ones run on to 1024, past the picture, which clips them.
Grid fieldGrid();

// Vertical lines at 32, ..., 480 and horizontal lines at 32, ..., 256 over
// the metatile table: 16 columns and the 9 rows that hold metatiles.
Grid metatileGrid();

}  // namespace tarvo
