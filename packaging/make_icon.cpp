// Draws the program's icon: a ball field seen from above (grass, the infield
// diamond, white bases and foul lines, the outfield wall) with a pencil laid
// over its right foul ground. The build runs it once for every icon size.
//   make_icon SIZE OUT.png [SIZE OUT.png ...]
// Each picture is drawn at 8 x 8 samples a pixel, so edges are smoothed; thin
// parts (lines, bases, outlines) are kept at least a pixel or so wide, so that
// the small sizes still show them.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <numbers>
#include <string>
#include <vector>

#include "gfx/colors.h"
#include "gfx/png_image.h"
#include "gfx/surface.h"
#include "shell/rom_image.h"

namespace {

using tarvo::Color;
using tarvo::rgb;

struct Rgb {
  double r;
  double g;
  double b;
};

Rgb colour(int r, int g, int b) {
  return {static_cast<double>(r), static_cast<double>(g), static_cast<double>(b)};
}

constexpr double kInvSqrt2 = 1.0 / std::numbers::sqrt2;

const Rgb kWall = colour(28, 74, 62);
const Rgb kWallTop = colour(238, 196, 52);
const Rgb kGrass = colour(84, 172, 74);
const Rgb kGrassStripe = colour(70, 152, 62);
const Rgb kDirt = colour(200, 142, 84);
const Rgb kChalk = colour(250, 250, 244);
const Rgb kFrame = colour(18, 52, 36);
const Rgb kOutline = colour(40, 30, 24);
const Rgb kEraser = colour(236, 120, 132);
const Rgb kFerrule = colour(186, 190, 196);
const Rgb kBody = colour(250, 196, 40);
const Rgb kBodyShade = colour(222, 150, 24);
const Rgb kWood = colour(238, 206, 158);
const Rgb kLead = colour(46, 46, 52);

// The picture in unit coordinates: (0, 0) top left, (1, 1) bottom right.
// `px` is the width of one pixel in those units.
class Scene {
 public:
  explicit Scene(int size) : px_(1.0 / size), small_(size < 32), striped_(size >= 48) {}

  Rgb at(double x, double y) const {
    if (x < frame() || y < frame() || x > 1 - frame() || y > 1 - frame()) {
      return kFrame;
    }
    Rgb c = ground(x, y);
    if (const Rgb* p = pencil(x, y)) {
      c = *p;
    }
    return c;
  }

 private:
  // Home plate, and the centre of the diamond (the pitcher's mound).
  static constexpr double kHomeX = 0.46;
  static constexpr double kHomeY = 0.80;
  static constexpr double kBasePath = 0.25;  // home to first, along the diagonal
  static constexpr double kWallRadius = 0.74;

  double frame() const { return std::max(0.022, px_); }
  double atLeast(double width, double pixels) const { return std::max(width, pixels * px_); }

  Rgb ground(double x, double y) const {
    const double dx = x - kHomeX;
    const double dy = y - kHomeY;
    const double fromHome = std::hypot(dx, dy);

    // Beyond the wall: the stands; the wall's top is a yellow line.
    // Left out at the small sizes, where it would only be a smudge.
    const double wallTop = atLeast(0.016, 1.0);
    if (!small_ && fromHome > kWallRadius + wallTop) {
      return kWall;
    }
    if (!small_ && fromHome > kWallRadius) {
      return kWallTop;
    }

    // The foul lines run from home plate at 45 degrees to the wall.
    const double line = atLeast(0.012, small_ ? 0.9 : 1.0);
    const bool fair = -dy >= std::abs(dx);
    if (std::abs(std::abs(dx) + dy) * kInvSqrt2 < line / 2 && dy <= 0) {
      return kChalk;
    }

    // The diamond's centre; distances along the base paths are L1 distances.
    const double cx = kHomeX;
    const double cy = kHomeY - kBasePath;
    const double l1 = std::abs(x - cx) + std::abs(y - cy);

    // Bases: first, second and third, and home plate.
    const double base = atLeast(0.034, 1.5);
    const double bases[4][2] = {
        {cx + kBasePath, cy}, {cx, cy - kBasePath}, {cx - kBasePath, cy}, {kHomeX, kHomeY}};
    for (const auto& b : bases) {
      if (std::abs(x - b[0]) + std::abs(y - b[1]) < base) {
        return kChalk;
      }
    }

    // The infield dirt around the base paths, the grass inside them, and the
    // mound.
    const double dirtOuter = kBasePath + atLeast(0.075, 2.0);
    const double dirtInner = kBasePath - atLeast(0.07, 1.6);
    if (l1 < dirtOuter && (fair || l1 < kBasePath + base)) {
      if (l1 > dirtInner) {
        return kDirt;
      }
      const double mound = atLeast(0.05, 1.2);
      if (std::hypot(x - cx, y - cy) < mound) {
        const bool rubber =
            !small_ && std::abs(x - cx) < mound * 0.45 && std::abs(y - cy) < atLeast(0.008, 0.6);
        return rubber ? kChalk : kDirt;
      }
    }
    // The dirt circle around home plate.
    if (fromHome < atLeast(0.07, 1.8)) {
      return kDirt;
    }

    // Mowed grass: wide stripes, left out where they would only be noise.
    if (striped_ && static_cast<int>(std::floor((x + y) / 0.125)) % 2 != 0) {
      return kGrassStripe;
    }
    return kGrass;
  }

  // The pencil, or nullptr where it is not. It lies at 45 degrees, its point
  // down and to the left, beside the right foul line.
  const Rgb* pencil(double x, double y) const {
    static constexpr double kEndX = 1.02;  // the eraser's end, past the frame
    static constexpr double kEndY = 0.44;
    static constexpr double kLength = 0.62;
    static constexpr double kHalfWidth = 0.085;
    static constexpr double kCone = 0.17;  // the sharpened part
    // At the small sizes its outline is wider in proportion; moving it down
    // the diagonal keeps it off first base.
    const double shift = small_ ? 0.035 : 0.0;
    // u along the pencil from the eraser's end, v across it.
    const double ex = x - kEndX - shift;
    const double ey = y - kEndY - shift;
    const double u = (-ex + ey) * kInvSqrt2;
    const double v = (ex + ey) * kInvSqrt2;
    const double outline = atLeast(0.018, 1.0);

    const auto halfWidth = [&](double along) {
      return std::min(kHalfWidth, kHalfWidth * std::max(0.0, kLength - along) / kCone);
    };
    // The outline: the pencil's shape grown by `outline` on every side.
    const double coneSlant = std::hypot(kCone, kHalfWidth) / kCone;
    const double grown =
        std::min(kHalfWidth + outline, kHalfWidth * (kLength - u) / kCone + outline * coneSlant);
    if (u < -outline || std::abs(v) >= grown) {
      return nullptr;
    }
    if (u < 0 || u > kLength || std::abs(v) >= halfWidth(u)) {
      return &kOutline;
    }
    const double eraser = 0.11;
    const double ferrule = 0.16;
    const double lead = kLength - kCone * 0.38;
    if (u < eraser) {
      return &kEraser;
    }
    if (u < ferrule) {
      return &kFerrule;
    }
    if (u < kLength - kCone) {
      // A darker side towards the bottom right gives the body some roundness.
      return v > kHalfWidth * 0.3 ? &kBodyShade : &kBody;
    }
    return u < lead ? &kWood : &kLead;
  }

  double px_;
  bool small_;
  bool striped_;
};

tarvo::Surface drawIcon(int size) {
  const Scene scene(size);
  tarvo::Surface surface(size, size);
  constexpr int kSamples = 8;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      Rgb sum{0, 0, 0};
      for (int sy = 0; sy < kSamples; ++sy) {
        for (int sx = 0; sx < kSamples; ++sx) {
          const Rgb c =
              scene.at((x + (sx + 0.5) / kSamples) / size, (y + (sy + 0.5) / kSamples) / size);
          sum.r += c.r;
          sum.g += c.g;
          sum.b += c.b;
        }
      }
      constexpr double kCount = kSamples * kSamples;
      surface.setPixel(x, y,
                       rgb(static_cast<int>(std::lround(sum.r / kCount)),
                           static_cast<int>(std::lround(sum.g / kCount)),
                           static_cast<int>(std::lround(sum.b / kCount))));
    }
  }
  return surface;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty() || args.size() % 2 != 0) {
    std::cerr << "Usage: make_icon SIZE OUT.png [SIZE OUT.png ...]\n";
    return 2;
  }
  for (std::size_t i = 0; i < args.size(); i += 2) {
    char* end = nullptr;
    const long size = std::strtol(args[i].c_str(), &end, 10);
    if (end == args[i].c_str() || *end != '\0' || size < 16 || size > 1024) {
      std::cerr << "make_icon: the size must be a number from 16 to 1024, not '" << args[i]
                << "'\n";
      return 2;
    }
    tarvo::ByteArray png;
    std::string reason;
    if (!tarvo::encodePng(drawIcon(static_cast<int>(size)), png, &reason) ||
        !tarvo::writeWholeFile(args[i + 1], png, &reason)) {
      std::cerr << "make_icon: " << args[i + 1] << ": " << reason << "\n";
      return 1;
    }
  }
  return 0;
}
