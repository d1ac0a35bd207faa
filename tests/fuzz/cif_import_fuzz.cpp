// Fuzzes the CIF import and what is made of its phases: every phase has a real cell, a group and
// finite atoms; the library text of the phases reads back as as many phases; a zone simulated
// from them has finite positions and intensities.
#include <cmath>

#include "core/metric.hpp"
#include "crystal/cif_import.hpp"
#include "crystal/phase_library.hpp"
#include "fuzz_check.hpp"
#include "simulation/zone_pattern.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace spot;
  const CifImport imported = ImportCifText(fuzz::AsText(data, size), "fuzz.cif");
  FUZZ_CHECK(!imported.phases.empty() || !imported.errors.empty(), "no phase says why");
  for (const CrystalPhase& phase : imported.phases) {
    FUZZ_CHECK(IsRealCell(phase.cell), "a real cell");
    FUZZ_CHECK(phase.group != nullptr, "a group, P 1 at least");
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
  return 0;
}
