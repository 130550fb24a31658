// The bookkeeping target: random tile and metatile commands on a crowded
// copy of the demo image.
#include <vector>

#include "demo/demo_rom.h"
#include "fuzz_targets.h"
#include "screens/tile_bookkeeping.h"
#include "screens/tile_budget.h"
#include "screens/views.h"
#include "shell/rom_locations.h"

namespace tarvo::fuzz {

namespace {

std::vector<Color> pixelsOf(const ByteArray& image, View view) {
  const Surface surface = renderView(image, view, 0);
  return {surface.pixels(), surface.pixels() + surface.width() * surface.height()};
}

}  // namespace

void bookkeeping(const std::uint8_t* data, std::size_t size) {
  static const ByteArray demo = makeDemoRom();
  ByteArray image = demo;
  std::size_t at = 0;
  const auto next = [&]() -> int { return at < size ? data[at++] : 0; };
  // First the bytes crowd the image: tiles copied over others, entries over
  // entries, map cells and names set, so that duplicates and unused ones
  // come; a zero ends that part.
  for (int copies = 0; copies < 64; ++copies) {
    const int what = next();
    if (what == 0) {
      break;
    }
    const int from = next();
    const int to = next();
    const auto copy = [&](std::int64_t base, int side, int count) {
      std::copy_n(image.begin() + base + (from % count) * side, side,
                  image.begin() + base + (to % count) * side);
    };
    switch (what % 4) {
      case 0:
        copy(rom::kFieldChrBank.offset, 16, 256);
        break;
      case 1:
        copy(rom::kBatViewChrBank.offset, 16, 256);
        break;
      case 2:
        copy(rom::kMetatileTable.offset, 16, rom::kMetatileCount);
        break;
      default:
        image[static_cast<std::size_t>(rom::kFieldMap.offset + to * 3 % rom::kFieldMap.length)] =
            static_cast<std::uint8_t>(from % rom::kMetatileCount);
        image[static_cast<std::size_t>(rom::kBatViewNameTable.offset + to * 4)] =
            static_cast<std::uint8_t>(from);
        break;
    }
  }
  const std::vector<Color> field = pixelsOf(image, View::Field);
  const std::vector<Color> batView = pixelsOf(image, View::BatView);
  for (int command = 0; command < 8 && at < size; ++command) {
    const int which = next();
    const TileScreen screen = (which & 0x80) != 0 ? TileScreen::BatView : TileScreen::Field;
    const ByteArray before = image;
    BookkeepingResult result;
    switch (which % 9) {
      case 0:
        result = mergeDuplicateTiles(image, screen);
        FUZZ_CHECK(countBudget(image, screen).duplicateTiles == 0);
        break;
      case 1:
        result = removeUnusedTiles(image, screen, (which & 0x40) != 0);
        break;
      case 2:
        result = sortTiles(image, screen,
                           (which & 0x40) != 0 ? TileOrder::Frequency : TileOrder::FirstUse);
        break;
      case 3:
        result = swapTiles(image, screen, next(), next());
        break;
      case 4:
        result = mergeDuplicateMetatiles(image);
        FUZZ_CHECK(countBudget(image, TileScreen::Field).duplicateMetatiles == 0);
        break;
      case 5:
        result = removeUnusedMetatiles(image);
        break;
      case 6:
        result = swapMetatiles(image, next() % rom::kMetatileCount, next() % rom::kMetatileCount);
        break;
      case 7:
        result = optimise(image, screen, {true, true, TileOrder::FirstUse, {}});
        break;
      default: {
        // Reduce changes the picture: only the count is promised, and it
        // is checked on a copy.
        ByteArray reduced = image;
        const int most = 1 + next();
        FUZZ_CHECK(reduceTiles(reduced, screen, most).done);
        FUZZ_CHECK(countBudget(reduced, screen).tilesUsed <= most);
        continue;
      }
    }
    FUZZ_CHECK(result.done && !result.message.empty());
    FUZZ_CHECK(image.size() == before.size());
    FUZZ_CHECK(pixelsOf(image, View::Field) == field);
    FUZZ_CHECK(pixelsOf(image, View::BatView) == batView);
  }
}

}  // namespace tarvo::fuzz
