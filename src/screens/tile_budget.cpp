#include "screens/tile_budget.h"

#include <algorithm>

namespace tarvo {

namespace {

using Bytes16 = std::array<std::uint8_t, 16>;

Bytes16 bytesAt(const ByteArray& image, std::int64_t offset) {
  Bytes16 bytes{};
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] = romByte(image, offset + static_cast<std::int64_t>(i));
  }
  return bytes;
}

Bytes16 tileBytes(const ByteArray& image, TileScreen screen, int tile) {
  return bytesAt(image, tileBankOf(screen).offset + tile * rom::kTileBytes);
}

Bytes16 metatileBytes(const ByteArray& image, int metatile) {
  return bytesAt(image, rom::kMetatileTable.offset + metatile * rom::kMetatileTiles);
}

ByteArray copyOf(const ByteArray& image, const rom::Location& location) {
  ByteArray bytes(static_cast<std::size_t>(location.length));
  for (std::int32_t i = 0; i < location.length; ++i) {
    bytes[static_cast<std::size_t>(i)] = romByte(image, location.offset + i);
  }
  return bytes;
}

bool backgroundsDiffer(const ByteArray& image) {
  const std::uint8_t first = romByte(image, rom::kFieldPalette.offset);
  for (int k = 4; k < rom::kPaletteBytes; k += 4) {
    if (romByte(image, rom::kFieldPalette.offset + k) != first) {
      return true;
    }
  }
  return false;
}

// The members of `count` items, each used or not, whose bytes are `bytesOf`:
// the used, the unused or the duplicates.
template <std::size_t N, typename BytesOf>
std::vector<int> membersOf(const std::array<bool, N>& used, BudgetLine line, bool duplicates,
                           BytesOf bytesOf) {
  std::vector<int> members;
  std::map<Bytes16, int> seen;
  for (int item = 0; item < static_cast<int>(N); ++item) {
    const bool isUsed = used[static_cast<std::size_t>(item)];
    if (duplicates) {
      if (isUsed && !seen.emplace(bytesOf(item), item).second) {
        members.push_back(item);
      }
    } else if (isUsed == (line == BudgetLine::TilesUsed || line == BudgetLine::MetatilesUsed)) {
      members.push_back(item);
    }
  }
  return members;
}

}  // namespace

const rom::Location& tileBankOf(TileScreen screen) {
  return screen == TileScreen::Field ? rom::kFieldChrBank : rom::kBatViewChrBank;
}

const rom::Location& tileNamesOf(TileScreen screen) {
  return screen == TileScreen::Field ? rom::kMetatileTable : rom::kBatViewNameTable;
}

std::array<bool, 256> usedTiles(const ByteArray& image, TileScreen screen) {
  std::array<bool, 256> used{};
  const rom::Location& names = tileNamesOf(screen);
  for (std::int32_t i = 0; i < names.length; ++i) {
    used[romByte(image, names.offset + i)] = true;
  }
  return used;
}

std::array<bool, rom::kMetatileCount> usedMetatiles(const ByteArray& image) {
  std::array<bool, rom::kMetatileCount> used{};
  for (std::int32_t i = 0; i < rom::kFieldMap.length; ++i) {
    const std::uint8_t metatile = romByte(image, rom::kFieldMap.offset + i);
    if (metatile < rom::kMetatileCount) {
      used[metatile] = true;
    }
  }
  return used;
}

std::vector<BudgetLine> budgetLines(TileScreen screen) {
  if (screen == TileScreen::BatView) {
    return {BudgetLine::TilesUsed, BudgetLine::TilesUnused, BudgetLine::DuplicateTiles};
  }
  return {BudgetLine::TilesUsed,     BudgetLine::TilesUnused,     BudgetLine::DuplicateTiles,
          BudgetLine::MetatilesUsed, BudgetLine::MetatilesUnused, BudgetLine::DuplicateMetatiles};
}

std::string budgetLineText(BudgetLine line, const BudgetFigures& figures) {
  switch (line) {
    case BudgetLine::TilesUsed:
      return "tiles used: " + std::to_string(figures.tilesUsed) + " of " +
             std::to_string(rom::kBankTiles);
    case BudgetLine::TilesUnused:
      return "tiles unused: " + std::to_string(figures.tilesUnused);
    case BudgetLine::DuplicateTiles:
      return "duplicate tiles: " + std::to_string(figures.duplicateTiles);
    case BudgetLine::MetatilesUsed:
      return "metatiles used: " + std::to_string(figures.metatilesUsed) + " of " +
             std::to_string(rom::kMetatileCount);
    case BudgetLine::MetatilesUnused:
      return "metatiles unused: " + std::to_string(figures.metatilesUnused);
    case BudgetLine::DuplicateMetatiles:
      return "duplicate metatiles: " + std::to_string(figures.duplicateMetatiles);
  }
  return {};
}

std::string budgetText(TileScreen screen, const BudgetFigures& figures) {
  std::string text;
  for (const BudgetLine line : budgetLines(screen)) {
    text += budgetLineText(line, figures) + "\n";
  }
  return text;
}

std::vector<int> budgetMembers(const ByteArray& image, TileScreen screen, BudgetLine line) {
  const bool duplicates =
      line == BudgetLine::DuplicateTiles || line == BudgetLine::DuplicateMetatiles;
  if (line == BudgetLine::TilesUsed || line == BudgetLine::TilesUnused ||
      line == BudgetLine::DuplicateTiles) {
    return membersOf(usedTiles(image, screen), line, duplicates,
                     [&](int tile) { return tileBytes(image, screen, tile); });
  }
  if (screen == TileScreen::BatView) {
    return {};
  }
  return membersOf(usedMetatiles(image), line, duplicates,
                   [&](int metatile) { return metatileBytes(image, metatile); });
}

BudgetFigures countBudget(const ByteArray& image, TileScreen screen) {
  BudgetFigures figures;
  for (const BudgetLine line : budgetLines(screen)) {
    const int members = static_cast<int>(budgetMembers(image, screen, line).size());
    switch (line) {
      case BudgetLine::TilesUsed:
        figures.tilesUsed = members;
        break;
      case BudgetLine::TilesUnused:
        figures.tilesUnused = members;
        break;
      case BudgetLine::DuplicateTiles:
        figures.duplicateTiles = members;
        break;
      case BudgetLine::MetatilesUsed:
        figures.metatilesUsed = members;
        break;
      case BudgetLine::MetatilesUnused:
        figures.metatilesUnused = members;
        break;
      case BudgetLine::DuplicateMetatiles:
        figures.duplicateMetatiles = members;
        break;
    }
  }
  figures.backgroundsDiffer = screen == TileScreen::Field && backgroundsDiffer(image);
  return figures;
}

void BudgetTracker::recount(const ByteArray& image) {
  names_ = copyOf(image, tileNamesOf(screen_));
  tileNames_ = {};
  for (const std::uint8_t tile : names_) {
    ++tileNames_[tile];
  }
  usedTileContents_.clear();
  for (int tile = 0; tile < rom::kBankTiles; ++tile) {
    tiles_[static_cast<std::size_t>(tile)] = tileBytes(image, screen_, tile);
    if (tileNames_[static_cast<std::size_t>(tile)] > 0) {
      count(usedTileContents_, tiles_[static_cast<std::size_t>(tile)], 1);
    }
  }
  metatileNames_ = {};
  usedMetatileContents_.clear();
  if (screen_ == TileScreen::Field) {
    map_ = copyOf(image, rom::kFieldMap);
    for (const std::uint8_t metatile : map_) {
      if (metatile < rom::kMetatileCount) {
        ++metatileNames_[metatile];
      }
    }
    for (int metatile = 0; metatile < rom::kMetatileCount; ++metatile) {
      metatiles_[static_cast<std::size_t>(metatile)] = metatileBytes(image, metatile);
      if (metatileNames_[static_cast<std::size_t>(metatile)] > 0) {
        count(usedMetatileContents_, metatiles_[static_cast<std::size_t>(metatile)], 1);
      }
    }
  }
  sumUp(image);
}

void BudgetTracker::update(const ByteArray& image, const std::vector<ByteRange>& ranges) {
  const rom::Location& names = tileNamesOf(screen_);
  const rom::Location& bank = tileBankOf(screen_);
  for (const ByteRange& range : ranges) {
    for (std::int64_t at = std::max<std::int64_t>(range.offset, names.offset);
         at < std::min<std::int64_t>(range.end(), names.end()); ++at) {
      const auto index = static_cast<std::size_t>(at - names.offset);
      nameChanged(index, names_[index], romByte(image, at));
    }
    if (screen_ == TileScreen::Field) {
      for (std::int64_t at = std::max<std::int64_t>(range.offset, rom::kFieldMap.offset);
           at < std::min<std::int64_t>(range.end(), rom::kFieldMap.end()); ++at) {
        const auto index = static_cast<std::size_t>(at - rom::kFieldMap.offset);
        const std::uint8_t after = romByte(image, at);
        mapChanged(map_[index], after);
        map_[index] = after;
      }
    }
    const std::int64_t first = std::max<std::int64_t>(range.offset, bank.offset);
    const std::int64_t end = std::min<std::int64_t>(range.end(), bank.end());
    if (first < end) {
      for (std::int64_t tile = (first - bank.offset) / rom::kTileBytes;
           tile <= (end - 1 - bank.offset) / rom::kTileBytes; ++tile) {
        tileChanged(static_cast<int>(tile), tileBytes(image, screen_, static_cast<int>(tile)));
      }
    }
  }
  sumUp(image);
}

void BudgetTracker::nameChanged(std::size_t index, std::uint8_t before, std::uint8_t after) {
  if (before == after) {
    return;
  }
  names_[index] = after;
  useTile(before, -1);
  useTile(after, 1);
  if (screen_ == TileScreen::Field) {
    const int metatile = static_cast<int>(index) / rom::kMetatileTiles;
    Bytes16 bytes = metatiles_[static_cast<std::size_t>(metatile)];
    bytes[index % rom::kMetatileTiles] = after;
    metatileChanged(metatile, bytes);
  }
}

void BudgetTracker::mapChanged(std::uint8_t before, std::uint8_t after) {
  if (before != after) {
    useMetatile(before, -1);
    useMetatile(after, 1);
  }
}

void BudgetTracker::useTile(int tile, int by) {
  int& names = tileNames_[static_cast<std::size_t>(tile)];
  const bool wasUsed = names > 0;
  names += by;
  if (wasUsed != (names > 0)) {
    count(usedTileContents_, tiles_[static_cast<std::size_t>(tile)], wasUsed ? -1 : 1);
  }
}

void BudgetTracker::useMetatile(int metatile, int by) {
  if (metatile >= rom::kMetatileCount) {
    return;  // a definition beyond the table is no metatile of the budget
  }
  int& names = metatileNames_[static_cast<std::size_t>(metatile)];
  const bool wasUsed = names > 0;
  names += by;
  if (wasUsed != (names > 0)) {
    count(usedMetatileContents_, metatiles_[static_cast<std::size_t>(metatile)], wasUsed ? -1 : 1);
  }
}

void BudgetTracker::tileChanged(int tile, const Bytes16& bytes) {
  Bytes16& held = tiles_[static_cast<std::size_t>(tile)];
  if (tileNames_[static_cast<std::size_t>(tile)] > 0) {
    count(usedTileContents_, held, -1);
    count(usedTileContents_, bytes, 1);
  }
  held = bytes;
}

void BudgetTracker::metatileChanged(int metatile, const Bytes16& bytes) {
  Bytes16& held = metatiles_[static_cast<std::size_t>(metatile)];
  if (metatileNames_[static_cast<std::size_t>(metatile)] > 0) {
    count(usedMetatileContents_, held, -1);
    count(usedMetatileContents_, bytes, 1);
  }
  held = bytes;
}

void BudgetTracker::count(std::map<Bytes16, int>& contents, const Bytes16& bytes, int by) {
  const auto at = contents.try_emplace(bytes, 0).first;
  at->second += by;
  if (at->second == 0) {
    contents.erase(at);
  }
}

void BudgetTracker::sumUp(const ByteArray& image) {
  figures_ = {};
  figures_.tilesUsed = static_cast<int>(
      std::count_if(tileNames_.begin(), tileNames_.end(), [](int names) { return names > 0; }));
  figures_.tilesUnused = rom::kBankTiles - figures_.tilesUsed;
  figures_.duplicateTiles = figures_.tilesUsed - static_cast<int>(usedTileContents_.size());
  if (screen_ == TileScreen::Field) {
    figures_.metatilesUsed = static_cast<int>(std::count_if(
        metatileNames_.begin(), metatileNames_.end(), [](int names) { return names > 0; }));
    figures_.metatilesUnused = rom::kMetatileCount - figures_.metatilesUsed;
    figures_.duplicateMetatiles =
        figures_.metatilesUsed - static_cast<int>(usedMetatileContents_.size());
    figures_.backgroundsDiffer = backgroundsDiffer(image);
  }
}

}  // namespace tarvo
