// What the end-to-end command-line tests share: a run through RunCli and the two measurements
// they keep returning to.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_commands.hpp"

namespace spot::cli::testing {

struct CliRun {
  int status;
  std::string out, err;
};

inline CliRun run(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int status = RunCli(args, out, err);
  return {status, out.str(), err.str()};
}

inline std::vector<std::string> with(std::vector<std::string> args,
                                     std::initializer_list<std::string> more) {
  args.insert(args.end(), more);
  return args;
}

inline bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

/// The face-centred example: a = 0.4 nm, (2 0 0) + (0 2 0) = (2 2 0) at d = 0.2, 0.2, 0.2/√2 nm
/// and 90, 45, 45 degrees; 24 rows at range 2.
inline const std::vector<std::string> kCubic = {
    "index",   "--cell", "0.4", "0.4", "0.4", "90",           "90",       "90", "--lattice", "F",
    "--range", "2",      "--d", "0.2", "0.2", "0.1414213562", "--angles", "90", "45",        "45"};

/// Al's [001] zone measured on a picture: d = 20/98.8 = 0.2024, 0.2024, 20/139.7 = 0.1432 nm at
/// 90, 45, 45 degrees. Within 0.008 nm Al ({200}+{200}={220}: 0.2025, 0.1432) and NaCl
/// ({220}+{220}={400}: 0.1994, 0.141) match; Cu ({200}: 0.1805 nm) matches only within 0.03 nm.
inline const std::vector<std::string> kAlCuNaClBatch = {
    "batch",       "--phase", "NaCl", "--phase",   "Cu",      "--record", "2",
    "--scale-bar", "5",       "100",  "--lengths", "98.8",    "98.8",     "139.7",
    "--angles",    "90",      "45",   "45",        "--range", "4"};

} // namespace spot::cli::testing
