#include "shell/cli.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <ostream>

#include "gfx/png_image.h"
#include "screens/chr_import.h"
#include "screens/demo_rom.h"
#include "screens/views.h"
#include "shell/cli_patch.h"
#include "shell/palette.h"
#include "shell/rom_image.h"
#include "shell/rom_info.h"
#include "shell/rom_locations.h"

namespace tarvo {

namespace {

constexpr const char* kUsage =
    "Usage: tarvo-cli COMMAND [ARGUMENTS]\n"
    "\n"
    "Works on the ROM image of the baseball game that Tarvo Field Editor edits,\n"
    "with the editor's own code.\n"
    "\n"
    "Commands:\n"
    "  demo OUT.nes    Write the built-in demo ROM image (98,320 bytes, the same\n"
    "                  bytes every time) to OUT.nes.\n"
    "  info ROM.nes    Load ROM.nes as the editor would and print its size, the\n"
    "                  fields of its iNES header and every location of the image\n"
    "                  that the editor reads or writes. A file the editor would\n"
    "                  refuse fails with the reason.\n"
    "  export ROM.nes VIEW OUT.png [--subpalette N]\n"
    "                  Draw VIEW of ROM.nes as the editor shows it and write it\n"
    "                  as a PNG: 8-bit RGB, but for the two CHR views an indexed\n"
    "                  PNG whose four palette entries are the sub-palette's\n"
    "                  colours and whose pixels are the colour slots. VIEW is\n"
    "                  one of:\n"
    "                    field        the whole field map, 768 x 768\n"
    "                    metatiles    the metatile table, 512 x 288, in\n"
    "                                 sub-palette N of the field palette\n"
    "                    batview      the batter's view, 256 x 240\n"
    "                    field-chr    the field's 256 tiles, 128 x 128, in\n"
    "                                 sub-palette N of the field palette\n"
    "                    batview-chr  the batter's view tiles, 128 x 128, in\n"
    "                                 sub-palette N of the batter's view palette\n"
    "                  N is 0 to 3 (default 0).\n"
    "  import-chr ROM.nes field|batview IN.png [--subpalette N]\n"
    "                  Read a 128 x 128 pattern table picture into that CHR bank\n"
    "                  of ROM.nes, in place: an indexed PNG using palette\n"
    "                  entries 0 to 3 (the colour slots), or any PNG using only\n"
    "                  the four colours of sub-palette N (default 0). A picture\n"
    "                  that does not fit is refused, naming the first tiles at\n"
    "                  fault, and nothing is written.\n"
    "  patch make ORIGINAL.nes EDITED.nes OUT.ips|OUT.bps\n"
    "                  Write the IPS or BPS patch (by OUT's extension) that turns\n"
    "                  ORIGINAL.nes into EDITED.nes.\n"
    "  patch apply ROM.nes PATCH OUT.nes\n"
    "                  Apply an IPS or BPS patch to ROM.nes and write OUT.nes. A\n"
    "                  damaged patch, or a BPS patch made for another file, is\n"
    "                  refused and nothing is written.\n"
    "  help            Show this text (also --help or -h).\n"
    "\n"
    "Exit status: 0 on success, 1 on failure (the reason on standard error),\n"
    "2 on a usage error.\n";

int usageError(std::ostream& err, const std::string& message) {
  err << "tarvo-cli: " << message << "\n\n" << kUsage;
  return kExitUsage;
}

int failure(std::ostream& err, const std::string& path, const std::string& reason) {
  err << "tarvo-cli: " << path << ": " << reason << "\n";
  return kExitFailure;
}

int demoCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.size() != 2) {
    return usageError(err, "demo takes one argument, the file to write");
  }
  const std::string& path = args[1];
  const ByteArray image = makeDemoRom();
  std::string reason;
  if (writeWholeFile(path, image, &reason) != 0) {
    return failure(err, path, reason);
  }
  out << "Wrote the demo ROM image to " << path << " (" << formatCount(image.size()) << " bytes)\n";
  return kExitOk;
}

int infoCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.size() != 2) {
    return usageError(err, "info takes one argument, the ROM image to read");
  }
  const std::string& path = args[1];
  ByteArray image;
  std::string reason;
  if (loadBinaryFile(path, image, &reason) != 0) {
    return failure(err, path, reason);
  }
  out << describeRomImage(std::filesystem::path(path).filename().string(), image);
  return kExitOk;
}

// The words after the command: positional ones, and --subpalette N (or
// --subpalette=N) anywhere among them. Returns a usage message when they are
// off.
std::optional<std::string> parseWords(const std::vector<std::string>& args,
                                      std::vector<std::string>& positional,
                                      std::optional<int>& subPalette) {
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    std::string value;
    if (arg == "--subpalette") {
      if (i + 1 >= args.size()) {
        return "--subpalette needs a number from 0 to 3";
      }
      value = args[++i];
    } else if (arg.rfind("--subpalette=", 0) == 0) {
      value = arg.substr(std::string("--subpalette=").size());
    } else if (arg.size() > 1 && arg[0] == '-') {
      return "unknown option '" + arg + "'";
    } else {
      positional.push_back(arg);
      continue;
    }
    if (subPalette) {
      return "--subpalette is given twice";
    }
    if (value.size() != 1 || value[0] < '0' || value[0] > '3') {
      return "--subpalette takes a number from 0 to 3, not '" + value + "'";
    }
    subPalette = value[0] - '0';
  }
  return std::nullopt;
}

int exportCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::vector<std::string> positional;
  std::optional<int> subPalette;
  if (const auto usage = parseWords(args, positional, subPalette)) {
    return usageError(err, *usage);
  }
  if (positional.size() != 3) {
    return usageError(err, "export takes ROM.nes, VIEW and OUT.png");
  }
  const std::optional<ViewInfo> view = findView(positional[1]);
  if (!view) {
    return usageError(err, "unknown view '" + positional[1] +
                               "'; the views are field, metatiles, batview, field-chr and "
                               "batview-chr");
  }
  if (subPalette && !view->hasSubPalette) {
    return usageError(err, "the " + positional[1] + " view has no sub-palette to choose");
  }

  const std::string& romPath = positional[0];
  const std::string& pngPath = positional[2];
  ByteArray image;
  std::string reason;
  if (loadBinaryFile(romPath, image, &reason) != 0) {
    return failure(err, romPath, reason);
  }
  ByteArray png;
  if (!encodeViewPng(image, view->view, subPalette.value_or(0), png, &reason) ||
      writeWholeFile(pngPath, png, &reason) != 0) {
    return failure(err, pngPath, reason);
  }
  out << "Wrote " << view->description << " (" << view->width << " x " << view->height << ") to "
      << pngPath << "\n";
  return kExitOk;
}

// A picture of a CHR bank is at most this large; anything larger is no
// 128 x 128 picture.
constexpr std::size_t kPictureLimit = 16 * 1024 * 1024;

int importChrCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::vector<std::string> positional;
  std::optional<int> subPalette;
  if (const auto usage = parseWords(args, positional, subPalette)) {
    return usageError(err, *usage);
  }
  if (positional.size() != 3) {
    return usageError(err, "import-chr takes ROM.nes, field or batview, and IN.png");
  }
  if (positional[1] != "field" && positional[1] != "batview") {
    return usageError(err, "unknown bank '" + positional[1] + "'; the banks are field and batview");
  }
  const bool field = positional[1] == "field";
  const rom::Location& bank = field ? rom::kFieldChrBank : rom::kBatViewChrBank;
  const std::string& romPath = positional[0];
  const std::string& pngPath = positional[2];
  ByteArray image;
  std::string reason;
  if (loadBinaryFile(romPath, image, &reason) != 0) {
    return failure(err, romPath, reason);
  }
  ByteArray png;
  if (readWholeFile(pngPath, png, kPictureLimit, &reason) != 0) {
    return failure(err, pngPath, reason);
  }
  PaletteArray palette{};
  readPalette(image, palette, (field ? rom::kFieldPalette : rom::kBatViewPalette).offset);
  TilePixels tiles;
  if (!importPatternTable(png, palette, subPalette.value_or(0), tiles, &reason)) {
    return failure(err, pngPath, reason);
  }
  for (int t = 0; t < rom::kBankTiles; ++t) {
    storeTile(tiles, static_cast<std::uint8_t>(t), image, bank.offset + t * rom::kTileBytes);
  }
  if (saveBinaryFile(romPath, image, &reason) != 0) {
    return failure(err, romPath, reason);
  }
  out << "Wrote the 256 tiles of " << pngPath << " into the " << bank.name << " of " << romPath
      << "\n";
  return kExitOk;
}

}  // namespace

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.empty()) {
    return usageError(err, "no command given");
  }
  const std::string& command = args[0];
  const bool help = command == "help" || command == "-h" ||
                    std::find(args.begin(), args.end(), "--help") != args.end();
  if (help) {
    out << kUsage;
    return kExitOk;
  }
  if (command == "demo") {
    return demoCommand(args, out, err);
  }
  if (command == "info") {
    return infoCommand(args, out, err);
  }
  if (command == "export") {
    return exportCommand(args, out, err);
  }
  if (command == "import-chr") {
    return importChrCommand(args, out, err);
  }
  if (command == "patch") {
    return patchCommand(args, out, err);
  }
  return usageError(err, "unknown command '" + command + "'");
}

}  // namespace tarvo
