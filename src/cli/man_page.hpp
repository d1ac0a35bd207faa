// The manual page of spotindex-cli, made from the same text that --help prints, so the two never
// disagree.
#pragma once

#include <string>
#include <string_view>

namespace spot::cli {

/// A manual page (roff with the man macros) from a usage text: its first line "program: summary"
/// gives the NAME section, a line "Heading:" at the left margin starts a section (text after the
/// colon stays as its first line; "Usage" becomes SYNOPSIS), and every other line is kept as it
/// stands, unfilled. `version` goes into the page's footer.
std::string ManPage(std::string_view usage, std::string_view version);

} // namespace spot::cli
