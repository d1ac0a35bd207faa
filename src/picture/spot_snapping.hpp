// Snapping a point to a found spot: what the window does with a line end released near a spot.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "picture/spot_finder.hpp"

namespace spot {

/// A point snaps to a spot within this many spot widths (Gaussian sigmas) of its centre.
inline constexpr double kSnapWidths = 1.5;

/// The position in `spots` of the spot nearest to (x, y) among those whose centre lies within
/// kSnapWidths of their width from it (picture pixels); nullopt when there is none.
std::optional<std::size_t> SnapToSpot(const std::vector<Spot>& spots, double x, double y);

} // namespace spot
