// The graphics editor window's tools, without the window: the brush (the
// default: paint pixels, place tiles), fill, and in the batter's view a
// rectangle selection with copy, paste and Delete. Every change of the image
// goes through an Edit, so each action is one step of the history.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "editor/tile_editor.h"
#include "screens/grid_selection.h"
#include "screens/map_tools.h"
#include "shell/edit_history.h"

namespace tarvo {

enum class PaneTool { Brush, Fill, Select };

// "Brush", "Fill", "Select".
const char* paneToolName(PaneTool tool);

// Step names, as the Edit menu shows them.
inline constexpr const char* kPaintStep = "Paint";
inline constexpr const char* kPlaceBatViewTileStep = "Place Tile in Batter's View";
inline constexpr const char* kPasteTileStep = "Paste Tile";

class PaneTools {
 public:
  // What a press or a move on the batter's view did besides writing bytes.
  struct Result {
    // Alt and a press: the cell's tile, now the selected tile.
    std::optional<std::uint8_t> picked;
    // The selection or the paste preview moved.
    bool marksChanged = false;
  };

  PaneTools(TileEditor& tiles, ByteArray& rom, EditHistory& history)
      : tiles_(tiles), rom_(rom), history_(history) {}

  PaneTool tool() const { return tool_; }
  // Ends a stroke or drag under way (one step) and a paste.
  void setTool(PaneTool tool);

  // The enlarged tile, with `shift` as the windows report it (4 Alt): Alt
  // takes the pressed pixel's colour as the button's pen; Fill fills; else
  // the brush paints, a stroke from the press to the release.
  void tilePress(int button, int shift, int x, int y);
  void tileMove(int buttons, int x, int y);
  void tileRelease();

  // The batter's view: Alt picks the cell's tile; a paste under way places
  // its block; else the brush places the selected tile, Fill fills the cells
  // joined to the pressed one that hold its tile, and Select drags a
  // rectangle.
  Result batViewPress(int button, int shift, int x, int y);
  Result batViewMove(int buttons, int x, int y);
  void batViewRelease(int button);

  // Ends a stroke or a drag as its release would (a tool key, the window
  // losing the focus).
  void endGesture();
  bool inGesture() const { return stroke_.has_value() || cells_.dragging(); }
  // Esc: cancels a selection drag, else a paste, else clears the selection.
  bool escape();

  const std::optional<CellRect>& selection() const { return cells_.selection(); }
  void selectAll() { cells_.selectAll(); }
  std::optional<NameTableBlock> copySelection() const;
  // Delete: the selection filled with the selected tile, one step.
  bool deleteSelection();

  // A block of the batter's view following the pointer, as on the field.
  void startPaste(NameTableBlock block, std::optional<CellRect> at, CellRect first);
  bool pasting() const { return cells_.pasting(); }
  const NameTableBlock& pasteBlock() const { return paste_; }
  int pasteColumn() const { return cells_.pasteColumn(); }
  int pasteRow() const { return cells_.pasteRow(); }
  CellRect pastePreview() const { return cells_.pasteArea(); }

  // Ctrl+V of a tile: its 16 bytes onto the selected tile, one step.
  bool pasteTile(const TileBytes& bytes);

  // Another mode or a new image: no gesture, selection or paste.
  void reset();

  // The tool, and while selecting or pasting the rectangle in cells:
  // "Select 12, 18: 9 x 6".
  std::string statusText() const;

 private:
  TileEditor& tiles_;
  ByteArray& rom_;
  EditHistory& history_;
  PaneTool tool_ = PaneTool::Brush;
  std::optional<Edit> stroke_;  // a paint stroke, from press to release
  GridSelection cells_{rom::kBatViewColumns, rom::kBatViewRows, rom::kTileSide};
  NameTableBlock paste_;
};

}  // namespace tarvo
