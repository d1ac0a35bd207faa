// The kinematic pattern of one zone axis: the zero-order Laue zone's reflections up to g_max,
// placed in the plane of the picture, with |F|² intensities from electron scattering factors.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "core/atom_site.hpp"
#include "core/lattice.hpp"
#include "core/reflection_rule.hpp"

namespace spot {

/// Why a spot with no intensity is listed.
enum class SpotAbsence {
  None,       ///< an ordinary spot
  SpaceGroup, ///< the group forbids it (listed only on request)
  Structure,  ///< the group allows it, the atoms cancel it (|F|² below 1e-6 of the strongest)
};

/// "space_group", "structure", or empty for None.
std::string_view AbsenceName(SpotAbsence absence);

struct SimulatedSpot {
  MillerIndex hkl;
  double x = 0, y = 0;  ///< position in the picture's plane (1/nm)
  double d = 0;         ///< spacing (nm)
  double intensity = 0; ///< |F|², the strongest = 100
  SpotAbsence absent = SpotAbsence::None;
};

enum class SimulationFault {
  InvalidCell,       ///< not a real cell
  ZeroZoneAxis,      ///< [0 0 0]
  InvalidGMax,       ///< g_max not a positive number
  TooManyReflections ///< the zone holds more than kMaxSimulatedSpots reflections up to g_max
};

/// What the window and the command line say about a fault.
std::string_view SimulationFaultMessage(SimulationFault fault);

/// A zone with more spots than this is refused: no picture or list can show them.
inline constexpr std::size_t kMaxSimulatedSpots = 200000;

struct SimulationRequest {
  LatticeParameters cell; ///< nm, degrees
  ReflectionRule rule = LatticeType::Primitive;
  std::vector<AtomSite> unitCellAtoms; ///< every atom of the cell; none: equal weights
  ZoneAxis zone;
  double gMax = 10; ///< 1/nm
  bool includeForbidden = false;
};

/// x runs along the shortest allowed reflection of the zone (ties: the lexicographically largest
/// (h k l)); y completes a right-handed frame with the zone axis pointing at the viewer.
struct SimulatedPattern {
  std::vector<SimulatedSpot> spots; ///< by |g|, then (h k l) descending
  std::optional<SimulationFault> fault;
};

SimulatedPattern SimulateZone(const SimulationRequest& request);

/// The electron scattering factor of an element (Angstrom) at s = sin θ / λ = 1 / (2 d), from
/// International Tables C 4.3.2.2 through gemmi; nullopt for an element the table lacks.
std::optional<double> ElectronScatteringFactor(std::string_view element, double dNm);

} // namespace spot
