// Writes the include file that tells the viewer's assembler source where the
// console sees each location of the image: its program bank and CPU address
// (or, for a CHR bank, its 4 KiB bank number). The offsets come from
// shell/rom_locations.h alone, so the viewer and the editor cannot drift
// apart.
#include <cstdio>

#include "shell/rom_locations.h"

namespace {

using tarvo::rom::Location;

void printProgramLocation(std::FILE* out, const char* name, const Location& location) {
  std::fprintf(out, "%s = $%04X\n%s_BANK = %d\n", name, tarvo::rom::cpuAddressOf(location.offset),
               name, tarvo::rom::prgBankOf(location.offset));
}

}  // namespace

int main(int argc, char** argv) {
  namespace rom = tarvo::rom;
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUT.inc\n", argv[0]);
    return 2;
  }
  std::FILE* out = std::fopen(argv[1], "w");
  if (out == nullptr) {
    std::perror(argv[1]);
    return 1;
  }
  std::fprintf(out, "; Written at build time from shell/rom_locations.h; do not edit.\n");
  printProgramLocation(out, "FIELD_MAP", rom::kFieldMap);
  printProgramLocation(out, "FIELD_ATTRIBUTES", rom::kFieldAttributeMap);
  printProgramLocation(out, "METATILES", rom::kMetatileTable);
  printProgramLocation(out, "FIELD_PALETTE", rom::kFieldPalette);
  printProgramLocation(out, "BATVIEW_NAMES", rom::kBatViewNameTable);
  printProgramLocation(out, "BATVIEW_PALETTE", rom::kBatViewPalette);
  std::fprintf(out, "METATILE_REACH_END = $%04X\n",
               rom::cpuAddressOf(rom::kMetatileReachEnd - 1) + 1);
  std::fprintf(out, "FIELD_CHR = %d\nBATVIEW_CHR = %d\n", rom::chrBankOf(rom::kFieldChrBank.offset),
               rom::chrBankOf(rom::kBatViewChrBank.offset));
  std::fprintf(out, "MAP_COLUMNS = %d\nMAP_ROWS = %d\n", rom::kMapColumns, rom::kMapRows);
  std::fprintf(out, "BATVIEW_CELLS = %d\n", rom::kBatViewColumns * rom::kBatViewRows);
  std::fprintf(out, "VIEWER_BANK = %d\nRESET_TAIL = $%04X\n",
               rom::prgBankOf(rom::kViewerBank.offset), 0x10000 - rom::kResetTailBytes);
  return std::fclose(out) == 0 ? 0 : 1;
}
