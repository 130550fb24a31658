#include "screens/map_editing.h"

#include "shell/rom_locations.h"

namespace tarvo {

std::optional<MapCell> mapCellAt(int x, int y) {
  constexpr int kWidth = rom::kMapColumns * rom::kMetatileSide;
  constexpr int kHeight = rom::kMapRows * rom::kMetatileSide;
  if (x < 0 || y < 0 || x >= kWidth || y >= kHeight) {
    return std::nullopt;
  }
  return MapCell{static_cast<std::int16_t>(x / rom::kMetatileSide),
                 static_cast<std::int16_t>(y / rom::kMetatileSide)};
}

std::uint8_t cycleQuadrant(std::uint8_t attribute, int quadrant) {
  const int shift = 2 * (quadrant & 3);
  const int field = (attribute >> shift) & 3;
  const int others = attribute & ~(3 << shift);
  return static_cast<std::uint8_t>(others | ((field + 1) & 3) << shift);
}

std::optional<MapCell> MapEditor::press(ByteArray& rom, int button, int x, int y,
                                        std::uint8_t metatile) {
  const std::optional<MapCell> cell = mapCellAt(x, y);
  if (!cell) {
    return std::nullopt;
  }
  current_ = *cell;
  const std::int64_t index = std::int64_t{cell->row} * rom::kMapColumns + cell->column;
  const std::int64_t mapOffset = rom::kFieldMap.offset + index;
  const std::int64_t attributeOffset = rom::kFieldAttributeMap.offset + index;
  if (attributeOffset >= static_cast<std::int64_t>(rom.size())) {
    return std::nullopt;  // no image loaded
  }
  if (button == kLeftButton) {
    stroke_ = true;
    rom[static_cast<std::size_t>(mapOffset)] = metatile;
  } else if (button == kRightButton) {
    auto& attribute = rom[static_cast<std::size_t>(attributeOffset)];
    attribute = cycleQuadrant(attribute, quadrantAt(x, y));
  } else {
    return std::nullopt;
  }
  return cell;
}

std::optional<MapCell> MapEditor::move(ByteArray& rom, int buttons, int x, int y,
                                       std::uint8_t metatile) {
  const std::optional<MapCell> cell = mapCellAt(x, y);
  if (!stroke_ || buttons != kLeftButton || !cell || *cell == current_) {
    return std::nullopt;
  }
  return press(rom, kLeftButton, x, y, metatile);
}

}  // namespace tarvo
