// --group: families and nearest misses added to index and batch output, the rest unchanged.
#include <gtest/gtest.h>

#include <algorithm>

#include <sstream>

#include "cli/cli_run.hpp"

namespace spot::cli {
namespace {

using namespace testing;

// Every object and list of a JSON text closes (no name here holds a brace or a bracket).
void ExpectBalanced(const std::string& json) {
  for (const char* pair : {"{}", "[]"})
    EXPECT_EQ(std::count(json.begin(), json.end(), pair[0]),
              std::count(json.begin(), json.end(), pair[1]))
        << json;
}

TEST(CliGroup, IndexAddsFamiliesAfterTheUnchangedRows) {
  const CliRun plain = run(kCubic), grouped = run(with(kCubic, {"--group"}));
  ASSERT_EQ(grouped.status, 0) << grouped.err;
  // The text without --group is the start of the text with it; without a picture no agreement
  // follows the families.
  EXPECT_EQ(grouped.out.substr(0, plain.out.size()), plain.out);
  EXPECT_TRUE(grouped.out.ends_with("\n(deviations: computed minus measured, nm and degrees)\n"));
  // The 24 rows are one family: (2 0 0) + (0 2 0) = (2 2 0), zone axis [0 0 1].
  EXPECT_TRUE(contains(grouped.out, "1 family of equivalent solutions"));
  EXPECT_TRUE(contains(grouped.out, "    1  (2 0 0) + (0 2 0) = (2 2 0)  [0 0 1]        24"));

  // R1 measured 0.203 nm and <R1,R2> 91 degrees: the family deviates by -0.003 nm and -1 degree,
  // its score sqrt(((0.003 / 0.008)² + (1 / 2)²) / 6) = 0.2552.
  const CliRun off = run({"index", "--cell",       "0.4",      "0.4",     "0.4", "90",  "90",
                          "90",    "--lattice",    "F",        "--range", "2",   "--d", "0.203",
                          "0.2",   "0.1414213562", "--angles", "91",      "45",  "45",  "--group"});
  EXPECT_TRUE(contains(off.out, "[0 0 1]        24   -0.0030")) << off.out;
  EXPECT_TRUE(contains(off.out, "-1.00")) << off.out;
  EXPECT_TRUE(contains(off.out, "   0.2552\n(deviations: computed minus measured")) << off.out;
  // Each number under its heading: the heading and the row are as wide on the screen.
  const auto width = [](const std::string& line) {
    return std::count_if(line.begin(), line.end(),
                         [](unsigned char c) { return (c & 0xC0) != 0x80; });
  };
  std::istringstream table(off.out.substr(off.out.find("equivalent solutions\n") + 21));
  std::string heading, row;
  std::getline(table, heading);
  std::getline(table, row);
  EXPECT_EQ(width(heading), width(row)) << heading << "\n" << row;

  const CliRun plainJson = run(with(kCubic, {"--format", "json"}));
  const CliRun json = run(with(kCubic, {"--format", "json", "--group"}));
  ASSERT_EQ(json.status, 0);
  const std::size_t end = plainJson.out.rfind('}');
  EXPECT_EQ(json.out.substr(0, end), plainJson.out.substr(0, end));
  EXPECT_TRUE(contains(json.out,
                       "\"families\": [\n   {\"rank\": 1, \"rows\": [1, 2, 3, 4, 5, 6, 7, "
                       "8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, "
                       "24], \"representative\": {\"r1\": [2, 0, 0], \"r2\": [0, 2, 0], "
                       "\"r3\": [2, 2, 0]}, \"zone_axis\": [0, 0, 1], \"deviation\": "));
  // Three deviations of spacing and three of angle, each list separated by commas.
  for (const std::string key : {"\"deviation\": {\"d\": [", "\"angles\": ["}) {
    const std::size_t from = json.out.find(key, json.out.find("\"families\"")) + key.size();
    const std::string list = json.out.substr(from, json.out.find(']', from) - from);
    EXPECT_EQ(std::count(list.begin(), list.end(), ','), 2) << list;
  }
  EXPECT_TRUE(contains(json.out, "]}, \"score\": ")); // the deviation, then the score
  EXPECT_FALSE(contains(json.out, "zone_axis_4"));    // cubic
  EXPECT_FALSE(contains(json.out, "nearest"));        // it has rows
  ExpectBalanced(json.out);

  // tsv has no place for families.
  const CliRun tsv = run(with(kCubic, {"--format", "tsv", "--group"}));
  EXPECT_EQ(tsv.status, kExitInvalidInput);
  EXPECT_TRUE(contains(tsv.err, "--group"));
  EXPECT_EQ(run(with(kCubic, {"--group", "--group"})).status, kExitInvalidInput);
}

TEST(CliGroup, NearestMissesAndHexagonalZoneAxes) {
  // (1 1 1) + (1 -1 -1) = (2 0 0) of a = 0.4 nm: d = 0.23094, 0.23094, 0.2 nm, angles 109.47,
  // 54.7356, 54.7356 degrees; d2 measured 0.011 nm short, <R2,R3> 3.0044 degrees wide.
  const std::vector<std::string> off = {
      "index",    "--cell",    "0.4",   "0.4",   "0.4",     "90",      "90",
      "90",       "--lattice", "F",     "--d",   "0.23094", "0.21994", "0.2",
      "--angles", "109.47",    "57.74", "54.74", "--range", "2",       "--group"};
  const CliRun text = run(off);
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_TRUE(contains(text.out, "0 solutions\n\nNo solution. Nearest: (1 1 1) + (1 -1 -1) = "
                                 "(2 0 0), d2 off by 0.011 nm (tolerance 0.008), a23 off by 3 "
                                 "degrees (tolerance 2)\n"));
  const CliRun json = run(with(off, {"--format", "json"}));
  EXPECT_TRUE(contains(json.out, "\"families\": [],\n \"nearest\": [\n   {\"r1\": [1, 1, 1], "
                                 "\"r2\": [1, -1, -1], \"r3\": [2, 0, 0], \"deviation\": "));
  EXPECT_TRUE(
      contains(json.out, "\"breaks\": [\"d2\", \"a23\"]}\n ]")); // the list closes on its own line
  ExpectBalanced(json.out);

  // Hexagonal a = 0.3209, c = 0.5211 nm: (1 0 0) + (0 -1 0) = (1 -1 0), d = a√3/2 = 0.27791 nm,
  // 120, 60, 60 degrees; zone axis [0 0 -1] = [0 0 0 -1].
  const std::vector<std::string> hexagonal = {
      "index",     "--cell", "0.3209",  "0.3209",  "0.5211",  "90",       "90",       "120",
      "--lattice", "P",      "--d",     "0.27791", "0.27791", "0.27791",  "--angles", "120",
      "60",        "60",     "--range", "2",       "--group", "--format", "json"};
  const CliRun hex = run(hexagonal);
  ASSERT_EQ(hex.status, 0) << hex.err;
  EXPECT_TRUE(contains(hex.out, "\"representative\": {\"r1\": [1, 0, 0], \"r2\": [0, -1, 0], "
                                "\"r3\": [1, -1, 0]}, \"zone_axis\": [0, 0, -1], \"zone_axis_4\": "
                                "[0, 0, 0, -1]"));
  // As text the zone axis column is as wide as "[0 0 -1] = [0 0 0 -1]", 21, its heading too;
  // then two blanks and "Rows" right-aligned in 6.
  const CliRun hexText = run({hexagonal.begin(), hexagonal.end() - 2});
  EXPECT_TRUE(contains(hexText.out, "  Zone axis" + std::string(16, ' ') + "Rows")) << hexText.out;
}

TEST(CliGroup, BatchRanksPhasesAndNamesNearestMisses) {
  // Al and NaCl match, Cu does not.
  const std::vector<std::string>& args = kAlCuNaClBatch;
  const CliRun plain = run(with(args, {"--format", "json"}));
  const CliRun grouped = run(with(args, {"--format", "json", "--group"}));
  ASSERT_EQ(grouped.status, 0) << grouped.err;
  EXPECT_FALSE(contains(plain.out, "\"name\": \"Cu\""));
  // With --group Cu is listed too, without rows and with its nearest misses.
  EXPECT_TRUE(contains(grouped.out, "\"record\": 34, \"name\": \"Cu\""));
  EXPECT_TRUE(contains(grouped.out, "\"count\": 0,\n   \"results\": [],\n   \"families\": [],\n"
                                    "   \"nearest\": ["));
  // Ranking: best first, phases with rows only, each with its first family's score.
  const std::size_t ranking = grouped.out.find("\"ranking\": [");
  ASSERT_NE(ranking, std::string::npos);
  const std::string tail = grouped.out.substr(ranking);
  EXPECT_FALSE(contains(tail, "Cu"));
  const auto score = [&](const std::string& name) {
    const std::size_t at = tail.find("\"name\": \"" + name + "\", \"best_score\": ");
    EXPECT_NE(at, std::string::npos) << name;
    return std::stod(tail.substr(tail.find("\"best_score\": ", at) + 14));
  };
  const double nacl = score("NaCl"), al = score("Al");
  EXPECT_LE(tail.find(nacl < al ? "NaCl" : "Al"), tail.find(nacl < al ? "Al" : "NaCl"));
  ExpectBalanced(grouped.out);

  const CliRun text = run(with(args, {"--group"}));
  EXPECT_TRUE(contains(text.out, "2 of 3 phases have solutions\n\nBest phases"));
  // A phase's rows and its families are one blank line apart.
  EXPECT_TRUE(contains(text.out, "45.0000\n\n1 family of equivalent solutions\n")) << text.out;
  const std::string best = text.out.substr(text.out.find("Best phases"));
  EXPECT_TRUE(contains(best, "first)\n  1  ") && contains(best, ")\n  2  ")) << best;
  EXPECT_TRUE(contains(text.out, "No solution. Nearest: "));
  // Cu has no rows: its heading is followed at once by its nearest misses, with no table.
  const std::size_t cu = text.out.find('\n', text.out.find("\n------Cu") + 1) + 1;
  EXPECT_EQ(text.out.compare(cu, 12, "No solution."), 0) << text.out;

  // CoO (record 29) and TiN (93) are both F with a = 0.424 nm: their best families tie and keep
  // database order, whatever the order given. d1 is measured 0.002 nm over d200 = 0.212 nm, d2
  // and d220 = 0.424 / √8 = 0.14991 as computed: score sqrt((0.002 / 0.008)² / 6) = 0.1021.
  const CliRun tie = run({"batch", "--record", "93", "--record", "29", "--range", "2", "--d",
                          "0.214", "0.212", "0.14991", "--angles", "90", "45", "45", "--group"});
  EXPECT_TRUE(contains(tie.out, "first)\n  1  0.1021  CoO  (record 29)\n"
                                "  2  0.1021  TiN  (record 93)\n"))
      << tie.out;
}

} // namespace
} // namespace spot::cli
