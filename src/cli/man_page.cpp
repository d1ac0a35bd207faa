// Turning the usage text into roff.
#include "cli/man_page.hpp"

#include <cctype>
#include <optional>
#include <vector>

namespace spot::cli {
namespace {

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    lines.push_back(text.substr(0, end));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

/// Text as roff prints it literally: a backslash is roff's escape character, "-" would print as
/// a hyphen that cannot be pasted back into a shell, and a line starting with "." or "'" would be
/// read as a request.
std::string Escaped(std::string_view text) {
  std::string escaped;
  if (!text.empty() && (text.front() == '.' || text.front() == '\'')) escaped += "\\&";
  for (const char c : text) {
    if (c == '\\')
      escaped += "\\e";
    else if (c == '-')
      escaped += "\\-";
    else
      escaped += c;
  }
  return escaped;
}

std::string Upper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

struct Heading {
  std::string_view title; ///< before the colon
  std::string_view rest;  ///< after the colon and its blank
};

/// "Commands:" or "Exit status: 0 the search ran": letters and blanks from a capital at the left
/// margin up to a colon that ends the line or is followed by a blank.
std::optional<Heading> HeadingOf(std::string_view line) {
  if (line.empty() || !std::isupper(static_cast<unsigned char>(line.front()))) return std::nullopt;
  const std::size_t colon = line.find(':');
  if (colon == std::string_view::npos) return std::nullopt;
  for (const char c : line.substr(0, colon))
    if (!std::isalpha(static_cast<unsigned char>(c)) && c != ' ') return std::nullopt;
  std::string_view rest = line.substr(colon + 1);
  if (!rest.empty() && rest.front() != ' ') return std::nullopt;
  while (!rest.empty() && rest.front() == ' ')
    rest.remove_prefix(1);
  return Heading{line.substr(0, colon), rest};
}

} // namespace

std::string ManPage(std::string_view usage, std::string_view version) {
  std::vector<std::string_view> lines = Lines(usage);
  while (!lines.empty() && lines.back().empty())
    lines.pop_back();
  if (lines.empty()) return {};

  std::string_view program = lines.front(), summary;
  if (const std::size_t colon = program.find(':'); colon != std::string_view::npos) {
    summary = program.substr(colon + 1);
    program = program.substr(0, colon);
  }
  while (!summary.empty() && summary.front() == ' ')
    summary.remove_prefix(1);
  if (!summary.empty() && summary.back() == '.') summary.remove_suffix(1);

  std::string page = ".TH " + Escaped(Upper(program)) + " 1 \"\" \"SpotIndex " + Escaped(version) +
                     "\" \"User Commands\"\n";
  page += ".SH NAME\n" + Escaped(program) + " \\- " + Escaped(summary) + "\n";

  // Each section is one unfilled block; blank lines between sections are dropped.
  std::vector<std::string> block;
  const auto flush = [&] {
    while (!block.empty() && block.back().empty())
      block.pop_back();
    if (block.empty()) return;
    page += ".nf\n";
    for (const std::string& line : block)
      page += line + "\n";
    page += ".fi\n";
    block.clear();
  };
  for (std::size_t i = 1; i < lines.size(); ++i) {
    if (const std::optional<Heading> heading = HeadingOf(lines[i])) {
      flush();
      const std::string title = Upper(heading->title);
      page += ".SH " + Escaped(title == "USAGE" ? "SYNOPSIS" : title) + "\n";
      if (!heading->rest.empty()) block.push_back(Escaped(heading->rest));
      continue;
    }
    if (block.empty() && lines[i].empty()) continue;
    block.push_back(Escaped(lines[i]));
  }
  flush();
  page += ".SH SEE ALSO\n.BR spotindex (1)\n";
  return page;
}

} // namespace spot::cli
