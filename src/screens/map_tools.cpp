#include "screens/map_tools.h"

#include <algorithm>
#include <utility>

#include "screens/view_transform.h"
#include "shell/rom_locations.h"

namespace tarvo {

namespace {

constexpr int kQuadrantSide = rom::kMetatileSide / 2;

}  // namespace

const char* mapToolName(MapTool tool) {
  switch (tool) {
    case MapTool::Brush:
      return "Brush";
    case MapTool::Select:
      return "Select";
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
  cells_.stopPaste();
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
  if ((shift & kAltKey) != 0 || (tool_ == MapTool::Pick && !pasting())) {
    if (cell) {
      result.picked = rom_[static_cast<std::size_t>(rom::kFieldMap.offset) +
                           static_cast<std::size_t>(cell->row * rom::kMapColumns + cell->column)];
    }
    return result;
  }
  if (pasting()) {
    if (cell) {
      result.marksChanged = cells_.followPointer(x, y);
      Edit edit(history_, kPasteStep);
      pasteMapBlock(rom_, paste_, pasteColumn(), pasteRow());
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
      cells_.pressSelect(x, y);
      result.marksChanged = true;
      break;
    case MapTool::Fill:
      if (cell) {
        Edit edit(history_, kFillStep);
        floodFillMap(rom_, *cell, metatile, selection());
      }
      break;
    case MapTool::SubPalette:
      if (cell) {
        gesture_ = Gesture::SubPalette;
        stroke_.emplace(history_, kPaintSubPaletteStep);
        lastQuadrantX_ = x / kQuadrantSide;
        lastQuadrantY_ = y / kQuadrantSide;
        lastQuadrantKnown_ = true;
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
  if (pasting() && gesture_ == Gesture::None) {
    result.marksChanged = cells_.followPointer(x, y);
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
    case Gesture::Select:
      result.marksChanged = cells_.moveSelect(x, y);
      break;
    case Gesture::SubPalette:
      if (inView && buttons == kLeftButton && mapCellAt(x, y)) {
        paintQuadrants(x / kQuadrantSide, y / kQuadrantSide);
      } else {
        // Out of view, off the field or another button: the pointer enters
        // again wherever it comes back, with nothing painted on the way.
        lastQuadrantKnown_ = false;
      }
      break;
  }
  return result;
}

void MapTools::paintQuadrants(int qx, int qy) {
  if (lastQuadrantKnown_ && qx == lastQuadrantX_ && qy == lastQuadrantY_) {
    return;
  }
  if (lastQuadrantKnown_) {
    // Every quadrant between the last one and this, however fast the drag.
    for (const auto& [cx, cy] : cellsAlong(lastQuadrantX_, lastQuadrantY_, qx, qy)) {
      setQuadrantSubPalette(rom_, cx, cy, subPalette_);
    }
  } else {
    setQuadrantSubPalette(rom_, qx, qy, subPalette_);
    lastQuadrantKnown_ = true;
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
  cells_.endDrag();
}

bool MapTools::escape() {
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

void MapTools::selectAll() {
  cells_.selectAll();
}

void MapTools::clearSelection() {
  cells_.clear();
}

std::optional<MapBlock> MapTools::copySelection() const {
  if (!selection()) {
    return std::nullopt;
  }
  MapBlock block = copyMapBlock(rom_, *selection());
  return block.columns > 0 ? std::optional<MapBlock>(std::move(block)) : std::nullopt;
}

bool MapTools::deleteSelection(std::uint8_t metatile) {
  if (!selection()) {
    return false;
  }
  endGesture();  // a step of its own, not part of a drag under way
  Edit edit(history_, kDeleteStep);
  return fillCells(rom_, *selection(), metatile);
}

void MapTools::startPaste(MapBlock block, std::optional<MapCell> at, MapCell firstVisible) {
  endGesture();
  paste_ = std::move(block);
  std::optional<CellRect> cell;
  if (at) {
    cell = CellRect{at->column, at->row, 1, 1};
  }
  cells_.startPaste(paste_.columns, paste_.rows, cell,
                    CellRect{firstVisible.column, firstVisible.row, 1, 1});
}

void MapTools::reset() {
  endGesture();
  cells_.clear();
  cells_.stopPaste();
}

std::string MapTools::statusText() const {
  if (pasting()) {
    return cells_.statusText();
  }
  std::string text = mapToolName(tool_);
  if (tool_ == MapTool::SubPalette) {
    text += " (";
    text += std::to_string(subPalette_);
    text += ")";
  }
  // The selection's cells with the tool that makes it: the bar is shared
  // with the pointer's text, which is long.
  return tool_ == MapTool::Select ? text + cells_.statusText() : text;
}

}  // namespace tarvo
