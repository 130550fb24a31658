#include "support/test_pictures.h"

#include <array>
#include <cstdint>

#include "demo/batview_art.h"
#include "demo/field_art.h"

namespace tarvo::demo {

namespace {

// A hash of a lattice point, 0 to 255.
int latticeValue(int x, int y, int octave) {
  std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u +
                    static_cast<std::uint32_t>(y) * 668265263u +
                    static_cast<std::uint32_t>(octave) * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return static_cast<int>((h ^ (h >> 16)) & 0xFF);
}

// Value noise at (x, y) for lattice cells of `cell` pixels, 0 to 255 * 256:
// the four corners blended with a smoothstep, in whole numbers.
int valueNoise(int x, int y, int cell, int octave) {
  const int cx = x / cell;
  const int cy = y / cell;
  const int fx = (x % cell) * 256 / cell;
  const int fy = (y % cell) * 256 / cell;
  const auto smooth = [](int t) { return t * t * (768 - 2 * t) / 65536; };  // 0 to 256
  const int sx = smooth(fx);
  const int sy = smooth(fy);
  const int top = latticeValue(cx, cy, octave) * (256 - sx) + latticeValue(cx + 1, cy, octave) * sx;
  const int bottom =
      latticeValue(cx, cy + 1, octave) * (256 - sx) + latticeValue(cx + 1, cy + 1, octave) * sx;
  return (top / 256) * (256 - sy) + (bottom / 256) * sy;
}

Color mix(Color a, Color b, int t) {  // t of 256 parts b
  return rgb((redOf(a) * (256 - t) + redOf(b) * t) / 256,
             (greenOf(a) * (256 - t) + greenOf(b) * t) / 256,
             (blueOf(a) * (256 - t) + blueOf(b) * t) / 256);
}

std::vector<Color> noise(int width, int height) {
  // A ramp from deep water through sand and grass to rock and snow.
  const std::array<Color, 6> ramp{rgb(24, 52, 110), rgb(70, 130, 180), rgb(222, 200, 140),
                                  rgb(80, 150, 60), rgb(120, 100, 80), rgb(245, 245, 250)};
  std::vector<Color> pixels;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int v =
          (valueNoise(x, y, 96, 0) * 4 + valueNoise(x, y, 32, 1) * 2 + valueNoise(x, y, 8, 2)) /
          7;                          // 0 to 255 * 256
      const int along = v * 5 / 256;  // 0 to 1275
      const int step = std::min(along / 256, 4);
      pixels.push_back(mix(ramp[static_cast<std::size_t>(step)],
                           ramp[static_cast<std::size_t>(step + 1)], along - step * 256));
    }
  }
  return pixels;
}

std::vector<Color> flatWithDetail(int width, int height) {
  std::vector<Color> pixels;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      Color c = y < height / 3 ? rgb(135, 190, 235) : rgb(96, 160, 72);  // sky over a lawn
      if (x > width / 2 && y > height / 2) {
        c = rgb(200, 150, 110);  // a sandy corner
      }
      if (y == height / 3 || x == width / 4 || (x - y) % 97 == 0) {
        c = rgb(250, 250, 250);  // one-pixel chalk lines
      }
      if (x % 23 == 5 && y % 19 == 7) {
        c = rgb(200, 40, 40);  // single red dots
      }
      if (x >= width / 8 && x < width / 8 + 48 && y >= height / 2 && y < height / 2 + 48 &&
          ((x / 2 + y / 2) & 1)) {
        c = rgb(30, 30, 30);  // a fine checkerboard
      }
      pixels.push_back(c);
    }
  }
  return pixels;
}

}  // namespace

std::string_view testPictureName(TestPicture picture) {
  switch (picture) {
    case TestPicture::Gradient:
      return "gradient";
    case TestPicture::Noise:
      return "noise";
    case TestPicture::FlatWithDetail:
      return "flat with detail";
    case TestPicture::Stadium:
      return "stadium";
  }
  return "";
}

std::vector<Color> makeTestPicture(TestPicture picture, int width, int height) {
  std::vector<Color> pixels;
  switch (picture) {
    case TestPicture::Gradient:
      for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
          pixels.push_back(rgb(x * 255 / (width - 1), y * 255 / (height - 1),
                               (x + y) * 255 / (width + height - 2)));
        }
      }
      return pixels;
    case TestPicture::Noise:
      return noise(width, height);
    case TestPicture::FlatWithDetail:
      return flatWithDetail(width, height);
    case TestPicture::Stadium:
      break;
  }
  // A painter's colours for the demo's slots, none of them a console colour.
  const std::array<Color, 16> painted{
      rgb(70, 150, 64),   rgb(186, 128, 84), rgb(248, 248, 240), rgb(60, 70, 90),
      rgb(58, 132, 56),   rgb(186, 128, 84), rgb(248, 248, 240), rgb(60, 70, 90),
      rgb(110, 110, 120), rgb(200, 50, 60),  rgb(240, 236, 230), rgb(40, 36, 30),
      rgb(110, 110, 120), rgb(60, 90, 200),  rgb(230, 140, 50),  rgb(60, 70, 90)};
  if (width == kFieldSide && height == kFieldSide) {
    const FieldPicture field = paintField();
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const int sub = field.quadrantPalette[static_cast<std::size_t>(
            (y / rom::kQuadrantSide) * kFieldQuads + x / rom::kQuadrantSide)];
        pixels.push_back(painted[static_cast<std::size_t>(
            sub * 4 + field.slots[static_cast<std::size_t>(y * width + x)])]);
      }
    }
    return pixels;
  }
  const std::vector<std::uint8_t> slots = paintBatView();
  const std::array<Color, 4> view{rgb(28, 24, 36), rgb(80, 140, 70), rgb(190, 140, 100),
                                  rgb(250, 246, 236)};
  for (const std::uint8_t slot : slots) {
    pixels.push_back(view[slot & 3]);
  }
  return pixels;
}

}  // namespace tarvo::demo
