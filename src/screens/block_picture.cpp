#include "screens/block_picture.h"

#include <algorithm>

#include "screens/batview_renderer.h"
#include "screens/field_renderer.h"

namespace tarvo {

namespace {

template <typename Draw>
Surface blockPicture(const ByteArray& image, const CellBlock& block,
                     ImageGrid (*gridOn)(ByteArray&), Surface view, Draw draw) {
  ByteArray copy = image;
  ImageGrid grid = gridOn(copy);
  pasteBlock(grid, block, 0, 0);
  draw(view, copy);
  const int side = grid.shape().cellSide;
  Surface picture(std::max(1, block.columns * side), std::max(1, block.rows * side));
  picture.copyBlock(0, 0, picture.width(), picture.height(), view, 0, 0);
  return picture;
}

}  // namespace

Surface fieldBlockPicture(const ByteArray& image, const CellBlock& block,
                          const PaletteSurfaces& tiles) {
  return blockPicture(
      image, block, fieldGrid, Surface(768, 768),
      [&](Surface& view, const ByteArray& copy) { drawFieldMap(view, copy, tiles); });
}

Surface batViewBlockPicture(const ByteArray& image, const CellBlock& block,
                            const PaletteSurfaces& tiles) {
  return blockPicture(
      image, block, batViewGrid, Surface(256, 240),
      [&](Surface& view, const ByteArray& copy) { drawBatView(view, copy, tiles); });
}

}  // namespace tarvo
