// The pictures of the ROM image as the windows build them, and as
// `tarvo-cli export` writes them.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "gfx/tile_drawing.h"
#include "shell/palette.h"
#include "shell/rom_image.h"
#include "shell/rom_locations.h"

namespace tarvo {

// One CHR bank's graphics as a window holds them: the palette, the decoded
// tiles and the four palette surfaces the large views are copied from.
struct BankGraphics {
  PaletteArray palette{};
  TilePixels tiles;
  PaletteSurfaces surfaces = makePaletteSurfaces();
};

// Reads the palette block, decodes the bank and draws the palette surfaces
// in `mode`'s colours, in the order a window's refresh takes them.
// `graphics.palette` is the block as the image holds it.
void loadBankGraphics(BankGraphics& graphics, const ByteArray& rom, const rom::Location& bank,
                      const rom::Location& palette, ColourMode mode);

enum class View { Field, Metatiles, BatView, FieldChr, BatViewChr };

struct ViewInfo {
  View view;
  std::string_view name;  // as the command line spells it
  int width;
  int height;
  bool hasSubPalette;  // drawn in a sub-palette of the caller's choice
  std::string_view description;
  // File > Export Image's item for the view: its object name, and its
  // caption with the mnemonic marked by &.
  std::string_view menuName;
  std::string_view menuCaption;
};

inline constexpr std::array<ViewInfo, 5> kViews{{
    {View::Field, "field", 768, 768, false, "the whole field map", "menuFileExportField",
     "&Field Map..."},
    {View::Metatiles, "metatiles", 512, 288, true, "the metatile table, 16 to a row",
     "menuFileExportMetatiles", "&Metatile Table..."},
    {View::BatView, "batview", 256, 240, false, "the batter's view", "menuFileExportBatView",
     "&Batter's View..."},
    {View::FieldChr, "field-chr", 128, 128, true, "the field's CHR bank as a pattern table",
     "menuFileExportFieldChr", "Field &Tiles..."},
    {View::BatViewChr, "batview-chr", 128, 128, true,
     "the batter's view CHR bank as a pattern table", "menuFileExportBatViewChr",
     "Batter's View T&iles..."},
}};

static_assert(
    [] {
      for (std::size_t i = 0; i < kViews.size(); ++i) {
        if (kViews[i].view != static_cast<View>(i)) {
          return false;
        }
      }
      return true;
    }(),
    "kViews is indexed by View");

std::optional<ViewInfo> findView(std::string_view name);

// Draws `view` of the image, in sub-palette (subPalette AND 3) where the view
// has a choice, in `mode`'s colours.
Surface renderView(const ByteArray& rom, View view, int subPalette,
                   ColourMode mode = ColourMode::Editor);

// The PNG file of `view`: 8-bit RGB for the pictures; for the CHR banks an
// indexed picture whose palette is the sub-palette's four colours and whose
// pixels are the colour slots (importPatternTable reads it back by colour).
// The colours are `mode`'s.
bool encodeViewPng(const ByteArray& rom, View view, int subPalette, ByteArray& png,
                   std::string* reason = nullptr, ColourMode mode = ColourMode::Editor);

// The CHR bank and palette a view is drawn from.
const rom::Location& bankOf(View view);
const rom::Location& paletteOf(View view);

}  // namespace tarvo
