// spotindex-cli end to end through RunCli: outputs, the scale-bar form, exit statuses.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli_commands.hpp"

namespace spot::cli {
namespace {

struct CliRun {
  int status;
  std::string out, err;
};

CliRun run(std::vector<std::string> args) {
  std::ostringstream out, err;
  const int status = RunCli(args, out, err);
  return {status, out.str(), err.str()};
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> result;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    result.push_back(line);
  return result;
}

const std::vector<std::string> kCubic = {
    "index",   "--cell", "0.4", "0.4", "0.4", "90",           "90",       "90", "--lattice", "F",
    "--range", "2",      "--d", "0.2", "0.2", "0.1414213562", "--angles", "90", "45",        "45"};

std::vector<std::string> with(std::vector<std::string> args,
                              std::initializer_list<std::string> more) {
  args.insert(args.end(), more);
  return args;
}

TEST(Cli, CubicExampleInAllFormats) {
  const CliRun text = run(kCubic);
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_NE(text.out.find("No.001    -2    0    0  +    0   -2    0  ＝   -2   -2    0"),
            std::string::npos);
  EXPECT_NE(text.out.find("24 solutions"), std::string::npos);

  const CliRun tsv = run(with(kCubic, {"--format", "tsv"}));
  const auto rows = lines(tsv.out);
  ASSERT_EQ(rows.size(), 24u);
  EXPECT_EQ(rows.back(), "No.024\t2\t0\t0\t+\t0\t2\t0\t＝\t2\t2\t0\t◇\t0.2000000\t0.2000000\t0."
                         "1414214\t◇\t90.0000\t45.0000\t45.0000");

  const CliRun json = run(with(kCubic, {"--format", "json"}));
  EXPECT_NE(json.out.find("\"count\": 24"), std::string::npos);
  EXPECT_NE(
      json.out.find("{\"no\": 1, \"r1\": [-2, 0, 0], \"r2\": [0, -2, 0], \"r3\": [-2, -2, 0]"),
      std::string::npos);
  EXPECT_NE(json.out.find("\"lattice\": \"F\", \"cell\": [0.4, 0.4, 0.4, 90, 90, 90]"),
            std::string::npos);
}

TEST(Cli, ScaleBarFormGivesTheSameRowsAsSpacings) {
  // 5 1/nm over 100 px: d = 20 / L nm; body-centred iron d(110) = 0.20266, d(002) = 0.1433,
  // d(112) = 0.11700 nm give L = 98.69, 139.57, 170.94 px.
  std::vector<std::string> scale = {
      "index",  "--phase", "Fe(α)",    "--scale-bar", "5",     "100",   "--lengths", "98.69",
      "139.57", "170.94",  "--angles", "90",          "35.26", "54.74", "--format",  "tsv"};
  const CliRun fromScale = run(scale);
  ASSERT_EQ(fromScale.status, 0) << fromScale.err;
  // Numbers 2 2 2 with doubled lengths measure the same spacings.
  std::vector<std::string> doubled = {"index",     "--phase",   "Fe(α)",  "--scale-bar", "5",
                                      "100",       "--lengths", "197.38", "279.14",      "341.88",
                                      "--numbers", "2",         "2",      "2",           "--angles",
                                      "90",        "35.26",     "54.74",  "--format",    "tsv"};
  const CliRun fromDoubled = run(doubled);
  EXPECT_EQ(fromScale.out, fromDoubled.out);
  EXPECT_EQ(lines(fromScale.out).size(), 24u); // {110} + {002} = {112}: 24 ways
}

TEST(Cli, BatchListsOnlyPhasesWithSolutionsInDatabaseOrder) {
  // d = 20/98.8 = 0.2024, 0.2024, 20/139.7 = 0.1432 nm. Within 0.008 nm Al ({200}+{200}={220}:
  // 0.2025, 0.1432) and NaCl ({220}+{220}={400}: 0.1994, 0.141) match; within 0.03 nm Cu
  // ({200}+{200}={220}: 0.1805, 0.1276) matches too.
  std::vector<std::string> args = {
      "batch", "--phase", "NaCl",      "--phase", "Cu",       "--record", "2",        "--scale-bar",
      "5",     "100",     "--lengths", "98.8",    "98.8",     "139.7",    "--angles", "90",
      "45",    "45",      "--range",   "4",       "--format", "json"};
  const CliRun narrow = run(args);
  ASSERT_EQ(narrow.status, 0) << narrow.err;
  EXPECT_NE(narrow.out.find("\"record\": 2, \"name\": \"Al\""), std::string::npos);
  EXPECT_EQ(narrow.out.find("\"name\": \"Cu\""), std::string::npos);
  EXPECT_NE(narrow.out.find("\"record\": 80, \"name\": \"NaCl\""), std::string::npos);

  const CliRun wide = run(with(args, {"--d-tol", "0.03"}));
  const auto al = wide.out.find("\"name\": \"Al\""), cu = wide.out.find("\"name\": \"Cu\""),
             nacl = wide.out.find("\"name\": \"NaCl\"");
  ASSERT_NE(nacl, std::string::npos);
  EXPECT_LT(al, cu);
  EXPECT_LT(cu, nacl);
}

TEST(Cli, CalculatorAndItsFault) {
  const CliRun calc =
      run({"calc", "--cell", "0.4", "0.4", "0.4", "90", "90", "90", "--planes", "1",
           "1",    "0",      "1",   "-1",  "0",   "2",  "0",  "0",  "--format", "json"});
  ASSERT_EQ(calc.status, 0) << calc.err;
  EXPECT_NE(calc.out.find("\"zone_axis\": [0, 0, -1]"),
            std::string::npos); // (110)×(1-10) = [0 0 -2]
  const CliRun parallel =
      run({"calc", "--phase", "Al", "--planes", "1", "0", "0", "2", "0", "0", "3", "0", "0"});
  EXPECT_EQ(parallel.status, kExitFault);
  EXPECT_NE(parallel.err.find("parallel"), std::string::npos);
}

TEST(Cli, InvalidInputNamesTheOption) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {with({"index", "--cell", "0.4", "0.4", "0.4", "90", "90", "90", "--lattice", "X"}, {}),
       "--lattice"},
      {{"index", "--phase", "Unobtainium", "--d", "1", "1", "1", "--angles", "1", "1", "1"},
       "--phase"},
      {{"index", "--phase", "Al", "--d", "0.2", "0,2", "0.1", "--angles", "90", "45", "45"}, "--d"},
      {{"index", "--phase", "Al", "--d", "0.2", "0.2", "0.1"}, "--angles"},
      {with(kCubic, {"--range", "-1"}), "--range"},
      {with(kCubic, {"--range", "500"}), "--range"},
      {with(kCubic, {"--d-tol", "-0.1"}), "--d-tol"},
      {{"index", "--cell", "0.4", "0.4", "0", "90", "90", "90", "--lattice", "P", "--d", "1", "1",
        "1", "--angles", "1", "1", "1"},
       "--cell"},
      {{"index", "--phase", "Al", "--scale-bar", "0", "100", "--lengths", "1", "1", "1", "--angles",
        "1", "1", "1"},
       "--scale-bar"},
      {with(kCubic, {"--bogus"}), "--bogus"},
      {{"frobnicate"}, "frobnicate"},
  };
  for (const auto& [args, option] : cases) {
    const CliRun r = run(args);
    EXPECT_EQ(r.status, kExitInvalidInput) << option;
    EXPECT_NE(r.err.find(option), std::string::npos) << r.err;
  }
}

TEST(Cli, SearchFaultExitsWithThree) {
  // A spacing tolerance that admits every plane of a large cube exceeds the row limit.
  const CliRun r =
      run({"index",     "--cell", "0.4",     "0.4", "0.4",     "90",  "90",          "90",
           "--lattice", "P",      "--range", "40",  "--d",     "0.1", "0.1",         "0.1",
           "--angles",  "90",     "90",      "90",  "--d-tol", "10",  "--angle-tol", "180"});
  EXPECT_EQ(r.status, kExitFault);
  EXPECT_FALSE(r.err.empty());
}

} // namespace
} // namespace spot::cli
