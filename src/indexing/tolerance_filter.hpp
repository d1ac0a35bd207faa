// The tolerance filter over the results list: which rows agree with the measured pattern within
// the six tolerances, and the sliders that set those tolerances.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/boxes.hpp"

namespace spot {

// TOLERANCES AND SLIDERS

/// The six tolerance boxes in slider order: Slider1..Slider3 for d1..d3, Slider4..Slider6 for
/// <R1,R2>, <R2,R3>, <R1,R3>.
inline constexpr std::array<Box, 6> kToleranceBoxes = {
    Box::DTol1, Box::DTol2, Box::DTol3, Box::AngleTol12, Box::AngleTol23, Box::AngleTol13};

inline constexpr int kSliderMaximum = 100;
/// Tolerance at the right end of a slider: 0.06 nm for spacings, 4 degrees for angles.
inline constexpr double kSpacingSliderFullScale = 0.06;
inline constexpr double kAngleSliderFullScale = 4.0;

/// True for Text1(27)..Text1(29) and Text1(36)..Text1(38).
bool IsToleranceBox(Box box);
bool IsSpacingToleranceBox(Box box);

/// 1-based slider number of a tolerance box (Slider1 for Text1(27) ... Slider6 for Text1(38)).
int SliderNumberOf(Box box);

/// The slider position that shows a tolerance: value / full scale · 100, nearest whole number with
/// halves to even, kept within 0..100 (a tolerance beyond the slider's end shows at that end).
int SliderPositionFor(Box box, double tolerance);

/// The text a slider writes into its box: four decimals for spacings (13 gives "0.0078"), one
/// decimal for angles (37 gives "1.5").
std::string SliderToleranceText(Box box, int position);

/// The text the counter's reset writes: "0.0080" for spacings, "2" for angles.
std::string DefaultToleranceText(Box box);

// THE FILTER

/// Tolerances in force, each read from its box (a text without a number counts as 0).
struct ToleranceSet {
  std::array<double, 3> dTol{};     ///< nm
  std::array<double, 3> angleTol{}; ///< degrees
};
ToleranceSet ReadToleranceSet(const BoxTexts& boxes);

/// The measured pattern the rows are compared with: di = (Ni / Li) · (A / B).
struct FilterReference {
  std::array<double, 3> d{};
  std::array<bool, 3> dDefined{}; ///< false when Li or B reads as 0: no row can agree with it
  std::array<double, 3> angle{};
};
FilterReference ReadFilterReference(const BoxTexts& boxes);

/// The six numbers a row shows in its "d1".."d3" and "<R1,R2>".."<R1,R3>" cells.
struct RowValues {
  std::array<double, 3> d{};
  std::array<double, 3> angle{};
};

/// A number read back from a list cell: digit grouping "," is dropped, "." is the decimal point.
double CellNumber(std::string_view cellText);

/// All six tests strictly: |row − measured| < tolerance.
bool PassesTolerances(const RowValues& row, const FilterReference& reference,
                      const ToleranceSet& tolerances);

struct FilterResult {
  std::vector<unsigned char> pass; ///< one flag per row, in the rows' order
  std::size_t passCount = 0;
};

/// The whole filter: the boxes are read once, then every row is tested.
FilterResult ApplyToleranceFilter(std::span<const RowValues> rows, const BoxTexts& boxes);

} // namespace spot
