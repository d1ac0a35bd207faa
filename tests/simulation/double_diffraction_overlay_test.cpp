// Spots at positions silicon's group forbids or its atoms cancel: on the picture they are possible
// double diffraction, not unexplained.
#include <gtest/gtest.h>

#include <cmath>

#include "crystal/cif_import.hpp"
#include "picture/overlay.hpp"
#include "simulation/zone_pattern.hpp"
#include "support/cif_samples.hpp"

namespace spot {
namespace {

using namespace spot::testing;

// Diamond's two fcc halves: F = f (1 + i^(h+k+l)) on the F lattice, zero for the all-even
// (h k l) with h + k + l = 2 mod 4, whether the d glide or the atoms are the reason.
bool DiamondDark(const MillerIndex& g) {
  const bool allEven = g.h % 2 == 0 && g.k % 2 == 0 && g.l % 2 == 0;
  return allEven && ((g.h + g.k + g.l) % 4 + 4) % 4 == 2;
}

// Silicon's [0 1 1] zone from (1 1 -1) and (0 2 -2) (their cross product is (0 4 4)), on a
// 300 x 300 picture at 10 px per 1/nm. The picture's spots are made at every position of the
// face-centred lattice (the centring-only phase's prediction), plus one at (1 0 0), halfway to
// (2 0 0), which not even double diffraction reaches.
TEST(DoubleDiffractionOverlay, SiliconZone011) {
  const CrystalPhase silicon = ImportCifText(kSiliconCif, "si.cif").phases.at(0);
  OverlayRequest request;
  request.cell = silicon.cell;
  request.rule = LatticeType::FaceCenter;
  request.g1 = {1, 1, -1}, request.g2 = {0, 2, -2};
  request.centre = {150, 150};
  request.r1 = {32, 0}, request.r2 = {0, 40};
  request.pxPerInverseNm = 10;
  request.width = request.height = 300;
  const std::vector<PredictedSpot> lattice = PredictSpots(request);
  std::vector<Spot> detected;
  for (const PredictedSpot& p : lattice)
    detected.push_back({p.x + 0.5, p.y - 0.5, 100, 2});
  const PredictedSpot* p200 = nullptr;
  for (const PredictedSpot& p : lattice)
    if (p.hkl == MillerIndex{2, 0, 0}) p200 = &p;
  ASSERT_NE(p200, nullptr);
  detected.push_back({(p200->x + 150) / 2, (p200->y + 150) / 2, 100, 2});
  const double tolerance = AgreementTolerancePx(request.r1, request.r2);

  // Centring-only: every lattice spot explained, nothing forbidden, whatever `cancelled` holds.
  request.cancelled = {{2, 2, -2}};
  EXPECT_EQ(PredictSpots(request).size(), lattice.size());
  EXPECT_TRUE(PredictForbiddenSpots(request).empty());

  // The group, with the reflections the atoms cancel as the simulation lists them.
  request.rule = silicon.rule();
  SimulationRequest simulation;
  simulation.cell = silicon.cell;
  simulation.rule = silicon.rule();
  simulation.unitCellAtoms = UnitCellAtoms(silicon);
  simulation.zone = {0, 1, 1};
  simulation.gMax = 30; // past the picture's corner: 150 sqrt 2 px / 10 px nm = 21 1/nm
  request.cancelled.clear();
  for (const SimulatedSpot& s : SimulateZone(simulation).spots)
    if (s.absent == SpotAbsence::Structure) request.cancelled.push_back(s.hkl);
  ASSERT_FALSE(request.cancelled.empty());

  const std::vector<PredictedSpot> allowed = PredictSpots(request);
  const std::vector<PredictedSpot> forbidden = PredictForbiddenSpots(request);
  EXPECT_EQ(allowed.size() + forbidden.size(), lattice.size()); // the F lattice, split in two
  const PictureMatches matches = MatchWithPicture(allowed, detected, request.centre, tolerance);
  const std::vector<int> dark = MatchForbiddenSpots(forbidden, detected, matches, tolerance);
  ASSERT_EQ(dark.size(), detected.size());
  int darkCount = 0, checked200 = 0, checked222 = 0;
  for (std::size_t j = 0; j < lattice.size(); ++j) {
    const MillerIndex& g = lattice[j].hkl;
    SCOPED_TRACE(::testing::Message() << g.h << ' ' << g.k << ' ' << g.l);
    EXPECT_EQ(!matches.explained[j], DiamondDark(g));
    if (DiamondDark(g)) {
      ++darkCount;
      ASSERT_GE(dark[j], 0);
      EXPECT_EQ(forbidden[static_cast<std::size_t>(dark[j])].hkl, g); // labelled by its (h k l)
    } else {
      EXPECT_EQ(dark[j], -1);
    }
    checked200 += g == MillerIndex{-2, 0, 0} || g == MillerIndex{2, 0, 0};
    checked222 += g == MillerIndex{2, 2, -2} || g == MillerIndex{-2, -2, 2};
  }
  EXPECT_EQ(checked200, 2); // the d glide's (2 0 0) pair and the atoms' (2 2 -2) pair were seen
  EXPECT_EQ(checked222, 2);
  EXPECT_EQ(darkCount, static_cast<int>(forbidden.size()));
  // (1 0 0): off the F lattice, neither explained nor forbidden.
  EXPECT_FALSE(matches.explained.back());
  EXPECT_EQ(dark.back(), -1);
  // Without a tolerance nothing pairs, not even spots exactly on the forbidden places.
  std::vector<Spot> onPlaces;
  for (const PredictedSpot& p : forbidden)
    onPlaces.push_back({p.x, p.y, 100, 2});
  const PictureMatches none = MatchWithPicture(allowed, onPlaces, request.centre, tolerance);
  EXPECT_EQ(MatchForbiddenSpots(forbidden, onPlaces, none, 0),
            std::vector<int>(onPlaces.size(), -1));
}

} // namespace
} // namespace spot
