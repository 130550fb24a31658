#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "screens/block_text.h"
#include "screens/cell_blocks.h"
#include "screens/grid_lines.h"
#include "screens/grid_selection.h"
#include "screens/map_editing.h"
#include "screens/metatile_picker.h"
#include "screens/view_transform.h"
#include "shell/edit_history.h"
#include "shell/rom_locations.h"
#include "test_support.h"

namespace tarvo {
namespace {

std::size_t mapByte(int column, int row) {
  return static_cast<std::size_t>(rom::kFieldMap.offset + row * 24 + column);
}
std::size_t attributeByte(int column, int row) {
  return static_cast<std::size_t>(rom::kFieldAttributeMap.offset + row * 24 + column);
}

// The block functions on the field of `rom`.
bool floodFillMap(ByteArray& rom, std::pair<int, int> start, int metatile,
                  const std::optional<CellRect>& within) {
  ImageGrid field = fieldGrid(rom);
  return floodFill(field, start.first, start.second, metatile, within);
}
bool fillMapCells(ByteArray& rom, const CellRect& cells, int metatile) {
  ImageGrid field = fieldGrid(rom);
  return fillCells(field, cells, metatile);
}
CellBlock copyMapBlock(ByteArray rom, const CellRect& cells) {
  return copyBlock(fieldGrid(rom), cells);
}
bool pasteMapBlock(ByteArray& rom, const CellBlock& block, int column, int row) {
  ImageGrid field = fieldGrid(rom);
  return pasteBlock(field, block, column, row);
}

TEST(MapCellAt, CellsAndPositionsOutsideTheMap) {
  const std::vector<std::pair<std::pair<int, int>, std::optional<MapCell>>> cases{
      {{0, 0}, MapCell{0, 0}},    {{40, 70}, MapCell{1, 2}},   {{767, 767}, MapCell{23, 23}},
      {{736, 0}, MapCell{23, 0}}, {{31, 32}, MapCell{0, 1}},   {{-1, 0}, std::nullopt},
      {{-5, 40}, std::nullopt},   {{0, -31}, std::nullopt},    {{768, 0}, std::nullopt},
      {{0, 768}, std::nullopt},   {{100000, 5}, std::nullopt},
  };
  for (const auto& [at, cell] : cases) {
    EXPECT_EQ(mapCellAt(at.first, at.second), cell) << at.first << "," << at.second;
  }
}

// A selection drag past the field's edge selects up to the edge, in any
// direction.
TEST(MapBlocks, SelectionsAreClampedToTheField) {
  using Cell = std::pair<int, int>;
  const std::vector<std::pair<Cell, Cell>> clamped{
      {{-50, 800}, {0, 23}}, {{-1, -1}, {0, 0}}, {{767, 768}, {23, 23}},
      {{400, 40}, {12, 1}},  {{-32, 0}, {0, 0}}, {{100000, -100000}, {23, 0}},
  };
  ByteArray none;
  const ImageGrid field = fieldGrid(none);
  for (const auto& [at, cell] : clamped) {
    EXPECT_EQ(field.clampedCellAt(at.first, at.second), cell) << at.first << "," << at.second;
  }
  // A drag from a press, in any direction, on both windows' grids.
  struct Drag {
    int columns, rows, side;
    std::pair<int, int> from, to;
    CellRect selected;
  };
  const Drag drags[] = {
      {24, 24, 32, {20 * 32, 3 * 32}, {900, -5}, {20, 0, 4, 4}},
      {24, 24, 32, {5 * 32 + 31, 5 * 32}, {2 * 32, 9 * 32 + 31}, {2, 5, 4, 5}},
      {24, 24, 32, {7 * 32, 7 * 32}, {7 * 32 + 31, 7 * 32 + 31}, {7, 7, 1, 1}},
      {32, 30, 8, {-3, 100}, {300, 300}, {0, 12, 32, 18}},
  };
  for (const Drag& drag : drags) {
    GridSelection grid(drag.columns, drag.rows, drag.side);
    grid.pressSelect(drag.from.first, drag.from.second);
    grid.moveSelect(drag.to.first, drag.to.second);
    EXPECT_EQ(*grid.selection(), drag.selected) << drag.to.first << "," << drag.to.second;
  }
}

TEST(MapBlocks, FloodRegionsStayInsideTheirWalls) {
  // An 8 x 8 grid: a ring of 1s around a pocket of 0s, 0s outside.
  std::vector<int> grid(64, 0);
  for (int i = 2; i <= 5; ++i) {
    grid[static_cast<std::size_t>(2 * 8 + i)] = grid[static_cast<std::size_t>(5 * 8 + i)] = 1;
    grid[static_cast<std::size_t>(i * 8 + 2)] = grid[static_cast<std::size_t>(i * 8 + 5)] = 1;
  }
  auto sameAs = [&](int value) {
    return
        [&grid, value](int x, int y) { return grid[static_cast<std::size_t>(y * 8 + x)] == value; };
  };
  auto anywhere = [](int, int) { return true; };
  auto count = [](const std::vector<bool>& region) {
    return static_cast<int>(std::count(region.begin(), region.end(), true));
  };
  EXPECT_EQ(count(floodRegion(8, 8, 0, 0, sameAs(0), anywhere)), 64 - 12 - 4);  // not the pocket
  EXPECT_EQ(count(floodRegion(8, 8, 3, 3, sameAs(0), anywhere)), 4);            // the pocket
  EXPECT_EQ(count(floodRegion(8, 8, 2, 2, sameAs(1), anywhere)), 12);           // the ring
  EXPECT_EQ(count(floodRegion(8, 8, -1, 0, sameAs(0), anywhere)), 0);
  EXPECT_EQ(count(floodRegion(8, 8, 8, 0, sameAs(0), anywhere)), 0);
  // A wall of "outside" cells (a U) stops it, even where the same value
  // goes round the U's ends.
  auto notColumnThree = [](int x, int y) { return x != 3 || y == 7; };
  const auto left = floodRegion(8, 8, 0, 0, sameAs(0), notColumnThree);
  EXPECT_TRUE(left[static_cast<std::size_t>(7 * 8 + 7)]);  // round the bottom
  auto leftHalf = [](int x, int) { return x < 3; };
  const auto walled = floodRegion(8, 8, 0, 0, sameAs(0), leftHalf);
  EXPECT_EQ(count(walled), 8 * 2 + 4);  // columns 0-1, and column 2 above and below the ring
  EXPECT_FALSE(walled[static_cast<std::size_t>(0 * 8 + 3)]);
  EXPECT_EQ(count(floodRegion(8, 8, 4, 0, sameAs(0), leftHalf)), 0);  // a start outside
}

// The fill tool on the field: one step of many bytes, or none.
TEST(MapBlocks, FillsTheConnectedCellsOfOneMetatile) {
  ByteArray rom(rom::kMinImageSize, 0);
  std::fill_n(rom.begin() + rom::kFieldMap.offset, 576, 9);
  ByteArray filled = rom;
  EXPECT_TRUE(floodFillMap(filled, {5, 5}, 40, std::nullopt));
  for (int i = 0; i < 576; ++i) {
    ASSERT_EQ(filled[static_cast<std::size_t>(rom::kFieldMap.offset + i)], 40) << i;
  }
  EXPECT_FALSE(floodFillMap(filled, {0, 0}, 40, std::nullopt));  // holds it already
  // Bounded by a selection; a start outside it fills nothing.
  const CellRect selection{2, 3, 4, 5};
  ByteArray bounded = rom;
  EXPECT_FALSE(floodFillMap(bounded, {0, 0}, 40, selection));
  EXPECT_EQ(bounded, rom);
  EXPECT_TRUE(floodFillMap(bounded, {3, 4}, 40, selection));
  for (int r = 0; r < 24; ++r) {
    for (int c = 0; c < 24; ++c) {
      ASSERT_EQ(bounded[mapByte(c, r)], selection.contains(c, r) ? 40 : 9) << c << "," << r;
    }
  }
  // A column of another metatile splits the field; only one side fills.
  ByteArray split = rom;
  for (int r = 0; r < 24; ++r) {
    split[mapByte(10, r)] = 1;
  }
  EXPECT_TRUE(floodFillMap(split, {0, 0}, 40, std::nullopt));
  EXPECT_EQ(split[mapByte(9, 23)], 40);
  EXPECT_EQ(split[mapByte(10, 0)], 1);
  EXPECT_EQ(split[mapByte(11, 0)], 9);
  // Delete: the selected metatile into every cell of the selection.
  ByteArray deleted = rom;
  EXPECT_TRUE(fillMapCells(deleted, selection, 3));
  EXPECT_FALSE(fillMapCells(deleted, selection, 3));
  EXPECT_EQ(deleted[mapByte(2, 3)], 3);
  EXPECT_EQ(deleted[mapByte(6, 3)], 9);
}

// A fast drag passes through every quadrant between two moves, each next
// to the last, whatever the direction.
TEST(MapBlocks, ADragPassesThroughEveryCellOnItsWay) {
  using Path = std::vector<std::pair<int, int>>;
  auto cellsAlong = [](int x0, int y0, int x1, int y1) {
    Path path;
    forEachCellAlong(x0, y0, x1, y1, [&](int x, int y) { path.emplace_back(x, y); });
    return path;
  };
  EXPECT_EQ(cellsAlong(3, 4, 3, 4), (Path{{3, 4}}));
  EXPECT_EQ(cellsAlong(0, 0, 3, 0), (Path{{0, 0}, {1, 0}, {2, 0}, {3, 0}}));
  EXPECT_EQ(cellsAlong(0, 0, 2, 2), (Path{{0, 0}, {1, 0}, {1, 1}, {2, 1}, {2, 2}}));
  const std::pair<std::pair<int, int>, std::pair<int, int>> moves[] = {
      {{0, 0}, {47, 47}},  {{47, 0}, {0, 47}}, {{5, 9}, {30, 12}}, {{30, 12}, {5, 9}},
      {{10, 40}, {11, 2}}, {{0, 0}, {0, -5}},  {{-3, 7}, {4, -1}}};
  for (const auto& [from, to] : moves) {
    const Path path = cellsAlong(from.first, from.second, to.first, to.second);
    ASSERT_EQ(path.front(), from);
    ASSERT_EQ(path.back(), to);
    // As many steps as the two distances, each of one cell across or down.
    ASSERT_EQ(path.size(), static_cast<std::size_t>(std::abs(to.first - from.first) +
                                                    std::abs(to.second - from.second) + 1));
    for (std::size_t i = 1; i < path.size(); ++i) {
      ASSERT_EQ(std::abs(path[i].first - path[i - 1].first) +
                    std::abs(path[i].second - path[i - 1].second),
                1);
    }
    // Every cell lies within half a cell's diagonal of the line.
    const double lx = to.first - from.first;
    const double ly = to.second - from.second;
    const double length = std::hypot(lx, ly);
    for (const auto& [x, y] : path) {
      const double off =
          length == 0 ? 0 : std::abs((x - from.first) * ly - (y - from.second) * lx) / length;
      ASSERT_LE(off, std::sqrt(0.5) + 1e-9) << x << "," << y;
    }
  }
}

TEST(MapBlocks, SubPalettesOfQuadrantsAcrossCells) {
  ByteArray rom(rom::kMinImageSize, 0);
  // The four quadrants of cell (1, 2), each to its own sub-palette.
  const std::pair<std::pair<int, int>, int> quadrants[] = {
      {{2, 4}, 1}, {{3, 4}, 2}, {{2, 5}, 3}, {{3, 5}, 1}};
  for (const auto& [at, subPalette] : quadrants) {
    EXPECT_TRUE(setQuadrantSubPalette(rom, at.first, at.second, subPalette));
    EXPECT_FALSE(setQuadrantSubPalette(rom, at.first, at.second, subPalette));
  }
  EXPECT_EQ(rom[attributeByte(1, 2)], 0b01'11'10'01);
  for (const auto& [at, subPalette] : quadrants) {
    EXPECT_EQ(quadrantSubPalette(rom, at.first, at.second), subPalette);
  }
  // The neighbours' bytes stay; outside the field nothing is written.
  EXPECT_EQ(rom[attributeByte(0, 2)], 0);
  EXPECT_EQ(rom[attributeByte(2, 2)], 0);
  const ByteArray before = rom;
  EXPECT_FALSE(setQuadrantSubPalette(rom, 48, 0, 2));
  EXPECT_FALSE(setQuadrantSubPalette(rom, 0, -1, 2));
  EXPECT_EQ(rom, before);
}

// A paste writes exactly the cells its preview shows, at every edge and
// corner, and a copy pasted back where it came from changes nothing.
TEST(MapBlocks, PastesAreClippedToTheField) {
  const ByteArray original = test::randomBytes(rom::kMinImageSize, 31);
  const CellBlock block = copyMapBlock(original, CellRect{3, 4, 5, 3});
  ASSERT_EQ(block.columns, 5);
  ASSERT_EQ(block.cells.size(), 15U);
  ASSERT_EQ(block.subPalettes.size(), 60U);
  EXPECT_EQ(block.cells[6], original[mapByte(4, 5)]);
  ByteArray none;
  const ImageGrid field = fieldGrid(none);
  {
    ByteArray same = original;
    EXPECT_FALSE(pasteMapBlock(same, block, 3, 4));
  }
  const std::pair<int, int> places[] = {{-2, -1}, {21, -2}, {-4, 22}, {20, 22}, {10, 10},
                                        {-5, 0},  {24, 3},  {0, -3},  {23, 23}};
  for (const auto& [column, row] : places) {
    SCOPED_TRACE(testing::Message() << column << "," << row);
    ByteArray rom(rom::kMinImageSize, 0);
    // Marks that no block value has: what the paste did not write keeps them.
    std::fill_n(rom.begin() + rom::kFieldMap.offset, 576, 0xEE);
    const CellRect area = pasteArea(field, block, column, row);
    EXPECT_EQ(pasteMapBlock(rom, block, column, row), !area.empty());
    for (int r = 0; r < 24; ++r) {
      for (int c = 0; c < 24; ++c) {
        const bool written = area.contains(c, r);
        const bool inBlock = c >= column && c < column + 5 && r >= row && r < row + 3;
        ASSERT_EQ(written, inBlock) << c << "," << r;
        if (written) {
          ASSERT_EQ(rom[mapByte(c, r)], original[mapByte(3 + c - column, 4 + r - row)]);
          ASSERT_EQ(rom[attributeByte(c, r)], original[attributeByte(3 + c - column, 4 + r - row)]);
        } else {
          ASSERT_EQ(rom[mapByte(c, r)], 0xEE);
          ASSERT_EQ(rom[attributeByte(c, r)], 0);
        }
      }
    }
  }
}

// The block's text form: written and read back whole, read strictly.
TEST(MapBlocks, TheTextFormReadsBackAndRefusesAnythingElse) {
  ByteArray rom = test::randomBytes(rom::kMinImageSize, 7);
  for (int i = 0; i < rom::kFieldMap.length; ++i) {  // metatiles of the table
    rom[static_cast<std::size_t>(rom::kFieldMap.offset + i)] %= rom::kMetatileCount;
  }
  const GridShape fieldForm = fieldShape();
  const GridShape namesForm = batViewShape();
  for (const CellRect& cells :
       {CellRect{0, 0, 1, 1}, CellRect{3, 4, 5, 3}, CellRect{0, 0, 24, 24}}) {
    const CellBlock block = copyMapBlock(rom, cells);
    CellBlock read;
    std::string reason;
    ASSERT_TRUE(parseBlockText(fieldForm, blockText(fieldForm, block), read, &reason)) << reason;
    EXPECT_EQ(read, block);
  }
  const std::string good = "tarvo-field-block 1 2 1\n0A 84\n0123\n3210\n";
  CellBlock read;
  ASSERT_TRUE(parseBlockText(fieldForm, good, read));
  EXPECT_EQ(read.cells, (std::vector<std::uint8_t>{0x0A, 0x84}));
  EXPECT_EQ(read.subPalettes, (std::vector<std::uint8_t>{0, 1, 2, 3, 3, 2, 1, 0}));
  ASSERT_TRUE(parseBlockText(fieldForm, "tarvo-field-block 1 2 1\r\n0A 84\r\n0123\r\n3210", read));
  // The batter's view's blocks and tiles have text forms of the same kind.
  for (const CellRect& cells :
       {CellRect{0, 0, 1, 1}, CellRect{5, 6, 7, 3}, CellRect{0, 0, 32, 30}}) {
    const CellBlock block = copyBlock(batViewGrid(rom), cells);
    ASSERT_EQ(block.cells.size(), static_cast<std::size_t>(cells.columns * cells.rows));
    CellBlock back;
    ASSERT_TRUE(parseBlockText(namesForm, blockText(namesForm, block), back));
    EXPECT_EQ(back, block);
  }
  TileBytes tile{};
  std::copy_n(rom.begin() + 100, tile.size(), tile.begin());
  TileBytes tileBack{};
  ASSERT_TRUE(parseTileText(tileText(tile), tileBack));
  EXPECT_EQ(tileBack, tile);
  EXPECT_EQ(tileText(TileBytes{0xAB, 1}),
            "tarvo-tile 1\nAB 01 00 00 00 00 00 00 00 00 00 00 00 00 00 00\n");

  enum Form { Map, NameTable, Tile };
  const std::string tileRow = "00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F";
  const std::tuple<Form, std::string, std::string> refused[] = {
      {Map, "", "empty"},
      {Map, "tarvo-field-block 2 2 1\n0A ff\n0123\n3210\n", "first line"},
      {Map, "tarvo-field-block 1 2 1 5\n0A ff\n0123\n3210\n", "first line"},
      {Map, "tarvo-field-block 1 +2 1\n0A ff\n0123\n3210\n", "first line"},
      {Map, "tarvo-field-block 1 0 1\n\n\n\n", "1 to 24"},
      {Map, "tarvo-field-block 1 25 1\n", "1 to 24"},
      {Map, "tarvo-field-block 1 2 -1\n", "1 to 24"},
      {Map, "tarvo-field-block 1 99999999999 1\n", "first line"},
      {Map, "tarvo-field-block 1 2 1\n0A\n0123\n3210\n", "Metatile row 1"},
      {Map, "tarvo-field-block 1 2 1\n0A fg\n0123\n3210\n", "Metatile row 1"},
      {Map, "tarvo-field-block 1 2 1\n0A,ff\n0123\n3210\n", "Metatile row 1"},
      {Map, "tarvo-field-block 1 2 1\n0A ff\n0123\n3210\n",
       "Metatile row 1 holds FF, beyond the last, 84"},
      {Map, "tarvo-field-block 1 1 2\n00\n85\n00\n00\n00\n00\n", "Metatile row 2 holds 85"},
      {Map, "tarvo-field-block 1 2 1\n0A 84\n0124\n3210\n", "Sub-palette row 1"},
      {Map, "tarvo-field-block 1 2 1\n0A 84\n0123\n", "Sub-palette row 2"},
      {Map, "tarvo-field-block 1 2 1\n0A 84\n0123\n3210\nmore\n", "goes on"},
      {Map, "tarvo-name-table-block 1 1 1\n0A\n", "first line"},
      {NameTable, "tarvo-field-block 1 1 1\n0A\n0000\n", "first line"},
      {NameTable, "tarvo-name-table-block 1 33 1\n", "1 to 32 columns and 1 to 30 rows"},
      {NameTable, "tarvo-name-table-block 1 1 31\n", "1 to 32 columns and 1 to 30 rows"},
      {NameTable, "tarvo-name-table-block 1 2 1\n0A\n", "Tile row 1"},
      {NameTable, "tarvo-name-table-block 1 1 2\n0A\n", "Tile row 2"},
      {NameTable, "tarvo-name-table-block 1 1 1\n0A\n0B\n", "goes on"},
      {Tile, "tarvo-tile 2\n" + tileRow + "\n", "first line"},
      {Tile, "tarvo-tile 1\n00 01\n", "Byte row 1"},
      {Tile, "tarvo-tile 1\n", "Byte row 1"},
      {Tile, "tarvo-tile 1\n" + tileRow + "\nx\n", "goes on"},
  };
  for (const auto& [form, text, why] : refused) {
    std::string reason;
    CellBlock untouched = read;
    CellBlock cells;
    TileBytes bytes{};
    const bool parsed = form == Map         ? parseBlockText(fieldForm, text, untouched, &reason)
                        : form == NameTable ? parseBlockText(namesForm, text, cells, &reason)
                                            : parseTileText(text, bytes, &reason);
    EXPECT_FALSE(parsed) << text;
    EXPECT_NE(reason.find(why), std::string::npos) << text << ": " << reason;
    EXPECT_EQ(untouched, read);
    EXPECT_EQ(cells, CellBlock{});
    EXPECT_EQ(bytes, TileBytes{});
  }
}

TEST(MetatileAt, PressesOnTheTable) {
  const std::vector<std::pair<std::pair<int, int>, std::optional<int>>> cases{
      {{0, 0}, 0},
      {{33, 65}, 33},
      {{150, 260}, 132},
      {{170, 260}, std::nullopt},
      {{511, 0}, 15},
      {{0, 287}, 128},
      {{5, 300}, std::nullopt},
      {{512, 0}, std::nullopt},
      {{-1, 0}, std::nullopt},
      {{0, -1}, std::nullopt},
      {{479, 255}, 126},
  };
  for (const auto& [at, metatile] : cases) {
    const auto got = metatileAt(at.first, at.second);
    EXPECT_EQ(got ? std::optional<int>(*got) : std::nullopt, metatile)
        << at.first << "," << at.second;
  }
}

TEST(MetatilePreview, DoublesTheMetatileOfTheTable) {
  Surface table(512, 512);
  for (int y = 0; y < 512; ++y) {
    for (int x = 0; x < 512; ++x) {
      table.setPixel(x, y, static_cast<Color>(y * 512 + x));
    }
  }
  for (const int metatile : {0, 33, 132}) {
    Surface preview(64, 64);
    drawMetatilePreview(preview, table, static_cast<std::uint8_t>(metatile));
    for (int y = 0; y < 64; ++y) {
      for (int x = 0; x < 64; ++x) {
        ASSERT_EQ(preview.pixel(x, y),
                  table.pixel((metatile % 16) * 32 + x / 2, (metatile / 16) * 32 + y / 2));
      }
    }
  }
}

TEST(Grids, LinesBetweenEveryTwoCells) {
  const Grid field = fieldGrid();
  ASSERT_EQ(field.vertical.size(), 23U);
  ASSERT_EQ(field.horizontal.size(), 23U);
  EXPECT_EQ(field.vertical.front(), (GridLine{32, 0, 32, 1024}));
  EXPECT_EQ(field.vertical.back(), (GridLine{736, 0, 736, 1024}));
  EXPECT_EQ(field.horizontal.back(), (GridLine{0, 736, 768, 736}));
  const Grid table = metatileGrid();
  ASSERT_EQ(table.vertical.size(), 15U);
  ASSERT_EQ(table.horizontal.size(), 8U);
  EXPECT_EQ(table.vertical.back(), (GridLine{480, 0, 480, 512}));
  EXPECT_EQ(table.horizontal.back(), (GridLine{0, 256, 512, 256}));
  for (std::size_t i = 0; i < field.vertical.size(); ++i) {
    EXPECT_EQ(field.vertical[i].x1, 32 * static_cast<int>(i + 1));
    EXPECT_EQ(field.horizontal[i].y1, 32 * static_cast<int>(i + 1));
  }
  // The quadrant grid halves every cell, and shares no line with the field's.
  const Grid quadrants = quadrantGrid();
  ASSERT_EQ(quadrants.vertical.size(), 24U);
  for (std::size_t i = 0; i < 24; ++i) {
    const int at = 32 * static_cast<int>(i) + 16;
    EXPECT_EQ(quadrants.vertical[i], (GridLine{at, 0, at, 767}));
    EXPECT_EQ(quadrants.horizontal[i], (GridLine{0, at, 767, at}));
  }
}

// Pointer positions to picture pixels and back, at every zoom and at display
// scales that are whole and not.
TEST(ViewTransforms, MapPointerAndPicturePixelsBothWays) {
  EXPECT_EQ(floorDiv(-1, 4), -1);
  EXPECT_EQ(floorDiv(-4, 4), -1);
  EXPECT_EQ(floorDiv(-5, 4), -2);
  EXPECT_EQ(floorDiv(7, 4), 1);
  EXPECT_EQ(floorDiv(0, 4), 0);
  struct Case {
    int zoom;
    double ratio;
    int devicePerPixel;
  };
  const Case cases[] = {{1, 1.0, 1},  {2, 1.0, 2},  {3, 1.0, 3},  {4, 1.0, 4},
                        {1, 1.25, 1}, {2, 1.25, 3}, {3, 1.25, 4}, {4, 1.25, 5},
                        {1, 1.5, 2},  {2, 1.5, 3},  {3, 1.5, 5},  {4, 1.5, 6},
                        {1, 2.0, 2},  {2, 2.0, 4},  {3, 2.0, 6},  {4, 2.0, 8}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "zoom " << c.zoom << " ratio " << c.ratio);
    for (const int scroll : {0, 7, 100}) {
      const ViewTransform view{c.zoom, c.ratio, scroll, 2 * scroll};
      ASSERT_EQ(view.devicePerPixel(), c.devicePerPixel);
      const int k = c.devicePerPixel;
      // Every device pixel of the zoomed picture falls in the picture pixel
      // it shows, including the first and last of each block, and left of
      // the picture lies pixel -1, not 0.
      for (const int pixel : {-2, -1, 0, 1, 5, 767}) {
        for (const int device : {pixel * k, pixel * k + k - 1}) {
          const double logical = (device + 0.5) / c.ratio;
          ASSERT_EQ(view.pixelX(logical - scroll), pixel) << device;
          ASSERT_EQ(view.pixelY(logical - 2 * scroll), pixel) << device;
        }
      }
      // A block's edge in logical pixels, rounded down and up: the logical
      // pixel where it starts, and the extent that covers it whole.
      for (const int pixel : {0, 1, 16, 767}) {
        const int edge = view.logicalEdge(pixel);
        EXPECT_LE(edge * c.ratio, pixel * k + 1e-6) << pixel;
        EXPECT_GT((edge + 1) * c.ratio, pixel * k) << pixel;
        const int extent = view.logicalExtent(pixel);
        EXPECT_GE(extent * c.ratio, pixel * k - 1e-6) << pixel;
        EXPECT_LT((extent - 1) * c.ratio, pixel * k) << pixel;
      }
    }
    // Keeping a picture point under the pointer while the zoom changes, at
    // every place in the view and fractions of a pixel: the scroll lands on
    // whole device pixels, and the pointer stays on the same picture pixel.
    const ViewTransform after{c.zoom, c.ratio, 0, 0};
    for (const double pixel : {200.0, 200.5, 200.99, 37.3}) {
      for (int inView = 0; inView < 300; inView += 7) {
        const int scroll = scrollToKeep(pixel, inView, after);
        // Exact where a quantum of scroll is at most one picture pixel; else
        // within what one quantum spans.
        const double quantumPixels = scrollQuantum(c.ratio) * c.ratio / c.devicePerPixel;
        const int miss = std::abs(after.pixelOf(inView + scroll) - static_cast<int>(pixel));
        EXPECT_LE(miss, quantumPixels <= 1 ? 0 : static_cast<int>(quantumPixels))
            << pixel << " " << inView;
        const double device = scroll * c.ratio;
        EXPECT_NEAR(device, std::round(device), 1e-6) << scroll;
      }
    }
  }
  EXPECT_EQ(scrollQuantum(1.0), 1);
  EXPECT_EQ(scrollQuantum(1.25), 4);
  EXPECT_EQ(scrollQuantum(1.5), 2);
  EXPECT_EQ(scrollQuantum(1.75), 4);
  EXPECT_EQ(scrollQuantum(2.0), 1);
  EXPECT_EQ(snapScroll(7, 1.5), 6);
  EXPECT_EQ(snapScroll(7, 1.25), 4);
  EXPECT_EQ(clampZoom(0), 1);
  EXPECT_EQ(clampZoom(9), 4);
}

TEST(Grids, TheEditorWindowsLinesLieBetweenTilesAndPixels) {
  const EditorGrid grid = editorGrid();
  ASSERT_EQ(grid.vertical.size(), 32U);
  ASSERT_EQ(grid.horizontal.size(), 32U);
  struct Expected {
    int first, last;  // indices of lineVert and lineHoriz
    EditorView view;
    int spacing, width, verticalLength;
  };
  const std::vector<Expected> parts{
      {0, 14, EditorView::PatternTable, 16, 256, 256},
      {15, 21, EditorView::SelectedTile, 16, 128, 128},
      {22, 24, EditorView::Metatile, 32, 128, 128},
      {25, 31, EditorView::BatView, 32, 256, 256},
  };
  for (const Expected& part : parts) {
    for (int i = part.first; i <= part.last; ++i) {
      const int at = part.spacing * (i - part.first + 1);
      const auto& vertical = grid.vertical[static_cast<std::size_t>(i)];
      const auto& horizontal = grid.horizontal[static_cast<std::size_t>(i)];
      EXPECT_EQ(vertical.view, part.view) << i;
      EXPECT_EQ(horizontal.view, part.view) << i;
      EXPECT_EQ(vertical.line, (GridLine{at, 0, at, part.verticalLength})) << i;
      EXPECT_EQ(horizontal.line, (GridLine{0, at, part.width, at})) << i;
    }
  }
}

}  // namespace
}  // namespace tarvo
