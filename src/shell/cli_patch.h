// tarvo-cli patch make | apply.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace tarvo {

// `args` are the words after the program's name, starting with "patch".
// Returns the exit status (kExitOk, kExitFailure, kExitUsage of shell/cli.h).
int patchCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace tarvo
