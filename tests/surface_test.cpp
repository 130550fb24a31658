#include "gfx/surface.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "test_support.h"

namespace tarvo {
namespace {

Surface randomSurface(int width, int height, std::uint32_t variant) {
  Surface surface(width, height);
  std::mt19937 generator(variant);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      surface.setPixel(x, y, generator() & 0xFFFFFF);
    }
  }
  return surface;
}

bool inside(const Surface& s, int x, int y) {
  return x >= 0 && y >= 0 && x < s.width() && y < s.height();
}

std::vector<Color> pixelsOf(const Surface& s) {
  return std::vector<Color>(s.pixels(), s.pixels() + s.width() * s.height());
}

TEST(Surface, StartsInItsBackgroundAndClearsBackToIt) {
  Surface surface(5, 3, 0x00ABCDEF);
  EXPECT_EQ(pixelsOf(surface), std::vector<Color>(15, 0x00ABCDEF));
  surface.setPixel(4, 2, 1);
  EXPECT_EQ(surface.pixel(4, 2), 1U);
  surface.clear();
  EXPECT_EQ(pixelsOf(surface), std::vector<Color>(15, 0x00ABCDEF));
}

TEST(Surface, SetPixelClipsAtEveryEdge) {
  Surface surface(4, 3, 0);
  for (const auto& [x, y] : std::vector<std::pair<int, int>>{
           {-1, 0}, {0, -1}, {4, 0}, {0, 3}, {-1, -1}, {4, 3}, {-100000, 5}, {2147483647, 1}}) {
    surface.setPixel(x, y, 7);
    EXPECT_EQ(surface.pixel(x, y), 0U) << x << "," << y;  // outside reads as background
  }
  EXPECT_EQ(pixelsOf(surface), std::vector<Color>(12, 0));
  for (const auto& [x, y] : std::vector<std::pair<int, int>>{{0, 0}, {3, 0}, {0, 2}, {3, 2}}) {
    surface.setPixel(x, y, 7);
    EXPECT_EQ(surface.pixel(x, y), 7U);
  }
}

// The copy against the plain rule: every pixel whose source and destination
// both lie inside their surfaces is copied; nothing else changes.
TEST(Surface, CopyBlockClipsLikeThePlainRule) {
  const Surface source = randomSurface(20, 14, 71);
  std::mt19937 generator(72);
  auto coordinate = [&](int span) { return static_cast<int>(generator() % (span + 24)) - 12; };
  for (int trial = 0; trial < 2000; ++trial) {
    Surface target = randomSurface(16, 12, 73);
    const Surface before = target;
    const int x = coordinate(16), y = coordinate(12), sx = coordinate(20), sy = coordinate(14);
    const int w = static_cast<int>(generator() % 30) - 2,
              h = static_cast<int>(generator() % 30) - 2;
    target.copyBlock(x, y, w, h, source, sx, sy);
    for (int ty = 0; ty < 12; ++ty) {
      for (int tx = 0; tx < 16; ++tx) {
        const int fx = tx - x + sx, fy = ty - y + sy;
        const bool copied =
            tx >= x && tx < x + w && ty >= y && ty < y + h && inside(source, fx, fy);
        ASSERT_EQ(target.pixel(tx, ty), copied ? source.pixel(fx, fy) : before.pixel(tx, ty))
            << "trial " << trial << " pixel " << tx << "," << ty;
      }
    }
  }
}

TEST(Surface, CopyBlockWithinOneSurfaceReadsTheOldPixels) {
  for (const auto& [dx, dy] :
       std::vector<std::pair<int, int>>{{3, 2}, {-3, -2}, {0, 5}, {5, 0}, {-4, 3}}) {
    Surface surface = randomSurface(16, 16, 74);
    const Surface before = surface;
    surface.copyBlock(4 + dx, 4 + dy, 8, 8, surface, 4, 4);
    Surface expected = before;
    expected.copyBlock(4 + dx, 4 + dy, 8, 8, before, 4, 4);
    EXPECT_EQ(pixelsOf(surface), pixelsOf(expected)) << dx << "," << dy;
  }
}

// Where the source rectangle reaches outside its surface, the pixels it would
// bring are not drawn and the target keeps what it had.
TEST(Surface, AnIntegerEnlargementMakesEverySourcePixelABlock) {
  const Surface source = randomSurface(10, 8, 75);
  for (const auto& [sx, sy] : std::vector<std::pair<int, int>>{{2, 1}, {-2, 0}, {7, 5}, {-3, -4}}) {
    for (const int k : {1, 2, 3, 8}) {
      for (const auto& [x, y] :
           std::vector<std::pair<int, int>>{{0, 0}, {5, 3}, {-7, -2}, {30, 20}}) {
        Surface target = randomSurface(40, 30, 79);
        const Surface before = target;
        target.stretchCopy(x, y, 6 * k, 5 * k, source, sx, sy, 6, 5);
        for (int ty = 0; ty < 30; ++ty) {
          for (int tx = 0; tx < 40; ++tx) {
            const bool covered = tx >= x && tx < x + 6 * k && ty >= y && ty < y + 5 * k;
            const int fx = sx + (tx - x) / k;
            const int fy = sy + (ty - y) / k;
            const Color expected =
                covered && inside(source, fx, fy) ? source.pixel(fx, fy) : before.pixel(tx, ty);
            ASSERT_EQ(target.pixel(tx, ty), expected)
                << "source at " << sx << "," << sy << " scale " << k << " at " << tx << "," << ty;
          }
        }
      }
    }
  }
}

// How the pattern table view enlarges itself: the square at the origin onto a
// larger square at the origin of the same surface.
TEST(Surface, EnlargingPartOfItselfInPlace) {
  Surface surface = randomSurface(64, 64, 76);
  const Surface before = surface;
  surface.stretchCopy(0, 0, 128, 128, surface, 0, 0, 64, 64);
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      ASSERT_EQ(surface.pixel(x, y), before.pixel(x / 2, y / 2)) << x << "," << y;
    }
  }
}

TEST(Surface, NothingHappensForEmptyRectangles) {
  Surface surface = randomSurface(8, 8, 77);
  const Surface before = surface;
  surface.copyBlock(0, 0, 0, 8, before, 0, 0);
  surface.copyBlock(0, 0, 8, -1, before, 0, 0);
  surface.stretchCopy(0, 0, 8, 8, before, 0, 0, 0, 8);
  surface.stretchCopy(0, 0, -8, 8, before, 0, 0, 8, 8);
  surface.copyBlock(-2147483647, -2147483647, 2147483647, 2147483647, randomSurface(8, 8, 78), 0,
                    0);
  EXPECT_EQ(pixelsOf(surface), pixelsOf(before));
}

TEST(Surface, TellsItsViewAboutVisibilityAndRefreshes) {
  struct Recorder : SurfaceView {
    std::vector<std::string> calls;
    void surfaceVisibilityChanged(bool visible) override {
      calls.push_back(visible ? "show" : "hide");
    }
    void surfaceRefreshed(const SurfaceRect& r) override {
      calls.push_back("refresh " + std::to_string(r.x) + " " + std::to_string(r.y) + " " +
                      std::to_string(r.width) + " " + std::to_string(r.height));
    }
  } recorder;
  Surface surface(4, 4);
  surface.hide();  // no view yet: nothing to tell
  EXPECT_FALSE(surface.isVisible());
  surface.setView(&recorder);
  surface.show();
  surface.hide();
  surface.refresh();
  // A rectangle is clipped to the surface; one outside it is not told.
  surface.refresh(-1, 2, 3, 5);
  surface.refresh(4, 0, 1, 1);
  EXPECT_FALSE(surface.isVisible());
  EXPECT_EQ(recorder.calls,
            (std::vector<std::string>{"show", "hide", "refresh 0 0 4 4", "refresh 0 2 2 2"}));
}

}  // namespace
}  // namespace tarvo
