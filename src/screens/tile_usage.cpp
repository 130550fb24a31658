#include "screens/tile_usage.h"

#include <cstdio>

#include "shell/rom_locations.h"

namespace tarvo {

std::array<FieldTileUsage, 256> fieldTileUsage(const ByteArray& rom) {
  std::array<FieldTileUsage, 256> usage{};
  for (int i = 0; i < rom::kMetatileTable.length; ++i) {
    ++usage[romByte(rom, rom::kMetatileTable.offset + i)].metatileCells;
  }
  for (int cell = 0; cell < rom::kFieldMap.length; ++cell) {
    const std::uint8_t metatile = romByte(rom, rom::kFieldMap.offset + cell);
    std::array<bool, 256> drawn{};
    for (int k = 0; k < rom::kMetatileTiles; ++k) {
      drawn[romByte(rom, rom::kMetatileTable.offset + metatile * rom::kMetatileTiles + k)] = true;
    }
    for (int t = 0; t < 256; ++t) {
      usage[static_cast<std::size_t>(t)].mapCells += drawn[static_cast<std::size_t>(t)] ? 1 : 0;
    }
  }
  return usage;
}

std::array<int, 256> batViewTileUsage(const ByteArray& rom) {
  std::array<int, 256> usage{};
  for (int i = 0; i < rom::kBatViewNameTable.length; ++i) {
    ++usage[romByte(rom, rom::kBatViewNameTable.offset + i)];
  }
  return usage;
}

Uses usesOfTile(const ByteArray& image, TileScreen screen, int tile) {
  Uses uses;
  if (screen == TileScreen::BatView) {
    for (int cell = 0; cell < rom::kBatViewNameTable.length; ++cell) {
      if (romByte(image, rom::kBatViewNameTable.offset + cell) == tile) {
        uses.cells.emplace_back(cell % rom::kBatViewColumns, cell / rom::kBatViewColumns);
      }
    }
    return uses;
  }
  const auto names = [&](int metatile) {
    for (int k = 0; k < rom::kMetatileTiles; ++k) {
      if (romByte(image, rom::kMetatileTable.offset + metatile * rom::kMetatileTiles + k) == tile) {
        return true;
      }
    }
    return false;
  };
  for (int metatile = 0; metatile < rom::kMetatileCount; ++metatile) {
    if (names(metatile)) {
      uses.metatiles.push_back(metatile);
    }
  }
  for (int cell = 0; cell < rom::kFieldMap.length; ++cell) {
    if (names(romByte(image, rom::kFieldMap.offset + cell))) {
      uses.cells.emplace_back(cell % rom::kMapColumns, cell / rom::kMapColumns);
    }
  }
  return uses;
}

Uses usesOfMetatile(const ByteArray& image, int metatile) {
  Uses uses;
  for (int cell = 0; cell < rom::kFieldMap.length; ++cell) {
    if (romByte(image, rom::kFieldMap.offset + cell) == metatile) {
      uses.cells.emplace_back(cell % rom::kMapColumns, cell / rom::kMapColumns);
    }
  }
  return uses;
}

Uses usesOf(const ByteArray& image, const UsesSubject& subject) {
  switch (subject.kind) {
    case UsesSubject::Kind::FieldTile:
      return usesOfTile(image, TileScreen::Field, subject.number);
    case UsesSubject::Kind::BatViewTile:
      return usesOfTile(image, TileScreen::BatView, subject.number);
    case UsesSubject::Kind::Metatile:
      break;
  }
  return usesOfMetatile(image, subject.number);
}

std::string usesText(const UsesSubject& subject, const Uses& uses) {
  const auto count = [](std::size_t n, const char* what) {
    return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
  };
  const char* what = subject.kind == UsesSubject::Kind::Metatile      ? "metatile"
                     : subject.kind == UsesSubject::Kind::BatViewTile ? "batter's view tile"
                                                                      : "tile";
  char name[48];
  std::snprintf(name, sizeof name, "%s 0x%02X: ", what, subject.number & 0xFF);
  std::string text = name;
  if (subject.kind == UsesSubject::Kind::FieldTile) {
    text += count(uses.metatiles.size(), "metatile") + ", ";
  }
  return text + count(uses.cells.size(), "cell");
}

}  // namespace tarvo
