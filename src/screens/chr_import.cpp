#include "screens/chr_import.h"

#include <cstdio>
#include <vector>

#include "gfx/colors.h"
#include "gfx/png_image.h"
#include "shell/rom_locations.h"

namespace tarvo {

namespace {

constexpr int kSide = 128;
constexpr int kTilesNamed = 3;  // faults named in a refusal; the rest are counted

std::string hex2(int value) {
  char text[8];
  std::snprintf(text, sizeof text, "%02X", value & 0xFF);
  return text;
}

std::string colourName(Color c) {
  char text[16];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", redOf(c), greenOf(c), blueOf(c));
  return text;
}

// The slot (0 to 3) of the pixel at `at` among `colours`, or -1 with the
// fault in `fault`: not opaque, or a colour none of the four.
int slotOf(const DecodedImage& image, std::size_t at, const std::vector<Color>& colours,
           const std::string& where, std::string& fault) {
  if (image.alpha[at] != 255) {
    fault = "a pixel that is not opaque" + where;
    return -1;
  }
  int slot = -1;
  for (int k = 3; k >= 0; --k) {  // the lowest matching slot wins...
    if (colours[static_cast<std::size_t>(k)] == image.colours[at]) {
      slot = k;
    }
  }
  // ...unless the file's own palette index is another slot of the same
  // colour: a picture exported in a sub-palette whose slots share a colour
  // then comes back exactly.
  if (slot >= 0 && !image.paletteIndices.empty()) {
    const int index = image.paletteIndices[at];
    if (index < 4 && colours[static_cast<std::size_t>(index)] == image.colours[at]) {
      slot = index;
    }
  }
  if (slot < 0) {
    fault = "colour " + colourName(image.colours[at]) + where;
  }
  return slot;
}

}  // namespace

bool importPatternTable(const ByteArray& png, const PaletteArray& palette, int subPalette,
                        TilePixels& tiles, std::string* reason) {
  auto fail = [&](std::string text) {
    if (reason != nullptr) {
      *reason = std::move(text);
    }
    return false;
  };
  DecodedImage image;
  std::string why;
  // No pixels are read of a picture of any other size.
  const bool decoded = decodePng(png, image, &why, kSide * kSide);
  const bool larger = std::int64_t{image.width} * image.height > kSide * kSide;
  if (!decoded && !larger) {
    return fail(why);
  }
  if (image.width != kSide || image.height != kSide) {
    return fail("The picture is " + std::to_string(image.width) + " x " +
                std::to_string(image.height) + " pixels; a pattern table is 128 x 128");
  }
  const int sub = subPalette & 3;
  std::vector<Color> colours;
  for (int k = 0; k < 4; ++k) {
    colours.push_back(paletteColor(palette[static_cast<std::size_t>(sub * 4 + k)]));
  }

  TilePixels read(static_cast<std::size_t>(rom::kBankTiles) * rom::kTilePixels, 0);
  // The first fault of each tile, tiles in order.
  std::vector<std::string> faults;
  int faultyTiles = 0;
  for (int t = 0; t < rom::kBankTiles; ++t) {
    std::string fault;
    for (int k = 0; k < rom::kTilePixels && fault.empty(); ++k) {
      const int x = (t % 16) * 8 + k % 8;
      const int y = (t / 16) * 8 + k / 8;
      const std::string where = " at x " + std::to_string(x) + ", y " + std::to_string(y);
      const int slot =
          slotOf(image, static_cast<std::size_t>(y * kSide + x), colours, where, fault);
      if (slot >= 0) {
        read[static_cast<std::size_t>(t * rom::kTilePixels + k)] = static_cast<std::uint8_t>(slot);
      }
    }
    if (!fault.empty()) {
      ++faultyTiles;
      if (static_cast<int>(faults.size()) < kTilesNamed) {
        faults.push_back("tile " + hex2(t) + " has " + fault);
      }
    }
  }
  if (faultyTiles > 0) {
    std::string text = "Every colour must be one of sub-palette " + std::to_string(sub) +
                       "'s four (" + colourName(colours[0]) + ", " + colourName(colours[1]) + ", " +
                       colourName(colours[2]) + ", " + colourName(colours[3]) + "), fully opaque: ";
    for (std::size_t i = 0; i < faults.size(); ++i) {
      text += (i == 0 ? "" : "; ") + faults[i];
    }
    if (faultyTiles > kTilesNamed) {
      text += "; and " + std::to_string(faultyTiles - kTilesNamed) + " more tiles";
    }
    return fail(text);
  }
  tiles = std::move(read);
  return true;
}

}  // namespace tarvo
