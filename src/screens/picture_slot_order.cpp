#include "screens/picture_slot_order.h"

#include <algorithm>
#include <array>
#include <map>
#include <numeric>
#include <utility>

namespace tarvo::picture_fit {

namespace {

// A tile's slots two bits each, for counting distinct tiles quickly.
using PackedTile = std::pair<std::uint64_t, std::uint64_t>;

PackedTile packed(const Pattern& pattern, const SlotOrder& to) {
  PackedTile key{0, 0};
  for (int k = 0; k < kPixels / 2; ++k) {
    key.first =
        key.first << 2 | static_cast<std::uint64_t>(to[pattern[static_cast<std::size_t>(k)]]);
    key.second = key.second << 2 |
                 static_cast<std::uint64_t>(to[pattern[static_cast<std::size_t>(k + kPixels / 2)]]);
  }
  return key;
}

int distinctCount(std::vector<PackedTile> tiles) {
  std::sort(tiles.begin(), tiles.end());
  return static_cast<int>(std::unique(tiles.begin(), tiles.end()) - tiles.begin());
}

// Every order of the four slots (new slot = order[old slot]); with a shared
// first colour, those that keep slot 0 first. The unchanged order first.
std::vector<SlotOrder> slotOrders(bool shared) {
  std::vector<SlotOrder> orders;
  SlotOrder order{0, 1, 2, 3};
  do {
    if (!shared || order[0] == 0) {
      orders.push_back(order);
    }
  } while (std::next_permutation(order.begin(), order.end()));
  return orders;
}

void applyOrders(PaletteFit& fit, const std::vector<SlotOrder>& orders) {
  for (std::size_t p = 0; p < fit.subs.size(); ++p) {
    SubPalette sub;
    for (int s = 0; s < kSlots; ++s) {
      sub[static_cast<std::size_t>(orders[p][static_cast<std::size_t>(s)])] =
          fit.subs[p][static_cast<std::size_t>(s)];
    }
    fit.subs[p] = sub;
  }
}

// Gives every pixel its slot's new number in its region's sub-palette.
void remapSlots(const Layout& layout, const PaletteFit& fit, std::vector<std::uint8_t>& slots,
                const std::vector<SlotOrder>& orders) {
  for (int y = 0; y < layout.height; ++y) {
    for (int x = 0; x < layout.width; ++x) {
      std::uint8_t& slot = slots[static_cast<std::size_t>(y * layout.width + x)];
      slot = static_cast<std::uint8_t>(orders[static_cast<std::size_t>(
          fit.ofRegion[static_cast<std::size_t>(layout.regionOfPixel(x, y))])][slot]);
    }
  }
}

}  // namespace

void byUse(const Layout& layout, PaletteFit& fit, std::vector<std::uint8_t>& slots, bool shared) {
  std::vector<std::array<long, kSlots>> uses(fit.subs.size(), {0, 0, 0, 0});
  for (int y = 0; y < layout.height; ++y) {
    for (int x = 0; x < layout.width; ++x) {
      ++uses[static_cast<std::size_t>(fit.ofRegion[static_cast<std::size_t>(
          layout.regionOfPixel(x, y))])][slots[static_cast<std::size_t>(y * layout.width + x)]];
    }
  }
  std::vector<SlotOrder> orders;
  for (const auto& use : uses) {
    std::array<int, kSlots> byCount{0, 1, 2, 3};
    std::stable_sort(byCount.begin() + (shared ? 1 : 0), byCount.end(), [&use](int a, int b) {
      return use[static_cast<std::size_t>(a)] > use[static_cast<std::size_t>(b)];
    });
    SlotOrder order;
    for (int k = 0; k < kSlots; ++k) {
      order[static_cast<std::size_t>(byCount[static_cast<std::size_t>(k)])] = k;
    }
    orders.push_back(order);
  }
  applyOrders(fit, orders);
  remapSlots(layout, fit, slots, orders);
}

void orderSlots(const Layout& layout, PaletteFit& fit, std::vector<std::uint8_t>& slots,
                bool shared) {
  const std::vector<SlotOrder> orders = slotOrders(shared);
  const std::vector<Pattern> patterns = patternsOf(layout, slots);
  std::vector<int> paletteOfTile;
  for (int ty = 0; ty < layout.tilesY(); ++ty) {
    for (int tx = 0; tx < layout.tilesX(); ++tx) {
      paletteOfTile.push_back(fit.ofRegion[static_cast<std::size_t>(layout.regionOfTile(tx, ty))]);
    }
  }
  std::vector<SlotOrder> chosen(fit.subs.size(), orders.front());
  std::vector<PackedTile> fixed;
  for (std::size_t t = 0; t < patterns.size(); ++t) {
    if (paletteOfTile[t] == 0) {
      fixed.push_back(packed(patterns[t], orders.front()));
    }
  }
  for (std::size_t p = 1; p < fit.subs.size(); ++p) {
    int bestCount = 0;
    std::vector<PackedTile> bestTiles;
    for (std::size_t o = 0; o < orders.size(); ++o) {
      std::vector<PackedTile> tiles = fixed;
      for (std::size_t t = 0; t < patterns.size(); ++t) {
        if (paletteOfTile[t] == static_cast<int>(p)) {
          tiles.push_back(packed(patterns[t], orders[o]));
        }
      }
      const int count = distinctCount(tiles);
      if (o == 0 || count < bestCount) {
        bestCount = count;
        chosen[p] = orders[o];
        bestTiles = std::move(tiles);
      }
    }
    fixed = std::move(bestTiles);
  }
  applyOrders(fit, chosen);
  remapSlots(layout, fit, slots, chosen);
}

namespace {

// Every region's four tiles in the slots of each sub-palette that shows it
// as it stands: [region * sub-palettes + sub-palette][tile].
std::vector<std::array<Pattern, 4>> tilesInEachChoice(const Layout& layout,
                                                      const PictureColours& colours,
                                                      const PaletteFit& fit) {
  const int palettes = static_cast<int>(fit.subs.size());
  std::vector<std::array<Pattern, 4>> tilesIn(
      static_cast<std::size_t>(layout.regions() * palettes));
  for (int region = 0; region < layout.regions(); ++region) {
    for (const int p : fit.choices[static_cast<std::size_t>(region)]) {
      std::array<Color, kSlots> shows;
      for (int k = 0; k < kSlots; ++k) {
        shows[static_cast<std::size_t>(k)] = paletteColor(static_cast<std::uint8_t>(
            fit.subs[static_cast<std::size_t>(p)][static_cast<std::size_t>(k)]));
      }
      for (int t = 0; t < 4; ++t) {
        const int left = ((region % layout.regionsX()) * 2 + t % 2) * kTile;
        const int top = ((region / layout.regionsX()) * 2 + t / 2) * kTile;
        for (int k = 0; k < kPixels; ++k) {
          const Color c = colours.colours[colours.ofPixel[static_cast<std::size_t>(
              (top + k / kTile) * layout.width + left + k % kTile)]];
          tilesIn[static_cast<std::size_t>(region * palettes + p)][static_cast<std::size_t>(t)]
                 [static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(
                     std::find(shows.begin(), shows.end(), c) - shows.begin());
        }
      }
    }
  }
  return tilesIn;
}

// The sub-palettes in the order they take their turns: those with the most
// regions that fit no other first.
std::vector<int> turnOrder(const PaletteFit& fit) {
  std::vector<int> only(fit.subs.size(), 0);
  for (const std::vector<int>& choices : fit.choices) {
    only[static_cast<std::size_t>(choices.front())] += choices.size() == 1 ? 1 : 0;
  }
  std::vector<int> turn(fit.subs.size());
  std::iota(turn.begin(), turn.end(), 0);
  std::stable_sort(turn.begin(), turn.end(), [&only](int x, int y) {
    return only[static_cast<std::size_t>(x)] > only[static_cast<std::size_t>(y)];
  });
  return turn;
}

// Settles the regions of a picture shown exactly. Tiles of regions already
// settled are the reference, counted as they come out in the slot orders
// chosen.
class Arrangement {
 public:
  Arrangement(const Layout& layout, const PictureColours& colours, PaletteFit& fit,
              std::vector<SlotOrder> orders)
      : fit_(fit),
        palettes_(static_cast<int>(fit.subs.size())),
        tilesIn_(tilesInEachChoice(layout, colours, fit)),
        orders_(std::move(orders)),
        chosen_(fit.subs.size(), orders_.front()),
        claimed_(fit.choices.size(), false) {}

  // Sub-palette p's turn: unless it is the first, it takes the order in
  // which the regions that fit only it (or, with none, all it could show)
  // find the most of their tiles known; it claims those regions, then those
  // that find all four of their tiles known, as long as more do, then those
  // that find three, two and one.
  void settle(int p, bool chooseOrder) {
    const std::vector<int> open = openRegions(p);
    if (chooseOrder) {
      chosen_[static_cast<std::size_t>(p)] = bestOrder(p, open);
    }
    for (const int region : open) {
      if (choicesOf(region).size() == 1) {
        claim(region, p);
      }
    }
    // With nothing known yet, the first region seeds.
    if (count_.empty() && !open.empty()) {
      claim(open.front(), p);
    }
    for (int need = 4; need > 0; --need) {
      for (bool more = true; more;) {
        more = false;
        for (const int region : open) {
          if (!claimed_[static_cast<std::size_t>(region)] && found(region, p) >= need) {
            claim(region, p);
            more = true;
          }
        }
      }
    }
  }

  // Every region that fits several sub-palettes (with `leftOverOnly`, only
  // those no turn claimed) takes the one in which its tiles are most common.
  void revisit(bool leftOverOnly) {
    for (int region = 0; region < static_cast<int>(claimed_.size()); ++region) {
      const bool claimed = claimed_[static_cast<std::size_t>(region)];
      if (choicesOf(region).size() < 2 || (leftOverOnly && claimed)) {
        continue;
      }
      if (claimed) {
        const int p = fit_.ofRegion[static_cast<std::size_t>(region)];
        for (int t = 0; t < 4; ++t) {
          --count_[tileOf(region, p, t)];
        }
      }
      claim(region, mostCommonChoice(region));
    }
  }

  const std::vector<SlotOrder>& chosen() const { return chosen_; }

 private:
  const std::vector<int>& choicesOf(int region) const {
    return fit_.choices[static_cast<std::size_t>(region)];
  }

  // Tile t of `region` in sub-palette p, in the order p has chosen.
  Pattern tileOf(int region, int p, int t) const {
    Pattern tile =
        tilesIn_[static_cast<std::size_t>(region * palettes_ + p)][static_cast<std::size_t>(t)];
    for (std::uint8_t& slot : tile) {
      slot = static_cast<std::uint8_t>(chosen_[static_cast<std::size_t>(p)][slot]);
    }
    return tile;
  }

  void claim(int region, int p) {
    claimed_[static_cast<std::size_t>(region)] = true;
    fit_.ofRegion[static_cast<std::size_t>(region)] = p;
    for (int t = 0; t < 4; ++t) {
      ++count_[tileOf(region, p, t)];
    }
  }

  // How many of the region's tiles in sub-palette p are known.
  int found(int region, int p) const {
    int n = 0;
    for (int t = 0; t < 4; ++t) {
      n += count_.count(tileOf(region, p, t)) > 0 ? 1 : 0;
    }
    return n;
  }

  // The regions not claimed yet that sub-palette p shows.
  std::vector<int> openRegions(int p) const {
    std::vector<int> open;
    for (int region = 0; region < static_cast<int>(claimed_.size()); ++region) {
      const std::vector<int>& choices = choicesOf(region);
      if (!claimed_[static_cast<std::size_t>(region)] &&
          std::find(choices.begin(), choices.end(), p) != choices.end()) {
        open.push_back(region);
      }
    }
    return open;
  }

  // The order is the one the regions that fit no other sub-palette want:
  // those that fit others too may belong there, and outnumber them.
  SlotOrder bestOrder(int p, const std::vector<int>& open) {
    std::vector<int> voters;
    for (const int region : open) {
      if (choicesOf(region).size() == 1) {
        voters.push_back(region);
      }
    }
    if (voters.empty()) {
      voters = open;
    }
    int bestFound = -1;
    SlotOrder best = orders_.front();
    for (const SlotOrder& order : orders_) {
      chosen_[static_cast<std::size_t>(p)] = order;
      int total = 0;
      for (const int region : voters) {
        total += found(region, p);
      }
      if (total > bestFound) {
        bestFound = total;
        best = order;
      }
    }
    return best;
  }

  // The sub-palette the region fits in which its tiles are most common (the
  // first on a tie).
  int mostCommonChoice(int region) const {
    int bestFound = -1;
    int best = fit_.ofRegion[static_cast<std::size_t>(region)];
    for (const int q : choicesOf(region)) {
      int n = 0;
      for (int t = 0; t < 4; ++t) {
        const auto it = count_.find(tileOf(region, q, t));
        n += it == count_.end() ? 0 : it->second;
      }
      if (n > bestFound) {
        bestFound = n;
        best = q;
      }
    }
    return best;
  }

  PaletteFit& fit_;
  int palettes_;
  std::vector<std::array<Pattern, 4>> tilesIn_;
  std::vector<SlotOrder> orders_;
  std::vector<SlotOrder> chosen_;
  std::vector<bool> claimed_;
  std::map<Pattern, int> count_;
};

}  // namespace

void arrangeExactly(const Layout& layout, const PictureColours& colours, PaletteFit& fit,
                    bool shared, bool keepOrders) {
  // A kept palette keeps its order too.
  std::vector<SlotOrder> orders = slotOrders(shared);
  if (keepOrders) {
    orders.resize(1);
  }
  Arrangement arrangement(layout, colours, fit, std::move(orders));
  const std::vector<int> turn = turnOrder(fit);
  for (std::size_t i = 0; i < turn.size(); ++i) {
    arrangement.settle(turn[i], i > 0);
  }
  // Regions left over take, twice over, the sub-palette in which their
  // tiles are most common.
  arrangement.revisit(true);
  arrangement.revisit(false);
  applyOrders(fit, arrangement.chosen());
}

}  // namespace tarvo::picture_fit
