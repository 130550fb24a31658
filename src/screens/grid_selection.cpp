#include "screens/grid_selection.h"

#include <algorithm>
#include <cstdio>

#include "screens/view_transform.h"

namespace tarvo {

std::optional<CellRect> GridSelection::cellAt(int x, int y) const {
  const int column = floorDiv(x, cellSide_);
  const int row = floorDiv(y, cellSide_);
  if (column < 0 || row < 0 || column >= columns_ || row >= rows_) {
    return std::nullopt;
  }
  return CellRect{column, row, 1, 1};
}

CellRect GridSelection::clampedCellAt(int x, int y) const {
  return {std::clamp(floorDiv(x, cellSide_), 0, columns_ - 1),
          std::clamp(floorDiv(y, cellSide_), 0, rows_ - 1), 1, 1};
}

void GridSelection::pressSelect(int x, int y) {
  before_ = selection_;
  anchor_ = clampedCellAt(x, y);
  selection_ = anchor_;
  dragging_ = true;
}

bool GridSelection::moveSelect(int x, int y) {
  if (!dragging_) {
    return false;
  }
  const CellRect end = clampedCellAt(x, y);
  const int left = std::min(anchor_.column, end.column);
  const int top = std::min(anchor_.row, end.row);
  const CellRect next{left, top, std::max(anchor_.column, end.column) - left + 1,
                      std::max(anchor_.row, end.row) - top + 1};
  const bool changed = selection_ != next;
  selection_ = next;
  return changed;
}

void GridSelection::cancelDrag() {
  if (dragging_) {
    selection_ = before_;
    dragging_ = false;
  }
}

void GridSelection::startPaste(int columns, int rows, std::optional<CellRect> at, CellRect first) {
  dragging_ = false;
  pasting_ = true;
  pasteColumns_ = columns;
  pasteRows_ = rows;
  if (at) {
    pasteColumn_ = at->column - columns / 2;
    pasteRow_ = at->row - rows / 2;
  } else {
    pasteColumn_ = first.column;
    pasteRow_ = first.row;
  }
}

bool GridSelection::followPointer(int x, int y) {
  const std::optional<CellRect> cell = cellAt(x, y);
  if (!pasting_ || !cell) {
    return false;
  }
  const int column = cell->column - pasteColumns_ / 2;
  const int row = cell->row - pasteRows_ / 2;
  const bool moved = column != pasteColumn_ || row != pasteRow_;
  pasteColumn_ = column;
  pasteRow_ = row;
  return moved;
}

CellRect GridSelection::pasteArea() const {
  if (!pasting_) {
    return {};
  }
  return clipToGrid(pasteColumns_, pasteRows_, pasteColumn_, pasteRow_, columns_, rows_);
}

namespace {

// `prefix` and "3, 4: 5 x 2". (Written with snprintf: joined as strings,
// GCC 12 at -O3 warns wrongly of an overlapping copy, -Wrestrict.)
std::string cellsText(const char* prefix, const CellRect& cells) {
  char text[80];
  std::snprintf(text, sizeof text, "%s%d, %d: %d x %d", prefix, cells.column, cells.row,
                cells.columns, cells.rows);
  return text;
}

}  // namespace

std::string GridSelection::rectText(const CellRect& cells) {
  return cellsText("", cells);
}

std::string GridSelection::statusText() const {
  if (pasting_) {
    const CellRect area = pasteArea();
    return area.empty() ? std::string("Paste off the edge") : cellsText("Paste ", area);
  }
  return selection_ ? cellsText(" ", *selection_) : std::string();
}

}  // namespace tarvo
