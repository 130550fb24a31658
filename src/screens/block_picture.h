// A block as the view of its grid shows it, for a paste's preview and the
// clipboard's picture: drawn by that view's own renderer on a copy of the
// image that holds the block at the top-left corner, then cut to the
// block's size.
#pragma once

#include <optional>
#include <utility>

#include "gfx/tile_drawing.h"
#include "screens/cell_blocks.h"

namespace tarvo {

// A paste's block as its view shows it, while a paste is under way.
struct PastePicture {
  std::optional<Surface> picture;
  int version = 0;  // one more each time it is drawn

  void set(Surface drawn) {
    picture = std::move(drawn);
    ++version;
  }
  void reset() { picture.reset(); }
};

Surface fieldBlockPicture(const ByteArray& image, const CellBlock& block,
                          const PaletteSurfaces& tiles);
Surface batViewBlockPicture(const ByteArray& image, const CellBlock& block,
                            const PaletteSurfaces& tiles);

}  // namespace tarvo
