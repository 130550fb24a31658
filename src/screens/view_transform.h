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

// Where the scroll must go so that picture pixel position `pixel` (a picture
// coordinate, fractions allowed) stays at logical position `inView` of the
// view after the zoom changed: zoom about the pointer.
inline int scrollToKeep(double pixel, int inView, const ViewTransform& after) {
  return static_cast<int>(std::floor(pixel * after.devicePerPixel() / after.ratio)) - inView;
}

}  // namespace tarvo
