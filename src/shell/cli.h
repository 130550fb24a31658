// tarvo-cli: the editor's core from the command line.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "shell/command_line.h"
#include "shell/rom_image.h"

namespace tarvo {

// Exit statuses of every command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  // the reason goes to standard error
inline constexpr int kExitUsage = 2;

// Runs one command; `args` are the words after the program's name.
int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// What the commands share.
namespace cli {

// Prints "tarvo-cli: MESSAGE" and where to read more; returns kExitUsage.
int usageError(std::ostream& err, const std::string& message);

// Prints "tarvo-cli: PATH: REASON"; returns kExitFailure.
int failure(std::ostream& err, const std::string& path, const std::string& reason);

// Reads the words of a command, from args[first] on, accepting the options
// of `accepted`. Returns the exit status when the command ends here: --help
// or --version answered, or a usage error reported.
std::optional<int> readCommandWords(const std::vector<std::string>& args, std::size_t first,
                                    const std::vector<CommandLineOption>& accepted,
                                    CommandLineWords& words, std::ostream& out, std::ostream& err);

// A command never writes over one of its inputs: when `output` is the same
// file as one of `inputs`, reports the usage error and returns its status.
std::optional<int> refuseOverwritingInput(std::ostream& err, const std::string& output,
                                          const std::vector<std::string>& inputs);

// The file steps of the commands. Each reports its failure as failure()
// does, "tarvo-cli: PATH: REASON", and returns false; the command then ends
// with kExitFailure.

// Loads the ROM image at `path` as the editor would.
bool loadRomImage(std::ostream& err, const std::string& path, ByteArray& image);
// Saves the ROM image in place, as the editor does.
bool saveRomImage(std::ostream& err, const std::string& path, const ByteArray& image);
// Reads a whole file of at most `limit` bytes that is not a ROM image.
bool readInputFile(std::ostream& err, const std::string& path, std::size_t limit, ByteArray& bytes);
// Writes a file the command makes whole.
bool writeOutputFile(std::ostream& err, const std::string& path, const ByteArray& bytes);

}  // namespace cli

}  // namespace tarvo
