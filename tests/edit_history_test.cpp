#include "shell/edit_history.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

#include "screens/status_text.h"
#include "shell/rom_document.h"
#include "shell/rom_locations.h"
#include "test_support.h"

namespace tarvo {
namespace {

// The plainest history there is: every state of the image, in order.
struct Model {
  std::vector<ByteArray> states;
  std::size_t index = 0;
  std::size_t saved = 0;  // or npos
};

// Every range the history announces, checked as it comes: sorted, apart,
// each within one location of the table.
struct Announcements : EditHistory::Listener {
  std::vector<ByteRange> ranges;
  int historyChanges = 0;
  void imageChanged(const std::vector<ByteRange>& changed) override {
    for (std::size_t i = 0; i < changed.size(); ++i) {
      EXPECT_GT(changed[i].length, 0);
      EXPECT_TRUE(i == 0 || changed[i - 1].end() < changed[i].offset + 1);
      const bool inOneLocation = std::any_of(
          rom::kLocationTable.begin(), rom::kLocationTable.end(), [&](const rom::Location& l) {
            return changed[i].offset >= l.offset && changed[i].end() <= l.end();
          });
      EXPECT_TRUE(inOneLocation) << changed[i].offset << " " << changed[i].length;
    }
    ranges.insert(ranges.end(), changed.begin(), changed.end());
  }
  void historyChanged() override { ++historyChanges; }
  // Whether every byte where `a` and `b` differ was announced.
  bool cover(const ByteArray& a, const ByteArray& b) const {
    for (std::size_t i = 0; i < a.size(); ++i) {
      const auto at = static_cast<std::int64_t>(i);
      if (a[i] != b[i] && std::none_of(ranges.begin(), ranges.end(),
                                       [&](const ByteRange& r) { return r.contains(at); })) {
        return false;
      }
    }
    return true;
  }
};

// Every location of the table is one the history follows: an edit anywhere
// the editor reads or writes is recorded.
TEST(EditHistory, FollowsEveryLocationOfTheTable) {
  const std::vector<ByteRange>& tracked = EditHistory::trackedRanges();
  for (const rom::Location& location : rom::kLocationTable) {
    EXPECT_TRUE(std::any_of(tracked.begin(), tracked.end(), [&](const ByteRange& r) {
      return location.offset >= r.offset && location.end() <= r.end();
    })) << location.name;
  }
  for (std::size_t i = 1; i < tracked.size(); ++i) {
    EXPECT_LE(tracked[i - 1].end(), tracked[i].offset);
  }
}

TEST(EditHistory, RandomEditsUndoRedoAndSavesFollowTheModel) {
  for (std::uint32_t variant = 1; variant <= 5; ++variant) {
    SCOPED_TRACE(variant);
    ByteArray image = test::randomBytes(rom::kMinImageSize + 100, variant);
    EditHistory history(image);
    Announcements told;
    history.addListener(&told);
    Model model{{image}, 0, 0};
    std::mt19937 random(variant);
    for (int step = 0; step < 400; ++step) {
      const unsigned choice = random() % 10;
      const ByteArray before = image;
      told.ranges.clear();
      if (choice < 5) {
        history.begin("edit");
        const int writes = static_cast<int>(random() % 4);  // 0: a click that changes nothing
        for (int w = 0; w < writes; ++w) {
          // Runs of bytes in any location, its last byte included; the field
          // map runs on into the attribute map.
          const rom::Location& location =
              rom::kLocationTable[random() % rom::kLocationTable.size()];
          const std::size_t at = location.offset + random() % location.length;
          const std::size_t end = location.offset == rom::kFieldMap.offset
                                      ? rom::kFieldAttributeMap.end()
                                      : location.end();
          const std::size_t length = 1 + random() % 40;
          for (std::size_t i = at; i < std::min(at + length, end); ++i) {
            image[i] = static_cast<std::uint8_t>(random());
          }
          if (w == 1) {
            history.flush();  // a stroke shows what it did so far
          }
        }
        const bool changed = image != model.states[model.index];
        EXPECT_EQ(history.commit(), changed);
        if (changed) {
          model.states.resize(model.index + 1);
          if (model.saved != std::string::npos && model.saved > model.index) {
            model.saved = std::string::npos;
          }
          model.states.push_back(image);
          ++model.index;
        }
      } else if (choice < 7) {
        EXPECT_EQ(history.undo(), model.index > 0);
        model.index -= model.index > 0 ? 1 : 0;
      } else if (choice < 9) {
        const bool can = model.index + 1 < model.states.size();
        EXPECT_EQ(history.redo(), can);
        model.index += can ? 1 : 0;
      } else {
        history.markSaved();
        model.saved = model.index;
      }
      ASSERT_EQ(image, model.states[model.index]) << "after step " << step;
      ASSERT_TRUE(told.cover(before, image)) << "after step " << step;
      ASSERT_EQ(history.index(), model.index);
      ASSERT_EQ(history.size() + 1, model.states.size());
      ASSERT_EQ(history.isModified(), model.saved != model.index);
      ASSERT_EQ(history.canUndo(), model.index > 0);
      ASSERT_EQ(history.canRedo(), model.index + 1 < model.states.size());
    }
  }
}

// A step records, and announces, the runs of changed bytes, split where one
// location ends and the next begins; bytes outside every location are not
// the history's.
TEST(EditHistory, AStepRecordsExactlyTheChangedRuns) {
  ByteArray image(rom::kMinImageSize, 0);
  EditHistory history(image);
  Announcements told;
  history.addListener(&told);
  const std::size_t boundary = rom::kFieldAttributeMap.offset;
  history.begin("Paint");
  image[10] = 1;
  image[11] = 2;
  image[13] = 3;
  image[boundary - 1] = 5;  // the last map byte and the first attribute byte
  image[boundary] = 6;
  image[rom::kMinImageSize - 1] = 4;
  image[rom::kFieldPalette.offset - 1] = 9;  // in no location
  ASSERT_TRUE(history.commit());
  ASSERT_EQ(history.steps().size(), 1U);
  const auto& changes = history.steps()[0].changes;
  ASSERT_EQ(changes.size(), 5U);
  EXPECT_EQ(changes[0].offset, 10);
  EXPECT_EQ(changes[0].before, (ByteArray{0, 0}));
  EXPECT_EQ(changes[0].after, (ByteArray{1, 2}));
  EXPECT_EQ(changes[1].offset, 13);
  EXPECT_EQ(changes[2].offset, static_cast<std::int64_t>(boundary - 1));
  EXPECT_EQ(changes[2].after, ByteArray{5});
  EXPECT_EQ(changes[3].offset, static_cast<std::int64_t>(boundary));
  EXPECT_EQ(changes[4].offset, rom::kMinImageSize - 1);
  EXPECT_EQ(history.undoName(), "Paint");
  EXPECT_EQ(told.ranges, (std::vector<ByteRange>{{10, 2},
                                                 {13, 1},
                                                 {static_cast<std::int64_t>(boundary - 1), 1},
                                                 {static_cast<std::int64_t>(boundary), 1},
                                                 {rom::kMinImageSize - 1, 1}}));
  // Undo and redo announce the same ranges.
  told.ranges.clear();
  history.undo();
  EXPECT_EQ(told.ranges.size(), 5U);
  EXPECT_EQ(image[rom::kFieldPalette.offset - 1], 9);  // not the history's to take back
}

// An Edit is one step from its making to its end; one made while another is
// open joins it; flush() announces what changed so far and closing announces
// the rest, each byte once.
TEST(EditHistory, AnEditIsOneStepAndAnnouncesAsItGoes) {
  ByteArray image(rom::kMinImageSize, 0);
  EditHistory history(image);
  Announcements told;
  history.addListener(&told);
  const auto map = static_cast<std::size_t>(rom::kFieldMap.offset);
  {
    Edit stroke(history, "Put metatile");
    image[map] = 1;
    stroke.flush();
    EXPECT_EQ(told.ranges, (std::vector<ByteRange>{{rom::kFieldMap.offset, 1}}));
    {
      Edit right(history, "Change sub-palette");  // joins the stroke
      image[rom::kFieldAttributeMap.offset] = 2;
    }
    EXPECT_EQ(told.ranges.size(), 2U);
    EXPECT_TRUE(history.isOpen());
    image[map + 1] = 3;
    EXPECT_TRUE(stroke.close());
    EXPECT_FALSE(stroke.close());
    EXPECT_EQ(told.ranges.size(), 3U);
  }
  EXPECT_EQ(history.size(), 1U);
  EXPECT_EQ(history.undoName(), "Put metatile");
  {
    Edit nothing(history, "Put metatile");  // changes no byte: no step
  }
  EXPECT_EQ(history.size(), 1U);
  {
    // A joined edit that outlives the one it joined keeps the step open
    // until it closes too: what it does after is recorded and announced.
    auto first = std::make_unique<Edit>(history, "Put metatile");
    Edit second(history, "Paint");
    image[map + 2] = 4;
    first.reset();
    EXPECT_TRUE(history.isOpen());
    image[map + 3] = 5;
    second.flush();
    EXPECT_EQ(told.ranges.back(), (ByteRange{rom::kFieldMap.offset + 3, 1}));
  }
  EXPECT_FALSE(history.isOpen());
  ASSERT_EQ(history.size(), 2U);
  EXPECT_EQ(history.steps()[1].changes.size(), 1U);
  EXPECT_EQ(history.steps()[1].changes[0].after, (ByteArray{4, 5}));
  EXPECT_TRUE(history.undo());
  EXPECT_TRUE(history.undo());
  EXPECT_EQ(image, ByteArray(rom::kMinImageSize, 0));
  history.removeListener(&told);
  told.ranges.clear();
  EXPECT_TRUE(history.redo());
  EXPECT_TRUE(told.ranges.empty());
}

TEST(EditHistory, AStrokeIsOneStepAndAnUndoEndsIt) {
  ByteArray image(rom::kMinImageSize, 0);
  EditHistory history(image);
  history.begin("Stroke");
  image[1] = 1;
  history.begin("Another press");  // still the stroke
  image[2] = 2;
  EXPECT_TRUE(history.isOpen());
  EXPECT_TRUE(history.undo());  // commits the stroke, then takes it back whole
  EXPECT_EQ(image, ByteArray(rom::kMinImageSize, 0));
  EXPECT_EQ(history.redoName(), "Stroke");
  EXPECT_TRUE(history.redo());
  EXPECT_EQ(image[1], 1);
  EXPECT_EQ(image[2], 2);
}

// Ctrl+Z while the mouse is still held: the stroke so far is taken back, and
// what the stroke paints after that is a step of its own, never lost.
TEST(EditHistory, AnUndoDuringAStrokeRecordsWhatTheStrokeDoesNext) {
  ByteArray image(rom::kMinImageSize, 0);
  EditHistory history(image);
  history.begin("Stroke");
  image[1] = 1;
  EXPECT_TRUE(history.undo());
  EXPECT_EQ(image[1], 0);
  EXPECT_TRUE(history.isOpen());
  image[2] = 2;  // the stroke goes on
  ASSERT_TRUE(history.commit());
  EXPECT_EQ(history.undoName(), "Stroke");
  EXPECT_TRUE(history.undo());
  EXPECT_EQ(image, ByteArray(rom::kMinImageSize, 0));
  EXPECT_TRUE(history.redo());
  EXPECT_EQ(image[2], 2);
  EXPECT_EQ(image[1], 0);
}

// Ctrl+Z while the mouse is held does the same in a session's first stroke
// as in any later one: it is enabled as soon as the stroke has changed a
// byte, and takes back the stroke so far, leaving earlier steps done.
TEST(EditHistory, AnUndoDuringAStrokeIsTheSameWithOrWithoutEarlierSteps) {
  for (const bool earlier : {false, true}) {
    SCOPED_TRACE(earlier);
    ByteArray image(rom::kMinImageSize, 0);
    EditHistory history(image);
    if (earlier) {
      history.begin("Earlier");
      image[rom::kMetatileTable.offset] = 7;
      history.commit();
      history.markSaved();
    }
    history.begin("Stroke");
    EXPECT_EQ(history.canUndo(), earlier);  // nothing changed yet
    EXPECT_FALSE(history.isModified());
    image[1] = 1;
    EXPECT_TRUE(history.canUndo());
    EXPECT_EQ(history.undoName(), "Stroke");
    EXPECT_TRUE(history.isModified());
    EXPECT_TRUE(history.undo());
    EXPECT_EQ(image[1], 0);
    EXPECT_EQ(image[rom::kMetatileTable.offset], earlier ? 7 : 0);
    EXPECT_TRUE(history.isOpen());
    EXPECT_EQ(history.redoName(), "Stroke");
    EXPECT_FALSE(history.isModified());
  }
}

// A save or a question during a stroke checkpoints it: what it did so far is
// a step, and what it does next is recorded as the next one.
TEST(EditHistory, ACheckpointDuringAStrokeKeepsItRecording) {
  ByteArray image(rom::kMinImageSize, 0);
  EditHistory history(image);
  EXPECT_FALSE(history.checkpoint());  // no step open: nothing happens
  EXPECT_FALSE(history.isOpen());
  history.begin("Stroke");
  EXPECT_FALSE(history.checkpoint());  // open, but nothing changed yet
  EXPECT_TRUE(history.isOpen());
  image[1] = 1;
  EXPECT_TRUE(history.checkpoint());
  EXPECT_TRUE(history.isOpen());
  history.markSaved();
  EXPECT_FALSE(history.isModified());
  image[2] = 2;
  EXPECT_TRUE(history.isModified());
  EXPECT_TRUE(history.commit());
  ASSERT_EQ(history.size(), 2U);
  EXPECT_EQ(history.steps()[1].name, "Stroke");
  EXPECT_EQ(history.steps()[1].changes.size(), 1U);
  EXPECT_EQ(history.steps()[1].changes[0].offset, 2);
  EXPECT_TRUE(history.undo());
  EXPECT_FALSE(history.isModified());  // back at the saved state
  EXPECT_TRUE(history.undo());
  EXPECT_EQ(image, ByteArray(rom::kMinImageSize, 0));
}

TEST(EditHistory, ANewStepDropsWhatCouldBeRedoneAndTheSavedStateWithIt) {
  ByteArray image(rom::kMinImageSize, 0);
  EditHistory history(image);
  for (int i = 1; i <= 2; ++i) {
    history.begin("edit");
    image[static_cast<std::size_t>(i)] = 1;
    history.commit();
  }
  history.markSaved();
  history.undo();
  EXPECT_TRUE(history.isModified());
  history.begin("other");
  image[rom::kBatViewNameTable.offset] = 9;
  history.commit();
  EXPECT_FALSE(history.canRedo());
  EXPECT_TRUE(history.isModified());
  history.undo();
  EXPECT_TRUE(history.isModified());  // the saved state can no longer be reached
}

TEST(RomDocument, TracksItsFileAndItsEdits) {
  test::TempDir dir;
  const ByteArray original = test::randomBytes(rom::kMinImageSize, 301);
  test::writeFile(dir / "game.nes", original);
  ByteArray image(1, 0);
  RomDocument document(image);
  EXPECT_FALSE(document.isLoaded());
  EXPECT_FALSE(document.changedOnDisk());
  ASSERT_TRUE(document.load((dir / "game.nes").string()));
  EXPECT_EQ(document.fileName(), "game.nes");
  EXPECT_FALSE(document.isModified());
  EXPECT_FALSE(document.changedOnDisk());

  document.history().begin("edit");
  image[rom::kFieldMap.offset] ^= 0xFF;
  document.history().commit();
  EXPECT_TRUE(document.isModified());
  document.history().undo();
  EXPECT_FALSE(document.isModified());
  document.history().redo();
  ASSERT_TRUE(document.save());
  EXPECT_FALSE(document.isModified());
  EXPECT_EQ(test::readFile(dir / "game.nes"), image);
  EXPECT_FALSE(document.changedOnDisk());

  // Another program writes the file, removes it, or puts a folder there.
  ByteArray other = image;
  other[5] ^= 1;
  test::writeFile(dir / "game.nes", other);
  EXPECT_TRUE(document.changedOnDisk());
  std::filesystem::remove(dir / "game.nes");
  EXPECT_TRUE(document.changedOnDisk());
  std::filesystem::create_directory(dir / "game.nes");
  EXPECT_TRUE(document.changedOnDisk());
}

TEST(RomDocument, AFailedLoadKeepsTheDocument) {
  test::TempDir dir;
  test::writeFile(dir / "game.nes", test::randomBytes(rom::kMinImageSize, 302));
  test::writeFile(dir / "short.nes", ByteArray(10, 0));
  ByteArray image;
  RomDocument document(image);
  ASSERT_TRUE(document.load((dir / "game.nes").string()));
  document.history().begin("edit");
  image[0] ^= 1;
  document.history().commit();
  const ByteArray edited = image;
  std::string reason;
  EXPECT_FALSE(document.load((dir / "short.nes").string(), &reason));
  EXPECT_EQ(image, edited);
  EXPECT_EQ(document.fileName(), "game.nes");
  EXPECT_TRUE(document.history().canUndo());
}

TEST(StatusText, TellsWhereThePointerIs) {
  ByteArray rom(rom::kMinImageSize, 0);
  rom[0x8010 + 2 * 24 + 1] = 0x25;  // cell (1, 2)
  rom[0x8250 + 2 * 24 + 1] = 0xE4;
  rom[0x8490 + 10 * 16 + 3] = 0x3C;
  rom[0x10DC] = 0x41;
  const std::vector<std::pair<std::string, std::string>> cases{
      {mapStatus(rom, 40, 70),
       "Column 01, row 02  |  metatile 25  |  top left sub-palette 0  |  map byte 0x8041, "
       "attribute byte 0x8281"},
      {mapStatus(rom, 60, 90),
       "Column 01, row 02  |  metatile 25  |  bottom right sub-palette 3  |  map byte 0x8041, "
       "attribute byte 0x8281"},
      {mapStatus(rom, -1, 5), ""},
      {mapStatus(rom, 767, 768), ""},
      {pickerStatus(150, 260), "Metatile 84  |  defined at 0x8CD0"},
      {pickerStatus(170, 260), ""},
      {patternTableStatus(rom::kFieldChrBank, 37, 250), "Tile F2  |  bytes at 0x15F30"},
      {patternTableStatus(rom::kBatViewChrBank, 0, 0), "Tile 00  |  bytes at 0x17010"},
      {selectedTileStatus(rom::kFieldChrBank, 5, 20, 40),
       "Tile 05, pixel (1, 2)  |  bytes at 0x15060"},
      {metatileCellStatus(rom, 10, 100, 10), "Metatile 0A, cell 3  |  tile 3C  |  byte at 0x8533"},
      {metatileCellStatus(rom, 10, 128, 10), ""},
      {batViewStatus(rom, 100, 50), "Column 0C, row 06  |  tile 41  |  byte at 0x10DC"},
      {batViewStatus(rom, 100, 240), ""},
  };
  for (const auto& [got, expected] : cases) {
    EXPECT_EQ(got, expected);
  }
}

}  // namespace
}  // namespace tarvo
