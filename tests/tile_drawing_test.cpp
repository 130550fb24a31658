#include "gfx/tile_drawing.h"

#include <gtest/gtest.h>

#include <vector>

#include "test_support.h"

namespace tarvo {
namespace {

// A palette whose 32 entries are all different colour numbers, entry i
// holding colour i + 1 (and 16 to 31 as the windows leave them: zero).
PaletteArray distinctPalette() {
  PaletteArray palette{};
  for (int i = 0; i < 16; ++i) {
    palette[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i + 1);
  }
  return palette;
}

// Tile t of the buffer: pixel (r, c) holds slot (r + c + t) mod 4.
TilePixels patternedTiles() {
  TilePixels pixels(256 * 64);
  for (int t = 0; t < 256; ++t) {
    for (int k = 0; k < 64; ++k) {
      pixels[static_cast<std::size_t>(t * 64 + k)] =
          static_cast<std::uint8_t>((k / 8 + k % 8 + t) % 4);
    }
  }
  return pixels;
}

Color expectedColour(const PaletteArray& palette, int subPalette, int slot) {
  return colorTable[palette[static_cast<std::size_t>((subPalette & 7) * 4 + slot)]];
}

TEST(DrawTile, EveryPixelInItsSubPaletteColour) {
  const TilePixels pixels = patternedTiles();
  const PaletteArray palette = distinctPalette();
  struct Case {
    int tile, subPalette, usedSubPalette;
  };
  for (const Case c : std::vector<Case>{{0, 0, 0}, {255, 3, 3}, {17, 8, 0}, {200, 13, 5}}) {
    SCOPED_TRACE(c.subPalette);
    Surface surface(32, 32, 0x00FF00FF);
    drawTile(pixels, static_cast<std::uint8_t>(c.tile), surface, 10, 5, palette,
             static_cast<std::uint8_t>(c.subPalette));
    for (int y = 0; y < 32; ++y) {
      for (int x = 0; x < 32; ++x) {
        const bool inTile = x >= 10 && x < 18 && y >= 5 && y < 13;
        const int slot = (y - 5 + x - 10 + c.tile) % 4;
        ASSERT_EQ(surface.pixel(x, y),
                  inTile ? expectedColour(palette, c.usedSubPalette, slot) : 0x00FF00FFU)
            << x << "," << y;
      }
    }
  }
}

TEST(DrawTile, SubPalettesFourToSevenAreTheZeroEntries) {
  TilePixels pixels = patternedTiles();
  Surface surface(8, 8);
  drawTile(pixels, 3, surface, 0, 0, distinctPalette(), 5);
  for (int k = 0; k < 64; ++k) {
    EXPECT_EQ(surface.pixel(k % 8, k / 8), colorTable[0]);
  }
}

TEST(DrawTile, OnlyTheLowTwoBitsOfAPixelCount) {
  TilePixels pixels(256 * 64, 0);
  const std::vector<std::uint8_t> values{0, 1, 2, 3, 4, 5, 6, 7, 0xFE, 0xFF};
  for (std::size_t i = 0; i < values.size(); ++i) {
    pixels[i] = values[i];
  }
  const PaletteArray palette = distinctPalette();
  Surface surface(8, 8);
  drawTile(pixels, 0, surface, 0, 0, palette, 1);
  for (std::size_t i = 0; i < values.size(); ++i) {
    EXPECT_EQ(surface.pixel(static_cast<int>(i % 8), static_cast<int>(i / 8)),
              expectedColour(palette, 1, values[i] & 3))
        << int{values[i]};
  }
}

// A palette byte of 64 or more shows as the colour of its low six bits.
TEST(DrawTile, PaletteBytesPastSixtyThreeShowAsTheirLowSixBits) {
  TilePixels pixels(64, 0);
  pixels[1] = 1;
  pixels[2] = 2;
  pixels[3] = 3;
  PaletteArray palette{};
  palette[0] = 0x41;
  palette[1] = 0x8D;
  palette[2] = 0xFF;
  palette[3] = 0x40;
  Surface surface(8, 8);
  drawTile(pixels, 0, surface, 0, 0, palette, 0);
  EXPECT_EQ(surface.pixel(0, 0), colorTable[0x01]);
  EXPECT_EQ(surface.pixel(1, 0), colorTable[0x0D]);
  EXPECT_EQ(surface.pixel(2, 0), colorTable[0x3F]);
  EXPECT_EQ(surface.pixel(3, 0), colorTable[0x00]);
  EXPECT_EQ(palette[0], 0x41);  // the byte itself is kept
}

TEST(DrawTile, ClipsAtEveryEdge) {
  const TilePixels pixels = patternedTiles();
  const PaletteArray palette = distinctPalette();
  for (const auto& [x, y] : std::vector<std::pair<int, int>>{{124, 124},
                                                             {-4, -4},
                                                             {-7, 60},
                                                             {60, -7},
                                                             {127, 0},
                                                             {0, 127},
                                                             {-8, 0},
                                                             {128, 128},
                                                             {-2147483647, 5},
                                                             {2147483640, 2147483640}}) {
    Surface surface(128, 128, 0);
    drawTile(pixels, 9, surface, x, y, palette, 2);
    for (int py = 0; py < 128; ++py) {
      for (int px = 0; px < 128; ++px) {
        const std::int64_t c = std::int64_t{px} - x;
        const std::int64_t r = std::int64_t{py} - y;
        const bool inTile = c >= 0 && c < 8 && r >= 0 && r < 8;
        const Color expected =
            inTile ? expectedColour(palette, 2, static_cast<int>((r + c + 9) % 4)) : 0U;
        ASSERT_EQ(surface.pixel(px, py), expected) << "tile at " << x << "," << y;
      }
    }
  }
}

TEST(DrawTile, ABufferTooShortForTheTileDrawsSlotZero) {
  const TilePixels pixels(64 + 5, 3);
  const PaletteArray palette = distinctPalette();
  Surface surface(8, 8);
  drawTile(pixels, 200, surface, 0, 0, palette, 1);
  EXPECT_EQ(surface.pixel(7, 7), expectedColour(palette, 1, 0));
}

TEST(DrawPatternTable, LaysTheTilesOutSixteenToARow) {
  const TilePixels pixels = patternedTiles();
  const PaletteArray palette = distinctPalette();
  for (const int sub : {0, 3}) {
    Surface table(128, 128, 0x00FF00FF);
    drawPatternTable(table, pixels, palette, static_cast<std::uint8_t>(sub), 1);
    for (int t = 0; t < 256; ++t) {
      Surface tile(8, 8);
      drawTile(pixels, static_cast<std::uint8_t>(t), tile, 0, 0, palette,
               static_cast<std::uint8_t>(sub));
      for (int k = 0; k < 64; ++k) {
        ASSERT_EQ(table.pixel((t % 16) * 8 + k % 8, (t / 16) * 8 + k / 8), tile.pixel(k % 8, k / 8))
            << "tile " << t;
      }
    }
  }
}

TEST(DrawPatternTable, ScaleTwoFillsTwoByTwoBlocksAndRefreshesOnce) {
  struct Counter : SurfaceView {
    int refreshes = 0;
    void surfaceVisibilityChanged(bool) override {}
    void surfaceRefreshed(const SurfaceRect&) override { ++refreshes; }
  } counter;
  const TilePixels pixels = patternedTiles();
  const PaletteArray palette = distinctPalette();
  Surface small(128, 128);
  drawPatternTable(small, pixels, palette, 1, 1);
  Surface large(256, 256);
  large.setView(&counter);
  drawPatternTable(large, pixels, palette, 1, 2);
  EXPECT_EQ(counter.refreshes, 1);
  for (int y = 0; y < 256; ++y) {
    for (int x = 0; x < 256; ++x) {
      ASSERT_EQ(large.pixel(x, y), small.pixel(x / 2, y / 2)) << x << "," << y;
    }
  }
  // Tile 17 covers (16, 16) to (31, 31).
  EXPECT_EQ(large.pixel(16, 16), small.pixel(8, 8));
  EXPECT_EQ(large.pixel(31, 31), small.pixel(15, 15));
}

TEST(DrawPatternTable, ClearsWhatItDoesNotDraw) {
  const TilePixels pixels = patternedTiles();
  Surface surface(200, 150, 0x00000001);
  for (int y = 0; y < 150; ++y) {
    for (int x = 0; x < 200; ++x) {
      surface.setPixel(x, y, 0x00ABCDEF);
    }
  }
  drawPatternTable(surface, pixels, distinctPalette(), 0, 1);
  EXPECT_EQ(surface.pixel(128, 0), 0x00000001U);
  EXPECT_EQ(surface.pixel(199, 149), 0x00000001U);
  EXPECT_EQ(surface.pixel(0, 130), 0x00000001U);
}

}  // namespace
}  // namespace tarvo
