#include "shell/cli.h"

#include <filesystem>
#include <ostream>

#include "screens/demo_rom.h"
#include "shell/rom_image.h"
#include "shell/rom_info.h"

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
  if (saveBinaryFile(path, image, &reason) != 0) {
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

}  // namespace

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.empty()) {
    return usageError(err, "no command given");
  }
  for (const std::string& arg : args) {
    if (arg == "--help" || arg == "-h") {
      out << kUsage;
      return kExitOk;
    }
  }
  const std::string& command = args[0];
  if (command == "help") {
    out << kUsage;
    return kExitOk;
  }
  if (command == "demo") {
    return demoCommand(args, out, err);
  }
  if (command == "info") {
    return infoCommand(args, out, err);
  }
  return usageError(err, "unknown command '" + command + "'");
}

}  // namespace tarvo
