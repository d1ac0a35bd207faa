// The calculator's boxes: which box holds which index, angle and zone-axis component, how the
// boxes are read, and the texts of an emptied calculator.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "core/boxes.hpp"
#include "core/metric.hpp"

namespace spot {

/// Rows R1, R2, R3; columns h, k, l.
inline constexpr Box kCalculatorIndexBoxes[3][3] = {{Box::CalcH1, Box::CalcK1, Box::CalcL1},
                                                    {Box::CalcH2, Box::CalcK2, Box::CalcL2},
                                                    {Box::CalcH3, Box::CalcK3, Box::CalcL3}};
/// <R1,R2>, <R2,R3>, <R1,R3>.
inline constexpr std::array<Box, 3> kCalculatorAngleBoxes = {Box::CalcAngle12, Box::CalcAngle23,
                                                             Box::CalcAngle13};
/// Zone axis u, v, w.
inline constexpr std::array<Box, 3> kCalculatorZoneBoxes = {Box::CalcZoneU, Box::CalcZoneV,
                                                            Box::CalcZoneW};
/// The planes of each angle, in the order of kCalculatorAngleBoxes.
inline constexpr int kCalculatorAnglePairs[3][2] = {{0, 1}, {1, 2}, {0, 2}};

/// The first index box, in element order (R1 h, R2 h, R3 h, R1 k, ...), whose text is not a
/// number; nullopt when all nine are numbers.
std::optional<Box> FirstNonNumericIndexBox(const BoxTexts& boxes);

/// R1, R2, R3 from the index boxes (numeric-prefix reading).
std::array<PlaneVector, 3> ReadCalculatorPlanes(const BoxTexts& boxes);

/// Caption of the spacing label of plane 0..2: "d1=0.4000000", or "d1= ***" when there is no
/// spacing to show (an emptied or stopped calculator).
std::string SpacingCaption(int plane, const std::optional<double>& spacingNm);

} // namespace spot
