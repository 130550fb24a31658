#include "screens/views.h"

#include "gfx/chr_codec.h"
#include "screens/batview_renderer.h"
#include "screens/field_renderer.h"

namespace tarvo {

void loadBankGraphics(BankGraphics& graphics, const ByteArray& rom, const rom::Location& bank,
                      const rom::Location& palette) {
  readPalette(rom, graphics.palette, palette.offset);
  decodeTiles(bank.offset, rom::kBankTiles, graphics.tiles, rom);
  drawPatternTables(graphics.surfaces, graphics.tiles, graphics.palette);
}

std::optional<ViewInfo> findView(std::string_view name) {
  for (const ViewInfo& info : kViews) {
    if (info.name == name) {
      return info;
    }
  }
  return std::nullopt;
}

Surface renderView(const ByteArray& rom, View view, int subPalette) {
  const ViewInfo& info = kViews[static_cast<std::size_t>(view)];
  Surface surface(info.width, info.height);
  const auto sub = static_cast<std::uint8_t>(subPalette & 3);
  const bool field = view == View::Field || view == View::Metatiles || view == View::FieldChr;
  BankGraphics graphics;
  loadBankGraphics(graphics, rom, field ? rom::kFieldChrBank : rom::kBatViewChrBank,
                   field ? rom::kFieldPalette : rom::kBatViewPalette);
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
      drawPatternTable(surface, graphics.tiles, graphics.palette, sub, 1);
      break;
  }
  return surface;
}

}  // namespace tarvo
