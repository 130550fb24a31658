// A picture drawn in an image editor, fitted to what the console can show and
// written into the image as the whole field or as the batter's view.
//
// The field: a 768 x 768 picture becomes four sub-palettes of four colours
// (one per 16 x 16 quadrant of a map cell), at most 256 tiles of 8 x 8 and at
// most 133 metatiles of 4 x 4 tiles, and the field map. The batter's view: a
// 256 x 240 picture becomes sub-palette 0 of its palette, at most 256 tiles
// and the name table.
//
// A picture whose every pixel is one of the console's colours and which fits
// those limits comes back exactly, when the palette it was drawn in has four
// different colours in each sub-palette. Any other is fitted with the least
// visible error: colours are compared by their CIEDE2000 difference, tiles
// are merged by the colour error their merging causes, and metatiles the
// same way. The same picture and options always give the same bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "gfx/colors.h"
#include "gfx/png_image.h"
#include "gfx/surface.h"
#include "shell/rom_image.h"

namespace tarvo {

enum class ImportTarget { Field, BatView };

enum class Dither {
  None,
  Ordered,  // a 4 x 4 Bayer matrix anchored at the picture's top left
};

struct ImportOptions {
  // Keep the palette the image has, rather than choosing one for the picture.
  bool keepPalette = false;
  // The four field sub-palettes share their first colour, as the console
  // shows them whatever the palette bytes say.
  bool sharedBackground = false;
  Dither dither = Dither::None;
};

// How close the fitted picture comes to the picture.
struct ImportFigures {
  bool exact = false;     // every pixel equal
  double psnr = 0;        // dB over the red, green and blue samples; 0 when exact
  double meanDeltaE = 0;  // CIEDE2000 over the pixels, CIELAB with a D65 white
  int tiles = 0;          // tiles of the bank the picture uses
  int metatiles = 0;      // metatiles the field map uses (0 for the batter's view)
};

struct FittedPicture {
  ImportTarget target = ImportTarget::Field;
  bool keptPalette = false;
  ByteArray image;        // the image given, with the fitted picture written in
  Surface picture{0, 0};  // the fitted picture as the editor draws it
  ImportFigures figures;
};

// The picture's size for `target`: 768 x 768 or 256 x 240.
int importWidth(ImportTarget target);
int importHeight(ImportTarget target);

// Why a picture of this size cannot be imported as `target`, or nothing when it can.
std::optional<std::string> refusePictureSize(ImportTarget target, int width, int height);

// A PNG file of the largest picture imported, in the largest form a PNG
// takes (16 bits a sample, with alpha, not compressed), is well within this.
inline constexpr std::size_t kImportFileLimit = 16 * 1024 * 1024;

// Reads a PNG file to import as `target`: its pixels, row-major. False with
// the reason for a file that is no PNG, of the wrong size, or with a pixel
// that is not fully opaque (the console's pictures have no see-through
// pixels).
bool readImportPicture(const ByteArray& png, ImportTarget target, std::vector<Color>& pixels,
                       std::string* reason = nullptr);

// The figures in a line: "exact, 246 tiles, 130 metatiles" or
// "PSNR 24.31 dB, mean ΔE2000 2.84, 256 tiles, 133 metatiles".
std::string describeFigures(const ImportFigures& figures, ImportTarget target);

// Told how far the work has come, 0 to 100; returns false to stop it.
using ImportProgress = std::function<bool(int percent)>;

// Fits `pixels` (row-major, width x height, 0x00BBGGRR; the size must be
// right) to `target` and writes it into a copy of `image`, which must hold
// every location of the ROM location table. The palette bytes used with
// keepPalette are read from `image`. Returns nothing when `progress` stopped
// the work.
std::optional<FittedPicture> fitPicture(const ByteArray& image, ImportTarget target,
                                        const std::vector<Color>& pixels,
                                        const ImportOptions& options,
                                        const ImportProgress& progress = {});

// Writes the locations a fitted picture fills into `image`: for the field the
// palette (unless it was kept), the attribute map, the CHR bank, the
// metatile table and the map; for the batter's view sub-palette 0 of its
// palette (unless kept), its CHR bank and its name table.
void applyFittedPicture(const FittedPicture& fitted, ByteArray& image);

// The figures of `fitted` against `picture`, both of the same size.
ImportFigures compareFit(const std::vector<Color>& picture, const Surface& fitted);

}  // namespace tarvo
