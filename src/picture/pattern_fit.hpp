// Measuring a spot pattern from all its spots: the centre and the 2-D lattice fitted by least
// squares, with R1, R2, R3 chosen the way the measurement boxes take them.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "picture/spot_finder.hpp"

namespace spot {

/// A vector on the picture in its own pixels: x to the right, y down.
struct Vec2 {
  double x = 0, y = 0;
  friend bool operator==(const Vec2&, const Vec2&) = default;
};

/// The fitted pattern. r1 is the shortest lattice vector (of those within 1 % of the shortest,
/// the one with the smallest angle from +x counted counter-clockwise as seen on the screen), r2
/// the shortest not parallel to it with the angle between them at least 90 degrees (of those
/// within 1 %, the first counter-clockwise from r1), r3 = r1 + r2.
struct PatternFit {
  double centreX = 0, centreY = 0; ///< px, centre of the top-left pixel at (0, 0)
  Vec2 r1, r2, r3;                 ///< px
  int spotsUsed = 0;               ///< spots that index on the lattice and entered the fit
  double residualPx = 0;           ///< root mean square distance of those spots from their nodes
};

enum class PatternFitFault {
  CentreOutside, ///< a given centre does not lie on the picture
  NoLattice,     ///< fewer than two non-parallel spot vectors
};

struct PatternFitOutcome {
  std::optional<PatternFit> fit;
  std::optional<PatternFitFault> fault;
  std::string message; ///< names the cause when fault is set
};

/// Fits the lattice of `spots` (brightest first, as FindSpots gives them) on a picture of
/// width x height pixels. The centre is the given one when `centre` is set, else the direct
/// beam (a spot far brighter than the rest), else the lattice node about which the spots are
/// most symmetric (Friedel pairs of equal intensity); the least-squares fit then refines it with
/// the lattice as the node all indexed spots are counted from.
PatternFitOutcome FitPattern(const std::vector<Spot>& spots, int width, int height,
                             std::optional<Vec2> centre = std::nullopt);

} // namespace spot
