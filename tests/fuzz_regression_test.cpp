// Every input that ever broke a fuzz target, run again; and each target on
// the inputs its fuzzing starts from, so that the targets themselves stay
// sound between fuzzing runs.
#include <gtest/gtest.h>

#include <string_view>

#include <filesystem>

#include "demo/demo_rom.h"
#include "fuzz_targets.h"
#include "gfx/png_image.h"
#include "screens/views.h"
#include "shell/patches.h"
#include "test_support.h"

namespace tarvo {
namespace {

ByteArray bytesOf(std::string_view text) {
  return ByteArray(text.begin(), text.end());
}

namespace fs = std::filesystem;

void run(std::string_view target, const ByteArray& input) {
  fuzz::Target function = fuzz::targetNamed(target);
  ASSERT_NE(function, nullptr) << target;
  function(input.data(), input.size());
}

TEST(FuzzRegressions, EveryKeptInputRunsClean) {
  const fs::path folder = fs::path(TARVO_FUZZ_REGRESSIONS);
  ASSERT_TRUE(fs::is_directory(folder)) << folder;
  for (const auto& targetFolder : fs::directory_iterator(folder)) {
    if (!targetFolder.is_directory()) {
      continue;
    }
    const std::string target = targetFolder.path().filename().string();
    ASSERT_NE(fuzz::targetNamed(target), nullptr) << "no fuzz target " << target;
    for (const auto& file : fs::directory_iterator(targetFolder.path())) {
      SCOPED_TRACE(file.path().string());
      run(target, test::readFile(file.path()));
    }
  }
}

TEST(FuzzTargets, RunOnTheirStartingInputs) {
  const ByteArray demo = makeDemoRom();
  ByteArray png;
  ASSERT_TRUE(encodeViewPng(demo, View::FieldChr, 0, png));
  ByteArray edited = demo;
  edited[0x8010] ^= 0xFF;
  ByteArray ips;
  ByteArray bps;
  ASSERT_TRUE(makePatch(PatchFormat::Ips, demo, edited, ips));
  ASSERT_TRUE(makePatch(PatchFormat::Bps, demo, edited, bps));
  const std::vector<std::pair<std::string, ByteArray>> inputs{
      {"rom_views", {}},
      {"rom_views", demo},
      {"rom_views", test::randomBytes(rom::kMinImageSize, 3)},
      {"edits", {}},
      {"edits", test::randomBytes(400, 4)},
      {"edits", test::randomBytes(400, 5)},
      {"png_import", png},
      {"png_import", {}},
      {"patch_apply", ips},
      {"patch_apply", bps},
      {"patch_apply", test::randomBytes(64, 6)},
      {"map_block_text", {}},
      {"map_block_text", bytesOf("\x2A\x25tarvo-field-block 1 2 1\n0A ff\n0123\n3210\n")},
      {"map_block_text", test::randomBytes(200, 7)},
      {"picture_fit", {}},
      {"picture_fit", test::randomBytes(300, 8)},
      {"picture_fit", bytesOf("\x07\x03\x0f\x0f\x0f\xf0\xf0\xf0\x80\x80\x20\x00\x01\x02")},
      {"picture_fit", bytesOf("\x3f\x05\x10\x20\x30\x40\x50\x60\x70\x80\x90\x01\x04")},
      {"bookkeeping", {}},
      {"bookkeeping", test::randomBytes(300, 9)},
  };
  for (const auto& [target, input] : inputs) {
    run(target, input);
  }
}

// The edit target on many random sequences of edits, undos and redos in
// both windows: after each step every view equals a fresh full draw of the
// image, though only what the history announced was drawn again. A failure
// names the sequence's variant; its bytes are test::randomBytes(600, variant).
TEST(EditSequences, EveryViewStaysAFreshDrawOfTheImage) {
  for (std::uint32_t variant = 100; variant < 140; ++variant) {
    SCOPED_TRACE(variant);
    run("edits", test::randomBytes(600, variant));
  }
}

}  // namespace
}  // namespace tarvo
