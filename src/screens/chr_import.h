// Tiles drawn in a paint program, back into a CHR bank: a 128 x 128 picture
// of the pattern table, as `tarvo-cli export ... field-chr` writes it.
#pragma once

#include <string>

#include "gfx/chr_codec.h"
#include "shell/palette.h"
#include "shell/rom_image.h"

namespace tarvo {

// Reads `png` as the 256 tiles of a bank (tile t at ((t mod 16) * 8,
// (t div 16) * 8)) by colour: whatever its palette, bit depth or
// interlacing, every pixel must have one of the four colours of sub-palette
// `subPalette` of `palette`, fully opaque. Where two slots share a colour,
// a palette file's own index chooses between them when it is one of those
// slots, else the lower slot is taken. On success `tiles` holds the 256 tiles;
// otherwise it is left as it was and `reason` names the first tiles and
// colours at fault.
bool importPatternTable(const ByteArray& png, const PaletteArray& palette, int subPalette,
                        TilePixels& tiles, std::string* reason = nullptr);

}  // namespace tarvo
