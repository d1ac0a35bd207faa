// The option parser on its own: the struct that arguments fill, and how messages quote them.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "cli/cli_options.hpp"
#include "cli/cli_run.hpp"
#include "core/boxes.hpp"

namespace spot::cli {
namespace {

Options parse(const std::vector<std::string>& args) {
  const ParseResult r = ParseCommandLine(args);
  EXPECT_EQ(r.error, "");
  return r.options;
}

TEST(CliOptions, ArgumentsFillTheStruct) {
  const Options index = parse(
      {"index", "--lattice", "f",           "--cell",  "0.4", "0.4",       "0.5",  "90",
       "90",    "120",       "--scale-bar", "5",       "100", "--lengths", "98.8", "99",
       "139.7", "--angles",  "90",          "45",      "45",  "--d-tol",   "0.01", "--angle-tol",
       "1",     "2",         "3",           "--range", "7",   "--format",  "tsv"});
  EXPECT_EQ(index.command, Command::Index);
  EXPECT_EQ(index.format, Format::Tsv);
  EXPECT_EQ(index.lattice, LatticeType::FaceCenter);
  EXPECT_EQ(index.cell, (std::array<std::string, 6>{"0.4", "0.4", "0.5", "90", "90", "120"}));
  EXPECT_EQ(index.scaleBar, (std::array<std::string, 2>{"5", "100"}));
  EXPECT_EQ(index.lengths, (std::array<std::string, 3>{"98.8", "99", "139.7"}));
  EXPECT_EQ(index.numbers, (std::array<std::string, 3>{"1", "1", "1"})); // the default
  EXPECT_EQ(index.dTol, (std::array<std::string, 3>{"0.01", "0.01", "0.01"}));
  EXPECT_EQ(index.angleTol, (std::array<std::string, 3>{"1", "2", "3"}));
  EXPECT_EQ(index.range, "7");
  EXPECT_FALSE(index.spacings);

  const Options batch =
      parse({"batch", "--record", "108", "--phase", "Al", "--record", "1", "--phase", "Cu", "--d",
             "0.2", "0.2", "0.1", "--angles", "90", "45", "45"});
  EXPECT_EQ(batch.records, (std::vector<int>{108, 1}));
  EXPECT_EQ(batch.phaseNames, (std::vector<std::string>{"Al", "Cu"}));
  EXPECT_EQ(batch.range, "5"); // defaults: 5, 0.008 nm, 2 degrees
  EXPECT_EQ(batch.dTol, (std::array<std::string, 3>{"0.008", "0.008", "0.008"}));
  EXPECT_EQ(batch.angleTol, (std::array<std::string, 3>{"2", "2", "2"}));

  // The boxes a search reads: --d becomes Number = d over a unit scale bar and Length.
  const BoxTexts boxes = PatternBoxes(batch);
  EXPECT_EQ(boxes[Box::ScaleBarValue], "1");
  EXPECT_EQ(boxes[Box::Length2], "1");
  EXPECT_EQ(boxes[Box::Number3], "0.1");
  EXPECT_EQ(boxes[Box::Angle23], "45");
  const BoxTexts scaled = PatternBoxes(index);
  EXPECT_EQ(scaled[Box::ScaleBarLength], "100");
  EXPECT_EQ(scaled[Box::Length2], "99");
  EXPECT_EQ(scaled[Box::AngleTol13], "3");
  EXPECT_EQ(scaled[Box::Gamma], "120");

  EXPECT_EQ(parse({"phases", "--help", "--range", "5"}).command, Command::Help);
  EXPECT_EQ(parse({"help"}).command, Command::Help);
}

// The examples of --help measure real patterns: R3 = R1 + R2 with the lengths and angles given,
// so that a reader who changes one number sees what the others must be.
TEST(CliOptions, HelpExamplesMeasureParallelograms) {
  const std::string usage = UsageText();
  const std::size_t examples = usage.find("Example:\n");
  ASSERT_NE(examples, std::string::npos);
  std::istringstream lines(usage.substr(examples + 9));
  int checked = 0;
  for (std::string line, command; std::getline(lines, line);) {
    command += line;
    if (!command.empty() && command.back() == '\\') {
      command.pop_back();
      continue;
    }
    std::istringstream words(command);
    command.clear();
    std::vector<std::string> args;
    for (std::string word; words >> word;)
      args.push_back(word);
    if (args.empty()) continue;
    ASSERT_EQ(args[0], "spotindex-cli");
    const Options o = parse({args.begin() + 1, args.end()});
    const testing::CliRun ran = testing::run({args.begin() + 1, args.end()}); // finds solutions
    EXPECT_EQ(ran.status, 0) << line;
    EXPECT_EQ(ran.out.find("\n0 "), std::string::npos) << ran.out;
    if (!o.angles) continue; // not a measurement
    // Reciprocal lengths: 1/d, or L x VALUE / (N x LENGTH) from the scale bar.
    std::array<double, 3> r{};
    for (std::size_t i = 0; i < 3; ++i)
      r[i] = o.spacings ? 1 / std::stod((*o.spacings)[i])
                        : std::stod((*o.lengths)[i]) * std::stod((*o.scaleBar)[0]) /
                              (std::stod(o.numbers[i]) * std::stod((*o.scaleBar)[1]));
    // R1 along x, R2 at <R1,R2>: R3's length and its angles to both follow.
    const double a12 = std::stod((*o.angles)[0]) * M_PI / 180;
    const double x = r[0] + r[1] * std::cos(a12), y = r[1] * std::sin(a12);
    EXPECT_NEAR(std::hypot(x, y), r[2], 1e-4 * r[2]) << line;
    EXPECT_NEAR(std::atan2(y, x) * 180 / M_PI, std::stod((*o.angles)[2]), 0.01) << line;
    EXPECT_NEAR((a12 - std::atan2(y, x)) * 180 / M_PI, std::stod((*o.angles)[1]), 0.01) << line;
    ++checked;
  }
  EXPECT_GE(checked, 2); // the index and the batch example at least
}

TEST(CliOptions, MessagesQuoteAtMostEightyReadableCharacters) {
  // 100 "é" (two bytes each): 80 characters kept, then the ellipsis.
  std::string accents;
  for (int i = 0; i < 100; ++i)
    accents += "é";
  EXPECT_EQ(QuoteArgument(accents), "\"" + accents.substr(0, 160) + "…\"");
  EXPECT_EQ(QuoteArgument(std::string(80, 'x')), "\"" + std::string(80, 'x') + "\"");
  // Bytes that are not UTF-8 (a stray continuation, a cut sequence, an overlong "/", a
  // surrogate) and control characters (ESC, C1 NEL) become \xNN; "Fe(α)" stays as it is.
  const struct {
    std::string in, out;
  } cases[] = {
      {"\x80"
       "Fe(α)",
       "\"\\x80Fe(α)\""},
      {"ab\xC3", "\"ab\\xC3\""},
      {"\xC3(", "\"\\xC3(\""}, // a lead byte without its continuation
      {"\xC0\xAF", "\"\\xC0\\xAF\""},
      {"\xED\xA0\x80", "\"\\xED\\xA0\\x80\""},
      {"\x1B[31m\xC2\x85", "\"\\x1B[31m\\xC2\\x85\""},
      {"\xF0\x9F\x98\x80", "\"\xF0\x9F\x98\x80\""}, // U+1F600 is fine
      // U+00A0 (the first that is no control), a blank, U+0800, U+E000 (after the surrogates),
      // U+10000 and U+10FFFF are characters; DEL, U+DFFF and U+110000 are not.
      {"\xC2\xA0 \xE0\xA0\x80\xEE\x80\x80\xF0\x90\x80\x80\xF4\x8F\xBF\xBF",
       "\"\xC2\xA0 \xE0\xA0\x80\xEE\x80\x80\xF0\x90\x80\x80\xF4\x8F\xBF\xBF\""},
      {"\x7F\xED\xBF\xBF\xF4\x90\x80\x80", "\"\\x7F\\xED\\xBF\\xBF\\xF4\\x90\\x80\\x80\""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(QuoteArgument(c.in), c.out);
  // The parser's messages quote the same way.
  const ParseResult r = ParseCommandLine({"index", "--phase", std::string(300, 'y') + "\xFF"});
  EXPECT_NE(r.error.find("\"" + std::string(80, 'y') + "…\""), std::string::npos) << r.error;
}

} // namespace
} // namespace spot::cli
