#include "screens/grid_tools.h"

#include <algorithm>
#include <utility>

#include "screens/view_transform.h"

namespace tarvo {

namespace {

GridSelection selectionOn(const CellGrid& grid) {
  return GridSelection(grid.shape().columns, grid.shape().rows, grid.shape().cellSide);
}

}  // namespace

const char* toolName(Tool tool) {
  switch (tool) {
    case Tool::Brush:
      return "Brush";
    case Tool::Select:
      return "Select";
    case Tool::Fill:
      return "Fill";
    case Tool::Pick:
      return "Pick";
    case Tool::SubPalette:
      return "Sub-palette brush";
  }
  return "";
}

GridTools::GridTools(EditHistory& history, CellGrid& grid)
    : history_(history), grid_(&grid), cells_(selectionOn(grid)) {}

void GridTools::setGrid(CellGrid& grid) {
  reset();
  grid_ = &grid;
  cells_ = selectionOn(grid);
}

void GridTools::setTool(Tool tool) {
  endGesture();
  cells_.stopPaste();
  tool_ = tool;
}

void GridTools::setSubPalette(int subPalette) {
  subPalette_ = std::clamp(subPalette, 0, 3);
}

Tool GridTools::effectiveTool() const {
  const GridShape& shape = grid_->shape();
  if ((tool_ == Tool::Select && shape.blockKind == nullptr) ||
      (tool_ == Tool::Fill && !shape.fills) || (tool_ == Tool::SubPalette && !shape.quadrants)) {
    return Tool::Brush;
  }
  return tool_;
}

bool GridTools::paints(int buttons) const {
  return grid_->shape().quadrants ? buttons == kLeftButton : buttons != 0;
}

GridTools::Result GridTools::press(int button, int shift, int x, int y, int value) {
  Result result;
  if (grid_->shape().quadrants && button != kLeftButton) {
    // The right button steps the quadrant's sub-palette in every tool, a
    // step of its own or part of a drag's.
    if (button == kRightButton) {
      cycleQuadrantAt(x, y);
    }
    return result;
  }
  if (button == 0) {
    return result;
  }
  const std::optional<std::pair<int, int>> cell = grid_->cellAt(x, y);
  const bool picks =
      (altPicks_ && (shift & kAltKey) != 0) || (effectiveTool() == Tool::Pick && !pasting());
  if (picks) {
    if (cell && grid_->ready()) {
      result.picked = grid_->cell(cell->first, cell->second);
    }
    return result;
  }
  if (pasting()) {
    if (cell && button == kLeftButton) {
      result.marksChanged = cells_.followPointer(x, y);
      Edit edit(history_, step::kPaste);
      tarvo::pasteBlock(*grid_, paste_, pasteColumn(), pasteRow());
    }
    return result;
  }
  return pressTool(button, x, y, value);
}

GridTools::Result GridTools::pressTool(int button, int x, int y, int value) {
  Result result;
  const Tool tool = effectiveTool();
  if (gesture_ == Gesture::Brush && tool == Tool::Brush && !grid_->shape().quadrants) {
    // A second button's press joins the stroke under way, with its value.
    if (const auto cell = strokeCellAt(x, y)) {
      stroke_.moveTo(cell, strokeCells_);
      if (strokeCells_.empty() || strokeCells_.back() != *cell) {
        strokeCells_.push_back(*cell);  // painted before with the other button's value
      }
      paint(strokeCells_, value);
    }
    return result;
  }
  if (gesture_ != Gesture::None) {
    endGesture();  // a press without the release of the one before
  }
  const std::optional<std::pair<int, int>> cell = grid_->cellAt(x, y);
  switch (tool) {
    case Tool::Brush:
      if (cell) {
        startStroke(Gesture::Brush, grid_->shape().brushStep, x, y, value);
      }
      break;
    case Tool::SubPalette:
      if (cell) {
        startStroke(Gesture::SubPalette, step::kPaintSubPalette, x, y, subPalette_);
      }
      break;
    case Tool::Select:
      if (button == kLeftButton) {
        gesture_ = Gesture::Select;
        cells_.pressSelect(x, y);
        result.marksChanged = true;
      }
      break;
    case Tool::Fill:
      if (cell) {
        Edit edit(history_, step::kFill);
        floodFill(*grid_, cell->first, cell->second, value, selection());
      }
      break;
    case Tool::Pick:
      break;
  }
  return result;
}

std::optional<Stroke::Cell> GridTools::strokeCellAt(int x, int y) const {
  if (gesture_ != Gesture::SubPalette) {
    return grid_->cellAt(x, y);
  }
  if (!grid_->cellAt(x, y)) {
    return std::nullopt;
  }
  const int half = grid_->shape().cellSide / 2;
  return Stroke::Cell{floorDiv(x, half), floorDiv(y, half)};
}

void GridTools::startStroke(Gesture gesture, const char* step, int x, int y, int value) {
  gesture_ = gesture;
  edit_.emplace(history_, step);
  const GridShape& shape = grid_->shape();
  const int scale = gesture == Gesture::SubPalette ? 2 : 1;
  stroke_.begin(scale * shape.columns, scale * shape.rows, strokeCellAt(x, y), strokeCells_);
  paint(strokeCells_, value);
}

void GridTools::paint(const std::vector<Stroke::Cell>& cells, int value) {
  for (const auto& [column, row] : cells) {
    if (gesture_ == Gesture::SubPalette) {
      grid_->setSubPalette(column, row, value);
    } else {
      grid_->setCell(column, row, value);
    }
  }
  if (!cells.empty() && edit_) {
    edit_->flush();
  }
}

void GridTools::cycleQuadrantAt(int x, int y) {
  const std::optional<std::pair<int, int>> cell = grid_->cellAt(x, y);
  if (!cell) {
    return;
  }
  const int quadrant = quadrantOf(x, y, grid_->shape().cellSide);
  const int qx = 2 * cell->first + (quadrant & 1);
  const int qy = 2 * cell->second + quadrant / 2;
  Edit edit(history_, step::kSubPalette);
  grid_->setSubPalette(qx, qy, (grid_->subPalette(qx, qy) + 1) & 3);
}

GridTools::Result GridTools::move(int buttons, int x, int y, bool inView, int value) {
  Result result;
  if (pasting() && gesture_ == Gesture::None) {
    result.marksChanged = cells_.followPointer(x, y);
    return result;
  }
  switch (gesture_) {
    case Gesture::None:
      break;
    case Gesture::Brush:
    case Gesture::SubPalette:
      if (inView && paints(buttons)) {
        stroke_.moveTo(strokeCellAt(x, y), strokeCells_);
        paint(strokeCells_, gesture_ == Gesture::SubPalette ? subPalette_ : value);
      } else {
        // Out of view or another button: the stroke goes on wherever the
        // pointer comes back, with nothing painted on the way.
        stroke_.lose();
      }
      break;
    case Gesture::Select:
      result.marksChanged = cells_.moveSelect(x, y);
      break;
  }
  return result;
}

void GridTools::release(int button) {
  if (button == kLeftButton || !grid_->shape().quadrants) {
    endGesture();
  }
}

void GridTools::endGesture() {
  stroke_.end();
  edit_.reset();
  gesture_ = Gesture::None;
  cells_.endDrag();
}

bool GridTools::escape() {
  if (gesture_ == Gesture::Select) {
    cells_.cancelDrag();
    endGesture();
    return true;
  }
  if (pasting()) {
    cells_.stopPaste();
    return true;
  }
  if (gesture_ != Gesture::None) {
    endGesture();
    return true;
  }
  if (selection()) {
    cells_.clear();
    return true;
  }
  return false;
}

void GridTools::selectAll() {
  if (grid_->shape().blockKind != nullptr) {
    cells_.selectAll();
  }
}

std::optional<CellBlock> GridTools::copySelection() const {
  if (!selection()) {
    return std::nullopt;
  }
  CellBlock block = copyBlock(*grid_, *selection());
  return block.columns > 0 ? std::optional<CellBlock>(std::move(block)) : std::nullopt;
}

bool GridTools::deleteSelection(int value) {
  if (!selection()) {
    return false;
  }
  endGesture();  // a step of its own, not part of a drag under way
  Edit edit(history_, step::kDelete);
  return fillCells(*grid_, *selection(), value);
}

void GridTools::startPaste(CellBlock block, std::optional<CellRect> at, CellRect first) {
  endGesture();
  paste_ = std::move(block);
  cells_.startPaste(paste_.columns, paste_.rows, at, first);
}

void GridTools::reset() {
  endGesture();
  cells_.clear();
  cells_.stopPaste();
}

std::string GridTools::statusText() const {
  if (pasting()) {
    return cells_.statusText();
  }
  std::string text = toolName(tool_);
  if (tool_ == Tool::SubPalette) {
    text += " (";
    text += std::to_string(subPalette_);
    text += ")";
  }
  // The selection's cells with the tool that makes it: the bar is shared
  // with the pointer's text, which is long.
  return tool_ == Tool::Select ? text + cells_.statusText() : text;
}

}  // namespace tarvo
