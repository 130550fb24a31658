// What every stage of fitting a picture (screens/picture_import.h) shares:
// the shape of the work, the console's colours and the picture's, and the
// picture in colour slots.
//
// The stages, in the order a fit runs them:
//   screens/picture_exact_packing.h   an exact picture's colours packed into sub-palettes
//   screens/picture_palette_choice.h  sub-palettes chosen for any other picture
//   screens/picture_pixel_slots.h     every pixel's colour slot and what each slot costs it
//   screens/picture_slot_order.h      the order of each sub-palette's slots
//   screens/picture_colour_fit.h      the stages above, run in turn
//   screens/picture_tiles.h           the tiles of the bank
//   screens/picture_metatiles.h       the field's metatiles
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "gfx/colors.h"
#include "gfx/lab.h"
#include "screens/picture_import.h"
#include "shell/rom_locations.h"

namespace tarvo::picture_fit {

inline constexpr int kRegion = rom::kQuadrantSide;  // pixels a side of one sub-palette's region
inline constexpr int kTile = rom::kTileSide;
inline constexpr int kPixels = rom::kTilePixels;
inline constexpr int kSlots = 4;

// Thrown when the caller stops the work.
struct Stopped {};

class Progress {
 public:
  explicit Progress(const ImportProgress& report) : report_(report) {}
  void at(int percent) const {
    if (report_ && !report_(percent)) {
      throw Stopped{};
    }
  }

 private:
  const ImportProgress& report_;
};

struct Lab3 {
  float L = 0;
  float a = 0;
  float b = 0;
};

inline Lab3 lab3(Color colour) {
  const Lab lab = toLab(colour);
  return {static_cast<float>(lab.L), static_cast<float>(lab.a), static_cast<float>(lab.b)};
}

inline float distance2(const Lab3& x, const Lab3& y) {
  const float dL = x.L - y.L;
  const float da = x.a - y.a;
  const float db = x.b - y.b;
  return dL * dL + da * da + db * db;
}

// The shape of the work: regions of 16 x 16 pixels each take one sub-palette.
struct Layout {
  int width = 0;
  int height = 0;
  int palettes = 0;  // sub-palettes to choose: 4 for the field, 1 for the batter's view
  int regionsX() const { return width / kRegion; }
  int regionsY() const { return height / kRegion; }
  int regions() const { return regionsX() * regionsY(); }
  int tilesX() const { return width / kTile; }
  int tilesY() const { return height / kTile; }
  int tiles() const { return tilesX() * tilesY(); }
  int regionOfPixel(int x, int y) const { return (y / kRegion) * regionsX() + x / kRegion; }
  int regionOfTile(int tx, int ty) const { return (ty / 2) * regionsX() + tx / 2; }
};

// The NES colour numbers and their looks.
struct ConsoleColours {
  std::array<Lab3, 64> lab;
  // Every screen colour once, with the number that stands for it (the
  // lowest, but 0F rather than 0E and so on), sorted by colour.
  std::vector<std::pair<Color, int>> byColour;
  // The numbers a chosen palette may take: one per screen colour, the
  // lowest, without 0D, whose black is darker than televisions are made for.
  std::vector<int> candidates;
  // The entry of byColour that each number shows, and every entry's colour
  // in CIELAB.
  std::array<int, 64> columnOf{};
  std::vector<Lab> exactLab;

  ConsoleColours();
  // The number that stands for `colour`, or -1 when no number shows it.
  int exactNumber(Color colour) const;
  // The colour number `number` shows, in CIELAB.
  const Lab& shownLab(int number) const {
    return exactLab[static_cast<std::size_t>(columnOf[static_cast<std::size_t>(number & 0x3F)])];
  }
};

// The picture's distinct colours, and which one every pixel has.
struct PictureColours {
  std::vector<Color> colours;  // sorted
  std::vector<Lab3> lab;
  std::vector<int> exact;  // the colour number showing it exactly, or -1
  std::vector<std::uint32_t> ofPixel;
  std::vector<std::uint32_t> pixels;  // how many pixels show each colour
  bool allExact = true;
};

PictureColours readColours(const std::vector<Color>& pixels, const ConsoleColours& console);

using SubPalette = std::array<int, kSlots>;         // colour numbers
using Looks = std::array<Lab3, kSlots>;             // a sub-palette's colours in CIELAB
using Pattern = std::array<std::uint8_t, kPixels>;  // a tile's colour slots, row-major
using SlotCosts = std::array<float, kSlots>;
using SlotOrder = std::array<int, kSlots>;  // the new slot of each old one

// The tiles of a picture in colour slots, row by row.
std::vector<Pattern> patternsOf(const Layout& layout, const std::vector<std::uint8_t>& slots);

// The sub-palettes as the colour stages choose and order them.
struct PaletteFit {
  std::vector<SubPalette> subs;
  std::vector<int> ofRegion;
  // The sub-palettes that show each region exactly; empty but for a picture
  // packed without loss.
  std::vector<std::vector<int>> choices;
};

// The picture in colour slots.
struct SlotPicture {
  std::vector<SubPalette> subs;
  std::vector<Looks> looks;
  std::vector<int> ofRegion;  // the sub-palette of every region
  // Every pixel's slot, row-major.
  std::vector<std::uint8_t> slots;
  // For every pixel, the square of the CIEDE2000 difference between each
  // slot's colour and the colour the pixel should show: its own, or with
  // dither the one its slot shows.
  std::vector<SlotCosts> costs;
};

}  // namespace tarvo::picture_fit
