// The built-in demo ROM image: a complete image of our own making that shows
// every format the editor works on. The same bytes on every build.
#pragma once

#include "shell/rom_image.h"

namespace tarvo {

// A 98,320-byte iNES image: a 16-byte header, 64 KiB of program space and
// 32 KiB of CHR, holding a baseball field, a batter's view screen and the
// viewer that shows them on the console.
ByteArray makeDemoRom();

}  // namespace tarvo
