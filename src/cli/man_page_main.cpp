// Writes the manual page of spotindex-cli at build time: man_page_main OUTPUT VERSION.
#include <fstream>
#include <iostream>

#include "cli/cli_options.hpp"
#include "cli/man_page.hpp"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: " << argv[0] << " OUTPUT VERSION\n";
    return 2;
  }
  std::ofstream out(argv[1], std::ios::binary);
  out << spot::cli::ManPage(spot::cli::UsageText(), argv[2]);
  out.close();
  if (!out) {
    std::cerr << argv[0] << ": cannot write " << argv[1] << "\n";
    return 1;
  }
  return 0;
}
