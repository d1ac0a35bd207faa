// One atom of a crystal structure: its element, fractional position, occupancy and isotropic
// displacement. The crystal library reads them; the simulation sums their scattering.
#pragma once

#include <array>
#include <string>

namespace spot {

struct AtomSite {
  std::string label;                      ///< "Si1", as the file names it
  std::string element;                    ///< "Si", the element of the scattering factor
  std::array<double, 3> xyz{};            ///< fractional coordinates
  double occupancy = 1.0;                 ///< chemical occupancy of the site, as the file gives it
  double bIsoNm2 = 0.0;                   ///< isotropic B = 8 π² U (nm²)
  int siteMultiplicity = 1;               ///< distinct images in the unit cell
  double crystallographicOccupancy = 1.0; ///< occupancy × multiplicity / order of the group
};

} // namespace spot
