// tarvo-cli: the editor's core from the command line.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace tarvo {

// Exit statuses of every command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  // the reason goes to standard error
inline constexpr int kExitUsage = 2;

// Runs one command; `args` are the words after the program's name.
int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace tarvo
