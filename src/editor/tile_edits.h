// The graphics editor's edits that are not tool gestures, each one named step
// of the history: a tile copied in the pattern table, a tile button, a tile
// pasted from its bytes, a palette colour, and imported tiles.
#pragma once

#include <cstdint>

#include "editor/tile_editor.h"
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

 private:
  TileEditor& tiles_;
  EditHistory& history_;
};

// The step name of a tile button: "Shift Left", "Rotate"...
const char* operationStep(TileOperation operation);

}  // namespace tarvo
