// Drawing in whole numbers: shape tests, a canvas of colour slots that
// pictures are painted on shape over shape, and a pseudo-random sequence that
// never changes. Integer arithmetic only, so every compiler and standard
// library gives the same pixels.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace tarvo::demo {

// The largest r with r * r <= v, by bisection.
constexpr std::int64_t isqrt(std::int64_t v) {
  std::int64_t low = 0;
  std::int64_t high = 3037000499;  // the square root of the largest int64_t
  while (low < high) {
    const std::int64_t mid = low + (high - low + 1) / 2;
    if (mid <= v / mid) {
      low = mid;
    } else {
      high = mid - 1;
    }
  }
  return low;
}

constexpr std::int64_t square(std::int64_t v) {
  return v * v;
}

// True when (x, y) lies within `r` of the segment from (ax, ay) to (bx, by).
bool nearSegment(int x, int y, int ax, int ay, int bx, int by, int r);

// A disc of radius r + 1/2 around the origin: no lone pixels at its four
// extremes.
bool inCircle(std::int64_t dx, std::int64_t dy, std::int64_t r);

bool insideEllipse(int x, int y, int cx, int cy, int rx, int ry);

struct Point {
  int x;
  int y;
};

// Even-odd rule at the pixel centre.
bool insidePolygon(int x, int y, const std::vector<Point>& polygon);

// An xorshift with a fixed start, for the crowd and anything else that should look
// irregular yet never change.
class Xorshift {
 public:
  explicit Xorshift(std::uint32_t variant) : state_(variant) {}
  std::uint32_t next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }
  int below(int n) { return static_cast<int>(next() % static_cast<std::uint32_t>(n)); }

 private:
  std::uint32_t state_;
};

// A picture of colour slots, painted shape over shape.
class Canvas {
 public:
  // All slot 0; `outline` is the slot of the outlined shapes' outlines.
  Canvas(int width, int height, std::uint8_t outline)
      : width_(width),
        height_(height),
        outline_(outline),
        slots_(static_cast<std::size_t>(width * height), 0) {}

  void set(int x, int y, std::uint8_t slot) {
    if (x >= 0 && y >= 0 && x < width_ && y < height_) {
      slots_[static_cast<std::size_t>(y * width_ + x)] = slot;
    }
  }

  template <typename Inside>
  void fill(int left, int top, int right, int bottom, std::uint8_t slot, Inside inside) {
    for (int y = std::max(top, 0); y <= std::min(bottom, height_ - 1); ++y) {
      for (int x = std::max(left, 0); x <= std::min(right, width_ - 1); ++x) {
        if (inside(x, y)) {
          set(x, y, slot);
        }
      }
    }
  }

  void ellipse(int cx, int cy, int rx, int ry, std::uint8_t slot) {
    fill(cx - rx, cy - ry, cx + rx, cy + ry, slot,
         [=](int x, int y) { return insideEllipse(x, y, cx, cy, rx, ry); });
  }
  void rect(int left, int top, int right, int bottom, std::uint8_t slot) {
    fill(left, top, right, bottom, slot, [](int, int) { return true; });
  }
  void segment(int ax, int ay, int bx, int by, int r, std::uint8_t slot) {
    fill(std::min(ax, bx) - r, std::min(ay, by) - r, std::max(ax, bx) + r, std::max(ay, by) + r,
         slot, [=](int x, int y) { return nearSegment(x, y, ax, ay, bx, by, r); });
  }
  void polygon(const std::vector<Point>& points, std::uint8_t slot) {
    int left = points[0].x, right = points[0].x, top = points[0].y, bottom = points[0].y;
    for (const Point& p : points) {
      left = std::min(left, p.x);
      right = std::max(right, p.x);
      top = std::min(top, p.y);
      bottom = std::max(bottom, p.y);
    }
    fill(left, top, right, bottom, slot,
         [&points](int x, int y) { return insidePolygon(x, y, points); });
  }
  // A one-pixel line from (ax, ay) to (bx, by), Bresenham's way.
  void line(int ax, int ay, int bx, int by, std::uint8_t slot) {
    const int dx = std::abs(bx - ax);
    const int dy = -std::abs(by - ay);
    const int sx = ax < bx ? 1 : -1;
    const int sy = ay < by ? 1 : -1;
    int error = dx + dy;
    for (;;) {
      set(ax, ay, slot);
      if (ax == bx && ay == by) {
        break;
      }
      const int twice = 2 * error;
      if (twice >= dy) {
        error += dy;
        ax += sx;
      }
      if (twice <= dx) {
        error += dx;
        ay += sy;
      }
    }
  }
  void polygonOutline(const std::vector<Point>& points, std::uint8_t slot) {
    for (std::size_t i = 0; i < points.size(); ++i) {
      const Point& a = points[i];
      const Point& b = points[(i + 1) % points.size()];
      line(a.x, a.y, b.x, b.y, slot);
    }
  }
  // Outlined shapes: the shape one pixel larger in the outline slot, then
  // the shape.
  void outlinedEllipse(int cx, int cy, int rx, int ry, std::uint8_t slot) {
    ellipse(cx, cy, rx + 1, ry + 1, outline_);
    ellipse(cx, cy, rx, ry, slot);
  }
  void outlinedSegment(int ax, int ay, int bx, int by, int r, std::uint8_t slot) {
    segment(ax, ay, bx, by, r + 1, outline_);
    segment(ax, ay, bx, by, r, slot);
  }

  const std::vector<std::uint8_t>& slots() const { return slots_; }

 private:
  int width_;
  int height_;
  std::uint8_t outline_;
  std::vector<std::uint8_t> slots_;
};

}  // namespace tarvo::demo
