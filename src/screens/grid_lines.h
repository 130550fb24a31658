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

// The lines between the 16 x 16 quadrants inside the map's cells: at 16, 48,
// ..., 752 both ways, 768 pixels long.
Grid quadrantGrid();

// Vertical lines at 32, ..., 480 and horizontal lines at 32, ..., 256 over
// the metatile table: 16 columns and the 9 rows that hold metatiles.
Grid metatileGrid();

// The graphics editor window's grid: 32 vertical and 32 horizontal lines
// (lineVert and lineHoriz), spread over its four views.
enum class EditorView { PatternTable, SelectedTile, Metatile, BatView };

struct EditorGridLine {
  EditorView view;
  GridLine line;  // in pixels of that view
};

struct EditorGrid {
  std::vector<EditorGridLine> vertical;    // lineVert(0) to (31)
  std::vector<EditorGridLine> horizontal;  // lineHoriz(0) to (31)
};

// Lines 0-14 between the tiles of the pattern table (every 16 pixels of 256),
// 15-21 between the pixels of the enlarged tile (every 16 of 128), 22-24
// between the tiles of the enlarged metatile (every 32 of 128) and 25-31
// every 32 pixels over the batter's view (256 x 240; its vertical lines run
// 256 long and are clipped).
EditorGrid editorGrid();

}  // namespace tarvo
