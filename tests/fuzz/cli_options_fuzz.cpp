// Fuzzes spotindex-cli's arguments (one argument per NUL-separated piece of the input): the
// parser, then the whole command where it is cheap (help, phases, calc, index at small ranges,
// batch over a few records). The exit status and the streams must agree with each other.
#include <cmath>
#include <sstream>

#include "cli/cli_commands.hpp"
#include "cli/cli_options.hpp"
#include "core/numeric_text.hpp"
#include "fuzz_check.hpp"

namespace {

using namespace spot;
using namespace spot::cli;

// Searches under the sanitizers at this range or below take milliseconds.
constexpr double kCheapRange = 2;
constexpr std::size_t kCheapBatchRecords = 3;

bool cheapToRun(const Options& o) {
  if (!o.cifs.empty()) return false; // a file name could be a device that never ends
  switch (o.command) {
  case Command::Help:
  case Command::Phases:
  case Command::Calc: return true;
  case Command::Info:
  case Command::Spots:
  case Command::Measure: return false; // they read files
  case Command::Simulate: return NumericPrefix(o.gMax) <= 20;
  case Command::Index:
    return o.picture.empty() && RoundHalfEven(NumericPrefix(o.range)) <= kCheapRange;
  case Command::Batch:
    if (!o.picture.empty()) return false;
    return RoundHalfEven(NumericPrefix(o.range)) <= kCheapRange &&
           !(o.records.empty() && o.phaseNames.empty()) &&
           o.records.size() + o.phaseNames.size() <= kCheapBatchRecords;
  }
  return false;
}

bool containsNoNonFinite(std::string text) {
  for (char& c : text)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text.find("nan") == std::string::npos && text.find("inf") == std::string::npos;
}

// A message quotes at most 80 characters of an argument, escapes what is not text, and so is one
// line of well-formed UTF-8 whatever the arguments were.
constexpr std::size_t kLongestMessage = 1000;

void checkMessage(std::string_view message) {
  FUZZ_CHECK(spot::fuzz::IsValidUtf8(message), std::string(message));
  FUZZ_CHECK(message.size() <= kLongestMessage, std::string(message));
  for (char c : message)
    FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F, std::string(message));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string> args =
      spot::fuzz::SplitInput(spot::fuzz::AsText(data, size), '\0');

  const ParseResult parsed = ParseCommandLine(args);
  if (!parsed.error.empty()) {
    checkMessage(parsed.error);
  } else if (parsed.options.command != Command::Help) { // "--help" anywhere ends the parsing
    // Every accepted number is one the boxes accept too.
    const Options& o = parsed.options;
    FUZZ_CHECK(IsNumeric(o.range), o.range);
    for (const std::string& t : o.dTol)
      FUZZ_CHECK(IsNumeric(t), t);
    for (const std::string& t : o.angleTol)
      FUZZ_CHECK(IsNumeric(t), t);
    if (o.spacings)
      for (const std::string& d : *o.spacings)
        FUZZ_CHECK(IsNumeric(d) && NumericPrefix(d) > 0, d);
    PatternBoxes(o);
  }

  if (!parsed.error.empty() || cheapToRun(parsed.options)) {
    std::ostringstream out, err;
    const int status = RunCli(args, out, err);
    const std::string errors = err.str();
    FUZZ_CHECK(status == kExitOk || status == kExitInvalidInput || status == kExitFault,
               "a documented exit status");
    FUZZ_CHECK(parsed.error.empty() || status == kExitInvalidInput, "invalid arguments give 2");
    if (status == kExitOk) {
      FUZZ_CHECK(errors.empty(), errors);
      // tsv has no heading, so a search without rows prints nothing.
      FUZZ_CHECK(!out.str().empty() || parsed.options.format == Format::Tsv,
                 "a run that succeeds prints something");
    } else {
      FUZZ_CHECK(errors.starts_with("spotindex-cli: ") && errors.ends_with("\n"), errors);
      checkMessage(std::string_view(errors).substr(0, errors.size() - 1));
    }
    // Numbers in the output are never "inf" or "nan": faults are said in words. The help text
    // and the phase list hold only fixed words; the rest is numbers and database names.
    if (parsed.options.command != Command::Help)
      FUZZ_CHECK(containsNoNonFinite(out.str()), out.str());
  }
  return 0;
}
