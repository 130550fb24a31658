// Blocks of the field map for the map tools: rectangles of cells, copying a
// block (metatile numbers and the sub-palettes of its quadrants), pasting it
// clipped to the field, filling, and the block's plain-text form.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "screens/map_editing.h"
#include "shell/rom_image.h"

namespace tarvo {

// A rectangle of map cells; empty when it has no columns or no rows.
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

// The cell under pixel (x, y) of the map picture, moved onto the field's
// nearest cell when the pixel lies outside it: a drag past the edge selects
// up to the edge.
MapCell clampedMapCellAt(int x, int y);

// The whole field, 24 x 24 cells.
CellRect wholeField();

// The cells 4-connected to (startX, startY) through cells for which
// `same(x, y)` holds, never leaving `inside(x, y)`, on a width x height grid;
// row-major, true for each cell reached. Nothing is reached when the start
// is outside the grid or not inside. Iterative, so any grid size is safe.
std::vector<bool> floodRegion(int width, int height, int startX, int startY,
                              const std::function<bool(int, int)>& same,
                              const std::function<bool(int, int)>& inside);

// A copied block: its metatile numbers (row-major, columns x rows) and the
// sub-palette of each of its quadrants (row-major, 2 x columns by 2 x rows).
struct MapBlock {
  int columns = 0;
  int rows = 0;
  std::vector<std::uint8_t> metatiles;
  std::vector<std::uint8_t> subPalettes;  // 0 to 3 each
  friend bool operator==(const MapBlock&, const MapBlock&) = default;
};

// The sub-palette (0 to 3) of quadrant (qx, qy) of the field, on its 48 x 48
// grid of quadrants, and setting it; a quadrant outside the field reads 0
// and is not written. Setting returns whether a byte changed.
int quadrantSubPalette(const ByteArray& rom, int qx, int qy);
bool setQuadrantSubPalette(ByteArray& rom, int qx, int qy, int subPalette);

// The grid cells a straight move from (x0, y0) to (x1, y1) passes through,
// in order from the first to the last, each next to the one before it
// (4-connected): where the line crosses a corner, the cell it touches first
// comes between. For a brush that must set every quadrant a fast drag
// enters.
std::vector<std::pair<int, int>> cellsAlong(int x0, int y0, int x1, int y1);

// The block under `cells` (which must lie on the field).
MapBlock copyMapBlock(const ByteArray& rom, const CellRect& cells);

// The part of a block of `columns` x `rows` cells with its top-left cell at
// (column, row) that lies on a grid of gridColumns x gridRows cells.
CellRect clipToGrid(int columns, int rows, int column, int row, int gridColumns, int gridRows);

// The cells a paste of `block` with its top-left cell at (column, row)
// writes: the part over the field's edge is dropped. The preview shows these
// cells and the paste writes these, and no others.
CellRect pasteArea(const MapBlock& block, int column, int row);

// Writes `block` at (column, row), clipped as pasteArea says; returns
// whether a byte changed.
bool pasteMapBlock(ByteArray& rom, const MapBlock& block, int column, int row);

// Puts `metatile` into every cell of `cells` (Delete on a selection);
// returns whether a byte changed.
bool fillCells(ByteArray& rom, const CellRect& cells, std::uint8_t metatile);

// The fill tool: the cells 4-connected to `start` that hold its metatile,
// inside `selection` when there is one (a start outside it fills nothing),
// take `metatile`. Returns whether a byte changed.
bool floodFillMap(ByteArray& rom, MapCell start, std::uint8_t metatile,
                  const std::optional<CellRect>& selection);

// The block as text, for the clipboard and for files:
//   tarvo-field-block 1 COLUMNS ROWS
//   ROWS lines of COLUMNS metatile numbers, two hex digits each, spaces
//   between
//   2 x ROWS lines of 2 x COLUMNS sub-palette digits (0 to 3), no spaces
// Lines end in "\n"; a reader also takes "\r\n" and a last line without
// one.
std::string mapBlockText(const MapBlock& block);
// Reads that form strictly: 1 to 24 columns and rows, every line as above,
// nothing after. On failure says why in `reason`.
bool parseMapBlockText(std::string_view text, MapBlock& block, std::string* reason = nullptr);

// A copied block of batter's view cells: their tile numbers, row-major.
struct NameTableBlock {
  int columns = 0;
  int rows = 0;
  std::vector<std::uint8_t> tiles;
  friend bool operator==(const NameTableBlock&, const NameTableBlock&) = default;
};

// As for map blocks, on the batter's view's 32 x 30 cells: the block under
// `cells` (which must lie on the name table), the cells a paste at (column,
// row) writes, the paste, and Delete's fill; writes return whether a byte
// changed.
NameTableBlock copyNameTableBlock(const ByteArray& rom, const CellRect& cells);
CellRect nameTablePasteArea(const NameTableBlock& block, int column, int row);
bool pasteNameTableBlock(ByteArray& rom, const NameTableBlock& block, int column, int row);
bool fillNameTableCells(ByteArray& rom, const CellRect& cells, std::uint8_t tile);
// The tile of batter's view cell (column, row), which must lie on the name
// table; 0 without one.
std::uint8_t nameTableTile(const ByteArray& rom, int column, int row);
// The fill tool there: the cells 4-connected to (column, row) that hold its
// tile take `tile`, inside `selection` when there is one. Returns whether a
// byte changed.
bool floodFillNameTable(ByteArray& rom, int column, int row, std::uint8_t tile,
                        const std::optional<CellRect>& selection);

// Its text form: "tarvo-name-table-block 1 COLUMNS ROWS", then ROWS lines of
// COLUMNS tile numbers as for map blocks; 1 to 32 columns and 1 to 30 rows.
std::string nameTableBlockText(const NameTableBlock& block);
bool parseNameTableBlockText(std::string_view text, NameTableBlock& block,
                             std::string* reason = nullptr);

// A tile's 16 bytes as the image holds them, as text: "tarvo-tile 1", then
// one line of 16 two-digit hexadecimal numbers.
using TileBytes = std::array<std::uint8_t, 16>;
std::string tileText(const TileBytes& bytes);
bool parseTileText(std::string_view text, TileBytes& bytes, std::string* reason = nullptr);

}  // namespace tarvo
