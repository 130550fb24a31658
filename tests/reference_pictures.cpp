#include "reference_pictures.h"

#include "shell/rom_locations.h"

namespace tarvo::test {

namespace {

std::uint8_t at(const ByteArray& rom, std::int64_t offset) {
  return offset >= 0 && offset < static_cast<std::int64_t>(rom.size())
             ? rom[static_cast<std::size_t>(offset)]
             : 0;
}

// Row r, column c of tile t of the bank at `bank`, in sub-palette p of the
// palette block at `palette`: bit 7 - c of the tile's plane bytes for row r
// give the colour slot, the palette byte names the NES colour, and a byte of
// 64 or more shows as its low six bits.
Color tilePixel(const ByteArray& rom, std::int64_t bank, std::int64_t palette, int t, int p, int r,
                int c) {
  const int low = at(rom, bank + t * 16 + r) >> (7 - c) & 1;
  const int high = at(rom, bank + t * 16 + 8 + r) >> (7 - c) & 1;
  const int slot = low + 2 * high;
  return colorTable[at(rom, palette + p * 4 + slot) % 64];
}

}  // namespace

Color referenceFieldPixel(const ByteArray& rom, int x, int y) {
  const int cell = (y / 32) * 24 + x / 32;
  const int metatile = at(rom, rom::kFieldMap.offset + cell);
  const int attribute = at(rom, rom::kFieldAttributeMap.offset + cell);
  const bool bottom = y % 32 >= 16;
  const bool right = x % 32 >= 16;
  const int quadrant = (bottom ? 2 : 0) + (right ? 1 : 0);
  const int subPalette = attribute >> (2 * quadrant) & 3;
  const int k = (y % 32 / 8) * 4 + x % 32 / 8;
  const int tile = at(rom, rom::kMetatileTable.offset + metatile * 16 + k);
  return tilePixel(rom, rom::kFieldChrBank.offset, rom::kFieldPalette.offset, tile, subPalette,
                   y % 8, x % 8);
}

Color referenceMetatileTablePixel(const ByteArray& rom, int x, int y, int subPalette,
                                  Color background) {
  const int metatile = (y / 32) * 16 + x / 32;
  if (x >= 512 || metatile > 132) {
    return background;
  }
  const int k = (y % 32 / 8) * 4 + x % 32 / 8;
  const int tile = at(rom, rom::kMetatileTable.offset + metatile * 16 + k);
  return tilePixel(rom, rom::kFieldChrBank.offset, rom::kFieldPalette.offset, tile, subPalette,
                   y % 8, x % 8);
}

Color referenceBatViewPixel(const ByteArray& rom, int x, int y) {
  const int tile = at(rom, rom::kBatViewNameTable.offset + (y / 8) * 32 + x / 8);
  return tilePixel(rom, rom::kBatViewChrBank.offset, rom::kBatViewPalette.offset, tile, 0, y % 8,
                   x % 8);
}

Color referencePatternTablePixel(const ByteArray& rom, bool field, int x, int y, int subPalette) {
  const int tile = (y / 8) * 16 + x / 8;
  return tilePixel(rom, field ? rom::kFieldChrBank.offset : rom::kBatViewChrBank.offset,
                   field ? rom::kFieldPalette.offset : rom::kBatViewPalette.offset, tile,
                   subPalette, y % 8, x % 8);
}

}  // namespace tarvo::test
