// Three confirmed lines from one fitted pattern, through the same "OK" as lines drawn by hand.
#include "measurement/fitted_pattern.hpp"

#include <cmath> // for hypot

namespace spot {

std::array<PictureLine, 3> FittedPatternLines(const PicturePoint& centre,
                                              const std::array<PicturePoint, 3>& vectors) {
  std::array<PictureLine, 3> lines;
  for (std::size_t i = 0; i < 3; ++i)
    lines[i] = {centre, {centre.x + vectors[i].x, centre.y + vectors[i].y}};
  return lines;
}

std::vector<Box> ConfirmFittedPattern(const PicturePoint& centre,
                                      const std::array<PicturePoint, 3>& vectors,
                                      PatternVectors& patternVectors, BoxTexts& boxes) {
  const std::array<PictureLine, 3> lines = FittedPatternLines(centre, vectors);
  constexpr std::array<LineRole, 3> roles = {LineRole::R1, LineRole::R2, LineRole::R3};
  std::vector<Box> written;
  for (std::size_t i = 0; i < 3; ++i) {
    const double lengthPx =
        std::hypot(lines[i].end.x - lines[i].start.x, lines[i].end.y - lines[i].start.y);
    for (Box box : ConfirmMeasuredLine(roles[i], "1", lines[i], lengthPx, patternVectors, boxes))
      written.push_back(box);
  }
  return written;
}

} // namespace spot
