#include "demo/quantiser.h"

#include <algorithm>
#include <map>
#include <utility>

namespace tarvo::demo {

namespace {

constexpr int kTile = rom::kTileSide;

int metatileDistance(const Metatile& a, const Metatile& b, const std::vector<Tile>& tiles) {
  int d = 0;
  for (std::size_t k = 0; k < a.size(); ++k) {
    d += tileDistance(tiles[static_cast<std::size_t>(a[k])], tiles[static_cast<std::size_t>(b[k])]);
  }
  return d;
}

}  // namespace

TileCut cutIntoTiles(const std::vector<std::uint8_t>& slots, int width, int height) {
  TileCut cut;
  cut.columns = width / kTile;
  const int rows = height / kTile;
  std::map<Tile, int> index;
  cut.grid.reserve(static_cast<std::size_t>(cut.columns * rows));
  for (int ty = 0; ty < rows; ++ty) {
    for (int tx = 0; tx < cut.columns; ++tx) {
      Tile tile;
      for (int r = 0; r < kTile; ++r) {
        for (int c = 0; c < kTile; ++c) {
          tile[static_cast<std::size_t>(r * kTile + c)] =
              slots[static_cast<std::size_t>((ty * kTile + r) * width + tx * kTile + c)];
        }
      }
      const auto [it, added] = index.emplace(tile, static_cast<int>(cut.tiles.size()));
      if (added) {
        cut.tiles.push_back(tile);
        cut.uses.push_back(0);
      }
      ++cut.uses[static_cast<std::size_t>(it->second)];
      cut.grid.push_back(it->second);
    }
  }
  return cut;
}

int tileDistance(const Tile& a, const Tile& b) {
  int d = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    d += a[i] != b[i] ? 1 : 0;
  }
  return d;
}

void limitTiles(TileCut& cut, int limit) {
  const std::vector<int> into = foldItems(cut.tiles, cut.uses, limit, tileDistance);
  for (int& g : cut.grid) {
    g = into[static_cast<std::size_t>(g)];
  }
}

Metatile pieceAt(const TileCut& cut, int tx, int ty) {
  Metatile m;
  for (int k = 0; k < rom::kMetatileTiles; ++k) {
    m[static_cast<std::size_t>(k)] =
        cut.grid[static_cast<std::size_t>((ty + k / 4) * cut.columns + tx + k % 4)];
  }
  return m;
}

MetatileCut cutIntoMetatiles(const TileCut& cut) {
  MetatileCut result;
  std::map<Metatile, int> index;
  for (int row = 0; row < rom::kMapRows; ++row) {
    for (int col = 0; col < rom::kMapColumns; ++col) {
      const Metatile m = pieceAt(cut, col * 4, row * 4);
      const auto [it, added] = index.emplace(m, static_cast<int>(result.metatiles.size()));
      if (added) {
        result.metatiles.push_back(m);
        result.uses.push_back(0);
      }
      ++result.uses[static_cast<std::size_t>(it->second)];
      result.cells.push_back(it->second);
    }
  }
  const std::vector<int> into = foldItems(
      result.metatiles, result.uses, rom::kMetatileCount,
      [&cut](const Metatile& a, const Metatile& b) { return metatileDistance(a, b, cut.tiles); });
  for (int& c : result.cells) {
    c = into[static_cast<std::size_t>(c)];
  }
  return result;
}

void addSpareMetatiles(const TileCut& cut, std::vector<Metatile>& metatiles) {
  std::map<Metatile, bool> known;
  for (const Metatile& m : metatiles) {
    known.emplace(m, true);
  }
  std::vector<std::pair<int, Metatile>> candidates;
  for (int row = 0; row + 1 < rom::kMapRows; ++row) {
    for (int col = 0; col + 1 < rom::kMapColumns; ++col) {
      const Metatile m = pieceAt(cut, col * 4 + 2, row * 4 + 2);
      if (!known.emplace(m, true).second) {
        continue;
      }
      std::vector<int> distinct(m.begin(), m.end());
      std::sort(distinct.begin(), distinct.end());
      const auto variety = std::unique(distinct.begin(), distinct.end()) - distinct.begin();
      candidates.emplace_back(-static_cast<int>(variety), m);
    }
  }
  std::stable_sort(candidates.begin(), candidates.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (const auto& candidate : candidates) {
    if (static_cast<int>(metatiles.size()) >= rom::kMetatileCount) {
      return;
    }
    metatiles.push_back(candidate.second);
  }
  // A picture too plain to offer enough pieces would repeat its first one.
  while (static_cast<int>(metatiles.size()) < rom::kMetatileCount) {
    metatiles.push_back(metatiles.front());
  }
}

}  // namespace tarvo::demo
