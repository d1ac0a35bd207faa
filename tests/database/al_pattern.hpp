// The batch and report tests' measurement: Al's [001] zone as picture lengths.
#pragma once

#include "core/boxes.hpp"

namespace spot::testing {

/// [001] zone of a face-centred cube: R1 = (200), R2 = (020), R3 = (220); for Al (a = 0.405)
/// d200 = 0.2025 and d220 = 0.1432, so Length = Number·k/d = 10/0.2025 = 49.3827 and
/// 10/0.1432 = 69.8377 px with k = 100 px per 10 /nm; angles 90, 45, 45 degrees. NaCl
/// (a = 0.564) fits the same spots with {220} (0.1994) and {400} (0.1410), which needs index
/// range 4; Cu (a = 0.361) offers only {111} (0.2084) near 0.2025, and two {111} planes are never
/// 90 degrees apart: no rows.
inline BoxTexts AlPattern() {
  BoxTexts boxes = BoxTexts::Initial();
  boxes[Box::IndexRange] = "4";
  boxes[Box::ScaleBarValue] = "10";
  boxes[Box::ScaleBarLength] = "100";
  for (Box b : {Box::Length1, Box::Length2})
    boxes[b] = "49.3827";
  boxes[Box::Length3] = "69.8377";
  for (Box b : {Box::Number1, Box::Number2, Box::Number3})
    boxes[b] = "1";
  boxes[Box::Angle12] = "90";
  boxes[Box::Angle23] = "45";
  boxes[Box::Angle13] = "45";
  return boxes;
}

} // namespace spot::testing
