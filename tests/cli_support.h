// Running tarvo-cli in the test's own process.
#pragma once

#include <gtest/gtest.h>

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

// Whether `run` is a usage error as tarvo-cli reports one: status 2, nothing
// on standard output, and on standard error exactly two lines, the first
// naming what was wrong (holding `message`), the second where to read more.
inline ::testing::AssertionResult isUsageError(const CliRun& run, const std::string& message) {
  const std::string firstLine = run.err.substr(0, run.err.find('\n') + 1);
  const bool shaped = run.err.rfind("tarvo-cli: ", 0) == 0 &&
                      firstLine.find(message) != std::string::npos &&
                      run.err.substr(firstLine.size()) == "Try 'tarvo-cli --help'.\n";
  if (run.status == kExitUsage && run.out.empty() && shaped) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << "status " << run.status << ", out \"" << run.out << "\", err \"" << run.err
         << "\"; expected \"" << message << "\"";
}

}  // namespace tarvo::test
