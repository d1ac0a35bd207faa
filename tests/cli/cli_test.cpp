// spotindex-cli end to end through RunCli: outputs, the scale-bar form, exit statuses.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <memory>
#include <sstream>

#include "cli/cli_options.hpp"
#include "cli/cli_run.hpp"
#include "solutions/nearest_miss.hpp"

namespace spot::cli {
namespace {

using namespace testing;

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> result;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    result.push_back(line);
  return result;
}

TEST(Cli, CubicExampleInAllFormats) {
  const CliRun text = run(kCubic);
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_TRUE(contains(text.out, "No.001    -2    0    0  +    0   -2    0  ＝   -2   -2    0"));
  EXPECT_TRUE(contains(text.out, "24 solutions"));

  const CliRun tsv = run(with(kCubic, {"--format", "tsv"}));
  const auto rows = lines(tsv.out);
  ASSERT_EQ(rows.size(), 24u);
  EXPECT_EQ(rows.back(), "No.024\t2\t0\t0\t+\t0\t2\t0\t＝\t2\t2\t0\t◇\t0.2000000\t0.2000000\t0."
                         "1414214\t◇\t90.0000\t45.0000\t45.0000");

  const CliRun json = run(with(kCubic, {"--format", "json"}));
  EXPECT_TRUE(contains(json.out, "\"count\": 24"));
  EXPECT_TRUE(contains(json.out,
                       "{\"no\": 1, \"r1\": [-2, 0, 0], \"r2\": [0, -2, 0], \"r3\": [-2, -2, 0]"));
  EXPECT_TRUE(contains(json.out, "\"lattice\": \"F\", \"cell\": [0.4, 0.4, 0.4, 90, 90, 90]"));
}

// The numbers --help states are the program's own: the defaults, how many nearest misses, the
// exit statuses, the fields of a tsv line.
TEST(Cli, HelpStatesTheProgramsOwnNumbers) {
  const CliRun help = run({"--help"});
  ASSERT_EQ(help.status, kExitOk);
  const Options o = ParseCommandLine({"index"}).options; // nothing given: every default
  const auto fields = [](const std::string& line) {
    return std::to_string(std::count(line.begin(), line.end(), '\t') + 1);
  };
  const std::string row = lines(run(with(kCubic, {"--format", "tsv"})).out)[0];
  const std::string record = lines(run({"phases", "--format", "tsv"}).out)[0];
  const std::string stated[] = {
      "numbers default to " + o.numbers[0] + " " + o.numbers[1] + " " + o.numbers[2] + ")",
      "(defaults " + o.range + ", " + o.dTol[0] + " nm, " + o.angleTol[0] + " degrees)",
      "misses instead: up to " + std::to_string(kNearestCount) + " families",
      "one line per row with the " + fields(row) + " cell texts",
      "the record number and " + std::to_string(std::stoi(fields(record)) - 1) + " fields",
      "Exit status: " + std::to_string(kExitOk) + " the search ran",
      ", " + std::to_string(kExitInvalidInput) + " invalid arguments",
      ", " + std::to_string(kExitFault) + " the search stopped"};
  for (const std::string& text : stated)
    EXPECT_TRUE(contains(help.out, text)) << text;
  // Every word of the text is a contract with its readers (the manual page is made from it too):
  // a change to it must change help.txt beside this test deliberately.
  std::ifstream file(SPOT_CLI_EXPECTED_DIR "/help.txt", std::ios::binary);
  ASSERT_TRUE(file) << SPOT_CLI_EXPECTED_DIR "/help.txt";
  EXPECT_EQ(help.out, std::string(std::istreambuf_iterator<char>(file), {}));
}

// The database as phases lists it: each record once, each field in its place (SnO2, record 89,
// is the one whose c differs from a; the fields as the database text holds them).
TEST(Cli, PhasesListsEveryRecordInEachFormat) {
  const auto text = lines(run({"phases"}).out), tsv = lines(run({"phases", "--format", "tsv"}).out);
  ASSERT_EQ(text.size(), 108u);
  ASSERT_EQ(tsv.size(), 108u);
  EXPECT_EQ(text[0], "  1  AgCl  FaceCenter  c/a1.00000  a=0.55800 b=0.55800 c=0.55800 nm  "
                     "α=90.00000 β=90.00000 γ=90.00000 deg.");
  EXPECT_EQ(text[88], " 89  SnO2  Primitive  c/a0.67277  a=0.47550 b=0.47550 c=0.31990 nm  "
                      "α=90.00000 β=90.00000 γ=90.00000 deg.");
  EXPECT_EQ(text[107].substr(0, 10), "108  ZrO2 ");
  EXPECT_EQ(tsv[88], "89\tSnO2\tPrimitive\t0.67277\t0.47550\t0.47550\t0.31990\t90.00000\t90.00000\t"
                     "90.00000");
  const std::string json = run({"phases", "--format", "json"}).out;
  EXPECT_EQ(json.substr(0, 16), "[\n {\"record\": 1,");
  EXPECT_TRUE(contains(json,
                       "\n {\"record\": 89, \"name\": \"SnO2\", \"lattice\": \"P\", \"type\": "
                       "\"Primitive\", \"c_over_a\": 0.67277, \"cell\": [0.4755, 0.4755, 0.3199, "
                       "90, 90, 90]},\n"));
  EXPECT_TRUE(json.ends_with("{\"record\": 108, \"name\": \"ZrO2\", \"lattice\": \"F\", \"type\": "
                             "\"FaceCenter\", \"c_over_a\": 1, \"cell\": [0.504, 0.504, 0.504, 90, "
                             "90, 90]}\n]\n"));
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
  const std::vector<std::string> args = with(kAlCuNaClBatch, {"--format", "json"});
  const CliRun narrow = run(args);
  ASSERT_EQ(narrow.status, 0) << narrow.err;
  EXPECT_TRUE(contains(narrow.out, "\"record\": 2, \"name\": \"Al\""));
  EXPECT_FALSE(contains(narrow.out, "\"name\": \"Cu\""));
  EXPECT_TRUE(contains(narrow.out, "\"record\": 80, \"name\": \"NaCl\""));

  // Cu alone has none: an empty list.
  EXPECT_EQ(
      run({"batch", "--phase", "Cu", "--d", "0.2", "0.2", "0.1", "--angles", "90", "45", "45",
           "--format", "json"})
          .out,
      "{\"measured\": {\"d\": [0.2, 0.2, 0.1], \"angles\": [90, 45, 45]},\n \"phases\": []}\n");
  const CliRun wide = run(with(args, {"--d-tol", "0.03"}));
  const auto al = wide.out.find("\"name\": \"Al\""), cu = wide.out.find("\"name\": \"Cu\""),
             nacl = wide.out.find("\"name\": \"NaCl\"");
  ASSERT_NE(nacl, std::string::npos);
  EXPECT_LT(al, cu);
  EXPECT_LT(cu, nacl);
}

TEST(Cli, CalculatorAndItsFault) {
  // Cubic a = 0.4 nm, (1 1 0), (0 1 2), (1 2 2): R1 x R2 = [2 -2 1]; cos <R1,R2> = 1/√10,
  // cos <R2,R3> = 6/(3√5), cos <R1,R3> = 3/(3√2): 71.565051177078, 26.565051177078 and 45
  // degrees; d = a/√2, a/√5, a/3.
  const std::vector<std::string> calc = {"calc", "--cell", "0.4",      "0.4", "0.4", "90",
                                         "90",   "90",     "--planes", "1",   "1",   "0",
                                         "0",    "1",      "2",        "1",   "2",   "2"};
  const CliRun text = run(calc), json = run(with(calc, {"--format", "json"}));
  EXPECT_EQ(text.out, "zone axis [2 -2 1]\n<R1,R2>=71.565051177078 deg.  <R2,R3>=26.565051177078 "
                      "deg.  <R1,R3>=45 deg.\nd1=0.2828427 nm  d2=0.1788854 nm  d3=0.1333333 nm\n");
  // The same in full precision, to the digits the hand calculation gives, in this order.
  std::size_t at = 0;
  for (const char* part :
       {"{\"zone_axis\": [2, -2, 1], \"angles\": [71.56505117707", ", 26.56505117707",
        ", 45], \"d\": [0.28284271247", ", 0.17888543819", ", 0.13333333333"}) {
    at = json.out.find(part, at);
    ASSERT_NE(at, std::string::npos) << part << "\n" << json.out;
  }
  // R3 = (0 0 0) stops after the first angle: the rest is shown as not calculated.
  const std::vector<std::string> stopped = {"calc", "--phase", "Al", "--planes", "1", "0", "0",
                                            "0",    "1",       "0",  "0",        "0", "0"};
  const CliRun partial = run(stopped);
  EXPECT_EQ(partial.status, kExitFault);
  EXPECT_EQ(partial.out, "zone axis [0 0 1]\n<R1,R2>=90 deg.  <R2,R3>=*** deg.  <R1,R3>=*** "
                         "deg.\nd1=*** nm  d2=*** nm  d3=*** nm\n");
  EXPECT_TRUE(contains(partial.err, "calc: stopped: R3 is (0 0 0)")) << partial.err;
  EXPECT_TRUE(contains(run(with(stopped, {"--format", "json"})).out,
                       "\"angles\": [90, null, null], \"d\": [null, null, null]}\n"));
  // An index whose products are not exact is an invalid argument, refused before any output.
  for (const char* huge : {"4503599627370495.5", "1e200"}) {
    const CliRun refused =
        run({"calc", "--phase", "Al", "--planes", "1", "0", "0", "0", huge, "0", "1", "1", "0"});
    EXPECT_EQ(refused.status, kExitInvalidInput) << huge;
    EXPECT_TRUE(refused.out.empty()) << refused.out;
    EXPECT_TRUE(contains(refused.err, "--planes: ") && contains(refused.err, "\"R2 k\""))
        << refused.err;
  }
}

TEST(Cli, InvalidInputNamesTheOptionAndEdgesAreAccepted) {
  // {arguments, exit status, text the message holds}; status 0 cases sit on an edge and pass.
  const std::vector<std::string> fcc = {"index", "--cell", "0.4", "0.4",       "0.4",
                                        "90",    "90",     "90",  "--lattice", "F"};
  const std::vector<std::string> bcc = {"index", "--phase", "Fe(α)"};
  const std::vector<std::string> pattern = {"--d",      "0.2", "0.2", "0.1",
                                            "--angles", "90",  "45",  "45"};
  const auto join = [](std::vector<std::string> a, const std::vector<std::string>& b,
                       std::initializer_list<std::string> more = {}) {
    a.insert(a.end(), b.begin(), b.end());
    a.insert(a.end(), more);
    return a;
  };
  const std::vector<std::string> batch = {"batch", "--record", "1"},
                                 al = {"index", "--phase", "Al"};
  const std::vector<std::string> ones = {"--angles", "1", "1", "1"},
                                 planes = {"--planes", "1", "0", "0", "0", "1", "0", "1", "1", "0"};
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string message;
  };
  std::vector<Case> cases = {
      {{"index", "--lattice", "X"}, kExitInvalidInput, "--lattice: \"X\" is not one of P, C, I"},
      {join(fcc, pattern, {"--lattice", "f"}), kExitInvalidInput, "--lattice: given twice"},
      {join({"index", "--phase", "Unobtainium"}, pattern), kExitInvalidInput, "--phase"},
      {join(al, {"--d", "0.2", "0,2", "0.1"}, {"--angles", "90", "45", "45"}), kExitInvalidInput,
       "--d"},
      {{"index", "--phase", "Al", "--d", "0.2", "0.2", "0.1"}, kExitInvalidInput, "--angles"},
      {join(bcc, pattern, {"--phase", "Al"}), kExitInvalidInput, "--phase: give one phase only"},
      {join(bcc, pattern, {"--cell", "1", "1", "1", "90", "90", "90"}), kExitInvalidInput,
       "either --phase or --cell"},
      {join(fcc, pattern, {"--range", "-1"}), kExitInvalidInput, "--range"},
      {join(fcc, pattern, {"--range", "500"}), kExitInvalidInput, "--range"},
      {join(fcc, pattern, {"--range", "2", "--range", "3"}), kExitInvalidInput,
       "--range: given twice"},
      {join(fcc, pattern, {"--d", "1", "1", "1"}), kExitInvalidInput, "--d: given twice"},
      {join(fcc, pattern, {"--format", "json", "--format", "tsv"}), kExitInvalidInput,
       "--format: given twice"},
      {join(fcc, pattern, {"--d-tol", "-0.1"}), kExitInvalidInput, "--d-tol"},
      {join(fcc, pattern, {"--angle-tol", "1", "1", "-1"}), kExitInvalidInput, "--angle-tol"},
      {join(fcc, pattern, {"--d-tol", "0.1", "0.2"}), kExitInvalidInput,
       "--d-tol takes one or three numbers, got 2"},
      {join(fcc, pattern, {"--angle-tol", "1", "2", "--format", "tsv"}), kExitInvalidInput,
       "--angle-tol takes one or three numbers, got 2"},
      {join(fcc, pattern, {"--angle-tol", "1", "2", "3", "4"}), kExitInvalidInput,
       "--angle-tol takes one or three numbers, got 4"},
      {join(fcc, pattern, {"--d-tol"}), kExitInvalidInput, "--d-tol takes one or three"},
      {join(fcc, pattern, {"--d-tol", "0,01"}), kExitInvalidInput,
       "--d-tol: \"0,01\" is not a number"},
      {join(fcc, {"--d", "0.2", "0.2", "0.1", "--angles", "90", "45", "180.001"}),
       kExitInvalidInput, "--angles: angles must be from 0 to 180 degrees"},
      {join(fcc, {"--d", "0.2", "0.2", "0.1", "--angles", "-0.5", "45", "45"}), kExitInvalidInput,
       "--angles"},
      {join(fcc, {"--d", "0.2", "0.2", "0.1", "--angles", "0", "180", "90"}), kExitOk, ""},
      {join(fcc, {"--d", "0.2", "0", "0.1", "--angles", "90", "45", "45"}), kExitInvalidInput,
       "--d: spacings must be above 0"},
      {join({"index", "--cell", "0.4", "0.4", "0.4", "90", "90", "90"}, pattern), kExitInvalidInput,
       "--cell needs --lattice"},
      {join(al, ones, {"--scale-bar", "0", "100", "--lengths", "1", "1", "1"}), kExitInvalidInput,
       "--scale-bar"},
      {join(al, ones, {"--scale-bar", "5", "100", "--lengths", "1", "0", "1"}), kExitInvalidInput,
       "--lengths"},
      {join(al, ones,
            {"--scale-bar", "5", "100", "--lengths", "1", "1", "1", "--numbers", "1", "1", "0"}),
       kExitInvalidInput, "--numbers"},
      {join(al, ones, {"--scale-bar", "5", "100"}), kExitInvalidInput,
       "--scale-bar needs --lengths"},
      {join(fcc, pattern, {"--bogus"}), kExitInvalidInput, "--bogus"},
      // Missing parts: each message names what is missing.
      {{}, kExitInvalidInput, "no command given"},
      {{"index", "--phase"}, kExitInvalidInput, "--phase needs a phase name"},
      {{"batch", "--record"}, kExitInvalidInput, "--record needs a record number"},
      {{"phases", "--format"}, kExitInvalidInput, "--format needs text, tsv or json"},
      {{"index", "--lattice"}, kExitInvalidInput, "--lattice needs one of P"},
      {{"index", "--picture"}, kExitInvalidInput, "--picture needs a picture file"},
      {{"index", "--cif"}, kExitInvalidInput, "--cif needs a CIF file"},
      {{"index", "--cif", "x", "--block"}, kExitInvalidInput, "--block needs a data block"},
      {{"index", "--cell", "1", "2"}, kExitInvalidInput, "--cell needs 6 numbers, got 2"},
      {join({"index"}, pattern), kExitInvalidInput, "give the phase with --phase NAME or --cell"},
      {join(al, ones), kExitInvalidInput, "give the spacings with --d D1 D2 D3 or --scale-bar"},
      {join(fcc, pattern, {"--scale-bar", "5", "100", "--lengths", "1", "1", "1"}),
       kExitInvalidInput, "either with --d or with --scale-bar and --lengths, not both"},
      {join(al, ones, {"--lengths", "1", "1", "1"}), kExitInvalidInput,
       "--lengths needs --scale-bar"},
      {join(al, ones, {"--scale-bar", "5", "0", "--lengths", "1", "1", "1"}), kExitInvalidInput,
       "--scale-bar: the length must be above 0"},
      {join(fcc, pattern, {"--range", "51"}), kExitInvalidInput, "must be at most 50"},
      {join(fcc, pattern, {"--range", "50", "--d-tol", "0", "--angle-tol", "0"}), kExitOk, ""},
      {join({"batch", "--phase", "Unobtainium"}, pattern), kExitInvalidInput, "no phase named"},
      {{"calc", "--phase", "Al"}, kExitInvalidInput, "calc needs --planes"},
      {{"measure"}, kExitInvalidInput, "measure needs a PICTURE file"},
      {{"index", "--cif", "a", "--cif", "b"}, kExitInvalidInput, "--cif: give one file only"},
      {{"index", "--cif", "a", "--lattice", "F"},
       kExitInvalidInput,
       "a CIF phase takes its lattice"},
      {{"simulate", "--phase", "Al", "--zone", "1001", "0", "0"},
       kExitInvalidInput,
       "--zone: indices must be whole numbers from -1000 to 1000"},
      {{"simulate", "--phase", "Al", "--zone", "1000", "0", "-1000"}, kExitOk, ""},
      {{"simulate", "--phase", "Al", "--zone", "1", "0", "0", "--g-max", "1000.5"},
       kExitInvalidInput,
       "--g-max: must be above 0 and at most 1000"},
      {{"simulate", "--phase", "Al", "--zone", "1", "0", "0", "--g-max", "1000"}, kExitOk, ""},
      {{"simulate", "--phase", "Al", "--zone", "1", "0", "0", "--g-max", "0.001"}, kExitOk, ""},
      // A 10 nm cell to 1000 1/nm holds 20001² index pairs of the zone: too many to simulate.
      {{"simulate", "--cell", "10", "10", "10", "90", "90", "90", "--lattice", "P", "--zone", "1",
        "0", "0", "--g-max", "1000"},
       kExitInvalidInput,
       "simulate: the zone holds too many reflections up to g_max"},
      {{"frobnicate"}, kExitInvalidInput, "frobnicate"},
      // Options a command does not take.
      {{"phases", "--range", "5"}, kExitInvalidInput, "phases does not take --range"},
      {join(fcc, pattern, {"--record", "3"}), kExitInvalidInput, "index does not take --record"},
      {join({"calc", "--phase", "Al", "--lattice", "F"}, planes), kExitInvalidInput,
       "calc does not take --lattice"},
      {join({"calc", "--phase", "Al", "--d", "1", "1", "1"}, planes), kExitInvalidInput,
       "calc does not take --d"},
      {join({"calc", "--phase", "Al", "--format", "tsv"}, planes), kExitInvalidInput, "--format"},
      {join(join(batch, pattern), planes), kExitInvalidInput, "batch does not take --planes"},
      {join(batch, pattern, {"--cell", "1", "1", "1", "90", "90", "90"}), kExitInvalidInput,
       "use --phase or --record"},
      {join(batch, pattern, {"--lattice", "F"}), kExitInvalidInput, "use --phase or --record"},
      // Record numbers: the database holds records 1 to 108 (kBuiltInPhaseCount).
      {join({"batch", "--record", "0"}, pattern), kExitInvalidInput, "--record"},
      {join({"batch", "--record", "109"}, pattern), kExitInvalidInput, "from 1 to 108"},
      {join({"batch", "--record", "1.5"}, pattern), kExitInvalidInput, "--record"},
      {join({"batch", "--record", "1", "--record", "108"}, pattern), kExitOk, ""},
      // batch repeats --phase and --record; a record named twice is searched once.
      {join({"batch", "--phase", "Al", "--phase", "Al", "--record", "2"}, pattern), kExitOk, ""},
  };
  // Each cell parameter is checked: a zero edge, or an angle of 180 degrees (no volume).
  for (std::size_t i = 0; i < 6; ++i) {
    std::vector<std::string> cell = {"index", "--cell", "0.4", "0.4",       "0.4",
                                     "90",    "90",     "90",  "--lattice", "P"};
    cell[2 + i] = i < 3 ? "0" : "180";
    cases.push_back({join(cell, pattern), kExitInvalidInput, "--cell: lengths must be above 0"});
  }
  for (const Case& c : cases) {
    const CliRun r = run(c.args);
    EXPECT_EQ(r.status, c.status) << c.message << "\n" << r.err;
    EXPECT_TRUE(c.message.empty() ? r.err.empty() : contains(r.err, c.message)) << r.err;
  }
}

TEST(Cli, BatchSearchesTheEndRecordsOnceEach) {
  // Record 1 AgCl (F, a = 0.558 nm: d200 = 0.2790, d220 = 0.1973) and record 108 ZrO2 (F,
  // a = 0.504 nm: d200 = 0.2520, d220 = 0.1782) both lie within 0.015 nm of 0.265 and 0.1875;
  // 24 rows each, as in the cubic example.
  const std::vector<std::string> args = {
      "batch",    "--record", "108",     "--record", "1",   "--phase", "ZrO2",
      "--record", "108",      "--range", "2",        "--d", "0.265",   "0.265",
      "0.1875",   "--d-tol",  "0.015",   "--angles", "90",  "45",      "45"};
  const CliRun r = run(args);
  ASSERT_EQ(r.status, 0) << r.err;
  const auto agcl = r.out.find("(record 1)"), zro2 = r.out.find("(record 108)");
  EXPECT_LT(agcl, zro2); // database order, whatever the order given
  EXPECT_NE(zro2, std::string::npos);
  EXPECT_EQ(r.out.find("(record 108)", zro2 + 1), std::string::npos);
  EXPECT_TRUE(contains(r.out, "2 of 2 phases have solutions"));
  // Each phase is headed by its tree text, its record and its cell as the database holds them.
  EXPECT_TRUE(contains(r.out, "0.1875000      90.0000   45.0000    45.0000\n\n------AgCl  "
                              "FaceCenter  c/a1.00000  (record 1)  a=0.55800 b=0.55800 "
                              "c=0.55800 nm  α=90.00000 β=90.00000 γ=90.00000 deg.\nNo. "));
  // tsv: the record and the name before each row's 20 cells.
  const auto tsv = lines(run(with(args, {"--format", "tsv"})).out);
  ASSERT_EQ(tsv.size(), 48u);
  EXPECT_EQ(tsv[24], "108\tZrO2\tNo.001\t-2\t0\t0\t+\t0\t-2\t0\t＝\t-2\t-2\t0\t◇\t0.2520000\t0."
                     "2520000\t0.1781909\t◇\t90.0000\t45.0000\t45.0000");
  EXPECT_TRUE(tsv[23].starts_with("1\tAgCl\tNo.024\t2\t0\t0\t")) << tsv[23];
  EXPECT_TRUE(contains(run(with(args, {"--format", "json"})).out,
                       "\n  {\"record\": 108, \"name\": \"ZrO2\", \"lattice\": \"F\", \"cell\": "
                       "[0.504, 0.504, 0.504, 90, 90, 90], \"count\": 24,\n   \"results\": [\n"));
}

TEST(Cli, PhaseRecordBringsItsLatticeAndTolerancesKeepTheirOrder) {
  // Body-centred iron, a = 0.2866 nm: {100} (d = a) is absent for I, present for P; {100} +
  // {010} = {110} gives 24 rows in P (6 × 4 perpendicular partners) and none in I.
  const std::vector<std::string> iron = {"--range", "2",        "--d", "0.2866", "0.2866",
                                         "0.2027",  "--angles", "90",  "45",     "45"};
  std::vector<std::string> record = {"index", "--phase", "Fe(α)", "--format", "json"};
  record.insert(record.end(), iron.begin(), iron.end());
  std::vector<std::string> primitive = {"index",     "--cell", "0.2866",   "0.2866",
                                        "0.2866",    "90",     "90",       "90",
                                        "--lattice", "P",      "--format", "json"};
  primitive.insert(primitive.end(), iron.begin(), iron.end());
  const CliRun body = run(record), simple = run(primitive);
  EXPECT_TRUE(contains(body.out, "\"name\": \"Fe(α)\", \"lattice\": \"I\""));
  EXPECT_TRUE(contains(body.out, "\"count\": 0"));
  EXPECT_TRUE(contains(simple.out, "\"count\": 24"));
  // batch searches the record as body-centred too: {110} + {002} = {112} of its [1-10] zone.
  const CliRun batch = run({"batch", "--phase", "Fe(α)", "--d", "0.2027", "0.1433", "0.1170",
                            "--angles", "90", "35.26", "54.74", "--format", "json"});
  EXPECT_TRUE(contains(batch.out, "\"name\": \"Fe(α)\", \"lattice\": \"I\"")) << batch.out;

  // Face-centred a = 0.4 nm: {200} + {200} = {220}, d = 0.2, 0.2, 0.1414 nm, 90, 45, 45 degrees.
  // d3 measured 0.15 (0.0086 off) passes only a third tolerance of 0.01; an angle 3 degrees off
  // only the third angle tolerance of 4.
  const auto count = [](const std::vector<std::string>& more) {
    std::vector<std::string> args = {"index",   "--cell", "0.4",      "0.4",       "0.4",
                                     "90",      "90",     "90",       "--lattice", "F",
                                     "--range", "2",      "--format", "json"};
    args.insert(args.end(), more.begin(), more.end());
    const CliRun r = run(args);
    const auto at = r.out.find("\"count\": ");
    return at == std::string::npos ? -1 : std::stoi(r.out.substr(at + 9));
  };
  for (const bool third : {true, false}) {
    const std::string tight = "0.001", loose = "0.01", narrow = "0.1", wide = "4";
    EXPECT_EQ(count({"--d", "0.2", "0.2", "0.15", "--angles", "90", "45", "45", "--d-tol",
                     third ? tight : loose, tight, third ? loose : tight}),
              third ? 24 : 0);
    EXPECT_EQ(count({"--d", "0.2", "0.2", "0.1414", "--angles", "90", "45", "48", "--angle-tol",
                     third ? narrow : wide, narrow, third ? wide : narrow}),
              third ? 24 : 0);
  }
}

// A device that refuses every byte, either at once or only when the stream flushes.
class FullDevice : public std::streambuf {
public:
  explicit FullDevice(bool failOnFlushOnly) {
    if (failOnFlushOnly) setp(buffer_.data(), buffer_.data() + buffer_.size());
  }

protected:
  int overflow(int) override { return traits_type::eof(); }
  int sync() override { return -1; }

private:
  std::array<char, 1 << 20> buffer_{};
};

TEST(Cli, OutputThatCannotBeWrittenExitsWithThree) {
  const std::vector<std::vector<std::string>> commands = {
      {"phases"},
      {"--help"},
      with(kCubic, {"--format", "json"}),
      {"calc", "--phase", "Al", "--planes", "1", "0", "0", "0", "1", "0", "1", "1", "0"},
      // About 150 kB: fails while the buffer hands over its first 64 KiB block.
      {"index",     "--cell", "0.3",      "0.4", "0.5", "80",  "95",          "100",
       "--lattice", "C",      "--range",  "6",   "--d", "0.2", "0.15",        "0.1",
       "--d-tol",   "0.05",   "--angles", "70",  "50",  "60",  "--angle-tol", "30"}};
  for (const bool onFlush : {false, true}) {
    for (const auto& args : commands) {
      auto device = std::make_unique<FullDevice>(onFlush);
      std::ostream out(device.get());
      std::ostringstream err;
      EXPECT_EQ(RunCli(args, out, err), kExitFault) << args[0] << " " << onFlush;
      EXPECT_TRUE(contains(err.str(), "the output could not be written"));
    }
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

  // d = Number x (scale length / scale value) / Length = 1 x (1e300 / 1e-300) / 1e-300
  // overflows: one message (batch checks the measurement once for all records), no output.
  const std::vector<std::string> overflow = {"--scale-bar", "1e-300", "1e300", "--lengths",
                                             "1e-300",      "1",      "1",     "--angles",
                                             "90",          "45",     "45"};
  for (std::vector<std::string> args :
       {std::vector<std::string>{"index", "--phase", "Al"},
        std::vector<std::string>{"batch", "--record", "1", "--record", "2"}}) {
    args.insert(args.end(), overflow.begin(), overflow.end());
    const CliRun o = run(args);
    EXPECT_EQ(o.status, kExitFault) << args[0];
    EXPECT_EQ(o.out, "");
    EXPECT_EQ(lines(o.err).size(), 1u) << o.err;
    EXPECT_TRUE(contains(o.err, "too large")) << o.err;
  }
}

} // namespace
} // namespace spot::cli
