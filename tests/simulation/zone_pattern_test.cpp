// Kinematic zone patterns: silicon's [0 1 1] absences, intensities against |F|² summed here over
// atom positions written out by hand, the frame of the picture, weights and faults.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <set>
#include <tuple>

#include <gemmi/c4322.hpp>

#include "core/metric.hpp"
#include "crystal/cif_import.hpp"
#include "simulation/zone_pattern.hpp"
#include "support/cif_samples.hpp"

namespace spot {
namespace {

using namespace spot::testing;

SimulationRequest requestOf(const char* cif, ZoneAxis zone, double gMax = 10) {
  const CrystalPhase phase = ImportCifText(cif, "t.cif").phases.at(0);
  SimulationRequest r;
  r.cell = phase.cell;
  r.rule = phase.rule();
  r.unitCellAtoms = UnitCellAtoms(phase);
  r.zone = zone;
  r.gMax = gMax;
  return r;
}

const SimulatedSpot* find(const SimulatedPattern& p, MillerIndex g) {
  for (const SimulatedSpot& s : p.spots)
    if (s.hkl == g) return &s;
  return nullptr;
}

TEST(ZonePattern, SiliconZone011) {
  SimulationRequest request = requestOf(kSiliconCif, {0, 1, 1});
  SimulatedPattern pattern = SimulateZone(request);
  ASSERT_FALSE(pattern.fault);
  EXPECT_EQ(find(pattern, {2, 0, 0}), nullptr); // the d glide forbids it: left out
  const SimulatedSpot* zero = find(pattern, {2, 2, -2});
  ASSERT_NE(zero, nullptr); // allowed, but the two fcc halves cancel: 1 + i^(h+k+l) = 0
  EXPECT_EQ(zero->absent, SpotAbsence::Structure);
  EXPECT_EQ(zero->intensity, 0);
  const SimulatedSpot* strong = find(pattern, {1, 1, -1});
  ASSERT_NE(strong, nullptr);
  EXPECT_EQ(strong->absent, SpotAbsence::None);
  EXPECT_DOUBLE_EQ(strong->intensity, 100); // the lowest angle of the zone: the strongest
  EXPECT_NEAR(strong->d, 0.54307 / std::sqrt(3.0), 1e-12);
  ASSERT_NE(find(pattern, {0, 2, -2}), nullptr);
  EXPECT_GT(find(pattern, {0, 2, -2})->intensity, 10);
  // On request the forbidden ones are listed, marked and dark.
  request.includeForbidden = true;
  pattern = SimulateZone(request);
  ASSERT_NE(find(pattern, {2, 0, 0}), nullptr);
  EXPECT_EQ(find(pattern, {2, 0, 0})->absent, SpotAbsence::SpaceGroup);
  EXPECT_EQ(find(pattern, {2, 0, 0})->intensity, 0);
  EXPECT_NEAR(find(pattern, {1, 1, -1})->y, 0, 1e-9); // x still past the forbidden (0 1 -1)
  EXPECT_EQ(AbsenceName(SpotAbsence::SpaceGroup), "space_group");
}

// |F|² = |Σ occ f(s) exp(-B s²) exp(2πi g·r)|² over positions written out here from the Wyckoff
// tables, with gemmi's C4322 coefficients taken directly.
double squaredF(MillerIndex g, double dNm,
                const std::vector<std::pair<gemmi::El, std::array<double, 4>>>& atoms) {
  std::complex<double> f = 0;
  for (const auto& [el, p] : atoms) {
    const double s2 = 1.0 / (400 * dNm * dNm); // Å⁻²
    const double fe = gemmi::C4322<double>::get(el).calculate_sf(s2);
    const double b = p[3] * 100; // Å²
    f +=
        fe * std::exp(-b * s2) * std::polar(1.0, 2 * M_PI * (g.h * p[0] + g.k * p[1] + g.l * p[2]));
  }
  return std::norm(f);
}

TEST(ZonePattern, IntensitiesFollowTheStructureFactor) {
  // Rutile: Ti on 2a (0 0 0), (1/2 1/2 1/2); O on 4f ±(x x 0), ±(1/2+x 1/2-x 1/2), x = 0.3048;
  // U = 0.006 and 0.008 Å² become B = 8π²U.
  const double x = 0.3048, bTi = 8 * M_PI * M_PI * 0.006 / 100, bO = 8 * M_PI * M_PI * 0.008 / 100;
  const std::vector<std::pair<gemmi::El, std::array<double, 4>>> rutile = {
      {gemmi::El::Ti, {0, 0, 0, bTi}},
      {gemmi::El::Ti, {0.5, 0.5, 0.5, bTi}},
      {gemmi::El::O, {x, x, 0, bO}},
      {gemmi::El::O, {-x, -x, 0, bO}},
      {gemmi::El::O, {0.5 + x, 0.5 - x, 0.5, bO}},
      {gemmi::El::O, {0.5 - x, 0.5 + x, 0.5, bO}}};
  const SimulatedPattern pattern = SimulateZone(requestOf(kRutileCif, {0, 0, 1}, 12));
  ASSERT_FALSE(pattern.fault);
  double strongest = 0;
  for (const SimulatedSpot& s : pattern.spots)
    strongest = std::max(strongest, squaredF(s.hkl, s.d, rutile));
  int checked = 0;
  for (const SimulatedSpot& s : pattern.spots) {
    const double expected = 100 * squaredF(s.hkl, s.d, rutile) / strongest;
    if (s.absent == SpotAbsence::Structure)
      EXPECT_LT(expected, 1e-4) << s.hkl.h << s.hkl.k << s.hkl.l;
    else
      EXPECT_NEAR(s.intensity, expected, 1e-9 * 100) << s.hkl.h << s.hkl.k << s.hkl.l;
    ++checked;
  }
  EXPECT_GT(checked, 20);
  // Rock salt with half the chlorine sites empty: occupancy scales the chlorine term.
  std::string text = kRockSaltCif;
  text.insert(text.find("_atom_site_B_iso"), "_atom_site_occupancy\n");
  text.replace(text.find("Na1 Na+ 0 0 0"), 13, "Na1 Na+ 0 0 0 1");
  text.replace(text.find("Cl1 Cl- 0.5 0.5 0.5"), 19, "Cl1 Cl- 0.5 0.5 0.5 0.5");
  const SimulatedPattern halfCl = SimulateZone(requestOf(text.c_str(), {0, 0, 1}));
  // F(200) = 4 (fNa e^{-B s²} + ½ fCl e^{-B s²}), F(220) likewise; the ratio of intensities.
  const auto fcc = [](gemmi::El el, double b) {
    std::vector<std::pair<gemmi::El, std::array<double, 4>>> v;
    for (const auto& t :
         {std::array<double, 3>{0, 0, 0}, {0.5, 0.5, 0}, {0.5, 0, 0.5}, {0, 0.5, 0.5}})
      v.push_back({el, {t[0], t[1], t[2], b}});
    return v;
  };
  const auto ratio = [&](MillerIndex g1, MillerIndex g2) {
    const double a = 0.56402;
    const auto amplitude = [&](MillerIndex g) {
      const double d = a / std::sqrt(double(g.h * g.h + g.k * g.k + g.l * g.l));
      const double na = std::sqrt(squaredF(g, d, fcc(gemmi::El::Na, 0.012)));
      const double cl = std::sqrt(squaredF(g, d, fcc(gemmi::El::Cl, 0.010)));
      return (na + 0.5 * cl) * (na + 0.5 * cl); // both in phase for h, k, l all even
    };
    return amplitude(g1) / amplitude(g2);
  };
  EXPECT_NEAR(find(halfCl, {2, 2, 0})->intensity / find(halfCl, {2, 0, 0})->intensity,
              ratio({2, 2, 0}, {2, 0, 0}), 1e-9);
}

TEST(ZonePattern, FrameAlongTheShortestAllowedReflection) {
  // Silicon [0 0 1]: the shortest allowed are the four (2 2 0)-type; the largest is (2 2 0). With
  // z = [0 0 1] toward the viewer, y = z × x points along (-1 1 0).
  const SimulatedPattern si = SimulateZone(requestOf(kSiliconCif, {0, 0, 1}));
  const double g220 = std::sqrt(8.0) / 0.54307;
  const SimulatedSpot* x = find(si, {2, 2, 0});
  ASSERT_NE(x, nullptr);
  EXPECT_NEAR(x->x, g220, 1e-9);
  EXPECT_NEAR(x->y, 0, 1e-9);
  EXPECT_NEAR(find(si, {-2, 2, 0})->y, g220, 1e-9);
  EXPECT_NEAR(find(si, {2, -2, 0})->y, -g220, 1e-9);
  EXPECT_NEAR(find(si, {4, 0, 0})->x, 4 / 0.54307 / std::sqrt(2.0), 1e-9); // 45° from x
  EXPECT_NEAR(find(si, {4, 0, 0})->y, -4 / 0.54307 / std::sqrt(2.0), 1e-9);
  EXPECT_EQ(si.spots.front().hkl, (MillerIndex{2, 2, 0})); // by |g|, ties largest first
  // Magnesium [0 0 1] (hexagonal): (1 0 0) is the largest of the six shortest; (0 1 0) sits 60°
  // from it (γ* = 180° - γ), counter-clockwise seen from the tip of the zone axis.
  const SimulatedPattern mg = SimulateZone(requestOf(kMagnesiumCif, {0, 0, 1}));
  const double g100 = 2 / (0.32094 * std::sqrt(3.0));
  EXPECT_NEAR(find(mg, {1, 0, 0})->x, g100, 1e-9);
  EXPECT_NEAR(find(mg, {0, 1, 0})->x, g100 / 2, 1e-9);
  EXPECT_NEAR(find(mg, {0, 1, 0})->y, g100 * std::sqrt(3.0) / 2, 1e-9);
  // Reversing the zone axis mirrors the picture.
  const SimulatedPattern reversed = SimulateZone(requestOf(kMagnesiumCif, {0, 0, -1}));
  EXPECT_NEAR(find(reversed, {0, 1, 0})->y, -g100 * std::sqrt(3.0) / 2, 1e-9);
  // Every spot lies within g_max and in the zone.
  for (const SimulatedSpot& s : si.spots) {
    EXPECT_LE(std::hypot(s.x, s.y), 10 + 1e-9);
    EXPECT_NEAR(std::hypot(s.x, s.y), 1 / s.d, 1e-9);
    EXPECT_EQ(s.hkl.l, 0);
  }
}

// Every reflection of the zone up to g_max against a plain search of the index box (h u + k v +
// l w = 0, h·G*·h <= g_max²), with each index in turn the one the zone law fixes and zones whose
// law needs a division. The orthorhombic [1 0 0] by hand: 6.25 k² + 4 l² <= 8.1² holds for 9 + 14
// + 14 + 6 (k l) pairs, less (0 0 0): 42.
TEST(ZonePattern, EveryReflectionOfTheZoneUpToGMax) {
  const LatticeParameters ortho{0.3, 0.4, 0.5, 90, 90, 90}, tri{0.5, 0.6, 0.7, 80, 95, 105};
  const std::vector<std::tuple<LatticeParameters, ZoneAxis, double>> cases = {
      {ortho, {1, 0, 0}, 8.1}, {ortho, {0, 1, 0}, 8.1}, {ortho, {0, 0, 1}, 8.1},
      {tri, {1, 2, 0}, 9},     {tri, {0, 1, 2}, 9},     {tri, {2, -1, 3}, 9}};
  for (const auto& [cell, zone, gMax] : cases) {
    SimulationRequest r;
    r.cell = cell;
    r.zone = zone;
    r.gMax = gMax;
    const SimulatedPattern pattern = SimulateZone(r);
    const MetricTensor gStar = ReciprocalMetricOf(cell).gStar;
    std::set<std::tuple<int, int, int>> expected, listed;
    for (int h = -10; h <= 10; ++h)
      for (int k = -10; k <= 10; ++k)
        for (int l = -10; l <= 10; ++l) {
          const MillerIndex g{h, k, l};
          if (!g.isZero() && h * zone.u + k * zone.v + l * zone.w == 0 &&
              PlaneProduct(g, g, gStar) <= gMax * gMax)
            expected.insert({h, k, l});
        }
    for (std::size_t i = 0; i < pattern.spots.size(); ++i) {
      const SimulatedSpot& s = pattern.spots[i];
      listed.insert({s.hkl.h, s.hkl.k, s.hkl.l});
      const double g = std::sqrt(PlaneProduct(s.hkl, s.hkl, gStar)); // in the picture's plane
      EXPECT_NEAR(1 / s.d, g, 1e-9 * g);
      EXPECT_NEAR(std::hypot(s.x, s.y), g, 1e-9 * g);
      if (i > 0) {
        EXPECT_GE(pattern.spots[i - 1].d * (1 + 1e-9), pattern.spots[i].d); // by |g|
      }
    }
    EXPECT_EQ(listed, expected) << zone.u << zone.v << zone.w;
    EXPECT_EQ(listed.size(), zone == (ZoneAxis{1, 0, 0}) ? 42u : listed.size());
  }
}

TEST(ZonePattern, CentringOnlyPhasesWeighEveryAllowedReflectionAlikeAndFaultsAreSaid) {
  SimulationRequest r;
  r.cell = {0.4, 0.4, 0.4, 90, 90, 90};
  r.rule = LatticeType::FaceCenter;
  r.zone = {0, 0, 1};
  r.gMax = 8; // (2 0 0) at 5, (2 2 0) at 7.07; (4 0 0) at 10 is out
  const SimulatedPattern p = SimulateZone(r);
  EXPECT_EQ(p.spots.size(), 8u);
  for (const SimulatedSpot& s : p.spots)
    EXPECT_EQ(s.intensity, 100);
  EXPECT_EQ(find(p, {1, 0, 0}), nullptr); // F centring
  // An element the scattering table lacks weighs nothing: every spot dark, none without a number.
  r.unitCellAtoms = {AtomSite{"Q1", "Q", {0, 0, 0}}};
  for (const SimulatedSpot& s : SimulateZone(r).spots) {
    EXPECT_EQ(s.absent, SpotAbsence::Structure);
    EXPECT_EQ(s.intensity, 0);
  }
  r.unitCellAtoms.clear();
  EXPECT_FALSE(ElectronScatteringFactor("Es", 0.1)); // einsteinium, 99: past the table's 98
  r.gMax = 3; // nothing allowed below (2 0 0) at 5: no spot, and no fault
  EXPECT_TRUE(SimulateZone(r).spots.empty());
  EXPECT_FALSE(SimulateZone(r).fault);
  r.includeForbidden = true; // the four (1 0 0)-type at 2.5, all forbidden: x along (1 0 0)
  const SimulatedPattern dark = SimulateZone(r);
  ASSERT_EQ(dark.spots.size(), 4u);
  EXPECT_NEAR(dark.spots.front().x, 2.5, 1e-9);
  r.includeForbidden = false;
  r.gMax = 8;
  r.zone = {4294967296LL, 0, 1}; // h 2³² + l = 0 only for h = l = 0: (0 ±2 0)
  EXPECT_EQ(SimulateZone(r).spots.size(), 2u);
  r.zone = {0, 0, 0};
  EXPECT_EQ(SimulateZone(r).fault, SimulationFault::ZeroZoneAxis);
  r.zone = {0, 0, 1};
  r.gMax = 0;
  EXPECT_EQ(SimulateZone(r).fault, SimulationFault::InvalidGMax);
  r.gMax = NAN;
  EXPECT_EQ(SimulateZone(r).fault, SimulationFault::InvalidGMax);
  r.gMax = 1e7;
  EXPECT_EQ(SimulateZone(r).fault, SimulationFault::TooManyReflections);
  r.gMax = 1400; // even (h k) within 0.4 · 1400 = 560 of the origin: π 560² / 4 ≈ 246000 > 200000
  EXPECT_EQ(SimulateZone(r).fault, SimulationFault::TooManyReflections);
  // [1 0 100000] keeps only (0 k 0), in a box of (2 · 5000 + 1)² > 10⁸ pairs: refused at once.
  r.cell = {1, 1, 1, 90, 90, 90};
  r.zone = {1, 0, 100000};
  r.gMax = 5000.5;
  EXPECT_EQ(SimulateZone(r).fault, SimulationFault::TooManyReflections);
  r.zone = {0, 0, 1};
  r.gMax = 2; // the four (2 0 0)-type at exactly 2 / 1 nm: g_max itself is still in
  EXPECT_EQ(SimulateZone(r).spots.size(), 4u);
  r.cell.gamma = 200;
  EXPECT_EQ(SimulateZone(r).fault, SimulationFault::InvalidCell);
}

} // namespace
} // namespace spot
