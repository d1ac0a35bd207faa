// The box array: what a new window shows and the names messages give the boxes.
#include <gtest/gtest.h>

#include "core/boxes.hpp"

namespace spot {
namespace {

TEST(Boxes, InitialTextsAndCaptions) {
  // A new window: "***" in the calculator's outputs (15..20), range 5, spacing tolerances
  // 0.008 nm (27..29), angle tolerances 2 degrees (36..38), every other box empty.
  const BoxTexts boxes = BoxTexts::Initial();
  for (int i = 0; i < kBoxCount; ++i) {
    const char* expected = i >= 15 && i <= 20   ? "***"
                           : i == 21            ? "5"
                           : i >= 27 && i <= 29 ? "0.008"
                           : i >= 36 && i <= 38 ? "2"
                                                : "";
    EXPECT_EQ(boxes[i], expected) << i;
  }
  // The calculator's index boxes run R1 h, R2 h, R3 h, R1 k, ...: element 6 + 3·index + plane.
  const std::pair<Box, const char*> captions[] = {{Box::Gamma, "γ"},
                                                  {Box::CalcH1, "R1 h"},
                                                  {Box::CalcK2, "R2 k"},
                                                  {Box::CalcL3, "R3 l"},
                                                  {Box::CalcH3, "R3 h"},
                                                  {Box::CalcL1, "R1 l"},
                                                  {Box::CalcH2, "R2 h"},
                                                  {Box::CalcK1, "R1 k"},
                                                  {Box::CalcK3, "R3 k"},
                                                  {Box::CalcL2, "R2 l"},
                                                  {Box::IndexRange, "Index range"},
                                                  {Box::Length3, "Length of R3 (px)"},
                                                  {Box::AngleTol13, "<R1,R3> tolerance (deg.)"}};
  for (const auto& [box, caption] : captions)
    EXPECT_EQ(BoxCaption(box), caption) << BoxNumber(box);
  // The calculator's outputs are Text1(15) to Text1(20): <R1,R2>, <R2,R3>, <R1,R3>, u, v, w.
  const Box outputs[] = {Box::CalcAngle12, Box::CalcAngle23, Box::CalcAngle13,
                         Box::CalcZoneU,   Box::CalcZoneV,   Box::CalcZoneW};
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(BoxCaption(outputs[i]), "Text1(" + std::to_string(15 + i) + ")");
}

} // namespace
} // namespace spot
