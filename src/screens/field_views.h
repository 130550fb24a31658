// The main window's pictures of the field, kept in step with the image: the
// field palette and the decoded field tiles, the four palette surfaces they
// are drawn on, and the field map, the metatile table and the selected
// metatile's preview composed from those.
#pragma once

#include <cstdint>

#include "gfx/tile_drawing.h"
#include "screens/cell_blocks.h"
#include "screens/field_renderer.h"
#include "screens/image_damage.h"
#include "shell/palette.h"
#include "shell/rom_image.h"

namespace tarvo {

class FieldViews : public EditHistory::Listener {
 public:
  explicit FieldViews(const ByteArray& rom);

  void imageChanged(const std::vector<ByteRange>& ranges) override;

  // Reads the palette and the bank again and draws every picture, as after a
  // load.
  void refreshGFX();

  // Draws again what a change touches: a map byte its cell; a metatile's
  // definition that metatile in the table, the preview if it is the selected
  // one and every cell that shows it; a tile that tile on the palette
  // surfaces and wherever the table, the map and the preview show it; a
  // field palette byte everything. Returns whether the palette changed.
  bool imageChanged(const ImageDamage& damage);

  // Shows metatile `metatile` (0 to 132) enlarged on the preview.
  void selectMetatile(std::uint8_t metatile);
  std::uint8_t selectedMetatile() const { return selected_; }

  // The editor's or the console's colours, for every picture from the next
  // refreshGFX on.
  void setColourMode(ColourMode mode);
  ColourMode colourMode() const { return colourMode_; }
  // The field palette as the pictures show it.
  const PaletteArray& shownFieldPalette() const { return shown_; }

  // View > Metatile Colours: the table in sub-palette 0 (the default), or
  // each metatile in the sub-palettes of its first cell on the map. Draws
  // the table (and the preview) again.
  enum class MetatileColours { SubPalette0, AsUsed };
  void setMetatileColours(MetatileColours colours);
  MetatileColours metatileColours() const { return metatileColours_; }

  // `block` as the field would show it at its top-left corner: the paste's
  // preview and the clipboard's picture.
  Surface blockPicture(const CellBlock& block) const;

  // The field palette as the image holds it.
  PaletteArray fieldPalette{};
  TilePixels tilePixels;
  PaletteSurfaces picPatTbl = makePaletteSurfaces();
  Surface mapSurface{768, 768};
  Surface metaTableSurface{512, 512};
  Surface selMetaSurface{64, 64};

 private:
  const ByteArray* image_;  // a pointer, so that views can be copied
  const ByteArray& image() const { return *image_; }
  std::uint8_t selected_ = 0;
  PaletteArray shown_{};  // fieldPalette in the colour mode
  ColourMode colourMode_ = ColourMode::Editor;
  MetatileColours metatileColours_ = MetatileColours::SubPalette0;
  // The sub-palettes the table is drawn in.
  MetatileAttributes tableAttributes_{};
  MetatileAttributes wantedAttributes() const;
  // The attributes after `damage`; metatiles whose first use changed join
  // `redraw`.
  MetatileAttributes followAttributes(FieldRedraw& redraw, const ImageDamage& damage) const;
};

}  // namespace tarvo
