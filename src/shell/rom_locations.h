// Every location of the ROM image that the program reads or writes, as file
// offsets into the whole .nes file (the 16-byte iNES header included), and the
// shapes of the data stored there. No other file spells out an offset.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "gfx/chr_codec.h"

namespace tarvo::rom {

struct Location {
  std::int32_t offset;  // file offset of the first byte
  std::int32_t length;  // in bytes
  std::string_view name;

  constexpr std::int32_t end() const { return offset + length; }  // one past the last byte
};

inline constexpr Location kInesHeader{0x0000, 16, "iNES header"};
// 30 rows of 32 tile numbers, row-major.
inline constexpr Location kBatViewNameTable{0x1010, 960, "batter's view name table"};
// 24 rows of 24 metatile numbers, row-major.
inline constexpr Location kFieldMap{0x8010, 576, "field map"};
// One byte per map cell: four 2-bit sub-palette numbers, bits 0-1 top-left,
// 2-3 top-right, 4-5 bottom-left, 6-7 bottom-right.
inline constexpr Location kFieldAttributeMap{0x8250, 576, "field attribute map"};
// 133 metatiles of 16 tile numbers (4 rows of 4, row-major).
inline constexpr Location kMetatileTable{0x8490, 2128, "metatile table"};
// Four sub-palettes of four NES colour numbers each.
inline constexpr Location kFieldPalette{0x9ED6, 16, "field palette"};
inline constexpr Location kBatViewPalette{0xB7A1, 16, "batter's view palette"};
// 256 tiles of 16 bytes in the NES 2bpp planar format.
inline constexpr Location kFieldChrBank{0x15010, 4096, "field CHR bank"};
inline constexpr Location kBatViewChrBank{0x17010, 4096, "batter's view CHR bank"};

inline constexpr std::array<Location, 9> kLocationTable{
    kInesHeader,   kBatViewNameTable, kFieldMap,     kFieldAttributeMap, kMetatileTable,
    kFieldPalette, kBatViewPalette,   kFieldChrBank, kBatViewChrBank,
};

// Field geometry.
inline constexpr int kMapColumns = 24;
inline constexpr int kMapRows = 24;
inline constexpr int kMetatileCount = 133;  // metatile numbers 0 to 132
inline constexpr int kMetatileTiles = 16;   // 4 x 4 tiles per metatile
inline constexpr int kMetatileSide = 32;    // pixels
inline constexpr int kQuadrantSide = 16;    // pixels; one sub-palette per quadrant

// Batter's view geometry.
inline constexpr int kBatViewColumns = 32;
inline constexpr int kBatViewRows = 30;

// CHR banks and palettes; the tile sizes are the NES tile format's
// (gfx/chr_codec.h).
inline constexpr int kBankTiles = chr::kBankTiles;
inline constexpr int kTileBytes = chr::kTileBytes;
inline constexpr int kTileSide = chr::kTileSide;
inline constexpr int kTilePixels = chr::kTilePixels;
inline constexpr int kPaletteBytes = 16;  // four sub-palettes of four colour numbers

// A map byte above 132 makes the renderers read a definition beyond the
// metatile table; metatile 255 ends here.
inline constexpr std::int32_t kMetatileReachEnd = kMetatileTable.offset + 256 * kMetatileTiles;

// The smallest image the editor accepts ends with the last location it
// touches, the batter's view CHR bank; the largest is a sanity limit far above
// any NES image.
inline constexpr std::int32_t kMinImageSize = kBatViewChrBank.end();
inline constexpr std::int32_t kMaxImageSize = 16 * 1024 * 1024;

static_assert(kFieldMap.length == kMapColumns * kMapRows);
static_assert(kFieldAttributeMap.length == kMapColumns * kMapRows);
static_assert(kMetatileTable.length == kMetatileCount * kMetatileTiles);
static_assert(kBatViewNameTable.length == kBatViewColumns * kBatViewRows);
static_assert(kFieldChrBank.length == kBankTiles * kTileBytes);
static_assert(kBatViewChrBank.length == kBankTiles * kTileBytes);
static_assert(kFieldMap.end() == kFieldAttributeMap.offset, "field blocks are contiguous");
static_assert(kFieldAttributeMap.end() == kMetatileTable.offset, "field blocks are contiguous");
static_assert(kMetatileReachEnd == 0x9490);
static_assert(kMinImageSize == 98320);

}  // namespace tarvo::rom
