// The info command of spotindex-cli: a picture's format, size, sample type, statistics and the
// calibration and microscope settings its file carries.
#pragma once

#include <ostream>

#include "cli/cli_options.hpp"
#include "cli/cli_output.hpp"

namespace spot::cli {

/// Writes the picture's description; kExitInvalidInput (and a message naming the file) when it
/// cannot be read.
int RunInfo(const Options& options, OutputBuffer& out, std::ostream& err);

} // namespace spot::cli
