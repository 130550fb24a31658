#include "screens/map_tools.h"

#include <algorithm>
#include <utility>

#include "screens/view_transform.h"
#include "shell/rom_locations.h"

namespace tarvo {

namespace {

constexpr int kAlt = 4;
constexpr int kQuadrantSide = rom::kMetatileSide / 2;

std::string rectText(const CellRect& cells) {
  return std::to_string(cells.column) + ", " + std::to_string(cells.row) + " (" +
         std::to_string(cells.columns) + " x " + std::to_string(cells.rows) + " cells)";
}

}  // namespace

const char* mapToolName(MapTool tool) {
  switch (tool) {
    case MapTool::Brush:
      return "Brush";
    case MapTool::Select:
      return "Rectangle select";
    case MapTool::Fill:
      return "Fill";
    case MapTool::Pick:
      return "Pick";
    case MapTool::SubPalette:
      return "Sub-palette brush";
  }
  return "";
}

void MapTools::setTool(MapTool tool) {
  endGesture();
  paste_.reset();
  tool_ = tool;
}

void MapTools::setSubPalette(int subPalette) {
  subPalette_ = std::clamp(subPalette, 0, 3);
}

MapTools::Result MapTools::press(int button, int shift, int x, int y, std::uint8_t metatile) {
  Result result;
  if (button != kLeftButton) {
    // As the brush has it in every tool: the right button steps the
    // quadrant's sub-palette, a step of its own or part of a drag's.
    Edit edit(history_, button == kRightButton ? kSubPaletteStep : kPutMetatileStep);
    brush_.press(rom_, button, x, y, metatile);
    return result;
  }
  if (gesture_ != Gesture::None) {
    endGesture();  // a press without the release of the one before
  }
  const std::optional<MapCell> cell = mapCellAt(x, y);
  if ((shift & kAlt) != 0 || (tool_ == MapTool::Pick && !paste_)) {
    if (cell) {
      result.picked = rom_[static_cast<std::size_t>(rom::kFieldMap.offset) +
                           static_cast<std::size_t>(cell->row * rom::kMapColumns + cell->column)];
    }
    return result;
  }
  if (paste_) {
    if (cell) {
      result.marksChanged = followPointer(x, y);
      Edit edit(history_, kPasteStep);
      pasteMapBlock(rom_, *paste_, pasteColumn_, pasteRow_);
    }
    return result;
  }
  switch (tool_) {
    case MapTool::Brush:
      gesture_ = Gesture::Brush;
      stroke_.emplace(history_, kPutMetatileStep);
      brush_.press(rom_, button, x, y, metatile);
      stroke_->flush();
      break;
    case MapTool::Select:
      gesture_ = Gesture::Select;
      selectionBefore_ = selection_;
      anchor_ = clampedMapCellAt(x, y);
      selection_ = spanCells(anchor_, anchor_);
      result.marksChanged = true;
      break;
    case MapTool::Fill:
      if (cell) {
        Edit edit(history_, kFillStep);
        floodFillMap(rom_, *cell, metatile, selection_);
      }
      break;
    case MapTool::SubPalette:
      if (cell) {
        gesture_ = Gesture::SubPalette;
        stroke_.emplace(history_, kPaintSubPaletteStep);
        lastQuadrantX_ = x / kQuadrantSide;
        lastQuadrantY_ = y / kQuadrantSide;
        setQuadrantSubPalette(rom_, lastQuadrantX_, lastQuadrantY_, subPalette_);
        stroke_->flush();
      }
      break;
    case MapTool::Pick:
      break;
  }
  return result;
}

MapTools::Result MapTools::move(int buttons, int x, int y, bool inView, std::uint8_t metatile) {
  Result result;
  if (paste_ && gesture_ == Gesture::None) {
    result.marksChanged = followPointer(x, y);
    return result;
  }
  switch (gesture_) {
    case Gesture::None:
      break;
    case Gesture::Brush:
      if (inView && brush_.move(rom_, buttons, x, y, metatile)) {
        stroke_->flush();
      }
      break;
    case Gesture::Select: {
      const CellRect next = spanCells(anchor_, clampedMapCellAt(x, y));
      result.marksChanged = selection_ != next;
      selection_ = next;
      break;
    }
    case Gesture::SubPalette:
      if (inView && buttons == kLeftButton && mapCellAt(x, y)) {
        paintQuadrants(x / kQuadrantSide, y / kQuadrantSide);
      }
      break;
  }
  return result;
}

void MapTools::paintQuadrants(int qx, int qy) {
  if (qx == lastQuadrantX_ && qy == lastQuadrantY_) {
    return;
  }
  // Every quadrant between the last one and this, however fast the drag.
  for (const auto& [cx, cy] : cellsAlong(lastQuadrantX_, lastQuadrantY_, qx, qy)) {
    setQuadrantSubPalette(rom_, cx, cy, subPalette_);
  }
  lastQuadrantX_ = qx;
  lastQuadrantY_ = qy;
  stroke_->flush();
}

void MapTools::release(int button) {
  if (button == kLeftButton) {
    endGesture();
  } else {
    brush_.release(button);
  }
}

void MapTools::endGesture() {
  brush_.release(kLeftButton);
  stroke_.reset();
  gesture_ = Gesture::None;
  selectionBefore_.reset();
}

bool MapTools::escape() {
  if (gesture_ == Gesture::Select) {
    selection_ = selectionBefore_;
    endGesture();
    return true;
  }
  if (paste_) {
    paste_.reset();
    return true;
  }
  if (gesture_ != Gesture::None) {
    endGesture();
    return true;
  }
  if (selection_) {
    selection_.reset();
    return true;
  }
  return false;
}

void MapTools::selectAll() {
  selection_ = wholeField();
}

void MapTools::clearSelection() {
  selection_.reset();
}

std::optional<MapBlock> MapTools::copySelection() const {
  if (!selection_ || rom_.size() < static_cast<std::size_t>(rom::kFieldAttributeMap.end())) {
    return std::nullopt;
  }
  return copyMapBlock(rom_, *selection_);
}

bool MapTools::deleteSelection(std::uint8_t metatile) {
  if (!selection_) {
    return false;
  }
  Edit edit(history_, kDeleteStep);
  return fillCells(rom_, *selection_, metatile);
}

void MapTools::startPaste(MapBlock block, std::optional<MapCell> at, MapCell firstVisible) {
  endGesture();
  paste_ = std::move(block);
  if (at) {
    pasteColumn_ = at->column - paste_->columns / 2;
    pasteRow_ = at->row - paste_->rows / 2;
  } else {
    pasteColumn_ = firstVisible.column;
    pasteRow_ = firstVisible.row;
  }
}

bool MapTools::followPointer(int x, int y) {
  const std::optional<MapCell> cell = mapCellAt(x, y);
  if (!cell) {
    return false;  // the block stays where the pointer left the field
  }
  const int column = cell->column - paste_->columns / 2;
  const int row = cell->row - paste_->rows / 2;
  const bool moved = column != pasteColumn_ || row != pasteRow_;
  pasteColumn_ = column;
  pasteRow_ = row;
  return moved;
}

CellRect MapTools::pastePreview() const {
  return paste_ ? pasteArea(*paste_, pasteColumn_, pasteRow_) : CellRect{};
}

void MapTools::reset() {
  endGesture();
  selection_.reset();
  paste_.reset();
}

std::string MapTools::statusText() const {
  if (paste_) {
    const CellRect area = pastePreview();
    return area.empty() ? std::string("Paste: off the field") : "Paste: " + rectText(area);
  }
  std::string text = mapToolName(tool_);
  if (tool_ == MapTool::SubPalette) {
    text += " " + std::to_string(subPalette_);
  }
  if (selection_) {
    text += ": " + rectText(*selection_);
  }
  return text;
}

}  // namespace tarvo
