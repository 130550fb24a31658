#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "screens/grid_lines.h"
#include "screens/grid_selection.h"
#include "screens/map_blocks.h"
#include "screens/map_editing.h"
#include "screens/map_tools.h"
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
  const std::vector<std::pair<std::pair<int, int>, MapCell>> clamped{
      {{-50, 800}, MapCell{0, 23}}, {{-1, -1}, MapCell{0, 0}}, {{767, 768}, MapCell{23, 23}},
      {{400, 40}, MapCell{12, 1}},  {{-32, 0}, MapCell{0, 0}}, {{100000, -100000}, MapCell{23, 0}},
  };
  for (const auto& [at, cell] : clamped) {
    EXPECT_EQ(clampedMapCellAt(at.first, at.second), cell) << at.first << "," << at.second;
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
  EXPECT_TRUE(floodFillMap(filled, MapCell{5, 5}, 40, std::nullopt));
  for (int i = 0; i < 576; ++i) {
    ASSERT_EQ(filled[static_cast<std::size_t>(rom::kFieldMap.offset + i)], 40) << i;
  }
  EXPECT_FALSE(floodFillMap(filled, MapCell{0, 0}, 40, std::nullopt));  // holds it already
  // Bounded by a selection; a start outside it fills nothing.
  const CellRect selection{2, 3, 4, 5};
  ByteArray bounded = rom;
  EXPECT_FALSE(floodFillMap(bounded, MapCell{0, 0}, 40, selection));
  EXPECT_EQ(bounded, rom);
  EXPECT_TRUE(floodFillMap(bounded, MapCell{3, 4}, 40, selection));
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
  EXPECT_TRUE(floodFillMap(split, MapCell{0, 0}, 40, std::nullopt));
  EXPECT_EQ(split[mapByte(9, 23)], 40);
  EXPECT_EQ(split[mapByte(10, 0)], 1);
  EXPECT_EQ(split[mapByte(11, 0)], 9);
  // Delete: the selected metatile into every cell of the selection.
  ByteArray deleted = rom;
  EXPECT_TRUE(fillCells(deleted, selection, 3));
  EXPECT_FALSE(fillCells(deleted, selection, 3));
  EXPECT_EQ(deleted[mapByte(2, 3)], 3);
  EXPECT_EQ(deleted[mapByte(6, 3)], 9);
}

// A fast drag passes through every quadrant between two moves, each next
// to the last, whatever the direction.
TEST(MapBlocks, ADragPassesThroughEveryCellOnItsWay) {
  using Path = std::vector<std::pair<int, int>>;
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
  const MapBlock block = copyMapBlock(original, CellRect{3, 4, 5, 3});
  ASSERT_EQ(block.columns, 5);
  ASSERT_EQ(block.metatiles.size(), 15U);
  ASSERT_EQ(block.subPalettes.size(), 60U);
  EXPECT_EQ(block.metatiles[6], original[mapByte(4, 5)]);
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
    const CellRect area = pasteArea(block, column, row);
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
  const ByteArray rom = test::randomBytes(rom::kMinImageSize, 7);
  for (const CellRect& cells : {CellRect{0, 0, 1, 1}, CellRect{3, 4, 5, 3}, wholeField()}) {
    const MapBlock block = copyMapBlock(rom, cells);
    MapBlock read;
    std::string reason;
    ASSERT_TRUE(parseMapBlockText(mapBlockText(block), read, &reason)) << reason;
    EXPECT_EQ(read, block);
  }
  const std::string good = "tarvo-field-block 1 2 1\n0A ff\n0123\n3210\n";
  MapBlock read;
  ASSERT_TRUE(parseMapBlockText(good, read));
  EXPECT_EQ(read.metatiles, (std::vector<std::uint8_t>{0x0A, 0xFF}));
  EXPECT_EQ(read.subPalettes, (std::vector<std::uint8_t>{0, 1, 2, 3, 3, 2, 1, 0}));
  ASSERT_TRUE(parseMapBlockText("tarvo-field-block 1 2 1\r\n0A ff\r\n0123\r\n3210", read));
  // The batter's view's blocks and tiles have text forms of the same kind.
  for (const CellRect& cells :
       {CellRect{0, 0, 1, 1}, CellRect{5, 6, 7, 3}, CellRect{0, 0, 32, 30}}) {
    const NameTableBlock block = copyNameTableBlock(rom, cells);
    ASSERT_EQ(block.tiles.size(), static_cast<std::size_t>(cells.columns * cells.rows));
    NameTableBlock back;
    ASSERT_TRUE(parseNameTableBlockText(nameTableBlockText(block), back));
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
      {Map, "tarvo-field-block 1 2 1\n0A ff\n0124\n3210\n", "Sub-palette row 1"},
      {Map, "tarvo-field-block 1 2 1\n0A ff\n0123\n", "Sub-palette row 2"},
      {Map, "tarvo-field-block 1 2 1\n0A ff\n0123\n3210\nmore\n", "goes on"},
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
    MapBlock untouched = read;
    NameTableBlock cells;
    TileBytes bytes{};
    const bool parsed = form == Map         ? parseMapBlockText(text, untouched, &reason)
                        : form == NameTable ? parseNameTableBlockText(text, cells, &reason)
                                            : parseTileText(text, bytes, &reason);
    EXPECT_FALSE(parsed) << text;
    EXPECT_NE(reason.find(why), std::string::npos) << text << ": " << reason;
    EXPECT_EQ(untouched, read);
    EXPECT_EQ(cells, NameTableBlock{});
    EXPECT_EQ(bytes, TileBytes{});
  }
}

// The pointer as the window reports it, for the map tools.
struct PointerStep {
  enum Kind { Press, Move, Release, Tool, Escape } kind;
  int x = 0;  // map pixels, or the tool for Tool
  int y = 0;
  int button = kLeftButton;  // held buttons for a move
  int shift = 0;
};

struct ToolCase {
  const char* name;
  MapTool tool;
  std::vector<PointerStep> steps;
  const char* step;  // the one step's name, or nullptr for none
};

void run(MapTools& tools, const std::vector<PointerStep>& steps, std::uint8_t metatile) {
  for (const PointerStep& at : steps) {
    switch (at.kind) {
      case PointerStep::Press:
        tools.press(at.button, at.shift, at.x, at.y, metatile);
        break;
      case PointerStep::Move:
        tools.move(at.button, at.x, at.y, true, metatile);
        break;
      case PointerStep::Release:
        tools.release(at.button);
        break;
      case PointerStep::Tool:
        tools.setTool(static_cast<MapTool>(at.x));
        break;
      case PointerStep::Escape:
        tools.escape();
        break;
    }
  }
}

// Every tool's action is one step of the history, named for the Edit menu;
// undo and redo restore every byte.
TEST(MapTools, EachActionIsOneStepThatUndoAndRedoRestore) {
  using P = PointerStep;
  const std::vector<ToolCase> cases{
      {"brush drag",
       MapTool::Brush,
       {{P::Press, 5, 5}, {P::Move, 40, 5}, {P::Move, 80, 40}, {P::Release, 80, 40}},
       kPutMetatileStep},
      {"brush, right press mid-drag",
       MapTool::Brush,
       {{P::Press, 5, 5},
        {P::Press, 40, 5, kRightButton},
        {P::Release, 40, 5, kRightButton},
        {P::Move, 40, 40},
        {P::Release, 40, 40}},
       kPutMetatileStep},
      {"right press in Fill", MapTool::Fill, {{P::Press, 20, 20, kRightButton}}, kSubPaletteStep},
      {"fill", MapTool::Fill, {{P::Press, 300, 300}, {P::Release, 300, 300}}, kFillStep},
      {"sub-palette drag",
       MapTool::SubPalette,
       {{P::Press, 1, 1}, {P::Move, 700, 500}, {P::Release, 700, 500}},
       kPaintSubPaletteStep},
      {"tool key mid-drag",
       MapTool::Brush,
       {{P::Press, 5, 5},
        {P::Move, 40, 5},
        {P::Tool, int(MapTool::Fill)},
        {P::Move, 80, 5},
        {P::Release, 80, 5}},
       kPutMetatileStep},
      {"Esc mid-drag",
       MapTool::SubPalette,
       {{P::Press, 5, 5}, {P::Move, 40, 5}, {P::Escape}, {P::Move, 90, 5}, {P::Release, 90, 5}},
       kPaintSubPaletteStep},
      {"select",
       MapTool::Select,
       {{P::Press, 5, 5}, {P::Move, 200, 300}, {P::Release, 200, 300}},
       nullptr},
      {"pick", MapTool::Pick, {{P::Press, 5, 5}, {P::Release, 5, 5}}, nullptr},
      {"alt press in Brush", MapTool::Brush, {{P::Press, 5, 5, kLeftButton, 4}}, nullptr},
  };
  for (const ToolCase& c : cases) {
    SCOPED_TRACE(c.name);
    ByteArray rom = test::randomBytes(rom::kMinImageSize, 5);
    std::fill_n(rom.begin() + rom::kFieldMap.offset, 576, 9);  // one metatile everywhere
    const ByteArray before = rom;
    EditHistory history(rom);
    MapTools tools(rom, history);
    tools.setTool(c.tool);
    tools.setSubPalette(2);
    run(tools, c.steps, 40);
    EXPECT_FALSE(tools.inGesture());
    if (c.step == nullptr) {
      EXPECT_EQ(history.size(), 0U);
      EXPECT_EQ(rom, before);
      continue;
    }
    ASSERT_EQ(history.size(), 1U);
    EXPECT_EQ(history.undoName(), c.step);
    const ByteArray after = rom;
    EXPECT_NE(after, before);
    history.undo();
    EXPECT_EQ(rom, before);
    history.redo();
    EXPECT_EQ(rom, after);
  }
}

TEST(MapTools, FillSelectAndDelete) {
  ByteArray rom(rom::kMinImageSize, 0);
  std::fill_n(rom.begin() + rom::kFieldMap.offset, 576, 9);
  EditHistory history(rom);
  MapTools tools(rom, history);
  // One metatile everywhere: all 576 cells, one step.
  tools.setTool(MapTool::Fill);
  tools.press(kLeftButton, 0, 400, 400, 40);
  tools.release(kLeftButton);
  EXPECT_EQ(std::count(rom.begin() + rom::kFieldMap.offset,
                       rom.begin() + rom::kFieldMap.offset + 576, 40),
            576);
  EXPECT_EQ(history.size(), 1U);
  tools.press(kLeftButton, 0, 400, 400, 40);  // the same metatile: no step
  EXPECT_EQ(history.size(), 1U);
  // A selection dragged from the middle past the bottom-left corner stops at
  // the field's edge, and adds no step.
  tools.setTool(MapTool::Select);
  tools.press(kLeftButton, 0, 100, 100, 40);
  EXPECT_EQ(tools.selection(), (CellRect{3, 3, 1, 1}));
  tools.move(kLeftButton, -50, 900, false, 40);
  EXPECT_EQ(tools.selection(), (CellRect{0, 3, 4, 21}));
  EXPECT_EQ(tools.statusText(), "Select 0, 3: 4 x 21");
  tools.release(kLeftButton);
  // Esc during a drag gives back the selection before it; then clears it.
  tools.press(kLeftButton, 0, 500, 500, 40);
  EXPECT_TRUE(tools.escape());
  EXPECT_EQ(tools.selection(), (CellRect{0, 3, 4, 21}));
  // The fill stays inside the selection.
  tools.setTool(MapTool::Fill);
  tools.press(kLeftButton, 0, 40, 200, 7);
  EXPECT_EQ(rom[mapByte(3, 23)], 7);
  EXPECT_EQ(rom[mapByte(4, 23)], 40);
  EXPECT_EQ(rom[mapByte(0, 2)], 40);
  tools.press(kLeftButton, 0, 600, 600, 7);  // outside it: nothing
  EXPECT_EQ(rom[mapByte(18, 18)], 40);
  EXPECT_EQ(history.size(), 2U);
  EXPECT_TRUE(tools.deleteSelection(5));
  EXPECT_EQ(history.undoName(), kDeleteStep);
  EXPECT_EQ(rom[mapByte(0, 3)], 5);
  EXPECT_EQ(tools.copySelection()->metatiles, std::vector<std::uint8_t>(84, 5));
  EXPECT_TRUE(tools.escape());
  EXPECT_FALSE(tools.selection());
  EXPECT_FALSE(tools.escape());
  EXPECT_FALSE(tools.deleteSelection(5));
  tools.selectAll();
  EXPECT_EQ(tools.selection(), wholeField());
}

TEST(MapTools, PickAtTheCornersAndWithAltInEveryTool) {
  ByteArray rom = test::randomBytes(rom::kMinImageSize, 8);
  EditHistory history(rom);
  MapTools tools(rom, history);
  const ByteArray before = rom;
  const std::pair<int, int> corners[] = {{0, 0}, {767, 0}, {0, 767}, {767, 767}};
  for (const MapTool tool :
       {MapTool::Pick, MapTool::Brush, MapTool::Select, MapTool::Fill, MapTool::SubPalette}) {
    tools.setTool(tool);
    for (const auto& [x, y] : corners) {
      const auto result = tools.press(kLeftButton, tool == MapTool::Pick ? 0 : 4, x, y, 1);
      tools.release(kLeftButton);
      ASSERT_TRUE(result.picked);
      EXPECT_EQ(*result.picked, rom[mapByte(x / 32, y / 32)]);
    }
    EXPECT_FALSE(tools.press(kLeftButton, 4, 768, 10, 1).picked);  // off the map
  }
  EXPECT_EQ(rom, before);
  EXPECT_EQ(history.size(), 0U);
}

// The sub-palette brush sets every quadrant it enters: the four of one cell,
// and a fast diagonal reported as two positions only.
TEST(MapTools, TheSubPaletteBrushSetsEveryQuadrantEntered) {
  struct Point {
    int x, y;
    bool inView = true;
  };
  struct Case {
    std::vector<Point> path;
    int expectedQuadrants;
  };
  const Case cases[] = {
      {{{40, 40}, {56, 40}, {56, 56}, {40, 56}}, 4},  // one cell's four
      {{{8, 8}, {760, 760}}, 48 + 47},                // corner to corner in one move
      {{{760, 8}, {8, 8}}, 48},                       // a row, right to left
      // Off the field and back, or out of view and back: nothing on the
      // way, the drag goes on where the pointer comes back.
      {{{8, 8}, {-20, 300}, {8, 600}, {8, 616}}, 3},
      {{{8, 8}, {300, 8, false}, {600, 8}}, 2},
  };
  for (const Case& c : cases) {
    ByteArray rom(rom::kMinImageSize, 0);
    EditHistory history(rom);
    MapTools tools(rom, history);
    tools.setTool(MapTool::SubPalette);
    tools.setSubPalette(3);
    tools.press(kLeftButton, 0, c.path.front().x, c.path.front().y, 0);
    for (const Point& at : c.path) {
      tools.move(kLeftButton, at.x, at.y, at.inView, 0);
    }
    tools.release(kLeftButton);
    int set = 0;
    for (int qy = 0; qy < 48; ++qy) {
      for (int qx = 0; qx < 48; ++qx) {
        set += quadrantSubPalette(rom, qx, qy) == 3 ? 1 : 0;
      }
    }
    EXPECT_EQ(set, c.expectedQuadrants);
    EXPECT_EQ(history.size(), 1U);
    for (const Point& at : c.path) {
      if (at.inView && at.x >= 0) {
        EXPECT_EQ(quadrantSubPalette(rom, at.x / 16, at.y / 16), 3);
      }
    }
  }
}

// Delete and a tile's paste during a drag end the drag first: two steps.
TEST(MapTools, AnEditDuringADragIsAStepOfItsOwn) {
  ByteArray rom(rom::kMinImageSize, 0);
  EditHistory history(rom);
  MapTools tools(rom, history);
  tools.selectAll();
  tools.press(kLeftButton, 0, 5, 5, 9);
  tools.move(kLeftButton, 40, 5, true, 9);
  EXPECT_TRUE(tools.deleteSelection(4));
  EXPECT_FALSE(tools.inGesture());
  tools.move(kLeftButton, 80, 5, true, 9);  // the drag is over
  tools.release(kLeftButton);
  ASSERT_EQ(history.size(), 2U);
  EXPECT_EQ(history.steps()[0].name, kPutMetatileStep);
  EXPECT_EQ(history.steps()[1].name, kDeleteStep);
  EXPECT_EQ(rom[mapByte(2, 0)], 4);
}

// A paste follows the pointer with its middle cell under it; every press
// places it, one step each, until Esc.
TEST(MapTools, APastePlacesItsBlockUntilEsc) {
  ByteArray rom = test::randomBytes(rom::kMinImageSize, 12);
  const MapBlock block = copyMapBlock(rom, CellRect{0, 0, 4, 3});
  EditHistory history(rom);
  MapTools tools(rom, history);
  tools.setTool(MapTool::Fill);
  tools.startPaste(block, MapCell{10, 10}, MapCell{0, 0});
  EXPECT_EQ(tools.pastePreview(), (CellRect{8, 9, 4, 3}));
  tools.startPaste(block, std::nullopt, MapCell{2, 5});
  EXPECT_EQ(tools.pastePreview(), (CellRect{2, 5, 4, 3}));
  EXPECT_TRUE(tools.move(0, 23 * 32 + 5, 0, true, 0).marksChanged);
  EXPECT_EQ(tools.pastePreview(), (CellRect{21, 0, 3, 2}));  // clipped at the corner
  EXPECT_EQ(tools.statusText(), "Paste 21, 0: 3 x 2");
  tools.press(kLeftButton, 0, 23 * 32 + 5, 0, 0);
  tools.release(kLeftButton);
  EXPECT_EQ(rom[mapByte(23, 1)], block.metatiles[2 * 4 + 2]);  // its top row is off the field
  tools.press(kLeftButton, 0, 5 * 32, 5 * 32, 0);
  EXPECT_EQ(rom[mapByte(3, 4)], block.metatiles[0]);
  EXPECT_EQ(history.size(), 2U);
  EXPECT_EQ(history.undoName(), kPasteStep);
  EXPECT_TRUE(tools.escape());
  EXPECT_FALSE(tools.pasting());
  tools.press(kLeftButton, 0, 5 * 32, 5 * 32, 0);  // the fill tool again
  EXPECT_EQ(history.undoName(), kFillStep);
}

TEST(MapEditor, ALeftPressWritesTheSelectedMetatileOnly) {
  const ByteArray original = test::randomBytes(rom::kMinImageSize, 101);
  ByteArray rom = original;
  MapEditor editor;
  const auto cell = editor.press(rom, kLeftButton, 40, 70, 77);
  ASSERT_EQ(cell, (MapCell{1, 2}));
  EXPECT_EQ(mapByte(1, 2), 32833U);
  ByteArray expected = original;
  expected[32833] = 77;
  EXPECT_EQ(rom, expected);
  EXPECT_EQ(editor.current(), (MapCell{1, 2}));
}

// Four presses in each quadrant of a cell whose other bits are all set
// cycle that quadrant 0, 1, 2, 3 back to where it was.
TEST(MapEditor, RightPressesCycleTheQuadrantUnderThePointer) {
  struct Case {
    int x, y;
    int shift;
  };
  for (const Case c : std::vector<Case>{{5, 5, 0},
                                        {20, 5, 2},
                                        {5, 20, 4},
                                        {20, 20, 6},
                                        {15, 15, 0},
                                        {16, 16, 6},
                                        {31, 0, 2},
                                        {0, 31, 4}}) {
    for (const std::uint8_t start : {std::uint8_t{0x00}, std::uint8_t{0xFF}, std::uint8_t{0x93}}) {
      ByteArray rom(rom::kMinImageSize, 0);
      rom[attributeByte(3, 4)] = start;
      MapEditor editor;
      const int mask = 3 << c.shift;
      for (int step = 1; step <= 4; ++step) {
        ASSERT_TRUE(editor.press(rom, kRightButton, 3 * 32 + c.x, 4 * 32 + c.y, 9));
        const int field = (((start & mask) >> c.shift) + step) & 3;
        EXPECT_EQ(rom[attributeByte(3, 4)], (start & ~mask) | field << c.shift)
            << c.x << "," << c.y << " step " << step;
      }
      EXPECT_EQ(rom[attributeByte(3, 4)], start);
      EXPECT_EQ(rom[mapByte(3, 4)], 0);
    }
  }
}

TEST(MapEditor, TheDocumentedCycles) {
  ByteArray rom(rom::kMinImageSize, 0);
  MapEditor editor;
  std::vector<int> topLeft;
  for (int i = 0; i < 4; ++i) {
    editor.press(rom, kRightButton, 5, 5, 0);
    topLeft.push_back(rom[attributeByte(0, 0)]);
  }
  EXPECT_EQ(topLeft, (std::vector<int>{0x01, 0x02, 0x03, 0x00}));
  std::vector<int> bottomRight;
  for (int i = 0; i < 4; ++i) {
    editor.press(rom, kRightButton, 20, 20, 0);
    bottomRight.push_back(rom[attributeByte(0, 0)]);
  }
  EXPECT_EQ(bottomRight, (std::vector<int>{0x40, 0x80, 0xC0, 0x00}));
}

TEST(MapEditor, OtherButtonsOnlyRecordTheCell) {
  const ByteArray original = test::randomBytes(rom::kMinImageSize, 102);
  ByteArray rom = original;
  MapEditor editor;
  for (const int button : {0, kMiddleButton, kLeftButton | kRightButton, 8}) {
    EXPECT_FALSE(editor.press(rom, button, 200, 300, 5)) << button;
    EXPECT_EQ(editor.current(), (MapCell{6, 9}));
  }
  EXPECT_EQ(rom, original);
}

// A left drag paints each cell it enters once, leaves the map without
// writing anything, and paints again a cell it comes back to.
TEST(MapEditor, ALeftDragPaintsEachCellItEnters) {
  ByteArray rom(rom::kMinImageSize, 0);
  MapEditor editor;
  std::vector<std::optional<MapCell>> painted;
  painted.push_back(editor.press(rom, kLeftButton, 10, 10, 50));
  const std::vector<std::pair<int, int>> path{{20, 10}, {31, 12},  {40, 12}, {45, 20}, {75, 20},
                                              {-5, 20}, {-40, 20}, {5, 20},  {5, -3},  {5, 2}};
  for (const auto& [x, y] : path) {
    painted.push_back(editor.move(rom, kLeftButton, x, y, 50));
  }
  const std::vector<std::optional<MapCell>> expected{
      MapCell{0, 0}, std::nullopt, std::nullopt,  MapCell{1, 0}, std::nullopt, MapCell{2, 0},
      std::nullopt,  std::nullopt, MapCell{0, 0}, std::nullopt,  std::nullopt};
  EXPECT_EQ(painted, expected);
  EXPECT_EQ(rom[mapByte(0, 0)], 50);
  EXPECT_EQ(rom[mapByte(1, 0)], 50);
  EXPECT_EQ(rom[mapByte(2, 0)], 50);
  EXPECT_EQ(rom[mapByte(3, 0)], 0);
}

TEST(MapEditor, MovesWithOtherButtonsDoNothing) {
  ByteArray rom(rom::kMinImageSize, 0);
  MapEditor editor;
  editor.press(rom, kLeftButton, 10, 10, 50);
  for (const int buttons :
       {0, kRightButton, kMiddleButton, kLeftButton | kRightButton, kLeftButton | kMiddleButton}) {
    EXPECT_FALSE(editor.move(rom, buttons, 100, 100, 50)) << buttons;
  }
  EXPECT_EQ(rom[mapByte(3, 3)], 0);
}

// Only a stroke that a left press on the map began paints: a move with the
// button held that started elsewhere, or one after the release, does not.
TEST(MapEditor, OnlyAStrokeBegunOnTheMapPaints) {
  ByteArray rom(rom::kMinImageSize, 0);
  MapEditor editor;
  EXPECT_FALSE(editor.move(rom, kLeftButton, 100, 100, 50));
  editor.press(rom, kRightButton, 10, 10, 50);
  EXPECT_FALSE(editor.move(rom, kLeftButton, 100, 100, 50));
  editor.press(rom, kLeftButton, 10, 10, 50);
  EXPECT_TRUE(editor.move(rom, kLeftButton, 100, 100, 50));
  editor.release(kLeftButton);
  EXPECT_FALSE(editor.move(rom, kLeftButton, 200, 200, 50));
  EXPECT_EQ(rom[mapByte(6, 6)], 0);
  EXPECT_EQ(rom[mapByte(3, 3)], 50);
}

// Only the left button's release ends a stroke: a right press during it
// steps its quadrant, and once the right button is up again the drag paints
// on. A right or middle release alone ends nothing.
TEST(MapEditor, ARightOrMiddleClickDuringADragLeavesItGoing) {
  for (const int other : {kRightButton, kMiddleButton}) {
    SCOPED_TRACE(other);
    ByteArray rom(rom::kMinImageSize, 0);
    MapEditor editor;
    editor.press(rom, kLeftButton, 10, 10, 50);
    EXPECT_TRUE(editor.move(rom, kLeftButton, 40, 10, 50));
    editor.press(rom, other, 45, 5, 50);
    EXPECT_FALSE(editor.move(rom, kLeftButton | other, 80, 10, 50));
    editor.release(other);
    EXPECT_TRUE(editor.inStroke());
    EXPECT_TRUE(editor.move(rom, kLeftButton, 100, 10, 50));
    editor.release(kLeftButton);
    EXPECT_FALSE(editor.inStroke());
    EXPECT_EQ(rom[mapByte(3, 0)], 50);
    EXPECT_EQ(rom[mapByte(2, 0)], 0);  // crossed with both buttons held
    EXPECT_EQ(rom[rom::kFieldAttributeMap.offset + 1], other == kRightButton ? 0x01 : 0x00);
  }
}

TEST(MapEditor, WithoutAnImageNothingIsWritten) {
  ByteArray rom(1, 0);
  MapEditor editor;
  EXPECT_FALSE(editor.press(rom, kLeftButton, 767, 767, 3));
  EXPECT_EQ(rom, ByteArray(1, 0));
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
