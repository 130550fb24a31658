#include "demo/raster.h"

namespace tarvo::demo {

bool nearSegment(int x, int y, int ax, int ay, int bx, int by, int r) {
  const std::int64_t dx = bx - ax;
  const std::int64_t dy = by - ay;
  const std::int64_t wx = x - ax;
  const std::int64_t wy = y - ay;
  const std::int64_t along = wx * dx + wy * dy;
  const std::int64_t length2 = dx * dx + dy * dy;
  if (along <= 0 || length2 == 0) {
    return wx * wx + wy * wy <= square(r);
  }
  if (along >= length2) {
    return square(x - bx) + square(y - by) <= square(r);
  }
  const std::int64_t cross = wx * dy - wy * dx;
  return cross * cross <= square(r) * length2;
}

bool inCircle(std::int64_t dx, std::int64_t dy, std::int64_t r) {
  return dx * dx + dy * dy <= r * r + r;
}

bool insideEllipse(int x, int y, int cx, int cy, int rx, int ry) {
  return square(static_cast<std::int64_t>(x - cx) * ry) +
             square(static_cast<std::int64_t>(y - cy) * rx) <=
         square(static_cast<std::int64_t>(rx) * ry);
}

bool insidePolygon(int x, int y, const std::vector<Point>& polygon) {
  const std::int64_t px = 2 * x + 1;
  const std::int64_t py = 2 * y + 1;
  bool inside = false;
  for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
    const std::int64_t xi = 2 * polygon[i].x;
    const std::int64_t yi = 2 * polygon[i].y;
    const std::int64_t xj = 2 * polygon[j].x;
    const std::int64_t yj = 2 * polygon[j].y;
    if ((yi > py) != (yj > py)) {
      // x of the edge at py, compared without dividing.
      const std::int64_t lhs = (px - xi) * (yj - yi);
      const std::int64_t rhs = (xj - xi) * (py - yi);
      if ((yj > yi) ? lhs < rhs : lhs > rhs) {
        inside = !inside;
      }
    }
  }
  return inside;
}

}  // namespace tarvo::demo
