// The user phase library: phases round-tripped through the file, a failed save that leaves the
// old file whole, and a damaged file that is reported rather than read as empty.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <tuple>
#include <unistd.h> // getpid: a folder of this process's own

#include "crystal/cif_import.hpp"
#include "crystal/phase_library.hpp"
#include "support/cif_samples.hpp"

namespace spot {
namespace {

using namespace spot::testing;
namespace fs = std::filesystem;

class PhaseLibraryTest : public ::testing::Test {
protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("spot_library_" + std::to_string(getpid()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }
  static std::string contents(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  fs::path folder_;
};

TEST_F(PhaseLibraryTest, PhasesComeBackAsTheyWent) {
  std::vector<CrystalPhase> phases;
  for (const char* cif : {kSiliconCif, kRutileCif, kCorundumCif, kBaddeleyiteCif})
    phases.push_back(ImportCifText(cif, "t.cif").phases.at(0));
  phases[0].name = "Si \xC3\xA9talon 'A'"; // a UTF-8 name with quotes, as the user may type
  // Lengths of 12 digits in Angstrom; angles, positions and an occupancy that need 17 digits.
  phases[1].cell = {1.23456789012 / 10, 2.34567890123 / 10, 3.45678901234 / 10,
                    100.25000000000001, 100.25000000000001, 120.50000000000001};
  phases[1].atoms[1].xyz = {0.30000000000000004, 0.30000000000000004, 0}; // still on 4f
  phases[1].atoms[1].occupancy = 0.30000000000000004;
  phases.push_back(phases[1]); // a phase by its cell and group alone: no empty loop of atoms
  phases.back().atoms.clear();
  EXPECT_EQ(PhaseLibraryText({phases.back()}).find("_atom_site"), std::string::npos);
  for (std::size_t i = 0; i < 5; ++i) // ten phases: blocks "phase9_..." and "phase10_..." too
    phases.push_back(phases[i]);
  const fs::path file = folder_ / "sub" / kPhaseLibraryFileName;
  ASSERT_FALSE(SavePhaseLibrary(file, phases));
  EXPECT_NE(PhaseLibraryText(phases).find("\ndata_phase2_rutile\n"), std::string::npos);
  EXPECT_NE(
      PhaseLibraryText(phases).find("alpha 100.25000000000001\n_cell_angle_beta "
                                    "100.25000000000001\n_cell_angle_gamma 120.50000000000001\n"),
      std::string::npos);
  CrystalPhase third = phases[2];
  third.cell.a = 1.0 / 3; // 3.333... Angstrom, written to 12 digits and no more
  EXPECT_NE(PhaseLibraryText({third}).find("_cell_length_a 3.33333333333\n"), std::string::npos);
  ASSERT_FALSE(SavePhaseLibrary(file, LoadPhaseLibrary(file).phases)); // saved twice
  const PhaseLibrary back = LoadPhaseLibrary(file);
  ASSERT_FALSE(back.error) << *back.error;
  ASSERT_EQ(back.phases.size(), phases.size());
  for (std::size_t i = 0; i < phases.size(); ++i) {
    const CrystalPhase &a = phases[i], &b = back.phases[i];
    EXPECT_EQ(b.name, a.name);
    EXPECT_EQ(b.block, a.block); // as it came, however often saved
    // Exactly: 12 digits of Angstrom give the same nm.
    EXPECT_EQ(std::tie(b.cell.a, b.cell.b, b.cell.c, b.cell.alpha, b.cell.beta, b.cell.gamma),
              std::tie(a.cell.a, a.cell.b, a.cell.c, a.cell.alpha, a.cell.beta, a.cell.gamma));
    EXPECT_TRUE(b.group->sameOperations(*a.group)) << a.group->symbol();
    EXPECT_EQ(b.group->symbol(), a.group->symbol());
    ASSERT_EQ(b.atoms.size(), a.atoms.size());
    for (std::size_t j = 0; j < a.atoms.size(); ++j) {
      EXPECT_EQ(b.atoms[j].element, a.atoms[j].element);
      EXPECT_EQ(b.atoms[j].xyz, a.atoms[j].xyz);
      EXPECT_EQ(b.atoms[j].occupancy, a.atoms[j].occupancy);
      EXPECT_NEAR(b.atoms[j].bIsoNm2, a.atoms[j].bIsoNm2, 1e-15);
      EXPECT_EQ(b.atoms[j].siteMultiplicity, a.atoms[j].siteMultiplicity);
    }
  }
  // Names as CIF writes them: in single quotes, where '_', '#' and ';' are plain text and a quote
  // ends the value only before a blank; a quote before a blank or at the end needs a text field.
  for (const auto& [name, written] :
       std::vector<std::pair<std::string, std::string>>{{"_Si", "'_Si'"},
                                                        {"#2 it's", "'#2 it's'"},
                                                        {";a b", "';a b'"},
                                                        {"O' Neil", "\n;O' Neil\n;"},
                                                        {"Si 'A'", "\n;Si 'A'\n;"}}) {
    phases[0].name = name;
    const std::string text = PhaseLibraryText({phases[0]});
    EXPECT_NE(text.find("\n_spotindex_phase_name " + written + "\n"), std::string::npos) << text;
    EXPECT_EQ(ImportCifText(text, "t.cif").phases.at(0).name, name);
  }
  // A phase of no block and no name is saved in block "phase1" and comes back of no block.
  phases[0].name.clear(), phases[0].block.clear();
  ASSERT_FALSE(SavePhaseLibrary(file, {phases[0]}));
  EXPECT_EQ(LoadPhaseLibrary(file).phases.at(0).block, "");
  // An empty library is a file too, and reads back empty without complaint.
  ASSERT_FALSE(SavePhaseLibrary(file, {}));
  EXPECT_TRUE(LoadPhaseLibrary(file).phases.empty());
  EXPECT_FALSE(LoadPhaseLibrary(file).error);
  EXPECT_FALSE(LoadPhaseLibrary(folder_ / "missing.cif").error);
}

TEST_F(PhaseLibraryTest, FailuresLeaveTheOldFileAndAreNamed) {
  const fs::path file = folder_ / kPhaseLibraryFileName;
  const std::vector<CrystalPhase> one = {ImportCifText(kSiliconCif, "t.cif").phases.at(0)};
  ASSERT_FALSE(SavePhaseLibrary(file, one));
  const std::string before = contents(file);
  // A file where the folder should be: the save fails, says so, and the old file is untouched.
  const fs::path blocked = folder_ / "plain" / kPhaseLibraryFileName;
  std::ofstream(folder_ / "plain") << "x";
  const auto failure = SavePhaseLibrary(blocked, one);
  ASSERT_TRUE(failure);
  EXPECT_NE(failure->find("could not be written"), std::string::npos);
  // Replacing through a path whose temporary file cannot be made leaves the target as it was.
  fs::create_directories(folder_ / "dir.cif");
  EXPECT_TRUE(SavePhaseLibrary(folder_ / "dir.cif", one));
  EXPECT_EQ(contents(file), before);
  // A damaged library: what can be read is there, the error names the file.
  std::ofstream(file, std::ios::app) << "\ndata_broken\n_cell_length_a 5\n";
  const PhaseLibrary damaged = LoadPhaseLibrary(file);
  ASSERT_TRUE(damaged.error);
  EXPECT_NE(damaged.error->find(file.string()), std::string::npos);
  EXPECT_NE(damaged.error->find("_cell_length_b missing in block 'broken'"), std::string::npos);
  EXPECT_EQ(damaged.phases.size(), 1u);
  // The blocks of a file written elsewhere keep their names, also those that start like ours.
  const char* aluminium = kAluminiumCif + std::string_view("data_aluminium").size();
  std::ofstream(file, std::ios::trunc)
      << "data_Al" << aluminium << "data_phase" << aluminium << "data_steel2_a" << aluminium;
  std::vector<std::string> blocks;
  for (const CrystalPhase& phase : LoadPhaseLibrary(file).phases)
    blocks.push_back(phase.block);
  EXPECT_EQ(blocks, (std::vector<std::string>{"Al", "phase", "steel2_a"}));
  // A file without a block is an empty library only while shorter than 64 bytes (an empty file,
  // our own header); a longer one may be someone's notes, and is not to be overwritten.
  for (const std::size_t size : {0, 63, 64}) {
    std::ofstream(file, std::ios::trunc) << std::string(size, '#');
    EXPECT_EQ(LoadPhaseLibrary(file).error.has_value(), size == 64) << size;
  }
  // The default place: under $XDG_DATA_HOME when that is absolute, else ~/.local/share.
  const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
  for (const auto& [data, homeNow, folder] :
       {std::tuple<std::string, std::string, std::string>{"relative", "/h", "/h/.local/share"},
        {"", "", "./.local/share"},
        {"/d", "/h", "/d"}}) {
    setenv("XDG_DATA_HOME", data.c_str(), 1);
    setenv("HOME", homeNow.c_str(), 1);
    EXPECT_EQ(DefaultPhaseLibraryPath(), fs::path(folder) / "SpotIndex/SpotIndex/Phases.cif");
  }
  unsetenv("XDG_DATA_HOME");
  setenv("HOME", home.c_str(), 1);
}

} // namespace
} // namespace spot
