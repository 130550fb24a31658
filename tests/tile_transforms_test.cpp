#include "gfx/tile_transforms.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "test_support.h"

namespace tarvo {
namespace {

// A buffer of 256 tiles of arbitrary byte values: the transforms move values,
// whatever they are.
TilePixels randomTiles(std::uint32_t variant) {
  return test::randomBytes(256 * 64, variant);
}

int mod8(int value) {
  return ((value % 8) + 8) % 8;
}

struct Transform {
  std::string name;
  std::function<void(TilePixels&, std::uint8_t)> apply;
  // Where new pixel (r, c) comes from: old(from(r, c)).
  std::function<std::pair<int, int>(int, int)> from;
};

std::vector<Transform> transforms() {
  std::vector<Transform> list;
  for (const auto& [dx, dy] : std::vector<std::pair<int, int>>{
           {1, 0}, {-1, 0}, {0, 1}, {0, -1}, {3, -5}, {9, 0}, {-9, 17}, {32767, -32768}}) {
    list.push_back({"shift " + std::to_string(dx) + "," + std::to_string(dy),
                    [dx, dy](TilePixels& p, std::uint8_t t) {
                      shiftTile(p, t, static_cast<std::int16_t>(dx), static_cast<std::int16_t>(dy));
                    },
                    [dx, dy](int r, int c) {
                      return std::pair{mod8(r + dy), mod8(c + dx)};
                    }});
  }
  list.push_back({"flip left-right",
                  [](TilePixels& p, std::uint8_t t) { flipTile(p, t, true, false); },
                  [](int r, int c) {
                    return std::pair{r, 7 - c};
                  }});
  list.push_back({"flip top-bottom",
                  [](TilePixels& p, std::uint8_t t) { flipTile(p, t, false, true); },
                  [](int r, int c) {
                    return std::pair{7 - r, c};
                  }});
  list.push_back({"flip both", [](TilePixels& p, std::uint8_t t) { flipTile(p, t, true, true); },
                  [](int r, int c) {
                    return std::pair{7 - r, 7 - c};
                  }});
  list.push_back({"rotate", [](TilePixels& p, std::uint8_t t) { rotateTile(p, t); },
                  [](int r, int c) {
                    return std::pair{c, 7 - r};
                  }});
  return list;
}

TEST(TileTransforms, FollowTheirDefinitionsAndTouchNoOtherTile) {
  const TilePixels original = randomTiles(61);
  for (const Transform& transform : transforms()) {
    for (const int tile : {0, 37, 255}) {
      SCOPED_TRACE(transform.name + " on tile " + std::to_string(tile));
      TilePixels pixels = original;
      transform.apply(pixels, static_cast<std::uint8_t>(tile));
      for (int i = 0; i < 256 * 64; ++i) {
        const auto at = static_cast<std::size_t>(i);
        if (i / 64 != tile) {
          ASSERT_EQ(pixels[at], original[at]) << "element " << i;
          continue;
        }
        const int r = i % 64 / 8;
        const int c = i % 8;
        const auto [fromRow, fromColumn] = transform.from(r, c);
        ASSERT_EQ(pixels[at],
                  original[static_cast<std::size_t>(tile * 64 + fromRow * 8 + fromColumn)])
            << "row " << r << " column " << c;
      }
    }
  }
}

TEST(TileTransforms, TheButtonsMoveThePictureTheWayTheySay) {
  // Only pixel (0, 0) is set.
  auto single = [](int r, int c) {
    TilePixels p(64, 0);
    p[static_cast<std::size_t>(r * 8 + c)] = 1;
    return p;
  };
  TilePixels p = single(0, 0);
  shiftTile(p, 0, 1, 0);  // left: the leftmost column reappears at the right
  EXPECT_EQ(p, single(0, 7));
  p = single(0, 0);
  shiftTile(p, 0, 0, 1);  // up: the top row reappears at the bottom
  EXPECT_EQ(p, single(7, 0));
  p = single(0, 7);
  rotateTile(p, 0);  // counter-clockwise: top right to top left
  EXPECT_EQ(p, single(0, 0));
  rotateTile(p, 0);  // top left to bottom left
  EXPECT_EQ(p, single(7, 0));
}

TEST(TileTransforms, InversesRestoreTheTile) {
  const TilePixels original = randomTiles(62);
  struct Sequence {
    std::string name;
    std::function<void(TilePixels&)> apply;
  };
  const std::vector<Sequence> sequences{
      {"left then right",
       [](TilePixels& p) {
         shiftTile(p, 9, 1, 0);
         shiftTile(p, 9, -1, 0);
       }},
      {"up then down",
       [](TilePixels& p) {
         shiftTile(p, 9, 0, 1);
         shiftTile(p, 9, 0, -1);
       }},
      {"eight lefts",
       [](TilePixels& p) {
         for (int i = 0; i < 8; ++i)
           shiftTile(p, 9, 1, 0);
       }},
      {"eight downs",
       [](TilePixels& p) {
         for (int i = 0; i < 8; ++i)
           shiftTile(p, 9, 0, -1);
       }},
      {"two flips",
       [](TilePixels& p) {
         flipTile(p, 9, true, false);
         flipTile(p, 9, true, false);
       }},
      {"two vertical flips",
       [](TilePixels& p) {
         flipTile(p, 9, false, true);
         flipTile(p, 9, false, true);
       }},
      {"four rotations",
       [](TilePixels& p) {
         for (int i = 0; i < 4; ++i)
           rotateTile(p, 9);
       }},
      {"two rotations are a double flip",
       [](TilePixels& p) {
         rotateTile(p, 9);
         rotateTile(p, 9);
         flipTile(p, 9, true, true);
       }},
  };
  for (const Sequence& s : sequences) {
    TilePixels pixels = original;
    s.apply(pixels);
    EXPECT_EQ(pixels, original) << s.name;
  }
}

TEST(TileTransforms, AUniformTileIsUnchanged) {
  TilePixels pixels(256 * 64, 2);
  for (const Transform& transform : transforms()) {
    transform.apply(pixels, 100);
    EXPECT_EQ(pixels, TilePixels(256 * 64, 2)) << transform.name;
  }
}

TEST(TileTransforms, ATileOutsideTheBufferIsLeftAlone) {
  const TilePixels original = test::randomBytes(64 + 10, 63);  // tile 0 and a scrap
  for (const Transform& transform : transforms()) {
    TilePixels pixels = original;
    transform.apply(pixels, 1);
    transform.apply(pixels, 255);
    EXPECT_EQ(pixels, original) << transform.name;
  }
}

}  // namespace
}  // namespace tarvo
