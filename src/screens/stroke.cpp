#include "screens/stroke.h"

#include "screens/cell_grid.h"

namespace tarvo {

void Stroke::begin(int columns, int rows, std::optional<Cell> at, std::vector<Cell>& cells) {
  columns_ = columns;
  rows_ = rows;
  painted_.assign(static_cast<std::size_t>(columns * rows), false);
  active_ = true;
  last_.reset();
  moveTo(at, cells);
}

bool Stroke::claim(const Cell& cell) {
  const auto& [column, row] = cell;
  if (column < 0 || row < 0 || column >= columns_ || row >= rows_) {
    return false;
  }
  const auto index = static_cast<std::size_t>(row * columns_ + column);
  if (painted_[index]) {
    return false;
  }
  painted_[index] = true;
  return true;
}

void Stroke::moveTo(std::optional<Cell> at, std::vector<Cell>& cells) {
  cells.clear();
  if (!active_ || !at) {
    last_.reset();
    return;
  }
  const Cell from = last_.value_or(*at);
  forEachCellAlong(from.first, from.second, at->first, at->second, [&](int column, int row) {
    if (claim({column, row})) {
      cells.emplace_back(column, row);
    }
  });
  last_ = at;
}

}  // namespace tarvo
