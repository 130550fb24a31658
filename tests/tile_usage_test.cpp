#include "screens/tile_usage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

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
      ShownMetatileCells metatile(rom, editor);
      ImageGrid names = batViewGrid(rom);
      EXPECT_TRUE(mode == 0 ? metatile.setCell(0, 0, tile) : names.setCell(0, 0, tile));
    }
    EXPECT_NE(editor.picPatternTable.pixel(tile % 16 * 16, tile / 16 * 16), crossed);
    EXPECT_TRUE(editor.usedTiles()[tile]);
  }
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

}  // namespace
}  // namespace tarvo
