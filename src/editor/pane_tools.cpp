#include "editor/pane_tools.h"

#include <utility>

#include "screens/map_editing.h"

namespace tarvo {

namespace {

constexpr int kAlt = 4;

std::size_t cellIndex(int column, int row) {
  return static_cast<std::size_t>(rom::kBatViewNameTable.offset + row * rom::kBatViewColumns +
                                  column);
}

bool hasNameTable(const ByteArray& rom) {
  return rom.size() >= static_cast<std::size_t>(rom::kBatViewNameTable.end());
}

}  // namespace

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
  if ((shift & kAlt) != 0) {
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
  if (!cell || !hasNameTable(rom_)) {
    return result;
  }
  if ((shift & kAlt) != 0) {
    result.picked = rom_[cellIndex(cell->column, cell->row)];
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
      const std::uint8_t pressed = rom_[cellIndex(cell->column, cell->row)];
      const std::uint8_t tile = tiles_.selTile();
      if (pressed == tile) {
        break;
      }
      const std::vector<bool> region = floodRegion(
          rom::kBatViewColumns, rom::kBatViewRows, cell->column, cell->row,
          [&](int c, int r) { return rom_[cellIndex(c, r)] == pressed; },
          [this](int c, int r) { return !selection() || selection()->contains(c, r); });
      Edit edit(history_, kFillStep);
      for (int r = 0; r < rom::kBatViewRows; ++r) {
        for (int c = 0; c < rom::kBatViewColumns; ++c) {
          if (region[static_cast<std::size_t>(r * rom::kBatViewColumns + c)]) {
            rom_[cellIndex(c, r)] = tile;
          }
        }
      }
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
  if (!selection() || !hasNameTable(rom_)) {
    return std::nullopt;
  }
  return copyNameTableBlock(rom_, *selection());
}

bool PaneTools::deleteSelection() {
  if (!selection()) {
    return false;
  }
  Edit edit(history_, kDeleteStep);
  return fillNameTableCells(rom_, *selection(), tiles_.selTile());
}

void PaneTools::startPaste(NameTableBlock block, std::optional<CellRect> at, CellRect first) {
  endGesture();
  paste_ = std::move(block);
  cells_.startPaste(paste_.columns, paste_.rows, at, first);
}

bool PaneTools::pasteTile(const TileBytes& bytes) {
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
