#include "screens/status_text.h"

#include <cstdio>

#include "screens/map_editing.h"
#include "screens/metatile_picker.h"

namespace tarvo {

namespace {

std::string hex2(int value) {
  char text[8];
  std::snprintf(text, sizeof text, "%02X", value & 0xFF);
  return text;
}

bool inside(int x, int y, int width, int height) {
  return x >= 0 && y >= 0 && x < width && y < height;
}

}  // namespace

std::string hexOffset(std::int64_t offset) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llX", static_cast<long long>(offset));
  return text;
}

std::string mapStatus(const ByteArray& rom, int x, int y) {
  const auto cell = mapCellAt(x, y);
  if (!cell) {
    return {};
  }
  const int index = cell->row * rom::kMapColumns + cell->column;
  const std::int64_t mapByte = rom::kFieldMap.offset + index;
  const std::int64_t attributeByte = rom::kFieldAttributeMap.offset + index;
  const int quadrant = quadrantAt(x, y);
  static constexpr const char* kQuadrants[] = {"top left", "top right", "bottom left",
                                               "bottom right"};
  const int subPalette = (romByte(rom, attributeByte) >> (2 * quadrant)) & 3;
  return "Column " + hex2(cell->column) + ", row " + hex2(cell->row) + "  |  metatile " +
         hex2(romByte(rom, mapByte)) + "  |  " + kQuadrants[quadrant] + " sub-palette " +
         std::to_string(subPalette) + "  |  map byte " + hexOffset(mapByte) + ", attribute byte " +
         hexOffset(attributeByte);
}

std::string pickerStatus(int x, int y) {
  const auto metatile = metatileAt(x, y);
  if (!metatile) {
    return {};
  }
  return "Metatile " + hex2(*metatile) + "  |  defined at " +
         hexOffset(rom::kMetatileTable.offset + std::int64_t{*metatile} * rom::kMetatileTiles);
}

std::string patternTableStatus(const rom::Location& bank, int x, int y) {
  if (!inside(x, y, 256, 256)) {
    return {};
  }
  const int tile = (y / 16) * 16 + x / 16;
  return "Tile " + hex2(tile) + "  |  bytes at " +
         hexOffset(bank.offset + std::int64_t{tile} * rom::kTileBytes);
}

std::string selectedTileStatus(const rom::Location& bank, std::uint8_t tile, int x, int y) {
  if (!inside(x, y, 128, 128)) {
    return {};
  }
  return "Tile " + hex2(tile) + ", pixel (" + std::to_string(x / 16) + ", " +
         std::to_string(y / 16) + ")  |  bytes at " +
         hexOffset(bank.offset + std::int64_t{tile} * rom::kTileBytes);
}

std::string metatileCellStatus(const ByteArray& rom, std::uint8_t metatile, int x, int y) {
  if (!inside(x, y, 128, 128)) {
    return {};
  }
  const int k = (y / 32) * 4 + x / 32;
  const std::int64_t offset =
      rom::kMetatileTable.offset + std::int64_t{metatile} * rom::kMetatileTiles + k;
  return "Metatile " + hex2(metatile) + ", cell " + std::to_string(k) + "  |  tile " +
         hex2(romByte(rom, offset)) + "  |  byte at " + hexOffset(offset);
}

std::string batViewStatus(const ByteArray& rom, int x, int y) {
  if (!inside(x, y, 256, 240)) {
    return {};
  }
  const int column = x / 8;
  const int row = y / 8;
  const std::int64_t offset = rom::kBatViewNameTable.offset + row * rom::kBatViewColumns + column;
  return "Column " + hex2(column) + ", row " + hex2(row) + "  |  tile " +
         hex2(romByte(rom, offset)) + "  |  byte at " + hexOffset(offset);
}

}  // namespace tarvo
