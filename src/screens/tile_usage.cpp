#include "screens/tile_usage.h"

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

}  // namespace tarvo
