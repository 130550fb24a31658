// Images that boot by themselves: the game's layout with a small viewer of
// our own in the last program bank, which shows the field and the batter's
// view from the locations the editor edits. The demo image is one; File >
// Export Preview ROM and `tarvo-cli preview-rom` make one of any image, to
// try in an emulator or share, without any of the game's program.
#pragma once

#include <array>
#include <cstdint>

#include "shell/rom_image.h"
#include "shell/rom_locations.h"

namespace tarvo {

// The viewer's program bank, assembled from viewer/viewer.s at build time.
// Its last rom::kResetTailBytes bytes are the reset stub and the vectors.
extern const std::array<std::uint8_t, rom::kPrgBankBytes> kViewerProgram;

// The size of a viewer image: a 16-byte header, 4 x 16 KiB of program ROM and
// 4 x 8 KiB of CHR ROM, as the game's own image.
inline constexpr std::int32_t kViewerImageBytes =
    rom::kChrStart + rom::kChrBanks * rom::kChrBankBytes;

// The viewer with nothing to show: the header (mapper 1), the viewer's bank,
// the reset tail at the end of every other program bank, and filler
// elsewhere (0xFF in program space, as an erased EPROM reads; 0 in CHR).
ByteArray makeViewerRom();

// The viewer image with every location of `image` but its header copied in:
// the field map, its attribute map, the metatile table, both palettes, the
// batter's view name table and both CHR banks. Bytes that would lie outside
// `image` are 0.
ByteArray makePreviewRom(const ByteArray& image);

}  // namespace tarvo
