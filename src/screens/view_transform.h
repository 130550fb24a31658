// How a zoomed view maps the pixels of its picture to the screen and back.
//
// A view at zoom z (1 to 4) on a display whose device pixel ratio is r shows
// every picture pixel as a block of k x k device pixels, k = round(z * r) and
// at least 1, so that the blocks are equal at any display scale. Positions on
// the screen are in logical pixels (device pixels / r); a view scrolled by
// (sx, sy) logical pixels shows the picture from that point of its zoomed
// extent.
#pragma once

#include <algorithm>
#include <cmath>

namespace tarvo {

inline constexpr int kMinZoom = 1;
inline constexpr int kMaxZoom = 4;

constexpr int clampZoom(int zoom) {
  return std::clamp(zoom, kMinZoom, kMaxZoom);
}

// Division rounding toward minus infinity: -1 / 4 is -1, -4 / 4 is -1, -5 / 4
// is -2.
constexpr int floorDiv(int a, int b) {
  const int q = a / b;
  return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

struct ViewTransform {
  int zoom = 1;
  double ratio = 1.0;  // device pixels per logical pixel
  int scrollX = 0;     // logical pixels of the zoomed picture left of the view
  int scrollY = 0;

  // Device pixels per picture pixel, along each axis.
  int devicePerPixel() const { return std::max(1, static_cast<int>(std::lround(zoom * ratio))); }

  // The logical extent of `pixels` picture pixels, rounded up.
  int logicalExtent(int pixels) const {
    return static_cast<int>(std::ceil(pixels * devicePerPixel() / ratio - 1e-9));
  }
  // The logical position of the left (or top) edge of picture pixel `pixel`
  // in the unscrolled zoomed picture, rounded down.
  int logicalEdge(int pixel) const {
    return static_cast<int>(std::floor(pixel * devicePerPixel() / ratio + 1e-9));
  }

  // The picture pixel under logical position (x, y) of the view.
  int pixelX(double x) const { return pixelOf(x + scrollX); }
  int pixelY(double y) const { return pixelOf(y + scrollY); }

  // The picture pixel that logical position `at` of the unscrolled zoomed
  // picture falls in.
  int pixelOf(double at) const {
    return static_cast<int>(std::floor(at * ratio / devicePerPixel() + 1e-9));
  }
};

// The least number of logical pixels that is a whole number of device pixels
// at device pixel ratio `ratio` (1 at 1 and 2, 2 at 1.5, 4 at 1.25 and 1.75).
// A view scrolls by multiples of it, so that its picture lies on whole device
// pixels and what is drawn under the pointer is what the pointer names.
inline int scrollQuantum(double ratio) {
  for (int quantum = 1; quantum <= 8; ++quantum) {
    const double device = quantum * ratio;
    if (std::abs(device - std::round(device)) < 1e-6) {
      return quantum;
    }
  }
  return 1;
}

// `scroll` rounded down to a multiple of the quantum.
inline int snapScroll(int scroll, double ratio) {
  const int quantum = scrollQuantum(ratio);
  return floorDiv(scroll, quantum) * quantum;
}

// Where the scroll must go so that picture position `pixel` (a picture
// coordinate, fractions allowed) stays under logical position `inView` of the
// view after the zoom changed: zoom about the pointer. The scroll is a
// multiple of the quantum, the one nearest the exact place that keeps the
// pointer on the same picture pixel.
inline int scrollToKeep(double pixel, int inView, const ViewTransform& after) {
  const double exact = pixel * after.devicePerPixel() / after.ratio - inView;
  const int quantum = scrollQuantum(after.ratio);
  const int nearest = static_cast<int>(std::lround(exact / quantum)) * quantum;
  const int wanted = static_cast<int>(std::floor(pixel));
  // Where a quantum spans more than a picture pixel (at 1x and 1.25, say),
  // the nearest the scroll can come.
  int best = nearest;
  int bestMiss = std::abs(after.pixelOf(inView + nearest) - wanted);
  for (const int step : {-1, 1, -2, 2}) {
    const int scroll = nearest + step * quantum;
    const int miss = std::abs(after.pixelOf(inView + scroll) - wanted);
    if (miss < bestMiss) {
      best = scroll;
      bestMiss = miss;
    }
  }
  return best;
}

}  // namespace tarvo
