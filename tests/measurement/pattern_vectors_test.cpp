// The measure dialog's "OK": boxes written, measured vectors, and the three pattern angles.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "core/numeric_text.hpp"
#include "measurement/pattern_vectors.hpp"

namespace spot {
namespace {

/// A line of length 100 at `degrees` from the x axis, drawn from the centre or towards it.
PictureLine lineAtAngle(double degrees, bool reversed) {
  const double r = degrees * std::numbers::pi / 180;
  const PicturePoint centre{500, 500}, tip{500 + 100 * std::cos(r), 500 - 100 * std::sin(r)};
  return reversed ? PictureLine{tip, centre} : PictureLine{centre, tip};
}

TEST(PatternAngles, SixtyThirtyThirtyWhicheverEndEachLineStartedFrom) {
  // R1 at 0°, R2 at 60°, R3 on the bisector at 30°: <R1,R2> = 60, <R2,R3> = <R1,R3> = 30.
  for (int ends = 0; ends < 8; ++ends) {
    BoxTexts boxes;
    PatternVectors vectors;
    vectors.reset();
    const std::array<double, 3> directions = {0, 60, 30};
    std::vector<Box> written;
    for (int i = 0; i < 3; ++i)
      written =
          ConfirmMeasuredLine(static_cast<LineRole>(i + 1), "1",
                              lineAtAngle(directions[i], (ends >> i) & 1), 100, vectors, boxes);
    EXPECT_EQ(written, (std::vector<Box>{Box::Length3, Box::Number3, Box::Angle12, Box::Angle23,
                                         Box::Angle13}));
    EXPECT_NEAR(NumericPrefix(boxes[Box::Angle12]), 60, 1e-9) << ends;
    EXPECT_NEAR(NumericPrefix(boxes[Box::Angle23]), 30, 1e-9) << ends;
    EXPECT_NEAR(NumericPrefix(boxes[Box::Angle13]), 30, 1e-9) << ends;
  }
}

TEST(PatternAngles, OkWritesTheRoleBoxesAndAnglesOnlyOnceAllThreeAreMeasured) {
  BoxTexts boxes;
  boxes[Box::Angle12] = "old";
  PatternVectors vectors;
  // Before any Clean the vectors are zero: R1 alone fails the angle step, boxes keep old text.
  EXPECT_EQ(AngleCandidatesOf(vectors).fault, AngleFault::ZeroLengthVector);
  ConfirmMeasuredLine(LineRole::R1, "2", lineAtAngle(0, false), 212.13203430175781, vectors, boxes);
  EXPECT_EQ(boxes[Box::Length1], "212.132034301758"); // the unrounded length, general form
  EXPECT_EQ(boxes[Box::Number1], "2");
  EXPECT_EQ(vectors.X1, -100); // start minus end
  EXPECT_EQ(vectors.Measured1, 1);
  boxes[Box::Number2] = "3";
  ConfirmMeasuredLine(LineRole::R2, "", lineAtAngle(90, false), 50, vectors, boxes);
  EXPECT_EQ(boxes[Box::Angle12], "old");
  EXPECT_EQ(boxes[Box::Length2], "50");
  EXPECT_EQ(boxes[Box::Number2], "3"); // Return on an empty entry keeps the number

  const PatternVectors before = vectors;
  const std::vector<Box> written =
      ConfirmMeasuredLine(LineRole::ScaleBar, "5.0", lineAtAngle(45, false), 80, vectors, boxes);
  EXPECT_EQ(written, (std::vector<Box>{Box::ScaleBarLength, Box::ScaleBarValue}));
  EXPECT_EQ(boxes[Box::ScaleBarValue], "5.0");
  // A blank entry measures the bar again but keeps its value.
  EXPECT_EQ(
      ConfirmMeasuredLine(LineRole::ScaleBar, " ", lineAtAngle(45, false), 81, vectors, boxes),
      std::vector<Box>{Box::ScaleBarLength});
  EXPECT_EQ(boxes[Box::ScaleBarValue], "5.0");
  EXPECT_EQ(boxes[Box::ScaleBarLength], "81");
  EXPECT_EQ(vectors.X2, before.X2);
  EXPECT_EQ(vectors.Measured3, 0);

  // R3 at 45° lies between R1 (0°) and R2 (90°): 90, 45, 45. Then a new R1 at 10° gives 80, 35, 45.
  ConfirmMeasuredLine(LineRole::R3, "1", lineAtAngle(45, true), 70, vectors, boxes);
  EXPECT_NEAR(NumericPrefix(boxes[Box::Angle12]), 90, 1e-9);
  ConfirmMeasuredLine(LineRole::R1, "1", lineAtAngle(10, false), 100, vectors, boxes);
  EXPECT_NEAR(NumericPrefix(boxes[Box::Angle12]), 80, 1e-9);
  EXPECT_NEAR(NumericPrefix(boxes[Box::Angle23]), 45, 1e-9);
  EXPECT_NEAR(NumericPrefix(boxes[Box::Angle13]), 35, 1e-9);

  // Clean empties the eleven boxes of the "Picture measurement" frame, Text1(22)..Text1(26) and
  // Text1(30)..Text1(35), and no other.
  for (int i = 0; i < kBoxCount; ++i)
    boxes[i] += "kept";
  CleanPictureMeasurement(boxes, vectors);
  for (int i = 0; i < kBoxCount; ++i)
    EXPECT_EQ(boxes[i].empty(), (i >= 22 && i <= 26) || (i >= 30 && i <= 35)) << i;
  EXPECT_FALSE(PatternAngles(vectors));                             // nothing measured since Clean
  vectors.X1 = 3, vectors.Y1 = 4, vectors.X2 = -6, vectors.Y2 = -8; // c = -50 / 5 / 10 = -1
  EXPECT_EQ(AngleCandidatesOf(vectors).fault, AngleFault::ParallelVectors);
}

TEST(PatternAngles, ConsistencyTestBoundaryNoAgreementAndLastCombinationWins) {
  const auto table = [](double a12, double a23, double a13) {
    return AngleCandidates{{{a12, 180 - a12}, {a23, 180 - a23}, {a13, 180 - a13}}};
  };
  // 30 + 30 - 61 = -1: exactly one degree agrees; 61.5 agrees in no combination.
  ASSERT_TRUE(ChooseConsistentAngles(table(61, 30, 30)));
  EXPECT_EQ((*ChooseConsistentAngles(table(61, 30, 30)))[0], 61);
  EXPECT_FALSE(ChooseConsistentAngles(table(61.5, 30, 30)));
  // Three lines 10° apart pairwise cannot exist: every combination is 10° or more off.
  EXPECT_FALSE(ChooseConsistentAngles(table(10, 10, 10)));
  // 45 + 45 against 90.4 (a = 1st) and against its supplement 89.6 (a = 2nd): the later wins.
  EXPECT_NEAR((*ChooseConsistentAngles(table(90.4, 45, 45)))[0], 89.6, 1e-12);
}

TEST(PatternAngles, AllThreeMustBeMeasuredAndEachFaultIsNamed) {
  // R1 along x, R2 along y, R3 on the diagonal: 90, 45, 45 once all three count as measured.
  PatternVectors vectors;
  vectors.X1 = 1, vectors.Y1 = 0, vectors.X2 = 0, vectors.Y2 = 1, vectors.X3 = 1, vectors.Y3 = 1;
  for (int missing = 0; missing < 3; ++missing) {
    vectors.Measured1 = missing != 0, vectors.Measured2 = missing != 1;
    vectors.Measured3 = missing != 2;
    EXPECT_FALSE(PatternAngles(vectors)) << missing;
  }
  vectors.Measured1 = vectors.Measured2 = vectors.Measured3 = 1;
  ASSERT_TRUE(PatternAngles(vectors));
  EXPECT_NEAR((*PatternAngles(vectors))[0], 90, 1e-12);
  // One vector of length 0 is that fault, not a parallel pair.
  vectors.X2 = vectors.Y2 = 0;
  EXPECT_EQ(AngleCandidatesOf(vectors).fault, AngleFault::ZeroLengthVector);
  EXPECT_FALSE(PatternAngles(vectors));
  // Clean puts 1 in every component, and counts none as measured.
  BoxTexts boxes;
  CleanPictureMeasurement(boxes, vectors);
  EXPECT_EQ(std::vector({vectors.X1, vectors.Y1, vectors.X2, vectors.Y2, vectors.X3, vectors.Y3}),
            std::vector<double>(6, 1.0));
  EXPECT_EQ(vectors.Measured1 + vectors.Measured2 + vectors.Measured3, 0);
  EXPECT_FALSE(PatternAngles(vectors));
}

TEST(PatternAngles, DialogCaptions) {
  EXPECT_EQ(RoleLengthCaption(LineRole::ScaleBar, 212.132), "Scale bar length is 212.13px");
  EXPECT_EQ(RoleLengthCaption(LineRole::R2, 123.456), "R2 length is 123.46px");
  EXPECT_EQ(RoleLengthCaption(LineRole::R3, 1234.5),
            "R3 length is 1234.5px"); // "1,234.50" read back
  EXPECT_EQ(RoleEntryCaption(LineRole::ScaleBar), "        1/nm");
  EXPECT_EQ(RoleEntryCaption(LineRole::R1), "       times length");
  EXPECT_FALSE(LineRoleFromIndex(4));
  EXPECT_FALSE(LineRoleFromIndex(-1));
  EXPECT_EQ(LineRoleFromIndex(0), LineRole::ScaleBar);
  EXPECT_EQ(LineRoleFromIndex(3), LineRole::R3);
}

} // namespace
} // namespace spot
