#include "screens/stroke.h"

#include "screens/cell_grid.h"

namespace tarvo {

std::vector<Stroke::Cell> Stroke::begin(int columns, int rows, std::optional<Cell> at) {
  columns_ = columns;
  rows_ = rows;
  painted_.assign(static_cast<std::size_t>(columns * rows), false);
  active_ = true;
  last_.reset();
  return moveTo(at);
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

std::vector<Stroke::Cell> Stroke::moveTo(std::optional<Cell> at) {
  std::vector<Cell> cells;
  if (!active_ || !at) {
    last_.reset();
    return cells;
  }
  const std::vector<Cell> path =
      last_ ? cellsAlong(last_->first, last_->second, at->first, at->second)
            : std::vector<Cell>{*at};
  for (const Cell& cell : path) {
    if (claim(cell)) {
      cells.push_back(cell);
    }
  }
  last_ = at;
  return cells;
}

}  // namespace tarvo
