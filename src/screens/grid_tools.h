// The tools on a grid of cells, without a window: the brush (the default),
// rectangle select, fill, pick and the sub-palette brush, and placing a
// pasted block. Both windows use them: the main window on the field map, the
// graphics editor on the enlarged tile's pixels, the metatile's cells and the
// batter's view. A window hands presses, moves and releases over in pixels
// of the grid's picture at scale 1, then redraws; every change of the image
// goes through an Edit opened here, so each action is one step of the
// history.
//
//     GridTools tools(history, grid);
//     tools.press(kLeftButton, 0, x, y, selected);   // the brush paints
//     tools.move(kLeftButton, x2, y2, true, selected);  // the way between too
//     tools.release(kLeftButton);                    // one step
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "screens/cell_blocks.h"
#include "screens/cell_grid.h"
#include "screens/edit_steps.h"
#include "screens/grid_selection.h"
#include "screens/stroke.h"
#include "shell/edit_history.h"

namespace tarvo {

enum class Tool { Brush, Select, Fill, Pick, SubPalette };

// "Brush", "Select", "Fill", "Pick", "Sub-palette brush", as the tool bars
// and the status bars name them.
const char* toolName(Tool tool);

// Pointer buttons as the windows report them; a move carries the sum of the
// buttons held.
inline constexpr int kLeftButton = 1;
inline constexpr int kRightButton = 2;
inline constexpr int kMiddleButton = 4;
// The shift state the windows report: 1 Shift, 2 Ctrl, 4 Alt.
inline constexpr int kAltKey = 4;

class GridTools {
 public:
  // What a press or a move did besides writing bytes.
  struct Result {
    // A pick: the pressed cell's value, for the window to select (a
    // metatile, a tile, or the pen of the pressed button).
    std::optional<int> picked;
    // The selection or the paste preview moved: draw their frames again.
    bool marksChanged = false;
  };

  GridTools(EditHistory& history, CellGrid& grid);

  // Another grid (the other mode of the graphics editor): no gesture,
  // selection or paste.
  void setGrid(CellGrid& grid);
  const CellGrid& grid() const { return *grid_; }

  Tool tool() const { return tool_; }
  // Ends a gesture under way (a drag so far is one step) and a paste.
  void setTool(Tool tool);

  // The sub-palette brush's sub-palette, 0 to 3.
  int subPalette() const { return subPalette_; }
  void setSubPalette(int subPalette);

  // Whether Alt and a press pick in every tool; off, a press ignores Shift,
  // Ctrl and Alt.
  void setAltPicks(bool on) { altPicks_ = on; }
  bool altPicks() const { return altPicks_; }

  // A press of `button` with `shift` held at pixel (x, y); `value` is what
  // that button paints. What it does is decided here and holds until its
  // release: a pick (the Pick tool), the paste under way placing its block,
  // else the tool. On a grid with quadrants only the left button paints and
  // the right steps the pressed quadrant's sub-palette in every tool;
  // elsewhere every button paints, and a second button's press joins the
  // stroke under way. Select, Fill and the sub-palette brush act as the
  // brush where the grid has no blocks, no fill or no quadrants.
  Result press(int button, int shift, int x, int y, int value);
  // A move with `buttons` held; `inView` says whether the pixel is in the
  // viewport, since drags write only where the user can see. A brush paints
  // every cell on the way from the last position.
  Result move(int buttons, int x, int y, bool inView, int value);
  void release(int button);
  // Ends a gesture under way as its release would (a tool key, the window
  // losing the focus): what it wrote so far stays, as one step.
  void endGesture();
  bool inGesture() const { return gesture_ != Gesture::None; }

  // Esc: cancels a selection drag (the selection is what it was before the
  // press), else a paste, else ends a drag, else clears the selection.
  // Returns whether anything changed.
  bool escape();

  // Selections are view state: they add no step to the history.
  const std::optional<CellRect>& selection() const { return cells_.selection(); }
  void selectAll();
  void clearSelection() { cells_.clear(); }
  // The selection's block, for Ctrl+C; nothing without a selection.
  std::optional<CellBlock> copySelection() const;
  // Delete: the selection filled with `value`, one step. Returns whether
  // anything changed.
  bool deleteSelection(int value);

  // Ctrl+V: `block` follows the pointer until Esc or another tool; every left
  // press places it. The pointer's cell holds the block's middle cell (for
  // an even width or height, the one right of or below the middle). Starts
  // at `at`, the pointer's cell, when it is over the grid, else with the
  // block's top-left cell at `first`.
  void startPaste(CellBlock block, std::optional<CellRect> at, CellRect first);
  bool pasting() const { return cells_.pasting(); }
  const CellBlock& pasteBlock() const { return paste_; }
  // The block's top-left cell, which may lie off the grid.
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

  // The tool a press acts with on this grid.
  Tool effectiveTool() const;
  Result pressTool(int button, int x, int y, int value);
  void startStroke(Gesture gesture, const char* step, int x, int y, int value);
  void paint(const std::vector<Stroke::Cell>& cells, int value);
  // The cell or quadrant under (x, y) for the stroke under way.
  std::optional<Stroke::Cell> strokeCellAt(int x, int y) const;
  // Steps the sub-palette of the quadrant under (x, y), one step.
  void cycleQuadrantAt(int x, int y);
  // Whether `buttons` held may paint on this grid.
  bool paints(int buttons) const;

  EditHistory& history_;
  CellGrid* grid_;
  Tool tool_ = Tool::Brush;
  int subPalette_ = 0;
  bool altPicks_ = false;
  Gesture gesture_ = Gesture::None;
  std::optional<Edit> edit_;  // the drag's step, from press to release
  Stroke stroke_;
  std::vector<Stroke::Cell> strokeCells_;  // the cells a press or move paints
  GridSelection cells_;
  CellBlock paste_;  // while pasting
};

}  // namespace tarvo
