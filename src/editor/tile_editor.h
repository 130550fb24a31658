// What the graphics editor window does, without the window: its state, its
// pictures and every edit, on the ROM image.
//
// Mode 0 works on the field's CHR bank and the metatile table, mode 1 on the
// batter's view's bank and name table. The window keeps a decoded copy of its
// bank (editTiles); every change of a tile is also written into the ROM image
// at once (its 16 bytes), so the image always holds what the window shows: a
// save, a second opening or another mode never loses an edit.
//
// The edits only change bytes. The pictures follow the image through the
// edit history: as a listener, the editor draws again what each announced
// change touches, whichever window or undo made it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "gfx/chr_codec.h"
#include "gfx/tile_drawing.h"
#include "screens/block_text.h"
#include "screens/cell_grid.h"
#include "screens/image_damage.h"
#include "shell/edit_history.h"
#include "shell/palette.h"
#include "shell/rom_image.h"
#include "shell/rom_locations.h"

namespace tarvo {

// The window's two modes: the field's tiles with the metatile editor, or
// the batter's view's tiles with the batter's view editor.
enum class PaneMode { Metatiles = 0, BatView = 1 };

// The seven tile buttons.
enum class TileOperation {
  ShiftLeft,
  ShiftRight,
  ShiftUp,
  ShiftDown,
  FlipHAxis,
  FlipVAxis,
  Rotate
};

class TileEditor : public EditHistory::Listener {
 public:
  explicit TileEditor(ByteArray& rom);

  // Draws again what a change of the image touches: the mode's palette
  // everything; a tile of the mode's bank that tile wherever it shows; a
  // metatile's definition or a batter's view cell where they show; and the
  // marks of unused tiles where their use changed.
  void imageChanged(const std::vector<ByteRange>& ranges) override;
  void imageChanged(const ImageDamage& damage);

  // Sets the window up in mode `ap` (0 metatile editor, 1 batter's view
  // editor) at metatile `metaID` (limited to 0..132): reads the mode's bank
  // and palette, selects tile 0, sub-palette 0, pens 0 and 1, and draws every
  // view.
  void initGUI(int ap, int metaID);

  // The four palette surfaces in sub-palettes 0 to 3.
  void drawTileSheets();
  // The selected tile, the palette surfaces, the metatile and the batter's view.
  void redrawEditors();
  // redrawEditors, then the pattern table.
  void redrawAll();
  // Shows metatile `value` (the metatile scroll bar's value) in the metatile
  // view.
  void metatileRefresh(int value);

  // The pattern table (256 x 256, 16 pixels a tile): a press selects the tile
  // under the pointer; a release over another tile copies the selected tile
  // onto it. Returns whether a tile was copied. Like every edit below, the
  // copy changes the bytes; the pictures follow through imageChanged.
  void patternTablePress(int x, int y);
  bool patternTableRelease(int x, int y);
  // Ends a drag begun in the pattern table without copying: the tile under
  // (x, y), if the drag was on and ends over a tile.
  std::optional<std::uint8_t> patternTableDrop(int x, int y);
  // The second press of a double-click selects, as any press does, but is
  // not the start of a copy: its release copies nothing.
  void patternTableDoubleClick() { tileDrag_ = false; }
  // Selects tile `tile` as a press on it does, without starting a copy.
  void selectTile(std::uint8_t tile);

  // Pixel (column, row), 0 to 7 each, of the selected tile: its colour slot,
  // and setting it (in the image at once). Setting returns whether it
  // changed.
  int pixel(int column, int row) const;
  bool setPixel(int column, int row, int slot);

  // The selected tile's 16 bytes as the image holds them, and putting
  // others in their place (a paste). Setting returns whether a byte changed.
  TileBytes selectedTileBytes() const;
  bool setSelectedTileBytes(const TileBytes& bytes);

  // A press on swatch k (0 to 3) sets the left pen (button 1) or the right pen.
  void swatchPress(int k, int button);
  void nextPalette();
  void previousPalette();
  void applyTileOperation(TileOperation operation);

  // Reads the bank and the palette again from the image, keeping the
  // selection, the pens and the sub-palette, and redraws everything.
  void reload();

  // Puts 256 tiles (an imported picture) in place of the bank's, in the
  // image.
  void replaceBank(const TilePixels& tiles);

  // Sets slot k (0 to 3) of the current sub-palette of the mode's palette to
  // NES colour `number`, in the image. Returns whether the byte changed.
  bool setPaletteColour(int k, std::uint8_t number);
  const rom::Location& palette() const;

  // Draws every picture in the editor's or the console's colours.
  void setColourMode(ColourMode mode);
  ColourMode colourMode() const { return colourMode_; }

  // Marks on the pattern table the tiles nothing uses (mode 0: no metatile
  // cell and no map cell; mode 1: no cell of the batter's view).
  void setShowUnused(bool show);
  bool showUnused() const { return showUnused_; }
  std::array<bool, 256> usedTiles() const;
  // "Tile 05: in 3 metatile cells and 12 field map cells".
  std::string usageText() const;

  PaneMode paneMode() const { return paneMode_; }
  const rom::Location& bank() const;
  const TilePixels& editTiles() const { return editTiles_; }
  const PaletteArray& palData() const { return palData_; }
  std::uint8_t selTile() const { return selTile_; }
  std::uint8_t selPal() const { return selPal_; }
  std::uint8_t selMeta() const { return selMeta_; }
  int leftColor() const { return leftColor_; }
  int rightColor() const { return rightColor_; }
  bool tileDrag() const { return tileDrag_; }

  // The colour of swatch k of the current sub-palette (the palette byte's,
  // in either colour mode), and of the two pens (the colour they paint, as
  // the pictures show it).
  Color swatchColour(int k) const;
  Color penColour(int pen) const;

  // The window's pictures.
  Surface picPatternTable{256, 256};
  Surface picSelectedTile{128, 128};
  Surface pic_4x4metatile{128, 128};
  Surface picBatView{256, 240};
  PaletteSurfaces picPatTbl = makePaletteSurfaces();

 private:
  void drawSelectedTile();
  // To the next (+1) or previous (-1) sub-palette, 3 wrapping to 0.
  void stepPalette(int step);
  void drawPatternTableView();
  // Tile t of the pattern table view, enlarged from the palette surface of
  // the current sub-palette, with its mark if it is unused.
  void drawPatternTableTile(std::uint8_t tile);
  // Reads the mode's palette into palData and the palette the pictures are
  // drawn with.
  void readModePalette();
  // Writes tile t of editTiles into the image.
  void storeEditedTile(std::uint8_t tile);

  // The image edited; a pointer, so that an editor can be copied, as a
  // check of its pictures does.
  ByteArray* image_;
  ByteArray& image() const { return *image_; }
  PaneMode paneMode_ = PaneMode::Metatiles;
  TilePixels editTiles_;
  PaletteArray palData_{};
  PaletteArray shown_{};  // palData_ in the colour mode
  ColourMode colourMode_ = ColourMode::Editor;
  std::uint8_t selTile_ = 0;
  std::uint8_t selPal_ = 0;
  std::uint8_t selMeta_ = 0;
  int leftColor_ = 0;
  int rightColor_ = 1;
  bool tileDrag_ = false;
  bool showUnused_ = false;
  std::array<bool, 256> marked_{};  // the tiles marked unused on the view
};

// The selected tile's 8 x 8 pixels as the enlarged tile shows them, 16
// picture pixels a pixel: colour slots 0 to 3, for the tools.
class SelectedTilePixels : public CellGrid {
 public:
  explicit SelectedTilePixels(TileEditor& editor);
  bool ready() const override { return true; }
  int cell(int column, int row) const override { return editor_->pixel(column, row); }
  bool setCell(int column, int row, int slot) override {
    return editor_->setPixel(column, row, slot);
  }

 private:
  TileEditor* editor_;
};

// The 4 x 4 cells of the metatile the editor shows, whichever that is: tile
// numbers, 32 picture pixels a cell.
class ShownMetatileCells : public CellGrid {
 public:
  ShownMetatileCells(ByteArray& image, const TileEditor& editor);
  bool ready() const override { return cells().ready(); }
  int cell(int column, int row) const override { return cells().cell(column, row); }
  bool setCell(int column, int row, int tile) override {
    return cells().setCell(column, row, tile);
  }

 private:
  ImageGrid cells() const { return metatileGrid(*image_, editor_->selMeta()); }

  ByteArray* image_;
  const TileEditor* editor_;
};

// "0A": a tile or metatile number as the labels show it.
std::string hexLabel(std::uint8_t value);

}  // namespace tarvo
