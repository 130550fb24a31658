#include "screens/tile_bookkeeping.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "demo/demo_rom.h"
#include "screens/field_views.h"
#include "screens/tile_budget.h"
#include "screens/tile_usage.h"
#include "screens/views.h"
#include "shell/rom_locations.h"
#include "test_support.h"

namespace tarvo {
namespace {

std::uint8_t& at(ByteArray& image, std::int64_t offset) {
  return image[static_cast<std::size_t>(offset)];
}

// A random image whose banks repeat a few tiles, whose table repeats a few
// entries and whose map leaves some metatiles out: duplicates and unused
// tiles abound. The map stays within the table.
ByteArray crowdedImage(std::uint32_t variant) {
  ByteArray image = test::randomBytes(rom::kMinImageSize, variant);
  std::mt19937 random(variant);
  for (const rom::Location& bank : {rom::kFieldChrBank, rom::kBatViewChrBank}) {
    for (int tile = 24; tile < rom::kBankTiles; ++tile) {
      const int copied = static_cast<int>(random() % 24);
      for (int k = 0; k < rom::kTileBytes; ++k) {
        at(image, bank.offset + tile * 16 + k) = at(image, bank.offset + copied * 16 + k);
      }
    }
  }
  for (int entry = 0; entry < rom::kMetatileCount; ++entry) {
    const int copied = entry >= 90 ? static_cast<int>(random() % 90) : entry;
    for (int k = 0; k < 16; ++k) {
      at(image, rom::kMetatileTable.offset + entry * 16 + k) =
          entry >= 90 ? at(image, rom::kMetatileTable.offset + copied * 16 + k)
                      : static_cast<std::uint8_t>(random() % 200);
    }
  }
  for (int cell = 0; cell < rom::kFieldMap.length; ++cell) {
    at(image, rom::kFieldMap.offset + cell) = static_cast<std::uint8_t>(random() % 120);
  }
  for (int cell = 0; cell < rom::kBatViewNameTable.length; ++cell) {
    at(image, rom::kBatViewNameTable.offset + cell) = static_cast<std::uint8_t>(random() % 180);
  }
  return image;
}

std::vector<Color> pixelsOf(const ByteArray& image, View view) {
  const Surface surface = renderView(image, view, 0);
  return {surface.pixels(), surface.pixels() + surface.width() * surface.height()};
}

bool blankAt(const ByteArray& image, std::int64_t offset) {
  for (int k = 0; k < 16; ++k) {
    if (image[static_cast<std::size_t>(offset + k)] != 0) {
      return false;
    }
  }
  return true;
}

struct Command {
  const char* name;
  TileScreen screen;
  std::function<BookkeepingResult(ByteArray&)> run;
  // What must hold afterwards, besides the pictures.
  std::function<bool(const ByteArray&)> holds;
};

std::vector<Command> commands() {
  using S = TileScreen;
  std::vector<Command> list;
  for (const S screen : {S::Field, S::BatView}) {
    const auto figures = [screen](const ByteArray& image) { return countBudget(image, screen); };
    list.push_back(
        {"merge duplicate tiles", screen,
         [screen](ByteArray& image) { return mergeDuplicateTiles(image, screen); },
         [figures](const ByteArray& image) { return figures(image).duplicateTiles == 0; }});
    list.push_back({"remove unused tiles", screen,
                    [screen](ByteArray& image) { return removeUnusedTiles(image, screen); },
                    [screen](const ByteArray& image) {
                      for (const int tile : budgetMembers(image, screen, BudgetLine::TilesUnused)) {
                        if (tile != 0 && !blankAt(image, tileBankOf(screen).offset + tile * 16)) {
                          return false;
                        }
                      }
                      return true;
                    }});
    for (const TileOrder order : {TileOrder::FirstUse, TileOrder::Frequency}) {
      list.push_back({order == TileOrder::FirstUse ? "sort by first use" : "sort by frequency",
                      screen,
                      [screen, order](ByteArray& image) { return sortTiles(image, screen, order); },
                      [screen](const ByteArray& image) {
                        // The used tiles come first, tile 0 aside.
                        const auto used = usedTiles(image, screen);
                        const int count = countBudget(image, screen).tilesUsed;
                        for (int tile = 1; tile < count; ++tile) {
                          if (!used[static_cast<std::size_t>(tile)]) {
                            return false;
                          }
                        }
                        return true;
                      }});
    }
    list.push_back({"swap tiles", screen,
                    [screen](ByteArray& image) { return swapTiles(image, screen, 3, 200); },
                    [](const ByteArray&) { return true; }});
    list.push_back({"optimise", screen,
                    [screen](ByteArray& image) {
                      return optimise(image, screen, {true, true, TileOrder::Frequency, {}});
                    },
                    [figures, screen](const ByteArray& image) {
                      const BudgetFigures after = figures(image);
                      return after.duplicateTiles == 0 &&
                             (screen == S::BatView || after.duplicateMetatiles == 0);
                    }});
  }
  list.push_back(
      {"merge duplicate metatiles", S::Field, mergeDuplicateMetatiles, [](const ByteArray& image) {
         return countBudget(image, S::Field).duplicateMetatiles == 0;
       }});
  list.push_back(
      {"remove unused metatiles", S::Field, removeUnusedMetatiles, [](const ByteArray& image) {
         for (const int m : budgetMembers(image, S::Field, BudgetLine::MetatilesUnused)) {
           if (!blankAt(image, rom::kMetatileTable.offset + m * 16)) {
             return false;
           }
         }
         return true;
       }});
  list.push_back({"swap metatiles", S::Field,
                  [](ByteArray& image) { return swapMetatiles(image, 5, 100); },
                  [](const ByteArray&) { return true; }});
  return list;
}

// The one property that matters: the field and the batter's view look as
// before, whatever the command and the image.
TEST(TileBookkeeping, EveryCommandKeepsThePicturesAndDoesWhatItSays) {
  std::vector<std::pair<std::string, ByteArray>> images{{"demo", makeDemoRom()}};
  for (std::uint32_t variant = 1; variant <= 4; ++variant) {
    images.emplace_back("crowded " + std::to_string(variant), crowdedImage(variant));
  }
  for (const auto& [imageName, image] : images) {
    const std::vector<Color> field = pixelsOf(image, View::Field);
    const std::vector<Color> batView = pixelsOf(image, View::BatView);
    for (const Command& command : commands()) {
      SCOPED_TRACE(imageName + ": " + command.name);
      ByteArray changed = image;
      const BookkeepingResult result = command.run(changed);
      EXPECT_TRUE(result.done) << result.message;
      EXPECT_FALSE(result.message.empty());
      EXPECT_EQ(pixelsOf(changed, View::Field), field);
      EXPECT_EQ(pixelsOf(changed, View::BatView), batView);
      EXPECT_TRUE(command.holds(changed));
    }
  }
}

TEST(TileBookkeeping, FieldTileCommandsRefuseAMapBeyondTheTable) {
  ByteArray image = crowdedImage(7);
  at(image, rom::kFieldMap.offset + 30) = 0x90;
  for (const Command& command : commands()) {
    ByteArray changed = image;
    const BookkeepingResult result = command.run(changed);
    const bool metatileCommand = std::string(command.name).find("metatile") != std::string::npos;
    const bool refused = command.screen == TileScreen::Field && !metatileCommand;
    EXPECT_EQ(result.done, !refused) << command.name;
    if (refused) {
      EXPECT_EQ(changed, image) << command.name;
      EXPECT_NE(result.message.find("column 6, row 1"), std::string::npos) << result.message;
    }
  }
}

TEST(TileBookkeeping, ReduceLeavesAtMostTheTilesAskedAndKeepsTileZero) {
  for (const TileScreen screen : {TileScreen::Field, TileScreen::BatView}) {
    ByteArray image = crowdedImage(9);
    const std::int64_t tile0 = tileBankOf(screen).offset;
    const ByteArray tile0Before(image.begin() + tile0, image.begin() + tile0 + 16);
    const int distinct =
        countBudget(image, screen).tilesUsed - countBudget(image, screen).duplicateTiles;
    for (const int most : {0, 257}) {
      ByteArray same = image;
      EXPECT_FALSE(reduceTiles(same, screen, most).done);
      EXPECT_EQ(same, image);
    }
    // Down to the distinct tiles only duplicates merge: the pictures stay.
    ByteArray exact = image;
    ASSERT_TRUE(reduceTiles(exact, screen, distinct).done);
    EXPECT_EQ(pixelsOf(exact, View::Field), pixelsOf(image, View::Field));
    EXPECT_EQ(pixelsOf(exact, View::BatView), pixelsOf(image, View::BatView));
    const BookkeepingResult result = reduceTiles(image, screen, 10);
    ASSERT_TRUE(result.done) << result.message;
    EXPECT_EQ(countBudget(image, screen).tilesUsed, 10);
    EXPECT_EQ(ByteArray(image.begin() + tile0, image.begin() + tile0 + 16), tile0Before);
  }
}

// The tracker, fed only the changed ranges, agrees with a count from
// scratch after every random edit of the locations it reads.
TEST(TileBudget, TheTrackerFollowsRandomEdits) {
  const rom::Location places[] = {
      rom::kMetatileTable,    rom::kFieldMap,     rom::kFieldChrBank,     rom::kBatViewChrBank,
      rom::kBatViewNameTable, rom::kFieldPalette, rom::kFieldAttributeMap};
  for (const TileScreen screen : {TileScreen::Field, TileScreen::BatView}) {
    ByteArray image = crowdedImage(11);
    BudgetTracker tracker(screen);
    tracker.recount(image);
    std::mt19937 random(12);
    for (int edit = 0; edit < 300; ++edit) {
      const rom::Location& place = places[random() % std::size(places)];
      const std::int64_t offset = place.offset + random() % place.length;
      const std::int64_t length = std::min<std::int64_t>(1 + random() % 20, place.end() - offset);
      for (std::int64_t k = 0; k < length; ++k) {
        // Few values, so that duplicates come and go.
        at(image, offset + k) = static_cast<std::uint8_t>(random() % (edit % 2 == 0 ? 4 : 133));
      }
      tracker.update(image, {{offset, length}});
      ASSERT_EQ(tracker.figures(), countBudget(image, screen)) << "edit " << edit;
    }
  }
}

TEST(TileBudget, FiguresTextAndUsesOfAHandBuiltImage) {
  ByteArray image(rom::kMinImageSize, 0);
  // Metatile 1 names tiles 7 (twice) and 9; tile 9 holds the bytes of tile
  // 7; the map shows metatile 1 in two cells and metatile 2 (equal to 0) in
  // one.
  at(image, rom::kMetatileTable.offset + 16 + 0) = 7;
  at(image, rom::kMetatileTable.offset + 16 + 5) = 7;
  at(image, rom::kMetatileTable.offset + 16 + 15) = 9;
  at(image, rom::kFieldChrBank.offset + 7 * 16) = 0x81;
  at(image, rom::kFieldChrBank.offset + 9 * 16) = 0x81;
  at(image, rom::kFieldMap.offset + 3) = 1;
  at(image, rom::kFieldMap.offset + 50) = 1;
  at(image, rom::kFieldMap.offset + 51) = 2;
  at(image, rom::kFieldPalette.offset + 8) = 0x0F;
  const BudgetFigures figures = countBudget(image, TileScreen::Field);
  EXPECT_EQ(budgetText(TileScreen::Field, figures),
            "tiles used: 3 of 256\ntiles unused: 253\nduplicate tiles: 1\n"
            "metatiles used: 3 of 133\nmetatiles unused: 130\nduplicate metatiles: 1\n");
  EXPECT_TRUE(figures.backgroundsDiffer);
  EXPECT_EQ(budgetMembers(image, TileScreen::Field, BudgetLine::DuplicateMetatiles),
            std::vector<int>{2});
  using Kind = UsesSubject::Kind;
  EXPECT_EQ(usesText({Kind::FieldTile, 7}, usesOf(image, {Kind::FieldTile, 7})),
            "tile 0x07: 1 metatile, 2 cells");
  EXPECT_EQ(usesOfTile(image, TileScreen::Field, 7).cells,
            (std::vector<std::pair<int, int>>{{3, 0}, {2, 2}}));
  EXPECT_EQ(usesText({Kind::Metatile, 0}, usesOf(image, {Kind::Metatile, 0})),
            "metatile 0x00: 573 cells");
  EXPECT_EQ(usesText({Kind::BatViewTile, 0}, usesOf(image, {Kind::BatViewTile, 0})),
            "batter's view tile 0x00: 960 cells");
  EXPECT_EQ(budgetText(TileScreen::BatView, countBudget(image, TileScreen::BatView)),
            "tiles used: 1 of 256\ntiles unused: 255\nduplicate tiles: 0\n");
}

TEST(TileBookkeeping, ACommandIsOneStepOfTheHistory) {
  ByteArray image = crowdedImage(13);
  const ByteArray before = image;
  EditHistory history(image);
  const BookkeepingResult result =
      runBookkeeping(history, "Merge Duplicate Tiles",
                     [](ByteArray& at) { return mergeDuplicateTiles(at, TileScreen::Field); });
  ASSERT_TRUE(result.done);
  EXPECT_NE(image, before);
  EXPECT_EQ(history.undoName(), "Merge Duplicate Tiles");
  ASSERT_TRUE(history.undo());
  EXPECT_EQ(image, before);
  EXPECT_FALSE(history.canUndo());
}

// The table drawn as used follows map, attribute and definition edits as a
// fresh draw would show them.
TEST(MetatileColours, AsUsedFollowsEveryEditThatMovesAFirstUse) {
  const struct {
    const char* name;
    std::int64_t offset;
    std::uint8_t value;
  } edits[] = {
      {"attribute of a first use", rom::kFieldAttributeMap.offset + 40, 0xE4},
      {"map cell before a first use", rom::kFieldMap.offset + 0, 7},
      {"map cell that was a first use", rom::kFieldMap.offset + 300, 1},
      {"definition", rom::kMetatileTable.offset + 7 * 16 + 3, 0x20},
      {"field palette", rom::kFieldPalette.offset + 6, 0x16},
  };
  ByteArray image = makeDemoRom();
  FieldViews views(image);
  views.refreshGFX();
  views.setMetatileColours(FieldViews::MetatileColours::AsUsed);
  for (const auto& edit : edits) {
    at(image, edit.offset) = edit.value;
    views.imageChanged({{edit.offset, 1}});
    FieldViews fresh(image);
    fresh.setMetatileColours(FieldViews::MetatileColours::AsUsed);
    fresh.refreshGFX();
    const Surface& got = views.metaTableSurface;
    EXPECT_TRUE(std::equal(got.pixels(), got.pixels() + 512 * 512, fresh.metaTableSurface.pixels()))
        << edit.name;
  }
}

}  // namespace
}  // namespace tarvo
