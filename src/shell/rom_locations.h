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

// The image's banks, as the game's MMC1 board maps them: 16 KiB program banks
// from file offset 0x10, seen by the CPU at $8000-$BFFF when switched in,
// and 4 KiB CHR banks after the program ROM.
inline constexpr std::int32_t kPrgStart = kInesHeader.end();
inline constexpr std::int32_t kPrgBankBytes = 0x4000;
inline constexpr int kPrgBanks = 4;
inline constexpr std::int32_t kChrStart = kPrgStart + kPrgBanks * kPrgBankBytes;
inline constexpr std::int32_t kChrBankBytes = 0x1000;
inline constexpr int kChrBanks = 8;
inline constexpr std::uint16_t kSwitchedWindow = 0x8000;  // CPU address of a switched bank

// The program bank and CPU address at which the console sees a file offset
// of the program ROM, and the 4 KiB CHR bank that holds a CHR offset.
constexpr int prgBankOf(std::int32_t offset) {
  return (offset - kPrgStart) / kPrgBankBytes;
}
constexpr std::uint16_t cpuAddressOf(std::int32_t offset) {
  return static_cast<std::uint16_t>(kSwitchedWindow + (offset - kPrgStart) % kPrgBankBytes);
}
constexpr int chrBankOf(std::int32_t offset) {
  return (offset - kChrStart) / kChrBankBytes;
}

// The game's iNES header: 4 program units of 16 KiB, 4 CHR units of 8 KiB,
// mapper 1 (MMC1), the rest zero. A headerless dump is the image without it.
inline constexpr std::array<std::uint8_t, 16> kGameHeader{
    'N', 'E', 'S', 0x1A, kPrgBanks, kChrBanks* kChrBankBytes / 8192, 0x10};
inline constexpr std::int32_t kHeaderlessDumpSize =
    kPrgBanks * kPrgBankBytes + kChrBanks * kChrBankBytes;

// The last program bank holds none of the editor's locations; in the demo and
// preview images it holds their viewer, fixed at $C000-$FFFF. The last bytes
// of every program bank hold the reset stub and the vectors, so that the
// viewer starts whatever bank the board powers on with.
inline constexpr Location kViewerBank{kPrgStart + (kPrgBanks - 1) * kPrgBankBytes, kPrgBankBytes,
                                      "viewer program bank"};
inline constexpr std::int32_t kResetTailBytes = 16;

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
static_assert(kHeaderlessDumpSize == 98304 && kHeaderlessDumpSize + 16 == kMinImageSize);
static_assert(kChrStart == 0x10010 && kViewerBank.end() == kChrStart);
static_assert(chrBankOf(kFieldChrBank.offset) == 5 && chrBankOf(kBatViewChrBank.offset) == 7);
static_assert(prgBankOf(kFieldMap.offset) == prgBankOf(kMetatileReachEnd - 1),
              "the field's blocks lie in one program bank");
static_assert(prgBankOf(kBatViewPalette.offset) < kPrgBanks - 1 &&
                  prgBankOf(kBatViewNameTable.offset) < kPrgBanks - 1,
              "no location lies in the viewer's bank");

}  // namespace tarvo::rom
