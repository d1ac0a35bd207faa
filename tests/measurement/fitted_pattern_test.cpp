// A fitted pattern confirmed into the boxes as three lines from the centre.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "core/numeric_text.hpp"
#include "measurement/fitted_pattern.hpp"

namespace spot {
namespace {

// R1 = (30, 0), R2 = (0, -40), R3 = (30, -40): a 3-4-5 triangle, so the lengths are 30, 40, 50,
// <R1,R2> = 90, <R2,R3> = atan(30/40) = 36.8699 and <R1,R3> = atan(40/30) = 53.1301 degrees.
// Lengths with decimals keep them all.
TEST(FittedPattern, ConfirmsThreeLinesFromTheCentreWithEveryDecimal) {
  BoxTexts boxes = BoxTexts::Initial();
  boxes[Box::ScaleBarValue] = "5";
  boxes[Box::ScaleBarLength] = "120";
  PatternVectors vectors;
  vectors.reset();
  const std::vector<Box> written =
      ConfirmFittedPattern({100.5, 200.25}, {{{30, 0}, {0, -40}, {30, -40}}}, vectors, boxes);
  EXPECT_EQ(written,
            (std::vector<Box>{Box::Length1, Box::Number1, Box::Length2, Box::Number2, Box::Length3,
                              Box::Number3, Box::Angle12, Box::Angle23, Box::Angle13}));
  EXPECT_EQ(boxes[Box::Length1], "30");
  EXPECT_EQ(boxes[Box::Length2], "40");
  EXPECT_EQ(boxes[Box::Length3], "50");
  for (Box number : {Box::Number1, Box::Number2, Box::Number3})
    EXPECT_EQ(boxes[number], "1");
  EXPECT_NEAR(NumericPrefix(boxes[Box::Angle12]), 90, 1e-9);
  EXPECT_NEAR(NumericPrefix(boxes[Box::Angle23]), std::atan(30.0 / 40) * 180 / std::numbers::pi,
              1e-9);
  EXPECT_NEAR(NumericPrefix(boxes[Box::Angle13]), std::atan(40.0 / 30) * 180 / std::numbers::pi,
              1e-9);
  EXPECT_EQ(boxes[Box::ScaleBarValue], "5"); // the scale bar is the user's
  EXPECT_EQ(boxes[Box::ScaleBarLength], "120");
  EXPECT_TRUE(vectors.allMeasured());

  const std::array<PictureLine, 3> lines =
      FittedPatternLines({100.5, 200.25}, {{{30, 0}, {0, -40}, {30, -40}}});
  EXPECT_EQ(lines[1].start.x, 100.5);
  EXPECT_EQ(lines[1].end.y, 160.25);

  ConfirmFittedPattern({0, 0}, {{{12.345678, 0}, {0, 20}, {12.345678, 20}}}, vectors, boxes);
  EXPECT_EQ(boxes[Box::Length1], "12.345678");
}

} // namespace
} // namespace spot
