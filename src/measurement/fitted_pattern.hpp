// A pattern measured from all its spots, written into the boxes as if its three vectors had
// been drawn from the centre and confirmed one by one through the measure dialog.
#pragma once

#include <array>
#include <vector>

#include "core/boxes.hpp"
#include "measurement/line_slots.hpp"
#include "measurement/pattern_vectors.hpp"

namespace spot {

/// The three lines of a fitted pattern: from the centre to the tip of R1, R2 and R3.
std::array<PictureLine, 3> FittedPatternLines(const PicturePoint& centre,
                                              const std::array<PicturePoint, 3>& vectors);

/// Confirms the lines of FittedPatternLines as R1, R2 and R3, each spanning one spot spacing
/// (Number "1"): the lengths keep every decimal, the angles follow once all three are in, the
/// vectors are recorded. The scale bar boxes stay as they are. Returns the boxes written, in
/// writing order.
std::vector<Box> ConfirmFittedPattern(const PicturePoint& centre,
                                      const std::array<PicturePoint, 3>& vectors,
                                      PatternVectors& patternVectors, BoxTexts& boxes);

} // namespace spot
