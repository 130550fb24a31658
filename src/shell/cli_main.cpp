#include <iostream>
#include <string>
#include <vector>

#include "shell/cli.h"
#include "shell/file_system.h"

int main(int argc, char** argv) {
  tarvo::os::ignoreFileSizeSignal();
  const std::vector<std::string> args(argv + 1, argv + argc);
  const int status = tarvo::runCli(args, std::cout, std::cerr);
  std::cout.flush();
  if (!std::cout) {
    std::cerr << "tarvo-cli: the output could not be written\n";
    return tarvo::kExitFailure;
  }
  return status;
}
