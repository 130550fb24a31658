#include "screens/picture_import.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "gfx/chr_codec.h"
#include "gfx/lab.h"
#include "screens/picture_colour_fit.h"
#include "screens/picture_fit.h"
#include "screens/picture_metatiles.h"
#include "screens/picture_tiles.h"
#include "screens/views.h"
#include "shell/palette.h"
#include "shell/rom_locations.h"

namespace tarvo {

using namespace picture_fit;

namespace {

void writeBytes(ByteArray& image, std::int32_t offset, const std::vector<std::uint8_t>& bytes) {
  std::copy(bytes.begin(), bytes.end(), image.begin() + offset);
}

// Writes the tiles `order` names, in that order, as the bank's first tiles;
// the rest of the bank is cleared.
void writeBank(ByteArray& image, const rom::Location& bank, const std::vector<Pattern>& tiles,
               const std::vector<int>& order) {
  TilePixels pixels(static_cast<std::size_t>(rom::kBankTiles * kPixels), 0);
  for (std::size_t t = 0; t < order.size(); ++t) {
    const Pattern& pattern = tiles[static_cast<std::size_t>(order[t])];
    std::copy(pattern.begin(), pattern.end(),
              pixels.begin() + static_cast<std::ptrdiff_t>(t * kPixels));
  }
  ByteArray bytes;
  encodeTiles(0, rom::kBankTiles, pixels, bytes);
  writeBytes(image, bank.offset, bytes);
}

// Numbers the items `uses` names in the order first met: the list of items
// in their new order, and every use renumbered.
std::vector<int> numberInOrder(std::vector<int>& uses, int items) {
  std::vector<int> number(static_cast<std::size_t>(items), -1);
  std::vector<int> order;
  for (int& use : uses) {
    int& n = number[static_cast<std::size_t>(use)];
    if (n < 0) {
      n = static_cast<int>(order.size());
      order.push_back(use);
    }
    use = n;
  }
  return order;
}

void writeField(ByteArray& image, const Layout& layout, const SlotPicture& picture,
                const TileSet& tiles, MetatileSet metatiles, bool keptPalette,
                ImportFigures& figures) {
  if (!keptPalette) {
    std::vector<std::uint8_t> palette;
    for (const SubPalette& sub : picture.subs) {
      palette.insert(palette.end(), sub.begin(), sub.end());
    }
    writeBytes(image, rom::kFieldPalette.offset, palette);
  }
  std::vector<std::uint8_t> attributes;
  for (int row = 0; row < rom::kMapRows; ++row) {
    for (int col = 0; col < rom::kMapColumns; ++col) {
      int byte = 0;
      for (int q = 0; q < 4; ++q) {
        const int region = (row * 2 + q / 2) * layout.regionsX() + col * 2 + q % 2;
        byte |= picture.ofRegion[static_cast<std::size_t>(region)] << (2 * q);
      }
      attributes.push_back(static_cast<std::uint8_t>(byte));
    }
  }
  writeBytes(image, rom::kFieldAttributeMap.offset, attributes);
  const std::vector<int> metatileOrder =
      numberInOrder(metatiles.ofCell, static_cast<int>(metatiles.metatiles.size()));
  std::vector<int> tileUses;
  for (const int m : metatileOrder) {
    const Metatile& metatile = metatiles.metatiles[static_cast<std::size_t>(m)];
    tileUses.insert(tileUses.end(), metatile.begin(), metatile.end());
  }
  const std::vector<int> tileOrder =
      numberInOrder(tileUses, static_cast<int>(tiles.patterns.size()));
  writeBank(image, rom::kFieldChrBank, tiles.patterns, tileOrder);
  std::vector<std::uint8_t> table(static_cast<std::size_t>(rom::kMetatileTable.length), 0);
  std::copy(tileUses.begin(), tileUses.end(), table.begin());
  writeBytes(image, rom::kMetatileTable.offset, table);
  writeBytes(image, rom::kFieldMap.offset,
             std::vector<std::uint8_t>(metatiles.ofCell.begin(), metatiles.ofCell.end()));
  figures.tiles = static_cast<int>(tileOrder.size());
  figures.metatiles = static_cast<int>(metatileOrder.size());
}

void writeBatView(ByteArray& image, const SlotPicture& picture, TileSet tiles, bool keptPalette,
                  ImportFigures& figures) {
  if (!keptPalette) {
    writeBytes(image, rom::kBatViewPalette.offset,
               std::vector<std::uint8_t>(picture.subs[0].begin(), picture.subs[0].end()));
  }
  const std::vector<int> order =
      numberInOrder(tiles.ofPlace, static_cast<int>(tiles.patterns.size()));
  writeBank(image, rom::kBatViewChrBank, tiles.patterns, order);
  writeBytes(image, rom::kBatViewNameTable.offset,
             std::vector<std::uint8_t>(tiles.ofPlace.begin(), tiles.ofPlace.end()));
  figures.tiles = static_cast<int>(order.size());
}

}  // namespace

int importWidth(ImportTarget target) {
  return target == ImportTarget::Field ? rom::kMapColumns * rom::kMetatileSide
                                       : rom::kBatViewColumns * rom::kTileSide;
}

int importHeight(ImportTarget target) {
  return target == ImportTarget::Field ? rom::kMapRows * rom::kMetatileSide
                                       : rom::kBatViewRows * rom::kTileSide;
}

std::optional<std::string> refusePictureSize(ImportTarget target, int width, int height) {
  const int w = importWidth(target);
  const int h = importHeight(target);
  if (width == w && height == h) {
    return std::nullopt;
  }
  std::string reason = "The picture is ";
  reason += std::to_string(width);
  reason += " x ";
  reason += std::to_string(height);
  reason += " pixels; ";
  reason += target == ImportTarget::Field ? "the field" : "the batter's view";
  reason += " takes a picture of exactly ";
  reason += std::to_string(w);
  reason += " x ";
  reason += std::to_string(h);
  return reason;
}

bool readImportPicture(const ByteArray& png, ImportTarget target, std::vector<Color>& pixels,
                       std::string* reason) {
  DecodedImage decoded;
  // Twice the field's pixels: a larger picture is refused by its size
  // without being decoded.
  if (!decodePng(png, decoded, reason, 2 * 768 * 768)) {
    // A picture too large to decode is refused by its size; a damaged one
    // of any size by what is wrong with it.
    const auto refusal = refusePictureSize(target, decoded.width, decoded.height);
    if (decoded.width > 0 && refusal && reason) {
      *reason = *refusal;
    }
    return false;
  }
  if (const auto refusal = refusePictureSize(target, decoded.width, decoded.height)) {
    if (reason) {
      *reason = *refusal;
    }
    return false;
  }
  const auto seeThrough = std::find_if(decoded.alpha.begin(), decoded.alpha.end(),
                                       [](std::uint8_t a) { return a != 255; });
  if (seeThrough != decoded.alpha.end()) {
    if (reason) {
      const auto at = static_cast<int>(seeThrough - decoded.alpha.begin());
      *reason = "The picture has see-through pixels, the first at ";
      *reason += std::to_string(at % decoded.width);
      *reason += ", ";
      *reason += std::to_string(at / decoded.width);
      *reason += "; the console shows no see-through pixels in a background";
    }
    return false;
  }
  pixels = std::move(decoded.colours);
  return true;
}

std::string describeFigures(const ImportFigures& figures, ImportTarget target) {
  char line[160];
  if (figures.exact) {
    std::snprintf(line, sizeof line, "exact, %d tiles", figures.tiles);
  } else {
    std::snprintf(line, sizeof line, "PSNR %.2f dB, mean \u0394E2000 %.2f, %d tiles", figures.psnr,
                  figures.meanDeltaE, figures.tiles);
  }
  std::string text = line;
  if (target == ImportTarget::Field) {
    std::snprintf(line, sizeof line, ", %d metatiles", figures.metatiles);
    text += line;
  }
  return text;
}

std::optional<FittedPicture> fitPicture(const ByteArray& image, ImportTarget target,
                                        const std::vector<Color>& pixels,
                                        const ImportOptions& options,
                                        const ImportProgress& progress) {
  const Progress report(progress);
  const bool field = target == ImportTarget::Field;
  const Layout layout{importWidth(target), importHeight(target), field ? 4 : 1};
  try {
    report.at(0);
    static const ConsoleColours console;
    const PictureColours colours = readColours(pixels, console);
    report.at(5);
    std::optional<std::vector<SubPalette>> kept;
    if (options.keepPalette) {
      PaletteArray palette{};
      readPalette(image, palette, (field ? rom::kFieldPalette : rom::kBatViewPalette).offset);
      kept.emplace();
      for (int p = 0; p < layout.palettes; ++p) {
        SubPalette sub;
        for (int s = 0; s < kSlots; ++s) {
          sub[static_cast<std::size_t>(s)] = palette[static_cast<std::size_t>(p * kSlots + s)];
        }
        kept->push_back(sub);
      }
    }
    const SlotPicture picture = fitColours(layout, colours, console, options, kept, report);
    const PlaceCosts costs(layout, picture);
    const TileSet tiles = fitTiles(layout, picture, costs, report);
    report.at(85);
    FittedPicture fitted;
    fitted.target = target;
    fitted.keptPalette = options.keepPalette;
    fitted.image = image;
    if (field) {
      writeField(fitted.image, layout, picture, tiles,
                 fitMetatiles(layout, picture, tiles, costs, report), options.keepPalette,
                 fitted.figures);
    } else {
      writeBatView(fitted.image, picture, tiles, options.keepPalette, fitted.figures);
    }
    report.at(95);
    fitted.picture = renderView(fitted.image, field ? View::Field : View::BatView, 0);
    const ImportFigures figures = compareFit(pixels, fitted.picture);
    fitted.figures.exact = figures.exact;
    fitted.figures.psnr = figures.psnr;
    fitted.figures.meanDeltaE = figures.meanDeltaE;
    report.at(100);
    return fitted;
  } catch (const Stopped&) {
    return std::nullopt;
  }
}

void applyFittedPicture(const FittedPicture& fitted, ByteArray& image) {
  const auto copy = [&](std::int32_t offset, std::int32_t length) {
    std::copy(fitted.image.begin() + offset, fitted.image.begin() + offset + length,
              image.begin() + offset);
  };
  if (fitted.target == ImportTarget::Field) {
    for (const rom::Location& at :
         {rom::kFieldMap, rom::kFieldAttributeMap, rom::kMetatileTable, rom::kFieldChrBank}) {
      copy(at.offset, at.length);
    }
    if (!fitted.keptPalette) {
      copy(rom::kFieldPalette.offset, rom::kFieldPalette.length);
    }
  } else {
    copy(rom::kBatViewNameTable.offset, rom::kBatViewNameTable.length);
    copy(rom::kBatViewChrBank.offset, rom::kBatViewChrBank.length);
    if (!fitted.keptPalette) {
      copy(rom::kBatViewPalette.offset, kSlots);
    }
  }
}

ImportFigures compareFit(const std::vector<Color>& picture, const Surface& fitted) {
  ImportFigures figures;
  const Color* shown = fitted.pixels();
  double squares = 0;
  double deltaE = 0;
  // A fitted picture has few colours; a picture's colours come in runs.
  std::vector<std::pair<Color, Lab>> fittedLabs;
  Color lastColour = 0;
  Lab lastLab = toLab(0);
  for (std::size_t i = 0; i < picture.size(); ++i) {
    const Color a = picture[i];
    const Color b = shown[i];
    if (a == b) {
      continue;
    }
    const int dr = redOf(a) - redOf(b);
    const int dg = greenOf(a) - greenOf(b);
    const int db = blueOf(a) - blueOf(b);
    squares += dr * dr + dg * dg + db * db;
    if (a != lastColour) {
      lastColour = a;
      lastLab = toLab(a);
    }
    auto known = std::find_if(fittedLabs.begin(), fittedLabs.end(),
                              [b](const auto& entry) { return entry.first == b; });
    if (known == fittedLabs.end()) {
      fittedLabs.emplace_back(b, toLab(b));
      known = fittedLabs.end() - 1;
    }
    deltaE += deltaE2000(lastLab, known->second);
  }
  const double samples = 3.0 * static_cast<double>(picture.size());
  figures.exact = squares == 0;
  figures.psnr = figures.exact ? 0 : 10 * std::log10(255.0 * 255.0 * samples / squares);
  figures.meanDeltaE = picture.empty() ? 0 : deltaE / static_cast<double>(picture.size());
  return figures;
}

}  // namespace tarvo
