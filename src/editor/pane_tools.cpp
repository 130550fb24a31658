#include "editor/pane_tools.h"

#include <utility>

#include "screens/map_editing.h"

namespace tarvo {

const char* paneToolName(PaneTool tool) {
  switch (tool) {
    case PaneTool::Brush:
      return "Brush";
    case PaneTool::Fill:
      return "Fill";
    case PaneTool::Select:
      return "Select";
  }
  return "";
}

void PaneTools::setTool(PaneTool tool) {
  endGesture();
  cells_.stopPaste();
  tool_ = tool;
}

void PaneTools::tilePress(int button, int shift, int x, int y) {
  if ((shift & kAltKey) != 0) {
    tiles_.pixelPick(button, x, y);
    return;
  }
  if (tool_ == PaneTool::Fill) {
    Edit edit(history_, kFillStep);
    tiles_.pixelFill(button, x, y);
    return;
  }
  // A stroke: one step from the first press to the release; a second
  // button's press joins it.
  if (!stroke_) {
    stroke_.emplace(history_, kPaintStep);
  }
  tiles_.pixelPress(button, x, y);
  stroke_->flush();
}

void PaneTools::tileMove(int buttons, int x, int y) {
  if (stroke_ && tiles_.pixelMove(buttons, x, y)) {
    stroke_->flush();
  }
}

void PaneTools::tileRelease() {
  tiles_.pixelRelease();
  stroke_.reset();
}

PaneTools::Result PaneTools::batViewPress(int button, int shift, int x, int y) {
  Result result;
  const std::optional<CellRect> cell = cells_.cellAt(x, y);
  if (!cell) {
    return result;
  }
  if ((shift & kAltKey) != 0) {
    result.picked = nameTableTile(rom_, cell->column, cell->row);
    tiles_.selectTile(*result.picked);
    return result;
  }
  if (button != kLeftButton && (pasting() || tool_ != PaneTool::Brush)) {
    return result;  // a paste and the other tools work with the left button
  }
  if (pasting()) {
    result.marksChanged = cells_.followPointer(x, y);
    Edit edit(history_, kPasteStep);
    pasteNameTableBlock(rom_, paste_, pasteColumn(), pasteRow());
    return result;
  }
  switch (tool_) {
    case PaneTool::Brush: {
      Edit edit(history_, kPlaceBatViewTileStep);
      tiles_.batViewPress(x, y);
      break;
    }
    case PaneTool::Fill: {
      Edit edit(history_, kFillStep);
      floodFillNameTable(rom_, cell->column, cell->row, tiles_.selTile(), selection());
      break;
    }
    case PaneTool::Select:
      cells_.pressSelect(x, y);
      result.marksChanged = true;
      break;
  }
  return result;
}

PaneTools::Result PaneTools::batViewMove(int, int x, int y) {
  Result result;
  if (cells_.dragging()) {
    result.marksChanged = cells_.moveSelect(x, y);
  } else if (pasting()) {
    result.marksChanged = cells_.followPointer(x, y);
  }
  return result;
}

void PaneTools::batViewRelease(int button) {
  if (button == kLeftButton) {
    cells_.endDrag();
  }
}

void PaneTools::endGesture() {
  if (stroke_) {
    tileRelease();
  }
  cells_.endDrag();
}

bool PaneTools::escape() {
  if (cells_.dragging()) {
    cells_.cancelDrag();
    return true;
  }
  if (pasting()) {
    cells_.stopPaste();
    return true;
  }
  if (stroke_) {
    endGesture();
    return true;
  }
  if (selection()) {
    cells_.clear();
    return true;
  }
  return false;
}

std::optional<NameTableBlock> PaneTools::copySelection() const {
  if (!selection()) {
    return std::nullopt;
  }
  NameTableBlock block = copyNameTableBlock(rom_, *selection());
  return block.columns > 0 ? std::optional<NameTableBlock>(std::move(block)) : std::nullopt;
}

bool PaneTools::deleteSelection() {
  if (!selection()) {
    return false;
  }
  endGesture();  // a step of its own, not part of a stroke under way
  Edit edit(history_, kDeleteStep);
  return fillNameTableCells(rom_, *selection(), tiles_.selTile());
}

void PaneTools::startPaste(NameTableBlock block, std::optional<CellRect> at, CellRect first) {
  endGesture();
  paste_ = std::move(block);
  cells_.startPaste(paste_.columns, paste_.rows, at, first);
}

bool PaneTools::pasteTile(const TileBytes& bytes) {
  endGesture();
  Edit edit(history_, kPasteTileStep);
  return tiles_.setSelectedTileBytes(bytes);
}

void PaneTools::reset() {
  endGesture();
  cells_.clear();
  cells_.stopPaste();
}

std::string PaneTools::statusText() const {
  if (pasting()) {
    return cells_.statusText();
  }
  const std::string name = paneToolName(tool_);
  return tool_ == PaneTool::Select ? name + cells_.statusText() : name;
}

}  // namespace tarvo
