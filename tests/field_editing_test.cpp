#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <vector>

#include "screens/grid_lines.h"
#include "screens/map_editing.h"
#include "screens/metatile_picker.h"
#include "screens/view_transform.h"
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
