#include "shell/preview_rom.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "demo/demo_rom.h"
#include "test_support.h"

namespace tarvo {
namespace {

std::int32_t bankEnd(int bank) {
  return rom::kPrgStart + (bank + 1) * rom::kPrgBankBytes;
}

bool inPreviewLocation(std::int32_t offset) {
  return std::any_of(
      rom::kLocationTable.begin() + 1, rom::kLocationTable.end(),
      [&](const rom::Location& l) { return offset >= l.offset && offset < l.end(); });
}

TEST(ViewerRom, HoldsTheHeaderTheViewerItsResetTailsAndFiller) {
  const ByteArray image = makeViewerRom();
  ASSERT_EQ(image.size(), 98320u);
  const ByteArray header{'N', 'E', 'S', 0x1A, 4, 4, 0x10, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_TRUE(std::equal(header.begin(), header.end(), image.begin()));
  EXPECT_TRUE(std::equal(kViewerProgram.begin(), kViewerProgram.end(),
                         image.begin() + rom::kViewerBank.offset));
  // The reset vector points into the tail that every bank repeats.
  const int reset = kViewerProgram[0x3FFC] | kViewerProgram[0x3FFD] << 8;
  EXPECT_GE(reset, 0x10000 - rom::kResetTailBytes);
  for (int bank = 0; bank < rom::kPrgBanks - 1; ++bank) {
    SCOPED_TRACE(bank);
    const std::int32_t tail = bankEnd(bank) - rom::kResetTailBytes;
    EXPECT_TRUE(std::equal(kViewerProgram.end() - rom::kResetTailBytes, kViewerProgram.end(),
                           image.begin() + tail));
    EXPECT_TRUE(std::all_of(image.begin() + bankEnd(bank) - rom::kPrgBankBytes,
                            image.begin() + tail, [](std::uint8_t b) { return b == 0xFF; }));
  }
  EXPECT_TRUE(std::all_of(image.begin() + rom::kChrStart, image.end(),
                          [](std::uint8_t b) { return b == 0; }));
}

// A preview takes every location but the header from the image, and every
// other byte from the viewer image; the demo is its own preview.
TEST(PreviewRom, TakesTheLocationsAndNothingElse) {
  const ByteArray demo = makeDemoRom();
  EXPECT_EQ(makePreviewRom(demo), demo);

  const ByteArray viewer = makeViewerRom();
  const ByteArray game = test::randomBytes(131088, 21);  // longer than the layout
  const ByteArray preview = makePreviewRom(game);
  ASSERT_EQ(preview.size(), viewer.size());
  int wrong = 0;
  for (std::int32_t i = 0; i < static_cast<std::int32_t>(preview.size()); ++i) {
    const std::uint8_t expected = inPreviewLocation(i) ? game[static_cast<std::size_t>(i)]
                                                       : viewer[static_cast<std::size_t>(i)];
    if (preview[static_cast<std::size_t>(i)] != expected && ++wrong <= 5) {
      ADD_FAILURE() << "byte " << i;
    }
  }
  EXPECT_EQ(wrong, 0);

  // A short image gives zeros where it has no bytes.
  const ByteArray part(rom::kFieldChrBank.offset + 10, 0x5A);
  const ByteArray cut = makePreviewRom(part);
  EXPECT_EQ(cut[static_cast<std::size_t>(rom::kFieldChrBank.offset + 9)], 0x5A);
  EXPECT_EQ(cut[static_cast<std::size_t>(rom::kFieldChrBank.offset + 10)], 0);
  EXPECT_EQ(cut[static_cast<std::size_t>(rom::kBatViewChrBank.offset)], 0);
}

}  // namespace
}  // namespace tarvo
