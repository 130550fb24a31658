#include "gfx/colors.h"

#include <gtest/gtest.h>

#include <vector>

namespace tarvo {
namespace {

struct ColorCase {
  int colour;
  bool greyscale;
  int emphasis;
  Color expected;
};

TEST(NesColorToRGB, GivesTheDocumentedColours) {
  const std::vector<ColorCase> cases{
      {0x01, false, 0, 0xA63D00},  // red 0, green 61, blue 166
      {0x00, false, 0, 0x808080},
      {0x0D, false, 0, 0x000000},  // the only black
      {0x0E, false, 0, 0x050505},
      {0x0F, false, 0, 0x050505},
      {0x3F, false, 0, 0x111111},
      {0x20, false, 0, 0xFFFFFF},
      {0x30, false, 0, 0xFFFFFF},
      {0x2C, false, 0, rgb(5, 251, 255)},
      {0x37, false, 0, rgb(255, 239, 166)},
      // Emphasis: green 61 x 0.83 = 50.63 gives 51, blue 166 x 1.12 = 185.92 gives 186.
      {0x01, false, 4, 0xBA3300},
      // Blue 255 x 1.12 = 285.6 is limited to 255.
      {0x20, false, 4, 0xFFD4D1},
      // Blue 250 x 0.81 is exactly 202.5 in double precision: half to even gives 202.
      {0x13, false, 1, 0xCA2C82},
      // Only the low three bits of the emphasis count.
      {0x01, false, 8, 0xA63D00},
      {0x01, false, 12, 0xBA3300},
      // Emphasis 255 acts as 7: 255 x 0.7 is exactly 178.5, and half to even gives 178.
      {0x20, false, 255, rgb(178, 178, 178)},
      // Greyscale keeps only the brightness bits and ignores emphasis.
      {0x16, true, 0, 0xC7C7C7},
      {0x50, true, 5, 0xC7C7C7},
      {0x20, true, 4, 0xFFFFFF},
      {0x3A, true, 0, 0xFFFFFF},
      {0x0D, true, 7, 0x808080},
      {0xFF, true, 0, 0xFFFFFF},
  };
  for (const ColorCase& c : cases) {
    EXPECT_EQ(nesColorToRGB(static_cast<std::uint8_t>(c.colour), c.greyscale,
                            static_cast<std::uint8_t>(c.emphasis)),
              c.expected)
        << std::hex << "colour 0x" << c.colour << " greyscale " << c.greyscale << " emphasis "
        << std::dec << c.emphasis;
  }
}

TEST(NesColorToRGB, NumbersOfSixtyFourAndAboveAreBlackWithoutGreyscale) {
  for (int colour = 64; colour < 256; ++colour) {
    for (int emphasis = 0; emphasis < 8; ++emphasis) {
      EXPECT_EQ(nesColorToRGB(static_cast<std::uint8_t>(colour), false,
                              static_cast<std::uint8_t>(emphasis)),
                0U)
          << colour;
    }
  }
}

// Emphasis only darkens, except blue under emphasis 4, and never sets the
// top byte.
TEST(NesColorToRGB, EmphasisAttenuatesEveryChannelButBlueOfEmphasisFour) {
  for (int colour = 0; colour < 64; ++colour) {
    const Color base = nesColorToRGB(static_cast<std::uint8_t>(colour), false, 0);
    for (int emphasis = 1; emphasis < 8; ++emphasis) {
      const Color c = nesColorToRGB(static_cast<std::uint8_t>(colour), false,
                                    static_cast<std::uint8_t>(emphasis));
      EXPECT_EQ(c >> 24, 0U);
      EXPECT_LE(redOf(c), redOf(base));
      EXPECT_LE(greenOf(c), greenOf(base));
      if (emphasis != 4) {
        EXPECT_LE(blueOf(c), blueOf(base)) << colour << " " << emphasis;
      }
    }
  }
}

TEST(ColorTable, HoldsTheBaseColoursAndIsRebuiltByBuildColorTable) {
  const auto saved = colorTable;
  colorTable.fill(0x123456);
  buildColorTable();
  for (int n = 0; n < 64; ++n) {
    EXPECT_EQ(colorTable[static_cast<std::size_t>(n)],
              nesColorToRGB(static_cast<std::uint8_t>(n), false, 0));
  }
  EXPECT_EQ(colorTable, saved);  // filled before anyone asked
  EXPECT_EQ(colorTable[0x00], 0x808080U);
  int blacks = 0;
  for (const Color c : colorTable) {
    blacks += c == 0 ? 1 : 0;
  }
  EXPECT_EQ(blacks, 1);
}

TEST(PaletteColor, ABytePastSixtyThreeShowsAsItsLowSixBits) {
  for (int byte = 0; byte < 256; ++byte) {
    EXPECT_EQ(paletteColor(static_cast<std::uint8_t>(byte)),
              colorTable[static_cast<std::size_t>(byte % 64)]);
  }
}

}  // namespace
}  // namespace tarvo
