// The user phase library: phases round-tripped through the file, a failed save that leaves the
// old file whole, and a damaged file that is reported rather than read as empty.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
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
  phases.push_back(phases[1]); // a phase by its cell and group alone: no empty loop of atoms
  phases.back().atoms.clear();
  EXPECT_EQ(PhaseLibraryText({phases.back()}).find("_atom_site"), std::string::npos);
  const fs::path file = folder_ / "sub" / kPhaseLibraryFileName;
  ASSERT_FALSE(SavePhaseLibrary(file, phases));
  const PhaseLibrary back = LoadPhaseLibrary(file);
  ASSERT_FALSE(back.error) << *back.error;
  ASSERT_EQ(back.phases.size(), phases.size());
  for (std::size_t i = 0; i < phases.size(); ++i) {
    const CrystalPhase &a = phases[i], &b = back.phases[i];
    EXPECT_EQ(b.name, a.name);
    EXPECT_EQ(b.cell.a, a.cell.a); // exactly: 12 digits of Angstrom give the same nm
    EXPECT_EQ(b.cell.c, a.cell.c);
    EXPECT_EQ(b.cell.beta, a.cell.beta);
    EXPECT_TRUE(b.group->sameOperations(*a.group)) << a.group->symbol();
    EXPECT_EQ(b.group->symbol(), a.group->symbol());
    ASSERT_EQ(b.atoms.size(), a.atoms.size());
    for (std::size_t j = 0; j < a.atoms.size(); ++j) {
      EXPECT_EQ(b.atoms[j].element, a.atoms[j].element);
      EXPECT_EQ(b.atoms[j].xyz, a.atoms[j].xyz);
      EXPECT_NEAR(b.atoms[j].bIsoNm2, a.atoms[j].bIsoNm2, 1e-15);
      EXPECT_EQ(b.atoms[j].siteMultiplicity, a.atoms[j].siteMultiplicity);
    }
  }
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
}

} // namespace
} // namespace spot
