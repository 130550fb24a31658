#include "screens/picture_palette.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <numeric>
#include <utility>

#include "gfx/lab.h"
#include "shell/rom_locations.h"

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

namespace {

struct PaletteFit {
  std::vector<SubPalette> subs;
  std::vector<int> ofRegion;
  // The sub-palettes that show each region exactly; empty but for a picture
  // packed without loss.
  std::vector<std::vector<int>> choices;
};

// ---- Packing the colours of an exact picture into sub-palettes ----

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

// The sub-palettes of a picture whose every pixel is a console colour and
// whose every region shows at most four, or nothing when they do not fit.
std::optional<PaletteFit> packExactly(const Layout& layout, const PictureColours& colours,
                                      bool shared, const Progress& progress) {
  std::vector<ColourSet> ofRegion(static_cast<std::size_t>(layout.regions()));
  std::vector<long> pixelsOf(64, 0);
  for (int y = 0; y < layout.height; ++y) {
    for (int x = 0; x < layout.width; ++x) {
      const int n = colours.exact[colours.ofPixel[static_cast<std::size_t>(y * layout.width + x)]];
      ++pixelsOf[static_cast<std::size_t>(n)];
      ColourSet& set = ofRegion[static_cast<std::size_t>(layout.regionOfPixel(x, y))];
      const auto at = std::lower_bound(set.begin(), set.end(), n);
      if (at == set.end() || *at != n) {
        set.insert(at, n);
        if (static_cast<int>(set.size()) > kSlots) {
          return std::nullopt;
        }
      }
    }
  }
  // The sets no other set holds, the largest first.
  std::vector<ColourSet> sets = ofRegion;
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
  // With a shared first colour, each bin starts with it; the most used
  // colours are tried first.
  std::vector<int> bases{-1};
  if (shared) {
    bases.clear();
    for (int n = 0; n < 64; ++n) {
      if (pixelsOf[static_cast<std::size_t>(n)] > 0) {
        bases.push_back(n);
      }
    }
    std::stable_sort(bases.begin(), bases.end(), [&pixelsOf](int x, int y) {
      return pixelsOf[static_cast<std::size_t>(x)] > pixelsOf[static_cast<std::size_t>(y)];
    });
  }
  for (const int base : bases) {
    progress.at(5);
    const ColourSet start = base < 0 ? ColourSet{} : ColourSet{base};
    std::vector<ColourSet> bins(static_cast<std::size_t>(layout.palettes), start);
    long budget = 200000;
    if (!placeSets(maximal, 0, bins, start, budget)) {
      continue;
    }
    // Sub-palettes left over show again the sets that the most regions
    // fit: two sub-palettes may hold the same colours in other slots.
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
    PaletteFit fit;
    for (const ColourSet& bin : bins) {
      // The most used colour first (the shared one always first); a bin of
      // fewer colours repeats its first.
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
      fit.subs.push_back(sub);
    }
    for (const ColourSet& set : ofRegion) {
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
  return std::nullopt;
}

// ---- Choosing sub-palettes for any picture ----

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

ColourGroups groupColours(const PictureColours& colours, const ConsoleColours& console) {
  ColourGroups groups(console);
  std::vector<int> number(1 << 15, -1);
  for (const Color c : colours.colours) {
    int& n = number[static_cast<std::size_t>((redOf(c) >> 3) << 10 | (greenOf(c) >> 3) << 5 |
                                             blueOf(c) >> 3)];
    if (n < 0) {
      n = groups.count++;
    }
    groups.ofColour.push_back(n);
  }
  std::vector<std::array<double, 4>> sums(static_cast<std::size_t>(groups.count), {0, 0, 0, 0});
  for (std::size_t i = 0; i < colours.colours.size(); ++i) {
    auto& sum = sums[static_cast<std::size_t>(groups.ofColour[i])];
    const double w = colours.pixels[i];
    sum[0] += w * colours.lab[i].L;
    sum[1] += w * colours.lab[i].a;
    sum[2] += w * colours.lab[i].b;
    sum[3] += w;
  }
  groups.distance.reserve(static_cast<std::size_t>(groups.count) * console.byColour.size());
  for (int g = 0; g < groups.count; ++g) {
    const auto& sum = sums[static_cast<std::size_t>(g)];
    const double w = std::max(sum[3], 1.0);
    const Lab mean{sum[0] / w, sum[1] / w, sum[2] / w};
    for (const Lab& shown : console.exactLab) {
      const double d = deltaE2000(mean, shown);
      groups.distance.push_back(static_cast<float>(d * d));
    }
  }
  return groups;
}

using Histogram = std::vector<std::pair<int, double>>;  // (group, pixels)

// The error of showing the histogram in colour number `candidate` besides
// the colours that give each entry the least distance `other`.
double histogramError(const ColourGroups& groups, const Histogram& histogram,
                      const std::vector<float>& other, int candidate) {
  double sum = 0;
  for (std::size_t i = 0; i < histogram.size(); ++i) {
    const auto [g, w] = histogram[i];
    sum += w * std::min(other[i], groups.to(g, candidate));
  }
  return sum;
}

// The least distance of every histogram entry to the chosen candidates but
// slot `skip`.
std::vector<float> leastDistances(const ColourGroups& groups, const Histogram& histogram,
                                  const std::array<int, kSlots>& chosen, int skip) {
  std::vector<float> least(histogram.size(), 1e30f);
  for (int s = 0; s < kSlots; ++s) {
    if (s == skip || chosen[static_cast<std::size_t>(s)] < 0) {
      continue;
    }
    for (std::size_t i = 0; i < histogram.size(); ++i) {
      least[i] =
          std::min(least[i], groups.to(histogram[i].first, chosen[static_cast<std::size_t>(s)]));
    }
  }
  return least;
}

// Improves the four colour numbers (-1 for an empty slot) that show the
// histogram with the least error, changing one slot at a time to any
// candidate, slots below `firstFree` never.
void improveSubPalette(const ColourGroups& groups, const Histogram& histogram,
                       std::array<int, kSlots>& chosen, int firstFree) {
  for (int sweep = 0; sweep < 4; ++sweep) {
    bool changed = false;
    for (int s = firstFree; s < kSlots; ++s) {
      const std::vector<float> other = leastDistances(groups, histogram, chosen, s);
      int best = chosen[static_cast<std::size_t>(s)];
      double bestError = best < 0 ? 1e300 : histogramError(groups, histogram, other, best);
      for (const int k : groups.console.candidates) {
        const double error = histogramError(groups, histogram, other, k);
        if (error < bestError) {
          bestError = error;
          best = k;
        }
      }
      changed = changed || best != chosen[static_cast<std::size_t>(s)];
      chosen[static_cast<std::size_t>(s)] = best;
    }
    if (!changed) {
      return;
    }
  }
}

// The candidate that shows the histogram alone with the least error.
int bestSingle(const ColourGroups& groups, const Histogram& histogram) {
  const std::vector<float> none(histogram.size(), 1e30f);
  int best = groups.console.candidates.front();
  double bestError = 1e300;
  for (const int k : groups.console.candidates) {
    const double error = histogramError(groups, histogram, none, k);
    if (error < bestError) {
      bestError = error;
      best = k;
    }
  }
  return best;
}

Histogram histogramOf(const std::vector<double>& dense) {
  Histogram histogram;
  for (std::size_t g = 0; g < dense.size(); ++g) {
    if (dense[g] > 0) {
      histogram.emplace_back(static_cast<int>(g), dense[g]);
    }
  }
  return histogram;
}

// Gives every region the sub-palette that shows it with the least error (the
// lowest on a tie), from its colours' groups. Returns whether any region
// changed.
bool assignRegions(const Layout& layout, const PictureColours& colours, const ColourGroups& groups,
                   PaletteFit& fit) {
  const int palettes = static_cast<int>(fit.subs.size());
  std::vector<double> errors(static_cast<std::size_t>(layout.regions() * palettes), 0);
  for (int y = 0; y < layout.height; ++y) {
    for (int x = 0; x < layout.width; ++x) {
      const int g =
          groups.ofColour[colours.ofPixel[static_cast<std::size_t>(y * layout.width + x)]];
      double* error =
          errors.data() + static_cast<std::size_t>(layout.regionOfPixel(x, y) * palettes);
      for (int p = 0; p < palettes; ++p) {
        float least = 1e30f;
        for (const int n : fit.subs[static_cast<std::size_t>(p)]) {
          least = std::min(least, groups.to(g, n));
        }
        error[p] += least;
      }
    }
  }
  bool changed = false;
  fit.ofRegion.resize(static_cast<std::size_t>(layout.regions()), -1);
  for (int r = 0; r < layout.regions(); ++r) {
    int best = 0;
    for (int p = 1; p < palettes; ++p) {
      if (errors[static_cast<std::size_t>(r * palettes + p)] <
          errors[static_cast<std::size_t>(r * palettes + best)]) {
        best = p;
      }
    }
    changed = changed || fit.ofRegion[static_cast<std::size_t>(r)] != best;
    fit.ofRegion[static_cast<std::size_t>(r)] = best;
  }
  return changed;
}

// Sub-palettes for any picture: regions are first grouped by their mean
// colour, then each group's four colours are chosen for its pixels and each
// region moves to the group that shows it best, until nothing moves.
PaletteFit choosePalettes(const Layout& layout, const PictureColours& colours,
                          const ColourGroups& groups, bool shared, const Progress& progress) {
  const int regions = layout.regions();
  // Each region's pixels by colour group, and its mean.
  std::vector<Histogram> ofRegion(static_cast<std::size_t>(regions));
  std::vector<Lab3> means(static_cast<std::size_t>(regions));
  {
    std::vector<int> inRegion;
    for (int r = 0; r < regions; ++r) {
      const int left = (r % layout.regionsX()) * kRegion;
      const int top = (r / layout.regionsX()) * kRegion;
      std::array<double, 3> sum{0, 0, 0};
      inRegion.clear();
      for (int y = top; y < top + kRegion; ++y) {
        for (int x = left; x < left + kRegion; ++x) {
          const std::uint32_t c = colours.ofPixel[static_cast<std::size_t>(y * layout.width + x)];
          inRegion.push_back(groups.ofColour[c]);
          sum[0] += colours.lab[c].L;
          sum[1] += colours.lab[c].a;
          sum[2] += colours.lab[c].b;
        }
      }
      std::sort(inRegion.begin(), inRegion.end());
      Histogram& histogram = ofRegion[static_cast<std::size_t>(r)];
      for (const int g : inRegion) {
        if (histogram.empty() || histogram.back().first != g) {
          histogram.emplace_back(g, 0);
        }
        histogram.back().second += 1;
      }
      const double area = kRegion * kRegion;
      means[static_cast<std::size_t>(r)] = {static_cast<float>(sum[0] / area),
                                            static_cast<float>(sum[1] / area),
                                            static_cast<float>(sum[2] / area)};
    }
  }
  progress.at(10);

  // Groups of regions by their means: the first centre is the region
  // farthest from the mean of all, each next the region farthest from the
  // centres so far and from that mean.
  PaletteFit fit;
  const int palettes = layout.palettes;
  fit.ofRegion.assign(static_cast<std::size_t>(regions), 0);
  if (palettes > 1) {
    Lab3 all;
    for (const Lab3& m : means) {
      all.L += m.L / static_cast<float>(regions);
      all.a += m.a / static_cast<float>(regions);
      all.b += m.b / static_cast<float>(regions);
    }
    std::vector<float> nearest(static_cast<std::size_t>(regions));
    for (int r = 0; r < regions; ++r) {
      nearest[static_cast<std::size_t>(r)] = distance2(means[static_cast<std::size_t>(r)], all);
    }
    std::vector<Lab3> centres;
    while (static_cast<int>(centres.size()) < palettes) {
      const auto far = std::max_element(nearest.begin(), nearest.end()) - nearest.begin();
      centres.push_back(means[static_cast<std::size_t>(far)]);
      for (int r = 0; r < regions; ++r) {
        nearest[static_cast<std::size_t>(r)] =
            std::min(nearest[static_cast<std::size_t>(r)],
                     distance2(means[static_cast<std::size_t>(r)], centres.back()));
      }
    }
    for (int pass = 0; pass < 8; ++pass) {
      std::vector<std::array<double, 4>> sums(centres.size(), {0, 0, 0, 0});
      for (int r = 0; r < regions; ++r) {
        int best = 0;
        for (int c = 1; c < palettes; ++c) {
          if (distance2(means[static_cast<std::size_t>(r)], centres[static_cast<std::size_t>(c)]) <
              distance2(means[static_cast<std::size_t>(r)],
                        centres[static_cast<std::size_t>(best)])) {
            best = c;
          }
        }
        fit.ofRegion[static_cast<std::size_t>(r)] = best;
        auto& sum = sums[static_cast<std::size_t>(best)];
        sum[0] += means[static_cast<std::size_t>(r)].L;
        sum[1] += means[static_cast<std::size_t>(r)].a;
        sum[2] += means[static_cast<std::size_t>(r)].b;
        sum[3] += 1;
      }
      for (std::size_t c = 0; c < centres.size(); ++c) {
        if (sums[c][3] > 0) {
          centres[c] = {static_cast<float>(sums[c][0] / sums[c][3]),
                        static_cast<float>(sums[c][1] / sums[c][3]),
                        static_cast<float>(sums[c][2] / sums[c][3])};
        }
      }
    }
  }

  Histogram whole;
  {
    std::vector<double> dense(static_cast<std::size_t>(groups.count), 0);
    for (std::size_t c = 0; c < colours.pixels.size(); ++c) {
      dense[static_cast<std::size_t>(groups.ofColour[c])] += colours.pixels[c];
    }
    whole = histogramOf(dense);
  }
  const int sharedColour = shared ? bestSingle(groups, whole) : -1;
  std::vector<std::array<int, kSlots>> chosen(static_cast<std::size_t>(palettes),
                                              {sharedColour, -1, -1, -1});
  const int firstFree = shared ? 1 : 0;
  for (int round = 0; round < 6; ++round) {
    std::vector<Histogram> ofGroup;
    for (int p = 0; p < palettes; ++p) {
      std::vector<double> dense(static_cast<std::size_t>(groups.count), 0);
      for (int r = 0; r < regions; ++r) {
        if (fit.ofRegion[static_cast<std::size_t>(r)] == p) {
          for (const auto& [g, w] : ofRegion[static_cast<std::size_t>(r)]) {
            dense[static_cast<std::size_t>(g)] += w;
          }
        }
      }
      ofGroup.push_back(histogramOf(dense));
      // A sub-palette no region takes is chosen for the whole picture.
      improveSubPalette(groups, ofGroup.back().empty() ? whole : ofGroup.back(),
                        chosen[static_cast<std::size_t>(p)], firstFree);
    }
    if (shared) {
      // The shared colour that serves every sub-palette best, theirs kept.
      int best = chosen[0][0];
      double bestError = 1e300;
      std::vector<std::vector<float>> others;
      for (int p = 0; p < palettes; ++p) {
        others.push_back(leastDistances(groups, ofGroup[static_cast<std::size_t>(p)],
                                        chosen[static_cast<std::size_t>(p)], 0));
      }
      for (const int k : groups.console.candidates) {
        double error = 0;
        for (int p = 0; p < palettes; ++p) {
          error += histogramError(groups, ofGroup[static_cast<std::size_t>(p)],
                                  others[static_cast<std::size_t>(p)], k);
        }
        if (error < bestError) {
          bestError = error;
          best = k;
        }
      }
      for (auto& c : chosen) {
        c[0] = best;
      }
    }
    fit.subs.assign(chosen.begin(), chosen.end());
    progress.at(12 + round * 5);
    if (!assignRegions(layout, colours, groups, fit) && round > 0) {
      break;
    }
  }
  return fit;
}

std::vector<Looks> looksOf(const std::vector<SubPalette>& subs, const ConsoleColours& console) {
  std::vector<Looks> looks;
  for (const SubPalette& sub : subs) {
    Looks look;
    for (int s = 0; s < kSlots; ++s) {
      look[static_cast<std::size_t>(s)] =
          console.lab[static_cast<std::size_t>(sub[static_cast<std::size_t>(s)] & 0x3F)];
    }
    looks.push_back(look);
  }
  return looks;
}

// ---- Colour slots of the pixels ----

constexpr std::array<int, 16> kBayer4{0, 8, 2, 10, 12, 4, 14, 6, 3, 11, 1, 9, 15, 7, 13, 5};

// Every pixel's colour slot in its region's sub-palette: the nearest colour,
// or with ordered dither a mix of the two nearest in the measure the pixel
// lies between them.
// The square of the CIEDE2000 difference between every pixel's colour and
// each colour of its region's sub-palette, worked out once for each colour
// and sub-palette that meet.
std::vector<SlotCosts> costsOf(const Layout& layout, const PictureColours& colours,
                               const std::vector<SubPalette>& subs,
                               const std::vector<int>& ofRegion, const ConsoleColours& console) {
  const std::size_t palettes = subs.size();
  std::vector<int> known(colours.colours.size() * palettes, -1);
  std::vector<SlotCosts> worked;
  std::vector<SlotCosts> costs(colours.ofPixel.size());
  for (int y = 0; y < layout.height; ++y) {
    for (int x = 0; x < layout.width; ++x) {
      const auto at = static_cast<std::size_t>(y * layout.width + x);
      const auto p =
          static_cast<std::size_t>(ofRegion[static_cast<std::size_t>(layout.regionOfPixel(x, y))]);
      int& index = known[colours.ofPixel[at] * palettes + p];
      if (index < 0) {
        const Lab3& c = colours.lab[colours.ofPixel[at]];
        const Lab lab{c.L, c.a, c.b};
        SlotCosts slotCosts;
        for (int k = 0; k < kSlots; ++k) {
          const double d = deltaE2000(
              lab,
              console.exactLab[static_cast<std::size_t>(console.columnOf[static_cast<std::size_t>(
                  subs[p][static_cast<std::size_t>(k)] & 0x3F)])]);
          slotCosts[static_cast<std::size_t>(k)] = static_cast<float>(d * d);
        }
        index = static_cast<int>(worked.size());
        worked.push_back(slotCosts);
      }
      costs[at] = worked[static_cast<std::size_t>(index)];
    }
  }
  return costs;
}

// Every pixel's colour slot in its region's sub-palette: the nearest colour
// by CIEDE2000, or with ordered dither a mix of two colours in the measure
// the pixel lies between them.
std::vector<std::uint8_t> slotsOf(const Layout& layout, const PictureColours& colours,
                                  const std::vector<Looks>& looks, const std::vector<int>& ofRegion,
                                  const std::vector<SlotCosts>& costs, Dither dither) {
  std::vector<std::uint8_t> slots(static_cast<std::size_t>(layout.width * layout.height));
  for (int y = 0; y < layout.height; ++y) {
    for (int x = 0; x < layout.width; ++x) {
      const auto at = static_cast<std::size_t>(y * layout.width + x);
      const Lab3& p = colours.lab[colours.ofPixel[at]];
      const auto& look = looks[static_cast<std::size_t>(
          ofRegion[static_cast<std::size_t>(layout.regionOfPixel(x, y))])];
      int first = static_cast<int>(std::min_element(costs[at].begin(), costs[at].end()) -
                                   costs[at].begin());
      if (dither == Dither::Ordered) {
        // The two colours whose mix comes nearest the pixel, mixed in the
        // measure the pixel lies between them: the second where the matrix's
        // threshold lies below that measure.
        float nearest = distance2(p, look[static_cast<std::size_t>(first)]);
        int from = first;
        int to = first;
        float along = 0;
        for (int i = 0; i < kSlots; ++i) {
          for (int j = i + 1; j < kSlots; ++j) {
            const Lab3& a = look[static_cast<std::size_t>(i)];
            const Lab3& b = look[static_cast<std::size_t>(j)];
            const float apart = distance2(a, b);
            if (apart <= 0) {
              continue;
            }
            const float t = std::clamp(((p.L - a.L) * (b.L - a.L) + (p.a - a.a) * (b.a - a.a) +
                                        (p.b - a.b) * (b.b - a.b)) /
                                           apart,
                                       0.0f, 1.0f);
            const Lab3 mix{a.L + t * (b.L - a.L), a.a + t * (b.a - a.a), a.b + t * (b.b - a.b)};
            const float d = distance2(p, mix);
            if (d < nearest) {
              nearest = d;
              from = i;
              to = j;
              along = t;
            }
          }
        }
        const float threshold =
            (static_cast<float>(kBayer4[static_cast<std::size_t>((y & 3) * 4 + (x & 3))]) + 0.5f) /
            16.0f;
        first = along > threshold ? to : from;
      }
      slots[at] = static_cast<std::uint8_t>(first);
    }
  }
  return slots;
}

// ---- Tiles ----

// A tile's slots two bits each, for counting distinct tiles quickly.
using PackedTile = std::pair<std::uint64_t, std::uint64_t>;

PackedTile packed(const Pattern& pattern, const std::array<int, kSlots>& to) {
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
std::vector<std::array<int, kSlots>> slotOrders(bool shared) {
  std::vector<std::array<int, kSlots>> orders;
  std::array<int, kSlots> order{0, 1, 2, 3};
  do {
    if (!shared || order[0] == 0) {
      orders.push_back(order);
    }
  } while (std::next_permutation(order.begin(), order.end()));
  return orders;
}

void applyOrders(PaletteFit& fit, const std::vector<std::array<int, kSlots>>& orders) {
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
                const std::vector<std::array<int, kSlots>>& orders) {
  for (int y = 0; y < layout.height; ++y) {
    for (int x = 0; x < layout.width; ++x) {
      std::uint8_t& slot = slots[static_cast<std::size_t>(y * layout.width + x)];
      slot = static_cast<std::uint8_t>(orders[static_cast<std::size_t>(
          fit.ofRegion[static_cast<std::size_t>(layout.regionOfPixel(x, y))])][slot]);
    }
  }
}

// Puts each sub-palette's colours in the order of how many pixels show
// them, the most first (a shared first colour stays first): the first
// sub-palette keeps that order, and the first slot, which blank tiles show,
// holds the background.
void byUse(const Layout& layout, PaletteFit& fit, std::vector<std::uint8_t>& slots, bool shared) {
  std::vector<std::array<long, kSlots>> uses(fit.subs.size(), {0, 0, 0, 0});
  for (int y = 0; y < layout.height; ++y) {
    for (int x = 0; x < layout.width; ++x) {
      ++uses[static_cast<std::size_t>(fit.ofRegion[static_cast<std::size_t>(
          layout.regionOfPixel(x, y))])][slots[static_cast<std::size_t>(y * layout.width + x)]];
    }
  }
  std::vector<std::array<int, kSlots>> orders;
  for (const auto& use : uses) {
    std::array<int, kSlots> byCount{0, 1, 2, 3};
    std::stable_sort(byCount.begin() + (shared ? 1 : 0), byCount.end(), [&use](int a, int b) {
      return use[static_cast<std::size_t>(a)] > use[static_cast<std::size_t>(b)];
    });
    std::array<int, kSlots> order;  // new slot of each old one
    for (int k = 0; k < kSlots; ++k) {
      order[static_cast<std::size_t>(byCount[static_cast<std::size_t>(k)])] = k;
    }
    orders.push_back(order);
  }
  applyOrders(fit, orders);
  remapSlots(layout, fit, slots, orders);
}

// Orders the slots of each sub-palette after the first so that the tiles of
// differently coloured regions come out alike where they can: each in turn
// takes the order that leaves the fewest distinct tiles. A shared first
// colour stays first.
void orderSlots(const Layout& layout, PaletteFit& fit, std::vector<std::uint8_t>& slots,
                bool shared) {
  const std::vector<std::array<int, kSlots>> orders = slotOrders(shared);
  const std::vector<Pattern> patterns = patternsOf(layout, slots);
  std::vector<int> paletteOfTile;
  for (int ty = 0; ty < layout.tilesY(); ++ty) {
    for (int tx = 0; tx < layout.tilesX(); ++tx) {
      paletteOfTile.push_back(fit.ofRegion[static_cast<std::size_t>(layout.regionOfTile(tx, ty))]);
    }
  }
  std::vector<std::array<int, kSlots>> chosen(fit.subs.size(), orders.front());
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

// For a picture shown exactly: the order of every sub-palette's slots, and
// the sub-palette of every region that fits several, so that the picture
// takes as few distinct tiles as it can. Tiles of regions already settled
// are the reference; each sub-palette in turn (those with the most regions
// that fit no other first) takes the order in which the regions that fit
// only it (or, with none, all it could show) find the most of their tiles
// there, and claims those that find all four there, as long as more do,
// then those that find three, two and one. Regions left over take, twice
// over, the sub-palette in which their tiles are most common.
void arrangeExactly(const Layout& layout, const PictureColours& colours, PaletteFit& fit,
                    bool shared, bool keepOrders) {
  const int palettes = static_cast<int>(fit.subs.size());
  const int regions = layout.regions();
  // Every region's four tiles in the slots of each sub-palette as it stands.
  std::vector<std::array<Pattern, 4>> tilesIn(static_cast<std::size_t>(regions * palettes));
  for (int region = 0; region < regions; ++region) {
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
  // A kept palette keeps its order too.
  std::vector<std::array<int, kSlots>> orders = slotOrders(shared);
  if (keepOrders) {
    orders.resize(1);
  }
  std::vector<std::array<int, kSlots>> chosen(static_cast<std::size_t>(palettes), orders.front());
  const auto tileOf = [&](int region, int p, int t) {
    Pattern tile =
        tilesIn[static_cast<std::size_t>(region * palettes + p)][static_cast<std::size_t>(t)];
    for (std::uint8_t& slot : tile) {
      slot = static_cast<std::uint8_t>(chosen[static_cast<std::size_t>(p)][slot]);
    }
    return tile;
  };
  std::vector<bool> claimed(static_cast<std::size_t>(regions), false);
  std::map<Pattern, int> count;
  const auto claim = [&](int region, int p) {
    claimed[static_cast<std::size_t>(region)] = true;
    fit.ofRegion[static_cast<std::size_t>(region)] = p;
    for (int t = 0; t < 4; ++t) {
      ++count[tileOf(region, p, t)];
    }
  };
  std::vector<int> only(static_cast<std::size_t>(palettes), 0);
  for (int region = 0; region < regions; ++region) {
    const std::vector<int>& choices = fit.choices[static_cast<std::size_t>(region)];
    only[static_cast<std::size_t>(choices.front())] += choices.size() == 1 ? 1 : 0;
  }
  std::vector<int> turn(static_cast<std::size_t>(palettes));
  std::iota(turn.begin(), turn.end(), 0);
  std::stable_sort(turn.begin(), turn.end(), [&only](int x, int y) {
    return only[static_cast<std::size_t>(x)] > only[static_cast<std::size_t>(y)];
  });
  for (std::size_t i = 0; i < turn.size(); ++i) {
    const int p = turn[i];
    const auto found = [&](int region) {
      int n = 0;
      for (int t = 0; t < 4; ++t) {
        n += count.count(tileOf(region, p, t)) > 0 ? 1 : 0;
      }
      return n;
    };
    std::vector<int> open;
    for (int region = 0; region < regions; ++region) {
      const std::vector<int>& choices = fit.choices[static_cast<std::size_t>(region)];
      if (!claimed[static_cast<std::size_t>(region)] &&
          std::find(choices.begin(), choices.end(), p) != choices.end()) {
        open.push_back(region);
      }
    }
    // The order is the one the regions that fit no other sub-palette want:
    // those that fit others too may belong there, and outnumber them.
    std::vector<int> voters;
    for (const int region : open) {
      if (fit.choices[static_cast<std::size_t>(region)].size() == 1) {
        voters.push_back(region);
      }
    }
    if (voters.empty()) {
      voters = open;
    }
    if (i > 0) {
      int bestFound = -1;
      std::array<int, kSlots> best = orders.front();
      for (const auto& order : orders) {
        chosen[static_cast<std::size_t>(p)] = order;
        int total = 0;
        for (const int region : voters) {
          total += found(region);
        }
        if (total > bestFound) {
          bestFound = total;
          best = order;
        }
      }
      chosen[static_cast<std::size_t>(p)] = best;
    }
    // Regions with no other choice, then again and again those whose tiles
    // are known by now, the best known first; with nothing known yet, the
    // first region seeds.
    for (const int region : open) {
      if (fit.choices[static_cast<std::size_t>(region)].size() == 1) {
        claim(region, p);
      }
    }
    if (count.empty() && !open.empty()) {
      claim(open.front(), p);
    }
    for (int need = 4; need > 0; --need) {
      for (bool more = true; more;) {
        more = false;
        for (const int region : open) {
          if (!claimed[static_cast<std::size_t>(region)] && found(region) >= need) {
            claim(region, p);
            more = true;
          }
        }
      }
    }
  }
  for (int pass = 0; pass < 2; ++pass) {
    for (int region = 0; region < regions; ++region) {
      const std::vector<int>& choices = fit.choices[static_cast<std::size_t>(region)];
      if (choices.size() < 2 || (pass == 0 && claimed[static_cast<std::size_t>(region)])) {
        continue;
      }
      int& p = fit.ofRegion[static_cast<std::size_t>(region)];
      if (claimed[static_cast<std::size_t>(region)]) {
        for (int t = 0; t < 4; ++t) {
          --count[tileOf(region, p, t)];
        }
      }
      int bestFound = -1;
      int best = p;
      for (const int q : choices) {
        int n = 0;
        for (int t = 0; t < 4; ++t) {
          const auto it = count.find(tileOf(region, q, t));
          n += it == count.end() ? 0 : it->second;
        }
        if (n > bestFound) {
          bestFound = n;
          best = q;
        }
      }
      claim(region, best);
    }
  }
  applyOrders(fit, chosen);
}

// The sub-palettes of a kept palette that show each region exactly, or
// nothing when some region has none.
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

}  // namespace

SlotPicture fitColours(const Layout& layout, const PictureColours& colours,
                       const ConsoleColours& console, const ImportOptions& options,
                       const std::optional<std::vector<SubPalette>>& kept,
                       const Progress& progress) {
  PaletteFit fit;
  const bool shared = options.sharedBackground && layout.palettes > 1;
  std::optional<PaletteFit> packed;
  if (kept) {
    fit.subs = *kept;
    if (colours.allExact && (packed = choicesIn(layout, colours, *kept))) {
      fit = std::move(*packed);
      fit.ofRegion.clear();
      for (const std::vector<int>& choices : fit.choices) {
        fit.ofRegion.push_back(choices.front());
      }
    } else {
      assignRegions(layout, colours, groupColours(colours, console), fit);
    }
  } else if (colours.allExact && (packed = packExactly(layout, colours, shared, progress))) {
    fit = std::move(*packed);
  } else {
    fit = choosePalettes(layout, colours, groupColours(colours, console), shared, progress);
  }
  progress.at(40);
  if (packed) {
    arrangeExactly(layout, colours, fit, shared, kept.has_value());
  }
  SlotPicture picture;
  std::vector<SlotCosts> costs = costsOf(layout, colours, fit.subs, fit.ofRegion, console);
  picture.slots =
      slotsOf(layout, colours, looksOf(fit.subs, console), fit.ofRegion, costs, options.dither);
  if (!packed && !kept) {
    const std::vector<SubPalette> before = fit.subs;
    byUse(layout, fit, picture.slots, shared);
    orderSlots(layout, fit, picture.slots, shared);
    // The costs follow the colours to their new slots.
    for (int y = 0; y < layout.height; ++y) {
      for (int x = 0; x < layout.width; ++x) {
        const auto at = static_cast<std::size_t>(y * layout.width + x);
        const auto p = static_cast<std::size_t>(
            fit.ofRegion[static_cast<std::size_t>(layout.regionOfPixel(x, y))]);
        const SlotCosts old = costs[at];
        for (std::size_t k = 0; k < kSlots; ++k) {
          costs[at][k] = old[static_cast<std::size_t>(
              std::find(before[p].begin(), before[p].end(), fit.subs[p][k]) - before[p].begin())];
        }
      }
    }
  }
  picture.subs = fit.subs;
  picture.looks = looksOf(fit.subs, console);
  picture.ofRegion = fit.ofRegion;
  if (options.dither == Dither::Ordered) {
    // A dithered pixel should show the colour its slot shows.
    for (int y = 0; y < layout.height; ++y) {
      for (int x = 0; x < layout.width; ++x) {
        const auto at = static_cast<std::size_t>(y * layout.width + x);
        const SubPalette& sub = fit.subs[static_cast<std::size_t>(
            fit.ofRegion[static_cast<std::size_t>(layout.regionOfPixel(x, y))])];
        const Lab& shown = console.exactLab[static_cast<std::size_t>(
            console.columnOf[static_cast<std::size_t>(sub[picture.slots[at]] & 0x3F)])];
        for (std::size_t k = 0; k < kSlots; ++k) {
          const double d =
              deltaE2000(shown, console.exactLab[static_cast<std::size_t>(
                                    console.columnOf[static_cast<std::size_t>(sub[k] & 0x3F)])]);
          costs[at][k] = static_cast<float>(d * d);
        }
      }
    }
  }
  picture.costs = std::move(costs);
  progress.at(45);
  return picture;
}

}  // namespace tarvo::picture_fit
