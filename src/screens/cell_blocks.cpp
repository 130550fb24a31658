#include "screens/cell_blocks.h"

namespace tarvo {

CellBlock copyBlock(const CellGrid& grid, const CellRect& cells) {
  CellBlock block;
  if (!grid.ready() || cells.empty() || !grid.contains(cells.column, cells.row) ||
      !grid.contains(cells.column + cells.columns - 1, cells.row + cells.rows - 1)) {
    return block;
  }
  block.columns = cells.columns;
  block.rows = cells.rows;
  for (int r = 0; r < cells.rows; ++r) {
    for (int c = 0; c < cells.columns; ++c) {
      block.cells.push_back(static_cast<std::uint8_t>(grid.cell(cells.column + c, cells.row + r)));
    }
  }
  if (grid.shape().quadrants) {
    for (int qy = 0; qy < 2 * cells.rows; ++qy) {
      for (int qx = 0; qx < 2 * cells.columns; ++qx) {
        block.subPalettes.push_back(
            static_cast<std::uint8_t>(grid.subPalette(2 * cells.column + qx, 2 * cells.row + qy)));
      }
    }
  }
  return block;
}

CellRect pasteArea(const CellGrid& grid, const CellBlock& block, int column, int row) {
  return clipToGrid(block.columns, block.rows, column, row, grid.shape().columns,
                    grid.shape().rows);
}

bool pasteBlock(CellGrid& grid, const CellBlock& block, int column, int row) {
  const CellRect area = pasteArea(grid, block, column, row);
  const auto cells = static_cast<std::size_t>(block.columns * block.rows);
  const bool quadrants = grid.shape().quadrants;
  if (!grid.ready() || area.empty() || block.cells.size() != cells ||
      block.subPalettes.size() != (quadrants ? 4 * cells : 0)) {
    return false;
  }
  bool changed = false;
  for (int r = area.row; r < area.row + area.rows; ++r) {
    for (int c = area.column; c < area.column + area.columns; ++c) {
      const int bc = c - column;
      const int br = r - row;
      changed |= grid.setCell(c, r, block.cells[static_cast<std::size_t>(br * block.columns + bc)]);
      for (int q = 0; quadrants && q < 4; ++q) {
        const int qx = 2 * bc + (q & 1);
        const int qy = 2 * br + q / 2;
        changed |= grid.setSubPalette(
            2 * c + (q & 1), 2 * r + q / 2,
            block.subPalettes[static_cast<std::size_t>(qy * 2 * block.columns + qx)]);
      }
    }
  }
  return changed;
}

bool fillCells(CellGrid& grid, const CellRect& cells, int value) {
  const CellRect area = clipToGrid(cells.columns, cells.rows, cells.column, cells.row,
                                   grid.shape().columns, grid.shape().rows);
  bool changed = false;
  for (int r = area.row; grid.ready() && r < area.row + area.rows; ++r) {
    for (int c = area.column; c < area.column + area.columns; ++c) {
      changed |= grid.setCell(c, r, value);
    }
  }
  return changed;
}

bool floodFill(CellGrid& grid, int column, int row, int value,
               const std::optional<CellRect>& within) {
  if (!grid.ready() || !grid.contains(column, row)) {
    return false;
  }
  const int matched = grid.cell(column, row);
  if (matched == value) {
    return false;  // the region holds it already
  }
  const int columns = grid.shape().columns;
  const int rows = grid.shape().rows;
  // The grid's cells, read once: the flood asks for each several times.
  std::vector<bool> same(static_cast<std::size_t>(columns * rows));
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      same[static_cast<std::size_t>(r * columns + c)] = grid.cell(c, r) == matched;
    }
  }
  const std::vector<bool> region = floodRegion(
      columns, rows, column, row,
      [&](int c, int r) { return same[static_cast<std::size_t>(r * columns + c)]; },
      [&](int c, int r) { return !within || within->contains(c, r); });
  bool changed = false;
  for (std::size_t i = 0; i < region.size(); ++i) {
    if (region[i]) {
      changed |= grid.setCell(static_cast<int>(i) % columns, static_cast<int>(i) / columns, value);
    }
  }
  return changed;
}

}  // namespace tarvo
