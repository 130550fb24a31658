#include "shell/preview_rom.h"

#include <algorithm>

namespace tarvo {

namespace {

constexpr std::uint8_t kUnusedPrgByte = 0xFF;
constexpr std::uint8_t kUnusedChrByte = 0x00;

static_assert(kViewerImageBytes == rom::kMinImageSize, "the image ends with the last location");

// No location of the editor lies in a reset tail, so the tails never change
// what the editor reads.
constexpr bool locationsMissTheTails() {
  for (const rom::Location& location : rom::kLocationTable) {
    for (int bank = 0; bank < rom::kPrgBanks; ++bank) {
      const std::int32_t end = rom::kPrgStart + (bank + 1) * rom::kPrgBankBytes;
      if (location.offset < end && location.end() > end - rom::kResetTailBytes) {
        return false;
      }
    }
  }
  return true;
}
static_assert(locationsMissTheTails());

}  // namespace

ByteArray makeViewerRom() {
  ByteArray image(static_cast<std::size_t>(kViewerImageBytes), kUnusedPrgByte);
  std::fill(image.begin() + rom::kChrStart, image.end(), kUnusedChrByte);
  std::copy(rom::kGameHeader.begin(), rom::kGameHeader.end(), image.begin());
  std::copy(kViewerProgram.begin(), kViewerProgram.end(), image.begin() + rom::kViewerBank.offset);
  const auto tail = kViewerProgram.end() - rom::kResetTailBytes;
  for (int bank = 0; bank < rom::kPrgBanks; ++bank) {
    const std::int32_t end = rom::kPrgStart + (bank + 1) * rom::kPrgBankBytes;
    std::copy(tail, kViewerProgram.end(), image.begin() + end - rom::kResetTailBytes);
  }
  return image;
}

ByteArray makePreviewRom(const ByteArray& image) {
  ByteArray preview = makeViewerRom();
  for (const rom::Location& location : rom::kLocationTable) {
    if (location.offset == rom::kInesHeader.offset) {
      continue;
    }
    for (std::int32_t i = location.offset; i < location.end(); ++i) {
      preview[static_cast<std::size_t>(i)] = romByte(image, i);
    }
  }
  return preview;
}

}  // namespace tarvo
