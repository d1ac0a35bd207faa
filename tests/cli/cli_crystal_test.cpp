// spotindex-cli with crystal data: --cif and --block wherever a phase is taken, batch with CIF
// phases, the user library, and simulate with its JSON.
#include <gtest/gtest.h>

#include <cstdlib> // setenv
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h> // getpid

#include "cli/cli_commands.hpp"
#include "cli/cli_run.hpp"
#include "crystal/cif_import.hpp"
#include "crystal/phase_library.hpp"
#include "support/cif_samples.hpp"

namespace spot::cli {
namespace {

namespace fs = std::filesystem;
using namespace spot::testing;

using testing::CliRun;
using testing::run;
bool has(const std::string& text, const std::string& part) { return testing::contains(text, part); }

class CliCrystal : public ::testing::Test {
protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("spot_cli_crystal_" + std::to_string(getpid()));
    fs::create_directories(folder_);
    write("si.cif", kSiliconCif);
    write("two.cif", std::string(kRutileCif) + kMagnesiumCif);
  }
  void TearDown() override { fs::remove_all(folder_); }
  std::string write(const std::string& name, const std::string& text) {
    std::ofstream(folder_ / name, std::ios::binary) << text;
    return (folder_ / name).string();
  }
  std::string path(const std::string& name) const { return (folder_ / name).string(); }
  fs::path folder_;
};

// Silicon's [0 0 1] pattern on (2 0 0) + (0 2 0): d = a/2, a/2, a/√8 (a = 0.54307 nm).
const std::vector<std::string> kSiliconPattern = {"--d",      "0.271535", "0.271535", "0.1920042",
                                                  "--angles", "90",       "45",       "45"};

TEST_F(CliCrystal, IndexAndCalcTakeACifPhase) {
  std::vector<std::string> args = {"index", "--cif", path("si.cif"), "--format", "json"};
  args.insert(args.end(), kSiliconPattern.begin(), kSiliconPattern.end());
  CliRun r = run(args);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(has(r.out, "\"lattice\": \"F\", \"space_group\": \"F d -3 m:2\"")) << r.out;
  EXPECT_TRUE(has(r.out, "\"count\": 0")); // (2 0 0) is forbidden by the d glide
  args[4] = "text"; // the cell of the file fills the phase boxes, its group follows the centring
  EXPECT_TRUE(run(args).out.starts_with("Phase: Si  F-Face Centred  space group F d -3 m:2  "
                                        "a=0.54307 b=0.54307 c=0.54307 nm  α=90 β=90 γ=90 deg.  "
                                        "index range 5\n"));
  // The same cell with its centring alone finds the 24 rows of the cubic example.
  args = {"index", "--cell", "0.54307",   "0.54307", "0.54307",  "90",
          "90",    "90",     "--lattice", "F",       "--format", "json"};
  args.insert(args.end(), kSiliconPattern.begin(), kSiliconPattern.end());
  r = run(args);
  EXPECT_TRUE(has(r.out, "\"count\": 24")) << r.out;
  EXPECT_FALSE(has(r.out, "space_group")); // existing output as it was
  // calc reads the CIF's cell: (1 1 1) spacing a/√3.
  r = run({"calc", "--cif", path("si.cif"), "--planes", "1", "1", "1", "1", "-1", "-1", "2", "0",
           "0", "--format", "json"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(has(r.out, "\"d\": [0.313541610688")) << r.out;
  // Blocks: two in a file need --block; a wrong one is named with the ones there are.
  r = run(
      {"calc", "--cif", path("two.cif"), "--planes", "1", "0", "0", "0", "1", "0", "1", "1", "0"});
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(has(r.err, "holds 2 phases (blocks: \"rutile\", \"magnesium\")")) << r.err;
  r = run({"calc", "--cif", path("two.cif"), "--block", "magnsium", "--planes", "1", "0", "0", "0",
           "1", "0", "1", "1", "0"});
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(has(r.err, "no phase from a data block \"magnsium\"")) << r.err;
  r = run({"calc", "--cif", path("two.cif"), "--block", "magnesium", "--planes", "1", "0", "0", "0",
           "1", "0", "1", "1", "0"});
  EXPECT_EQ(r.status, 0) << r.err;
  // Files that cannot be used say which and why, with exit status 2.
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"calc", "--planes", "1", "0", "0", "0", "1", "0", "1", "1", "0"},
        std::vector<std::string>{"simulate", "--zone", "0", "0", "1"}}) {
    std::vector<std::string> withCif = args;
    withCif.insert(withCif.end(), {"--cif", path("none.cif")});
    r = run(withCif);
    EXPECT_EQ(r.status, 2) << args[0];
    EXPECT_TRUE(has(r.err, "none.cif: cannot be read") && r.out.empty()) << r.err;
  }
  EXPECT_TRUE(has(run({"index", "--cif", path("si.cif"), "--phase", "Al", "--d", "1", "1", "1",
                       "--angles", "1", "1", "1"})
                      .err,
                  "one of --phase, --cell or --cif"));
  EXPECT_TRUE(has(run({"index", "--block", "x", "--cif", path("si.cif")}).err,
                  "--block: give it after the --cif"));
  EXPECT_TRUE(has(run({"index", "--cif", path("si.cif"), "--block", "x", "--block", "y"}).err,
                  "--block: one block for each --cif"));
}

TEST_F(CliCrystal, BatchAddsCifPhases) {
  std::vector<std::string> args = {"batch", "--phase",      "Al",      "--cif",    path("two.cif"),
                                   "--cif", path("si.cif"), "--group", "--format", "json"};
  // Rutile [0 0 1]: (1 1 0) + (1 -1 0) at d = a/√2, a/√2 and (2 0 0) at a/2 (a = 0.45937 nm).
  const std::vector<std::string> pattern = {"--d",      "0.324825", "0.324825", "0.229685",
                                            "--angles", "90",       "45",       "45"};
  args.insert(args.end(), pattern.begin(), pattern.end());
  const CliRun r = run(args);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(has(r.out, "{\"record\": null, \"file\": \"" + path("two.cif") +
                             "\", \"name\": \"O2 Ti\", \"lattice\": \"P\", \"space_group\": "
                             "\"P 42/m n m\""))
      << r.out;
  EXPECT_TRUE(has(r.out, "\"ranking\": [\n  {\"record\": null, \"name\": \"O2 Ti\""));
  // Text names the file where a record has its number.
  args[args.size() - 9] = "text";
  const CliRun text = run(args);
  EXPECT_TRUE(has(text.out, "------O2 Ti  (" + path("two.cif") +
                                ")  a=0.45937 b=0.45937 c=0.29587 nm  α=90 β=90 γ=90 deg.\n"))
      << text.out;
  EXPECT_TRUE(has(text.out, "of 4 phases have solutions")); // Al, rutile, magnesium, silicon
  // tsv leaves the record empty; only rutile has rows.
  args.erase(args.begin() + 7); // --group
  args[8] = "tsv";
  EXPECT_TRUE(run(args).out.starts_with("\tO2 Ti\tNo.001\t")) << run(args).out;

  // Rutile from one file, then from another given 99 times: 100 phases of one score, ranked in
  // the order given (Al has no spacing near 0.32 nm), numbered right-aligned in three columns.
  const std::string first = write("first.cif", kRutileCif), again = write("again.cif", kRutileCif);
  std::vector<std::string> many = {"batch", "--phase", "Al", "--group", "--cif", first};
  for (int i = 0; i < 99; ++i)
    many.insert(many.end(), {"--cif", again});
  many.insert(many.end(), pattern.begin(), pattern.end());
  const std::string out = run(many).out;
  std::istringstream best(out.substr(out.find("family first)\n") + 14));
  std::vector<std::string> ranked;
  for (std::string line; std::getline(best, line);)
    ranked.push_back(line);
  ASSERT_EQ(ranked.size(), 100u);
  const std::string scoreAndName = ranked[0].substr(3, ranked[0].find('(') - 3);
  for (std::size_t k = 1; k <= 100; ++k) {
    const std::string n = std::to_string(k);
    EXPECT_EQ(ranked[k - 1], std::string(3 - n.size(), ' ') + n + scoreAndName + "(" +
                                 (k > 1 ? again : first) + ")");
  }
}

TEST_F(CliCrystal, SimulateWritesItsSpots) {
  CliRun r = run({"simulate", "--cif", path("si.cif"), "--zone", "0", "1", "1", "--g-max", "4",
                  "--format", "json"});
  EXPECT_EQ(r.status, 0) << r.err;
  // g_max 4 keeps the four {1 1 1} at 1/0.31354 = 3.19 1/nm; (2 0 0) at 3.68 is forbidden.
  EXPECT_EQ(r.out, "{\"zone_axis\": [0, 1, 1],\n \"spots\": [\n"
                   "  {\"hkl\": [1, 1, -1], \"x\": 3.189369340175074, \"y\": 0, \"d\": "
                   "0.31354161068881, \"intensity\": 100, \"absent\": null},\n"
                   "  {\"hkl\": [1, -1, 1], \"x\": -1.0631231133916916, \"y\": "
                   "-3.006966250861679, \"d\": 0.31354161068881, \"intensity\": 100, \"absent\": "
                   "null},\n"
                   "  {\"hkl\": [-1, 1, -1], \"x\": 1.0631231133916916, \"y\": 3.006966250861679, "
                   "\"d\": 0.31354161068881, \"intensity\": 100, \"absent\": null},\n"
                   "  {\"hkl\": [-1, -1, 1], \"x\": -3.189369340175074, \"y\": 0, \"d\": "
                   "0.31354161068881, \"intensity\": 100, \"absent\": null}\n ]}\n");
  r = run({"simulate", "--cif", path("si.cif"), "--zone", "0", "1", "1", "--g-max", "4",
           "--include-forbidden", "--format", "json"});
  EXPECT_TRUE(has(r.out, "{\"hkl\": [2, 0, 0], \"x\": 2.126246226783383, \"y\": "
                         "-3.006966250861679, \"d\": 0.27153499999999997, \"intensity\": 0, "
                         "\"absent\": \"space_group\"}"))
      << r.out;
  // As text: the same four spots, x and y to 4 decimals, d to 5, then their count.
  r = run({"simulate", "--cif", path("si.cif"), "--zone", "0", "1", "1", "--g-max", "4"});
  EXPECT_EQ(r.out, "Phase: Si  space group F d -3 m:2  a=0.54307 b=0.54307 c=0.54307 nm  α=90 "
                   "β=90 γ=90 deg.\nZone axis [0 1 1]  g_max 4 1/nm\n\n"
                   "     h    k    l    x (1/nm)    y (1/nm)      d (nm)  intensity\n"
                   "     1    1   -1      3.1894      0.0000     0.31354     100.00\n"
                   "     1   -1    1     -1.0631     -3.0070     0.31354     100.00\n"
                   "    -1    1   -1      1.0631      3.0070     0.31354     100.00\n"
                   "    -1   -1    1     -3.1894      0.0000     0.31354     100.00\n\n4 spots\n");
  r = run({"simulate", "--cif", path("si.cif"), "--zone", "0", "1", "1", "--g-max", "7"});
  EXPECT_TRUE(has(r.out, "     2    2   -2      6.3787      0.0000     0.15677       0.00  absent: "
                         "structure\n"))
      << r.out;
  // A built-in record: centring only, every allowed spot 100. Al (F, a = 0.405 nm) in [0 1 2]
  // (k = -2l, all indices of one parity) up to 6 1/nm: only ±(2 0 0), at 2/a = 4.93827 1/nm.
  const std::vector<std::string> al = {"simulate", "--phase", "Al",      "--zone", "0",
                                       "1",        "2",       "--g-max", "6"};
  EXPECT_TRUE(run(al).out.starts_with("Phase: Al  F-Face Centred  a=0.40500 b=0.40500 c=0.40500 nm"
                                      "  α=90.00000 β=90.00000 γ=90.00000 deg.\nZone axis [0 1 2]"
                                      "  g_max 6 1/nm\n\n"));
  r = run(testing::with(al, {"--format", "json"}));
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(has(r.out, "{\"zone_axis\": [0, 1, 2],\n \"spots\": [\n  {\"hkl\": [2, 0, 0], "
                         "\"x\": 4.93827160493827"));
  EXPECT_TRUE(has(r.out, "\"y\": 0, \"d\": 0.2025, \"intensity\": 100, \"absent\": null}\n ]}"));
  // Refusals name the option.
  EXPECT_TRUE(has(run({"simulate", "--phase", "Al"}).err, "simulate needs --zone U V W"));
  EXPECT_TRUE(has(run({"simulate", "--phase", "Al", "--zone", "0", "0", "0"}).err,
                  "--zone: [0 0 0] has no direction"));
  EXPECT_TRUE(has(run({"simulate", "--phase", "Al", "--zone", "1", "0.5", "0"}).err,
                  "--zone: indices must be whole numbers"));
  EXPECT_TRUE(has(run({"simulate", "--phase", "Al", "--zone", "1", "0", "0", "--g-max", "0"}).err,
                  "--g-max: must be above 0"));
  EXPECT_TRUE(
      has(run({"simulate", "--phase", "Al", "--zone", "1", "0", "0", "--format", "tsv"}).err,
          "is not one of text, json"));
  EXPECT_TRUE(has(run({"simulate", "--phase", "Al", "--zone", "1", "0", "0", "--group"}).err,
                  "simulate does not take --group"));
}

TEST_F(CliCrystal, PhasesListsTheUserLibrary) {
  setenv("XDG_DATA_HOME", folder_.c_str(), 1);
  CliRun r = run({"phases", "--library"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, ""); // no library yet
  // Rutile's two sites and silicon's one, each field in its place.
  ASSERT_FALSE(SavePhaseLibrary(DefaultPhaseLibraryPath(),
                                {ImportCifText(kRutileCif, "t.cif").phases.at(0),
                                 ImportCifText(kSiliconCif, "s.cif").phases.at(0)}));
  EXPECT_EQ(DefaultPhaseLibraryPath(), folder_ / "SpotIndex" / "SpotIndex" / "Phases.cif");
  r = run({"phases", "--library"});
  EXPECT_EQ(r.out, "  1  O2 Ti  P 42/m n m  a=0.45937 b=0.45937 c=0.29587 nm  α=90 β=90 γ=90 "
                   "deg.  2 atoms\n  2  Si  F d -3 m:2  a=0.54307 b=0.54307 c=0.54307 nm  α=90 "
                   "β=90 γ=90 deg.  1 atom\n");
  EXPECT_EQ(run({"phases", "--library", "--format", "tsv"}).out,
            "1\tO2 Ti\tP 42/m n m\t0.45937\t0.45937\t0.29587\t90\t90\t90\t2\n"
            "2\tSi\tF d -3 m:2\t0.54307\t0.54307\t0.54307\t90\t90\t90\t1\n");
  r = run({"phases", "--library", "--format", "json"});
  EXPECT_TRUE(has(r.out, "[\n {\"number\": 1, \"name\": \"O2 Ti\", \"lattice\": \"P\", "
                         "\"space_group\": \"P 42/m n m\", \"cell\": [0.45937, 0.45937, 0.2958"))
      << r.out;
  EXPECT_TRUE(has(r.out, ", 90, 90, 90], \"atoms\": 2},\n {\"number\": 2, \"name\": \"Si\", "
                         "\"lattice\": \"F\", \"space_group\": \"F d -3 m:2\", \"cell\": [0.543"));
  EXPECT_TRUE(r.out.ends_with(", 90, 90, 90], \"atoms\": 1}\n]\n")) << r.out;
  // A damaged library is listed as far as it reads, and the fault is said (exit 3).
  std::ofstream(DefaultPhaseLibraryPath(), std::ios::app) << "\ndata_x\n_cell_length_a 1\n";
  r = run({"phases", "--library"});
  EXPECT_EQ(r.status, 3);
  EXPECT_TRUE(has(r.err, "could not be read whole")) << r.err;
  EXPECT_TRUE(has(run({"phases", "--library", "--group"}).err, "phases does not take --group"));
  unsetenv("XDG_DATA_HOME");
}

} // namespace
} // namespace spot::cli
