#include "screens/field_views.h"

#include <algorithm>

#include "screens/block_picture.h"
#include "screens/field_renderer.h"
#include "screens/metatile_picker.h"
#include "shell/rom_locations.h"

namespace tarvo {

FieldViews::FieldViews(const ByteArray& rom) : tilePixels(1, 0), image_(&rom) {}

Surface FieldViews::blockPicture(const CellBlock& block) const {
  return fieldBlockPicture(image(), block, picPatTbl);
}

void FieldViews::refreshGFX() {
  readPalette(image(), fieldPalette, rom::kFieldPalette.offset);
  shown_ = shownPalette(fieldPalette, colourMode_);
  decodeTiles(rom::kFieldChrBank.offset, rom::kBankTiles, tilePixels, image());
  drawPatternTables(picPatTbl, tilePixels, shown_);
  drawMetatileTable(metaTableSurface, image(), picPatTbl, 0);
  drawFieldMap(mapSurface, image(), picPatTbl);
  drawMetatilePreview(selMetaSurface, metaTableSurface, selected_);
}

void FieldViews::imageChanged(const std::vector<ByteRange>& ranges) {
  imageChanged(damageOf(ranges));
}

bool FieldViews::imageChanged(const ImageDamage& damage) {
  if (damage.fieldPalette) {
    refreshGFX();
    return true;
  }
  if (damage.mapCells.none() && damage.metatiles.none() && damage.fieldTiles.none()) {
    return false;
  }
  for (int t = 0; t < rom::kBankTiles; ++t) {
    if (damage.fieldTiles.test(static_cast<std::size_t>(t))) {
      decodeTile(image(), rom::kFieldChrBank.offset + t * rom::kTileBytes, tilePixels,
                 static_cast<std::uint8_t>(t));
    }
  }
  redrawPatternTables(picPatTbl, tilePixels, shown_, damage.fieldTiles);
  const FieldRedraw redraw{damage.mapCells, damage.metatiles, damage.fieldTiles};
  redrawMetatileTable(metaTableSurface, image(), picPatTbl, 0, redraw);
  redrawFieldMap(mapSurface, image(), picPatTbl, redraw);
  // The preview shows the table's picture of the selected metatile.
  bool preview = damage.metatiles.test(selected_);
  for (int k = 0; k < rom::kMetatileTiles && !preview; ++k) {
    preview = damage.fieldTiles.test(
        romByte(image(), rom::kMetatileTable.offset + selected_ * rom::kMetatileTiles + k));
  }
  if (preview) {
    drawMetatilePreview(selMetaSurface, metaTableSurface, selected_);
  }
  return false;
}

void FieldViews::setColourMode(ColourMode mode) {
  colourMode_ = mode;
  shown_ = shownPalette(fieldPalette, colourMode_);
}

void FieldViews::selectMetatile(std::uint8_t metatile) {
  selected_ = metatile;
  drawMetatilePreview(selMetaSurface, metaTableSurface, selected_);
}

}  // namespace tarvo
