#include "screens/tile_usage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "editor/pane_tools.h"
#include "editor/tile_editor.h"
#include "shell/edit_history.h"
#include "shell/rom_locations.h"

namespace tarvo {
namespace {

// Metatile 0 holds tile 0 everywhere; metatile 1 holds tile 7 in two cells
// and tile 9 in one; metatile 200 (beyond the table) holds tile 50 in one
// cell. The map shows metatile 1 in three cells and metatile 200 in one.
ByteArray handBuiltImage() {
  ByteArray rom(rom::kMinImageSize, 0);
  const auto table = static_cast<std::size_t>(rom::kMetatileTable.offset);
  rom[table + 16 + 0] = 7;
  rom[table + 16 + 5] = 7;
  rom[table + 16 + 15] = 9;
  rom[table + 200 * 16 + 3] = 50;  // past metatile 132: only the map reaches it
  const auto map = static_cast<std::size_t>(rom::kFieldMap.offset);
  rom[map + 0] = 1;
  rom[map + 100] = 1;
  rom[map + 575] = 1;
  rom[map + 7] = 200;
  const auto names = static_cast<std::size_t>(rom::kBatViewNameTable.offset);
  rom[names + 0] = 0x41;
  rom[names + 959] = 0x41;
  rom[names + 500] = 0x42;
  return rom;
}

TEST(TileUsage, CountsOnAHandBuiltImage) {
  const ByteArray rom = handBuiltImage();
  const auto field = fieldTileUsage(rom);
  struct Case {
    int tile, metatileCells, mapCells;
  };
  // Tile 0 fills every other cell of the table, and every metatile the map
  // shows holds it somewhere: all 576 map cells draw it.
  for (const Case c :
       std::vector<Case>{{0, 2128 - 3, 576}, {7, 2, 3}, {9, 1, 3}, {50, 0, 1}, {1, 0, 0}}) {
    EXPECT_EQ(field[static_cast<std::size_t>(c.tile)].metatileCells, c.metatileCells) << c.tile;
    EXPECT_EQ(field[static_cast<std::size_t>(c.tile)].mapCells, c.mapCells) << c.tile;
  }
  const auto batView = batViewTileUsage(rom);
  EXPECT_EQ(batView[0x41], 2);
  EXPECT_EQ(batView[0x42], 1);
  EXPECT_EQ(batView[0x00], 960 - 3);
  EXPECT_EQ(batView[0x43], 0);
}

TEST(TileUsage, TheEditorSaysWhereTheSelectedTileIsAndMarksUnusedTiles) {
  ByteArray rom = handBuiltImage();
  TileEditor editor(rom);
  editor.initGUI(0, 0);
  editor.patternTablePress(7 * 16, 0);  // tile 07
  EXPECT_EQ(editor.usageText(), "Tile 07: in 2 metatile cells and 3 field map cells");
  editor.patternTablePress(50 % 16 * 16, 50 / 16 * 16);
  EXPECT_EQ(editor.usageText(), "Tile 32: in 0 metatile cells and 1 field map cell");
  const auto used = editor.usedTiles();
  EXPECT_EQ(std::count(used.begin(), used.end(), true), 4);  // tiles 0, 7, 9 and 50
  const Surface plain = editor.picPatternTable;
  editor.setShowUnused(true);
  // Tile 1 is crossed out, tile 7 is not.
  EXPECT_NE(editor.picPatternTable.pixel(16, 0), plain.pixel(16, 0));
  EXPECT_EQ(editor.picPatternTable.pixel(7 * 16, 0), plain.pixel(7 * 16, 0));
  editor.setShowUnused(false);
  EXPECT_EQ(editor.picPatternTable.pixel(16, 0), plain.pixel(16, 0));

  editor.initGUI(1, 0);
  editor.patternTablePress(1 * 16, 4 * 16);  // tile 41
  EXPECT_EQ(editor.usageText(), "Tile 41: in 2 cells of the batter's view");
  const auto usedInView = editor.usedTiles();
  EXPECT_EQ(std::count(usedInView.begin(), usedInView.end(), true), 3);
}

// Placing an unused tile takes its cross away as soon as the edit is told,
// in either mode.
TEST(TileUsage, APlacementUpdatesTheMarksAtOnce) {
  for (const int mode : {0, 1}) {
    SCOPED_TRACE(mode);
    ByteArray rom = handBuiltImage();
    TileEditor editor(rom);
    EditHistory history(rom);
    history.addListener(&editor);
    editor.initGUI(mode, 1);
    editor.setShowUnused(true);
    const int tile = 0x33;  // used nowhere
    editor.patternTablePress(tile % 16 * 16, tile / 16 * 16);
    const Color crossed = editor.picPatternTable.pixel(tile % 16 * 16, tile / 16 * 16);
    {
      Edit edit(history, "Place tile");
      EXPECT_TRUE(mode == 0 ? editor.metatilePress(5, 5) : editor.batViewPress(5, 5));
    }
    EXPECT_NE(editor.picPatternTable.pixel(tile % 16 * 16, tile / 16 * 16), crossed);
    EXPECT_TRUE(editor.usedTiles()[tile]);
  }
}

// The graphics editor's pens and strokes, without the window: a pen holds a
// colour slot; the left button paints with the left pen, any other with the
// right; a stroke paints each pixel it enters once and ends at the release;
// every painted pixel is in the image's bank at once.
TEST(TileEditor, PensAndStrokes) {
  ByteArray rom = handBuiltImage();
  TileEditor editor(rom);
  editor.initGUI(0, 0);
  editor.patternTablePress(5 * 16, 0);  // tile 05
  editor.patternTableRelease(5 * 16, 0);
  editor.swatchPress(2, 1);
  editor.swatchPress(3, 2);
  EXPECT_EQ(editor.leftColor(), 2);
  EXPECT_EQ(editor.rightColor(), 3);
  editor.swatchPress(1, 4);  // the middle button sets the right pen too
  EXPECT_EQ(editor.rightColor(), 1);
  editor.swatchPress(7, 1);  // no such swatch
  EXPECT_EQ(editor.leftColor(), 2);

  struct Step {
    const char* what;
    int button;  // for a move: the buttons held
    int x, y;
    bool move;
    bool painted;
    int column, row, slot;  // the pixel that then holds `slot`
  };
  const Step steps[] = {
      {"left press", 1, 0, 0, false, true, 0, 0, 2},
      {"move within the pixel", 1, 15, 15, true, false, 0, 0, 2},
      {"move into the next", 1, 16, 0, true, true, 1, 0, 2},
      {"move with the right button", 2, 40, 0, true, true, 2, 0, 1},
      {"move off the tile", 1, 128, 0, true, false, 2, 0, 1},
      {"middle press", 4, 127, 127, false, true, 7, 7, 1},
      {"right press", 2, 16, 112, false, true, 1, 7, 1},
      {"press with no button", 0, 32, 32, false, false, 2, 2, 0},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    const bool painted = step.move ? editor.pixelMove(step.button, step.x, step.y)
                                   : editor.pixelPress(step.button, step.x, step.y);
    EXPECT_EQ(painted, step.painted);
    if (step.painted) {
      EXPECT_EQ(editor.editTiles()[static_cast<std::size_t>(5 * 64 + step.row * 8 + step.column)],
                step.slot);
    }
    EXPECT_TRUE(editor.penDown() || !step.painted);
  }
  TilePixels stored;
  decodeTiles(rom::kFieldChrBank.offset, 256, stored, rom);
  EXPECT_EQ(stored, editor.editTiles());

  editor.pixelRelease();
  EXPECT_FALSE(editor.penDown());
  EXPECT_FALSE(editor.pixelMove(1, 100, 100));  // the stroke is over
  // A pen holds a slot, not a colour: another sub-palette, the same slot.
  editor.nextPalette();
  EXPECT_TRUE(editor.pixelPress(1, 100, 100));
  EXPECT_EQ(editor.editTiles()[5 * 64 + 6 * 8 + 6], 2);
}

// The second press of a double-click selects but starts no copy.
TEST(TileEditor, TheSecondReleaseOfADoubleClickCopiesNothing) {
  ByteArray rom = handBuiltImage();
  rom[rom::kFieldChrBank.offset + 3 * 16] = 0xFF;  // tile 03 differs from tile 20
  const ByteArray before = rom;
  TileEditor editor(rom);
  editor.initGUI(0, 0);
  editor.patternTablePress(3 * 16, 0);
  EXPECT_TRUE(editor.patternTableRelease(3 * 16, 0));  // onto itself: nothing changes
  editor.patternTablePress(3 * 16, 0);
  editor.patternTableDoubleClick();
  EXPECT_FALSE(editor.patternTableRelease(4 * 16, 16));
  EXPECT_EQ(rom, before);
  EXPECT_EQ(editor.selTile(), 3);
}

// The editor window's tools: fill and Alt-pick on the enlarged tile, a tile
// pasted from its bytes, and on the batter's view fill, a selection, Delete
// and a paste; each action one named step that undo and redo restore.
TEST(PaneTools, EachToolIsOneStepOrNone) {
  struct Case {
    const char* name;
    int mode;
    std::function<void(PaneTools&, TileEditor&, ByteArray&)> act;
    std::vector<std::string> steps;  // none: no byte changed
  };
  const Case cases[] = {
      {"fill of the tile's one colour",
       0,
       [](PaneTools& tools, TileEditor& tiles, ByteArray&) {
         tiles.swatchPress(3, 1);
         tools.setTool(PaneTool::Fill);
         tools.tilePress(1, 0, 60, 60);
         tools.tileRelease();
         EXPECT_EQ(std::count(tiles.editTiles().begin(), tiles.editTiles().begin() + 64, 3), 64);
       },
       {kFillStep}},
      {"fill with the colour already there",
       0,
       [](PaneTools& tools, TileEditor&, ByteArray&) {
         tools.setTool(PaneTool::Fill);
         tools.tilePress(1, 0, 60, 60);  // pen 0 over pixels of 0
       },
       {}},
      {"Alt takes the pixel's colour",
       0,
       [](PaneTools& tools, TileEditor& tiles, ByteArray&) {
         tools.tilePress(2, 4, 5, 5);
         EXPECT_EQ(tiles.rightColor(), 0);
         EXPECT_FALSE(tiles.penDown());
       },
       {}},
      {"brush stroke with a second button",
       0,
       [](PaneTools& tools, TileEditor& tiles, ByteArray&) {
         tiles.swatchPress(2, 1);
         tools.tilePress(1, 0, 5, 5);
         tools.tilePress(2, 0, 40, 5);
         tools.tileMove(1, 80, 5);
         tools.tileRelease();
       },
       {kPaintStep}},
      {"tile pasted during a stroke: two steps",
       0,
       [](PaneTools& tools, TileEditor& tiles, ByteArray&) {
         tiles.swatchPress(2, 1);
         tools.tilePress(1, 0, 5, 5);
         EXPECT_TRUE(tools.pasteTile(TileBytes{1, 2, 3}));
         EXPECT_FALSE(tools.inGesture());
         tools.tileMove(1, 80, 5);  // the stroke is over
         EXPECT_EQ(tiles.editTiles()[5], 0);
       },
       {kPaintStep, kPasteTileStep}},
      {"tile pasted",
       0,
       [](PaneTools& tools, TileEditor& tiles, ByteArray&) {
         const TileBytes bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
         EXPECT_TRUE(tools.pasteTile(bytes));
         EXPECT_EQ(tiles.selectedTileBytes(), bytes);
         EXPECT_FALSE(tools.pasteTile(bytes));
       },
       {kPasteTileStep}},
      {"batter's view fill inside a selection",
       1,
       [](PaneTools& tools, TileEditor& tiles, ByteArray&) {
         tiles.selectTile(9);
         tools.setTool(PaneTool::Select);
         tools.batViewPress(1, 0, 8 * 2, 8 * 3);
         tools.batViewMove(1, 8 * 40, 8 * 5);  // past the right edge
         tools.batViewRelease(1);
         EXPECT_EQ(*tools.selection(), (CellRect{2, 3, 30, 3}));
         tools.setTool(PaneTool::Fill);
         tools.batViewPress(1, 0, 8 * 4, 8 * 4);
       },
       {kFillStep}},
      {"Delete",
       1,
       [](PaneTools& tools, TileEditor& tiles, ByteArray&) {
         tiles.selectTile(5);
         tools.selectAll();
         EXPECT_TRUE(tools.deleteSelection());
       },
       {kDeleteStep}},
      {"paste, placed twice, then Esc",
       1,
       [](PaneTools& tools, TileEditor&, ByteArray& rom) {
         NameTableBlock block{3, 2, {1, 2, 3, 4, 5, 6}};
         tools.startPaste(block, CellRect{31, 0, 1, 1}, CellRect{});
         EXPECT_EQ(tools.pastePreview(), (CellRect{30, 0, 2, 1}));  // its middle cell at 31, 0
         tools.batViewPress(1, 0, 31 * 8, 0);
         tools.batViewPress(2, 0, 4, 9 * 8);  // a paste takes the left button only
         EXPECT_EQ(rom[static_cast<std::size_t>(rom::kBatViewNameTable.offset + 9 * 32)], 0);
         EXPECT_TRUE(tools.escape());
         EXPECT_FALSE(tools.pasting());
         const auto names = static_cast<std::size_t>(rom::kBatViewNameTable.offset);
         EXPECT_EQ(rom[names + 30], 4);  // the block's second row, first columns
         EXPECT_EQ(rom[names + 31], 5);
         EXPECT_EQ(rom[names + 29], 0);
       },
       {kPasteStep}},
      {"Alt on the batter's view picks its tile",
       1,
       [](PaneTools& tools, TileEditor& tiles, ByteArray&) {
         const auto result = tools.batViewPress(1, 4, 8 * 31, 8 * 29);
         ASSERT_TRUE(result.picked);
         EXPECT_EQ(*result.picked, 0x41);
         EXPECT_EQ(tiles.selTile(), 0x41);
       },
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ByteArray rom = handBuiltImage();
    const ByteArray before = rom;
    EditHistory history(rom);
    TileEditor tiles(rom);
    tiles.initGUI(c.mode, 0);
    PaneTools tools(tiles, rom, history);
    c.act(tools, tiles, rom);
    EXPECT_FALSE(tools.inGesture());
    ASSERT_EQ(history.size(), c.steps.size());
    for (std::size_t i = 0; i < c.steps.size(); ++i) {
      EXPECT_EQ(history.steps()[i].name, c.steps[i]);
    }
    const ByteArray after = rom;
    EXPECT_EQ(after != before, !c.steps.empty());
    while (history.undo()) {
    }
    EXPECT_EQ(rom, before);
    while (history.redo()) {
    }
    EXPECT_EQ(rom, after);
  }
}

}  // namespace
}  // namespace tarvo
