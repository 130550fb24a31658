#include "gfx/chr_codec.h"

#include <gtest/gtest.h>

#include <vector>

#include "shell/rom_locations.h"
#include "test_support.h"

namespace tarvo {
namespace {

// Pixel (r, c) of a tile, straight from the format: bit 7 - c of plane 0's
// row byte plus twice the same bit of plane 1's.
int referencePixel(const std::uint8_t* chr, int r, int c) {
  return (chr[r] >> (7 - c) & 1) + 2 * (chr[r + 8] >> (7 - c) & 1);
}

TEST(DecodeTiles, DocumentedTiles) {
  struct Case {
    std::uint8_t byteFill;                             // every tile byte not listed
    std::vector<std::pair<int, std::uint8_t>> bytes;   // byte index, value
    std::uint8_t pixelFill;                            // every element not listed
    std::vector<std::pair<int, std::uint8_t>> pixels;  // element, value
  };
  const std::vector<Case> cases{
      {0x00, {}, 0, {}},
      {0xFF, {}, 3, {}},
      {0x00, {{0, 0x80}, {8, 0x01}}, 0, {{0, 1}, {7, 2}}},
      {0x00, {{7, 0x01}, {15, 0x01}}, 0, {{63, 3}}},
      {0x00, {{3, 0x10}, {11, 0x10}}, 0, {{3 * 8 + 3, 3}}},
      {0xFF, {{8, 0x7F}}, 3, {{0, 1}}},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(i);
    ByteArray source(16, cases[i].byteFill);
    for (const auto& [at, value] : cases[i].bytes) {
      source[static_cast<std::size_t>(at)] = value;
    }
    std::vector<std::uint8_t> expected(64, cases[i].pixelFill);
    for (const auto& [at, value] : cases[i].pixels) {
      expected[static_cast<std::size_t>(at)] = value;
    }
    TilePixels pixels;
    decodeTiles(0, 1, pixels, source);
    EXPECT_EQ(pixels, expected);
  }
}

TEST(DecodeTiles, MatchesTheFormatOnRandomBanks) {
  for (std::uint32_t variant = 1; variant <= 4; ++variant) {
    const ByteArray image = test::randomBytes(rom::kMinImageSize, variant);
    TilePixels pixels;
    decodeTiles(rom::kFieldChrBank.offset, 256, pixels, image);
    ASSERT_EQ(pixels.size(), 256U * 64);
    for (int t = 0; t < 256; ++t) {
      const std::uint8_t* chr = image.data() + rom::kFieldChrBank.offset + t * 16;
      for (int k = 0; k < 64; ++k) {
        ASSERT_EQ(pixels[static_cast<std::size_t>(t * 64 + k)], referencePixel(chr, k / 8, k % 8))
            << "tile " << t << " pixel " << k;
      }
    }
  }
}

TEST(DecodeTiles, ReadsOnlyTheBank) {
  const ByteArray image = test::randomBytes(rom::kMinImageSize, 31);
  ByteArray changed = image;
  for (std::size_t i = 0; i < changed.size(); ++i) {
    const bool inBank = i >= static_cast<std::size_t>(rom::kFieldChrBank.offset) &&
                        i < static_cast<std::size_t>(rom::kFieldChrBank.end());
    if (!inBank) {
      changed[i] = static_cast<std::uint8_t>(~changed[i]);
    }
  }
  TilePixels a;
  TilePixels b;
  decodeTiles(rom::kFieldChrBank.offset, 256, a, image);
  decodeTiles(rom::kFieldChrBank.offset, 256, b, changed);
  EXPECT_EQ(a, b);
}

TEST(DecodeTiles, ReplacesTheBufferWithCountTiles) {
  const ByteArray image = test::randomBytes(rom::kMinImageSize, 32);
  TilePixels pixels(256 * 64, 9);
  decodeTiles(rom::kBatViewChrBank.offset, 1, pixels, image);
  EXPECT_EQ(pixels.size(), 64U);
  decodeTiles(0, 0, pixels, image);
  EXPECT_TRUE(pixels.empty());
}

// A bank that runs past the end of the source (or starts before it) decodes
// its missing bytes as zero and reads nothing outside.
TEST(DecodeTiles, BytesOutsideTheSourceDecodeAsZero) {
  const ByteArray source(24, 0xFF);  // one whole tile and half of the next
  TilePixels pixels;
  decodeTiles(0, 3, pixels, source);
  ASSERT_EQ(pixels.size(), 3U * 64);
  for (int k = 0; k < 64; ++k) {
    EXPECT_EQ(pixels[static_cast<std::size_t>(k)], 3);
    // Tile 1 has its plane-0 rows (bytes 16-23) but no plane 1.
    EXPECT_EQ(pixels[static_cast<std::size_t>(64 + k)], 1);
    EXPECT_EQ(pixels[static_cast<std::size_t>(128 + k)], 0);
  }
  decodeTiles(-8, 1, pixels, source);  // plane 0 missing, plane 1 present
  for (int k = 0; k < 64; ++k) {
    EXPECT_EQ(pixels[static_cast<std::size_t>(k)], 2);
  }
}

TEST(EncodeTiles, RoundTripsAnyBank) {
  for (std::uint32_t variant = 1; variant <= 4; ++variant) {
    const ByteArray bank = test::randomBytes(4096, variant + 100);
    TilePixels pixels;
    decodeTiles(0, 256, pixels, bank);
    ByteArray encoded(3, 3);
    encodeTiles(0, 256, pixels, encoded);
    EXPECT_EQ(encoded, bank);
  }
}

TEST(EncodeTiles, UsesOnlyTheLowTwoBitsOfAPixel) {
  const ByteArray bank = test::randomBytes(4096, 41);
  TilePixels pixels;
  decodeTiles(0, 256, pixels, bank);
  const ByteArray noise = test::randomBytes(pixels.size(), 42);
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    pixels[i] = static_cast<std::uint8_t>(pixels[i] | (noise[i] & 0xFC));  // 6 -> 2, 5 -> 1...
  }
  ByteArray encoded;
  encodeTiles(0, 256, pixels, encoded);
  EXPECT_EQ(encoded, bank);
}

TEST(EncodeTiles, ASizeOfCountTilesAndNoWritePastTheEnd) {
  TilePixels pixels(64, 3);
  ByteArray output;
  encodeTiles(0, 2, pixels, output);  // tile 1 is missing from the pixels
  ASSERT_EQ(output.size(), 32U);
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(output[static_cast<std::size_t>(i)], 0xFF);
    EXPECT_EQ(output[static_cast<std::size_t>(16 + i)], 0x00);
  }
  encodeTiles(8, 1, pixels, output);  // a start past 0 loses what does not fit
  ASSERT_EQ(output.size(), 16U);
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(output[static_cast<std::size_t>(i)], i < 8 ? 0 : 0xFF) << i;
  }
}

// The pixel buffer and the byte array are one type, so a caller may pass one
// buffer as both.
TEST(ChrCodec, ABufferMayBeBothSourceAndResult) {
  const ByteArray bank = test::randomBytes(4096, 43);
  TilePixels expected;
  decodeTiles(0, 256, expected, bank);
  ByteArray buffer = bank;
  decodeTiles(0, 256, buffer, buffer);
  EXPECT_EQ(buffer, expected);
  encodeTiles(0, 256, buffer, buffer);
  EXPECT_EQ(buffer, bank);
}

TEST(CopyTile, ChangesOnlyTheDestinationTile) {
  TilePixels original;
  decodeTiles(0, 256, original, test::randomBytes(4096, 51));
  for (const auto& [from, to] : std::vector<std::pair<int, int>>{{3, 200}, {255, 0}, {7, 7}}) {
    TilePixels pixels = original;
    copyTile(pixels, static_cast<std::uint8_t>(from), pixels, static_cast<std::uint8_t>(to));
    for (int i = 0; i < 256 * 64; ++i) {
      const auto at = static_cast<std::size_t>(i);
      const auto expected =
          i / 64 == to ? original[static_cast<std::size_t>(from * 64 + i % 64)] : original[at];
      ASSERT_EQ(pixels[at], expected) << from << " -> " << to << " element " << i;
    }
  }
}

TEST(CopyTile, BetweenBuffersAndOutsideThem) {
  TilePixels source(256 * 64, 1);
  TilePixels destination(2 * 64, 0);
  copyTile(source, 200, destination, 1);
  EXPECT_EQ(destination, [] {
    TilePixels expected(2 * 64, 0);
    std::fill(expected.begin() + 64, expected.end(), 1);
    return expected;
  }());
  copyTile(source, 5, destination, 2);       // no tile 2 in the destination
  copyTile(destination, 9, destination, 0);  // no tile 9 in the source
  EXPECT_EQ(std::count(destination.begin(), destination.end(), 1), 64);
}

}  // namespace
}  // namespace tarvo
