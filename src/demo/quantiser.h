// Cutting a picture of colour slots into 8x8 tiles and 32x32 metatiles with
// duplicates shared, and folding the least used into their nearest likes
// until they fit the bank and the metatile table.
#pragma once

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "shell/rom_locations.h"

namespace tarvo::demo {

using Tile = std::array<std::uint8_t, rom::kTilePixels>;

struct TileCut {
  std::vector<Tile> tiles;  // distinct tiles, in the order first met
  std::vector<int> uses;    // how many grid places show each tile
  std::vector<int> grid;    // tile index of every 8x8 place, row-major
  int columns = 0;
};

// Cuts a picture of `width` x `height` slots, row-major, into tiles.
TileCut cutIntoTiles(const std::vector<std::uint8_t>& slots, int width, int height);

// The number of pixels in which two tiles differ.
int tileDistance(const Tile& a, const Tile& b);

// Folds items into others until at most `limit` remain. Each step folds the
// item whose replacement changes the fewest pixels of the picture (its
// distance to the other item times the places it fills) into that other item;
// ties go to the pair met first. Returns, for every item, the index it has in
// the shortened list.
template <typename Item, typename Distance>
std::vector<int> foldItems(std::vector<Item>& items, std::vector<int>& uses, int limit,
                           Distance distance) {
  const int n = static_cast<int>(items.size());
  std::vector<int> into(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    into[static_cast<std::size_t>(i)] = i;
  }
  if (n <= limit) {
    return into;
  }
  const auto at = [n](int i, int j) { return static_cast<std::size_t>(i * n + j); };
  std::vector<int> d(static_cast<std::size_t>(n * n), 0);
  for (int i = 0; i < n; ++i) {
    for (int j = i + 1; j < n; ++j) {
      d[at(i, j)] = d[at(j, i)] =
          distance(items[static_cast<std::size_t>(i)], items[static_cast<std::size_t>(j)]);
    }
  }
  std::vector<bool> alive(static_cast<std::size_t>(n), true);
  for (int left = n; left > limit; --left) {
    std::int64_t bestCost = INT64_MAX;
    int victim = -1;
    int keep = -1;
    for (int i = 0; i < n; ++i) {
      for (int j = 0; j < n && alive[static_cast<std::size_t>(i)]; ++j) {
        if (j == i || !alive[static_cast<std::size_t>(j)]) {
          continue;
        }
        const std::int64_t cost =
            static_cast<std::int64_t>(d[at(i, j)]) * uses[static_cast<std::size_t>(i)];
        if (cost < bestCost) {
          bestCost = cost;
          victim = i;
          keep = j;
        }
      }
    }
    alive[static_cast<std::size_t>(victim)] = false;
    into[static_cast<std::size_t>(victim)] = keep;
    uses[static_cast<std::size_t>(keep)] += uses[static_cast<std::size_t>(victim)];
  }
  // Follow each folded item to the survivor it ended in, then number the
  // survivors in their old order.
  std::vector<int> number(static_cast<std::size_t>(n), -1);
  std::vector<Item> keptItems;
  std::vector<int> keptUses;
  for (int i = 0; i < n; ++i) {
    if (alive[static_cast<std::size_t>(i)]) {
      number[static_cast<std::size_t>(i)] = static_cast<int>(keptItems.size());
      keptItems.push_back(items[static_cast<std::size_t>(i)]);
      keptUses.push_back(uses[static_cast<std::size_t>(i)]);
    }
  }
  for (int i = 0; i < n; ++i) {
    int root = i;
    while (!alive[static_cast<std::size_t>(root)]) {
      root = into[static_cast<std::size_t>(root)];
    }
    into[static_cast<std::size_t>(i)] = number[static_cast<std::size_t>(root)];
  }
  items = std::move(keptItems);
  uses = std::move(keptUses);
  return into;
}

// Folds the cut's tiles until at most `limit` remain; the grid follows.
void limitTiles(TileCut& cut, int limit);

using Metatile = std::array<int, rom::kMetatileTiles>;  // tile indices

// The 16 tile indices of the 32x32 piece of a cut picture whose top-left tile
// is (tx, ty).
Metatile pieceAt(const TileCut& cut, int tx, int ty);

struct MetatileCut {
  std::vector<Metatile> metatiles;  // distinct, in the order first met
  std::vector<int> uses;
  std::vector<int> cells;  // metatile index of every map cell, row-major
};

// Cuts the tile grid of a field-sized picture into the metatiles of the
// map's cells, folded until they fit the metatile table.
MetatileCut cutIntoMetatiles(const TileCut& cut);

// Fills the table's unused definitions with pieces of the same picture taken
// half a cell off the map grid: they reuse the bank's tiles, and a user can
// place them. The pieces with the most different tiles come first.
void addSpareMetatiles(const TileCut& cut, std::vector<Metatile>& metatiles);

}  // namespace tarvo::demo
