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
  tableAttributes_ = wantedAttributes();
  drawMetatileTable(metaTableSurface, image(), picPatTbl, tableAttributes_);
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
  FieldRedraw table = redraw;
  tableAttributes_ = followAttributes(table, damage);
  redrawMetatileTable(metaTableSurface, image(), picPatTbl, tableAttributes_, table);
  redrawFieldMap(mapSurface, image(), picPatTbl, redraw);
  // The preview shows the table's picture of the selected metatile.
  bool preview = table.metatiles.test(selected_);
  for (int k = 0; k < rom::kMetatileTiles && !preview; ++k) {
    preview = damage.fieldTiles.test(
        romByte(image(), rom::kMetatileTable.offset + selected_ * rom::kMetatileTiles + k));
  }
  if (preview) {
    drawMetatilePreview(selMetaSurface, metaTableSurface, selected_);
  }
  return false;
}

MetatileAttributes FieldViews::wantedAttributes() const {
  return metatileColours_ == MetatileColours::AsUsed ? firstUseAttributes(image())
                                                     : MetatileAttributes{};
}

MetatileAttributes FieldViews::followAttributes(FieldRedraw& redraw,
                                                const ImageDamage& damage) const {
  if (metatileColours_ != MetatileColours::AsUsed || damage.mapCells.none()) {
    return tableAttributes_;
  }
  // A map or attribute byte may change the first use of a metatile.
  const MetatileAttributes wanted = wantedAttributes();
  for (std::size_t m = 0; m < wanted.size(); ++m) {
    if (wanted[m] != tableAttributes_[m]) {
      redraw.metatiles.set(m);
    }
  }
  return wanted;
}

void FieldViews::setMetatileColours(MetatileColours colours) {
  metatileColours_ = colours;
  tableAttributes_ = wantedAttributes();
  drawMetatileTable(metaTableSurface, image(), picPatTbl, tableAttributes_);
  drawMetatilePreview(selMetaSurface, metaTableSurface, selected_);
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
