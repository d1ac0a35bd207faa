// "Calculate" over box texts: the order of checks, the two messages, faults naming their box.
#include <gtest/gtest.h>

#include <tuple>

#include "indexing/result_text.hpp"
#include "indexing/run_search.hpp"

namespace spot {
namespace {

BoxTexts cubicExample() {
  BoxTexts boxes = BoxTexts::Initial();
  for (Box b : {Box::A, Box::B, Box::C})
    boxes[b] = "0.4";
  for (Box b : {Box::Alpha, Box::Beta, Box::Gamma})
    boxes[b] = "90";
  boxes[Box::IndexRange] = "2";
  boxes[Box::ScaleBarValue] = "5";
  boxes[Box::ScaleBarLength] = "100";
  boxes[Box::Length1] = "100";
  boxes[Box::Length2] = "100";
  boxes[Box::Length3] = "141.4213562";
  for (Box b : {Box::Number1, Box::Number2, Box::Number3})
    boxes[b] = "1";
  boxes[Box::Angle12] = "90";
  boxes[Box::Angle23] = "45";
  boxes[Box::Angle13] = "45";
  return boxes;
}

TEST(RunIndexingSearch, CubicExampleFromBoxTexts) {
  const SearchOutcome outcome = RunIndexingSearch(cubicExample(), LatticeType::FaceCenter);
  EXPECT_EQ(outcome.inputError, false);
  EXPECT_TRUE(outcome.completed);
  EXPECT_FALSE(outcome.fault);
  EXPECT_EQ(outcome.rows.size(), 24u);
  // 100 px / 5 (1/nm) = 20 px per 1/nm; d = 1 × 20 / 100 = 0.2 nm; 20 / 141.42... = 0.1414214.
  EXPECT_EQ(outcome.summary, "0.2000000   0.2000000   0.1414214      90.0000   45.0000    45.0000");
}

TEST(RunIndexingSearch, ValidationOrderAndMessages) {
  BoxTexts boxes = cubicExample();
  boxes[Box::C] = "x";
  boxes[Box::Gamma] = "";
  boxes[Box::Length1] = "y";
  SearchOutcome outcome = RunIndexingSearch(boxes, LatticeType::FaceCenter);
  ASSERT_TRUE(outcome.rejection);
  EXPECT_EQ(outcome.rejection->box, Box::C); // first phase box in element order
  EXPECT_EQ(outcome.rejection->message, kMessagePhaseBoxes);
  EXPECT_EQ(outcome.inputError, true);
  EXPECT_FALSE(outcome.summary);

  boxes = cubicExample();
  boxes[Box::AngleTol13] = "2deg";
  boxes[Box::Number2] = "1,0";
  outcome = RunIndexingSearch(boxes, LatticeType::FaceCenter);
  ASSERT_TRUE(outcome.rejection);
  EXPECT_EQ(outcome.rejection->box, Box::Number2);
  EXPECT_EQ(outcome.rejection->message, kMessageMeasurementBoxes);
  EXPECT_FALSE(outcome.summary); // the summary changes only after validation passed
}

TEST(RunIndexingSearch, EachGroupIsValidatedToItsEnds) {
  // A single box without a number, at the ends of the two groups (a..γ, index range..<R1,R3>
  // tolerance) and inside them; the calculator's boxes between the groups are not looked at.
  const std::pair<Box, std::string_view> rejected[] = {
      {Box::A, kMessagePhaseBoxes},
      {Box::Gamma, kMessagePhaseBoxes},
      {Box::IndexRange, kMessageMeasurementBoxes},
      {Box::ScaleBarLength, kMessageMeasurementBoxes},
      {Box::DTol3, kMessageMeasurementBoxes},
      {Box::AngleTol13, kMessageMeasurementBoxes}};
  for (const auto& [box, message] : rejected) {
    BoxTexts boxes = cubicExample();
    boxes[box] = "n/a";
    const SearchOutcome outcome = RunIndexingSearch(boxes, LatticeType::FaceCenter);
    ASSERT_TRUE(outcome.rejection) << BoxCaption(box);
    EXPECT_EQ(outcome.rejection->box, box);
    EXPECT_EQ(outcome.rejection->message, message) << BoxCaption(box);
    EXPECT_TRUE(outcome.rows.empty());
  }
  BoxTexts boxes = cubicExample();
  boxes[Box::CalcH1] = "x";
  boxes[Box::CalcZoneW] = "***";
  EXPECT_EQ(RunIndexingSearch(boxes, LatticeType::FaceCenter).rows.size(), 24u);

  // Every phase box goes to its own parameter.
  boxes[Box::A] = "0.5";
  boxes[Box::B] = "0.6";
  boxes[Box::C] = "0.7";
  boxes[Box::Alpha] = "80";
  boxes[Box::Beta] = "100";
  boxes[Box::Gamma] = "110";
  const LatticeParameters cell = ReadLatticeParameters(boxes);
  EXPECT_EQ(std::vector({cell.a, cell.b, cell.c, cell.alpha, cell.beta, cell.gamma}),
            std::vector({0.5, 0.6, 0.7, 80.0, 100.0, 110.0}));
}

TEST(ReadMeasuredPattern, EachLineGivesItsOwnSpacingAndTheFirstZeroDivisorIsNamed) {
  // Scale bar 200 px for 10 1/nm: 20 px per 1/nm. R1 = 2 spacings over 80 px, R2 = 1 over 50,
  // R3 = 3 over 240: d = N · 20 / L = 0.5, 0.4, 0.25 nm.
  BoxTexts boxes = cubicExample();
  boxes[Box::ScaleBarValue] = "10";
  boxes[Box::ScaleBarLength] = "200";
  boxes[Box::Length1] = "80";
  boxes[Box::Number1] = "2";
  boxes[Box::Length2] = "50";
  boxes[Box::Number2] = "1";
  boxes[Box::Length3] = "240";
  boxes[Box::Number3] = "3";
  boxes[Box::Angle12] = "70";
  boxes[Box::Angle23] = "30";
  boxes[Box::Angle13] = "40";
  boxes[Box::DTol1] = "0.1";
  boxes[Box::DTol2] = "0.2";
  boxes[Box::DTol3] = "0.3";
  boxes[Box::AngleTol12] = "1";
  boxes[Box::AngleTol23] = "2";
  boxes[Box::AngleTol13] = "3";
  const PatternReading reading = ReadMeasuredPattern(boxes);
  ASSERT_FALSE(reading.fault);
  EXPECT_DOUBLE_EQ(reading.pattern.scaleRatio, 20.0);
  EXPECT_DOUBLE_EQ(reading.pattern.d[0], 0.5);
  EXPECT_DOUBLE_EQ(reading.pattern.d[1], 0.4);
  EXPECT_DOUBLE_EQ(reading.pattern.d[2], 0.25);
  EXPECT_EQ(reading.pattern.angle, (std::array<double, 3>{70, 30, 40}));
  EXPECT_EQ(reading.pattern.dTol, (std::array<double, 3>{0.1, 0.2, 0.3}));
  EXPECT_EQ(reading.pattern.angleTol, (std::array<double, 3>{1, 2, 3}));

  // Zero lengths are found in the order R1, R2, R3; absurd numbers overflow into their own fault.
  const std::pair<std::vector<std::pair<Box, const char*>>, SearchFault> faults[] = {
      {{{Box::Length1, "0"}, {Box::Length3, "0"}}, SearchFault::ZeroLength1},
      {{{Box::Length3, "0"}}, SearchFault::ZeroLength3},
      {{{Box::Length2, "0"}, {Box::Length3, "0"}}, SearchFault::ZeroLength2},
      {{{Box::ScaleBarLength, "1e300"}, {Box::ScaleBarValue, "1e-300"}, {Box::Length1, "0"}},
       SearchFault::ScaleOutOfRange}, // the scale is formed before any length is looked at
      {{{Box::Number2, "1e300"}, {Box::Length2, "1e-300"}}, SearchFault::ScaleOutOfRange}};
  for (const auto& [changes, fault] : faults) {
    BoxTexts changed = boxes;
    for (const auto& [box, text] : changes)
      changed[box] = text;
    EXPECT_EQ(ReadMeasuredPattern(changed).fault, fault) << FaultMessage(fault);
    EXPECT_EQ(RunIndexingSearch(changed, LatticeType::FaceCenter).fault, fault);
  }
}

TEST(RunIndexingSearch, FaultsComeAtTheirPointAndNameTheirBox) {
  BoxTexts boxes = cubicExample();
  boxes[Box::IndexRange] = "-1";
  SearchOutcome outcome = RunIndexingSearch(boxes, LatticeType::FaceCenter);
  EXPECT_EQ(outcome.fault, SearchFault::NegativeIndexRange);
  EXPECT_FALSE(outcome.inputError); // stopped before the flag was reset

  boxes[Box::IndexRange] = "1e300";
  EXPECT_EQ(RunIndexingSearch(boxes, LatticeType::FaceCenter).fault,
            SearchFault::IndexRangeTooLarge);

  boxes = cubicExample();
  boxes[Box::ScaleBarValue] = "0";
  boxes[Box::Length2] = "0";
  outcome = RunIndexingSearch(boxes, LatticeType::FaceCenter);
  EXPECT_EQ(outcome.fault, SearchFault::ZeroScaleBarValue); // the scale is formed first
  EXPECT_EQ(outcome.inputError, false);
  EXPECT_FALSE(outcome.summary);

  boxes[Box::ScaleBarValue] = "5";
  EXPECT_EQ(RunIndexingSearch(boxes, LatticeType::FaceCenter).fault, SearchFault::ZeroLength2);

  boxes = cubicExample();
  boxes[Box::Gamma] = "0";
  outcome = RunIndexingSearch(boxes, LatticeType::FaceCenter);
  EXPECT_EQ(outcome.fault, SearchFault::InvalidCell);
  EXPECT_TRUE(outcome.summary); // measured values were fine and are shown

  // Each fault names the box that holds its cause, quoted in words of its own, with the limit
  // it was given.
  SearchLimits limits;
  limits.maxIndexRange = 17;
  limits.maxRows = 23;
  limits.maxBatchRows = 29;
  const std::tuple<SearchFault, Box, const char*> named[] = {
      {SearchFault::NegativeIndexRange, Box::IndexRange, "is negative"},
      {SearchFault::IndexRangeTooLarge, Box::IndexRange, "at most 17."},
      {SearchFault::ZeroScaleBarValue, Box::ScaleBarValue, "printed on the scale bar"},
      {SearchFault::ZeroLength1, Box::Length1, "measure or enter the length"},
      {SearchFault::ZeroLength2, Box::Length2, "measure or enter the length"},
      {SearchFault::ZeroLength3, Box::Length3, "measure or enter the length"},
      {SearchFault::ScaleOutOfRange, Box::ScaleBarLength, "spacings too large"},
      {SearchFault::InvalidCell, Box::A, "a real cell"},
      {SearchFault::TooManyPairs, Box::DTol1, "would not end in time"},
      {SearchFault::TooManyRows, Box::DTol1, "more than 23 solutions and stopped"},
      {SearchFault::TooManyBatchRows, Box::DTol1, "more than 29 solutions together"}};
  for (const auto& [fault, box, words] : named) {
    const std::string message = FaultMessage(fault, limits);
    EXPECT_EQ(FaultBox(fault), box) << message;
    EXPECT_NE(message.find("\"" + BoxCaption(box) + "\""), std::string::npos) << message;
    EXPECT_NE(message.find(words), std::string::npos) << message;
  }
  EXPECT_EQ(FaultBox(SearchFault::Stopped), Box::IndexRange);
  EXPECT_EQ(FaultMessage(SearchFault::Stopped), "The run was stopped before it ended.");
}

TEST(CheckMeasurement, HonoursTheLimitsItIsGivenAndHandsOnWhatItRead) {
  BoxTexts boxes = cubicExample(); // index range 2
  SearchLimits tight;
  tight.maxIndexRange = 1;
  EXPECT_EQ(CheckMeasurement(boxes, tight).fault, SearchFault::IndexRangeTooLarge);
  EXPECT_EQ(RunIndexingSearch(boxes, LatticeType::FaceCenter, tight).fault,
            SearchFault::IndexRangeTooLarge);
  tight.maxIndexRange = 2; // the limit itself is allowed
  const CheckedMeasurement ok = CheckMeasurement(boxes, tight);
  ASSERT_FALSE(ok.fault);
  EXPECT_EQ(ok.indexRange, 2);
  EXPECT_DOUBLE_EQ(ok.pattern.d[2], 20 / 141.4213562); // 100 px / 5 per nm over Length3

  // The range is looked at before the pattern: both wrong names the range.
  boxes[Box::ScaleBarValue] = "0";
  EXPECT_EQ(CheckMeasurement(boxes, tight).fault, SearchFault::ZeroScaleBarValue);
  boxes[Box::IndexRange] = "-0.6"; // rounds to -1
  EXPECT_EQ(CheckMeasurement(boxes, tight).fault, SearchFault::NegativeIndexRange);
}

TEST(RunIndexingSearch, IndexRangeRoundsHalvesToEvenAndNoTypeFindsNothing) {
  BoxTexts boxes = cubicExample();
  boxes[Box::IndexRange] = "2.5";
  EXPECT_EQ(ReadIndexRange(boxes), 2.0);
  boxes[Box::IndexRange] = "3.5";
  EXPECT_EQ(ReadIndexRange(boxes), 4.0);

  // Selector position -1 (nothing selected): every check is made, and nothing is found.
  const std::optional<LatticeType> noType = LatticeTypeFromIndex(-1);
  ASSERT_FALSE(noType);
  EXPECT_FALSE(LatticeTypeFromIndex(kLatticeTypeCount));
  SearchOutcome none = RunIndexingSearch(cubicExample(), noType);
  EXPECT_TRUE(none.completed);
  EXPECT_TRUE(none.rows.empty());
  EXPECT_EQ(none.summary, RunIndexingSearch(cubicExample(), LatticeType::FaceCenter).summary);
  boxes = cubicExample();
  boxes[Box::Beta] = "180";
  none = RunIndexingSearch(boxes, noType);
  EXPECT_EQ(none.fault, SearchFault::InvalidCell);
  EXPECT_FALSE(none.completed);
  boxes[Box::Length3] = "?";
  EXPECT_EQ(RunIndexingSearch(boxes, noType).rejection->box, Box::Length3);
}

TEST(ResultText, SummaryLineSpacingAndRowLabels) {
  MeasuredPattern p;
  p.d = {0.2, 0.2, 0.1};
  p.angle = {90, 60, 30};
  EXPECT_EQ(MeasuredSummaryText(p),
            "0.2000000   0.2000000   0.1000000      90.0000   60.0000    30.0000");
  EXPECT_EQ(RowLabel(7), "No.007");
  EXPECT_EQ(RowLabel(1234), "No.1234");
}

TEST(ResultText, EveryNamedColumnHoldsWhatItsNameSays) {
  // Nine different indices, so that a plane or an index put in the wrong column shows.
  IndexingResult row;
  row.rowNumber = 12;
  row.g1 = {1, -2, 3};
  row.g2 = {4, 5, -6};
  row.g3 = row.g1 + row.g2; // (5, 3, -3)
  row.d = {0.25, 0.125, 0.0625};
  row.angle = {10.5, 20.25, 30.125};
  const std::array<std::string, kResultColumnCount> cells = ResultCellTexts(row);
  const auto at = [&](int c) { return cells[static_cast<std::size_t>(c)]; };
  using namespace column;
  EXPECT_EQ(at(kRowLabel), "No.012");
  EXPECT_EQ(at(kH1) + " " + at(kK1) + " " + at(kL1), "1 -2 3");
  EXPECT_EQ(at(kH2) + " " + at(kK2) + " " + at(kL2), "4 5 -6");
  EXPECT_EQ(at(kH3) + " " + at(kK3) + " " + at(kL3), "5 3 -3");
  EXPECT_EQ(at(kD1) + " " + at(kD2) + " " + at(kD3), "0.2500000 0.1250000 0.0625000");
  EXPECT_EQ(at(kAngle12) + " " + at(kAngle23) + " " + at(kAngle13), "10.5000 20.2500 30.1250");
  EXPECT_EQ(at(kPlus) + at(kEquals) + at(kSpacingSeparator) + at(kAngleSeparator),
            "+\uFF1D\u25C7\u25C7");
  // The separators are exactly the four sign columns; the titles sit over their groups.
  int separators = 0;
  for (int c = 0; c < kResultColumnCount; ++c)
    separators += IsSeparatorColumn(c);
  EXPECT_EQ(separators, 4);
  EXPECT_TRUE(IsSeparatorColumn(kPlus) && IsSeparatorColumn(kEquals) &&
              IsSeparatorColumn(kSpacingSeparator) && IsSeparatorColumn(kAngleSeparator));
  // The list's layout: the label 1020 twips wide and left-aligned; indices 443 and right-aligned
  // under " ", "R1" (or R2, R3), " "; signs 353 and centred; spacings 1050 and angles 942, centred
  // under their names.
  const std::string titles[] = {"No.", " ",  "R1", " ",       " ",       " ",      "R2",
                                " ",   " ",  " ",  "R3",      " ",       " ",      "d1",
                                "d2",  "d3", " ",  "<R1,R2>", "<R2,R3>", "<R1,R3>"};
  for (int c = 0; c < kResultColumnCount; ++c) {
    const ResultColumn& column = kResultColumns[static_cast<std::size_t>(c)];
    const bool index =
        (c >= kR1 && c < kR1 + 3) || (c >= kR2 && c < kR2 + 3) || (c >= kR3 && c < kR3 + 3);
    const int width = c == kRowLabel  ? 1020
                      : index         ? 443
                      : c >= kAngle   ? 942
                      : c >= kSpacing ? (IsSeparatorColumn(c) ? 353 : 1050)
                                      : 353;
    EXPECT_EQ(column.title, titles[c]) << c;
    EXPECT_EQ(column.widthTwips, width) << c;
    EXPECT_EQ(column.alignment, c == kRowLabel ? ColumnAlignment::Left
                                : index        ? ColumnAlignment::Right
                                               : ColumnAlignment::Centre)
        << c;
  }
  EXPECT_EQ(ResultCellText(row, kResultColumnCount), "");
}

} // namespace
} // namespace spot
