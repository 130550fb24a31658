#include "screens/picture_exact_packing.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace tarvo::picture_fit {

namespace {

using ColourSet = std::vector<int>;  // sorted colour numbers

bool within(const ColourSet& small, const ColourSet& large) {
  return std::includes(large.begin(), large.end(), small.begin(), small.end());
}

ColourSet joined(const ColourSet& x, const ColourSet& y) {
  ColourSet result;
  std::set_union(x.begin(), x.end(), y.begin(), y.end(), std::back_inserter(result));
  return result;
}

// Places sets[i...] into the bins, none holding more than four colours; a
// bin is opened only as the first empty one, so no arrangement is tried
// twice. Gives up after `budget` tries.
bool placeSets(const std::vector<ColourSet>& sets, std::size_t i, std::vector<ColourSet>& bins,
               const ColourSet& base, long& budget) {
  if (i == sets.size()) {
    return true;
  }
  if (--budget < 0) {
    return false;
  }
  for (std::size_t b = 0; b < bins.size(); ++b) {
    const bool empty = bins[b] == base;
    ColourSet merged = joined(bins[b], sets[i]);
    if (static_cast<int>(merged.size()) <= kSlots) {
      std::swap(bins[b], merged);
      if (placeSets(sets, i + 1, bins, base, budget)) {
        return true;
      }
      std::swap(bins[b], merged);
    }
    if (empty) {
      break;
    }
  }
  return false;
}

// The colour numbers of every region, and how many pixels show each number.
struct RegionColours {
  std::vector<ColourSet> ofRegion;
  std::vector<long> pixelsOf;
};

// Nothing when some region shows more than four colours.
std::optional<RegionColours> coloursOfRegions(const Layout& layout, const PictureColours& colours) {
  RegionColours result{std::vector<ColourSet>(static_cast<std::size_t>(layout.regions())),
                       std::vector<long>(64, 0)};
  for (int y = 0; y < layout.height; ++y) {
    for (int x = 0; x < layout.width; ++x) {
      const int n = colours.exact[colours.ofPixel[static_cast<std::size_t>(y * layout.width + x)]];
      ++result.pixelsOf[static_cast<std::size_t>(n)];
      ColourSet& set = result.ofRegion[static_cast<std::size_t>(layout.regionOfPixel(x, y))];
      const auto at = std::lower_bound(set.begin(), set.end(), n);
      if (at == set.end() || *at != n) {
        set.insert(at, n);
        if (static_cast<int>(set.size()) > kSlots) {
          return std::nullopt;
        }
      }
    }
  }
  return result;
}

// The sets no other set holds, the largest first.
std::vector<ColourSet> maximalSets(std::vector<ColourSet> sets) {
  std::sort(sets.begin(), sets.end(), [](const ColourSet& x, const ColourSet& y) {
    return x.size() != y.size() ? x.size() > y.size() : x < y;
  });
  sets.erase(std::unique(sets.begin(), sets.end()), sets.end());
  std::vector<ColourSet> maximal;
  for (const ColourSet& set : sets) {
    if (std::none_of(maximal.begin(), maximal.end(),
                     [&set](const ColourSet& m) { return within(set, m); })) {
      maximal.push_back(set);
    }
  }
  return maximal;
}

// The first colours to try: with a shared first colour every colour shown,
// the most used first; without, none (-1).
std::vector<int> firstColours(const std::vector<long>& pixelsOf, bool shared) {
  if (!shared) {
    return {-1};
  }
  std::vector<int> bases;
  for (int n = 0; n < 64; ++n) {
    if (pixelsOf[static_cast<std::size_t>(n)] > 0) {
      bases.push_back(n);
    }
  }
  std::stable_sort(bases.begin(), bases.end(), [&pixelsOf](int x, int y) {
    return pixelsOf[static_cast<std::size_t>(x)] > pixelsOf[static_cast<std::size_t>(y)];
  });
  return bases;
}

// Sub-palettes left over (still `start`) show again the sets that the most
// regions fit: two sub-palettes may hold the same colours in other slots.
void fillLeftOver(std::vector<ColourSet>& bins, const ColourSet& start,
                  const std::vector<ColourSet>& ofRegion) {
  std::vector<int> fitting(bins.size(), 0);
  for (const ColourSet& set : ofRegion) {
    for (std::size_t b = 0; b < bins.size(); ++b) {
      fitting[b] += within(set, bins[b]) ? 1 : 0;
    }
  }
  std::vector<std::size_t> used;
  for (std::size_t b = 0; b < bins.size(); ++b) {
    if (bins[b] != start) {
      used.push_back(b);
    }
  }
  std::stable_sort(used.begin(), used.end(),
                   [&fitting](std::size_t x, std::size_t y) { return fitting[x] > fitting[y]; });
  for (std::size_t b = 0, next = 0; b < bins.size() && !used.empty(); ++b) {
    if (bins[b] == start) {
      bins[b] = bins[used[next++ % used.size()]];
    }
  }
}

// A bin's colours, the most used first (the shared one `base` always
// first); a bin of fewer colours repeats its first.
SubPalette subPaletteOf(const ColourSet& bin, int base, const std::vector<long>& pixelsOf) {
  ColourSet order = bin;
  std::stable_sort(order.begin(), order.end(), [&](int x, int y) {
    if (x == base || y == base) {
      return x == base && y != base;
    }
    return pixelsOf[static_cast<std::size_t>(x)] > pixelsOf[static_cast<std::size_t>(y)];
  });
  SubPalette sub;
  for (std::size_t k = 0; k < sub.size(); ++k) {
    sub[k] = k < order.size() ? order[k] : order.front();
  }
  return sub;
}

PaletteFit fitOfBins(const std::vector<ColourSet>& bins, int base, const RegionColours& regions) {
  PaletteFit fit;
  for (const ColourSet& bin : bins) {
    fit.subs.push_back(subPaletteOf(bin, base, regions.pixelsOf));
  }
  for (const ColourSet& set : regions.ofRegion) {
    std::vector<int> fits;
    for (std::size_t b = 0; b < bins.size(); ++b) {
      if (within(set, bins[b])) {
        fits.push_back(static_cast<int>(b));
      }
    }
    fit.ofRegion.push_back(fits.front());
    fit.choices.push_back(std::move(fits));
  }
  return fit;
}

}  // namespace

std::optional<PaletteFit> packExactly(const Layout& layout, const PictureColours& colours,
                                      bool shared, const Progress& progress) {
  const std::optional<RegionColours> regions = coloursOfRegions(layout, colours);
  if (!regions) {
    return std::nullopt;
  }
  const std::vector<ColourSet> maximal = maximalSets(regions->ofRegion);
  // With a shared first colour, each bin starts with it.
  for (const int base : firstColours(regions->pixelsOf, shared)) {
    progress.at(5);
    const ColourSet start = base < 0 ? ColourSet{} : ColourSet{base};
    std::vector<ColourSet> bins(static_cast<std::size_t>(layout.palettes), start);
    long budget = 200000;
    if (!placeSets(maximal, 0, bins, start, budget)) {
      continue;
    }
    fillLeftOver(bins, start, regions->ofRegion);
    return fitOfBins(bins, base, *regions);
  }
  return std::nullopt;
}

std::optional<PaletteFit> choicesIn(const Layout& layout, const PictureColours& colours,
                                    const std::vector<SubPalette>& subs) {
  PaletteFit fit;
  fit.subs = subs;
  std::vector<std::vector<bool>> shows(static_cast<std::size_t>(layout.regions()),
                                       std::vector<bool>(subs.size(), true));
  for (int y = 0; y < layout.height; ++y) {
    for (int x = 0; x < layout.width; ++x) {
      const Color c =
          colours.colours[colours.ofPixel[static_cast<std::size_t>(y * layout.width + x)]];
      std::vector<bool>& in = shows[static_cast<std::size_t>(layout.regionOfPixel(x, y))];
      for (std::size_t p = 0; p < subs.size(); ++p) {
        in[p] = in[p] && std::any_of(subs[p].begin(), subs[p].end(), [c](int n) {
                  return paletteColor(static_cast<std::uint8_t>(n)) == c;
                });
      }
    }
  }
  for (const std::vector<bool>& in : shows) {
    std::vector<int> choices;
    for (std::size_t p = 0; p < in.size(); ++p) {
      if (in[p]) {
        choices.push_back(static_cast<int>(p));
      }
    }
    if (choices.empty()) {
      return std::nullopt;
    }
    fit.choices.push_back(std::move(choices));
  }
  return fit;
}

}  // namespace tarvo::picture_fit
