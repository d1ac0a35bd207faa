// The nearest spot within reach of a point.
#include "picture/spot_snapping.hpp"

#include <cmath> // for hypot

namespace spot {

std::optional<std::size_t> SnapToSpot(const std::vector<Spot>& spots, double x, double y) {
  std::optional<std::size_t> nearest;
  double nearestDistance = 0;
  for (std::size_t i = 0; i < spots.size(); ++i) {
    const double distance = std::hypot(spots[i].x - x, spots[i].y - y);
    if (!(distance <= kSnapWidths * spots[i].width)) continue;
    if (!nearest || distance < nearestDistance) {
      nearest = i;
      nearestDistance = distance;
    }
  }
  return nearest;
}

} // namespace spot
