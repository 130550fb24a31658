// Sub-palettes for a picture the console cannot show exactly, and the
// sub-palette of every region, chosen for the least CIEDE2000 error.
#pragma once

#include <vector>

#include "screens/picture_fit.h"

namespace tarvo::picture_fit {

// The picture's colours grouped by their top five bits a channel, for
// choosing palettes and giving regions sub-palettes; each group stands for
// the mean of its pixels, and its distance to every colour number is the
// square of their CIEDE2000 difference.
struct ColourGroups {
  explicit ColourGroups(const ConsoleColours& console) : console(console) {}
  const ConsoleColours& console;
  std::vector<float> distance;  // [group * screen colours + the console's column]
  std::vector<int> ofColour;    // the group of every distinct colour
  int count = 0;

  float to(int group, int number) const {
    return distance[static_cast<std::size_t>(group) * console.byColour.size() +
                    static_cast<std::size_t>(
                        console.columnOf[static_cast<std::size_t>(number & 0x3F)])];
  }
};

ColourGroups groupColours(const PictureColours& colours, const ConsoleColours& console);

// Gives every region the sub-palette of `fit` that shows it with the least
// error (the lowest on a tie), from its colours' groups. Returns whether any
// region changed.
bool assignRegions(const Layout& layout, const PictureColours& colours, const ColourGroups& groups,
                   PaletteFit& fit);

// Sub-palettes for any picture: regions are first grouped by their mean
// colour, then each group's four colours are chosen for its pixels and each
// region moves to the group that shows it best, until nothing moves. With
// `shared`, every sub-palette's first colour is the one that serves them all
// best.
PaletteFit choosePalettes(const Layout& layout, const PictureColours& colours,
                          const ColourGroups& groups, bool shared, const Progress& progress);

}  // namespace tarvo::picture_fit
