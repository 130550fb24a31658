#include "editor/tile_edits.h"

#include "screens/edit_steps.h"

namespace tarvo {

const char* operationStep(TileOperation operation) {
  switch (operation) {
    case TileOperation::ShiftLeft:
      return step::kShiftLeft;
    case TileOperation::ShiftRight:
      return step::kShiftRight;
    case TileOperation::ShiftUp:
      return step::kShiftUp;
    case TileOperation::ShiftDown:
      return step::kShiftDown;
    case TileOperation::FlipHAxis:
      return step::kMirrorTopToBottom;
    case TileOperation::FlipVAxis:
      return step::kMirrorLeftToRight;
    case TileOperation::Rotate:
      return step::kRotate;
  }
  return "";
}

bool TileEdits::copyTile(int x, int y) {
  Edit edit(history_, step::kCopyTile);
  return tiles_.patternTableRelease(x, y);
}

void TileEdits::applyOperation(TileOperation operation) {
  Edit edit(history_, operationStep(operation));
  tiles_.applyTileOperation(operation);
}

bool TileEdits::pasteTile(const TileBytes& bytes) {
  Edit edit(history_, step::kPasteTile);
  return tiles_.setSelectedTileBytes(bytes);
}

bool TileEdits::setColour(int k, std::uint8_t number) {
  Edit edit(history_, step::kChangeColour);
  return tiles_.setPaletteColour(k, number);
}

void TileEdits::importTiles(const TilePixels& tiles) {
  Edit edit(history_, step::kImportTiles);
  tiles_.replaceBank(tiles);
}

TileScreen TileEdits::screen() const {
  return tiles_.paneMode() == PaneMode::BatView ? TileScreen::BatView : TileScreen::Field;
}

BookkeepingResult TileEdits::swapTile(int x, int y) {
  const int selected = tiles_.selTile();
  const std::optional<std::uint8_t> target = tiles_.patternTableDrop(x, y);
  if (!target || *target == selected) {
    return {};
  }
  const BookkeepingResult result = run(step::kSwapTiles, [&](ByteArray& image, TileScreen at) {
    return swapTiles(image, at, selected, *target);
  });
  if (result.done) {
    tiles_.selectTile(*target);
  }
  return result;
}

BookkeepingResult TileEdits::run(const char* step, const ScreenCommand& command) {
  const TileScreen at = screen();
  return runBookkeeping(history_, step, [&](ByteArray& image) { return command(image, at); });
}

}  // namespace tarvo
