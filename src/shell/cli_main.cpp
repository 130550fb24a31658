#include <iostream>
#include <string>
#include <vector>

#include "shell/cli.h"
#include "shell/file_system.h"

int main(int argc, char** argv) {
  tarvo::os::ignoreFileSizeSignal();
  const std::vector<std::string> args(argv + 1, argv + argc);
  return tarvo::runCli(args, std::cout, std::cerr);
}
