#include "gfx/colors.h"

#include <gtest/gtest.h>
#include <lcms2.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

#include "gfx/lab.h"

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

struct LabCase {
  const char* name;
  Color colour;
  Lab expected;
  double tolerance;
};

// The textbook D65 figures, to two decimals. The matrix of IEC 61966-2-1 has
// four decimals, so white comes out at X = 95.05 and Z = 108.90 rather than
// the white's 95.047 and 108.883: a and b of white miss zero by up to 0.011.
TEST(ToLab, GivesTheTextbookD65Values) {
  const std::vector<LabCase> cases{
      {"black", rgb(0, 0, 0), {0, 0, 0}, 1e-9},
      {"white", rgb(255, 255, 255), {100, 0, 0}, 0.011},
      {"red", rgb(255, 0, 0), {53.23, 80.11, 67.22}, 0.005},
      {"green", rgb(0, 255, 0), {87.74, -86.18, 83.18}, 0.005},
      {"blue", rgb(0, 0, 255), {32.30, 79.20, -107.86}, 0.005},
  };
  for (const LabCase& c : cases) {
    const Lab lab = toLab(c.colour);
    EXPECT_NEAR(lab.L, c.expected.L, c.tolerance) << c.name;
    EXPECT_NEAR(lab.a, c.expected.a, c.tolerance) << c.name;
    EXPECT_NEAR(lab.b, c.expected.b, c.tolerance) << c.name;
  }
}

// A grey's luminance is its channels' linear light, whatever the matrix, so
// its L* tells the sRGB curve and the L* formula apart from the rest. The
// sRGB curve is linear up to 10, L* up to 23.
TEST(ToLab, GivesTheLightnessOfGreysOnBothSidesOfEachJoin) {
  const std::vector<std::pair<int, double>> cases{
      {1, 0.2742},   {10, 2.7417},   {11, 3.0229},   {20, 6.3189},    {24, 8.2482},
      {50, 20.7878}, {128, 53.5850}, {254, 99.6549}, {255, 100.0000},
  };
  for (const auto& [v, lightness] : cases) {
    EXPECT_NEAR(toLab(rgb(v, v, v)).L, lightness, 1e-4) << v;
  }
}

TEST(ToLab, GreysGetLighterStepByStepAndStayNeutral) {
  double previous = -1;
  for (int v = 0; v < 256; ++v) {
    const Lab lab = toLab(rgb(v, v, v));
    EXPECT_GT(lab.L, previous) << v;
    EXPECT_LT(std::abs(lab.a), 0.011) << v;
    EXPECT_LT(std::abs(lab.b), 0.011) << v;
    previous = lab.L;
  }
}

struct LabPair {
  Lab x;
  Lab y;
  double expected;
};

TEST(DeltaE76Squared, IsTheSquaredDistance) {
  const std::vector<LabPair> cases{
      {{50, 0, 0}, {50, 3, 4}, 25},
      {{0, 0, 0}, {100, 0, 0}, 10000},
      {{1, 2, 3}, {4, 6, 15}, 169},
      {{20, -30, 40}, {20, -30, 40}, 0},
      {{60, -10, -20}, {58, 10, 5}, 4 + 400 + 625},
  };
  for (const LabPair& c : cases) {
    EXPECT_DOUBLE_EQ(deltaE76Squared(c.x, c.y), c.expected) << c.expected;
    EXPECT_DOUBLE_EQ(deltaE76Squared(c.y, c.x), c.expected) << c.expected;
  }
}

// The 34 pairs of Sharma, Wu and Dalal (2005), table 1, given to four
// decimals. Among them: zero chroma (7, 8), hues 180 degrees apart give or
// take a hair, where the mean hue jumps (9 to 15), and the blue region where
// the rotation term matters (1 to 6).
TEST(DeltaE2000, MatchesThePublishedTestData) {
  const std::vector<LabPair> cases{
      {{50.0000, 2.6772, -79.7751}, {50.0000, 0.0000, -82.7485}, 2.0425},
      {{50.0000, 3.1571, -77.2803}, {50.0000, 0.0000, -82.7485}, 2.8615},
      {{50.0000, 2.8361, -74.0200}, {50.0000, 0.0000, -82.7485}, 3.4412},
      {{50.0000, -1.3802, -84.2814}, {50.0000, 0.0000, -82.7485}, 1.0000},
      {{50.0000, -1.1848, -84.8006}, {50.0000, 0.0000, -82.7485}, 1.0000},
      {{50.0000, -0.9009, -85.5211}, {50.0000, 0.0000, -82.7485}, 1.0000},
      {{50.0000, 0.0000, 0.0000}, {50.0000, -1.0000, 2.0000}, 2.3669},
      {{50.0000, -1.0000, 2.0000}, {50.0000, 0.0000, 0.0000}, 2.3669},
      {{50.0000, 2.4900, -0.0010}, {50.0000, -2.4900, 0.0009}, 7.1792},
      {{50.0000, 2.4900, -0.0010}, {50.0000, -2.4900, 0.0010}, 7.1792},
      {{50.0000, 2.4900, -0.0010}, {50.0000, -2.4900, 0.0011}, 7.2195},
      {{50.0000, 2.4900, -0.0010}, {50.0000, -2.4900, 0.0012}, 7.2195},
      {{50.0000, -0.0010, 2.4900}, {50.0000, 0.0009, -2.4900}, 4.8045},
      {{50.0000, -0.0010, 2.4900}, {50.0000, 0.0010, -2.4900}, 4.8045},
      {{50.0000, -0.0010, 2.4900}, {50.0000, 0.0011, -2.4900}, 4.7461},
      {{50.0000, 2.5000, 0.0000}, {50.0000, 0.0000, -2.5000}, 4.3065},
      {{50.0000, 2.5000, 0.0000}, {73.0000, 25.0000, -18.0000}, 27.1492},
      {{50.0000, 2.5000, 0.0000}, {61.0000, -5.0000, 29.0000}, 22.8977},
      {{50.0000, 2.5000, 0.0000}, {56.0000, -27.0000, -3.0000}, 31.9030},
      {{50.0000, 2.5000, 0.0000}, {58.0000, 24.0000, 15.0000}, 19.4535},
      {{50.0000, 2.5000, 0.0000}, {50.0000, 3.1736, 0.5854}, 1.0000},
      {{50.0000, 2.5000, 0.0000}, {50.0000, 3.2972, 0.0000}, 1.0000},
      {{50.0000, 2.5000, 0.0000}, {50.0000, 1.8634, 0.5757}, 1.0000},
      {{50.0000, 2.5000, 0.0000}, {50.0000, 3.2592, 0.3350}, 1.0000},
      {{60.2574, -34.0099, 36.2677}, {60.4626, -34.1751, 39.4387}, 1.2644},
      {{63.0109, -31.0961, -5.8663}, {62.8187, -29.7946, -4.0864}, 1.2630},
      {{61.2901, 3.7196, -5.3901}, {61.4292, 2.2480, -4.9620}, 1.8731},
      {{35.0831, -44.1164, 3.7933}, {35.0232, -40.0716, 1.5901}, 1.8645},
      {{22.7233, 20.0904, -46.6940}, {23.0331, 14.9730, -42.5619}, 2.0373},
      {{36.4612, 47.8580, 18.3852}, {36.2715, 50.5065, 21.2231}, 1.4146},
      {{90.8027, -2.0831, 1.4410}, {91.1528, -1.6435, 0.0447}, 1.4441},
      {{90.9257, -0.5406, -0.9208}, {88.6381, -0.8985, -0.7239}, 1.5381},
      {{6.7747, -0.2908, -2.4247}, {5.8714, -0.0985, -2.2286}, 0.6377},
      {{2.0776, 0.0795, -1.1350}, {0.9033, -0.0636, -0.5514}, 0.9082},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const LabPair& c = cases[i];
    const double forward = deltaE2000(c.x, c.y);
    EXPECT_NEAR(forward, c.expected, 1e-4) << "pair " << i + 1;
    EXPECT_DOUBLE_EQ(deltaE2000(c.y, c.x), forward) << "pair " << i + 1;
  }
}

// A uniform draw from the bare mt19937 output, whose sequence the standard
// fixes, so that every standard library draws the same pairs.
double uniform(std::mt19937& random, double low, double high) {
  return low + (high - low) * (static_cast<double>(random()) / 4294967296.0);
}

// Little CMS's cmsCIE2000DeltaE as a second, independent implementation, on
// pairs far apart, close together, near the grey axis and of screen colours.
TEST(DeltaE2000, AgreesWithLittleCms) {
  std::mt19937 random(20050201);
  auto anyLab = [&random] {
    return Lab{uniform(random, 0, 100), uniform(random, -128, 128), uniform(random, -128, 128)};
  };
  auto nearby = [&random](const Lab& lab, double spread) {
    return Lab{std::clamp(lab.L + uniform(random, -spread, spread), 0.0, 100.0),
               lab.a + uniform(random, -spread, spread), lab.b + uniform(random, -spread, spread)};
  };
  auto anyColour = [&random] { return toLab(static_cast<Color>(random() & 0xFFFFFF)); };
  // Braced lists are evaluated left to right, unlike a function's arguments:
  // the draws come in the same order with every compiler.
  std::vector<std::pair<Lab, Lab>> pairs;
  for (int i = 0; i < 1000; ++i) {
    pairs.push_back({anyLab(), anyLab()});
    const Lab lab = anyLab();
    pairs.push_back({lab, nearby(lab, 3)});
    const Lab grey{uniform(random, 0, 100), 0, 0};
    pairs.push_back({nearby(grey, 1.5), nearby(grey, 1.5)});
    pairs.push_back({anyColour(), anyColour()});
  }
  for (const auto& [x, y] : pairs) {
    const cmsCIELab lx{x.L, x.a, x.b};
    const cmsCIELab ly{y.L, y.a, y.b};
    const double reference = cmsCIE2000DeltaE(&lx, &ly, 1, 1, 1);
    const double ours = deltaE2000(x, y);
    EXPECT_NEAR(ours, reference, 1e-10) << "(" << x.L << ", " << x.a << ", " << x.b << ") (" << y.L
                                        << ", " << y.a << ", " << y.b << ")";
    EXPECT_DOUBLE_EQ(deltaE2000(y, x), ours);
  }
}

}  // namespace
}  // namespace tarvo
