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

Grid metatileGrid() {
  return makeGrid(15, 512, 8, 512);
}

}  // namespace tarvo
