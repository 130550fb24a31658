#include "screens/picture_palette_choice.h"

#include <algorithm>
#include <array>
#include <utility>

namespace tarvo::picture_fit {

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

namespace {

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

}  // namespace

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

namespace {

// Each region's pixels by colour group, and its mean colour.
struct RegionLooks {
  std::vector<Histogram> histograms;
  std::vector<Lab3> means;
};

RegionLooks regionLooks(const Layout& layout, const PictureColours& colours,
                        const ColourGroups& groups) {
  const int regions = layout.regions();
  RegionLooks looks{std::vector<Histogram>(static_cast<std::size_t>(regions)),
                    std::vector<Lab3>(static_cast<std::size_t>(regions))};
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
    Histogram& histogram = looks.histograms[static_cast<std::size_t>(r)];
    for (const int g : inRegion) {
      if (histogram.empty() || histogram.back().first != g) {
        histogram.emplace_back(g, 0);
      }
      histogram.back().second += 1;
    }
    const double area = kRegion * kRegion;
    looks.means[static_cast<std::size_t>(r)] = {static_cast<float>(sum[0] / area),
                                                static_cast<float>(sum[1] / area),
                                                static_cast<float>(sum[2] / area)};
  }
  return looks;
}

// The first centres of the regions' grouping: the region farthest from the
// mean of all, each next the region farthest from the centres so far and
// from that mean.
std::vector<Lab3> farthestCentres(const std::vector<Lab3>& means, int palettes) {
  const int regions = static_cast<int>(means.size());
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
  return centres;
}

// The sub-palette of every region, from groups of regions by their means.
std::vector<int> groupByMean(const std::vector<Lab3>& means, int palettes) {
  const int regions = static_cast<int>(means.size());
  std::vector<int> ofRegion(static_cast<std::size_t>(regions), 0);
  if (palettes <= 1) {
    return ofRegion;
  }
  std::vector<Lab3> centres = farthestCentres(means, palettes);
  for (int pass = 0; pass < 8; ++pass) {
    std::vector<std::array<double, 4>> sums(centres.size(), {0, 0, 0, 0});
    for (int r = 0; r < regions; ++r) {
      const Lab3& mean = means[static_cast<std::size_t>(r)];
      int best = 0;
      for (int c = 1; c < palettes; ++c) {
        if (distance2(mean, centres[static_cast<std::size_t>(c)]) <
            distance2(mean, centres[static_cast<std::size_t>(best)])) {
          best = c;
        }
      }
      ofRegion[static_cast<std::size_t>(r)] = best;
      auto& sum = sums[static_cast<std::size_t>(best)];
      sum[0] += mean.L;
      sum[1] += mean.a;
      sum[2] += mean.b;
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
  return ofRegion;
}

// The whole picture's pixels by colour group.
Histogram wholeHistogram(const PictureColours& colours, const ColourGroups& groups) {
  std::vector<double> dense(static_cast<std::size_t>(groups.count), 0);
  for (std::size_t c = 0; c < colours.pixels.size(); ++c) {
    dense[static_cast<std::size_t>(groups.ofColour[c])] += colours.pixels[c];
  }
  return histogramOf(dense);
}

// The pixels by colour group of the regions that sub-palette `p` shows.
Histogram histogramOfPalette(const ColourGroups& groups, const RegionLooks& regions,
                             const std::vector<int>& ofRegion, int p) {
  std::vector<double> dense(static_cast<std::size_t>(groups.count), 0);
  for (std::size_t r = 0; r < ofRegion.size(); ++r) {
    if (ofRegion[r] == p) {
      for (const auto& [g, w] : regions.histograms[r]) {
        dense[static_cast<std::size_t>(g)] += w;
      }
    }
  }
  return histogramOf(dense);
}

// The shared first colour that serves every sub-palette best, their other
// colours kept.
int bestSharedColour(const ColourGroups& groups, const std::vector<Histogram>& ofPalette,
                     const std::vector<SubPalette>& chosen) {
  int best = chosen[0][0];
  double bestError = 1e300;
  std::vector<std::vector<float>> others;
  for (std::size_t p = 0; p < ofPalette.size(); ++p) {
    others.push_back(leastDistances(groups, ofPalette[p], chosen[p], 0));
  }
  for (const int k : groups.console.candidates) {
    double error = 0;
    for (std::size_t p = 0; p < ofPalette.size(); ++p) {
      error += histogramError(groups, ofPalette[p], others[p], k);
    }
    if (error < bestError) {
      bestError = error;
      best = k;
    }
  }
  return best;
}

}  // namespace

PaletteFit choosePalettes(const Layout& layout, const PictureColours& colours,
                          const ColourGroups& groups, bool shared, const Progress& progress) {
  const RegionLooks regions = regionLooks(layout, colours, groups);
  progress.at(10);
  const int palettes = layout.palettes;
  PaletteFit fit;
  fit.ofRegion = groupByMean(regions.means, palettes);
  const Histogram whole = wholeHistogram(colours, groups);
  const int sharedColour = shared ? bestSingle(groups, whole) : -1;
  std::vector<SubPalette> chosen(static_cast<std::size_t>(palettes), {sharedColour, -1, -1, -1});
  const int firstFree = shared ? 1 : 0;
  for (int round = 0; round < 6; ++round) {
    std::vector<Histogram> ofPalette;
    for (int p = 0; p < palettes; ++p) {
      ofPalette.push_back(histogramOfPalette(groups, regions, fit.ofRegion, p));
      // A sub-palette no region takes is chosen for the whole picture.
      improveSubPalette(groups, ofPalette.back().empty() ? whole : ofPalette.back(),
                        chosen[static_cast<std::size_t>(p)], firstFree);
    }
    if (shared) {
      const int best = bestSharedColour(groups, ofPalette, chosen);
      for (SubPalette& c : chosen) {
        c[0] = best;
      }
    }
    fit.subs = chosen;
    progress.at(12 + round * 5);
    if (!assignRegions(layout, colours, groups, fit) && round > 0) {
      break;
    }
  }
  return fit;
}

}  // namespace tarvo::picture_fit
