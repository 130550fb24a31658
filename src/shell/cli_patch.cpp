#include "shell/cli_patch.h"

#include <filesystem>
#include <optional>
#include <ostream>

#include "shell/cli.h"
#include "shell/patches.h"
#include "shell/rom_image.h"

namespace tarvo {

namespace {

namespace fs = std::filesystem;

// Patches are small; anything far larger is not one.
constexpr std::size_t kMaxPatchSize = 64 * 1024 * 1024;

using cli::failure;
using cli::usageError;

std::string displayName(const std::string& path) {
  const std::string name = fs::path(path).filename().string();
  return name.empty() ? path : name;
}

const char* formatName(PatchFormat format) {
  return format == PatchFormat::Ips ? "IPS" : "BPS";
}

int makeCommand(const std::vector<std::string>& files, std::ostream& out, std::ostream& err) {
  const std::string& originalPath = files[0];
  const std::string& editedPath = files[1];
  const std::string& patchPath = files[2];
  const std::optional<PatchFormat> format = patchFormatForPath(patchPath);
  if (!format) {
    return usageError(err, "the patch file's name must end in .ips or .bps, not '" +
                               displayName(patchPath) + "'");
  }
  if (const auto status = cli::refuseOverwritingInput(err, patchPath, {originalPath, editedPath})) {
    return *status;
  }
  ByteArray original;
  ByteArray edited;
  if (!cli::loadRomImage(err, originalPath, original) ||
      !cli::loadRomImage(err, editedPath, edited)) {
    return kExitFailure;
  }
  ByteArray patch;
  std::string reason;
  if (!makePatch(*format, original, edited, patch, &reason)) {
    return failure(err, patchPath, reason);
  }
  if (!cli::writeOutputFile(err, patchPath, patch)) {
    return kExitFailure;
  }
  out << "Wrote " << patchPath << ", the " << formatName(*format) << " patch that turns "
      << displayName(originalPath) << " into " << displayName(editedPath) << " ("
      << formatCount(static_cast<std::int64_t>(patch.size())) << " bytes)\n";
  return kExitOk;
}

int applyCommand(const std::vector<std::string>& files, std::ostream& out, std::ostream& err) {
  const std::string& romPath = files[0];
  const std::string& patchPath = files[1];
  const std::string& outPath = files[2];
  if (const auto status = cli::refuseOverwritingInput(err, outPath, {romPath, patchPath})) {
    return *status;
  }
  ByteArray rom;
  ByteArray patch;
  if (!cli::loadRomImage(err, romPath, rom) ||
      !cli::readInputFile(err, patchPath, kMaxPatchSize, patch)) {
    return kExitFailure;
  }
  ByteArray patched;
  std::string reason;
  if (!applyPatch(patch, rom, patched, &reason)) {
    return failure(err, patchPath, reason);
  }
  if (!cli::writeOutputFile(err, outPath, patched)) {
    return kExitFailure;
  }
  out << "Applied " << displayName(patchPath) << " to " << displayName(romPath) << " and wrote "
      << outPath << " (" << formatCount(static_cast<std::int64_t>(patched.size())) << " bytes)\n";
  return kExitOk;
}

}  // namespace

int patchCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CommandLineWords words;
  if (const auto status = cli::readCommandWords(args, 1, {}, words, out, err)) {
    return *status;
  }
  if (words.operands.empty()) {
    return usageError(err, "patch needs a subcommand, make or apply");
  }
  const std::string& subcommand = words.operands[0];
  if (subcommand != "make" && subcommand != "apply") {
    return usageError(err, "unknown patch subcommand '" + subcommand + "'; it is make or apply");
  }
  const std::vector<std::string> files(words.operands.begin() + 1, words.operands.end());
  if (subcommand == "make") {
    if (files.size() != 3) {
      return usageError(err, "patch make takes ORIGINAL.nes, EDITED.nes and OUT.ips or OUT.bps");
    }
    return makeCommand(files, out, err);
  }
  if (files.size() != 3) {
    return usageError(err, "patch apply takes ROM.nes, PATCH and OUT.nes");
  }
  return applyCommand(files, out, err);
}

}  // namespace tarvo
