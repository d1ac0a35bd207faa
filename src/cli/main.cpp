// spotindex-cli: the indexing engine from the command line.
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_commands.hpp"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> args(argv + 1, argv + argc);
  // RunCli flushes the output and checks that it was written.
  return spot::cli::RunCli(args, std::cout, std::cerr);
}
