// What a ROM image file says about itself, for `tarvo-cli info`.
#pragma once

#include <cstdint>
#include <string>

#include "shell/rom_image.h"

namespace tarvo {

// The fields of an iNES header. The editor itself never reads the header (all
// its locations are fixed offsets); this is for the user's information.
struct InesHeader {
  bool valid = false;  // starts with "NES" and 0x1A
  int prgUnits = 0;    // 16 KiB units of program ROM
  int chrUnits = 0;    // 8 KiB units of CHR ROM; 0 means CHR RAM
  int mapper = 0;
  bool verticalMirroring = false;
  bool battery = false;
  bool trainer = false;
  bool fourScreen = false;
  bool nes2 = false;  // the NES 2.0 extension of the format

  // Header, trainer, program and CHR ROM as the header counts them.
  std::int64_t sizeByHeader() const;
};

InesHeader readInesHeader(const ByteArray& image);

// The report printed by `tarvo-cli info`: the size, the header's fields and
// every location of the image the editor reads or writes.
std::string describeRomImage(const std::string& name, const ByteArray& image);

}  // namespace tarvo
