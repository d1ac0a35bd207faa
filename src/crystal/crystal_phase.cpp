// Unit-cell contents of a phase: the orbits of its atoms under the group.
#include "crystal/crystal_phase.hpp"

#include <cmath> // cos, round

#include "core/metric.hpp"

namespace spot {
namespace {

double squaredDistance(const LatticeParameters& cell, std::array<double, 3> delta) {
  for (double& x : delta)
    x -= std::round(x); // the nearest lattice translation
  const double pi = 3.14159265358979323846;
  const double ca = std::cos(cell.alpha * pi / 180), cb = std::cos(cell.beta * pi / 180),
               cg = std::cos(cell.gamma * pi / 180);
  const double x = delta[0] * cell.a, y = delta[1] * cell.b, z = delta[2] * cell.c;
  return x * x + y * y + z * z + 2 * (x * y * cg + x * z * cb + y * z * ca);
}

} // namespace

bool IsUsableCell(const LatticeParameters& cell) {
  return IsRealCell(cell) && ReciprocalMetricOf(cell).inverted;
}

std::vector<std::array<double, 3>> DistinctImages(const SpaceGroup& group,
                                                  const LatticeParameters& cell,
                                                  const std::array<double, 3>& xyz) {
  std::vector<std::array<double, 3>> distinct;
  const double limit = kSamePositionNm * kSamePositionNm;
  for (const auto& p : group.images(xyz)) {
    bool seen = false;
    for (const auto& q : distinct)
      if (squaredDistance(cell, {p[0] - q[0], p[1] - q[1], p[2] - q[2]}) < limit) {
        seen = true;
        break;
      }
    if (!seen) distinct.push_back(p);
  }
  return distinct;
}

std::vector<AtomSite> UnitCellAtoms(const CrystalPhase& phase) {
  if (!phase.group) return phase.atoms;
  std::vector<AtomSite> result;
  for (const AtomSite& atom : phase.atoms)
    for (const auto& p : DistinctImages(*phase.group, phase.cell, atom.xyz)) {
      AtomSite image = atom;
      image.xyz = p;
      result.push_back(image);
    }
  return result;
}

} // namespace spot
