// The main window's map tools: the brush (the default), rectangle select,
// fill, pick and the sub-palette brush, and placing a pasted block. The window
// hands presses, moves and releases over to it in map picture pixels, then
// redraws; every change of the image goes through an Edit, so each action is
// one step of the history.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "screens/grid_selection.h"
#include "screens/map_blocks.h"
#include "screens/map_editing.h"
#include "shell/edit_history.h"
#include "shell/rom_locations.h"

namespace tarvo {

enum class MapTool { Brush, Select, Fill, Pick, SubPalette };

// "Brush", "Select", "Fill", "Pick", "Sub-palette brush", as the tool bar
// names them.
const char* mapToolName(MapTool tool);

// Step names, as the Edit menu shows them after "Undo" and "Redo".
inline constexpr const char* kPutMetatileStep = "Put Metatile";
inline constexpr const char* kSubPaletteStep = "Change Sub-palette";
inline constexpr const char* kPaintSubPaletteStep = "Paint Sub-palette";
inline constexpr const char* kFillStep = "Fill";
inline constexpr const char* kPasteStep = "Paste";
inline constexpr const char* kDeleteStep = "Delete";

class MapTools {
 public:
  // What a press or a move did besides writing bytes.
  struct Result {
    // A pick (the Pick tool, or Alt and the left button in any tool): the
    // metatile to select.
    std::optional<std::uint8_t> picked;
    // The selection or the paste preview moved: draw their frames again.
    bool marksChanged = false;
  };

  MapTools(ByteArray& rom, EditHistory& history) : rom_(rom), history_(history) {}

  MapTool tool() const { return tool_; }
  // Ends a gesture under way (a drag so far is one step) and a paste.
  void setTool(MapTool tool);

  // The sub-palette brush's sub-palette, 0 to 3.
  int subPalette() const { return subPalette_; }
  void setSubPalette(int subPalette);

  // A press of `button` (1 left, 2 right, 4 middle) with `shift` held
  // (1 Shift, 2 Ctrl, 4 Alt) at pixel (x, y) of the map picture. What the
  // left button does is decided here and holds until its release: Alt picks
  // in every tool, a paste under way places its block, else the tool acts.
  // The right button steps the quadrant's sub-palette in every tool.
  Result press(int button, int shift, int x, int y, std::uint8_t metatile);
  // A move with `buttons` held; `inView` says whether the pixel is in the
  // viewport: drags write only where the user can see.
  Result move(int buttons, int x, int y, bool inView, std::uint8_t metatile);
  void release(int button);
  // Ends a gesture under way as its release would (a tool key, the window
  // losing the focus): what it wrote so far stays, as one step.
  void endGesture();
  // A left drag is under way (zooms wait for its end).
  bool inGesture() const { return gesture_ != Gesture::None; }

  // Esc: cancels a selection drag (the selection is what it was before the
  // press), else a paste, else ends a drag, else clears the selection.
  // Returns whether anything changed.
  bool escape();

  // Selections are view state: they add no step to the history.
  const std::optional<CellRect>& selection() const { return cells_.selection(); }
  void selectAll();
  void clearSelection();
  // The selection's block, for Ctrl+C; nothing without a selection.
  std::optional<MapBlock> copySelection() const;
  // Delete: the selection filled with `metatile`, one step. Returns whether a
  // byte changed.
  bool deleteSelection(std::uint8_t metatile);

  // Ctrl+V: `block` follows the pointer until Esc or another tool; every left
  // press places it. The pointer's cell holds the block's middle cell (for
  // an even width or height, the one right of or below the middle). Starts
  // at `at`, the pointer's cell, when it is over the map, else with the
  // block's top-left cell at `firstVisible`.
  void startPaste(MapBlock block, std::optional<MapCell> at, MapCell firstVisible);
  bool pasting() const { return cells_.pasting(); }
  const MapBlock& pasteBlock() const { return paste_; }
  // The block's top-left cell, which may lie off the field.
  int pasteColumn() const { return cells_.pasteColumn(); }
  int pasteRow() const { return cells_.pasteRow(); }
  // The cells a press would write: the preview shows exactly these.
  CellRect pastePreview() const { return cells_.pasteArea(); }

  // A new image: no gesture, selection or paste.
  void reset();

  // For the status bar: the tool's name and, with the Select tool or while
  // pasting, the rectangle's origin and size in cells ("Select 3, 4: 5 x 2",
  // "Paste 0, 0: 3 x 2", "Sub-palette brush (2)").
  std::string statusText() const;

 private:
  enum class Gesture { None, Brush, Select, SubPalette };

  void paintQuadrants(int qx, int qy);

  ByteArray& rom_;
  EditHistory& history_;
  MapTool tool_ = MapTool::Brush;
  int subPalette_ = 0;
  MapEditor brush_;
  Gesture gesture_ = Gesture::None;
  std::optional<Edit> stroke_;  // the left drag's step, from press to release
  GridSelection cells_{rom::kMapColumns, rom::kMapRows, rom::kMetatileSide};
  MapBlock paste_;         // while pasting
  int lastQuadrantX_ = 0;  // the sub-palette brush's last quadrant
  int lastQuadrantY_ = 0;
  bool lastQuadrantKnown_ = false;  // false after a move it skipped
};

}  // namespace tarvo
