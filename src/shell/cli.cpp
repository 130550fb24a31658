#include "shell/cli.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <optional>
#include <ostream>

#include "demo/demo_rom.h"
#include "gfx/png_image.h"
#include "screens/chr_import.h"
#include "screens/picture_import.h"
#include "screens/views.h"
#include "shell/cli_patch.h"
#include "shell/cli_tiles.h"
#include "shell/palette.h"
#include "shell/preview_rom.h"
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
    "  demo OUT.nes [--force]\n"
    "                  Write the built-in demo ROM image (98,320 bytes, the same\n"
    "                  bytes every time) to OUT.nes. An existing file is left\n"
    "                  alone unless --force is given.\n"
    "  info ROM.nes    Load ROM.nes as the editor would and print its size, the\n"
    "                  fields of its iNES header, whether the header fits the\n"
    "                  locations the editor uses, the file's CRC-32 and SHA-1\n"
    "                  (with a header, also of the file without it) and every\n"
    "                  location of the image that the editor reads or writes.\n"
    "                  A file the editor would refuse fails with the reason.\n"
    "  export ROM.nes VIEW OUT.png [--subpalette N] [--console-colours]\n"
    "                  Draw VIEW of ROM.nes as the editor shows it and write it\n"
    "                  as a PNG (OUT's name must end in .png): 8-bit RGB, but for\n"
    "                  the two CHR views an indexed PNG whose four palette\n"
    "                  entries are the sub-palette's colours and whose pixels\n"
    "                  are the colour slots. VIEW is one of:\n"
    "                    field        the whole field map, 768 x 768\n"
    "                    metatiles    the metatile table, 512 x 288, in\n"
    "                                 sub-palette N of the field palette\n"
    "                    batview      the batter's view, 256 x 240\n"
    "                    field-chr    the field's 256 tiles, 128 x 128, in\n"
    "                                 sub-palette N of the field palette\n"
    "                    batview-chr  the batter's view tiles, 128 x 128, in\n"
    "                                 sub-palette N of the batter's view palette\n"
    "                  N is 0 to 3 (default 0). --console-colours draws pixel\n"
    "                  value 0 of every sub-palette in the palette's first\n"
    "                  colour, as the console shows it (View > Console Colours\n"
    "                  in the editor); without it, in its sub-palette's own.\n"
    "  import-chr ROM.nes field|batview IN.png [--subpalette N]\n"
    "                  Read a 128 x 128 pattern table picture into that CHR bank\n"
    "                  of ROM.nes, in place. The picture is read by colour,\n"
    "                  whatever its palette order, bit depth or interlacing:\n"
    "                  every pixel must have one of the four colours of\n"
    "                  sub-palette N (default 0), fully opaque. Where two slots\n"
    "                  share a colour, an indexed picture's own palette index\n"
    "                  picks between them if it is one of them, else the lower\n"
    "                  slot is taken. A picture that does not fit is refused,\n"
    "                  naming the first tiles at fault, and nothing is written.\n"
    "  import-picture ROM.nes field|batview IN.png [--keep-palette]\n"
    "                 [--shared-background] [--dither none|ordered]\n"
    "                  Fit a picture to what the console can show and write it\n"
    "                  into ROM.nes, in place: a 768 x 768 picture as the whole\n"
    "                  field (its palette, each quadrant's sub-palette, the CHR\n"
    "                  bank, the metatile table and the map), a 256 x 240\n"
    "                  picture as the batter's view (sub-palette 0 of its\n"
    "                  palette, its CHR bank and its name table). A picture\n"
    "                  already within the limits comes back exactly; any other\n"
    "                  is fitted with the least visible error, and the figures\n"
    "                  of the fit are printed (PSNR, and the mean CIEDE2000\n"
    "                  colour difference in CIELAB with a D65 white).\n"
    "                  --keep-palette keeps the image's palette;\n"
    "                  --shared-background (field only) chooses one whose four\n"
    "                  sub-palettes share their first colour, as the console\n"
    "                  shows them;\n"
    "                  --dither ordered mixes neighbouring colours in a 4 x 4\n"
    "                  pattern (default none). A picture of the wrong size or\n"
    "                  with see-through pixels is refused and nothing is written.\n"
    "  preview-rom ROM.nes OUT.nes\n"
    "                  Write a standalone image that boots on any emulator or\n"
    "                  console and shows ROM.nes's field and batter's view:\n"
    "                  the demo image's header and viewer with every location\n"
    "                  of ROM.nes but its header, and none of its other bytes.\n"
    "                  On the console the d-pad moves over the field and Start\n"
    "                  switches to the batter's view and back.\n"
    "  patch make ORIGINAL.nes EDITED.nes OUT.ips|OUT.bps\n"
    "                  Write the IPS or BPS patch (by OUT's extension) that turns\n"
    "                  ORIGINAL.nes into EDITED.nes.\n"
    "  patch apply ROM.nes PATCH OUT.nes\n"
    "                  Apply an IPS or BPS patch to ROM.nes and write OUT.nes. A\n"
    "                  damaged patch, or a BPS patch made for another file, is\n"
    "                  refused and nothing is written.\n"
    "  tiles ROM.nes field|batview\n"
    "                  Print the screen's tile budget, one figure a line: tiles\n"
    "                  used (of 256), unused and duplicated, and for the field\n"
    "                  the same for its 133 metatiles. A field tile is used when\n"
    "                  a metatile entry names it, a batter's view tile when its\n"
    "                  name table does, a metatile when the map does; a\n"
    "                  duplicate is a used one whose bytes equal those of a used\n"
    "                  one with a lower number.\n"
    "  optimise ROM.nes field|batview [--merge-duplicates] [--remove-unused]\n"
    "           [--sort first-use|frequency] [--reduce N]\n"
    "                  Free and order the screen's tiles in place, every\n"
    "                  reference following, in this order: merge duplicate tiles,\n"
    "                  merge duplicate metatiles, clear unused metatiles, clear\n"
    "                  unused tiles (tile 0 is kept), reduce to N tiles by\n"
    "                  merging the most alike (1 to 256), sort (tile 0 stays).\n"
    "                  All but --reduce leave the screen's picture as it was.\n"
    "                  Give at least one option; the metatile steps are the\n"
    "                  field's. Prints what each step did.\n"
    "  help            Show this text (also --help or -h, after any command).\n"
    "\n"
    "Options start with '-' up to a word '--', after which every word is a\n"
    "file name. --version prints the version. No command writes over one of\n"
    "its own input files.\n"
    "\n"
    "Exit status: 0 on success, 1 on failure (the reason on standard error),\n"
    "2 on a usage error.\n";

constexpr const char* kProgram = "tarvo-cli";

int showHelp(std::ostream& out) {
  out << kUsage;
  return kExitOk;
}

int showVersion(std::ostream& out) {
  out << kProgram << " " << TARVO_VERSION << "\n";
  return kExitOk;
}

int demoCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CommandLineWords words;
  if (const auto status = cli::readCommandWords(args, 1, {{"--force", false}}, words, out, err)) {
    return *status;
  }
  if (words.operands.size() != 1) {
    return cli::usageError(err, "demo takes one argument, the file to write");
  }
  const std::string& path = words.operands[0];
  std::error_code error;
  if (!words.has("--force") && std::filesystem::symlink_status(path, error).type() !=
                                   std::filesystem::file_type::not_found) {
    return cli::failure(err, path, "It exists already; give --force to replace it");
  }
  const ByteArray image = makeDemoRom();
  if (!cli::writeOutputFile(err, path, image)) {
    return kExitFailure;
  }
  out << "Wrote the demo ROM image to " << path << " (" << formatCount(image.size()) << " bytes)\n";
  return kExitOk;
}

int infoCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CommandLineWords words;
  if (const auto status = cli::readCommandWords(args, 1, {}, words, out, err)) {
    return *status;
  }
  if (words.operands.size() != 1) {
    return cli::usageError(err, "info takes one argument, the ROM image to read");
  }
  const std::string& path = words.operands[0];
  ByteArray image;
  if (!cli::loadRomImage(err, path, image)) {
    return kExitFailure;
  }
  out << describeRomImage(std::filesystem::path(path).filename().string(), image);
  return kExitOk;
}

const std::vector<CommandLineOption> kSubPaletteOption{{"--subpalette", true}};
const std::vector<CommandLineOption> kExportOptions{{"--subpalette", true},
                                                    {"--console-colours", false}};

// The value of --subpalette, 0 to 3 (0 when it is not given), or a usage
// message.
std::optional<std::string> readSubPalette(const CommandLineWords& words, int& subPalette) {
  subPalette = 0;
  const std::optional<std::string> value = words.value("--subpalette");
  if (!value) {
    return std::nullopt;
  }
  if (value->size() != 1 || (*value)[0] < '0' || (*value)[0] > '3') {
    return "--subpalette takes a number from 0 to 3, not '" + *value + "'";
  }
  subPalette = (*value)[0] - '0';
  return std::nullopt;
}

// The words of a command that takes --subpalette N. Returns the exit status
// when the command ends here.
std::optional<int> readWordsWithSubPalette(
    const std::vector<std::string>& args, CommandLineWords& words, int& subPalette,
    std::ostream& out, std::ostream& err,
    const std::vector<CommandLineOption>& accepted = kSubPaletteOption) {
  if (const auto status = cli::readCommandWords(args, 1, accepted, words, out, err)) {
    return status;
  }
  if (const auto usage = readSubPalette(words, subPalette)) {
    return cli::usageError(err, *usage);
  }
  return std::nullopt;
}

bool endsWithPng(const std::string& path) {
  const std::string name = std::filesystem::path(path).filename().string();
  if (name.size() < 4) {
    return false;
  }
  std::string extension = name.substr(name.size() - 4);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension == ".png";
}

int exportCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CommandLineWords words;
  int subPalette = 0;
  if (const auto status =
          readWordsWithSubPalette(args, words, subPalette, out, err, kExportOptions)) {
    return *status;
  }
  const std::vector<std::string>& positional = words.operands;
  if (positional.size() != 3) {
    return cli::usageError(err, "export takes ROM.nes, VIEW and OUT.png");
  }
  const std::optional<ViewInfo> view = findView(positional[1]);
  if (!view) {
    return cli::usageError(err, "unknown view '" + positional[1] +
                                    "'; the views are field, metatiles, batview, field-chr and "
                                    "batview-chr");
  }
  if (words.has("--subpalette") && !view->hasSubPalette) {
    return cli::usageError(err, "the " + positional[1] + " view has no sub-palette to choose");
  }
  const std::string& romPath = positional[0];
  const std::string& pngPath = positional[2];
  if (!endsWithPng(pngPath)) {
    return cli::usageError(err,
                           "export writes PNG pictures: the picture's name must end in "
                           ".png, not '" +
                               std::filesystem::path(pngPath).filename().string() + "'");
  }
  if (const auto status = cli::refuseOverwritingInput(err, pngPath, {romPath})) {
    return *status;
  }
  ByteArray image;
  if (!cli::loadRomImage(err, romPath, image)) {
    return kExitFailure;
  }
  ByteArray png;
  std::string reason;
  const ColourMode mode = words.has("--console-colours") ? ColourMode::Console : ColourMode::Editor;
  if (!encodeViewPng(image, view->view, subPalette, png, &reason, mode)) {
    return cli::failure(err, pngPath, reason);
  }
  if (!cli::writeOutputFile(err, pngPath, png)) {
    return kExitFailure;
  }
  out << "Wrote " << view->description << " (" << view->width << " x " << view->height << ") to "
      << pngPath << "\n";
  return kExitOk;
}

int previewRomCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CommandLineWords words;
  if (const auto status = cli::readCommandWords(args, 1, {}, words, out, err)) {
    return *status;
  }
  if (words.operands.size() != 2) {
    return cli::usageError(err, "preview-rom takes ROM.nes and OUT.nes");
  }
  const std::string& romPath = words.operands[0];
  const std::string& outPath = words.operands[1];
  if (const auto status = cli::refuseOverwritingInput(err, outPath, {romPath})) {
    return *status;
  }
  ByteArray image;
  if (!cli::loadRomImage(err, romPath, image)) {
    return kExitFailure;
  }
  const ByteArray preview = makePreviewRom(image);
  if (!cli::writeOutputFile(err, outPath, preview)) {
    return kExitFailure;
  }
  out << "Wrote the preview image of " << romPath << " to " << outPath << " ("
      << formatCount(preview.size()) << " bytes)\n";
  return kExitOk;
}

// The ROM image and a picture file to read into it, the image's file
// never the picture's. Returns the exit status when the command ends here.
std::optional<int> readImageAndPicture(std::ostream& err, const std::string& romPath,
                                       const std::string& pngPath, ByteArray& image,
                                       ByteArray& png) {
  if (const auto status = cli::refuseOverwritingInput(err, romPath, {pngPath})) {
    return status;
  }
  // No picture that can be imported comes near this size.
  if (!cli::loadRomImage(err, romPath, image) ||
      !cli::readInputFile(err, pngPath, kImportFileLimit, png)) {
    return kExitFailure;
  }
  return std::nullopt;
}

int importChrCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CommandLineWords words;
  int subPalette = 0;
  if (const auto status = readWordsWithSubPalette(args, words, subPalette, out, err)) {
    return *status;
  }
  const std::vector<std::string>& positional = words.operands;
  if (positional.size() != 3) {
    return cli::usageError(err, "import-chr takes ROM.nes, field or batview, and IN.png");
  }
  if (positional[1] != "field" && positional[1] != "batview") {
    return cli::usageError(err,
                           "unknown bank '" + positional[1] + "'; the banks are field and batview");
  }
  const bool field = positional[1] == "field";
  const rom::Location& bank = field ? rom::kFieldChrBank : rom::kBatViewChrBank;
  const std::string& romPath = positional[0];
  const std::string& pngPath = positional[2];
  ByteArray image;
  ByteArray png;
  if (const auto status = readImageAndPicture(err, romPath, pngPath, image, png)) {
    return *status;
  }
  PaletteArray palette{};
  readPalette(image, palette, (field ? rom::kFieldPalette : rom::kBatViewPalette).offset);
  TilePixels tiles;
  std::string reason;
  if (!importPatternTable(png, palette, subPalette, tiles, &reason)) {
    return cli::failure(err, pngPath, reason);
  }
  for (int t = 0; t < rom::kBankTiles; ++t) {
    storeTile(tiles, static_cast<std::uint8_t>(t), image, bank.offset + t * rom::kTileBytes);
  }
  if (!cli::saveRomImage(err, romPath, image)) {
    return kExitFailure;
  }
  out << "Wrote the 256 tiles of " << pngPath << " into the " << bank.name << " of " << romPath
      << "\n";
  return kExitOk;
}

int importPictureCommand(const std::vector<std::string>& args, std::ostream& out,
                         std::ostream& err) {
  CommandLineWords words;
  if (const auto status = cli::readCommandWords(
          args, 1, {{"--keep-palette", false}, {"--shared-background", false}, {"--dither", true}},
          words, out, err)) {
    return *status;
  }
  const std::vector<std::string>& positional = words.operands;
  if (positional.size() != 3) {
    return cli::usageError(err, "import-picture takes ROM.nes, field or batview, and IN.png");
  }
  if (positional[1] != "field" && positional[1] != "batview") {
    return cli::usageError(
        err, "unknown target '" + positional[1] + "'; a picture is imported as field or batview");
  }
  const ImportTarget target =
      positional[1] == "field" ? ImportTarget::Field : ImportTarget::BatView;
  ImportOptions options;
  options.keepPalette = words.has("--keep-palette");
  options.sharedBackground = words.has("--shared-background");
  if (options.sharedBackground && options.keepPalette) {
    return cli::usageError(err,
                           "--shared-background chooses a palette and --keep-palette keeps "
                           "one; give one of them");
  }
  if (options.sharedBackground && target == ImportTarget::BatView) {
    return cli::usageError(err,
                           "--shared-background is for the field: the batter's view has one "
                           "sub-palette");
  }
  if (const auto dither = words.value("--dither")) {
    if (*dither == "ordered") {
      options.dither = Dither::Ordered;
    } else if (*dither != "none") {
      return cli::usageError(err, "--dither takes none or ordered, not '" + *dither + "'");
    }
  }
  const std::string& romPath = positional[0];
  const std::string& pngPath = positional[2];
  ByteArray image;
  ByteArray png;
  if (const auto status = readImageAndPicture(err, romPath, pngPath, image, png)) {
    return *status;
  }
  std::vector<Color> pixels;
  std::string reason;
  if (!readImportPicture(png, target, pixels, &reason)) {
    return cli::failure(err, pngPath, reason);
  }
  const std::optional<FittedPicture> fitted = fitPicture(image, target, pixels, options);
  applyFittedPicture(*fitted, image);
  if (!cli::saveRomImage(err, romPath, image)) {
    return kExitFailure;
  }
  out << "Imported " << pngPath << " as "
      << (target == ImportTarget::Field ? "the field" : "the batter's view") << " of " << romPath
      << ": " << describeFigures(fitted->figures, target) << "\n";
  return kExitOk;
}

// Whether a file step that returned `status` (0 on success) succeeded; a
// failure is reported with its reason.
bool fileStepDone(std::ostream& err, const std::string& path, bool done,
                  const std::string& reason) {
  if (!done) {
    cli::failure(err, path, reason);
  }
  return done;
}

}  // namespace

namespace cli {

int usageError(std::ostream& err, const std::string& message) {
  err << usageErrorText(kProgram, message);
  return kExitUsage;
}

int failure(std::ostream& err, const std::string& path, const std::string& reason) {
  err << kProgram << ": " << path << ": " << reason << "\n";
  return kExitFailure;
}

bool loadRomImage(std::ostream& err, const std::string& path, ByteArray& image) {
  std::string reason;
  return fileStepDone(err, path, loadBinaryFile(path, image, &reason) == 0, reason);
}

bool saveRomImage(std::ostream& err, const std::string& path, const ByteArray& image) {
  std::string reason;
  return fileStepDone(err, path, saveBinaryFile(path, image, &reason) == 0, reason);
}

bool readInputFile(std::ostream& err, const std::string& path, std::size_t limit,
                   ByteArray& bytes) {
  std::string reason;
  return fileStepDone(err, path, readWholeFile(path, bytes, limit, &reason), reason);
}

bool writeOutputFile(std::ostream& err, const std::string& path, const ByteArray& bytes) {
  std::string reason;
  return fileStepDone(err, path, writeWholeFile(path, bytes, &reason), reason);
}

std::optional<int> readCommandWords(const std::vector<std::string>& args, std::size_t first,
                                    const std::vector<CommandLineOption>& accepted,
                                    CommandLineWords& words, std::ostream& out, std::ostream& err) {
  const std::optional<std::string> problem = splitCommandLine(args, first, accepted, words);
  if (words.help) {
    return showHelp(out);
  }
  if (words.version) {
    return showVersion(out);
  }
  if (problem) {
    return usageError(err, *problem);
  }
  return std::nullopt;
}

std::optional<int> refuseOverwritingInput(std::ostream& err, const std::string& output,
                                          const std::vector<std::string>& inputs) {
  for (const std::string& input : inputs) {
    if (sameFile(output, input)) {
      return usageError(
          err, output + " is the same file as " + input + "; the output would overwrite an input");
    }
  }
  return std::nullopt;
}

}  // namespace cli

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.empty()) {
    return cli::usageError(err, "no command given");
  }
  const std::string& command = args[0];
  if (command == "help") {
    return showHelp(out);
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
  if (command == "import-picture") {
    return importPictureCommand(args, out, err);
  }
  if (command == "patch") {
    return patchCommand(args, out, err);
  }
  if (command == "preview-rom") {
    return previewRomCommand(args, out, err);
  }
  if (command == "tiles") {
    return tilesCommand(args, out, err);
  }
  if (command == "optimise") {
    return optimiseCommand(args, out, err);
  }
  if (!command.empty() && command[0] == '-') {
    // Only --help and --version come before a command.
    CommandLineWords words;
    if (const auto status = cli::readCommandWords(args, 0, {}, words, out, err)) {
      return *status;
    }
    return cli::usageError(err, "no command given");
  }
  return cli::usageError(err, "unknown command '" + command + "'");
}

}  // namespace tarvo
