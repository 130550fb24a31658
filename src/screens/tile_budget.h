// The hardware budget of a screen: how many of its 256 tiles (and, for the
// field, of its 133 metatiles) are used, unused and duplicated.
//
// A field tile is used when one of the 133 metatile entries names it; a
// batter's view tile when its name table names it; a metatile is used when
// the field map names it. A duplicate is a used tile (metatile) whose bytes
// equal those of a used tile (metatile) with a lower number.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "shell/edit_history.h"
#include "shell/rom_image.h"
#include "shell/rom_locations.h"

namespace tarvo {

enum class TileScreen { Field, BatView };

// The locations a screen's tiles live in and are named from.
const rom::Location& tileBankOf(TileScreen screen);
const rom::Location& tileNamesOf(TileScreen screen);

struct BudgetFigures {
  int tilesUsed = 0;
  int tilesUnused = 0;
  int duplicateTiles = 0;
  // The field's only.
  int metatilesUsed = 0;
  int metatilesUnused = 0;
  int duplicateMetatiles = 0;
  // The four first colours of the field palette are not all the same: the
  // console shows only the first.
  bool backgroundsDiffer = false;
  friend bool operator==(const BudgetFigures&, const BudgetFigures&) = default;
};

// One line of the budget: what it counts, and which tiles or metatiles.
enum class BudgetLine {
  TilesUsed,
  TilesUnused,
  DuplicateTiles,
  MetatilesUsed,
  MetatilesUnused,
  DuplicateMetatiles
};

// The lines a screen has: three for the batter's view, six for the field.
std::vector<BudgetLine> budgetLines(TileScreen screen);
// "tiles used: 41 of 256", "duplicate metatiles: 3".
std::string budgetLineText(BudgetLine line, const BudgetFigures& figures);
// Every line of the screen, one a line, as `tarvo-cli tiles` prints them.
std::string budgetText(TileScreen screen, const BudgetFigures& figures);

// Which tiles the screen's names name, and which metatiles the field map
// names.
std::array<bool, 256> usedTiles(const ByteArray& image, TileScreen screen);
std::array<bool, rom::kMetatileCount> usedMetatiles(const ByteArray& image);

// The tiles (or metatiles) a line counts, in number order.
std::vector<int> budgetMembers(const ByteArray& image, TileScreen screen, BudgetLine line);

// Keeps a screen's figures as the image changes: after a first count, only
// the bytes that changed are looked at.
class BudgetTracker {
 public:
  explicit BudgetTracker(TileScreen screen) : screen_(screen) {}

  TileScreen screen() const { return screen_; }
  // Counts everything again (a new image).
  void recount(const ByteArray& image);
  // `ranges` of `image` changed since the last count or update.
  void update(const ByteArray& image, const std::vector<ByteRange>& ranges);
  const BudgetFigures& figures() const { return figures_; }

 private:
  using Bytes16 = std::array<std::uint8_t, 16>;

  void nameChanged(std::size_t index, std::uint8_t before, std::uint8_t after);
  void mapChanged(std::uint8_t before, std::uint8_t after);
  void tileChanged(int tile, const Bytes16& bytes);
  void metatileChanged(int metatile, const Bytes16& bytes);
  void useTile(int tile, int by);
  void useMetatile(int metatile, int by);
  static void count(std::map<Bytes16, int>& contents, const Bytes16& bytes, int by);
  void sumUp(const ByteArray& image);

  TileScreen screen_;
  BudgetFigures figures_;
  // The tile names and the map as last counted.
  ByteArray names_;
  ByteArray map_;
  std::array<int, 256> tileNames_{};  // how many names name each tile
  std::array<Bytes16, 256> tiles_{};
  std::array<int, rom::kMetatileCount> metatileNames_{};  // map cells naming each
  std::array<Bytes16, rom::kMetatileCount> metatiles_{};
  // How many used tiles (metatiles) hold each content.
  std::map<Bytes16, int> usedTileContents_;
  std::map<Bytes16, int> usedMetatileContents_;
};

// Counts the figures from scratch.
BudgetFigures countBudget(const ByteArray& image, TileScreen screen);

}  // namespace tarvo
