#include "shell/palette.h"

#include <gtest/gtest.h>

#include "shell/rom_locations.h"
#include "test_support.h"

namespace tarvo {
namespace {

TEST(ReadPalette, CopiesSixteenBytesAndLeavesTheUpperEntries) {
  const ByteArray image = test::randomBytes(rom::kMinImageSize, 21);
  for (const rom::Location& block : {rom::kFieldPalette, rom::kBatViewPalette}) {
    SCOPED_TRACE(block.name);
    PaletteArray palette;
    palette.fill(0xEE);
    readPalette(image, palette, block.offset);
    for (int i = 0; i < 16; ++i) {
      EXPECT_EQ(palette[i], image[static_cast<std::size_t>(block.offset + i)]) << i;
    }
    for (int i = 16; i < 32; ++i) {
      EXPECT_EQ(palette[i], 0xEE) << i;
    }
  }
}

// An image too short for the block (the one-byte image before any load) is
// never read past its end.
TEST(ReadPalette, BytesBeyondTheImageReadAsZero) {
  const ByteArray image{1, 2, 3, 4, 5};
  PaletteArray palette;
  palette.fill(0xEE);
  readPalette(image, palette, 2);
  const PaletteArray expected{3,    4,    5,    0,    0,    0,    0,    0,    0,    0,    0,
                              0,    0,    0,    0,    0,    0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE,
                              0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
  EXPECT_EQ(palette, expected);
  readPalette(ByteArray(1, 9), palette, rom::kFieldPalette.offset);
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(palette[i], 0) << i;
  }
}

}  // namespace
}  // namespace tarvo
