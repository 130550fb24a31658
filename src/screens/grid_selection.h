// A rectangle selection on a grid of cells (the field's 24 x 24 cells of 32
// pixels, the batter's view's 32 x 30 cells of 8), and where a pasted block
// stands while it follows the pointer. View state: nothing here writes the
// image.
#pragma once

#include <optional>
#include <string>

#include "gfx/surface.h"
#include "screens/cell_grid.h"

namespace tarvo {

// The pixels of `cells` on a picture of cells `cellSide` pixels square.
constexpr SurfaceRect pixelsOf(const CellRect& cells, int cellSide) {
  return {cells.column * cellSide, cells.row * cellSide, cells.columns * cellSide,
          cells.rows * cellSide};
}

class GridSelection {
 public:
  GridSelection(int columns, int rows, int cellSide)
      : columns_(columns), rows_(rows), cellSide_(cellSide) {}

  // The cell under pixel (x, y), or nothing outside the grid; and the grid's
  // nearest cell to it, so that a drag past the edge selects up to the edge.
  std::optional<CellRect> cellAt(int x, int y) const;
  CellRect clampedCellAt(int x, int y) const;
  CellRect whole() const { return {0, 0, columns_, rows_}; }

  // A selection drag: a press selects the pressed cell, moves span the
  // rectangle from it (returning whether it changed), cancelDrag gives back
  // the selection from before the press.
  void pressSelect(int x, int y);
  bool moveSelect(int x, int y);
  void endDrag() { dragging_ = false; }
  void cancelDrag();
  bool dragging() const { return dragging_; }

  const std::optional<CellRect>& selection() const { return selection_; }
  void selectAll() { selection_ = whole(); }
  void clear() { selection_.reset(); }

  // A block of `columns` x `rows` following the pointer: the pointer's cell
  // holds its middle cell (for an even width or height, the one right of or
  // below the middle). It starts at `at` when the pointer is over the grid,
  // else with its top-left cell at `first`.
  void startPaste(int columns, int rows, std::optional<CellRect> at, CellRect first);
  // Moves the block to the pointer; returns whether it moved. Off the grid
  // it stays where it was.
  bool followPointer(int x, int y);
  void stopPaste() { pasting_ = false; }
  bool pasting() const { return pasting_; }
  int pasteColumn() const { return pasteColumn_; }
  int pasteRow() const { return pasteRow_; }
  // The block's cells on the grid: the part over the edge is dropped.
  CellRect pasteArea() const;

  // "3, 4: 5 x 2", a rectangle's first cell and size in cells.
  static std::string rectText(const CellRect& cells);
  // For the status bar, which the pointer's text shares: while pasting
  // "Paste 3, 4: 5 x 2" (the cells a press writes); else the selection after
  // a space, or nothing.
  std::string statusText() const;

 private:
  int columns_;
  int rows_;
  int cellSide_;
  std::optional<CellRect> selection_;
  std::optional<CellRect> before_;  // while dragging: for a cancel
  CellRect anchor_;                 // the drag's first cell
  bool dragging_ = false;
  bool pasting_ = false;
  int pasteColumns_ = 0;
  int pasteRows_ = 0;
  int pasteColumn_ = 0;
  int pasteRow_ = 0;
};

}  // namespace tarvo
