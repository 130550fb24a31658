#include "screens/picture_fit.h"

#include <algorithm>
#include <numeric>
#include <utility>

namespace tarvo::picture_fit {

ConsoleColours::ConsoleColours() {
  for (int n = 0; n < 64; ++n) {
    lab[static_cast<std::size_t>(n)] = lab3(colorTable[static_cast<std::size_t>(n)]);
  }
  // Of numbers that show the same colour the lowest, but the black of
  // column F (0F, 1F...) before its twin in column E, as palettes are written.
  std::vector<int> preferred(64);
  std::iota(preferred.begin(), preferred.end(), 0);
  std::stable_sort(preferred.begin(), preferred.end(),
                   [](int x, int y) { return (x & 0xF) != 0xE && (y & 0xF) == 0xE; });
  for (const int n : preferred) {
    byColour.emplace_back(colorTable[static_cast<std::size_t>(n)], n);
  }
  std::stable_sort(byColour.begin(), byColour.end(),
                   [](const auto& x, const auto& y) { return x.first < y.first; });
  byColour.erase(std::unique(byColour.begin(), byColour.end(),
                             [](const auto& x, const auto& y) { return x.first == y.first; }),
                 byColour.end());
  for (std::size_t column = 0; column < byColour.size(); ++column) {
    const auto [colour, number] = byColour[column];
    exactLab.push_back(toLab(colour));
    for (int n = 0; n < 64; ++n) {
      if (colorTable[static_cast<std::size_t>(n)] == colour) {
        columnOf[static_cast<std::size_t>(n)] = static_cast<int>(column);
      }
    }
    if (number != 0x0D) {
      candidates.push_back(number);
    }
  }
  std::sort(candidates.begin(), candidates.end());
}

int ConsoleColours::exactNumber(Color colour) const {
  const auto it = std::lower_bound(byColour.begin(), byColour.end(), colour,
                                   [](const auto& entry, Color c) { return entry.first < c; });
  return it != byColour.end() && it->first == colour ? it->second : -1;
}

PictureColours readColours(const std::vector<Color>& pixels, const ConsoleColours& console) {
  PictureColours result;
  result.colours = pixels;
  std::sort(result.colours.begin(), result.colours.end());
  result.colours.erase(std::unique(result.colours.begin(), result.colours.end()),
                       result.colours.end());
  for (const Color c : result.colours) {
    result.lab.push_back(lab3(c));
    result.exact.push_back(console.exactNumber(c));
    result.allExact = result.allExact && result.exact.back() >= 0;
  }
  result.ofPixel.reserve(pixels.size());
  result.pixels.assign(result.colours.size(), 0);
  for (const Color c : pixels) {
    result.ofPixel.push_back(static_cast<std::uint32_t>(
        std::lower_bound(result.colours.begin(), result.colours.end(), c) -
        result.colours.begin()));
    ++result.pixels[result.ofPixel.back()];
  }
  return result;
}

namespace {

Pattern patternAt(const Layout& layout, const std::vector<std::uint8_t>& slots, int tx, int ty) {
  Pattern pattern;
  for (int r = 0; r < kTile; ++r) {
    for (int c = 0; c < kTile; ++c) {
      pattern[static_cast<std::size_t>(r * kTile + c)] =
          slots[static_cast<std::size_t>((ty * kTile + r) * layout.width + tx * kTile + c)];
    }
  }
  return pattern;
}

}  // namespace

std::vector<Pattern> patternsOf(const Layout& layout, const std::vector<std::uint8_t>& slots) {
  std::vector<Pattern> patterns;
  patterns.reserve(static_cast<std::size_t>(layout.tiles()));
  for (int ty = 0; ty < layout.tilesY(); ++ty) {
    for (int tx = 0; tx < layout.tilesX(); ++tx) {
      patterns.push_back(patternAt(layout, slots, tx, ty));
    }
  }
  return patterns;
}

}  // namespace tarvo::picture_fit
