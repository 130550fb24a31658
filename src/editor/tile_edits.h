// The graphics editor's edits that are not tool gestures, each one named step
// of the history: a tile copied in the pattern table, a tile button, a tile
// pasted from its bytes, a palette colour, and imported tiles.
#pragma once

#include <cstdint>
#include <functional>

#include "editor/tile_editor.h"
#include "screens/tile_bookkeeping.h"
#include "shell/edit_history.h"

namespace tarvo {

class TileEdits {
 public:
  TileEdits(TileEditor& tiles, EditHistory& history) : tiles_(tiles), history_(history) {}

  // The pattern table's release at (x, y): copies the selected tile there.
  bool copyTile(int x, int y);
  void applyOperation(TileOperation operation);
  bool pasteTile(const TileBytes& bytes);
  bool setColour(int k, std::uint8_t number);
  void importTiles(const TilePixels& tiles);

  // The screen whose tiles the editor shows: the field's in the metatile
  // mode, the batter's view's in the other.
  TileScreen screen() const;
  // The pattern table's release at (x, y) with Ctrl held: swaps the
  // selected tile with the one there, every reference following, and
  // selects it there.
  BookkeepingResult swapTile(int x, int y);
  // A bookkeeping command on the editor's screen, as one step.
  using ScreenCommand = std::function<BookkeepingResult(ByteArray&, TileScreen)>;
  BookkeepingResult run(const char* step, const ScreenCommand& command);

 private:
  TileEditor& tiles_;
  EditHistory& history_;
};

// The step name of a tile button: "Shift Left", "Rotate"...
const char* operationStep(TileOperation operation);

}  // namespace tarvo
