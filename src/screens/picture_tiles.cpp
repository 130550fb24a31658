#include "screens/picture_tiles.h"

#include <algorithm>

namespace tarvo::picture_fit {

PlaceCosts::PlaceCosts(const Layout& layout, const SlotPicture& picture) : places_(layout.tiles()) {
  costs_.resize(static_cast<std::size_t>(places_ * kPixels * kSlots));
  float* c = costs_.data();
  for (int ty = 0; ty < layout.tilesY(); ++ty) {
    for (int tx = 0; tx < layout.tilesX(); ++tx) {
      for (int k = 0; k < kPixels; ++k) {
        const SlotCosts& pixel = picture.costs[static_cast<std::size_t>(
            (ty * kTile + k / kTile) * layout.width + tx * kTile + k % kTile)];
        c = std::copy(pixel.begin(), pixel.end(), c);
      }
    }
  }
}

Pattern PlaceCosts::cheapest(int place) const {
  const float* c = at(place);
  Pattern pattern;
  for (int k = 0; k < kPixels; ++k) {
    const float* s = c + k * kSlots;
    pattern[static_cast<std::size_t>(k)] =
        static_cast<std::uint8_t>(std::min_element(s, s + kSlots) - s);
  }
  return pattern;
}

namespace {

// SplitMix64, for choosing the first tiles of a clustering the same way every time.
class Sequence {
 public:
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  // A number in [0, 1).
  double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

 private:
  std::uint64_t state_ = 0x5441525630ULL;
};

// The places' own tiles, each distinct one once, in the order first met.
TileSet distinctTiles(const std::vector<Pattern>& places) {
  TileSet set;
  numberDistinct(places, set.patterns, set.ofPlace);
  return set;
}

// The first tiles of the clustering, k-means++ from a fixed start: each
// next tile is the cheapest for a place picked with a chance in the measure
// of its cost in the nearest tile so far. Fills every place's nearest tile
// and its cost.
void seedTiles(const PlaceCosts& costs, int limit, const Progress& progress, TileSet& set,
               std::vector<float>& nearest) {
  const int places = costs.places();
  Sequence sequence;
  nearest.assign(static_cast<std::size_t>(places), kFar);
  set.ofPlace.assign(static_cast<std::size_t>(places), 0);
  int first = static_cast<int>(sequence.next() % static_cast<std::uint64_t>(places));
  set.patterns.push_back(costs.cheapest(first));
  for (;;) {
    const Pattern& added = set.patterns.back();
    const int number = static_cast<int>(set.patterns.size()) - 1;
    double total = 0;
    for (int p = 0; p < places; ++p) {
      const float c = costs.of(p, added, nearest[static_cast<std::size_t>(p)]);
      if (c < nearest[static_cast<std::size_t>(p)]) {
        nearest[static_cast<std::size_t>(p)] = c;
        set.ofPlace[static_cast<std::size_t>(p)] = number;
      }
      total += nearest[static_cast<std::size_t>(p)];
    }
    if (static_cast<int>(set.patterns.size()) == limit || total <= 0) {
      break;
    }
    if (set.patterns.size() % 32 == 0) {
      progress.at(45 + static_cast<int>(set.patterns.size()) * 15 / limit);
    }
    double pick = sequence.unit() * total;
    int chosen = places - 1;
    for (int p = 0; p < places; ++p) {
      pick -= nearest[static_cast<std::size_t>(p)];
      if (pick < 0 && nearest[static_cast<std::size_t>(p)] > 0) {
        chosen = p;
        break;
      }
    }
    set.patterns.push_back(costs.cheapest(chosen));
  }
}

// Each tile, pixel by pixel, the slot cheapest for its places; a tile no
// place took becomes the place that its tile fits worst.
void recentre(const PlaceCosts& costs, const std::vector<float>& nearest, TileSet& set) {
  const int places = costs.places();
  const int count = static_cast<int>(set.patterns.size());
  std::vector<double> sums(static_cast<std::size_t>(count * kPixels * kSlots), 0.0);
  std::vector<int> members(static_cast<std::size_t>(count), 0);
  for (int p = 0; p < places; ++p) {
    const int t = set.ofPlace[static_cast<std::size_t>(p)];
    ++members[static_cast<std::size_t>(t)];
    const float* c = costs.at(p);
    double* s = sums.data() + static_cast<std::size_t>(t * kPixels * kSlots);
    for (int i = 0; i < kPixels * kSlots; ++i) {
      s[i] += c[i];
    }
  }
  std::vector<bool> reseeded(static_cast<std::size_t>(places), false);
  for (int t = 0; t < count; ++t) {
    if (members[static_cast<std::size_t>(t)] == 0) {
      int worst = -1;
      for (int p = 0; p < places; ++p) {
        if (!reseeded[static_cast<std::size_t>(p)] &&
            (worst < 0 ||
             nearest[static_cast<std::size_t>(p)] > nearest[static_cast<std::size_t>(worst)])) {
          worst = p;
        }
      }
      reseeded[static_cast<std::size_t>(worst)] = true;
      set.patterns[static_cast<std::size_t>(t)] = costs.cheapest(worst);
      continue;
    }
    const double* s = sums.data() + static_cast<std::size_t>(t * kPixels * kSlots);
    for (int k = 0; k < kPixels; ++k) {
      set.patterns[static_cast<std::size_t>(t)][static_cast<std::size_t>(k)] =
          static_cast<std::uint8_t>(std::min_element(s + k * kSlots, s + (k + 1) * kSlots) -
                                    (s + k * kSlots));
    }
  }
}

// Each place the tile that shows it best, its own kept on a tie. Returns how
// many places moved.
int reassign(const PlaceCosts& costs, std::vector<float>& nearest, TileSet& set) {
  int moved = 0;
  for (int p = 0; p < costs.places(); ++p) {
    int best = set.ofPlace[static_cast<std::size_t>(p)];
    float bestCost = costs.of(p, set.patterns[static_cast<std::size_t>(best)]);
    for (int t = 0; t < static_cast<int>(set.patterns.size()); ++t) {
      const float c = costs.of(p, set.patterns[static_cast<std::size_t>(t)], bestCost);
      if (c < bestCost) {
        bestCost = c;
        best = t;
      }
    }
    moved += best != set.ofPlace[static_cast<std::size_t>(p)] ? 1 : 0;
    set.ofPlace[static_cast<std::size_t>(p)] = best;
    nearest[static_cast<std::size_t>(p)] = bestCost;
  }
  return moved;
}

// At most `limit` tiles for all the places, chosen by k-means on the places'
// colour costs: k-means++ seeding from a fixed start, then passes that give
// every place its cheapest tile and every tile, pixel by pixel, the slot
// cheapest for its places.
TileSet clusterTiles(const PlaceCosts& costs, int limit, const Progress& progress) {
  TileSet set;
  std::vector<float> nearest;
  seedTiles(costs, limit, progress, set, nearest);
  for (int pass = 0; pass < 4; ++pass) {
    progress.at(60 + pass * 6);
    recentre(costs, nearest, set);
    // Passes after the first few move few places, and those little.
    if (reassign(costs, nearest, set) * 500 < costs.places()) {
      break;
    }
  }
  // Tiles that came out alike, and tiles no place shows, go.
  std::vector<Pattern> shown;
  for (const int t : set.ofPlace) {
    shown.push_back(set.patterns[static_cast<std::size_t>(t)]);
  }
  return distinctTiles(shown);
}

}  // namespace

TileSet fitTiles(const Layout& layout, const SlotPicture& picture, const PlaceCosts& costs,
                 const Progress& progress) {
  TileSet set = distinctTiles(patternsOf(layout, picture.slots));
  if (static_cast<int>(set.patterns.size()) <= rom::kBankTiles) {
    return set;
  }
  return clusterTiles(costs, rom::kBankTiles, progress);
}

}  // namespace tarvo::picture_fit
