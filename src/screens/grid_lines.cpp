#include "screens/grid_lines.h"

namespace tarvo {

namespace {

Grid makeGrid(int verticalCount, int verticalLength, int horizontalCount, int horizontalLength) {
  Grid grid;
  for (int i = 0; i < verticalCount; ++i) {
    const int x = 32 * (i + 1);
    grid.vertical.push_back({x, 0, x, verticalLength});
  }
  for (int i = 0; i < horizontalCount; ++i) {
    const int y = 32 * (i + 1);
    grid.horizontal.push_back({0, y, horizontalLength, y});
  }
  return grid;
}

}  // namespace

Grid fieldGrid() {
  return makeGrid(23, 1024, 23, 768);
}

Grid quadrantGrid() {
  Grid grid;
  for (int i = 0; i < 24; ++i) {
    const int at = 32 * i + 16;
    grid.vertical.push_back({at, 0, at, 767});
    grid.horizontal.push_back({0, at, 767, at});
  }
  return grid;
}

Grid metatileGrid() {
  return makeGrid(15, 512, 8, 512);
}

EditorGrid editorGrid() {
  struct Part {
    EditorView view;
    int count;
    int spacing;
    int width;
    int length;  // of the vertical lines
  };
  constexpr Part kParts[] = {
      {EditorView::PatternTable, 15, 16, 256, 256},
      {EditorView::SelectedTile, 7, 16, 128, 128},
      {EditorView::Metatile, 3, 32, 128, 128},
      {EditorView::BatView, 7, 32, 256, 256},
  };
  EditorGrid grid;
  for (const Part& part : kParts) {
    for (int i = 1; i <= part.count; ++i) {
      const int at = part.spacing * i;
      grid.vertical.push_back({part.view, {at, 0, at, part.length}});
      grid.horizontal.push_back({part.view, {0, at, part.width, at}});
    }
  }
  return grid;
}

}  // namespace tarvo
