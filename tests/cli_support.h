// Running tarvo-cli in the test's own process.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "shell/cli.h"

namespace tarvo::test {

struct CliRun {
  int status;
  std::string out;
  std::string err;
};

// The words after the program's name, as tarvo-cli gets them.
inline CliRun runCliWith(const std::vector<std::string>& args) {
  std::ostringstream out;
  std::ostringstream err;
  const int status = runCli(args, out, err);
  return {status, out.str(), err.str()};
}

}  // namespace tarvo::test
