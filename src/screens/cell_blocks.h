// Blocks of cells on any grid: copying a rectangle, pasting it clipped to
// the grid, filling a rectangle and flooding a region of one value.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "screens/cell_grid.h"

namespace tarvo {

// A copied block: its cells' values (row-major, columns x rows) and, from a
// grid with quadrants, the sub-palette of each quadrant (row-major, 2 x
// columns by 2 x rows; empty elsewhere).
struct CellBlock {
  int columns = 0;
  int rows = 0;
  std::vector<std::uint8_t> cells;
  std::vector<std::uint8_t> subPalettes;  // 0 to 3 each
  friend bool operator==(const CellBlock&, const CellBlock&) = default;
};

// The block under `cells`, which must lie on the grid (else an empty block).
CellBlock copyBlock(const CellGrid& grid, const CellRect& cells);

// The cells a paste of `block` with its top-left cell at (column, row)
// writes: the part over the grid's edge is dropped. The preview shows these
// cells and the paste writes these, and no others.
CellRect pasteArea(const CellGrid& grid, const CellBlock& block, int column, int row);

// Writes `block` at (column, row), clipped as pasteArea says; returns
// whether anything changed.
bool pasteBlock(CellGrid& grid, const CellBlock& block, int column, int row);

// Puts `value` into every cell of `cells` on the grid (Delete on a
// selection); returns whether anything changed.
bool fillCells(CellGrid& grid, const CellRect& cells, int value);

// The fill tool: the cells 4-connected to (column, row) that hold its value,
// inside `within` when given (a start outside it fills nothing), take
// `value`. Returns whether anything changed.
bool floodFill(CellGrid& grid, int column, int row, int value,
               const std::optional<CellRect>& within);

}  // namespace tarvo
