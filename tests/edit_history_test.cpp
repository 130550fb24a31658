#include "shell/edit_history.h"

#include <gtest/gtest.h>

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

TEST(EditHistory, RandomEditsUndoRedoAndSavesFollowTheModel) {
  for (std::uint32_t variant = 1; variant <= 5; ++variant) {
    SCOPED_TRACE(variant);
    ByteArray image = test::randomBytes(rom::kMinImageSize + 100, variant);
    EditHistory history(image);
    Model model{{image}, 0, 0};
    std::mt19937 random(variant);
    for (int step = 0; step < 400; ++step) {
      const unsigned choice = random() % 10;
      if (choice < 5) {
        history.begin("edit");
        const int writes = static_cast<int>(random() % 4);  // 0: a click that changes nothing
        for (int w = 0; w < writes; ++w) {
          // Runs of bytes anywhere in the tracked part, the last byte included.
          const std::size_t at = random() % rom::kMinImageSize;
          const std::size_t length = 1 + random() % 40;
          for (std::size_t i = at; i < std::min<std::size_t>(at + length, rom::kMinImageSize);
               ++i) {
            image[i] = static_cast<std::uint8_t>(random());
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
      ASSERT_EQ(history.index(), model.index);
      ASSERT_EQ(history.size() + 1, model.states.size());
      ASSERT_EQ(history.isModified(), model.saved != model.index);
      ASSERT_EQ(history.canUndo(), model.index > 0);
      ASSERT_EQ(history.canRedo(), model.index + 1 < model.states.size());
    }
  }
}

TEST(EditHistory, AStepRecordsExactlyTheChangedRuns) {
  ByteArray image(rom::kMinImageSize, 0);
  EditHistory history(image);
  history.begin("Paint");
  image[10] = 1;
  image[11] = 2;
  image[13] = 3;
  image[rom::kMinImageSize - 1] = 4;
  ASSERT_TRUE(history.commit());
  ASSERT_EQ(history.steps().size(), 1U);
  const auto& changes = history.steps()[0].changes;
  ASSERT_EQ(changes.size(), 3U);
  EXPECT_EQ(changes[0].offset, 10);
  EXPECT_EQ(changes[0].before, (ByteArray{0, 0}));
  EXPECT_EQ(changes[0].after, (ByteArray{1, 2}));
  EXPECT_EQ(changes[1].offset, 13);
  EXPECT_EQ(changes[2].offset, rom::kMinImageSize - 1);
  EXPECT_EQ(history.undoName(), "Paint");
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
      image[100] = 7;
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
    EXPECT_EQ(image[100], earlier ? 7 : 0);
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
  image[50] = 9;
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
  ASSERT_EQ(document.load((dir / "game.nes").string()), 0);
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
  ASSERT_EQ(document.save(), 0);
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
  ASSERT_EQ(document.load((dir / "game.nes").string()), 0);
  document.history().begin("edit");
  image[0] ^= 1;
  document.history().commit();
  const ByteArray edited = image;
  std::string reason;
  EXPECT_EQ(document.load((dir / "short.nes").string(), &reason), 1);
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
