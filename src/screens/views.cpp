#include "screens/views.h"

#include "gfx/chr_codec.h"
#include "gfx/png_image.h"
#include "screens/batview_renderer.h"
#include "screens/field_renderer.h"

namespace tarvo {

void loadBankGraphics(BankGraphics& graphics, const ByteArray& rom, const rom::Location& bank,
                      const rom::Location& palette, ColourMode mode) {
  readPalette(rom, graphics.palette, palette.offset);
  decodeTiles(bank.offset, rom::kBankTiles, graphics.tiles, rom);
  drawPatternTables(graphics.surfaces, graphics.tiles, shownPalette(graphics.palette, mode));
}

std::optional<ViewInfo> findView(std::string_view name) {
  for (const ViewInfo& info : kViews) {
    if (info.name == name) {
      return info;
    }
  }
  return std::nullopt;
}

Surface renderView(const ByteArray& rom, View view, int subPalette, ColourMode mode) {
  const ViewInfo& info = kViews[static_cast<std::size_t>(view)];
  Surface surface(info.width, info.height);
  const auto sub = static_cast<std::uint8_t>(subPalette & 3);
  BankGraphics graphics;
  loadBankGraphics(graphics, rom, bankOf(view), paletteOf(view), mode);
  switch (view) {
    case View::Field:
      drawFieldMap(surface, rom, graphics.surfaces);
      break;
    case View::Metatiles:
      drawMetatileTable(surface, rom, graphics.surfaces, sub);
      break;
    case View::BatView:
      drawBatView(surface, rom, graphics.surfaces);
      break;
    case View::FieldChr:
    case View::BatViewChr:
      drawPatternTable(surface, graphics.tiles, shownPalette(graphics.palette, mode), sub, 1);
      break;
  }
  return surface;
}

const rom::Location& bankOf(View view) {
  return view == View::BatView || view == View::BatViewChr ? rom::kBatViewChrBank
                                                           : rom::kFieldChrBank;
}

const rom::Location& paletteOf(View view) {
  return view == View::BatView || view == View::BatViewChr ? rom::kBatViewPalette
                                                           : rom::kFieldPalette;
}

bool encodeViewPng(const ByteArray& rom, View view, int subPalette, ByteArray& png,
                   std::string* reason, ColourMode mode) {
  if (view != View::FieldChr && view != View::BatViewChr) {
    return encodePng(renderView(rom, view, subPalette, mode), png, reason);
  }
  TilePixels tiles;
  decodeTiles(bankOf(view).offset, rom::kBankTiles, tiles, rom);
  PaletteArray palette{};
  readPalette(rom, palette, paletteOf(view).offset);
  palette = shownPalette(palette, mode);
  const int sub = subPalette & 3;
  std::vector<Color> colours;
  for (int k = 0; k < 4; ++k) {
    colours.push_back(paletteColor(palette[static_cast<std::size_t>(sub * 4 + k)]));
  }
  // Tile t at ((t mod 16) * 8, (t div 16) * 8), as the pattern table shows it.
  std::vector<std::uint8_t> slots(128 * 128);
  for (int t = 0; t < rom::kBankTiles; ++t) {
    for (int k = 0; k < rom::kTilePixels; ++k) {
      const int x = (t % 16) * 8 + k % 8;
      const int y = (t / 16) * 8 + k / 8;
      slots[static_cast<std::size_t>(y * 128 + x)] =
          tiles[static_cast<std::size_t>(t * rom::kTilePixels + k)] & 3;
    }
  }
  return encodeIndexedPng(128, 128, slots, colours, png, reason);
}

}  // namespace tarvo
