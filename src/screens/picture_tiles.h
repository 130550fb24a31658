// The tiles of a fitted picture: its own where they fit the bank, else at
// most 256 chosen for the least colour error.
#pragma once

#include <cstdint>
#include <limits>
#include <map>
#include <vector>

#include "screens/picture_fit.h"

namespace tarvo::picture_fit {

inline constexpr float kFar = std::numeric_limits<float>::max();

// What showing each slot costs at each pixel of each tile place of the
// picture, in the order of the places: the square of the CIEDE2000
// difference from the colour the pixel should show to the slot's colour in
// the place's sub-palette. [place][pixel][slot].
class PlaceCosts {
 public:
  PlaceCosts(const Layout& layout, const SlotPicture& picture);

  int places() const { return places_; }

  // The cost of showing `pattern` at `place`; once the sum reaches `bound`
  // the rest is not added.
  float of(int place, const Pattern& pattern, float bound = kFar) const {
    const float* c = at(place);
    float sum = 0;
    for (int row = 0; row < kTile; ++row) {
      for (int k = row * kTile; k < (row + 1) * kTile; ++k) {
        sum += c[k * kSlots + pattern[static_cast<std::size_t>(k)]];
      }
      if (sum >= bound) {
        return sum;
      }
    }
    return sum;
  }

  // The pattern that costs least at `place` (the lowest slot on a tie).
  Pattern cheapest(int place) const;

  const float* at(int place) const {
    return costs_.data() + static_cast<std::size_t>(place * kPixels * kSlots);
  }

 private:
  int places_;
  std::vector<float> costs_;
};

struct TileSet {
  std::vector<Pattern> patterns;
  std::vector<int> ofPlace;  // the pattern every tile place shows
};

// Each distinct item of `uses` once, in the order first met, into `items`;
// the number every use has there into `of`.
template <typename Item>
void numberDistinct(const std::vector<Item>& uses, std::vector<Item>& items, std::vector<int>& of) {
  std::map<Item, int> number;
  for (const Item& item : uses) {
    const auto [it, added] = number.emplace(item, static_cast<int>(items.size()));
    if (added) {
      items.push_back(item);
    }
    of.push_back(it->second);
  }
}

// The tiles of the picture, at most 256: its own when they fit, else tiles
// chosen by k-means on the places' colour costs.
TileSet fitTiles(const Layout& layout, const SlotPicture& picture, const PlaceCosts& costs,
                 const Progress& progress);

}  // namespace tarvo::picture_fit
