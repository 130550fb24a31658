// tarvo-cli tiles and optimise: a screen's tile budget, and the bookkeeping
// commands that free tiles and metatiles.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace tarvo {

// `args` are the words after the program's name, starting with the command.
// Each returns the exit status (kExitOk, kExitFailure, kExitUsage of
// shell/cli.h).
int tilesCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int optimiseCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace tarvo
