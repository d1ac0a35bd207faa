// CIF import: the well-known structures read back with their groups and absences, the order of
// the group sources, special positions, the text forms files come in, and blocks that fail.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <tuple>

#include "core/metric.hpp"
#include "crystal/cif_import.hpp"
#include "indexing/search.hpp"
#include "support/cif_samples.hpp"

namespace spot {
namespace {

using namespace spot::testing;

CrystalPhase onlyPhase(const char* text) {
  const CifImport imported = ImportCifText(text, "test.cif");
  EXPECT_TRUE(imported.errors.empty()) << (imported.errors.empty() ? "" : imported.errors[0]);
  EXPECT_EQ(imported.phases.size(), 1u);
  return imported.phases.empty() ? CrystalPhase{} : imported.phases.at(0);
}

bool allows(const CrystalPhase& phase, int h, int k, int l) { return phase.rule().allows(h, k, l); }

bool anyWarningHas(const CifImport& imported, const std::string& text) {
  for (const std::string& w : imported.warnings)
    if (w.find(text) != std::string::npos) return true;
  return false;
}

TEST(CifImport, WellKnownStructuresReadBackWithTheirGroups) {
  const CrystalPhase si = onlyPhase(kSiliconCif);
  EXPECT_EQ(si.name, "Si");             // _chemical_formula_sum
  EXPECT_DOUBLE_EQ(si.cell.a, 0.54307); // 5.4307(2) Angstrom, uncertainty dropped
  EXPECT_EQ(si.group->symbol(), "F d -3 m:2");
  EXPECT_EQ(si.latticeType(), LatticeType::FaceCenter);
  for (const auto& [number, type] : {std::pair{5, LatticeType::SideCenter}, // C 1 2 1
                                     {229, LatticeType::BodyCenter},        // I m -3 m
                                     {2, LatticeType::Primitive}})
    EXPECT_EQ(SpaceGroupFromNumber(number).group->latticeType(), type) << number;
  ASSERT_EQ(si.atoms.size(), 1u);
  EXPECT_NEAR(si.atoms[0].bIsoNm2, 8 * M_PI * M_PI * 0.005 / 100, 1e-12); // B = 8π²U, Å² -> nm²

  EXPECT_EQ(onlyPhase(kAluminiumCif).name, "aluminium"); // no formula: the block name
  EXPECT_EQ(onlyPhase(kAluminiumCif).group->number(), 225);
  EXPECT_EQ(onlyPhase(kAluminiumCif).atoms.at(0).bIsoNm2, 0); // no displacement given
  const CrystalPhase salt = onlyPhase(kRockSaltCif);
  EXPECT_EQ(salt.group->number(), 225);   // Hall -F 4 2 3
  EXPECT_EQ(salt.atoms[0].element, "Na"); // "Na+"
  std::string padded = kRockSaltCif;      // blanks around a value are no part of it
  padded.replace(padded.find("'Cl Na'"), 7, "' Cl Na\t'");
  EXPECT_EQ(onlyPhase(padded.c_str()).name, "Cl Na");
  // A second capital counts when it names an element with the first: "OH" is oxygen, "SI" silicon
  // as written; two letters at most are read.
  for (const auto& [symbol, element] : {std::pair<std::string, std::string>{"OH", "O"},
                                        {"SI", "SI"},
                                        {"Os", "Os"},
                                        {"Oxygen", "O"}}) {
    std::string text = kRutileCif;
    text.replace(text.find("O1 O2-"), 6, "O1 " + symbol);
    EXPECT_EQ(onlyPhase(text.c_str()).atoms.at(1).element, element);
  }
  std::string unlabelled = kRockSaltCif; // no labels: element and row
  unlabelled.replace(unlabelled.find("_atom_site_label"), 16, "_atom_site_note");
  EXPECT_EQ(onlyPhase(unlabelled.c_str()).atoms.at(1).label, "Cl2");
  EXPECT_DOUBLE_EQ(salt.atoms[1].bIsoNm2, 0.01); // 1.0 Å²
  EXPECT_EQ(onlyPhase(kRutileCif).group->number(), 136);
  const CrystalPhase mg = onlyPhase(kMagnesiumCif);
  EXPECT_EQ(mg.group->number(), 194);
  EXPECT_DOUBLE_EQ(mg.cell.gamma, 120);
  const CrystalPhase corundum = onlyPhase(kCorundumCif);
  EXPECT_EQ(corundum.group->symbol(), "R -3 c:H"); // γ = 120: hexagonal axes
  EXPECT_EQ(corundum.latticeType(), LatticeType::Rhombohedral);
  const CrystalPhase zro2 = onlyPhase(kBaddeleyiteCif);
  EXPECT_EQ(zro2.group->number(), 14);
  EXPECT_DOUBLE_EQ(zro2.cell.beta, 99.23);
  EXPECT_EQ(zro2.atoms.size(), 3u);
}

// Reflection conditions as International Tables A lists them for each group.
TEST(CifImport, GroupsForbidWhatTheirGlidesAndScrewsForbid) {
  const CrystalPhase si = onlyPhase(kSiliconCif);
  EXPECT_FALSE(allows(si, 2, 0, 0)); // 0kl: k + l = 4n (d glide)
  EXPECT_TRUE(allows(si, 4, 0, 0));
  EXPECT_TRUE(allows(si, 2, 2, -2)); // hhl: h + l = 2n; allowed, the atoms cancel it
  EXPECT_TRUE(allows(si, 1, 1, -1));
  EXPECT_FALSE(allows(si, 1, 1, 0)); // F centring
  EXPECT_FALSE(allows(si, 1, 2, 3)); // F centring too, on a reflection no other operation keeps
  const CrystalPhase rutile = onlyPhase(kRutileCif);
  EXPECT_FALSE(allows(rutile, 1, 0, 0)); // h00: h = 2n (n glide)
  EXPECT_FALSE(allows(rutile, 0, 0, 1)); // 00l: l = 2n (4_2 screw)
  EXPECT_FALSE(allows(rutile, 0, 1, 2)); // 0kl: k + l = 2n
  EXPECT_TRUE(allows(rutile, 1, 1, 0));
  EXPECT_TRUE(allows(rutile, 1, 0, 1));
  const CrystalPhase mg = onlyPhase(kMagnesiumCif);
  EXPECT_FALSE(allows(mg, 0, 0, 1)); // 000l: l = 2n (6_3 screw)
  EXPECT_TRUE(allows(mg, 0, 0, 2));
  EXPECT_TRUE(allows(mg, 1, 0, 1));
  const CrystalPhase corundum = onlyPhase(kCorundumCif);
  EXPECT_FALSE(allows(corundum, 0, 0, 3)); // 000l: l = 6n
  EXPECT_TRUE(allows(corundum, 0, 0, 6));
  EXPECT_TRUE(allows(corundum, 1, 0, 4)); // -h + k + l = 3n
  EXPECT_TRUE(allows(corundum, 0, 1, 2));
  EXPECT_FALSE(allows(corundum, 1, 0, 0));
  const CrystalPhase zro2 = onlyPhase(kBaddeleyiteCif);
  EXPECT_FALSE(allows(zro2, 0, 1, 0)); // 0k0: k = 2n (2_1 screw)
  EXPECT_TRUE(allows(zro2, 0, 2, 0));
  EXPECT_FALSE(allows(zro2, 1, 0, 1)); // h0l: l = 2n (c glide)
  EXPECT_TRUE(allows(zro2, 1, 0, 2));
  EXPECT_TRUE(allows(zro2, 1, 1, 1));
  // The built-in kind of phase keeps the five centring rules.
  CrystalPhase detached = si;
  detached.detachGroup(LatticeType::FaceCenter);
  EXPECT_TRUE(allows(detached, 2, 0, 0));
  EXPECT_TRUE(detached.atoms.empty());
}

TEST(CifImport, SpecialPositionsGetCrystallographicOccupancies) {
  // Silicon on 8a of Fd-3m (order 192): 8 sites; rock salt on 4a and 4b of Fm-3m; rutile's Ti on
  // 2a and O on 4f of P4_2/mnm (order 16); all from the Wyckoff tables.
  const CrystalPhase si = onlyPhase(kSiliconCif);
  EXPECT_EQ(si.atoms[0].siteMultiplicity, 8);
  EXPECT_DOUBLE_EQ(si.atoms[0].crystallographicOccupancy, 8.0 / 192);
  EXPECT_EQ(UnitCellAtoms(si).size(), 8u);
  const CrystalPhase rutile = onlyPhase(kRutileCif);
  EXPECT_EQ(rutile.atoms[0].siteMultiplicity, 2);
  EXPECT_EQ(rutile.atoms[1].siteMultiplicity, 4);
  EXPECT_DOUBLE_EQ(rutile.atoms[1].crystallographicOccupancy, 4.0 / 16);
  EXPECT_EQ(UnitCellAtoms(onlyPhase(kRockSaltCif)).size(), 8u);
  // A refined full site up to 1.05 is a full site.
  std::string text = kSiliconCif;
  text.replace(text.find("1.0 0.0050(3)"), 3, "1.05");
  EXPECT_EQ(onlyPhase(text.c_str()).atoms.at(0).occupancy, 1.0);
  EXPECT_EQ(UnitCellAtoms(onlyPhase(kBaddeleyiteCif)).size(), 12u); // 3 on 4e
  EXPECT_EQ(UnitCellAtoms(onlyPhase(kCorundumCif)).size(), 30u);    // Al 12c, O 18e
  // P -1 takes (t t t) to (-t -t -t), 2t (a² + b² + c² + 2ab cos γ + 2ac cos β + 2bc cos α)^½ =
  // 1.8292 t nm apart in this cell: one site up to t = 0.005467, two beyond.
  const LatticeParameters oblique{0.8, 0.9, 1.0, 110, 100, 120};
  const SpaceGroupPointer inversion = SpaceGroupFromNumber(2).group;
  EXPECT_EQ(DistinctImages(*inversion, oblique, {0.00543, 0.00543, 0.00543}).size(), 1u);
  EXPECT_EQ(DistinctImages(*inversion, oblique, {0.0055, 0.0055, 0.0055}).size(), 2u);
  // Along one axis 2t a, 2t b, 2t c apart: 0.0096, 0.0108 and 0.012 nm for t = 0.006.
  for (const auto& [xyz, sites] : {std::pair<std::array<double, 3>, std::size_t>{{0.006, 0, 0}, 1},
                                   {{0.007, 0, 0}, 2},
                                   {{0, 0.006, 0}, 2},
                                   {{0, 0, 0.006}, 2}})
    EXPECT_EQ(DistinctImages(*inversion, oblique, xyz).size(), sites) << xyz[0] << xyz[1];
}

TEST(CifImport, GroupSourcesInOrderAndTheirDisagreements) {
  // The operations win over the name, and the disagreement is said.
  std::string text = kRutileCif;
  text.replace(text.find("'P 42/m n m'"), 12, "'P 4/m m m'");
  CifImport imported = ImportCifText(text, "rutile.cif");
  ASSERT_EQ(imported.phases.size(), 1u);
  EXPECT_EQ(imported.phases.at(0).group->number(), 136);
  EXPECT_EQ(imported.warnings,
            std::vector<std::string>{"rutile.cif: block 'rutile': _symmetry_space_group_name_H-M "
                                     "'P 4/m m m' (P 4/m m m) disagrees with the operations of "
                                     "_symmetry_equiv_pos_as_xyz (P 42/m n m), which are used"});
  // A number given beside the name: checked against it, and refused outside 1 to 230.
  for (const auto& [number, read] : {std::pair<std::string, bool>{"225", true},
                                     {"230", true},
                                     {"231", false},
                                     {"0", false},
                                     {"2.5", false}}) {
    text = kSiliconCif;
    text.replace(text.find("IT_number 227"), 13, "IT_number " + number);
    imported = ImportCifText(text, "si.cif");
    const std::vector<std::string>& said =
        imported.phases.empty() ? imported.errors : imported.warnings;
    ASSERT_EQ(said.size(), 1u) << number;
    EXPECT_EQ(said[0], read ? "si.cif: block 'silicon': _space_group_IT_number " + number +
                                  " disagrees with _space_group_name_H-M_alt 'F d -3 m:2' (No. "
                                  "227), which are used"
                            : "si.cif: _space_group_IT_number '" + number +
                                  "' is not a space-group number (1 to 230) in block 'silicon'; "
                                  "the block is not imported");
  }
  // The Hall symbol wins over the name.
  text = kRockSaltCif;
  text.insert(text.find("loop_"), "_symmetry_space_group_name_H-M 'P m -3 m'\n");
  imported = ImportCifText(text, "salt.cif");
  EXPECT_EQ(imported.phases.at(0).group->number(), 225);
  EXPECT_TRUE(anyWarningHas(imported, "P m -3 m"));
  // A two-fold axis whose matrix holds a 2 (x+2y, -y, -z squares to the identity) is a group.
  text = kAluminiumCif;
  text.replace(text.find("_symmetry_Int"), 32,
               "loop_\n_symmetry_equiv_pos_as_xyz\nx,y,z\nx+2*y,-y,-z\n");
  imported = ImportCifText(text, "al.cif");
  ASSERT_EQ(imported.phases.size(), 1u) << imported.errors.at(0);
  EXPECT_EQ(imported.phases.at(0).group->order(), 2);
  EXPECT_EQ(imported.phases.at(0).group->symbol(), "(listed operations)"); // no table has it
  text.insert(text.find("loop_"), "_symmetry_Int_Tables_number 225\n");    // which disagrees
  imported = ImportCifText(text, "al.cif");
  EXPECT_EQ(imported.phases.at(0).group->symbol(), "No. 225");
  EXPECT_TRUE(imported.warnings.empty()); // no table tells the operations' number to compare
  EXPECT_EQ(SpaceGroupFromNumber(0).error, "not a space-group number (1 to 230)");
  EXPECT_EQ(SpaceGroupFromHall("-F 4 2 3 x").error, "not a Hall symbol of a tabulated setting");
  EXPECT_FALSE(SpaceGroupFromHall("-F 42 3").group); // blanks part the symbol, any number of them
  EXPECT_EQ(SpaceGroupFromHall(" -f  4 2\t3 ").group->number(), 225);
  EXPECT_EQ(SpaceGroupFromOperations({}).error, "no symmetry operations");
  EXPECT_EQ(onlyPhase(kRutileCif).atoms.at(1).label, "O1"); // the file's label, not "O2"
  EXPECT_FALSE(SpaceGroupFromNumber(231).group);
  EXPECT_EQ(SpaceGroupFromNumber(230).group->symbol(), "I a -3 d");
  // The number alone when nothing else is given (aluminium), and no warning when all agree.
  EXPECT_TRUE(ImportCifText(kSiliconCif, "si.cif").warnings.empty());
  // The lowest number is a group too: No. 1 is P 1, given, so nothing is assumed.
  text = kAluminiumCif;
  text.replace(text.find("Tables_number 225"), 17, "Tables_number 1");
  imported = ImportCifText(text, "al.cif");
  ASSERT_EQ(imported.phases.size(), 1u);
  ASSERT_TRUE(imported.phases.at(0).group);
  EXPECT_EQ(imported.phases.at(0).group->number(), 1);
  EXPECT_TRUE(imported.warnings.empty());
  // Beside the name P 1 the number is checked too: 1 agrees, 2 does not.
  text.insert(text.find("_symmetry_Int"), "_symmetry_space_group_name_H-M 'P 1'\n");
  EXPECT_TRUE(ImportCifText(text, "al.cif").warnings.empty());
  text.replace(text.find("Tables_number 1"), 15, "Tables_number 2");
  EXPECT_EQ(ImportCifText(text, "al.cif").warnings,
            std::vector<std::string>{"al.cif: block 'aluminium': _symmetry_Int_Tables_number 2 "
                                     "disagrees with _symmetry_space_group_name_H-M 'P 1' (No. "
                                     "1), which are used"});
  // No group at all: P 1 and a warning.
  text = kAluminiumCif;
  text.erase(text.find("_symmetry_Int"), std::string("_symmetry_Int_Tables_number 225\n").size());
  imported = ImportCifText(text, "al.cif");
  EXPECT_EQ(imported.phases.at(0).group->number(), 1);
  EXPECT_TRUE(anyWarningHas(imported, "P 1 assumed"));
  // The origin choice: silicon's (1/8, 1/8, 1/8) is 8a only in origin choice 2, and (0, 0, 0)
  // is 8a only in origin choice 1; with no choice named the atoms decide.
  text = kSiliconCif;
  text.erase(text.find("_space_group_IT_coordinate"),
             std::string("_space_group_IT_coordinate_system_code 2\n").size());
  imported = ImportCifText(text, "si.cif");
  EXPECT_EQ(imported.phases.at(0).group->symbol(), "F d -3 m:2");
  EXPECT_TRUE(anyWarningHas(imported, "no origin choice"));
  // A negative displacement is said once, also where choosing the origin reads the atoms twice.
  for (std::string negative : {text, std::string(kSiliconCif)}) {
    negative.replace(negative.find("0.0050(3)"), 9, "-0.0050(3)");
    imported = ImportCifText(negative, "si.cif");
    EXPECT_EQ(std::count(imported.warnings.begin(), imported.warnings.end(),
                         "si.cif: block 'silicon': negative displacement of atom 'Si1' taken as 0"),
              1);
    EXPECT_EQ(imported.phases.at(0).atoms.at(0).bIsoNm2, 0);
  }
  std::string origin1 = text;
  origin1.replace(origin1.find("0.125 0.125 0.125"), 17, "0 0 0");
  EXPECT_EQ(ImportCifText(origin1, "si.cif").phases.at(0).group->symbol(), "F d -3 m:1");
  origin1.replace(origin1.find("0 0 0"), 5, "0.05 0.17 0.29"); // 192 sites in both: a tie
  EXPECT_EQ(ImportCifText(origin1, "si.cif").phases.at(0).group->symbol(), "F d -3 m:2");
  // Named explicitly, the choice is obeyed even when the coordinates belong to the other one.
  std::string wrong = kSiliconCif;
  wrong.replace(wrong.find("_space_group_IT_coordinate_system_code 2"), 40,
                "_space_group_IT_coordinate_system_code 1");
  EXPECT_EQ(UnitCellAtoms(ImportCifText(wrong, "si.cif").phases.at(0)).size(), 16u); // 16c
  // ICSD's way of naming the setting.
  text = kSiliconCif;
  text.replace(text.find("'F d -3 m'"), 10, "'F d -3 m Z'");
  EXPECT_EQ(ImportCifText(text, "si.cif").phases.at(0).group->symbol(), "F d -3 m:2");
  // The setting code over the angles: γ = 120 would choose hexagonal axes, α = γ rhombohedral.
  for (const auto& [code, gamma, symbol] :
       {std::tuple<std::string, std::string, std::string>{"R", "120", "R -3 c:R"},
        {"r", "120", "R -3 c:R"},
        {"H", "90", "R -3 c:H"},
        {"h", "90", "R -3 c:H"}}) {
    text = kCorundumCif;
    text.replace(text.find("gamma 120"), 9, "gamma " + gamma);
    text.insert(text.find("loop_"), "_space_group_IT_coordinate_system_code " + code + "\n");
    EXPECT_EQ(ImportCifText(text, "c.cif").phases.at(0).group->symbol(), symbol) << code;
  }
  // Subscripts written with '_', blanks at the end, each setting letter after a blank.
  for (const auto& [name, symbol] : {std::pair<std::string, std::string>{"P2_1/c", "P 1 21/c 1"},
                                     {"F d -3 m Z ", "F d -3 m:2"},
                                     {"F d -3 m S", "F d -3 m:1"},
                                     {"R -3 c R", "R -3 c:R"},
                                     {"R -3 c H", "R -3 c:H"}}) {
    const SpaceGroupPointer group = SpaceGroupFromName(name, 90, 90).group;
    EXPECT_EQ(group ? group->symbol() : "none", symbol) << name;
  }
}

TEST(CifImport, TextFormsOfRealFiles) {
  // CR LF line ends (a name in a text field keeps one line break), a byte-order mark and a UTF-8
  // block name with two-, three- and four-byte characters, several blocks in one file. The last
  // six are the edges of each lead byte's range: U+00A9, U+07FF, U+0800, U+D7FF, U+10000, U+10FFFF.
  std::string text = std::string("\xEF\xBB\xBF") + kRutileCif + kMagnesiumCif;
  text.insert(text.find("_cell"), "_spotindex_phase_name\n;rutile\nTiO2\n;\n");
  std::string crlf;
  for (char c : text) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  const std::string edges =
      "\xC2\xA9\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF";
  crlf.replace(crlf.find("data_magnesium"), 14,
               "data_Mg_\xC3\xA9\xE2\x82\xAC\xF0\x9F\x94\xAC" + edges);
  CifImport imported = ImportCifText(crlf, "two.cif");
  ASSERT_TRUE(imported.errors.empty()) << imported.errors[0];
  ASSERT_EQ(imported.phases.size(), 2u);
  EXPECT_EQ(imported.phases.at(0).name, "rutile\nTiO2");
  EXPECT_EQ(imported.phases.at(1).name, "Mg_\xC3\xA9\xE2\x82\xAC\xF0\x9F\x94\xAC" + edges);
  EXPECT_EQ(imported.phases.at(1).group->number(), 194);
  std::string cr = text; // classic Mac line ends: every character after a CR is kept
  std::replace(cr.begin(), cr.end(), '\n', '\r');
  imported = ImportCifText(cr, "mac.cif");
  ASSERT_EQ(imported.phases.size(), 2u);
  EXPECT_EQ(imported.phases.at(0).name, "rutile\nTiO2");
  EXPECT_EQ(imported.phases.at(1).group->number(), 194);
  // A Latin-1 name becomes UTF-8.
  std::string latin = kAluminiumCif;
  latin.replace(latin.find("data_aluminium"), 14, "data_Al_\xE9t\xE9");
  EXPECT_EQ(ImportCifText(latin, "al.cif").phases.at(0).name, "Al_\xC3\xA9t\xC3\xA9");
  // Bytes that only look like UTF-8 (an overlong form, a surrogate) are Latin-1 too: each
  // byte becomes its own character, so the name stays well-formed.
  for (const auto& [bytes, utf8] :
       {std::pair<std::string, std::string>{"\xC1\x91", "\xC3\x81\xC2\x91"},
        {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xC2\x80"},
        {"\xE0\x9F\xBF", "\xC3\xA0\xC2\x9F\xC2\xBF"}, // overlong U+07FF
        {"\x80", "\xC2\x80"}, // a lone continuation byte, the lowest past ASCII: U+0080
        {"\xE2\x82(", "\xC3\xA2\xC2\x82("}, // a three-byte lead, its last byte no continuation
        {"\xF0\x8F\xBF\xBF", "\xC3\xB0\xC2\x8F\xC2\xBF\xC2\xBF"},    // overlong U+FFFF
        {"\xF4\x90\x80\x80", "\xC3\xB4\xC2\x90\xC2\x80\xC2\x80"}}) { // past U+10FFFF
    std::string malformed = kAluminiumCif;
    malformed.replace(malformed.find("data_aluminium"), 14, "data_Al_" + bytes);
    EXPECT_EQ(ImportCifText(malformed, "al.cif").phases.at(0).name, "Al_" + utf8);
  }
  // The dotted tags of the newer dictionaries name the same items.
  std::string dotted = kRutileCif;
  for (const auto& [old, now] : {std::pair<std::string, std::string>{"_cell_", "_cell."},
                                 {"_chemical_formula_sum", "_chemical_formula.sum"},
                                 {"_symmetry_equiv_pos_as_xyz", "_space_group_symop.operation_xyz"},
                                 {"_symmetry_space_group_name_H-M", "_space_group.name_H-M_alt"}})
    for (std::size_t at; (at = dotted.find(old)) != std::string::npos;)
      dotted.replace(at, old.size(), now);
  dotted.replace(dotted.find("'P 42/m n m'"), 12, "'P 4/m m m'");
  imported = ImportCifText(dotted, "dotted.cif");
  ASSERT_EQ(imported.phases.size(), 1u) << imported.errors.at(0);
  const CrystalPhase& fromDotted = imported.phases[0];
  EXPECT_EQ(fromDotted.name, "O2 Ti");
  EXPECT_EQ(fromDotted.group->number(), 136); // the operations win over the name, which is said
  EXPECT_TRUE(anyWarningHas(imported, "_space_group.name_H-M_alt 'P 4/m m m'"));
  EXPECT_DOUBLE_EQ(fromDotted.cell.b, 0.45937); // 4.5937 Angstrom
  EXPECT_DOUBLE_EQ(fromDotted.cell.c, 0.29587);
  EXPECT_EQ(fromDotted.atoms.size(), 2u);
}

TEST(CifImport, FaultsNameFileBlockAndItemAndCostOnlyTheirBlock) {
  std::string rutile = kRutileCif;
  rutile.erase(rutile.find("_cell_angle_beta"), std::string("_cell_angle_beta 90\n").size());
  CifImport imported = ImportCifText(rutile + kMagnesiumCif, "two.cif");
  ASSERT_EQ(imported.phases.size(), 1u);
  EXPECT_EQ(imported.phases.at(0).name, "magnesium");
  ASSERT_EQ(imported.errors.size(), 1u);
  EXPECT_EQ(imported.errors[0],
            "two.cif: _cell_angle_beta missing in block 'rutile'; the block is not imported");

  const auto firstError = [](const std::string& text) {
    const CifImport result = ImportCifText(text, "bad.cif");
    EXPECT_TRUE(result.phases.empty());
    return result.errors.empty() ? std::string() : result.errors[0];
  };
  // Each fault made in a good file: the file, the text replaced, its replacement, what is said.
  for (const auto& [cif, from, to, said] :
       std::vector<std::tuple<const char*, std::string, std::string, std::string>>{
           {kSiliconCif, "a 5.4307(2)", "a abc", "_cell_length_a is not a number ('abc')"},
           // 1000 Angstrom is the longest cell edge the importer takes; 0 is none.
           {kSiliconCif, "a 5.4307(2)", "a 1000.001", "_cell_length_a out of range (0 to 1000"},
           {kSiliconCif, "a 5.4307(2)", "a 0", "_cell_length_a out of range (0 to 1000"},
           {kSiliconCif, "gamma 90", "gamma 190", "no real cell in block 'silicon'"},
           {kSiliconCif, "Si1 Si", "Si1 Qq",
            "_atom_site_type_symbol of atom 'Si1': no element 'Qq"},
           {kSiliconCif, "Si1 Si", "Si1 2+",
            "_atom_site_type_symbol of atom 'Si1': no element '2+"},
           {kSiliconCif, "0.125 0.125 ", "0.125 ? ", "_atom_site_fract_y of atom 'Si1' missing"},
           {kSiliconCif, "0.125 0.125 ", "2e6 0.125 ", "_atom_site_fract_x of atom 'Si1' out of"},
           {kSiliconCif, "1.0 0.0050(3)", "1.5 0",
            "_atom_site_occupancy of atom 'Si1' out of range"},
           {kSiliconCif, "1.0 0.0050(3)", "-0.1 0",
            "_atom_site_occupancy of atom 'Si1' out of range"},
           {kSiliconCif, "1.0 0.0050(3)", "1 200", "displacement of atom 'Si1' out of range"},
           {kAluminiumCif, "_atom_site_fract_x", "_atom_site_note", "_atom_site_fract_x missing"},
           {kAluminiumCif, "_atom_site_label", "_atom_site_note",
            "_atom_site_label and _atom_site_type_symbol missing in block 'aluminium'"},
           {kSiliconCif, "'F d -3 m'", "'F q -3 m'",
            "_space_group_name_H-M_alt 'F q -3 m:2': unknown"},
           // A blank and a setting letter name the setting even after a single letter.
           {kSiliconCif, "'F d -3 m'", "'P H'", "_space_group_name_H-M_alt 'P H': unknown"},
           // A stretch, a shear (no power of it is the identity) and a fractional coefficient are
           // no crystallographic rotations.
           {kRutileCif, "-x,-y,z\n", "-x,2*y,z\n",
            ": '-x,2*y,z' is not a crystallographic operation"},
           {kRutileCif, "-x,-y,z\n", "x+y,y,z\n",
            ": 'x+y,y,z' is not a crystallographic operation"},
           {kRutileCif, "-x,-y,z\n", "x,y,x+z\n", // the shear in the last row
            ": 'x,y,x+z' is not a crystallographic operation"},
           {kRutileCif, "-x,-y,z\n", "x+y/2,y,z\n",
            "'x+y/2,y,z' is not a crystallographic operation"},
           // A shift of 12345 cells would overflow gemmi's arithmetic further on.
           {kRutileCif, "-x,-y,z\n", "-x,-y,z+12345\n", "a number too long in '-x,-y,z+12345'"},
           // Rotations that close but translations that do not (found by fuzzing: such a list read
           // back from the library gave another group): twice -x,-y,z+1/4 is a shift by 1/2 along
           // c that the list does not hold.
           {kRutileCif, "-x,-y,z\n", "-x,-y,z+1/4\n",
            "_symmetry_equiv_pos_as_xyz: the operations do not form a space group"},
           // Six pure translations (thirds along a, halves along b) close, but no lattice
           // centring has more than the four of F.
           {kAluminiumCif, "_symmetry_Int_Tables_number 225\n",
            "loop_\n_symmetry_equiv_pos_as_xyz\nx,y,z\nx+1/3,y,z\nx+2/3,y,z\nx,y+1/2,z\n"
            "x+1/3,y+1/2,z\nx+2/3,y+1/2,z\n",
            "_symmetry_equiv_pos_as_xyz: the operations do not form a space group"},
           // A malformed Hall symbol (found by fuzzing: it once read past gemmi's tables).
           {kRockSaltCif, "'-F 4 2 3'", "'-F 4 2\"3'", "_space_group_name_Hall '-F 4 2\"3'"}}) {
    std::string text = cif;
    text.replace(text.find(from), from.size(), to);
    EXPECT_NE(firstError(text).find(said), std::string::npos) << said;
  }
  std::string text = kSiliconCif;
  text.replace(text.find("5.4307(2)"), 9, "1000");
  EXPECT_EQ(ImportCifText(text, "long.cif").phases.size(), 1u);
  text = kRutileCif; // three digits are still a number, and the same operation
  text.replace(text.find("-x,-y,z\n"), 7, "-x,-y,z+000");
  EXPECT_EQ(ImportCifText(text, "zeros.cif").phases.size(), 1u);
  // A file gemmi cannot parse names the file and the line; one without crystal data says so.
  EXPECT_NE(firstError("data_x\n_cell_length_a 'open\n").find("bad.cif"), std::string::npos);
  EXPECT_EQ(firstError("data_paper\n_journal_year 2001\n"),
            "bad.cif: no crystal data (no cell, group or atoms)");
  EXPECT_EQ(ImportCifFile("/nonexistent/x.cif").errors.at(0), "/nonexistent/x.cif: cannot be read");
  // A folder opens, but reading it fails: not an empty file.
  EXPECT_EQ(ImportCifFile("/tmp").errors.at(0), "/tmp: cannot be read");
}

// A silicon [0 0 1] pattern built on (2 0 0) + (0 2 0): the diamond glide forbids (2 0 0), so the
// phase read from the CIF finds nothing; the same cell with its centring alone finds the rows.
TEST(CifImport, SearchWithTheGroupLeavesForbiddenPlanesOut) {
  const CrystalPhase si = onlyPhase(kSiliconCif);
  const MetricTensor gStar = ReciprocalMetricOf(si.cell).gStar;
  const MillerIndex g1{2, 0, 0}, g2{0, 2, 0}, g3 = g1 + g2;
  MeasuredPattern pattern;
  pattern.d = {DSpacing(g1, gStar).value, DSpacing(g2, gStar).value, DSpacing(g3, gStar).value};
  pattern.angle = {90, 45, 45};
  pattern.dTol = {0.008, 0.008, 0.008};
  pattern.angleTol = {2, 2, 2};
  EXPECT_TRUE(IndexPattern(si.cell, si.rule(), 3, pattern).rows.empty());
  EXPECT_FALSE(IndexPattern(si.cell, LatticeType::FaceCenter, 3, pattern).rows.empty());
  // (4 0 0) + (0 4 0) is allowed by the group: found with it.
  pattern.d = {si.cell.a / 4, si.cell.a / 4, si.cell.a / std::sqrt(32.0)};
  EXPECT_FALSE(IndexPattern(si.cell, si.rule(), 4, pattern).rows.empty());
}

} // namespace
} // namespace spot
