// An editable grid of cells, whatever holds it: the field map (metatile
// numbers, and a sub-palette for each quadrant of a cell), the batter's view
// name table (tile numbers), the 4 x 4 cells of one metatile (tile numbers)
// and the 8 x 8 pixels of a tile (colour slots). The tools, blocks, fills and
// strokes are written once against this description.
//
// Coordinates: a cell is (column, row) on the grid; a pixel (x, y) is in the
// grid's picture at scale 1, where a cell is `cellSide` pixels square.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "gfx/bytes.h"
#include "screens/view_transform.h"

namespace tarvo {

// A rectangle of cells; empty when it has no columns or no rows.
struct CellRect {
  int column = 0;
  int row = 0;
  int columns = 0;
  int rows = 0;

  bool empty() const { return columns <= 0 || rows <= 0; }
  bool contains(int c, int r) const {
    return c >= column && c < column + columns && r >= row && r < row + rows;
  }
  friend bool operator==(const CellRect&, const CellRect&) = default;
};

// The quadrant of a cell of `cellSide` pixels that pixel (x, y) of its
// picture lies in: 0 top left, 1 top right, 2 bottom left, 3 bottom right.
constexpr int quadrantOf(int x, int y, int cellSide) {
  const int half = cellSide / 2;
  return (floorDiv(y, half) & 1) * 2 + (floorDiv(x, half) & 1);
}

// What a grid is, for the tools: its size, what its cells hold and which
// tools act on it.
struct GridShape {
  int columns = 0;
  int rows = 0;
  int cellSide = 1;  // pixels of a cell in the grid's picture
  int values = 256;  // a cell holds 0 to values - 1
  // Names a cell's value in the text form and in reasons: "Metatile".
  const char* valueName = "Tile";
  // The first word of the block's text form; nullptr for a grid without
  // blocks (no selection, copy or paste there: Select acts as the brush).
  const char* blockKind = nullptr;
  // Whether the Fill tool floods here; elsewhere it acts as the brush.
  bool fills = true;
  // Each cell has four quadrants with a sub-palette each (the field): only
  // the left button paints, the right steps the quadrant's sub-palette.
  // Elsewhere every button paints.
  bool quadrants = false;
  // The step name of a brush stroke, as the Edit menu shows it.
  const char* brushStep = "";
};

class CellGrid {
 public:
  explicit CellGrid(const GridShape& shape) : shape_(shape) {}
  virtual ~CellGrid() = default;

  const GridShape& shape() const { return shape_; }
  CellRect whole() const { return {0, 0, shape_.columns, shape_.rows}; }
  bool contains(int column, int row) const { return whole().contains(column, row); }

  // Whether there is anything to edit (an image is loaded).
  virtual bool ready() const = 0;
  // The value of a cell on the grid.
  virtual int cell(int column, int row) const = 0;
  // Sets a cell on the grid; returns whether it changed.
  virtual bool setCell(int column, int row, int value) = 0;
  // Quadrant (qx, qy), on the grid of 2 x columns by 2 x rows quadrants, of
  // a grid with quadrants: its sub-palette, 0 to 3, and setting it.
  virtual int subPalette(int, int) const { return 0; }
  virtual bool setSubPalette(int, int, int) { return false; }

  // The cell under pixel (x, y), or nothing off the grid; and the grid's
  // nearest cell to it, so that a drag past the edge reaches the edge.
  std::optional<std::pair<int, int>> cellAt(int x, int y) const;
  std::pair<int, int> clampedCellAt(int x, int y) const;

 private:
  GridShape shape_;
};

// A grid whose cells are bytes of the image, row-major from `first`; a grid
// with quadrants keeps their sub-palettes in an attribute map of the same
// layout, two bits a quadrant (bits 0-1 top left, 2-3 top right, 4-5 bottom
// left, 6-7 bottom right).
class ImageGrid : public CellGrid {
 public:
  ImageGrid(ByteArray& image, const GridShape& shape, std::int64_t first,
            std::int64_t attributes = -1)
      : CellGrid(shape), image_(&image), first_(first), attributes_(attributes) {}

  // The grid now starts at `first` (another metatile of the table).
  void moveTo(std::int64_t first) { first_ = first; }

  bool ready() const override;
  int cell(int column, int row) const override;
  bool setCell(int column, int row, int value) override;
  int subPalette(int qx, int qy) const override;
  bool setSubPalette(int qx, int qy, int subPalette) override;

 private:
  std::size_t offsetOf(std::int64_t start, int column, int row) const;

  ByteArray* image_;
  std::int64_t first_;
  std::int64_t attributes_;
};

// The shapes of the image's grids, and the grids on an image.
GridShape fieldShape();
GridShape batViewShape();
GridShape metatileShape();
ImageGrid fieldGrid(ByteArray& image);
ImageGrid batViewGrid(ByteArray& image);
ImageGrid metatileGrid(ByteArray& image, int metatile);

// The sub-palette (0 to 3) of quadrant (qx, qy) of the field, on its 48 x 48
// grid of quadrants, and setting it; a quadrant outside the field reads 0
// and is not written. Setting returns whether a byte changed.
int quadrantSubPalette(const ByteArray& image, int qx, int qy);
bool setQuadrantSubPalette(ByteArray& image, int qx, int qy, int subPalette);

// The cells 4-connected to (startX, startY) through cells for which
// `same(x, y)` holds, never leaving `inside(x, y)`, on a width x height grid;
// row-major, true for each cell reached. Nothing is reached when the start
// is outside the grid or not inside. Iterative, so any grid size is safe.
std::vector<bool> floodRegion(int width, int height, int startX, int startY,
                              const std::function<bool(int, int)>& same,
                              const std::function<bool(int, int)>& inside);

// Calls `visit(x, y)` for each grid cell a straight move from (x0, y0) to
// (x1, y1) passes through, in order from the first to the last, each next to
// the one before it (4-connected): where the line crosses a corner, the cell
// it touches first comes between.
template <typename Visit>
void forEachCellAlong(int x0, int y0, int x1, int y1, Visit visit) {
  // Walks from cell centre to cell centre, stepping across whichever cell
  // edge the line reaches first; on a corner, across x first. The distances
  // to the next vertical and horizontal edges are compared in whole
  // numbers: (1 + 2 i) / dx against (1 + 2 j) / dy.
  const int dx = x1 > x0 ? x1 - x0 : x0 - x1;
  const int dy = y1 > y0 ? y1 - y0 : y0 - y1;
  const int sx = x1 > x0 ? 1 : -1;
  const int sy = y1 > y0 ? 1 : -1;
  int x = x0;
  int y = y0;
  visit(x, y);
  for (int i = 0, j = 0; i < dx || j < dy;) {
    if (j >= dy || (i < dx && std::int64_t{1 + 2 * i} * dy <= std::int64_t{1 + 2 * j} * dx)) {
      x += sx;
      ++i;
    } else {
      y += sy;
      ++j;
    }
    visit(x, y);
  }
}

// The part of a block of `columns` x `rows` cells with its top-left cell at
// (column, row) that lies on a grid of gridColumns x gridRows cells.
CellRect clipToGrid(int columns, int rows, int column, int row, int gridColumns, int gridRows);

}  // namespace tarvo
