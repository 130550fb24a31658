// A drawing surface: a retained pixel buffer in the 0x00BBGGRR form that every
// view draws on. The buffer keeps what is drawn whether or not it is on
// screen; the window layer only shows it, through a SurfaceView.
#pragma once

#include <cstdint>
#include <vector>

#include "gfx/colors.h"

namespace tarvo {

// A rectangle of a surface, in its pixels.
struct SurfaceRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const SurfaceRect&, const SurfaceRect&) = default;
};

// What the window layer does with a surface: told when the surface is hidden
// or shown and which of its pixels should reach the screen.
class SurfaceView {
 public:
  virtual ~SurfaceView() = default;
  virtual void surfaceVisibilityChanged(bool visible) = 0;
  virtual void surfaceRefreshed(const SurfaceRect& changed) = 0;
};

// The colour that a clear fills in: it shows wherever a view holds no tile.
inline constexpr Color kClearColor = rgb(0x40, 0x40, 0x40);

// All coordinates are in pixels of the surface, (0, 0) at the top left, x to
// the right, y down. Anything that falls outside the surface is clipped
// silently; reads from outside a source surface copy nothing.
class Surface {
 public:
  Surface(int width, int height, Color background = kClearColor);

  int width() const { return width_; }
  int height() const { return height_; }
  Color background() const { return background_; }

  // Row-major pixels, width() per row.
  const Color* pixels() const { return pixels_.data(); }
  Color* pixels() { return pixels_.data(); }

  // The pixel at (x, y), or the background colour outside the surface.
  Color pixel(int x, int y) const;
  void setPixel(int x, int y, Color colour);

  // Fills the whole surface with the background colour.
  void clear();

  // Copies the w x h rectangle at (sx, sy) of `source` unchanged to (x, y).
  // `source` may be this surface, overlapping or not.
  void copyBlock(int x, int y, int w, int h, const Surface& source, int sx, int sy);

  // copyBlock of an 8 x 8 tile, the unit every large view is composed of;
  // faster where the tile lies wholly inside both surfaces.
  void copyTile(int x, int y, const Surface& source, int sx, int sy);

  // Copies the sw x sh rectangle at (sx, sy) of `source` onto the w x h
  // rectangle at (x, y), scaling by nearest pixel: in an integer enlargement
  // every source pixel becomes a block of equal pixels. `source` may be this
  // surface.
  void stretchCopy(int x, int y, int w, int h, const Surface& source, int sx, int sy, int sw,
                   int sh);

  // Hooks for the window layer; the drawing code calls them around a redraw.
  void hide();
  void show();
  bool isVisible() const { return visible_; }
  // The whole surface, or the w x h rectangle at (x, y) of it, has new
  // pixels to show.
  void refresh();
  void refresh(int x, int y, int w, int h);
  void setView(SurfaceView* view) { view_ = view; }

 private:
  int width_;
  int height_;
  Color background_;
  bool visible_ = true;
  SurfaceView* view_ = nullptr;
  std::vector<Color> pixels_;
};

}  // namespace tarvo
