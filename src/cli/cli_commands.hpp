// The four commands of spotindex-cli and their text, tsv and json output.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace spot::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitInvalidInput = 2;
inline constexpr int kExitFault = 3;

/// Runs the command line (arguments after the program name), flushes `out` and returns the exit
/// status; an output that could not be written gives kExitFault.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace spot::cli
