#include "screens/tile_bookkeeping.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <map>
#include <numeric>
#include <vector>

#include "gfx/chr_codec.h"
#include "gfx/colors.h"
#include "gfx/lab.h"
#include "screens/field_renderer.h"
#include "shell/rom_locations.h"

namespace tarvo {

namespace {

using Bytes16 = std::array<std::uint8_t, 16>;
// What each tile's references become: a renumbering or a merge.
using TileMap = std::array<int, rom::kBankTiles>;

std::string counted(int n, const char* what) {
  return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

std::string hex(int number) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", number);
  return text;
}

std::int64_t tileOffset(TileScreen screen, int tile) {
  return tileBankOf(screen).offset + static_cast<std::int64_t>(tile) * rom::kTileBytes;
}

std::int64_t entryOffset(int metatile) {
  return rom::kMetatileTable.offset + static_cast<std::int64_t>(metatile) * rom::kMetatileTiles;
}

Bytes16 bytesAt(const ByteArray& image, std::int64_t offset) {
  Bytes16 bytes{};
  std::copy_n(image.begin() + offset, bytes.size(), bytes.begin());
  return bytes;
}

void clearAt(ByteArray& image, std::int64_t offset) {
  std::fill_n(image.begin() + offset, 16, std::uint8_t{0});
}

bool blank(const Bytes16& bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == 0; });
}

// Why a command may not run on the image: too short for the screen's
// locations, or, for the field's tile commands, a map cell beyond the table.
std::optional<std::string> refusal(const ByteArray& image, TileScreen screen, bool tiles) {
  if (static_cast<std::int64_t>(image.size()) < rom::kMinImageSize) {
    return "The image is too short to hold the screens";
  }
  if (screen != TileScreen::Field || !tiles) {
    return std::nullopt;
  }
  for (int cell = 0; cell < rom::kFieldMap.length; ++cell) {
    const std::uint8_t metatile = image[static_cast<std::size_t>(rom::kFieldMap.offset + cell)];
    if (metatile >= rom::kMetatileCount) {
      return "The field map shows metatile " + hex(metatile) + " at column " +
             std::to_string(cell % rom::kMapColumns) + ", row " +
             std::to_string(cell / rom::kMapColumns) +
             ", beyond the table: its tiles could not follow. Put a metatile of the table "
             "there first.";
    }
  }
  return std::nullopt;
}

// Every reference to tile t names to[t] instead.
void renameTiles(ByteArray& image, TileScreen screen, const TileMap& to) {
  const rom::Location& names = tileNamesOf(screen);
  for (std::int32_t i = 0; i < names.length; ++i) {
    std::uint8_t& name = image[static_cast<std::size_t>(names.offset + i)];
    name = static_cast<std::uint8_t>(to[name]);
  }
}

// Moves tile t to number order[t] (a permutation), and its references with it.
void renumberTiles(ByteArray& image, TileScreen screen, const TileMap& to) {
  const ByteArray before(image.begin() + tileBankOf(screen).offset,
                         image.begin() + tileBankOf(screen).end());
  for (int tile = 0; tile < rom::kBankTiles; ++tile) {
    std::copy_n(before.begin() + tile * rom::kTileBytes, rom::kTileBytes,
                image.begin() + tileOffset(screen, to[static_cast<std::size_t>(tile)]));
  }
  renameTiles(image, screen, to);
}

TileMap identity() {
  TileMap to{};
  std::iota(to.begin(), to.end(), 0);
  return to;
}

std::string tilesFree(const ByteArray& image, TileScreen screen) {
  return counted(countBudget(image, screen).tilesUnused, "tile") + " free";
}

std::string metatilesFree(const ByteArray& image) {
  return counted(countBudget(image, TileScreen::Field).metatilesUnused, "metatile") + " free";
}

// The tiles in the order the screen first shows them, then (the field's)
// those only other metatiles name, in the table's order; and how many
// times the screen shows each.
struct TileShowing {
  std::vector<int> firstUse;
  std::array<int, rom::kBankTiles> shown{};
};

TileShowing showingOf(const ByteArray& image, TileScreen screen) {
  TileShowing showing;
  std::array<bool, rom::kBankTiles> seen{};
  const auto see = [&](std::uint8_t tile, bool onScreen) {
    showing.shown[tile] += onScreen ? 1 : 0;
    if (!seen[tile]) {
      seen[tile] = true;
      showing.firstUse.push_back(tile);
    }
  };
  if (screen == TileScreen::BatView) {
    for (std::int32_t i = 0; i < rom::kBatViewNameTable.length; ++i) {
      see(image[static_cast<std::size_t>(rom::kBatViewNameTable.offset + i)], true);
    }
    return showing;
  }
  for (std::int32_t cell = 0; cell < rom::kFieldMap.length; ++cell) {
    const int metatile = image[static_cast<std::size_t>(rom::kFieldMap.offset + cell)];
    for (int k = 0; k < rom::kMetatileTiles; ++k) {
      see(image[static_cast<std::size_t>(entryOffset(metatile) + k)], true);
    }
  }
  for (int i = 0; i < rom::kMetatileTable.length; ++i) {
    see(image[static_cast<std::size_t>(rom::kMetatileTable.offset + i)], false);
  }
  return showing;
}

// Each tile's four colours in Lab, in the sub-palette of its first use on
// the screen (sub-palette 0 where the screen does not show it).
std::array<std::array<Lab, 4>, rom::kBankTiles> tileColours(const ByteArray& image,
                                                            TileScreen screen) {
  std::array<int, rom::kBankTiles> subPalette{};
  std::array<bool, rom::kBankTiles> placed{};
  if (screen == TileScreen::Field) {
    for (int cell = 0; cell < rom::kFieldMap.length; ++cell) {
      const int metatile = image[static_cast<std::size_t>(rom::kFieldMap.offset + cell)];
      const std::uint8_t attribute =
          image[static_cast<std::size_t>(rom::kFieldAttributeMap.offset + cell)];
      for (int k = 0; k < rom::kMetatileTiles; ++k) {
        const std::uint8_t tile = image[static_cast<std::size_t>(entryOffset(metatile) + k)];
        if (!placed[tile]) {
          placed[tile] = true;
          subPalette[tile] = quadrantSubPalette(attribute, tileQuadrant(k));
        }
      }
    }
  }
  const rom::Location& palette =
      screen == TileScreen::Field ? rom::kFieldPalette : rom::kBatViewPalette;
  std::array<std::array<Lab, 4>, rom::kBankTiles> colours{};
  for (int tile = 0; tile < rom::kBankTiles; ++tile) {
    for (int slot = 0; slot < 4; ++slot) {
      const std::uint8_t number = image[static_cast<std::size_t>(
          palette.offset + subPalette[static_cast<std::size_t>(tile)] * 4 + slot)];
      colours[static_cast<std::size_t>(tile)][static_cast<std::size_t>(slot)] =
          toLab(paletteColor(number));
    }
  }
  return colours;
}

// What showing tile `stays` where tile `goes` was costs one cell: the sum
// over the pixels of the squared colour difference, both in `palette`, the
// sub-palette `goes` shows in; -1 for equal tiles, which go first.
double replacementCost(const TilePixels& pixels, const std::array<Lab, 4>& palette,
                       std::size_t stays, std::size_t goes) {
  const auto* kept = pixels.data() + stays * rom::kTilePixels;
  const auto* lost = pixels.data() + goes * rom::kTilePixels;
  if (std::equal(kept, kept + rom::kTilePixels, lost)) {
    return -1;
  }
  double sum = 0;
  for (std::size_t p = 0; p < static_cast<std::size_t>(rom::kTilePixels); ++p) {
    sum += deltaE76Squared(palette[kept[p] & 3], palette[lost[p] & 3]);
  }
  return sum;
}

BookkeepingResult nothingTo(const std::string& text) {
  return {true, text};
}

}  // namespace

BookkeepingResult mergeDuplicateTiles(ByteArray& image, TileScreen screen) {
  if (const auto why = refusal(image, screen, true)) {
    return {false, *why};
  }
  const std::array<bool, 256> used = usedTiles(image, screen);
  TileMap to = identity();
  std::map<Bytes16, int> firstCopy;
  std::vector<int> merged;
  for (int tile = 0; tile < rom::kBankTiles; ++tile) {
    if (!used[static_cast<std::size_t>(tile)]) {
      continue;
    }
    const auto [at, first] = firstCopy.emplace(bytesAt(image, tileOffset(screen, tile)), tile);
    if (!first) {
      to[static_cast<std::size_t>(tile)] = at->second;
      merged.push_back(tile);
    }
  }
  if (merged.empty()) {
    return nothingTo("no duplicate tiles to merge");
  }
  renameTiles(image, screen, to);
  for (const int tile : merged) {
    clearAt(image, tileOffset(screen, tile));
  }
  return {true, "merged " + counted(static_cast<int>(merged.size()), "duplicate tile") + "; " +
                    tilesFree(image, screen)};
}

BookkeepingResult removeUnusedTiles(ByteArray& image, TileScreen screen, bool keepTile0) {
  if (const auto why = refusal(image, screen, true)) {
    return {false, *why};
  }
  const std::array<bool, 256> used = usedTiles(image, screen);
  int cleared = 0;
  for (int tile = keepTile0 ? 1 : 0; tile < rom::kBankTiles; ++tile) {
    if (!used[static_cast<std::size_t>(tile)] && !blank(bytesAt(image, tileOffset(screen, tile)))) {
      clearAt(image, tileOffset(screen, tile));
      ++cleared;
    }
  }
  if (cleared == 0) {
    return nothingTo("no unused tiles to clear");
  }
  return {true, "cleared " + counted(cleared, "unused tile") + "; " + tilesFree(image, screen)};
}

BookkeepingResult sortTiles(ByteArray& image, TileScreen screen, TileOrder order, bool keepTile0) {
  if (const auto why = refusal(image, screen, true)) {
    return {false, *why};
  }
  const TileShowing showing = showingOf(image, screen);
  std::vector<int> sequence = showing.firstUse;
  if (order == TileOrder::Frequency) {
    std::stable_sort(sequence.begin(), sequence.end(), [&](int a, int b) {
      return showing.shown[static_cast<std::size_t>(a)] >
             showing.shown[static_cast<std::size_t>(b)];
    });
  }
  const std::array<bool, 256> used = usedTiles(image, screen);
  sequence.erase(std::remove_if(sequence.begin(), sequence.end(),
                                [&](int tile) { return !used[static_cast<std::size_t>(tile)]; }),
                 sequence.end());
  const auto usedCount = static_cast<int>(sequence.size());
  for (int tile = 0; tile < rom::kBankTiles; ++tile) {
    if (!used[static_cast<std::size_t>(tile)]) {
      sequence.push_back(tile);
    }
  }
  if (keepTile0) {
    sequence.erase(std::find(sequence.begin(), sequence.end(), 0));
    sequence.insert(sequence.begin(), 0);
  }
  TileMap to{};
  for (std::size_t place = 0; place < sequence.size(); ++place) {
    to[static_cast<std::size_t>(sequence[place])] = static_cast<int>(place);
  }
  if (to == identity()) {
    return nothingTo("the tiles are in that order already");
  }
  renumberTiles(image, screen, to);
  return {true, "sorted " + counted(usedCount, "used tile") +
                    (order == TileOrder::FirstUse ? " by first use" : " by frequency")};
}

BookkeepingResult swapTiles(ByteArray& image, TileScreen screen, int first, int second) {
  if (const auto why = refusal(image, screen, true)) {
    return {false, *why};
  }
  if (first < 0 || second < 0 || first >= rom::kBankTiles || second >= rom::kBankTiles) {
    return {false, "Tiles are numbered 0 to 255"};
  }
  if (first == second) {
    return nothingTo("a tile swapped with itself stays");
  }
  TileMap to = identity();
  std::swap(to[static_cast<std::size_t>(first)], to[static_cast<std::size_t>(second)]);
  renumberTiles(image, screen, to);
  return {true, "swapped tiles " + hex(first) + " and " + hex(second)};
}

BookkeepingResult reduceTiles(ByteArray& image, TileScreen screen, int most, bool keepTile0) {
  if (const auto why = refusal(image, screen, true)) {
    return {false, *why};
  }
  if (most < 1 || most > rom::kBankTiles) {
    return {false, "Reduce to 1 to 256 tiles"};
  }
  const std::array<bool, 256> used = usedTiles(image, screen);
  std::vector<int> alive;
  for (int tile = 0; tile < rom::kBankTiles; ++tile) {
    if (used[static_cast<std::size_t>(tile)]) {
      alive.push_back(tile);
    }
  }
  const int before = static_cast<int>(alive.size());
  if (before <= most) {
    return nothingTo(counted(before, "tile") + " used already, no more than " +
                     std::to_string(most));
  }
  const auto colours = tileColours(image, screen);
  TilePixels pixels;
  decodeTiles(tileBankOf(screen).offset, rom::kBankTiles, pixels, image);
  const std::size_t n = alive.size();
  std::vector<double> cost(n * n, 0.0);  // cost[stays * n + goes]
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = 0; j < n; ++j) {
      if (i != j) {
        cost[i * n + j] =
            replacementCost(pixels, colours[static_cast<std::size_t>(alive[j])],
                            static_cast<std::size_t>(alive[i]), static_cast<std::size_t>(alive[j]));
      }
    }
  }
  // Each round merges the tile whose cells change least, weighed by how
  // many cells show it; tile 0 stays when it is kept.
  const TileShowing showing = showingOf(image, screen);
  std::vector<double> shown(n);
  for (std::size_t k = 0; k < n; ++k) {
    shown[k] = std::max(1, showing.shown[static_cast<std::size_t>(alive[k])]);
  }
  std::vector<bool> gone(n, false);
  TileMap to = identity();
  for (int left = before; left > most; --left) {
    std::size_t stays = n;
    std::size_t goes = n;
    double best = std::numeric_limits<double>::infinity();
    for (std::size_t j = 0; j < n; ++j) {
      if (gone[j] || (keepTile0 && alive[j] == 0)) {
        continue;
      }
      for (std::size_t i = 0; i < n; ++i) {
        const double score = cost[i * n + j] * shown[j];
        if (i != j && !gone[i] && score < best) {
          best = score;
          stays = i;
          goes = j;
        }
      }
    }
    if (goes == n) {
      break;  // only tile 0 is left, and it is kept
    }
    gone[goes] = true;
    shown[stays] += shown[goes];
    for (int& target : to) {
      if (target == alive[goes]) {
        target = alive[stays];
      }
    }
  }
  renameTiles(image, screen, to);
  for (std::size_t k = 0; k < n; ++k) {
    if (gone[k]) {
      clearAt(image, tileOffset(screen, alive[k]));
    }
  }
  const int merged = static_cast<int>(std::count(gone.begin(), gone.end(), true));
  return {true, "merged " + counted(merged, "tile") + " into the most alike; " +
                    counted(before - merged, "tile") + " used, " + tilesFree(image, screen)};
}

BookkeepingResult mergeDuplicateMetatiles(ByteArray& image) {
  if (const auto why = refusal(image, TileScreen::Field, false)) {
    return {false, *why};
  }
  const auto used = usedMetatiles(image);
  std::array<int, 256> to{};
  std::iota(to.begin(), to.end(), 0);
  std::map<Bytes16, int> firstCopy;
  int merged = 0;
  for (int metatile = 0; metatile < rom::kMetatileCount; ++metatile) {
    if (used[static_cast<std::size_t>(metatile)]) {
      const auto [at, first] = firstCopy.emplace(bytesAt(image, entryOffset(metatile)), metatile);
      if (!first) {
        to[static_cast<std::size_t>(metatile)] = at->second;
        ++merged;
      }
    }
  }
  if (merged == 0) {
    return nothingTo("no duplicate metatiles to merge");
  }
  for (std::int32_t cell = 0; cell < rom::kFieldMap.length; ++cell) {
    std::uint8_t& metatile = image[static_cast<std::size_t>(rom::kFieldMap.offset + cell)];
    metatile = static_cast<std::uint8_t>(to[metatile]);
  }
  return {true, "merged " + counted(merged, "duplicate metatile") + "; " + metatilesFree(image)};
}

BookkeepingResult removeUnusedMetatiles(ByteArray& image) {
  if (const auto why = refusal(image, TileScreen::Field, false)) {
    return {false, *why};
  }
  const auto used = usedMetatiles(image);
  int cleared = 0;
  for (int metatile = 0; metatile < rom::kMetatileCount; ++metatile) {
    if (!used[static_cast<std::size_t>(metatile)] &&
        !blank(bytesAt(image, entryOffset(metatile)))) {
      clearAt(image, entryOffset(metatile));
      ++cleared;
    }
  }
  if (cleared == 0) {
    return nothingTo("no unused metatiles to clear");
  }
  return {true, "cleared " + counted(cleared, "unused metatile") + "; " + metatilesFree(image)};
}

BookkeepingResult swapMetatiles(ByteArray& image, int first, int second) {
  if (const auto why = refusal(image, TileScreen::Field, false)) {
    return {false, *why};
  }
  if (first < 0 || second < 0 || first >= rom::kMetatileCount || second >= rom::kMetatileCount) {
    return {false, "Metatiles are numbered 0 to 132"};
  }
  if (first == second) {
    return nothingTo("a metatile swapped with itself stays");
  }
  std::swap_ranges(image.begin() + entryOffset(first),
                   image.begin() + entryOffset(first) + rom::kMetatileTiles,
                   image.begin() + entryOffset(second));
  for (std::int32_t cell = 0; cell < rom::kFieldMap.length; ++cell) {
    std::uint8_t& metatile = image[static_cast<std::size_t>(rom::kFieldMap.offset + cell)];
    if (metatile == first || metatile == second) {
      metatile = static_cast<std::uint8_t>(metatile == first ? second : first);
    }
  }
  return {true, "swapped metatiles " + hex(first) + " and " + hex(second)};
}

BookkeepingResult optimise(ByteArray& image, TileScreen screen, const OptimiseOptions& options) {
  const bool field = screen == TileScreen::Field;
  std::vector<std::function<BookkeepingResult(ByteArray&)>> steps;
  if (options.mergeDuplicates) {
    steps.emplace_back([screen](ByteArray& at) { return mergeDuplicateTiles(at, screen); });
    if (field) {
      steps.emplace_back([](ByteArray& at) { return mergeDuplicateMetatiles(at); });
    }
  }
  if (options.removeUnused) {
    if (field) {
      steps.emplace_back([](ByteArray& at) { return removeUnusedMetatiles(at); });
    }
    steps.emplace_back([screen](ByteArray& at) { return removeUnusedTiles(at, screen); });
  }
  if (options.reduce) {
    const int most = *options.reduce;
    steps.emplace_back([screen, most](ByteArray& at) { return reduceTiles(at, screen, most); });
  }
  if (options.sort) {
    const TileOrder order = *options.sort;
    steps.emplace_back([screen, order](ByteArray& at) { return sortTiles(at, screen, order); });
  }
  ByteArray working = image;
  std::string said;
  for (const auto& step : steps) {
    const BookkeepingResult result = step(working);
    if (!result.done) {
      return result;  // nothing changed
    }
    said += result.message + "\n";
  }
  image = std::move(working);
  return {true, said};
}

BookkeepingResult runBookkeeping(EditHistory& history, const char* stepName,
                                 const std::function<BookkeepingResult(ByteArray&)>& command) {
  Edit edit(history, stepName);
  return command(history.image());
}

}  // namespace tarvo
