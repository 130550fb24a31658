// What a ROM image file says about itself, for `tarvo-cli info`.
#pragma once

#include <cstdint>
#include <string>

#include "shell/rom_image.h"

namespace tarvo {

// The fields of an iNES header. The editor's locations are fixed offsets and
// never depend on the header; it tells whether a file is laid out as those
// offsets expect (romHeaderProblem) and what `tarvo-cli info` shows.
struct InesHeader {
  // The units the header counts in, and the trainer's size.
  static constexpr int kPrgUnitBytes = 16 * 1024;
  static constexpr int kChrUnitBytes = 8 * 1024;
  static constexpr int kTrainerBytes = 512;

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

// "" when the image's iNES header fits the locations the editor uses, else
// one sentence for the user, without its closing full stop, that says what
// does not fit. It fits when the header is there, announces no trainer, its
// CHR ROM holds both CHR banks, its program ROM every other location, and the
// file is at least as long as the header counts (longer is fine).
std::string romHeaderProblem(const ByteArray& image);

// The report printed by `tarvo-cli info`: the size, the header's fields and
// every location of the image the editor reads or writes.
std::string describeRomImage(const std::string& name, const ByteArray& image);

// Where two images differ, by location: "field map 12 bytes, field CHR bank
// 3 tiles, other bytes 40"; "the same bytes" when they do not.
std::string describeDifferences(const ByteArray& mine, const ByteArray& theirs);

}  // namespace tarvo
