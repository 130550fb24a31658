#include "screens/picture_metatiles.h"

#include <utility>

namespace tarvo::picture_fit {

namespace {

constexpr int kCells = rom::kMapColumns * rom::kMapRows;

// The tile place of tile k of map cell `cell`.
int placeOf(int cell, int k) {
  const int tx = (cell % rom::kMapColumns) * 4 + k % 4;
  const int ty = (cell / rom::kMapColumns) * 4 + k / 4;
  return ty * rom::kMapColumns * 4 + tx;
}

MetatileSet distinctMetatiles(const std::vector<Metatile>& cells) {
  MetatileSet set;
  numberDistinct(cells, set.metatiles, set.ofCell);
  return set;
}

// The tiles of every map cell.
std::vector<Metatile> cellMetatiles(const TileSet& tiles) {
  std::vector<Metatile> ofCell(static_cast<std::size_t>(kCells));
  for (int cell = 0; cell < kCells; ++cell) {
    for (int k = 0; k < rom::kMetatileTiles; ++k) {
      ofCell[static_cast<std::size_t>(cell)][static_cast<std::size_t>(k)] =
          tiles.ofPlace[static_cast<std::size_t>(placeOf(cell, k))];
    }
  }
  return ofCell;
}

// How far tile b's colours lie from tile a's in each sub-palette p:
// [(p * tiles + a) * tiles + b].
std::vector<float> tilesApart(const SlotPicture& picture, const TileSet& tiles) {
  const int palettes = static_cast<int>(picture.subs.size());
  const int tileCount = static_cast<int>(tiles.patterns.size());
  std::vector<float> apart(static_cast<std::size_t>(palettes * tileCount * tileCount));
  for (int p = 0; p < palettes; ++p) {
    const Looks& looks = picture.looks[static_cast<std::size_t>(p)];
    std::array<float, kSlots * kSlots> slotApart;
    for (int s = 0; s < kSlots; ++s) {
      for (int t = 0; t < kSlots; ++t) {
        const Lab3& a = looks[static_cast<std::size_t>(s)];
        const Lab3& b = looks[static_cast<std::size_t>(t)];
        const double d = deltaE2000({a.L, a.a, a.b}, {b.L, b.a, b.b});
        slotApart[static_cast<std::size_t>(s * kSlots + t)] = static_cast<float>(d * d);
      }
    }
    for (int a = 0; a < tileCount; ++a) {
      for (int b = 0; b < tileCount; ++b) {
        float sum = 0;
        for (int k = 0; k < kPixels; ++k) {
          sum += slotApart[static_cast<std::size_t>(
              tiles.patterns[static_cast<std::size_t>(a)][static_cast<std::size_t>(k)] * kSlots +
              tiles.patterns[static_cast<std::size_t>(b)][static_cast<std::size_t>(k)])];
        }
        apart[static_cast<std::size_t>((p * tileCount + a) * tileCount + b)] = sum;
      }
    }
  }
  return apart;
}

// How often each tile of each metatile shows in each sub-palette:
// [(metatile * 16 + tile) * sub-palettes + sub-palette].
std::vector<int> tileShows(const Layout& layout, const SlotPicture& picture,
                           const MetatileSet& set) {
  const int palettes = static_cast<int>(picture.subs.size());
  const auto n = static_cast<int>(set.metatiles.size());
  std::vector<int> shows(static_cast<std::size_t>(n * rom::kMetatileTiles * palettes), 0);
  for (int cell = 0; cell < kCells; ++cell) {
    const int m = set.ofCell[static_cast<std::size_t>(cell)];
    for (int k = 0; k < rom::kMetatileTiles; ++k) {
      const int tx = (cell % rom::kMapColumns) * 4 + k % 4;
      const int ty = (cell / rom::kMapColumns) * 4 + k / 4;
      const int p = picture.ofRegion[static_cast<std::size_t>(layout.regionOfTile(tx, ty))];
      ++shows[static_cast<std::size_t>((m * rom::kMetatileTiles + k) * palettes + p)];
    }
  }
  return shows;
}

// Folds metatiles into others, each time the one whose cells change least
// in colour, into the metatile that changes them least.
class Folding {
 public:
  Folding(const MetatileSet& set, std::vector<int> shows, std::vector<float> apart, int palettes,
          int tileCount)
      : set_(set),
        n_(static_cast<int>(set.metatiles.size())),
        palettes_(palettes),
        tileCount_(tileCount),
        shows_(std::move(shows)),
        apart_(std::move(apart)),
        alive_(static_cast<std::size_t>(n_), true),
        into_(static_cast<std::size_t>(n_), -1),
        intoCost_(static_cast<std::size_t>(n_), 0) {
    for (int m = 0; m < n_; ++m) {
      findInto(m);
    }
  }

  // Folds until `count` metatiles are left.
  void downTo(int count) {
    for (int left = n_; left > count; --left) {
      int victim = -1;
      for (int m = 0; m < n_; ++m) {
        if (alive_[static_cast<std::size_t>(m)] &&
            (victim < 0 || intoCost_[static_cast<std::size_t>(m)] <
                               intoCost_[static_cast<std::size_t>(victim)])) {
          victim = m;
        }
      }
      fold(victim);
    }
  }

  // The metatiles left, in their order.
  std::vector<Metatile> left() const {
    std::vector<Metatile> kept;
    for (int m = 0; m < n_; ++m) {
      if (alive_[static_cast<std::size_t>(m)]) {
        kept.push_back(set_.metatiles[static_cast<std::size_t>(m)]);
      }
    }
    return kept;
  }

 private:
  // The colour change of showing metatile `to` in the cells of `from`.
  double cost(int from, int to) const {
    double sum = 0;
    for (int k = 0; k < rom::kMetatileTiles; ++k) {
      const int a = set_.metatiles[static_cast<std::size_t>(from)][static_cast<std::size_t>(k)];
      const int b = set_.metatiles[static_cast<std::size_t>(to)][static_cast<std::size_t>(k)];
      for (int p = 0; p < palettes_; ++p) {
        const int times =
            shows_[static_cast<std::size_t>((from * rom::kMetatileTiles + k) * palettes_ + p)];
        if (times > 0) {
          sum += times * apart_[static_cast<std::size_t>((p * tileCount_ + a) * tileCount_ + b)];
        }
      }
    }
    return sum;
  }

  void findInto(int from) {
    into_[static_cast<std::size_t>(from)] = -1;
    for (int to = 0; to < n_; ++to) {
      if (to != from && alive_[static_cast<std::size_t>(to)]) {
        const double c = cost(from, to);
        if (into_[static_cast<std::size_t>(from)] < 0 ||
            c < intoCost_[static_cast<std::size_t>(from)]) {
          into_[static_cast<std::size_t>(from)] = to;
          intoCost_[static_cast<std::size_t>(from)] = c;
        }
      }
    }
  }

  // The victim's cells go to the metatile it folds into.
  void fold(int victim) {
    const int keep = into_[static_cast<std::size_t>(victim)];
    alive_[static_cast<std::size_t>(victim)] = false;
    for (int i = 0; i < rom::kMetatileTiles * palettes_; ++i) {
      shows_[static_cast<std::size_t>(keep * rom::kMetatileTiles * palettes_ + i)] +=
          shows_[static_cast<std::size_t>(victim * rom::kMetatileTiles * palettes_ + i)];
    }
    for (int m = 0; m < n_; ++m) {
      if (alive_[static_cast<std::size_t>(m)] &&
          (m == keep || into_[static_cast<std::size_t>(m)] == victim)) {
        findInto(m);
      }
    }
  }

  const MetatileSet& set_;
  int n_;
  int palettes_;
  int tileCount_;
  std::vector<int> shows_;
  std::vector<float> apart_;
  std::vector<bool> alive_;
  std::vector<int> into_;
  std::vector<double> intoCost_;
};

// Every cell the metatile of `kept` that shows it best against the picture
// (the first on a tie).
void takeNearest(std::vector<Metatile>& ofCell, const std::vector<Metatile>& kept,
                 const TileSet& tiles, const PlaceCosts& costs) {
  for (int cell = 0; cell < kCells; ++cell) {
    float best = kFar;
    for (const Metatile& m : kept) {
      float sum = 0;
      for (int k = 0; k < rom::kMetatileTiles && sum < best; ++k) {
        sum += costs.of(placeOf(cell, k),
                        tiles.patterns[static_cast<std::size_t>(m[static_cast<std::size_t>(k)])],
                        best - sum);
      }
      if (sum < best) {
        best = sum;
        ofCell[static_cast<std::size_t>(cell)] = m;
      }
    }
  }
}

}  // namespace

MetatileSet fitMetatiles(const Layout& layout, const SlotPicture& picture, const TileSet& tiles,
                         const PlaceCosts& costs, const Progress& progress) {
  std::vector<Metatile> ofCell = cellMetatiles(tiles);
  MetatileSet set = distinctMetatiles(ofCell);
  if (static_cast<int>(set.metatiles.size()) <= rom::kMetatileCount) {
    return set;
  }
  std::vector<float> apart = tilesApart(picture, tiles);
  progress.at(88);
  Folding folding(set, tileShows(layout, picture, set), std::move(apart),
                  static_cast<int>(picture.subs.size()), static_cast<int>(tiles.patterns.size()));
  folding.downTo(rom::kMetatileCount);
  progress.at(92);
  takeNearest(ofCell, folding.left(), tiles, costs);
  return distinctMetatiles(ofCell);
}

}  // namespace tarvo::picture_fit
