#include "shell/cli_tiles.h"

#include <ostream>

#include "screens/tile_bookkeeping.h"
#include "screens/tile_budget.h"
#include "shell/cli.h"
#include "shell/command_line.h"

namespace tarvo {

namespace {

// The screen a command names ("field" or "batview"), or a usage message.
std::optional<std::string> readScreen(const std::string& word, TileScreen& screen) {
  if (word == "field") {
    screen = TileScreen::Field;
  } else if (word == "batview") {
    screen = TileScreen::BatView;
  } else {
    return "unknown screen '" + word + "'; the screens are field and batview";
  }
  return std::nullopt;
}

// The options, or a usage message.
std::optional<std::string> readOptimiseOptions(const CommandLineWords& words,
                                               OptimiseOptions& options) {
  options.mergeDuplicates = words.has("--merge-duplicates");
  options.removeUnused = words.has("--remove-unused");
  if (const auto order = words.value("--sort")) {
    if (*order == "first-use") {
      options.sort = TileOrder::FirstUse;
    } else if (*order == "frequency") {
      options.sort = TileOrder::Frequency;
    } else {
      return "--sort takes first-use or frequency, not '" + *order + "'";
    }
  }
  if (const auto most = words.value("--reduce")) {
    const bool digits = !most->empty() && most->size() <= 3 &&
                        most->find_first_not_of("0123456789") == std::string::npos;
    const int value = digits ? std::stoi(*most) : 0;
    if (value < 1 || value > 256) {
      return "--reduce takes a number of tiles from 1 to 256, not '" + *most + "'";
    }
    options.reduce = value;
  }
  if (!options.mergeDuplicates && !options.removeUnused && !options.sort && !options.reduce) {
    return "optimise needs at least one of --merge-duplicates, --remove-unused, --sort and "
           "--reduce";
  }
  return std::nullopt;
}

}  // namespace

int tilesCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CommandLineWords words;
  if (const auto status = cli::readCommandWords(args, 1, {}, words, out, err)) {
    return *status;
  }
  if (words.operands.size() != 2) {
    return cli::usageError(err, "tiles takes ROM.nes and field or batview");
  }
  TileScreen screen = TileScreen::Field;
  if (const auto usage = readScreen(words.operands[1], screen)) {
    return cli::usageError(err, *usage);
  }
  ByteArray image;
  if (!cli::loadRomImage(err, words.operands[0], image)) {
    return kExitFailure;
  }
  out << budgetText(screen, countBudget(image, screen));
  return kExitOk;
}

int optimiseCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CommandLineWords words;
  if (const auto status = cli::readCommandWords(args, 1,
                                                {{"--merge-duplicates", false},
                                                 {"--remove-unused", false},
                                                 {"--sort", true},
                                                 {"--reduce", true}},
                                                words, out, err)) {
    return *status;
  }
  if (words.operands.size() != 2) {
    return cli::usageError(err, "optimise takes ROM.nes, field or batview, and options");
  }
  TileScreen screen = TileScreen::Field;
  OptimiseOptions options;
  if (const auto usage = readScreen(words.operands[1], screen)) {
    return cli::usageError(err, *usage);
  }
  if (const auto usage = readOptimiseOptions(words, options)) {
    return cli::usageError(err, *usage);
  }
  const std::string& romPath = words.operands[0];
  ByteArray image;
  if (!cli::loadRomImage(err, romPath, image)) {
    return kExitFailure;
  }
  const BookkeepingResult result = optimise(image, screen, options);
  if (!result.done) {
    return cli::failure(err, romPath, result.message);
  }
  if (!cli::saveRomImage(err, romPath, image)) {
    return kExitFailure;
  }
  out << result.message;
  return kExitOk;
}

}  // namespace tarvo
