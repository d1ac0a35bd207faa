// The manual page made from the --help text: every line of the text reaches the page unchanged,
// and nothing in it is taken for a roff request or escape.
#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "cli/cli_options.hpp"
#include "cli/man_page.hpp"

namespace spot::cli {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

/// What roff prints for a text line of the page (the escapes ManPage writes, undone).
std::string Printed(const std::string& line) {
  std::string text;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] != '\\' || i + 1 == line.size()) {
      text += line[i];
      continue;
    }
    const char escape = line[++i];
    if (escape == 'e') text += '\\';
    if (escape == '-') text += '-';
    // "\&" prints nothing.
  }
  return text;
}

TEST(ManPage, CarriesTheHelpTextLineByLineUnderItsHeadings) {
  const std::string usage = UsageText();
  const std::vector<std::string> page = Lines(ManPage(usage, "1.2.3"));
  ASSERT_GE(page.size(), 4u);
  EXPECT_EQ(page[0], R"(.TH SPOTINDEX\-CLI 1 "" "SpotIndex 1.2.3" "User Commands")");
  EXPECT_EQ(page[1], ".SH NAME");
  // From the first line of --help, without its full stop.
  EXPECT_EQ(page[2], R"(spotindex\-cli \- index electron\-diffraction spot patterns from the )"
                     "command line");

  // The section headings and the text lines of the page, in order, as roff prints them.
  std::vector<std::string> headings, printed;
  for (std::size_t i = 3; i < page.size(); ++i) {
    const std::string& line = page[i];
    if (line.rfind(".SH ", 0) == 0)
      headings.push_back(line.substr(4));
    else if (line != ".nf" && line != ".fi" && line.rfind(".BR ", 0) != 0 && !line.empty())
      printed.push_back(Printed(line));
  }
  // The headings of --help, read off the text above, and the one the page adds.
  EXPECT_EQ(headings, (std::vector<std::string>{"SYNOPSIS", "COMMANDS", "FORMATS", "EXIT STATUS",
                                                "EXAMPLE", "SEE ALSO"}));
  // Every other non-blank line of --help after the first; "Exit status: 0 ..." keeps what
  // follows its heading.
  std::vector<std::string> expected;
  for (const std::string& line : Lines(usage)) {
    if (line.empty() || line == "Usage:" || line == "Commands:" || line == "Formats:" ||
        line == "Example:")
      continue;
    expected.push_back(line.rfind("Exit status: ", 0) == 0 ? line.substr(13) : line);
  }
  expected.erase(expected.begin());
  EXPECT_EQ(printed, expected);

  // The example's line continuation is a backslash that roff must print, not an escape.
  EXPECT_NE(ManPage(usage, "1").find(R"(\-\-range 2 \e)"), std::string::npos);
}

TEST(ManPage, ALineStartingWithAPeriodOrQuoteIsTextNotARequest) {
  const std::vector<std::string> page = Lines(ManPage(
      "tool: does things.\n\nNotes:\n\n.so /etc/passwd\n'br\n  Heading: no\nMore: x\n", "1"));
  EXPECT_EQ(page, (std::vector<std::string>{R"(.TH TOOL 1 "" "SpotIndex 1" "User Commands")",
                                            ".SH NAME", R"(tool \- does things)", ".SH NOTES",
                                            ".nf", R"(\&.so /etc/passwd)", R"(\&'br)",
                                            "  Heading: no", ".fi", ".SH MORE", ".nf", "x", ".fi",
                                            ".SH SEE ALSO", ".BR spotindex (1)"}));
  EXPECT_EQ(ManPage("\n\n", "1"), ""); // no text, no page
  // The summary is all that follows the colon, with or without a blank.
  EXPECT_EQ(Lines(ManPage("tool:does things\n", "1"))[2], R"(tool \- does things)");
}

} // namespace
} // namespace spot::cli
