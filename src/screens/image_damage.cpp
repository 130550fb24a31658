#include "screens/image_damage.h"

#include <algorithm>

namespace tarvo {

namespace {

// Calls `mark(i)` for every item of `size` bytes, stored one after another
// from `location`'s start, that a byte of `range` belongs to.
template <typename Mark>
void markItems(const ByteRange& range, const rom::Location& location, int size, Mark mark) {
  const std::int64_t from = std::max<std::int64_t>(range.offset, location.offset);
  const std::int64_t to = std::min<std::int64_t>(range.end(), location.end());
  if (from >= to) {
    return;
  }
  const auto first = static_cast<std::size_t>((from - location.offset) / size);
  const auto last = static_cast<std::size_t>((to - 1 - location.offset) / size);
  for (std::size_t i = first; i <= last; ++i) {
    mark(i);
  }
}

bool overlaps(const ByteRange& range, const rom::Location& location) {
  return range.offset < location.end() && range.end() > location.offset;
}

}  // namespace

bool ImageDamage::any() const {
  return mapCells.any() || metatiles.any() || fieldTiles.any() || batViewTiles.any() ||
         batViewCells.any() || fieldPalette || batViewPalette;
}

ImageDamage damageOf(const std::vector<ByteRange>& ranges) {
  ImageDamage damage;
  for (const ByteRange& range : ranges) {
    markItems(range, rom::kFieldMap, 1, [&](std::size_t i) { damage.mapCells.set(i); });
    markItems(range, rom::kFieldAttributeMap, 1, [&](std::size_t i) { damage.mapCells.set(i); });
    markItems(range, rom::kMetatileTable, rom::kMetatileTiles,
              [&](std::size_t i) { damage.metatiles.set(i); });
    markItems(range, rom::kFieldChrBank, rom::kTileBytes,
              [&](std::size_t i) { damage.fieldTiles.set(i); });
    markItems(range, rom::kBatViewChrBank, rom::kTileBytes,
              [&](std::size_t i) { damage.batViewTiles.set(i); });
    markItems(range, rom::kBatViewNameTable, 1, [&](std::size_t i) { damage.batViewCells.set(i); });
    damage.fieldPalette = damage.fieldPalette || overlaps(range, rom::kFieldPalette);
    damage.batViewPalette = damage.batViewPalette || overlaps(range, rom::kBatViewPalette);
  }
  return damage;
}

}  // namespace tarvo
