// The tolerance filter: strict tests against the measured pattern, the slider positions and the
// texts the sliders write.
#include <gtest/gtest.h>

#include "core/number_format.hpp"
#include "indexing/tolerance_filter.hpp"

namespace spot {
namespace {

// Scale bar 5 1/nm over 100 px; R1 = 100 px, R2 = 80 px, R3 = 200 px, one spacing each:
// di = (1 / Li) · (100 / 5) gives 0.2, 0.25 and 0.1 nm; angles 80, 35, 45. Six different
// numbers, so that a value compared with the wrong box shows.
BoxTexts Measured() {
  BoxTexts boxes = BoxTexts::Initial();
  boxes[Box::ScaleBarValue] = "5";
  boxes[Box::ScaleBarLength] = "100";
  boxes[Box::Length1] = "100";
  boxes[Box::Length2] = "80";
  boxes[Box::Length3] = "200";
  boxes[Box::Number1] = "1";
  boxes[Box::Number2] = "1";
  boxes[Box::Number3] = "1";
  boxes[Box::Angle12] = "80";
  boxes[Box::Angle23] = "35";
  boxes[Box::Angle13] = "45";
  return boxes;
}

const RowValues kExact{{0.2, 0.25, 0.1}, {80, 35, 45}};

TEST(ToleranceFilter, EveryTestIsStrictAndAllSixAreApplied) {
  BoxTexts boxes = Measured();
  // 0.25 and 2.5 are exact in binary, so the differences below equal the tolerances exactly.
  boxes[Box::DTol1] = "0.25";
  boxes[Box::AngleTol23] = "2.5";
  const RowValues atD1Edge{{0.2 + 0.25, 0.25, 0.1}, {80, 35, 45}};
  const RowValues atAngleEdge{{0.2, 0.25, 0.1}, {80, 37.5, 45}};
  const RowValues insideBoth{{0.2 + 0.125, 0.25, 0.1}, {80, 36.25, 45}};
  const std::vector<RowValues> rows = {kExact, atD1Edge, atAngleEdge, insideBoth};
  const FilterResult result = ApplyToleranceFilter(rows, boxes);
  EXPECT_EQ(result.pass, (std::vector<unsigned char>{1, 0, 0, 1}));
  EXPECT_EQ(result.passCount, 2u);

  // Each of the six values in turn off by more than its default tolerance (0.008 nm, 2 degrees)
  // and no other: the row fails; widening that one box, and no other, lets it pass.
  for (std::size_t q = 0; q < kToleranceBoxes.size(); ++q) {
    RowValues off = kExact;
    if (q < 3)
      off.d[q] -= 0.01;
    else
      off.angle[q - 3] += 2.5;
    for (std::size_t widened = 0; widened < kToleranceBoxes.size(); ++widened) {
      BoxTexts b = Measured();
      b[kToleranceBoxes[widened]] = widened < 3 ? "0.02" : "3";
      EXPECT_EQ(ApplyToleranceFilter(std::vector<RowValues>{off}, b).passCount,
                widened == q ? 1u : 0u)
          << "value " << q << ", box " << BoxCaption(kToleranceBoxes[widened]);
    }
    EXPECT_EQ(ApplyToleranceFilter(std::vector<RowValues>{off}, Measured()).passCount, 0u) << q;
  }

  // A tolerance of 0 (or a box without a number) admits nothing, not even an exact match.
  for (Box box : kToleranceBoxes) {
    boxes = Measured();
    boxes[box] = "abc";
    EXPECT_EQ(ApplyToleranceFilter(std::vector<RowValues>{kExact}, boxes).passCount, 0u)
        << BoxCaption(box);
  }
}

TEST(ToleranceFilter, MeasuredSpacingsFollowTheBoxesAndFailWhenTheyCannotBeFormed) {
  BoxTexts boxes = Measured();
  const FilterReference measured = ReadFilterReference(boxes);
  EXPECT_EQ(measured.d, (std::array<double, 3>{0.2, 0.25, 0.1}));
  EXPECT_EQ(measured.angle, (std::array<double, 3>{80, 35, 45}));
  EXPECT_EQ(measured.dDefined, (std::array<bool, 3>{true, true, true}));
  boxes[Box::Number3] = "2"; // two spacings over 200 px: (2 / 200) · (100 / 5) = 0.2 nm
  EXPECT_DOUBLE_EQ(ReadFilterReference(boxes).d[2], 0.2);

  const std::vector<RowValues> rows = {{{0.2, 0.25, 0.2}, {80, 35, 45}}};
  EXPECT_EQ(ApplyToleranceFilter(rows, boxes).passCount, 1u);
  // Cleared lengths or scale bar: no measured spacing, so no row can agree with it, however
  // wide the tolerance.
  boxes[Box::DTol2] = "1000";
  boxes[Box::Length2] = "";
  EXPECT_FALSE(ReadFilterReference(boxes).dDefined[1]);
  EXPECT_EQ(ReadFilterReference(boxes).d[1], 0.0);
  EXPECT_EQ(ApplyToleranceFilter(rows, boxes).passCount, 0u);
  boxes[Box::Length2] = "80";
  boxes[Box::ScaleBarValue] = "0";
  EXPECT_EQ(ApplyToleranceFilter(rows, boxes).passCount, 0u);
  EXPECT_EQ(ReadFilterReference(boxes).dDefined, (std::array<bool, 3>{false, false, false}));
}

TEST(ToleranceFilter, CellsReadBackIncludingDigitGrouping) {
  EXPECT_DOUBLE_EQ(CellNumber("0.2000000"), 0.2);
  EXPECT_DOUBLE_EQ(CellNumber("-0.5000"), -0.5);
  EXPECT_DOUBLE_EQ(CellNumber("1,234.5000000"), 1234.5); // FormatSpacing(1234.5)
  EXPECT_EQ(FormatSpacing(1234.5), "1,234.5000000");
}

TEST(ToleranceSliders, PositionsRoundHalvesToEvenAndStayOnTheSlider) {
  // 0.01 / 0.06 · 100 = 16.67; 0.008 gives 13.33; 2 / 4 · 100 = 50.
  EXPECT_EQ(SliderPositionFor(Box::DTol1, 0.01), 17);
  EXPECT_EQ(SliderPositionFor(Box::DTol2, 0.008), 13);
  EXPECT_EQ(SliderPositionFor(Box::AngleTol12, 2.0), 50);
  // 1.5 / 4 · 100 = 37.5 goes to 38; 0.5 / 4 · 100 = 12.5 goes to 12.
  EXPECT_EQ(SliderPositionFor(Box::AngleTol12, 1.5), 38);
  EXPECT_EQ(SliderPositionFor(Box::AngleTol23, 0.5), 12);
  // Beyond the ends the slider shows its end.
  EXPECT_EQ(SliderPositionFor(Box::DTol3, 0.5), 100);
  EXPECT_EQ(SliderPositionFor(Box::AngleTol13, -1.0), 0);
  EXPECT_EQ(SliderPositionFor(Box::AngleTol13, 1e300 * 1e300), 100);
}

TEST(ToleranceSliders, WriteTheirValueAndSpacingSlidersComeBackToTheSamePosition) {
  EXPECT_EQ(SliderToleranceText(Box::DTol1, 13), "0.0078"); // 13 · 0.06 / 100
  EXPECT_EQ(SliderToleranceText(Box::DTol3, 100), "0.0600");
  EXPECT_EQ(SliderToleranceText(Box::AngleTol12, 50), "2.0");
  EXPECT_EQ(SliderToleranceText(Box::AngleTol12, 37), "1.5"); // 1.48
  EXPECT_EQ(SliderToleranceText(Box::AngleTol13, 13), "0.5"); // 0.52
  for (int p = 0; p <= kSliderMaximum; ++p) {
    const std::string text = SliderToleranceText(Box::DTol2, p);
    EXPECT_EQ(SliderPositionFor(Box::DTol2, CellNumber(text)), p) << text;
  }
  EXPECT_EQ(DefaultToleranceText(Box::DTol1), "0.0080");
  EXPECT_EQ(DefaultToleranceText(Box::AngleTol23), "2");
  EXPECT_EQ(SliderNumberOf(Box::DTol1), 1);
  EXPECT_EQ(SliderNumberOf(Box::AngleTol13), 6);
  EXPECT_EQ(SliderNumberOf(Box::Length1), 0);
  // The tolerance boxes are Text1(27)..Text1(29) (spacings) and Text1(36)..Text1(38) (angles).
  for (int i = 0; i < kBoxCount; ++i) {
    const Box box = static_cast<Box>(i);
    EXPECT_EQ(IsSpacingToleranceBox(box), i >= 27 && i <= 29) << i;
    EXPECT_EQ(IsToleranceBox(box), (i >= 27 && i <= 29) || (i >= 36 && i <= 38)) << i;
  }
}

} // namespace
} // namespace spot
