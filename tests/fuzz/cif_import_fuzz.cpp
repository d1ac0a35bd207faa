// Fuzzes the CIF import and what is made of its phases: every message names the file and is
// UTF-8; every phase has a real cell, a group and finite atoms; the library text of the phases
// reads back as the same phases (names, cells, groups, atoms); a zone simulated from them has
// finite positions and intensities.
#include <cmath>

#include "core/metric.hpp"
#include "crystal/cif_import.hpp"
#include "crystal/phase_library.hpp"
#include "fuzz_check.hpp"
#include "simulation/zone_pattern.hpp"

namespace {

void checkMessages(const std::vector<std::string>& messages, const std::string& source) {
  for (const std::string& m : messages) {
    FUZZ_CHECK(m.starts_with(source + ":"), m); // "fuzz.cif: ..." or gemmi's "fuzz.cif:3:59: ..."
    FUZZ_CHECK(spot::fuzz::IsValidUtf8(m), m);
  }
}

bool near(double x, double y) { return std::fabs(x - y) <= 1e-9 * std::fabs(y); }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace spot;
  const CifImport imported = ImportCifText(fuzz::AsText(data, size), "fuzz.cif");
  FUZZ_CHECK(!imported.phases.empty() || !imported.errors.empty(), "no phase says why");
  checkMessages(imported.errors, "fuzz.cif");
  checkMessages(imported.warnings, "fuzz.cif");
  for (const CrystalPhase& phase : imported.phases) {
    FUZZ_CHECK(IsRealCell(phase.cell), "a real cell");
    FUZZ_CHECK(phase.group != nullptr, "a group, P 1 at least");
    FUZZ_CHECK(!phase.name.empty() && spot::fuzz::IsValidUtf8(phase.name), phase.name);
    for (const AtomSite& atom : phase.atoms) {
      for (const double x : atom.xyz)
        FUZZ_CHECK(std::isfinite(x), "finite coordinates");
      FUZZ_CHECK(atom.occupancy >= 0 && atom.occupancy <= 1 + 1e-6, "an occupancy");
      FUZZ_CHECK(atom.siteMultiplicity >= 1, "a site");
    }
    SimulationRequest request;
    request.cell = phase.cell;
    request.rule = phase.rule();
    request.unitCellAtoms = UnitCellAtoms(phase);
    request.zone = {0, 0, 1};
    request.gMax = 3;
    for (const SimulatedSpot& spot : SimulateZone(request).spots)
      FUZZ_CHECK(std::isfinite(spot.x) && std::isfinite(spot.y) && std::isfinite(spot.intensity),
                 "finite spots");
  }
  const CifImport back = ImportCifText(PhaseLibraryText(imported.phases), "library.cif");
  FUZZ_CHECK(back.phases.size() == imported.phases.size(), "the library keeps every phase");
  for (std::size_t i = 0; i < back.phases.size(); ++i) {
    const CrystalPhase& a = imported.phases[i];
    const CrystalPhase& b = back.phases[i];
    FUZZ_CHECK(b.name == a.name, a.name + " came back as " + b.name);
    FUZZ_CHECK(near(b.cell.a, a.cell.a) && near(b.cell.b, a.cell.b) && near(b.cell.c, a.cell.c) &&
                   near(b.cell.alpha, a.cell.alpha) && near(b.cell.beta, a.cell.beta) &&
                   near(b.cell.gamma, a.cell.gamma),
               "the cell of " + a.name);
    FUZZ_CHECK(b.group->sameOperations(*a.group), "the group of " + a.name);
    FUZZ_CHECK(b.atoms.size() == a.atoms.size(), "the atoms of " + a.name);
  }
  return 0;
}
