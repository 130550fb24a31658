// The tools on every grid: the field map, the batter's view, a metatile's
// cells and the enlarged tile's pixels, as both windows use them.
#include "screens/grid_tools.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "editor/tile_editor.h"
#include "screens/block_text.h"
#include "shell/edit_history.h"
#include "shell/rom_locations.h"
#include "test_support.h"

namespace tarvo {
namespace {

enum class On { Field, BatView, Metatile, Pixels };

// An image with one value in every cell of each grid (metatile 9 on the
// field, tile 3 elsewhere, colour 0 in tile 0) and the tools on one grid.
struct Bench {
  explicit Bench(On on) : rom(test::randomBytes(rom::kMinImageSize, 5)) {
    std::fill_n(rom.begin() + rom::kFieldMap.offset, rom::kFieldMap.length, 9);
    std::fill_n(rom.begin() + rom::kFieldAttributeMap.offset, rom::kFieldAttributeMap.length, 0);
    std::fill_n(rom.begin() + rom::kBatViewNameTable.offset, rom::kBatViewNameTable.length, 3);
    std::fill_n(rom.begin() + rom::kMetatileTable.offset, rom::kMetatileTiles, 3);
    std::fill_n(rom.begin() + rom::kFieldChrBank.offset, rom::kTileBytes, 0);
    tiles.initGUI(0, 0);
    grid = on == On::Field      ? std::unique_ptr<CellGrid>(new ImageGrid(fieldGrid(rom)))
           : on == On::BatView  ? std::unique_ptr<CellGrid>(new ImageGrid(batViewGrid(rom)))
           : on == On::Metatile ? std::unique_ptr<CellGrid>(new ShownMetatileCells(rom, tiles))
                                : std::unique_ptr<CellGrid>(new SelectedTilePixels(tiles));
    tools = std::make_unique<GridTools>(history, *grid);
    before = rom;
  }
  // The cells holding `value`, and the quadrants holding sub-palette 3.
  int count(int value) const {
    int n = 0;
    for (int r = 0; r < grid->shape().rows; ++r) {
      for (int c = 0; c < grid->shape().columns; ++c) {
        n += grid->cell(c, r) == value ? 1 : 0;
      }
    }
    return n;
  }
  int quadrantsOfThree() const {
    int n = 0;
    for (int qy = 0; qy < 48; ++qy) {
      for (int qx = 0; qx < 48; ++qx) {
        n += quadrantSubPalette(rom, qx, qy) == 3 ? 1 : 0;
      }
    }
    return n;
  }

  ByteArray rom;
  EditHistory history{rom};
  TileEditor tiles{rom};
  std::unique_ptr<CellGrid> grid;
  std::unique_ptr<GridTools> tools;
  ByteArray before;
};

// The pointer as a window reports it, in pixels of the grid's picture.
struct Step {
  enum Kind { Press, Move, Release, ToolKey, Escape, OutOfView } kind;
  int x = 0;  // or the tool for ToolKey
  int y = 0;
  int button = kLeftButton;  // the buttons held, for a move
  int shift = 0;
};

void run(GridTools& tools, const std::vector<Step>& steps, int value) {
  for (const Step& at : steps) {
    switch (at.kind) {
      case Step::Press:
        tools.press(at.button, at.shift, at.x, at.y, value);
        break;
      case Step::Move:
      case Step::OutOfView:
        tools.move(at.button, at.x, at.y, at.kind == Step::Move, value);
        break;
      case Step::Release:
        tools.release(at.button);
        break;
      case Step::ToolKey:
        tools.setTool(static_cast<Tool>(at.x));
        break;
      case Step::Escape:
        tools.escape();
        break;
    }
  }
}

// Every action on every grid is one named step, or none when nothing
// changed; undo and redo restore every byte; `painted` cells then hold the
// painted value (quadrants of sub-palette 3 for the sub-palette brush).
TEST(GridTools, EachActionIsOneStepThatPaintsWithoutGaps) {
  using S = Step;
  struct Case {
    const char* name;
    On on;
    Tool tool;
    std::vector<Step> steps;
    const char* step;  // nullptr: no step
    int painted;
  };
  const std::vector<Case> cases{
      // A fast drag across 8 cells, reported as its two ends, paints all 8.
      {"field brush, fast drag",
       On::Field,
       Tool::Brush,
       {{S::Press, 5, 5}, {S::Move, 7 * 32 + 5, 5}, {S::Release, 0, 0}},
       step::kPutMetatile,
       8},
      {"field brush, diagonal",
       On::Field,
       Tool::Brush,
       {{S::Press, 5, 5}, {S::Move, 767, 767}, {S::Release, 0, 0}},
       step::kPutMetatile,
       47},
      {"field brush, out of view and back: nothing on the way",
       On::Field,
       Tool::Brush,
       {{S::Press, 5, 5}, {S::OutOfView, 300, 5}, {S::Move, 600, 5}, {S::Release, 0, 0}},
       step::kPutMetatile,
       2},
      {"field brush, right press mid-drag: its cells crossed with both buttons stay",
       On::Field,
       Tool::Brush,
       {{S::Press, 10, 10},
        {S::Move, 40, 10},
        {S::Press, 45, 5, kRightButton},
        {S::Move, 80, 10, kLeftButton | kRightButton},
        {S::Release, 0, 0, kRightButton},
        {S::Move, 100, 10},
        {S::Release, 0, 0}},
       step::kPutMetatile,
       3},
      {"field brush, a tool key mid-drag ends it",
       On::Field,
       Tool::Brush,
       {{S::Press, 5, 5}, {S::Move, 40, 5}, {S::ToolKey, int(Tool::Fill)}, {S::Move, 80, 5}},
       step::kPutMetatile,
       2},
      {"field brush, Shift, Ctrl and Alt ignored",
       On::Field,
       Tool::Brush,
       {{S::Press, 5, 5, kLeftButton, 1 | 2 | 4}, {S::Release, 0, 0}},
       step::kPutMetatile,
       1},
      {"field, right press in Fill",
       On::Field,
       Tool::Fill,
       {{S::Press, 20, 20, kRightButton}},
       step::kSubPalette,
       0},
      {"field, middle press",
       On::Field,
       Tool::Brush,
       {{S::Press, 20, 20, kMiddleButton}},
       nullptr,
       0},
      {"field fill", On::Field, Tool::Fill, {{S::Press, 300, 300}}, step::kFill, 576},
      {"sub-palette brush, corner to corner in one move",
       On::Field,
       Tool::SubPalette,
       {{S::Press, 8, 8}, {S::Move, 760, 760}, {S::Release, 0, 0}},
       step::kPaintSubPalette,
       48 + 47},
      {"sub-palette brush, one cell's four quadrants",
       On::Field,
       Tool::SubPalette,
       {{S::Press, 40, 40}, {S::Move, 56, 40}, {S::Move, 56, 56}, {S::Move, 40, 56}},
       step::kPaintSubPalette,
       4},
      {"sub-palette brush, off the field and back",
       On::Field,
       Tool::SubPalette,
       {{S::Press, 8, 8}, {S::Move, -20, 300}, {S::Move, 8, 600}, {S::Move, 8, 616}},
       step::kPaintSubPalette,
       3},
      {"sub-palette brush, Esc mid-drag ends it",
       On::Field,
       Tool::SubPalette,
       {{S::Press, 5, 5}, {S::Move, 40, 5}, {S::Escape}, {S::Move, 90, 5}},
       step::kPaintSubPalette,
       3},
      {"field select",
       On::Field,
       Tool::Select,
       {{S::Press, 5, 5}, {S::Move, 200, 300}, {S::Release, 0, 0}},
       nullptr,
       0},
      {"field pick", On::Field, Tool::Pick, {{S::Press, 5, 5}, {S::Release, 0, 0}}, nullptr, 0},
      {"batter's view placement, fast drag",
       On::BatView,
       Tool::Brush,
       {{S::Press, 1, 1}, {S::Move, 8 * 31 + 1, 1}, {S::Release, 0, 0}},
       step::kPlaceBatViewTile,
       32},
      {"batter's view, the right button places too",
       On::BatView,
       Tool::Brush,
       {{S::Press, 100, 50, kRightButton}, {S::Release, 0, 0, kRightButton}},
       step::kPlaceBatViewTile,
       1},
      {"batter's view fill", On::BatView, Tool::Fill, {{S::Press, 100, 50}}, step::kFill, 960},
      {"metatile cells, drag across a row",
       On::Metatile,
       Tool::Brush,
       {{S::Press, 5, 5}, {S::Move, 127, 5}, {S::Release, 0, 0}},
       step::kPlaceMetatileTile,
       4},
      {"metatile cells: Fill acts as the brush",
       On::Metatile,
       Tool::Fill,
       {{S::Press, 5, 5}},
       step::kPlaceMetatileTile,
       1},
      {"metatile cells: Select acts as the brush",
       On::Metatile,
       Tool::Select,
       {{S::Press, 5, 5}, {S::Move, 5, 127}},
       step::kPlaceMetatileTile,
       4},
      {"pen, a fast stroke across a tile",
       On::Pixels,
       Tool::Brush,
       {{S::Press, 2, 2}, {S::Move, 127, 2}, {S::Release, 0, 0}},
       step::kPaint,
       8},
      {"pen, a second button joins the stroke",
       On::Pixels,
       Tool::Brush,
       {{S::Press, 5, 5}, {S::Press, 40, 5, kRightButton}, {S::Move, 80, 5}, {S::Release, 0, 0}},
       step::kPaint,
       6},
      {"pen, off the tile and back",
       On::Pixels,
       Tool::Brush,
       {{S::Press, 2, 2}, {S::Move, 2, 200}, {S::Move, 2, 120}, {S::Release, 0, 0}},
       step::kPaint,
       2},
      {"pen fill", On::Pixels, Tool::Fill, {{S::Press, 60, 60}}, step::kFill, 64},
      {"pen, Select acts as the brush",
       On::Pixels,
       Tool::Select,
       {{S::Press, 60, 60}},
       step::kPaint,
       1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bench bench(c.on);
    bench.tools->setTool(c.tool);
    bench.tools->setSubPalette(3);
    // Any value the grid's cells do not hold yet.
    const int value = c.on == On::Field ? 40 : c.on == On::Pixels ? 2 : 0x41;
    run(*bench.tools, c.steps, value);
    bench.tools->endGesture();
    EXPECT_EQ(c.tool == Tool::SubPalette ? bench.quadrantsOfThree() : bench.count(value),
              c.painted);
    if (c.step == nullptr) {
      EXPECT_EQ(bench.history.size(), 0U);
      EXPECT_EQ(bench.rom, bench.before);
      continue;
    }
    ASSERT_EQ(bench.history.size(), 1U);
    EXPECT_EQ(bench.history.undoName(), c.step);
    const ByteArray after = bench.rom;
    bench.history.undo();
    EXPECT_EQ(bench.rom, bench.before);
    bench.history.redo();
    EXPECT_EQ(bench.rom, after);
  }
}

// A stroke paints each cell once, however often the pointer passes it.
TEST(GridTools, AStrokePaintsEachCellOnce) {
  Stroke stroke;
  std::vector<Stroke::Cell> cells;
  auto moveTo = [&](std::optional<Stroke::Cell> at) {
    stroke.moveTo(at, cells);
    return cells;
  };
  stroke.begin(8, 8, std::pair{0, 0}, cells);
  EXPECT_EQ(cells.size(), 1U);
  EXPECT_EQ(moveTo(std::pair{3, 0}).size(), 3U);
  EXPECT_EQ(moveTo(std::pair{0, 0}).size(), 0U);  // back over painted cells
  EXPECT_EQ(moveTo(std::pair{0, 2}).size(), 2U);
  stroke.lose();
  EXPECT_EQ(moveTo(std::pair{5, 5}), (std::vector<Stroke::Cell>{{5, 5}}));
  EXPECT_EQ(moveTo(std::nullopt).size(), 0U);  // off the grid
  EXPECT_EQ(moveTo(std::pair{7, 5}), (std::vector<Stroke::Cell>{{7, 5}}));
  stroke.end();
  EXPECT_EQ(moveTo(std::pair{1, 1}).size(), 0U);
}

// Pick: on the Pick tool in every grid, and with Alt in every tool only when
// "Alt+press picks" is on.
TEST(GridTools, PickAtTheCornersAndAltOnlyWhenAsked) {
  for (const On on : {On::Field, On::BatView, On::Metatile, On::Pixels}) {
    Bench bench(on);
    GridTools& tools = *bench.tools;
    const GridShape& shape = bench.grid->shape();
    const int right = shape.columns * shape.cellSide - 1;
    const int bottom = shape.rows * shape.cellSide - 1;
    const std::pair<int, int> corners[] = {{0, 0}, {right, 0}, {0, bottom}, {right, bottom}};
    bench.grid->setCell(shape.columns - 1, shape.rows - 1, 1);
    for (const Tool tool : {Tool::Pick, Tool::Brush, Tool::Select, Tool::Fill}) {
      tools.setTool(tool);
      tools.setAltPicks(true);
      for (const auto& [x, y] : corners) {
        const auto result = tools.press(kLeftButton, tool == Tool::Pick ? 0 : kAltKey, x, y, 2);
        tools.release(kLeftButton);
        ASSERT_TRUE(result.picked);
        EXPECT_EQ(*result.picked, bench.grid->cell(x / shape.cellSide, y / shape.cellSide));
      }
      EXPECT_FALSE(tools.press(kLeftButton, kAltKey, right + 1, 0, 2).picked);
      tools.setAltPicks(false);
      EXPECT_EQ(tools.press(kLeftButton, kAltKey, 0, 0, 2).picked.has_value(), tool == Tool::Pick);
      tools.release(kLeftButton);
    }
  }
}

// Right presses cycle the quadrant under the pointer, 0, 1, 2, 3 and back,
// leaving the other bits; the documented cycles of the top-left and
// bottom-right quadrants.
TEST(GridTools, RightPressesCycleTheQuadrantUnderThePointer) {
  struct Case {
    int x, y, shift;
  };
  for (const Case c : {Case{5, 5, 0}, Case{20, 5, 2}, Case{5, 20, 4}, Case{20, 20, 6},
                       Case{15, 15, 0}, Case{16, 16, 6}, Case{31, 0, 2}, Case{0, 31, 4}}) {
    for (const std::uint8_t start : {std::uint8_t{0x00}, std::uint8_t{0xFF}, std::uint8_t{0x93}}) {
      Bench bench(On::Field);
      const auto attribute = static_cast<std::size_t>(rom::kFieldAttributeMap.offset + 4 * 24 + 3);
      bench.rom[attribute] = start;
      const int mask = 3 << c.shift;
      for (int step = 1; step <= 4; ++step) {
        bench.tools->press(kRightButton, 0, 3 * 32 + c.x, 4 * 32 + c.y, 40);
        const int field = (((start & mask) >> c.shift) + step) & 3;
        EXPECT_EQ(bench.rom[attribute], (start & ~mask) | field << c.shift) << c.x << "," << c.y;
      }
      EXPECT_EQ(bench.history.size(), 4U);
    }
  }
  Bench bench(On::Field);
  const auto first = static_cast<std::size_t>(rom::kFieldAttributeMap.offset);
  bench.rom[first] = 0;
  std::vector<int> seen;
  for (const int at : {5, 5, 5, 5, 20, 20, 20, 20}) {
    bench.tools->press(kRightButton, 0, at, at, 40);
    seen.push_back(bench.rom[first]);
  }
  EXPECT_EQ(seen, (std::vector<int>{0x01, 0x02, 0x03, 0x00, 0x40, 0x80, 0xC0, 0x00}));
}

TEST(GridTools, FillSelectAndDelete) {
  Bench bench(On::Field);
  GridTools& tools = *bench.tools;
  ByteArray& rom = bench.rom;
  auto map = [&](int c, int r) {
    return rom[static_cast<std::size_t>(rom::kFieldMap.offset + r * 24 + c)];
  };
  tools.setTool(Tool::Fill);
  tools.press(kLeftButton, 0, 400, 400, 40);
  tools.press(kLeftButton, 0, 400, 400, 40);  // the same metatile: no step
  EXPECT_EQ(bench.history.size(), 1U);
  // A selection dragged from the middle past the bottom-left corner stops at
  // the field's edge, and adds no step.
  tools.setTool(Tool::Select);
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
  // The fill stays inside the selection; outside it, nothing.
  tools.setTool(Tool::Fill);
  tools.press(kLeftButton, 0, 40, 200, 7);
  EXPECT_EQ(map(3, 23), 7);
  EXPECT_EQ(map(4, 23), 40);
  EXPECT_EQ(map(0, 2), 40);
  tools.press(kLeftButton, 0, 600, 600, 7);
  EXPECT_EQ(map(18, 18), 40);
  EXPECT_EQ(bench.history.size(), 2U);
  // Delete during a drag ends the drag first: a step of its own.
  tools.setTool(Tool::Brush);
  tools.press(kLeftButton, 0, 700, 5, 9);
  EXPECT_TRUE(tools.deleteSelection(5));
  EXPECT_FALSE(tools.inGesture());
  tools.move(kLeftButton, 740, 5, true, 9);  // the drag is over
  ASSERT_EQ(bench.history.size(), 4U);
  EXPECT_EQ(bench.history.undoName(), step::kDelete);
  EXPECT_EQ(map(0, 3), 5);
  EXPECT_EQ(map(23, 0), 40);
  EXPECT_EQ(tools.copySelection()->cells, std::vector<std::uint8_t>(84, 5));
  EXPECT_TRUE(tools.escape());
  EXPECT_FALSE(tools.selection());
  EXPECT_FALSE(tools.escape());
  EXPECT_FALSE(tools.deleteSelection(5));
  tools.selectAll();
  EXPECT_EQ(tools.selection(), (CellRect{0, 0, 24, 24}));
}

// A paste follows the pointer with its middle cell under it; every left
// press places it, one step each, clipped as its preview shows, until Esc.
TEST(GridTools, APastePlacesItsBlockUntilEsc) {
  for (const On on : {On::Field, On::BatView}) {
    Bench bench(on);
    GridTools& tools = *bench.tools;
    CellGrid& grid = *bench.grid;
    const int side = grid.shape().cellSide;
    const int last = grid.shape().columns - 1;
    const CellBlock block = copyBlock(grid, CellRect{0, 0, 4, 3});
    ASSERT_EQ(block.cells.size(), 12U);
    tools.setTool(Tool::Fill);
    tools.startPaste(block, CellRect{10, 10, 1, 1}, CellRect{});
    EXPECT_EQ(tools.pastePreview(), (CellRect{8, 9, 4, 3}));
    tools.startPaste(block, std::nullopt, CellRect{2, 5, 1, 1});
    EXPECT_EQ(tools.pastePreview(), (CellRect{2, 5, 4, 3}));
    EXPECT_TRUE(tools.move(0, last * side + 5, 0, true, 0).marksChanged);
    EXPECT_EQ(tools.pastePreview(), (CellRect{last - 2, 0, 3, 2}));  // clipped at the corner
    for (int r = 0; r < grid.shape().rows; ++r) {  // marks the paste must not leave
      for (int c = 0; c < grid.shape().columns; ++c) {
        grid.setCell(c, r, 0x50);
      }
    }
    tools.press(kRightButton, 0, 5 * side, 5 * side, 0);  // a paste takes the left button only
    tools.press(kLeftButton, 0, last * side + 5, 0, 0);
    tools.release(kLeftButton);
    for (int r = 0; r < grid.shape().rows; ++r) {
      for (int c = 0; c < grid.shape().columns; ++c) {
        const bool inPreview = CellRect{last - 2, 0, 3, 2}.contains(c, r);
        ASSERT_EQ(grid.cell(c, r) != 0x50, inPreview) << c << "," << r;
      }
    }
    EXPECT_EQ(grid.cell(last, 1), block.cells[2 * 4 + 2]);  // its top row is off the grid
    EXPECT_EQ(bench.history.undoName(), step::kPaste);
    EXPECT_TRUE(tools.escape());
    EXPECT_FALSE(tools.pasting());
    tools.press(kLeftButton, 0, 5 * side, 5 * side, 0);  // the fill tool again
    EXPECT_EQ(bench.history.undoName(), step::kFill);
  }
}

}  // namespace
}  // namespace tarvo
