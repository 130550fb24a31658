#include "editor/tile_editor.h"

#include <algorithm>
#include <array>

#include "gfx/tile_transforms.h"
#include "screens/batview_renderer.h"
#include "screens/edit_steps.h"
#include "screens/field_renderer.h"
#include "screens/tile_usage.h"

namespace tarvo {

namespace {

constexpr int kPatternCell = 16;  // pixels a tile in the pattern table view
constexpr int kPixelCell = 16;    // pixels a tile pixel in the enlarged tile

bool inside(const Surface& surface, int x, int y) {
  return x >= 0 && y >= 0 && x < surface.width() && y < surface.height();
}

// Draws the square of `side` pixels at the surface's origin `scale` times
// larger, in place, and refreshes the surface.
void enlargeInPlace(Surface& surface, int side, int scale) {
  surface.stretchCopy(0, 0, side * scale, side * scale, surface, 0, 0, side, side);
  surface.refresh();
}

void writeByte(ByteArray& rom, std::int64_t offset, std::uint8_t value) {
  if (offset >= 0 && offset < static_cast<std::int64_t>(rom.size())) {
    rom[static_cast<std::size_t>(offset)] = value;
  }
}

}  // namespace

std::string hexLabel(std::uint8_t value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  return {kDigits[value >> 4], kDigits[value & 15]};
}

TileEditor::TileEditor(ByteArray& rom) : image_(&rom) {}

const rom::Location& TileEditor::bank() const {
  return paneMode_ == PaneMode::Metatiles ? rom::kFieldChrBank : rom::kBatViewChrBank;
}

void TileEditor::initGUI(int ap, int metaID) {
  paneMode_ = ap == 1 ? PaneMode::BatView : PaneMode::Metatiles;
  leftColor_ = 0;
  rightColor_ = 1;
  selMeta_ = static_cast<std::uint8_t>(std::clamp(metaID, 0, rom::kMetatileCount - 1));
  selTile_ = 0;
  selPal_ = 0;
  decodeTiles(bank().offset, rom::kBankTiles, editTiles_, image());
  readModePalette();
  drawPatternTableView();
  drawTileSheets();
  if (paneMode_ == PaneMode::Metatiles) {
    metatileRefresh(selMeta_);
  } else {
    drawBatView(picBatView, image(), picPatTbl);
  }
  redrawEditors();
  patternTablePress(0, 0);
  tileDrag_ = false;
}

void TileEditor::reload() {
  decodeTiles(bank().offset, rom::kBankTiles, editTiles_, image());
  readModePalette();
  redrawAll();
}

void TileEditor::readModePalette() {
  readPalette(
      image(), palData_,
      paneMode_ == PaneMode::Metatiles ? rom::kFieldPalette.offset : rom::kBatViewPalette.offset);
  shown_ = shownPalette(palData_, colourMode_);
}

void TileEditor::setColourMode(ColourMode mode) {
  colourMode_ = mode;
  shown_ = shownPalette(palData_, colourMode_);
  if (!editTiles_.empty()) {  // once a mode has been set up
    redrawAll();
  }
}

void TileEditor::drawTileSheets() {
  drawPatternTables(picPatTbl, editTiles_, shown_);
}

void TileEditor::drawSelectedTile() {
  drawTile(editTiles_, selTile_, picSelectedTile, 0, 0, shown_, selPal_);
  enlargeInPlace(picSelectedTile, rom::kTileSide, kPixelCell);
}

namespace {

// A cross over a tile nothing uses, in a colour no NES palette has.
void markUnused(Surface& table, std::uint8_t tile) {
  constexpr Color kMark = rgb(255, 0, 255);
  const int left = (tile % 16) * kPatternCell;
  const int top = (tile / 16) * kPatternCell;
  for (int i = 0; i < kPatternCell; ++i) {
    table.setPixel(left + i, top + i, kMark);
    table.setPixel(left + kPatternCell - 1 - i, top + i, kMark);
  }
}

}  // namespace

void TileEditor::drawPatternTableView() {
  drawPatternTable(picPatternTable, editTiles_, shown_, selPal_, 2);
  marked_.fill(false);
  if (!showUnused_) {
    return;
  }
  const std::array<bool, 256> used = usedTiles();
  for (int t = 0; t < rom::kBankTiles; ++t) {
    if (!used[static_cast<std::size_t>(t)]) {
      markUnused(picPatternTable, static_cast<std::uint8_t>(t));
      marked_[static_cast<std::size_t>(t)] = true;
    }
  }
  picPatternTable.refresh();
}

void TileEditor::drawPatternTableTile(std::uint8_t tile) {
  const int left = (tile % 16) * kPatternCell;
  const int top = (tile / 16) * kPatternCell;
  picPatternTable.stretchCopy(left, top, kPatternCell, kPatternCell, picPatTbl[selPal_ & 3U],
                              patternTableX(tile), patternTableY(tile), rom::kTileSide,
                              rom::kTileSide);
  if (marked_[tile]) {
    markUnused(picPatternTable, tile);
  }
  picPatternTable.refresh(left, top, kPatternCell, kPatternCell);
}

void TileEditor::imageChanged(const std::vector<ByteRange>& ranges) {
  imageChanged(damageOf(ranges));
}

void TileEditor::imageChanged(const ImageDamage& damage) {
  if (paneMode_ == PaneMode::Metatiles ? damage.fieldPalette : damage.batViewPalette) {
    reload();
    return;
  }
  const std::bitset<256>& tiles =
      paneMode_ == PaneMode::Metatiles ? damage.fieldTiles : damage.batViewTiles;
  for (int t = 0; t < rom::kBankTiles; ++t) {
    if (tiles.test(static_cast<std::size_t>(t))) {
      decodeTile(image(), bank().offset + t * rom::kTileBytes, editTiles_,
                 static_cast<std::uint8_t>(t));
    }
  }
  redrawPatternTables(picPatTbl, editTiles_, shown_, tiles);
  // The pattern table: the tiles that changed, and those whose use did.
  std::bitset<256> table = tiles;
  const bool usageChanged = paneMode_ == PaneMode::Metatiles
                                ? damage.mapCells.any() || damage.metatiles.any()
                                : damage.batViewCells.any();
  if (showUnused_ && usageChanged) {
    const std::array<bool, 256> used = usedTiles();
    for (std::size_t t = 0; t < used.size(); ++t) {
      if (marked_[t] == used[t]) {
        marked_[t] = !used[t];
        table.set(t);
      }
    }
  }
  for (int t = 0; t < rom::kBankTiles; ++t) {
    if (table.test(static_cast<std::size_t>(t))) {
      drawPatternTableTile(static_cast<std::uint8_t>(t));
    }
  }
  if (tiles.test(selTile_)) {
    drawSelectedTile();
  }
  bool metatile = damage.metatiles.test(selMeta_);
  for (int k = 0; k < rom::kMetatileTiles && !metatile; ++k) {
    metatile = tiles.test(
        romByte(image(), rom::kMetatileTable.offset + selMeta_ * rom::kMetatileTiles + k));
  }
  if (metatile) {
    metatileRefresh(selMeta_);
  }
  redrawBatView(picBatView, image(), picPatTbl, damage.batViewCells, tiles);
}

void TileEditor::redrawEditors() {
  drawSelectedTile();
  drawTileSheets();
  metatileRefresh(selMeta_);
  drawBatView(picBatView, image(), picPatTbl);
}

void TileEditor::redrawAll() {
  redrawEditors();
  drawPatternTableView();
}

void TileEditor::metatileRefresh(int value) {
  selMeta_ = static_cast<std::uint8_t>(std::clamp(value, 0, rom::kMetatileCount - 1));
  drawMetatile(pic_4x4metatile, image(), editTiles_, shown_, 0, 0, selMeta_, selPal_);
  enlargeInPlace(pic_4x4metatile, rom::kMetatileSide, 4);
}

void TileEditor::patternTablePress(int x, int y) {
  if (!inside(picPatternTable, x, y)) {
    return;
  }
  tileDrag_ = true;
  selTile_ = static_cast<std::uint8_t>((y / kPatternCell) * 16 + x / kPatternCell);
  drawSelectedTile();
}

void TileEditor::selectTile(std::uint8_t tile) {
  patternTablePress((tile % 16) * kPatternCell, (tile / 16) * kPatternCell);
  tileDrag_ = false;
}

std::optional<std::uint8_t> TileEditor::patternTableDrop(int x, int y) {
  const bool over = tileDrag_ && inside(picPatternTable, x, y);
  tileDrag_ = false;
  if (!over) {
    return std::nullopt;
  }
  return static_cast<std::uint8_t>((y / kPatternCell) * 16 + x / kPatternCell);
}

bool TileEditor::patternTableRelease(int x, int y) {
  const std::optional<std::uint8_t> target = patternTableDrop(x, y);
  if (!target) {
    return false;
  }
  copyTile(editTiles_, selTile_, editTiles_, *target);
  storeEditedTile(*target);
  return true;
}

int TileEditor::pixel(int column, int row) const {
  if (column < 0 || row < 0 || column >= rom::kTileSide || row >= rom::kTileSide) {
    return 0;
  }
  return editTiles_[static_cast<std::size_t>(selTile_ * rom::kTilePixels + row * rom::kTileSide +
                                             column)];
}

bool TileEditor::setPixel(int column, int row, int slot) {
  if (column < 0 || row < 0 || column >= rom::kTileSide || row >= rom::kTileSide ||
      pixel(column, row) == (slot & 3)) {
    return false;
  }
  editTiles_[static_cast<std::size_t>(selTile_ * rom::kTilePixels + row * rom::kTileSide +
                                      column)] = static_cast<std::uint8_t>(slot & 3);
  storeEditedTile(selTile_);
  return true;
}

TileBytes TileEditor::selectedTileBytes() const {
  TileBytes bytes{};
  const std::int64_t offset = bank().offset + std::int64_t{selTile_} * rom::kTileBytes;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const std::size_t at = static_cast<std::size_t>(offset) + i;
    bytes[i] = at < image().size() ? image()[at] : 0;
  }
  return bytes;
}

bool TileEditor::setSelectedTileBytes(const TileBytes& bytes) {
  const std::int64_t offset = bank().offset + std::int64_t{selTile_} * rom::kTileBytes;
  if (offset + rom::kTileBytes > static_cast<std::int64_t>(image().size())) {
    return false;
  }
  bool changed = false;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    std::uint8_t& byte = image()[static_cast<std::size_t>(offset) + i];
    changed |= byte != bytes[i];
    byte = bytes[i];
  }
  // The decoded copy follows at once, as after a paint.
  decodeTile(image(), offset, editTiles_, selTile_);
  return changed;
}

void TileEditor::swatchPress(int k, int button) {
  if (k < 0 || k > 3) {
    return;
  }
  (button == 1 ? leftColor_ : rightColor_) = k;
}

void TileEditor::nextPalette() {
  stepPalette(1);
}

void TileEditor::previousPalette() {
  stepPalette(-1);
}

void TileEditor::stepPalette(int step) {
  selPal_ = static_cast<std::uint8_t>((selPal_ + step) & 3);
  redrawEditors();  // the metatile view among them
  drawPatternTableView();
}

void TileEditor::applyTileOperation(TileOperation operation) {
  switch (operation) {
    case TileOperation::ShiftLeft:
      shiftTile(editTiles_, selTile_, 1, 0);
      break;
    case TileOperation::ShiftRight:
      shiftTile(editTiles_, selTile_, -1, 0);
      break;
    case TileOperation::ShiftUp:
      shiftTile(editTiles_, selTile_, 0, 1);
      break;
    case TileOperation::ShiftDown:
      shiftTile(editTiles_, selTile_, 0, -1);
      break;
    case TileOperation::FlipHAxis:
      flipTile(editTiles_, selTile_, false, true);
      break;
    case TileOperation::FlipVAxis:
      flipTile(editTiles_, selTile_, true, false);
      break;
    case TileOperation::Rotate:
      rotateTile(editTiles_, selTile_);
      break;
  }
  storeEditedTile(selTile_);
}

void TileEditor::replaceBank(const TilePixels& tiles) {
  editTiles_ = tiles;
  editTiles_.resize(static_cast<std::size_t>(rom::kBankTiles) * rom::kTilePixels, 0);
  for (int t = 0; t < rom::kBankTiles; ++t) {
    storeEditedTile(static_cast<std::uint8_t>(t));
  }
}

const rom::Location& TileEditor::palette() const {
  return paneMode_ == PaneMode::Metatiles ? rom::kFieldPalette : rom::kBatViewPalette;
}

bool TileEditor::setPaletteColour(int k, std::uint8_t number) {
  const std::int64_t offset = palette().offset + selPal_ * 4 + (k & 3);
  if (romByte(image(), offset) == number) {
    return false;
  }
  writeByte(image(), offset, number);
  return true;
}

void TileEditor::setShowUnused(bool show) {
  showUnused_ = show;
  drawPatternTableView();
}

std::array<bool, 256> TileEditor::usedTiles() const {
  std::array<bool, 256> used{};
  if (paneMode_ == PaneMode::Metatiles) {
    const auto usage = fieldTileUsage(image());
    for (std::size_t t = 0; t < used.size(); ++t) {
      used[t] = usage[t].metatileCells > 0 || usage[t].mapCells > 0;
    }
  } else {
    const auto usage = batViewTileUsage(image());
    for (std::size_t t = 0; t < used.size(); ++t) {
      used[t] = usage[t] > 0;
    }
  }
  return used;
}

std::string TileEditor::usageText() const {
  const std::string tile = "Tile " + hexLabel(selTile_) + ": ";
  auto count = [](int n, const char* what) {
    return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
  };
  if (paneMode_ == PaneMode::Metatiles) {
    const FieldTileUsage usage = fieldTileUsage(image())[selTile_];
    return tile + "in " + count(usage.metatileCells, "metatile cell") + " and " +
           count(usage.mapCells, "field map cell");
  }
  return tile + "in " + count(batViewTileUsage(image())[selTile_], "cell") +
         " of the batter's view";
}

void TileEditor::storeEditedTile(std::uint8_t tile) {
  storeTile(editTiles_, tile, image(), bank().offset + std::int64_t{tile} * rom::kTileBytes);
}

Color TileEditor::swatchColour(int k) const {
  return paletteColor(palData_[static_cast<std::size_t>(selPal_ * 4 + (k & 3))]);
}

Color TileEditor::penColour(int pen) const {
  const int slot = pen == 0 ? leftColor_ : rightColor_;
  return paletteColor(shown_[static_cast<std::size_t>(selPal_ * 4 + (slot & 3))]);
}

}  // namespace tarvo

namespace tarvo {

namespace {

GridShape selectedTileShape() {
  GridShape shape;
  shape.columns = rom::kTileSide;
  shape.rows = rom::kTileSide;
  shape.cellSide = kPixelCell;
  shape.values = 4;
  shape.valueName = "Colour";
  shape.brushStep = step::kPaint;
  return shape;
}

}  // namespace

SelectedTilePixels::SelectedTilePixels(TileEditor& editor)
    : CellGrid(selectedTileShape()), editor_(&editor) {}

ShownMetatileCells::ShownMetatileCells(ByteArray& image, const TileEditor& editor)
    : CellGrid(metatileShape()), image_(&image), editor_(&editor) {}

}  // namespace tarvo
