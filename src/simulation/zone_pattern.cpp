// Kinematic zone-axis pattern: reflections of the zone by enumeration over two indices (the third
// follows from h u + k v + l w = 0), F = Σ occ f(s) exp(-B s²) exp(2πi (hx + ky + lz)).
#include "simulation/zone_pattern.hpp"

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>
#include <string>

#include <gemmi/c4322.hpp>
#include <gemmi/elem.hpp>

#include "core/metric.hpp"

namespace spot {
namespace {

constexpr double kPi = 3.14159265358979323846;

using Vec = std::array<double, 3>;

Vec cross(const Vec& a, const Vec& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double dot(const Vec& a, const Vec& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
Vec scaled(const Vec& a, double s) { return {a[0] * s, a[1] * s, a[2] * s}; }

// Direct axes in Cartesian coordinates (a along x, b in the xy plane) and their reciprocals.
struct Frame {
  Vec a, b, c, aStar, bStar, cStar;
};

Frame frameOf(const LatticeParameters& cell) {
  const double ca = std::cos(cell.alpha * kPi / 180), cb = std::cos(cell.beta * kPi / 180),
               cg = std::cos(cell.gamma * kPi / 180), sg = std::sin(cell.gamma * kPi / 180);
  Frame f;
  f.a = {cell.a, 0, 0};
  f.b = {cell.b * cg, cell.b * sg, 0};
  const double cy = (ca - cb * cg) / sg;
  f.c = {cell.c * cb, cell.c * cy, cell.c * std::sqrt(std::max(0.0, 1 - cb * cb - cy * cy))};
  const double volume = dot(f.a, cross(f.b, f.c));
  f.aStar = scaled(cross(f.b, f.c), 1 / volume);
  f.bStar = scaled(cross(f.c, f.a), 1 / volume);
  f.cStar = scaled(cross(f.a, f.b), 1 / volume);
  return f;
}

Vec reciprocal(const Frame& f, const MillerIndex& g) {
  Vec v{};
  for (int i = 0; i < 3; ++i)
    v[static_cast<std::size_t>(i)] = g.h * f.aStar[static_cast<std::size_t>(i)] +
                                     g.k * f.bStar[static_cast<std::size_t>(i)] +
                                     g.l * f.cStar[static_cast<std::size_t>(i)];
  return v;
}

bool lexicographicallyLarger(const MillerIndex& a, const MillerIndex& b) {
  return std::tie(a.h, a.k, a.l) > std::tie(b.h, b.k, b.l);
}

struct Candidate {
  MillerIndex hkl;
  Vec g;
  double length = 0; // |g| (1/nm)
  bool allowed = true;
};

} // namespace

std::string_view AbsenceName(SpotAbsence absence) {
  switch (absence) {
  case SpotAbsence::SpaceGroup: return "space_group";
  case SpotAbsence::Structure: return "structure";
  case SpotAbsence::None: break;
  }
  return "";
}

std::string_view SimulationFaultMessage(SimulationFault fault) {
  switch (fault) {
  case SimulationFault::InvalidCell: return "the cell parameters do not describe a real cell";
  case SimulationFault::ZeroZoneAxis: return "the zone axis [0 0 0] has no direction";
  case SimulationFault::InvalidGMax: return "g_max must be a positive number (1/nm)";
  case SimulationFault::TooManyReflections:
    return "the zone holds too many reflections up to g_max; choose a smaller g_max";
  }
  return "";
}

std::optional<double> ElectronScatteringFactor(std::string_view element, double dNm) {
  const gemmi::El el = gemmi::find_element(std::string(element).c_str());
  if (el == gemmi::El::X || !gemmi::C4322<double>::has(el)) return std::nullopt;
  // s = 1 / (2 d) with d in Angstrom: s² = 1 / (4 · 100 · d_nm²).
  const double stol2 = 1.0 / (400.0 * dNm * dNm);
  return gemmi::C4322<double>::get(el).calculate_sf(stol2);
}

SimulatedPattern SimulateZone(const SimulationRequest& request) {
  SimulatedPattern result;
  const LatticeParameters& cell = request.cell;
  if (!IsRealCell(cell) || !ReciprocalMetricOf(cell).inverted) {
    result.fault = SimulationFault::InvalidCell;
    return result;
  }
  const ZoneAxis& z = request.zone;
  if (z.u == 0 && z.v == 0 && z.w == 0) {
    result.fault = SimulationFault::ZeroZoneAxis;
    return result;
  }
  if (!(request.gMax > 0) || !std::isfinite(request.gMax)) {
    result.fault = SimulationFault::InvalidGMax;
    return result;
  }
  const Frame f = frameOf(cell);
  // |h| <= |a| g_max since h = g · a; likewise k and l.
  const std::array<double, 3> bound = {cell.a * request.gMax, cell.b * request.gMax,
                                       cell.c * request.gMax};
  // Two free indices, the third from the zone law; the free pair is the one whose partner
  // has a non-zero zone component.
  const int fixed = z.w != 0 ? 2 : z.v != 0 ? 1 : 0;
  const int first = fixed == 0 ? 1 : 0, second = fixed == 2 ? 1 : 2;
  const double n1 = std::floor(bound[static_cast<std::size_t>(first)]);
  const double n2 = std::floor(bound[static_cast<std::size_t>(second)]);
  if ((2 * n1 + 1) * (2 * n2 + 1) > 1e8) {
    result.fault = SimulationFault::TooManyReflections;
    return result;
  }
  const std::array<long long, 3> zone = {z.u, z.v, z.w};
  std::vector<Candidate> candidates;
  const long long m1 = static_cast<long long>(n1), m2 = static_cast<long long>(n2);
  for (long long i = -m1; i <= m1; ++i)
    for (long long j = -m2; j <= m2; ++j) {
      std::array<long long, 3> index{};
      index[static_cast<std::size_t>(first)] = i;
      index[static_cast<std::size_t>(second)] = j;
      const long long rest =
          -(i * zone[static_cast<std::size_t>(first)] + j * zone[static_cast<std::size_t>(second)]);
      const long long divisor = zone[static_cast<std::size_t>(fixed)];
      if (rest % divisor != 0) continue;
      const long long third = rest / divisor;
      if (std::fabs(static_cast<double>(third)) > bound[static_cast<std::size_t>(fixed)]) continue;
      index[static_cast<std::size_t>(fixed)] = third;
      const MillerIndex hkl{static_cast<int>(index[0]), static_cast<int>(index[1]),
                            static_cast<int>(index[2])};
      if (hkl.isZero()) continue;
      Candidate c;
      c.hkl = hkl;
      c.g = reciprocal(f, hkl);
      c.length = std::sqrt(dot(c.g, c.g));
      if (!(c.length <= request.gMax)) continue;
      c.allowed = request.rule.allows(hkl.h, hkl.k, hkl.l);
      if (!c.allowed && !request.includeForbidden) continue;
      candidates.push_back(c);
      if (candidates.size() > kMaxSimulatedSpots) {
        result.fault = SimulationFault::TooManyReflections;
        return result;
      }
    }
  if (candidates.empty()) return result;
  std::sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
    const double tolerance = 1e-9 * std::max(a.length, b.length);
    if (std::fabs(a.length - b.length) > tolerance) return a.length < b.length;
    return lexicographicallyLarger(a.hkl, b.hkl);
  });

  // The frame: x along the shortest allowed reflection (the first allowed one in this order).
  const auto axis = std::find_if(candidates.begin(), candidates.end(),
                                 [](const Candidate& c) { return c.allowed; });
  const Candidate& along = axis != candidates.end() ? *axis : candidates.front();
  const Vec xHat = scaled(along.g, 1 / along.length);
  Vec zoneCartesian{};
  for (std::size_t i = 0; i < 3; ++i)
    zoneCartesian[i] = static_cast<double>(z.u) * f.a[i] + static_cast<double>(z.v) * f.b[i] +
                       static_cast<double>(z.w) * f.c[i];
  const Vec zHat = scaled(zoneCartesian, 1 / std::sqrt(dot(zoneCartesian, zoneCartesian)));
  const Vec yHat = cross(zHat, xHat);

  // |F|² of the allowed reflections; scattering factors once per element and reflection.
  std::vector<double> squared(candidates.size(), 1.0);
  if (!request.unitCellAtoms.empty()) {
    std::map<std::string, std::vector<std::size_t>> byElement;
    for (std::size_t a = 0; a < request.unitCellAtoms.size(); ++a)
      byElement[request.unitCellAtoms[a].element].push_back(a);
    for (std::size_t r = 0; r < candidates.size(); ++r) {
      const Candidate& c = candidates[r];
      if (!c.allowed) continue;
      const double d = 1 / c.length;
      const double s2 = 1 / (4 * d * d); // (sin θ / λ)² in 1/nm²
      double re = 0, im = 0;
      for (const auto& [element, atoms] : byElement) {
        const double fe = ElectronScatteringFactor(element, d).value_or(0.0);
        for (const std::size_t a : atoms) {
          const AtomSite& atom = request.unitCellAtoms[a];
          const double weight = atom.occupancy * fe * std::exp(-atom.bIsoNm2 * s2);
          const double phase =
              2 * kPi * (c.hkl.h * atom.xyz[0] + c.hkl.k * atom.xyz[1] + c.hkl.l * atom.xyz[2]);
          re += weight * std::cos(phase);
          im += weight * std::sin(phase);
        }
      }
      squared[r] = re * re + im * im;
    }
  }
  double strongest = 0;
  for (std::size_t r = 0; r < candidates.size(); ++r)
    if (candidates[r].allowed) strongest = std::max(strongest, squared[r]);

  for (std::size_t r = 0; r < candidates.size(); ++r) {
    const Candidate& c = candidates[r];
    SimulatedSpot spot;
    spot.hkl = c.hkl;
    spot.x = dot(c.g, xHat);
    spot.y = dot(c.g, yHat);
    spot.d = 1 / c.length;
    if (!c.allowed) {
      spot.absent = SpotAbsence::SpaceGroup;
    } else if (!(squared[r] >= 1e-6 * strongest) || strongest <= 0) {
      spot.absent = SpotAbsence::Structure;
    } else {
      spot.intensity = 100 * squared[r] / strongest;
    }
    result.spots.push_back(spot);
  }
  return result;
}

} // namespace spot
